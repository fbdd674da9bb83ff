// Findings about the settings at the end of a session; see findings_state.h.
#include "run/findings_state.h"

#include "common/text_format.h"

namespace qel::run {
namespace {

using common::hex_byte;

constexpr std::uint8_t kComPinsAlternative = 0x10;  // 0xDA bit 4

}  // namespace

StateChecks::Values StateChecks::values_of(const emu::Registers& r) const {
  Values v{};
  v[kDisplayOn] = r.display_on;
  v[kDriveVoltage] = emu::drive_voltage_on(*profile_, r);
  v[kContrast] = r.contrast;
  v[kEntireOn] = r.entire_on;
  v[kInverse] = r.inverse;
  v[kMultiplex] = r.multiplex;
  v[kComPins] = r.com_pins;
  return v;
}

void StateChecks::start(const emu::Profile& profile, const emu::Registers& registers) {
  profile_ = &profile;
  last_ = values_of(registers);
  ever_on_ = registers.display_on;
}

void StateChecks::on_command(const emu::Registers& registers, std::uint64_t index) {
  const Values now = values_of(registers);
  if (now == last_) return;
  for (std::size_t i = 0; i < kSettings; ++i) {
    if (now[i] != last_[i]) changed_[i] = where_.at(index);
  }
  last_ = now;
  ever_on_ = ever_on_ || registers.display_on;
}

void StateChecks::conclude(const emu::Registers& r, const GlassShape& glass, std::uint64_t bytes,
                           std::vector<Finding>& out) const {
  const Values now = values_of(r);
  // Where a setting got its value: its last change, or the end when a reset
  // changed it since, or the end when it kept its reset value throughout.
  const auto where = [&](Setting s) {
    if (now[s] == last_[s] && changed_[s]) return *changed_[s];
    return where_.end(bytes);
  };
  const auto add = [&](FindingId id, Setting s, std::string sentence) {
    out.push_back(Finding{id, where(s), std::move(sentence)});
  };

  if (bytes == 0) {
    out.push_back(Finding{FindingId::DisplayNeverOn, where_.end(bytes),
                          "The panel stays dark: no byte reached the controller; check the wiring, the bus and the "
                          "signal map, and that the start-up code runs."});
  } else if (!ever_on_ && !r.display_on) {
    add(FindingId::DisplayNeverOn, kDisplayOn,
        "The panel stays dark: the display-on command 0xAF was never sent; end the start-up sequence with 0xAF.");
  } else if (!r.display_on) {
    add(FindingId::DisplayNeverOn, kDisplayOn,
        "The panel is dark at the end: the display was turned off here (0xAE, or a reset) and not on again; send "
        "0xAF once the picture is written.");
  }

  if (r.display_on && !emu::drive_voltage_on(*profile_, r)) {
    std::string why;
    if (profile_->power == emu::PowerCircuit::DcDc) {
      why = "the DC-DC converter was turned off (0xAD 0x8A); send 0xAD 0x8B before 0xAF.";
    } else if (changed_[kDriveVoltage]) {
      why = "the charge pump was turned off (0x8D 0x10); send 0x8D 0x14 before 0xAF.";
    } else {
      why = "the charge pump was never enabled, so the glass gets no drive voltage; send 0x8D 0x14 before 0xAF.";
    }
    add(FindingId::ChargePumpOff, kDriveVoltage, "The panel stays dark although the display is on: " + why);
  }

  const int rows = r.multiplex + 1;
  if (rows != glass.height) {
    const std::string setting = "0xA8 " + hex_byte(r.multiplex);
    add(FindingId::MuxMismatch, kMultiplex,
        rows < glass.height
            ? "Only the top " + std::to_string(rows) + " of the glass's " + std::to_string(glass.height) +
                  " rows light up: the multiplex ratio is " + std::to_string(rows) + " (" + setting +
                  "), set for a smaller glass; send 0xA8 " + hex_byte(static_cast<unsigned>(glass.height - 1)) +
                  " for this one."
            : "The picture does not fit the glass: the multiplex ratio is " + std::to_string(rows) + " (" + setting +
                  ") on a glass of " + std::to_string(glass.height) + " rows, set for a taller glass; send 0xA8 " +
                  hex_byte(static_cast<unsigned>(glass.height - 1)) + " for this one.");
  }

  const bool alternative = (r.com_pins & kComPinsAlternative) != 0;
  if (alternative != glass.alternative_com_pins) {
    const char* wanted = glass.alternative_com_pins ? "0xDA 0x12 (alternative)" : "0xDA 0x02 (sequential)";
    add(FindingId::ComPinsMismatch, kComPins,
        "Every other row is missing or rows are doubled: the COM pin configuration is " + hex_byte(r.com_pins) +
            (alternative ? " (alternative)" : " (sequential)") + ", but this " + std::to_string(glass.width) + "x" +
            std::to_string(glass.height) + " glass is wired for " + wanted + "; send that.");
  }

  if (r.contrast == 0) {
    add(FindingId::ContrastZero, kContrast,
        "The picture is at its dimmest, hard to see on many panels: the contrast is 0 (0x81 0x00); send a higher "
        "contrast, e.g. 0x81 0x7F.");
  }
  if (r.entire_on) {
    add(FindingId::EntireDisplayOn, kEntireOn,
        "Every pixel is lit whatever the RAM holds: entire display on (0xA5) is still set; send 0xA4 to show the "
        "RAM again.");
  }
  if (r.inverse) {
    add(FindingId::Inverse, kInverse,
        "Lit and dark pixels are swapped: the display is inverted (0xA7); send 0xA6 unless an inverted picture is "
        "wanted.");
  }
}

}  // namespace qel::run
