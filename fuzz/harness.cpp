#include "harness.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <tuple>

#include "QEL_LCD.h"
#include "emulator/controller.h"
#include "emulator/pin_fanout.h"
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

std::string hex(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", v);
  return text;
}

// The controller's configuration: every register but the write position.
auto configuration(const emu::Registers& r) {
  return std::make_tuple(r.display_on, r.contrast, r.inverse, r.entire_on, r.multiplex, r.display_offset, r.start_line,
                         r.segment_remap, r.com_scan_reversed, r.com_pins, r.clock_div, r.precharge, r.vcomh,
                         r.charge_pump, r.addressing_mode, r.column_range_start, r.column_range_end, r.page_range_start,
                         r.page_range_end, r.scroll.active, r.scroll.setup_command);
}

// The configuration the module's start-up must leave: the reset values, changed
// where its set-up commands ask.
auto configured() {
  emu::Registers r;
  r.display_on = true;
  r.contrast = 0xCF;
  r.segment_remap = true;
  r.com_scan_reversed = true;
  r.precharge = 0xF1;
  r.vcomh = 0x40;
  r.addressing_mode = emu::AddressingMode::Page;
  r.charge_pump = true;
  return configuration(r);
}

// One run: the module's pins feed both the pattern check and the emulator.
class Run {
 public:
  Run()
      : wire_(fail, kMaxBytesPerCall),
        controller_(emu::ControllerOptions{true, emu::ColumnWrap::Start, false}),
        pins_(controller_) {
    fanout_.add(wire_);
    fanout_.add(pins_);
  }

  PinObserver& observer() { return fanout_; }

  void call(const Call& c) {
    wire_.clear();
    const std::size_t notes_before = controller_.diagnostics().size();
    const Ram before = ram();
    invoke(c);
    wire_.expect_between_bytes();
    if (c.takes_line()) {
      expect_line_operation(c, before, notes_before);
    } else {
      expect_startup(c, notes_before);
    }
    if (open_ && configuration(controller_.registers()) != configured()) {
      fail("the controller's configuration differs from what start-up set");
    }
    if (host::open_count() != opens_) {
      fail("PIN_open called " + std::to_string(host::open_count()) + " times; expected " + std::to_string(opens_));
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

  void expect_startup(const Call& c, std::size_t notes_before) {
    if (c.kind == CallKind::InitOpenFails) fail_pending_ = true;
    const bool opening = !open_;
    if (opening) {
      ++opens_;
      if (fail_pending_) {
        fail_pending_ = false;
        if (wire_.pin_writes() != 0 || !wire_.events().empty()) fail("pins driven although PIN_open failed");
        return;
      }
      open_ = true;
    }
    // The set-up and the home position are bytes of this stream, so the
    // controller's configuration follows from it.
    if (wire_.events() != test::startup_events(opening)) fail("start-up differs from that of a fresh module");
    if (controller_.diagnostics().size() != notes_before) {
      fail("the controller objected during start-up: " + controller_.diagnostics()[notes_before].message);
    }
    for (unsigned page = 0; page < kShownPages; ++page) expect_blank(page, "start-up");
  }

  void expect_line_operation(const Call& c, const Ram& before, std::size_t notes_before) {
    if (!open_) {
      if (wire_.pin_writes() != 0 || !wire_.events().empty()) fail("pins driven before a successful start-up");
      return;
    }
    // Only addressing commands: the controller's configuration stays as start-up left it.
    ByteCount sent;
    for (const test::WireEvent& e : wire_.events()) {
      if (e.kind != test::WireEvent::Kind::Byte) fail("pin activity outside a byte");
      const emu::WireByte& b = e.byte;
      if (b.is_data) {
        ++sent.data;
        continue;
      }
      ++sent.commands;
      if (!is_addressing_command(b.value)) fail("command " + hex(b.value) + " sent after start-up");
    }
    const ByteCount want = expected_count(c);
    if (!(sent == want)) {
      fail("sent " + std::to_string(sent.commands) + " command and " + std::to_string(sent.data) +
           " data bytes; expected " + std::to_string(want.commands) + " and " + std::to_string(want.data));
    }

    if (c.line >= kShownPages) return;
    const std::size_t slots = slots_rendered(c);
    const unsigned last_page = c.line + static_cast<unsigned>(slots == 0 ? 0 : (slots - 1) / kSlotsPerLine);
    if (last_page < kShownPages && controller_.diagnostics().size() != notes_before) {
      fail("the controller objected: " + controller_.diagnostics()[notes_before].message);
    }
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

  test::WirePattern wire_;
  emu::Controller controller_;
  emu::ControllerPins pins_;
  emu::PinFanout fanout_;

  // What the stand-in should have seen so far.
  bool open_ = false;
  bool fail_pending_ = false;
  unsigned opens_ = 0;
};

}  // namespace

std::optional<std::string> run_calls(const std::vector<Call>& calls) {
  test::fresh_module();
  Run run;
  host::ScopedPinObserver scope(run.observer());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    try {
      run.call(calls[i]);
    } catch (const Broken& e) {
      return "call #" + std::to_string(i) + " " + describe(calls[i]) + ": " + e.what();
    }
  }
  return std::nullopt;
}

}  // namespace qel::fuzz
