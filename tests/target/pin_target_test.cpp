// Tests of the target pin stand-in, built for the host: the byte log it keeps,
// the pattern check, overflow, and which opens and writes it accepts.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "pin_log.h"
#include "ti/drivers/PIN.h"

namespace {

constexpr PIN_Id kClock = 9, kData = 10, kReset = 4, kSelect = 26;
constexpr PIN_Config kOut = 0x80800800U;

struct Write {
  PIN_Id pin;
  std::uint32_t level;
};

class PinTarget : public ::testing::Test {
 protected:
  void SetUp() override {
    qel_pin_reset();
    const PIN_Config pins[] = {kOut | kClock, kOut | kData, kOut | kReset, kOut | kSelect, PIN_TERMINATE};
    handle_ = PIN_open(&state_, pins);
    ASSERT_NE(handle_, nullptr);
  }

  void write(const std::vector<Write>& writes) {
    for (const Write& w : writes) PIN_setOutputValue(handle_, w.pin, w.level);
  }

  // The wire form of one byte: select, then eight times clock low, bit, clock high.
  static std::vector<Write> byte_writes(bool is_data, std::uint8_t value) {
    std::vector<Write> w{{kSelect, is_data ? 1U : 0U}};
    for (int bit = 7; bit >= 0; --bit) {
      w.insert(w.end(), {{kClock, 0}, {kData, (value >> bit) & 1U}, {kClock, 1}});
    }
    return w;
  }

  std::vector<std::uint16_t> logged() const {
    const QEL_PinLog* log = qel_pin_log();
    return {log->entries, log->entries + log->count};
  }

  PIN_State state_{};
  PIN_Handle handle_ = nullptr;
};

// Each byte is logged with its value and its command/data mark.
TEST_F(PinTarget, LogsEachByteWithItsMark) {
  write(byte_writes(false, 0xA5));
  write(byte_writes(true, 0x00));
  write(byte_writes(true, 0xFF));
  write(byte_writes(false, 0x01));
  EXPECT_EQ(logged(), (std::vector<std::uint16_t>{0x0A5, 0x100, 0x1FF, 0x001}));
  EXPECT_EQ(qel_pin_log()->broken, 0U);
  EXPECT_EQ(qel_pin_log()->step, 0U);

  // A full log counts what it drops; a byte cut short is visible as unfinished.
  qel_pin_log_clear();
  const std::vector<Write> one = byte_writes(true, 0x42);
  for (unsigned i = 0; i < QEL_PIN_LOG_CAPACITY + 3U; ++i) write(one);
  EXPECT_EQ(qel_pin_log()->count, QEL_PIN_LOG_CAPACITY);
  EXPECT_EQ(qel_pin_log()->dropped, 3U);
  qel_pin_log_clear();
  write(std::vector<Write>(one.begin(), one.begin() + 7));
  EXPECT_EQ(qel_pin_log()->count, 0U);
  EXPECT_EQ(qel_pin_log()->dropped, 0U);
  EXPECT_NE(qel_pin_log()->step, 0U);
}

// A write out of place drops the byte in progress and is counted; writes between bytes are not.
TEST_F(PinTarget, CountsBytesThatBreakThePattern) {
  const std::vector<Write> good = byte_writes(false, 0xAE);
  const auto changed = [&](const std::function<void(std::vector<Write>&)>& change) {
    std::vector<Write> w = good;
    change(w);
    return w;
  };
  // clang-format off
  const struct { const char* name; std::vector<Write> writes; std::size_t bytes; std::uint32_t broken; } cases[] = {
      {"idle writes around a byte", {{kClock, 1}, {kReset, 0}, {kReset, 1}, {kData, 1}}, 0, 0},
      {"missing clock low", changed([](auto& w) { w.erase(w.begin() + 1); }), 0, 1},
      {"reset inside a byte", changed([](auto& w) { w.insert(w.begin() + 5, {kReset, 0}); }), 0, 1},
      {"clock not raised", changed([](auto& w) { w[3].level = 0; }), 0, 1},
      // A new select write cuts the byte short; the next byte is whole.
      {"select again mid-byte", changed([&](auto& w) {
         w.resize(10);
         w.insert(w.end(), good.begin(), good.end());
       }),
       1, 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qel_pin_log_clear();
    write(c.writes);
    EXPECT_EQ(qel_pin_log()->count, c.bytes);
    EXPECT_EQ(qel_pin_log()->broken, c.broken);
    EXPECT_EQ(qel_pin_log()->step, 0U);
  }
}

// Opens follow the driver's rules; writes only reach pins the handle holds.
TEST(PinTargetOpen, AcceptsOnlyFreeDistinctPins) {
  struct Case {
    const char* name;
    std::vector<PIN_Config> pins;
    bool opens;
  };
  const Case cases[] = {
      {"four free pins", {kOut | 9, kOut | 10, kOut | 4, kOut | 26, PIN_TERMINATE}, true},
      {"empty list", {PIN_TERMINATE}, true},
      {"pin id above 31", {kOut | 32, PIN_TERMINATE}, false},
      {"pin listed twice", {kOut | 9, kOut | 9, PIN_TERMINATE}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qel_pin_reset();
    PIN_State state{};
    EXPECT_EQ(PIN_open(&state, c.pins.data()) != nullptr, c.opens);
  }

  qel_pin_reset();
  const PIN_Config clock_only[] = {kOut | kClock, PIN_TERMINATE};
  PIN_State first{}, second{};
  EXPECT_EQ(PIN_open(nullptr, clock_only), nullptr);
  ASSERT_NE(PIN_open(&first, clock_only), nullptr);
  EXPECT_EQ(PIN_open(&second, clock_only), nullptr) << "a held pin opened twice";

  EXPECT_EQ(PIN_setOutputValue(&first, kClock, 1), PIN_SUCCESS);
  EXPECT_EQ(PIN_setOutputValue(&first, kSelect, 1), PIN_NO_ACCESS);
  EXPECT_EQ(PIN_setOutputValue(nullptr, kClock, 1), PIN_NO_ACCESS);
  EXPECT_EQ(qel_pin_log()->step, 0U) << "a refused select write opened a byte";
}

}  // namespace
