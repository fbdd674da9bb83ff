// The harness's wire check must catch a stream that is not whole 25-write bytes,
// and stop a call that runs past the byte cap.
#include "wire_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "board.h"

namespace qel::fuzz {
namespace {

// The module's byte pattern: select, then clock low, data, clock high per bit.
void send(WireCheck& w, std::uint8_t byte, bool data) {
  w.on_write(sim::kDioDataCommand, data ? 1 : 0);
  for (int bit = 7; bit >= 0; --bit) {
    w.on_write(sim::kDioClock, 0);
    w.on_write(sim::kDioData, (byte >> bit) & 1);
    w.on_write(sim::kDioClock, 1);
  }
}

// Pins opened and the controller out of reset, as after a start-up.
void open_and_release(WireCheck& w) {
  for (std::uint8_t pin : {sim::kDioClock, sim::kDioData, sim::kDioReset, sim::kDioDataCommand}) w.on_open(pin);
  w.on_write(sim::kDioReset, 1);
  w.begin_call();
}

std::string broken_by(const std::function<void(WireCheck&)>& writes) {
  WireCheck w;
  open_and_release(w);
  try {
    writes(w);
    w.end_call();
  } catch (const Broken& e) {
    return e.what();
  }
  return "";
}

TEST(WireCheck, WholeBytesDecodeWithTheirKind) {
  WireCheck w;
  open_and_release(w);
  send(w, 0xA5, false);
  send(w, 0x00, true);
  w.on_write(sim::kDioReset, 1);
  w.end_call();
  ASSERT_EQ(w.bytes().size(), 2u);
  EXPECT_EQ(w.bytes()[0], (sim::WireByte{0xA5, false}));
  EXPECT_EQ(w.bytes()[1], (sim::WireByte{0x00, true}));
  ASSERT_EQ(w.loose().size(), 1u);
  EXPECT_EQ(w.loose()[0].bytes_before, 2u);
}

TEST(WireCheck, BrokenStreamsAreCaught) {
  const struct {
    const char* what;
    std::function<void(WireCheck&)> writes;
    const char* message;
  } cases[] = {
      {"data write missing",
       [](WireCheck& w) {
         w.on_write(sim::kDioDataCommand, 0);
         w.on_write(sim::kDioClock, 0);
         w.on_write(sim::kDioClock, 1);
       },
       "byte #0, write 2 of 25: DIO 9 = 1 out of the pattern"},
      {"byte cut short",
       [](WireCheck& w) {
         send(w, 0x12, false);
         w.on_write(sim::kDioDataCommand, 1);
         w.on_write(sim::kDioClock, 0);
       },
       "byte #1, write 2 of 25: byte left unfinished"},
      {"delay inside a byte",
       [](WireCheck& w) {
         w.on_write(sim::kDioDataCommand, 1);
         w.on_delay(1);
       },
       "delay inside a byte"},
      {"pin not wired to the controller", [](WireCheck& w) { w.on_write(5, 1); }, "DIO 5"},
      {"runaway call",
       [](WireCheck& w) {
         for (std::size_t i = 0; i <= kMaxBytesPerCall; ++i) send(w, 0, true);
       },
       "more than 4096 bytes in one call"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(broken_by(c.writes).find(c.message), std::string::npos) << c.what << ": " << broken_by(c.writes);
  }
}

}  // namespace
}  // namespace qel::fuzz
