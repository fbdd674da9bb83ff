#include "harness.h"

#include <array>
#include <stdexcept>

#include "QEL_LCD.h"
#include "common/text_format.h"
#include "emulator/controller.h"
#include "expected_wire.h"
#include "module_access.h"
#include "qel/pin_observer.h"
#include "startup_stream.h"
#include "wire_pattern.h"

namespace qel::fuzz {

namespace {

using Ram = std::array<std::array<std::uint8_t, emu::kColumns>, emu::kPages>;

constexpr unsigned kShownPages = 8;
constexpr std::size_t kSlotsPerLine = 22;
// The longest call: a start-up sends 1079 bytes, a line of 255 drawn characters 2426.
constexpr std::size_t kMaxBytesPerCall = 4096;

struct Broken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Thrown from inside a pin write as well, so a runaway loop in the module ends.
[[noreturn]] void fail(const std::string& what) { throw Broken(what); }

// The controller's notes as they happen: the first since `seen` was cleared is kept for the report.
struct NoteWatch : emu::ByteListener {
  void on_byte(const emu::WireByte&, std::uint64_t) override {}
  void on_note(const emu::Diagnostic& note) override {
    if (!seen) first = note.message;
    seen = true;
  }
  bool seen = false;
  std::string first;
};

// One pin event as the module made it, in one word: a write (DIO number and
// level), or a delay (its length, with the top bit set).
using PinStep = std::uint32_t;
constexpr PinStep write_step(std::uint8_t pin, std::uint8_t level) { return PinStep{pin} << 8 | level; }
constexpr PinStep delay_step(std::uint32_t ms) { return 0x80000000U | ms; }

// A start-up with the pins already open, as checked in full once: its pin
// events, and the state of the pattern check and of the controller after them.
//
// A later start-up is held to these events write by write. Since a byte is a
// fixed pattern of writes, the same events are the same stream; and since the
// stream opens with a reset, which sets every register and the command decoder
// to their reset values, the pattern check and the controller end as they did
// the first time. The one exception is display RAM the stream does not write
// (column 0, which a reset leaves alone); no later check reads it across calls,
// so restoring it with the rest changes no verdict.
struct RepeatStartup {
  std::vector<PinStep> steps;
  test::WirePattern wire_after{fail, kMaxBytesPerCall};
  emu::Controller controller_after{emu::ControllerOptions{}};
};

emu::ControllerOptions controller_options() {
  emu::ControllerOptions o;
  o.noise_ram = true;
  o.column_wrap = emu::ColumnWrap::Start;
  o.keep_history = false;  // bytes are checked as they come; nothing need be kept
  return o;
}

// Everything one run has reached: the wire check's line levels, the controller,
// and what the stand-in should have seen so far. Copied whole to start from a
// snapshot.
struct RunState {
  test::WirePattern wire{fail, kMaxBytesPerCall};
  emu::Controller controller{controller_options()};
  bool open = false;
  bool fail_pending = false;
  unsigned opens = 0;
};

// One run: the module's pins feed the pattern check, then the controller. The run
// observes the pins itself, so each write reaches both without a dispatch list.
class Run : public PinObserver {
 public:
  // At power-on (copied from one made once: the power-on RAM takes a while to make).
  Run() : state_(power_on()), pins_(state_.controller) { state_.controller.set_listener(&notes_); }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  void on_open(std::uint8_t pin) override {
    if (next_step_ != nullptr) fail("PIN_open of DIO " + std::to_string(pin) + " in a start-up with the pins open");
    wire_.on_open(pin);
    pins_.on_open(pin);
  }
  void on_write(std::uint8_t pin, std::uint8_t level) override {
    if (next_step_ != nullptr) return expect_step(write_step(pin, level));
    if (recording_) recording_->steps.push_back(write_step(pin, level));
    wire_.on_write(pin, level);
    pins_.on_write(pin, level);
  }
  void on_delay(std::uint32_t ms) override {
    if (next_step_ != nullptr) return expect_step(delay_step(ms));
    if (recording_) recording_->steps.push_back(delay_step(ms));
    wire_.on_delay(ms);
    pins_.on_delay(ms);
  }

