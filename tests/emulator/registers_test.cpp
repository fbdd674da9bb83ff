// Controller registers: which commands each controller has and how many
// parameter bytes follow them (from the datasheets' command tables), reset
// values, the effect of each command with its parameter bytes, and the reset
// line restoring the defaults.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "controller_feed.h"
#include "emulator/command_set.h"

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

// The datasheets' reset values, for the SSD1306, SH1106, SSD1309 and SSD1315.
struct ResetValue {
  Field field;
  std::array<int, kControllerModels> value;
};

// clang-format off
const std::vector<ResetValue> kResetValues = {
    {FIELD(display_on),            {0, 0, 0, 0}},
    {FIELD(contrast),              {0x7F, 0x80, 0x7F, 0x7F}},
    {FIELD(inverse),               {0, 0, 0, 0}},
    {FIELD(entire_on),             {0, 0, 0, 0}},
    {FIELD(multiplex),             {63, 63, 63, 63}},
    {FIELD(display_offset),        {0, 0, 0, 0}},
    {FIELD(start_line),            {0, 0, 0, 0}},
    {FIELD(segment_remap),         {0, 0, 0, 0}},
    {FIELD(com_scan_reversed),     {0, 0, 0, 0}},
    {FIELD(clock_div),             {0x80, 0x50, 0x70, 0x80}},
    {FIELD(precharge),             {0x22, 0x22, 0x22, 0x22}},
    {FIELD(com_pins),              {0x12, 0x12, 0x12, 0x12}},
    {FIELD(vcomh),                 {0x20, 0x35, 0x34, 0x20}},
    {FIELD(addressing_mode),       {2, 2, 2, 2}},
    {FIELD(charge_pump),           {0, 0, 0, 0}},
    {FIELD(dc_dc),                 {1, 1, 1, 1}},
    {FIELD(pump_voltage),          {2, 2, 2, 2}},
    {FIELD(command_lock),          {0, 0, 0, 0}},
    {FIELD(page),                  {0, 0, 0, 0}},
    {FIELD(column),                {0, 0, 0, 0}},
    {FIELD(column_start),          {0, 0, 0, 0}},
    {FIELD(column_range_start),    {0, 0, 0, 0}},
    {FIELD(column_range_end),      {127, 127, 127, 127}},
    {FIELD(page_range_start),      {0, 0, 0, 0}},
    {FIELD(page_range_end),        {7, 7, 7, 7}},
    {FIELD(scroll.active),         {0, 0, 0, 0}},
    {FIELD(scroll.setup_command),  {0, 0, 0, 0}},
    {FIELD(scroll.scroll_rows),    {64, 64, 64, 64}},
};
// clang-format on

// Whether the panel lights without a power command: the SH1106's DC-DC
// converter is on after reset, the SSD1309 has the board's supply, the others'
// charge pump is off.
const std::array<bool, kControllerModels> kDriveVoltageAfterReset = {false, true, true, false};

const std::array<ControllerModel, kControllerModels> kModels = {ControllerModel::Ssd1306, ControllerModel::Sh1106,
                                                                ControllerModel::Ssd1309, ControllerModel::Ssd1315};

Controller running(ControllerModel model) {
  ControllerOptions options;
  options.model = model;
  return running_controller(options);
}

void expect_reset_values(const Controller& c) {
  const auto m = static_cast<std::size_t>(c.profile().model);
  for (const ResetValue& e : kResetValues) {
    EXPECT_EQ(e.field.get(c.registers()), e.value[m]) << c.profile().name << " " << e.field.name;
  }
  EXPECT_EQ(c.drive_voltage_on(), kDriveVoltageAfterReset[m]) << c.profile().name;
}

TEST(ControllerRegisters, PowerOnHoldsEachControllersResetValues) {
  for (ControllerModel model : kModels) expect_reset_values(running(model));
}

struct CommandCase {
  std::vector<std::uint8_t> commands;
  std::vector<Expected> expected;
  ControllerModel model = ControllerModel::Ssd1306;
};

constexpr auto k1106 = ControllerModel::Sh1106, k1309 = ControllerModel::Ssd1309, k1315 = ControllerModel::Ssd1315;

// Command bytes (with their parameters) and the registers they set.
// clang-format off
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
    {{0x27, 0x00, 1, 7, 6, 0x00, 0xFF}, {{FIELD(scroll.setup_command), 0x27}, {FIELD(scroll.start_page), 1},
                                         {FIELD(scroll.interval), 7}, {FIELD(scroll.end_page), 6}}},
    {{0x29, 0x00, 0, 3, 7, 5}, {{FIELD(scroll.setup_command), 0x29}, {FIELD(scroll.vertical_offset), 5}}},
    {{0x2F}, {{FIELD(scroll.active), 1}}},
    {{0xA3, 8, 48}, {{FIELD(scroll.fixed_rows), 8}, {FIELD(scroll.scroll_rows), 48}}},
    {{0xE3, 0x81, 0x10}, {{FIELD(contrast), 0x10}}},  // no-op, then the next command as usual
    // Commands of the other controllers, and SSD1306 commands they lack: a byte
    // outside the set is ignored on its own, so its parameter is taken as a command.
    {{0xAD, 0x8A}, {{FIELD(dc_dc), 0}}, k1106},
    {{0xAD, 0x8A, 0xAD, 0x8B}, {{FIELD(dc_dc), 1}}, k1106},
    {{0x30}, {{FIELD(pump_voltage), 0}}, k1106},
    {{0x33}, {{FIELD(pump_voltage), 3}}, k1106},
    {{0xCB}, {{FIELD(com_scan_reversed), 1}}, k1106},
    {{0xCB, 0xC4}, {{FIELD(com_scan_reversed), 0}}, k1106},
    {{0x18, 0x03}, {{FIELD(column_start), 131}, {FIELD(column), 131}}, k1106},
    {{0xA8, 0x00}, {{FIELD(multiplex), 0}}, k1106},
    {{0x20, 0x00}, {{FIELD(addressing_mode), 2}}, k1106},
    {{0x8D, 0x14}, {{FIELD(charge_pump), 0}, {FIELD(column_start), 0x40}}, k1106},
    {{0xFD, 0x16, 0xAF}, {{FIELD(command_lock), 0}, {FIELD(display_on), 1}}, ControllerModel::Ssd1306},  // no lock
    {{0x8D, 0x14}, {{FIELD(charge_pump), 0}, {FIELD(column_start), 0x40}}, k1309},
    {{0xFD, 0x16, 0xAF}, {{FIELD(command_lock), 1}, {FIELD(display_on), 0}}, k1309},
    {{0xFD, 0x16, 0xFD, 0x12, 0xAF}, {{FIELD(command_lock), 0}, {FIELD(display_on), 1}}, k1309},
    {{0xAD, 0x30}, {{FIELD(iref), 0x30}}, k1315},
};
// clang-format on

