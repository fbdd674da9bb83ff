// The outputs that follow a run as it goes: the command listing (--commands),
// the HTML report (--report) and the animated GIF (--gif). A run hands it the
// module's pins (scripts), its calls and the controller's bytes; at the end it
// writes the report and the GIF. Its files are committed with the run's others.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "output_file.h"
#include "run_recorder.h"
#include "script/script_runner.h"
#include "simulation.h"

namespace qel::tool {

// Writes listing lines as text: the origin (a call's location, or the capture
// time right-aligned), two spaces, the line.
class ListingWriter : public view::ListingSink {
 public:
  ListingWriter(std::ostream& out, bool times) : out_(out), times_(times) {}
  void on_line(const view::ListingLine& line) override;

 private:
  std::ostream& out_;
  bool times_;  // origins are capture times
};

class RunOutputs : public script::CallListener {
 public:
  // Opens the files asked for in `options` (throws UserError naming one that
  // cannot be opened).
  RunOutputs(const RunOptions& options, std::ostream& stdout_stream);

  // The run begins: inactive when no output is asked for.
  void start(const emu::Controller& controller, view::RunKind kind, std::string source);

  bool active() const { return recorder_.has_value(); }
  // Scripts: add before the controller's own pin hook-up.
  PinObserver& pins() { return *recorder_; }
  emu::ByteListener& listener() { return *recorder_; }

  void on_call_start(std::size_t index, const script::Call& call) override;
  void on_call_end(std::size_t index, const script::Call& call) override;

  // After the controller's end_of_trace: writes the report and the GIF.
  void finish();
  // The files, for finish_and_commit once the whole run has succeeded.
  std::vector<OutputFile*> files() { return {&commands_, &report_, &gif_}; }

 private:
  const RunOptions& options_;
  std::ostream& stdout_;
  OutputFile commands_;
  OutputFile report_;
  OutputFile gif_;
  std::optional<ListingWriter> writer_;
  std::optional<RunRecorder> recorder_;
};

// Passes call starts and ends to two listeners, in order.
class CallFanout : public script::CallListener {
 public:
  CallFanout(script::CallListener& first, script::CallListener& second) : first_(first), second_(second) {}
  void on_call_start(std::size_t index, const script::Call& call) override {
    first_.on_call_start(index, call);
    second_.on_call_start(index, call);
  }
  void on_call_end(std::size_t index, const script::Call& call) override {
    first_.on_call_end(index, call);
    second_.on_call_end(index, call);
  }
  void on_call_note(std::size_t index, const script::Call& call, const std::string& message) override {
    first_.on_call_note(index, call, message);
    second_.on_call_note(index, call, message);
  }

 private:
  script::CallListener& first_;
  script::CallListener& second_;
};

// Passes the controller's bytes, notes and timed changes to two listeners, in order.
class ByteFanout : public emu::ByteListener {
 public:
  ByteFanout(emu::ByteListener& first, emu::ByteListener& second) : first_(first), second_(second) {}
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override {
    first_.on_byte(byte, index);
    second_.on_byte(byte, index);
  }
  void on_note(const emu::Diagnostic& note) override {
    first_.on_note(note);
    second_.on_note(note);
  }
  void on_timed_change(emu::Line line, bool level, std::uint64_t time_ns) override {
    first_.on_timed_change(line, level, time_ns);
    second_.on_timed_change(line, level, time_ns);
  }

 private:
  emu::ByteListener& first_;
  emu::ByteListener& second_;
};

}  // namespace qel::tool
