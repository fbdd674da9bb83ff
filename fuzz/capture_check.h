// The rules every capture reader keeps while it streams, checked as it reads: a
// LineSink that holds the reader to the LineSink contract and plays what passes
// into a fresh emulated controller, whose decoded bytes it keeps so that two
// readings of one input can be compared.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "trace/capture_replay.h"
#include "trace/line_sink.h"
#include "trace/signal_map.h"

namespace qel::fuzz {

// What one reading gave: enough to tell two readings apart.
struct CaptureOutcome {
  std::vector<trace::LineChange> changes;
  std::vector<std::string> notes;
  std::vector<emu::WireByte> bytes;  // as the emulator decoded them
  std::string refusal;               // the error's message; empty when accepted

  friend bool operator==(const CaptureOutcome& a, const CaptureOutcome& b) {
    return a.changes == b.changes && a.notes == b.notes && a.bytes == b.bytes && a.refusal == b.refusal;
  }
};

// Breaks a rule (rule_broken) when the reader calls begin twice or late, sends
// a change before begin or after end, a change out of time order, of a line
// the capture does not carry or to the level the line already has, or a note
// that does not name `file`.
class CheckedCapture : public trace::LineSink, private emu::ByteListener {
 public:
  explicit CheckedCapture(std::string file);

  void begin(const trace::CaptureStart& start) override;
  void change(const trace::LineChange& c) override;
  void note(const std::string& message) override;
  void end() override;

  bool begun() const { return begun_; }
  bool ended() const { return ended_; }
  CaptureOutcome& outcome() { return outcome_; }

 private:
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const emu::Diagnostic&) override {}

  std::string file_;
  emu::Controller controller_;
  trace::ControllerFeed feed_;
  trace::CaptureStart start_;
  std::array<std::optional<bool>, emu::kLineCount> level_{};
  std::uint64_t last_ns_ = 0;
  bool begun_ = false;
  bool ended_ = false;
  CaptureOutcome outcome_;
};

// Two readings of one input must give the same changes, notes, bytes and refusal.
void expect_same(const CaptureOutcome& first, const CaptureOutcome& second);

// Says where a note or a refusal (`what`: "a note" or "a refusal") points, and
// breaks a rule when that is no place of the input.
using PlaceCheck = std::function<void(const std::string& message, const char* what)>;

// Reads a capture through a CheckedCapture (`read` streams it into the sink it is
// given) and checks each note and the refusal with `expect_place`. Breaks a rule
// when an accepted capture did not begin and end, or a refusal is no
// std::runtime_error or comes after end.
CaptureOutcome read_capture(const std::string& file, const std::function<void(trace::LineSink&)>& read,
                            const PlaceCheck& expect_place);

// A reader of a text capture (VCD, CSV), whose refusals and notes start "<file>:<line>:".
using TextReader = void (*)(std::istream&, const std::string&, const std::optional<trace::SignalMap>&,
                            trace::LineSink&);

// Reads `text` as the file `file`, its channels bound from their names; a refusal
// or a note must name a line of the text.
CaptureOutcome read_text_capture(const std::string& text, const std::string& file, TextReader read);

}  // namespace qel::fuzz
