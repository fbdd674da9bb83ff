// The one event stream of a run. Whatever drives the controller (a script's
// calls on the module, a firmware under test through the panel kit, or a
// logic-analyzer capture) is turned by a Session into these events, in the
// order they happen, and every recorder of the run (byte log, costs, notes,
// command listing, frames, report, checks) is a Listener on them. A Fanout
// passes each event to several listeners in the order they were added.
//
// A pin event is told before the controller takes the change, so a listener
// can look at the controller's state just before it (e.g. whether a rising
// clock edge starts a new byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/controller.h"
#include "view/run_frames.h"

namespace qel::run {

// One call of the module as the run saw it.
struct CallInfo {
  std::size_t index = 0;      // 0-based, in the order the calls ran
  std::string_view location;  // where it was written ("demo.qel:3:1"), or empty
  std::string_view text;      // the call as written ("QEL_LCD_Init();")
  std::string_view label;     // "QEL_LCD_WriteString(line 9)", or empty
};

struct PinEvent {
  emu::Line line = emu::Line::Clock;
  bool level = false;
  std::uint64_t time_ns = 0;  // scripts: nominal time; captures: the capture's time
  bool write = false;         // a pin write of the module (takes one pin-write time); false: a change seen
};

struct Note {
  enum class From { Call, Controller, Capture };
  From from = From::Controller;
  std::uint64_t byte_index = 0;  // the bytes decoded before it arose
  std::string_view message;
  std::string_view call;             // call notes: the call's location
  const CallInfo* during = nullptr;  // the module call it arose in, if any; valid while it is told
};

// "byte 12: Unknown command byte 0xFB ignored." for the controller's notes, the
// message alone for the others.
std::string note_text(const Note& note);

// note_text after the call it arose in, counted from 1:
// "call 3, QEL_LCD_WriteString(line 9): byte 1079: ...".
std::string note_text_with_call(const Note& note);

// The lines whose pin events a listener takes: bit N for emu::Line N.
using LineSet = std::uint8_t;
inline constexpr LineSet line_bit(emu::Line line) { return static_cast<LineSet>(1u << static_cast<int>(line)); }
inline constexpr LineSet kAllLines = static_cast<LineSet>((1u << emu::kLineCount) - 1);

// The run's time as the Session keeps it, for a listener that does not take
// every pin event: the time of the last line change (captures), or of the next
// pin write (scripts).
class RunClock {
 public:
  virtual ~RunClock() = default;
  virtual std::uint64_t now_ns() const = 0;
};

struct Start {
  view::RunKind kind = view::RunKind::Script;
  std::string_view source;  // the script's or capture's name
  const emu::Controller* controller = nullptr;
  const RunClock* clock = nullptr;
  std::uint64_t pin_write_ns = 0;  // scripts: nominal time of one pin write
  bool reset_line = true;          // the trace carries the reset line (a capture may not)
};

class Listener {
 public:
  virtual ~Listener() = default;
  // The lines whose pin events the listener takes: most take none, and a run
  // skips the events of lines no listener takes (one per line change is the
  // hot path).
  virtual LineSet pin_lines() const { return 0; }
  virtual void on_start(const Start& /*start*/) {}
  virtual void on_call_begin(const CallInfo& /*call*/) {}
  virtual void on_call_end(const CallInfo& /*call*/) {}
  virtual void on_pin(const PinEvent& /*pin*/) {}
  // The module waited `ms` milliseconds; time advanced to `time_ns`.
  virtual void on_delay(std::uint32_t /*ms*/, std::uint64_t /*time_ns*/) {}
  // `index` counts the bytes decoded before this one.
  virtual void on_byte(const emu::WireByte& /*byte*/, std::uint64_t /*index*/) {}
  virtual void on_note(const Note& /*note*/) {}
  // The trace is over: the controller has had its end of trace.
  virtual void on_finish() {}
};

class Fanout : public Listener {
 public:
  void add(Listener& listener) {
    listeners_.push_back(&listener);
    if (const LineSet lines = listener.pin_lines(); lines != 0) {
      pin_listeners_.push_back(PinListener{&listener, lines});
      pin_lines_ = static_cast<LineSet>(pin_lines_ | lines);
    }
  }
  LineSet pin_lines() const override { return pin_lines_; }

  void on_start(const Start& s) override {
    for (Listener* l : listeners_) l->on_start(s);
  }
  void on_call_begin(const CallInfo& c) override {
    for (Listener* l : listeners_) l->on_call_begin(c);
  }
  void on_call_end(const CallInfo& c) override {
    for (Listener* l : listeners_) l->on_call_end(c);
  }
  void on_pin(const PinEvent& p) override {
    const LineSet line = line_bit(p.line);
    for (const PinListener& l : pin_listeners_) {
      if ((l.lines & line) != 0) l.listener->on_pin(p);
    }
  }
  void on_delay(std::uint32_t ms, std::uint64_t time_ns) override {
    for (Listener* l : listeners_) l->on_delay(ms, time_ns);
  }
  void on_byte(const emu::WireByte& b, std::uint64_t index) override {
    for (Listener* l : listeners_) l->on_byte(b, index);
  }
  void on_note(const Note& n) override {
    for (Listener* l : listeners_) l->on_note(n);
  }
  void on_finish() override {
    for (Listener* l : listeners_) l->on_finish();
  }

 private:
  struct PinListener {
    Listener* listener;
    LineSet lines;
  };
  std::vector<Listener*> listeners_;
  std::vector<PinListener> pin_listeners_;
  LineSet pin_lines_ = 0;
};

}  // namespace qel::run
