#include "startup_stream.h"

#include "emulator/board.h"

namespace qel::test {

namespace {

// Controller set-up sent straight after reset, in order.
const std::uint8_t kSetup[] = {0xAE, 0x00, 0x10, 0x40, 0x81, 0xCF, 0xA1, 0xC8, 0xA6, 0xA8, 0x3F, 0xD3, 0x00, 0xD5,
                               0x80, 0xD9, 0xF1, 0xDA, 0x12, 0xDB, 0x40, 0x20, 0x02, 0x8D, 0x14, 0xA4, 0xA6, 0xAF};

constexpr std::uint32_t kResetPulseMs = 250;

}  // namespace

const std::vector<WireByte>& startup_bytes() {
  static const std::vector<WireByte> bytes = [] {
    std::vector<WireByte> out;
    for (std::uint8_t b : kSetup) out.push_back(cmd(b));
    for (std::uint8_t page = 0; page < 8; ++page) {
      out.insert(out.end(), {cmd(static_cast<std::uint8_t>(0xB0 + page)), cmd(0x01), cmd(0x10)});
      out.insert(out.end(), 128, dat(0x00));
    }
    out.insert(out.end(), {cmd(0xB0), cmd(0x10), cmd(0x01)});
    return out;
  }();
  return bytes;
}

std::vector<WireEvent> startup_events(bool opens_pins) {
  using K = WireEvent::Kind;
  std::vector<WireEvent> out;
  if (opens_pins) {
    for (std::uint8_t pin : {emu::kDioClock, emu::kDioData, emu::kDioReset, emu::kDioDataCommand}) {
      out.push_back({K::Open, pin, 0, 0, {}});
    }
  }
  // Clock idles high; reset is held low for the pulse, then released.
  out.push_back({K::Write, emu::kDioClock, 1, 0, {}});
  out.push_back({K::Write, emu::kDioReset, 0, 0, {}});
  out.push_back({K::Delay, 0, 0, kResetPulseMs, {}});
  out.push_back({K::Write, emu::kDioReset, 1, 0, {}});
  for (const WireByte& b : startup_bytes()) out.push_back({K::Byte, 0, 0, 0, b});
  return out;
}

}  // namespace qel::test
