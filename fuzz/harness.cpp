#include "harness.h"

#include <array>
#include <cstdio>

#include "QEL_LCD.h"
#include "board.h"
#include "controller.h"
#include "controller_setup.h"
#include "expected_wire.h"
#include "module_access.h"
#include "pin_fanout.h"
#include "qel/pin_observer.h"
#include "wire_check.h"

namespace qel::fuzz {

namespace {

using Ram = std::array<std::array<std::uint8_t, sim::kColumns>, sim::kPages>;

constexpr std::uint32_t kResetPulseMs = 250;
constexpr unsigned kShownPages = 8;
constexpr std::size_t kSlotsPerLine = 22;

[[noreturn]] void fail(const std::string& what) { throw Broken(what); }

std::string hex(unsigned v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", v);
  return text;
}

// Pin events of a start-up, before its first byte; the opens only when it opens the pins.
std::vector<LooseEvent> startup_prologue(bool opens) {
  using K = LooseEvent::Kind;
  std::vector<LooseEvent> out;
  if (opens) {
    for (std::uint8_t pin : {sim::kDioClock, sim::kDioData, sim::kDioReset, sim::kDioDataCommand}) {
      out.push_back({K::Open, pin, 0, 0, 0});
    }
  }
  out.push_back({K::Write, sim::kDioClock, 1, 0, 0});
  out.push_back({K::Write, sim::kDioReset, 0, 0, 0});
  out.push_back({K::Delay, 0, 0, kResetPulseMs, 0});
  out.push_back({K::Write, sim::kDioReset, 1, 0, 0});
  return out;
}

// One run: the module's pins feed both the pattern check and the emulator.
class Run {
 public:
  Run() : controller_(sim::ControllerOptions{true, sim::ColumnWrap::Start, false}), pins_(controller_) {
    fanout_.add(check_);
    fanout_.add(pins_);
  }

  PinObserver& observer() { return fanout_; }

  void call(const Call& c) {
    check_.begin_call();
    const std::size_t notes_before = controller_.diagnostics().size();
    const Ram before = ram();
    invoke(c);
    check_.end_call();
    if (c.takes_line()) {
      expect_line_operation(c, before, notes_before);
    } else {
      expect_startup(c, notes_before);
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
        if (check_.pin_writes() != 0 || !check_.loose().empty()) fail("pins driven although PIN_open failed");
        return;
      }
      open_ = true;
    }
    if (check_.loose() != startup_prologue(opening)) fail("start-up did not open, reset and wait as expected");
    if (check_.bytes() != startup_bytes()) fail("start-up bytes differ from those of a fresh module");

    const sim::Registers& regs = controller_.registers();
    const std::string diff = setup_difference(configured_registers(), regs);
    if (!diff.empty()) fail("start-up left the controller misconfigured: " + diff);
    if (regs.page != 0 || regs.column != 1) fail("start-up did not leave the write position at page 0, column 1");
    if (controller_.diagnostics().size() != notes_before) {
      fail("the controller objected during start-up: " + controller_.diagnostics()[notes_before].message);
    }
    for (unsigned page = 0; page < kShownPages; ++page) expect_blank(page, "start-up");
  }

  void expect_line_operation(const Call& c, const Ram& before, std::size_t notes_before) {
    if (!open_) {
      if (check_.pin_writes() != 0 || !check_.loose().empty()) fail("pins driven before a successful start-up");
      return;
    }
    if (!check_.loose().empty()) fail("pin activity outside a byte");

    ByteCount sent;
    for (const sim::WireByte& b : check_.bytes()) {
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

    const std::string diff = setup_difference(configured_registers(), controller_.registers());
    if (!diff.empty()) fail("the controller's configuration changed: " + diff);

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
    for (int column = 1; column < sim::kColumns; ++column) {
      if (controller_.ram(static_cast<int>(page), column) != 0) {
        fail("page " + std::to_string(page) + " column " + std::to_string(column) + " not blank after " + after);
      }
    }
  }

  Ram ram() const {
    Ram out;
    for (int p = 0; p < sim::kPages; ++p) {
      for (int col = 0; col < sim::kColumns; ++col) out[p][col] = controller_.ram(p, col);
    }
    return out;
  }

  WireCheck check_;
  sim::Controller controller_;
  sim::ControllerPins pins_;
  sim::PinFanout fanout_;

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