  // Whether the next Init is the module's first attempt at opening the pins since
  // power-on: it then behaves exactly as the one the start-up snapshot recorded.
  bool at_power_on() const { return state_.opens == 0; }
  const RunState& state() const { return state_; }
  void restore(const RunState& state) {
    state_ = state;
    state_.controller.set_listener(&notes_);
  }

  void call(const Call& c) {
    wire_.clear();
    notes_.seen = false;
    replayed_ = false;
    // Only a line operation on open pins is held to leave the other pages alone.
    const Ram before = c.takes_line() && state_.open ? ram() : Ram{};
    if (!c.takes_line() && state_.open) {
      start_up_again(c);
    } else {
      invoke(c);
    }
    wire_.expect_between_bytes();
    if (c.takes_line()) {
      expect_line_operation(c, before);
    } else {
      expect_startup(c);
    }
    if (host::open_count() != state_.opens) {
      fail("PIN_open called " + std::to_string(host::open_count()) + " times; expected " +
           std::to_string(state_.opens));
    }
    if (recording_) {  // checked in full: later start-ups are held to it
      recording_->wire_after = wire_;
      recording_->wire_after.clear();
      recording_->controller_after = state_.controller;
      repeat_startup() = std::move(recording_);
      recording_.reset();
    }
  }

 private:
  void invoke(const Call& c) {
    // The text in a heap block of exactly its size, so that a read past its NUL is caught.
    std::vector<QEL_C> text;
    if (c.text) {
      text.assign(c.text->begin(), c.text->end());
      text.push_back(0);
    }
    const QEL_C* str = c.text ? text.data() : nullptr;
    switch (c.kind) {
      case CallKind::InitOpenFails:
        host::fail_next_open();
        [[fallthrough]];
      case CallKind::Init:
        QEL_LCD_Init();
        break;
      case CallKind::WriteString:
        QEL_LCD_WriteString(str, c.line);
        break;
      case CallKind::ClearLine:
        QEL_LCD_ClearLine(c.line);
        break;
      case CallKind::WriteValue:
        QEL_LCD_WriteValue(c.value, c.base, c.line);
        break;
      case CallKind::WriteStringValue:
        QEL_LCD_WriteStringValue(str, c.value, c.base, c.line);
        break;
    }
  }

  static const RunState& power_on() {
    static const RunState state;
    return state;
  }

  // The start-up with the pins open that later ones are held to, once checked.
  static std::optional<RepeatStartup>& repeat_startup() {
    static std::optional<RepeatStartup> recorded;
    return recorded;
  }

  // A start-up with the pins open. Until one has been checked in full, it is
  // recorded (and kept once call() has checked it); later ones are held to it.
  void start_up_again(const Call& c) {
    if (!repeat_startup()) {
      recording_.emplace();
      invoke(c);
      return;
    }
    const std::vector<PinStep>& steps = repeat_startup()->steps;
    next_step_ = steps.data();
    last_step_ = steps.data() + steps.size();
    try {
      invoke(c);
    } catch (...) {
      next_step_ = nullptr;
      throw;
    }
    const bool ended_early = next_step_ != last_step_;
    next_step_ = nullptr;
    if (ended_early) fail("start-up differs from that of a fresh module: it ended early");
    wire_ = repeat_startup()->wire_after;
    state_.controller = repeat_startup()->controller_after;
    state_.controller.set_listener(&notes_);
    replayed_ = true;
  }

  void expect_step(PinStep step) {
    if (next_step_ == last_step_ || *next_step_ != step) {
      fail("start-up differs from that of a fresh module at pin event #" +
           std::to_string(next_step_ - repeat_startup()->steps.data()));
    }
    ++next_step_;
  }

  void expect_startup(const Call& c) {
    if (c.kind == CallKind::InitOpenFails) state_.fail_pending = true;
    const bool opening = !state_.open;
    if (opening) {
      ++state_.opens;
      if (state_.fail_pending) {
        state_.fail_pending = false;
        if (wire_.pin_writes() != 0 || !wire_.events().empty()) fail("pins driven although PIN_open failed");
        return;
      }
      state_.open = true;
    }
    // The set-up and the home position are bytes of this stream, so the
    // controller's configuration follows from it.
    static const std::vector<test::WireEvent> kOpening = test::startup_events(true);
    static const std::vector<test::WireEvent> kAgain = test::startup_events(false);
    if (!replayed_ && wire_.events() != (opening ? kOpening : kAgain)) {
      fail("start-up differs from that of a fresh module");
    }
    if (notes_.seen) fail("the controller objected during start-up: " + notes_.first);
    for (unsigned page = 0; page < kShownPages; ++page) expect_blank(page, "start-up");
  }

