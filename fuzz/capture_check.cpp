#include "capture_check.h"

#include <exception>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "input_text.h"

namespace qel::fuzz {
namespace {

emu::ControllerOptions quiet_controller() {
  emu::ControllerOptions options;
  options.keep_history = false;  // the listener keeps the bytes
  return options;
}

}  // namespace

CheckedCapture::CheckedCapture(std::string file)
    : file_(std::move(file)), controller_(quiet_controller()), feed_(controller_) {
  controller_.set_listener(this);
}

void CheckedCapture::begin(const trace::CaptureStart& start) {
  if (begun_) rule_broken("begin told twice");
  if (ended_) rule_broken("begin told after end");
  begun_ = true;
  start_ = start;
  last_ns_ = start.time_ns;
  for (int i = 0; i < emu::kLineCount; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (start.initial[index] && !start.present[index]) rule_broken("an initial level of a line the capture lacks");
    level_[index] = start.initial[index];
  }
  feed_.begin(start);
}

void CheckedCapture::change(const trace::LineChange& c) {
  if (!begun_ || ended_) rule_broken("a change outside begin and end");
  if (c.time_ns < last_ns_) rule_broken("changes out of time order");
  if (!start_.has(c.line)) rule_broken("a change of a line the capture does not carry");
  auto& level = level_[static_cast<std::size_t>(c.line)];
  if (level && *level == c.level) rule_broken("a change to the level the line already has");
  level = c.level;
  last_ns_ = c.time_ns;
  outcome_.changes.push_back(c);
  feed_.change(c);
}

void CheckedCapture::note(const std::string& message) {
  if (ended_) rule_broken("a note after end");
  if (message.find(file_) == std::string::npos) rule_broken("a note that does not name the file: " + message);
  outcome_.notes.push_back(message);
}

void CheckedCapture::end() {
  if (!begun_) rule_broken("end told before begin");
  if (ended_) rule_broken("end told twice");
  ended_ = true;
  feed_.end();
}

void CheckedCapture::on_byte(const emu::WireByte& byte, std::uint64_t index) {
  if (index != outcome_.bytes.size()) rule_broken("the emulator skipped a byte index");
  outcome_.bytes.push_back(byte);
}

void expect_same(const CaptureOutcome& first, const CaptureOutcome& second) {
  if (first.refusal != second.refusal) {
    rule_broken("two readings refused differently: '" + first.refusal + "' then '" + second.refusal + "'");
  }
  if (!(first == second)) rule_broken("two readings of one input gave different changes, notes or bytes");
}

CaptureOutcome read_capture(const std::string& file, const std::function<void(trace::LineSink&)>& read,
                            const PlaceCheck& expect_place) {
  CheckedCapture capture(file);
  try {
    read(capture);
    if (!capture.begun() || !capture.ended()) rule_broken("an accepted capture that did not begin and end");
    for (const std::string& note : capture.outcome().notes) expect_place(note, "a note");
  } catch (const std::runtime_error& e) {
    expect_place(e.what(), "a refusal");
    if (capture.ended()) rule_broken(std::string("refused after end was told: ") + e.what());
    capture.outcome().refusal = e.what();
  } catch (const std::exception& e) {
    rule_broken(std::string("refused with an exception that is not a user error: ") + e.what());
  }
  return std::move(capture.outcome());
}

CaptureOutcome read_text_capture(const std::string& text, const std::string& file, TextReader read) {
  return read_capture(
      file,
      [&](trace::LineSink& sink) {
        std::istringstream in(text);
        read(in, file, std::nullopt, sink);
      },
      [&](const std::string& message, const char* what) {
        const std::uint64_t line = number_after(message, file + ":");
        if (line == 0 || line > line_count(text))
          rule_broken(std::string(what) + " without a line of the file: " + message);
      });
}

}  // namespace qel::fuzz