TEST(ControllerRegisters, EachControllerTakesItsOwnCommands) {
  for (const CommandCase& c : kCommandCases) {
    Controller controller = running(c.model);
    send_commands(controller, c.commands);
    for (const Expected& e : c.expected) {
      EXPECT_EQ(e.field.get(controller.registers()), e.value)
          << controller.profile().name << " " << e.field.name << " after " << ::testing::PrintToString(c.commands);
    }
  }
}

// Reset low restores every register of each controller (the SH1106's DC-DC
// converter on, the SSD1309's commands unlocked) but leaves display RAM alone.
TEST(ControllerRegisters, ResetLineRestoresDefaultsAndKeepsRam) {
  for (ControllerModel model : kModels) {
    Controller controller = running(model);
    for (const CommandCase& c : kCommandCases) {
      if (c.model == ControllerModel::Ssd1306 || c.model == model) send_commands(controller, c.commands);
    }
    send(controller, {cmd(0xB3), cmd(0x04), cmd(0x10), dat(0x5A)});
    send_commands(controller, {0xAD, 0x8A, 0xFD, 0x16});

    controller.set_line(Line::Reset, false);
    controller.set_line(Line::Reset, true);

    expect_reset_values(controller);
    EXPECT_EQ(controller.ram(3, 4), 0x5A) << controller.profile().name;
  }
}

constexpr int kNo = -1;  // not in the controller's set

struct ParameterCount {
  std::uint8_t opcode;
  std::array<int, kControllerModels> count;  // SSD1306, SH1106, SSD1309, SSD1315
};

// clang-format off
const std::vector<ParameterCount> kCounts = {
    {0x00, {0, 0, 0, 0}},         {0x1F, {0, 0, 0, 0}},
    {0x20, {1, kNo, 1, 1}},       {0x21, {2, kNo, 2, 2}},       {0x22, {2, kNo, 2, 2}},
    {0x26, {6, kNo, 6, 6}},       {0x27, {6, kNo, 6, 6}},       {0x29, {5, kNo, 5, 5}},
    {0x2A, {5, kNo, 5, 5}},       {0x2E, {0, kNo, 0, 0}},       {0x2F, {0, kNo, 0, 0}},
    {0x28, {kNo, kNo, kNo, kNo}}, {0x30, {kNo, 0, kNo, kNo}},   {0x33, {kNo, 0, kNo, kNo}},
    {0x34, {kNo, kNo, kNo, kNo}}, {0x40, {0, 0, 0, 0}},         {0x7F, {0, 0, 0, 0}},
    {0x81, {1, 1, 1, 1}},         {0x8D, {1, kNo, kNo, 1}},     {0xA0, {0, 0, 0, 0}},
    {0xA3, {2, kNo, 2, 2}},       {0xA8, {1, 1, 1, 1}},         {0xAD, {kNo, 1, kNo, 1}},
    {0xAF, {0, 0, 0, 0}},         {0xB7, {0, 0, 0, 0}},         {0xC0, {0, 0, 0, 0}},
    {0xC3, {kNo, 0, kNo, kNo}},   {0xC8, {0, 0, 0, 0}},         {0xCF, {kNo, 0, kNo, kNo}},
    {0xD3, {1, 1, 1, 1}},         {0xD5, {1, 1, 1, 1}},         {0xD9, {1, 1, 1, 1}},
    {0xDA, {1, 1, 1, 1}},         {0xDB, {1, 1, 1, 1}},         {0xE0, {kNo, 0, kNo, kNo}},
    {0xE3, {0, 0, 0, 0}},         {0xEE, {kNo, 0, kNo, kNo}},   {0xFD, {kNo, kNo, 1, kNo}},
    {0xFB, {kNo, kNo, kNo, kNo}}, {0xFF, {kNo, kNo, kNo, kNo}},
};
// clang-format on

TEST(CommandSet, EachControllerHasItsCommandsWithTheirParameterCounts) {
  for (const ParameterCount& row : kCounts) {
    for (int m = 0; m < kControllerModels; ++m) {
      const Profile& profile = profile_of(static_cast<ControllerModel>(m));
      const int count = command_parameter_count(profile, row.opcode).value_or(kNo);
      EXPECT_EQ(count, row.count[static_cast<std::size_t>(m)])
          << profile.name << " opcode 0x" << std::hex << int{row.opcode};
    }
  }
}

}  // namespace
}  // namespace qel::emu::test