  void expect_line_operation(const Call& c, const Ram& before) {
    if (!state_.open) {
      if (wire_.pin_writes() != 0 || !wire_.events().empty()) fail("pins driven before a successful start-up");
      return;
    }
    // Only addressing commands, so the controller's configuration stays as the
    // start-up stream (checked byte for byte) set it.
    ByteCount sent;
    for (const test::WireEvent& e : wire_.events()) {
      if (e.kind != test::WireEvent::Kind::Byte) fail("pin activity outside a byte");
      const emu::WireByte& b = e.byte;
      if (b.is_data) {
        ++sent.data;
        continue;
      }
      ++sent.commands;
      if (!is_addressing_command(b.value)) fail("command " + common::hex_byte(b.value) + " sent after start-up");
    }
    const ByteCount want = expected_count(c);
    if (!(sent == want)) {
      fail("sent " + std::to_string(sent.commands) + " command and " + std::to_string(sent.data) +
           " data bytes; expected " + std::to_string(want.commands) + " and " + std::to_string(want.data));
    }

    if (c.line >= kShownPages) return;
    const std::size_t slots = slots_rendered(c);
    const unsigned last_page = c.line + static_cast<unsigned>(slots == 0 ? 0 : (slots - 1) / kSlotsPerLine);
    if (last_page < kShownPages && notes_.seen) fail("the controller objected: " + notes_.first);
    if (last_page == c.line) {
      const Ram after = ram();
      for (unsigned page = 0; page < kShownPages; ++page) {
        if (page != c.line && after[page] != before[page]) fail("page " + std::to_string(page) + " was written");
      }
    }
    if (slots == 0) expect_blank(c.line, "blanking");
  }

  // Columns 1 to 127 of the page are dark (column 0 is never addressed).
  void expect_blank(unsigned page, const char* after) const {
    for (int column = 1; column < emu::kColumns; ++column) {
      if (controller_.ram(static_cast<int>(page), column) != 0) {
        fail("page " + std::to_string(page) + " column " + std::to_string(column) + " not blank after " + after);
      }
    }
  }

  Ram ram() const {
    Ram out;
    for (int p = 0; p < emu::kPages; ++p) {
      for (int col = 0; col < emu::kColumns; ++col) out[p][col] = controller_.ram(p, col);
    }
    return out;
  }

  RunState state_;
  // Set while a start-up is held to (or recorded as) the events of an earlier one.
  const PinStep* next_step_ = nullptr;  // of the recorded start-up; nullptr when not held to it
  const PinStep* last_step_ = nullptr;
  std::optional<RepeatStartup> recording_;
  bool replayed_ = false;  // this call's stream was checked event by event, not from the wire
  test::WirePattern& wire_ = state_.wire;
  const emu::Controller& controller_ = state_.controller;
  emu::ControllerPins pins_;
  NoteWatch notes_;
};

// The state right after a checked start-up from power-on, and the module's and
// stand-in's with it. Taken once, by the first input that starts up.
struct StartupSnapshot {
  RunState run;
  test::ModuleState module;
};

}  // namespace

std::optional<std::string> run_calls(const std::vector<Call>& calls) {
  static std::optional<StartupSnapshot> snapshot;
  test::fresh_module();
  Run run;
  host::ScopedPinObserver scope(run);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    try {
      // A start-up from power-on always does the same: after the first, checked in
      // full, it is restored from the snapshot instead of being replayed.
      const bool from_power_on = calls[i].kind == CallKind::Init && run.at_power_on();
      if (from_power_on && snapshot) {
        run.restore(snapshot->run);
        test::restore_module(snapshot->module);
        continue;
      }
      run.call(calls[i]);
      if (from_power_on) {
        snapshot = StartupSnapshot{run.state(), test::save_module()};
        snapshot->run.wire.clear();  // each call starts by forgetting what the wire saw
      }
    } catch (const Broken& e) {
      return "call #" + std::to_string(i) + " " + describe(calls[i]) + ": " + e.what();
    }
  }
  return std::nullopt;
}

}  // namespace qel::fuzz
