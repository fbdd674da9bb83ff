// The tests' bus waveform generator; see bus_waveform.h.
#include "bus_waveform.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

namespace qel::emu::test {

void Waveform::set(Line line, bool level) {
  bool& current = levels_[static_cast<int>(line)];
  if (current == level) return;
  current = level;
  changes_.push_back({line, level});
}

void Waveform::play(Controller& controller) const {
  for (const Change& c : changes_) controller.set_line(c.line, c.level);
}

void Waveform::play_timed(Controller& controller, std::uint64_t step_ns) const {
  std::uint64_t t = 0;
  for (const Change& c : changes_) controller.set_line(c.line, c.level, t += step_ns);
}

void Spi4Wave::bytes(const std::vector<WireByte>& bytes) {
  for (const WireByte& b : bytes) {
    set(Line::DataCommand, b.is_data);
    for (int i = 7; i >= 0; --i) {
      set(Line::Clock, false);
      set(Line::Data, ((b.value >> i) & 1) != 0);
      set(Line::Clock, true);
    }
  }
}

void Spi3Wave::bits(const WireByte& byte, int count) {
  const unsigned word = (byte.is_data ? 0x100u : 0u) | byte.value;
  for (int i = 8; i > 8 - count; --i) {
    set(Line::Clock, false);
    set(Line::Data, ((word >> i) & 1) != 0);
    set(Line::Clock, true);
  }
}

void Spi3Wave::bytes(const std::vector<WireByte>& bytes) {
  for (const WireByte& b : bytes) bits(b);
}

I2cWave::I2cWave() {
  set(Line::Data, true);
  set(Line::Clock, true);
}

// On the idle bus (both lines high) SDA simply falls; inside a transfer SCL is
// brought low, SDA raised, and SCL high again for the repeated start.
void I2cWave::start() {
  if (in_transfer_) {
    set(Line::Clock, false);
    set(Line::Data, true);
    set(Line::Clock, true);
  }
  set(Line::Data, false);
  set(Line::Clock, false);
  in_transfer_ = true;
}

void I2cWave::stop() {
  set(Line::Clock, false);
  set(Line::Data, false);
  set(Line::Clock, true);
  set(Line::Data, true);
  in_transfer_ = false;
}

void I2cWave::clock_bit(bool bit) {
  set(Line::Clock, false);
  set(Line::Data, bit);
  set(Line::Clock, true);
}

void I2cWave::bits(std::uint8_t value, int count) {
  for (int i = 7; i > 7 - count; --i) clock_bit(((value >> i) & 1) != 0);
}

void I2cWave::byte(std::uint8_t value, bool ack) {
  bits(value, 8);
  clock_bit(!ack);
}

void I2cWave::runs(const std::vector<WireByte>& bytes, std::uint8_t device, bool repeated) {
  for (auto run = bytes.begin(); run != bytes.end();) {
    const auto end = std::find_if(run, bytes.end(), [&](const WireByte& b) { return b.is_data != run->is_data; });
    if (!repeated && run != bytes.begin()) stop();
    start();
    byte(static_cast<std::uint8_t>(device << 1));
    byte(run->is_data ? 0x40 : 0x00);
    for (auto b = run; b != end; ++b) byte(b->value);
    run = end;
  }
  stop();
}

void I2cWave::singles(const std::vector<WireByte>& bytes) {
  start();
  byte(0x3C << 1);
  for (const WireByte& b : bytes) {
    byte(b.is_data ? 0xC0 : 0x80);
    byte(b.value);
  }
  stop();
}

void I2cWave::script(std::string_view text) {
  std::size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
    const std::string token(text.substr(at, text.find(' ', at) - at));
    at += token.size();
    if (token == "S") {
      start();
    } else if (token == "P") {
      stop();
    } else if (token == "R0" || token == "R1") {
      set(Line::Reset, token == "R1");
    } else if (token.size() >= 2 && std::isxdigit(static_cast<unsigned char>(token[0])) &&
               std::isxdigit(static_cast<unsigned char>(token[1]))) {
      const auto value = static_cast<std::uint8_t>(std::stoul(token.substr(0, 2), nullptr, 16));
      if (token.size() == 2) {
        byte(value);
      } else if (token == token.substr(0, 2) + "-") {
        byte(value, false);
      } else if (token.size() == 4 && token[2] == '/' && token[3] >= '1' && token[3] <= '7') {
        bits(value, token[3] - '0');
      } else {
        throw std::invalid_argument("bad I2C script token " + token);
      }
    } else {
      throw std::invalid_argument("bad I2C script token " + token);
    }
  }
}

}  // namespace qel::emu::test
