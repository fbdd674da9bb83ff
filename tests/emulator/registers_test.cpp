// Controller registers: reset values, the effect of each command with its
// parameter bytes, and the reset line restoring the defaults.
#include <gtest/gtest.h>

#include <vector>

#include "controller_feed.h"

namespace qel::emu::test {
namespace {

struct Field {
  const char* name;
  int (*get)(const Registers&);
};
// clang-format off
#define FIELD(f) Field{#f, [](const Registers& r) { return static_cast<int>(r.f); }}
// clang-format on

struct Expected {
  Field field;
  int value;
};

// The datasheet's reset values.
// clang-format off
const std::vector<Expected> kResetValues = {
    {FIELD(display_on), 0},        {FIELD(contrast), 0x7F},     {FIELD(inverse), 0},
    {FIELD(entire_on), 0},         {FIELD(multiplex), 63},      {FIELD(display_offset), 0},
    {FIELD(start_line), 0},        {FIELD(segment_remap), 0},   {FIELD(com_scan_reversed), 0},
    {FIELD(clock_div), 0x80},      {FIELD(precharge), 0x22},    {FIELD(com_pins), 0x12},
    {FIELD(vcomh), 0x20},          {FIELD(addressing_mode), 2}, {FIELD(charge_pump), 0},
    {FIELD(page), 0},              {FIELD(column), 0},          {FIELD(column_start), 0},
    {FIELD(column_range_start), 0}, {FIELD(column_range_end), 127}, {FIELD(page_range_start), 0},
    {FIELD(page_range_end), 7},    {FIELD(scroll.active), 0},   {FIELD(scroll.setup_command), 0},
    {FIELD(scroll.start_page), 0}, {FIELD(scroll.end_page), 0}, {FIELD(scroll.interval), 0},
    {FIELD(scroll.vertical_offset), 0}, {FIELD(scroll.start_column), 0}, {FIELD(scroll.end_column), 0},
    {FIELD(scroll.fixed_rows), 0}, {FIELD(scroll.scroll_rows), 64},
};
// clang-format on

void expect_reset_values(const Registers& r) {
  for (const Expected& e : kResetValues) EXPECT_EQ(e.field.get(r), e.value) << e.field.name;
}

TEST(ControllerRegisters, PowerOnHoldsResetValues) { expect_reset_values(running_controller().registers()); }

struct CommandCase {
  std::vector<std::uint8_t> commands;
  std::vector<Expected> expected;
};

// Command bytes (with their parameters) and the registers they set.
const std::vector<CommandCase> kCommandCases = {
    {{0xAF}, {{FIELD(display_on), 1}}},
    {{0x81, 0xCF}, {{FIELD(contrast), 0xCF}}},
    {{0x81, 0xE3}, {{FIELD(contrast), 0xE3}}},  // a parameter byte is never taken as a command
    {{0xA7}, {{FIELD(inverse), 1}}},
    {{0xA5}, {{FIELD(entire_on), 1}}},
    {{0xA8, 0x1F}, {{FIELD(multiplex), 31}}},
    {{0xA8, 0x05}, {{FIELD(multiplex), 63}}},  // below 15: ignored
    {{0xD3, 0x08}, {{FIELD(display_offset), 8}}},
    {{0x48}, {{FIELD(start_line), 8}}},
    {{0xA1}, {{FIELD(segment_remap), 1}}},
    {{0xC8}, {{FIELD(com_scan_reversed), 1}}},
    {{0xD9, 0xF1}, {{FIELD(precharge), 0xF1}}},
    {{0x8D, 0x14}, {{FIELD(charge_pump), 1}}},
    {{0x8D, 0x14, 0x8D, 0x10}, {{FIELD(charge_pump), 0}}},
    {{0x20, 0x01}, {{FIELD(addressing_mode), 1}}},
    {{0x20, 0x01, 0x20, 0x03}, {{FIELD(addressing_mode), 1}}},  // invalid mode: unchanged
    {{0x05, 0x13}, {{FIELD(column_start), 0x35}, {FIELD(column), 0x35}}},
    {{0x17, 0x0F}, {{FIELD(column_start), 127}, {FIELD(column), 127}}},
    {{0xB5}, {{FIELD(page), 5}}},
    {{0xBA}, {{FIELD(page), 2}}},  // undefined page command: low three bits
    {{0x21, 10, 20}, {{FIELD(column_range_start), 10}, {FIELD(column_range_end), 20}, {FIELD(column), 10}}},
    {{0x22, 2, 5}, {{FIELD(page_range_start), 2}, {FIELD(page_range_end), 5}, {FIELD(page), 2}}},
    {{0x27, 0x00, 1, 7, 6, 0x00, 0xFF},
     {{FIELD(scroll.setup_command), 0x27},
      {FIELD(scroll.start_page), 1},
      {FIELD(scroll.interval), 7},
      {FIELD(scroll.end_page), 6}}},
    {{0x29, 0x00, 0, 3, 7, 5}, {{FIELD(scroll.setup_command), 0x29}, {FIELD(scroll.vertical_offset), 5}}},
    {{0x2F}, {{FIELD(scroll.active), 1}}},
    {{0xA3, 8, 48}, {{FIELD(scroll.fixed_rows), 8}, {FIELD(scroll.scroll_rows), 48}}},
    {{0xE3, 0x81, 0x10}, {{FIELD(contrast), 0x10}}},  // no-op, then the next command as usual
};

TEST(ControllerRegisters, EachCommandSetsItsRegisters) {
  for (const CommandCase& c : kCommandCases) {
    Controller controller = running_controller();
    send_commands(controller, c.commands);
    for (const Expected& e : c.expected) {
      EXPECT_EQ(e.field.get(controller.registers()), e.value)
          << e.field.name << " after " << ::testing::PrintToString(c.commands);
    }
  }
}

// Reset low restores every register but leaves display RAM alone.
TEST(ControllerRegisters, ResetLineRestoresDefaultsAndKeepsRam) {
  Controller controller = running_controller();
  for (const CommandCase& c : kCommandCases) send_commands(controller, c.commands);
  send(controller, {cmd(0xB3), cmd(0x04), cmd(0x10), dat(0x5A)});

  controller.set_line(Line::Reset, false);
  controller.set_line(Line::Reset, true);

  expect_reset_values(controller.registers());
  EXPECT_EQ(controller.ram(3, 4), 0x5A);
}

}  // namespace
}  // namespace qel::emu::test
