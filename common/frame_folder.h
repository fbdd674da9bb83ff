// A folder of numbered pictures written during a run (frame_0001.png, ...),
// put in place together at the end like every other output.
//
// Frames are written into a staging folder inside the frames folder and moved
// into place by commit(): each frame replaces a file or link of its name (a
// link is replaced, never written through). commit() also removes the
// frame_NNNN.png files of an earlier, longer run, so the folder holds exactly
// this run's frames. A run that never commits leaves the folder as it was (a
// folder it had to create is removed again when empty).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/temporary_registry.h"

namespace qel::common {

class FrameFolder {
 public:
  // Throws UserError "Cannot write frames folder '<dir>': <reason>."
  explicit FrameFolder(std::string dir);
  ~FrameFolder();
  FrameFolder(const FrameFolder&) = delete;
  FrameFolder& operator=(const FrameFolder&) = delete;

  // Stages the next frame (numbered from 1). Throws UserError with the reason.
  void add(const std::vector<std::uint8_t>& bytes);
  std::size_t count() const { return count_; }

  // Moves the frames into place and removes stale ones; returns how many stale
  // frames were removed. Throws UserError with the reason.
  std::size_t commit();

  const std::string& dir() const { return dir_; }

 private:
  [[noreturn]] void fail(const std::string& name, int error) const;
  void remove_staged();

  std::string dir_;
  std::string staging_;
  bool created_dir_ = false;
  bool committed_ = false;
  std::size_t count_ = 0;
  TemporaryGuard guard_;
};

// Whether `name` is a frame's file name: "frame_" then at least four digits, ".png".
// Sets `number` when it is.
bool is_frame_name(const std::string& name, std::size_t& number);

}  // namespace qel::common
