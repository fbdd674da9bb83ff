// The command listing, fed by a real controller so that parameter counts and
// write positions are the emulator's: one line per command, data runs condensed.
#include "view/command_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../emulator/controller_feed.h"

namespace qel::view {
namespace {

using emu::test::cmd;
using emu::test::dat;

struct Lines : ListingSink {
  void on_line(const ListingLine& line) override { text.push_back(line.origin + "|" + line.text); }
  std::vector<std::string> text;
};

emu::ControllerOptions options_of(emu::ControllerModel model) {
  emu::ControllerOptions options;
  options.model = model;
  return options;
}

// Sends `bytes` through a running controller and lists them, all from one call.
struct Listed : emu::ByteListener {
  Listed(const std::vector<emu::WireByte>& bytes, emu::ControllerModel model)
      : controller(emu::test::running_controller(options_of(model))) {
    controller.set_listener(this);
    emu::test::send(controller, bytes);
    listing.finish();
  }
  void on_byte(const emu::WireByte& b, std::uint64_t) override {
    listing.add(b, controller.last_written(), ByteOrigin{"s.qel:1:1", std::nullopt});
  }
  void on_note(const emu::Diagnostic&) override {}
  emu::Controller controller;
  Lines lines;
  CommandListing listing{lines, controller.profile()};
};

std::vector<emu::WireByte> data_run(int count) { return std::vector<emu::WireByte>(count, dat(0x55)); }

std::vector<emu::WireByte> join(std::vector<std::vector<emu::WireByte>> parts) {
  std::vector<emu::WireByte> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Case {
  const char* name;
  std::vector<emu::WireByte> bytes;
  std::vector<std::string> lines;
  emu::ControllerModel model = emu::ControllerModel::Ssd1306;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

const Case kCases[] = {
    {"CommandsWithParametersAndNames",
     {cmd(0x81), cmd(0xCF), cmd(0xAF), cmd(0x20), cmd(0x00), cmd(0x21), cmd(0x00), cmd(0x7F), cmd(0xB3)},
     {"81 CF     contrast 0xCF", "AF        display on", "20 00     memory addressing mode 0x00 (horizontal)",
      "21 00 7F  column range 0-127", "B3        page start 3"}},
    {"PageModeRunWithinAPage",
     join({{cmd(0xB2), cmd(0x0A), cmd(0x10)}, data_run(6)}),
     {"B2        page start 2", "0A        lower column start nibble 0x0A", "10        upper column start nibble 0x00",
      "6 data bytes, page 2, columns 10-15"}},
    // Page mode returns to the column start address (4) after column 127.
    {"PageModeRunThatWraps",
     join({{cmd(0x04)}, data_run(126)}),
     {"04        lower column start nibble 0x04", "126 data bytes, page 0, columns 4-127 then 4-5 (column wrapped)"}},
    {"HorizontalModeRunOverPages",
     join({{cmd(0x20), cmd(0x00)}, data_run(300)}),
     {"20 00     memory addressing mode 0x00 (horizontal)", "300 data bytes, pages 0-2, columns 0-127"}},
    {"ACommandSplitsTwoRuns",
     join({data_run(2), {cmd(0xE3)}, data_run(1)}),
     {"2 data bytes, page 0, columns 0-1", "E3        no operation", "1 data byte, page 0, column 2"}},
    {"DataCutsACommandShort",
     {cmd(0x21), cmd(0x05), dat(0xFF)},
     {"21 05     column range (cut short after 1 of 2 parameter bytes; dropped)", "1 data byte, page 0, column 0"}},
    {"TheEndCutsACommandShort", {cmd(0x81)}, {"81        contrast (cut short after 0 of 1 parameter bytes; dropped)"}},
    {"UnknownAndUndefinedBytes",
     {cmd(0xFF), cmd(0xB9)},
     {"FF        unknown command", "B9        page start, undefined (taken as page 1)"}},
    {"ScrollSetUpTakesSixParameters",
     {cmd(0x26), cmd(0), cmd(1), cmd(2), cmd(3), cmd(0), cmd(0xFF), cmd(0x2F)},
     {"26 00 01 02 03 00 FF  horizontal scroll set-up (right) 0x00 0x01 0x02 0x03 0x00 0xFF", "2F        scroll on"}},
    // Each controller names its own commands; a byte outside its set is listed
    // alone, with what it is on the controller that has it.
    {"Sh1106NamesItsOwnSet",
     {cmd(0xAD), cmd(0x8B), cmd(0x32), cmd(0xE0), cmd(0xEE), cmd(0x20), cmd(0x00)},
     {"AD 8B     DC-DC control 0x8B (on)", "32        pump voltage 8.0 V", "E0        read-modify-write start",
      "EE        read-modify-write end", "20        not in the SH1106's set (memory addressing mode on the SSD1306)",
      "00        lower column start nibble 0x00"},
     emu::ControllerModel::Sh1106},
    {"Ssd1309NamesTheLock",
     {cmd(0xFD), cmd(0x16), cmd(0xFD), cmd(0x12), cmd(0x8D)},
     {"FD 16     command lock 0x16 (locked)", "FD 12     command lock 0x12 (unlocked)",
      "8D        not in the SSD1309's set (charge pump on the SSD1306)"},
     emu::ControllerModel::Ssd1309},
    {"Ssd1315NamesTheReferenceCurrent",
     {cmd(0xAD), cmd(0x30)},
     {"AD 30     internal reference current 0x30"},
     emu::ControllerModel::Ssd1315},
    {"Ssd1306ListsOtherControllersBytesAlone",
     {cmd(0xAD), cmd(0x8B)},
     {"AD        not in the SSD1306's set (DC-DC control on the SH1106)", "8B        unknown command"}},
};

class CommandListingCase : public ::testing::TestWithParam<Case> {};

// Every line comes from the one call's place.
TEST_P(CommandListingCase, ListsWhatTheControllerTook) {
  std::vector<std::string> expected;
  for (const std::string& line : GetParam().lines) expected.push_back("s.qel:1:1|" + line);
  EXPECT_EQ(Listed(GetParam().bytes, GetParam().model).lines.text, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandListingCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A flush (the end of a call or burst) splits a run; a heading names the call;
// capture lines carry the time of their first byte.
TEST(CommandListing, FlushHeadingsAndCaptureTimes) {
  Lines lines;
  CommandListing listing(lines);
  listing.heading("a.qel:2:1", "QEL_LCD_ClearLine(0);");
  listing.add(dat(1), emu::RamAddress{0, 5}, ByteOrigin{{}, 1'500'000});
  listing.add(dat(1), emu::RamAddress{0, 6}, ByteOrigin{{}, 1'600'000});
  listing.flush();
  listing.add(dat(1), emu::RamAddress{0, 7}, ByteOrigin{{}, 12'000'000'123});
  listing.finish();
  const std::vector<std::string> expected = {"a.qel:2:1|# QEL_LCD_ClearLine(0);",
                                             "1.500000 ms|2 data bytes, page 0, columns 5-6",
                                             "12000.000123 ms|1 data byte, page 0, column 7"};
  EXPECT_EQ(lines.text, expected);
}

}  // namespace
}  // namespace qel::view
