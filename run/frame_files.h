// --frames: the panel as a PNG after every call, staged in the run's frames
// folder (common/frame_folder.h) and put in place with the run's other outputs.
#pragma once

#include "common/frame_folder.h"
#include "run/events.h"
#include "view/png_writer.h"

namespace qel::run {

class FrameFiles : public Listener {
 public:
  FrameFiles(common::FrameFolder& folder, view::PngOptions png, bool rotate180)
      : folder_(folder), png_(png), rotate180_(rotate180) {}

  void on_start(const Start& start) override { controller_ = start.controller; }
  void on_call_end(const CallInfo& call) override;

 private:
  common::FrameFolder& folder_;
  view::PngOptions png_;
  bool rotate180_;
  const emu::Controller* controller_ = nullptr;
};

}  // namespace qel::run
