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

struct Case {
  const char* name;
  const char* bytes;  // as bytes_of reads them
  std::vector<std::string> lines;
  emu::ControllerModel model = emu::ControllerModel::Ssd1306;
};

constexpr auto k1106 = emu::ControllerModel::Sh1106, k1309 = emu::ControllerModel::Ssd1309,
               k1315 = emu::ControllerModel::Ssd1315;

// clang-format off
const Case kCases[] = {
    {"CommandsWithParametersAndNames", "C 81 CF AF 20 00 21 00 7F B3",
     {"81 CF     contrast 0xCF", "AF        display on", "20 00     memory addressing mode 0x00 (horizontal)",
      "21 00 7F  column range 0-127", "B3        page start 3"}},
    {"PageModeRunWithinAPage", "C B2 0A 10 D 6*55",
     {"B2        page start 2", "0A        lower column start nibble 0x0A", "10        upper column start nibble 0x00",
      "6 data bytes, page 2, columns 10-15"}},
    // Page mode returns to the column start address (4) after column 127.
    {"PageModeRunThatWraps", "C 04 D 126*55",
     {"04        lower column start nibble 0x04", "126 data bytes, page 0, columns 4-127 then 4-5 (column wrapped)"}},
    {"HorizontalModeRunOverPages", "C 20 00 D 300*55",
     {"20 00     memory addressing mode 0x00 (horizontal)", "300 data bytes, pages 0-2, columns 0-127"}},
    {"ACommandSplitsTwoRuns", "D 2*55 C E3 D 55",
     {"2 data bytes, page 0, columns 0-1", "E3        no operation", "1 data byte, page 0, column 2"}},
    {"DataCutsACommandShort", "C 21 05 D FF",
     {"21 05     column range (cut short after 1 of 2 parameter bytes; dropped)", "1 data byte, page 0, column 0"}},
    {"TheEndCutsACommandShort", "C 81", {"81        contrast (cut short after 0 of 1 parameter bytes; dropped)"}},
    {"UnknownAndUndefinedBytes", "C FF B9",
     {"FF        unknown command", "B9        page start, undefined (taken as page 1)"}},
    {"ScrollSetUpTakesSixParameters", "C 26 00 01 02 03 00 FF 2F",
     {"26 00 01 02 03 00 FF  horizontal scroll set-up (right) 0x00 0x01 0x02 0x03 0x00 0xFF", "2F        scroll on"}},
    // Each controller names its own commands; a byte outside its set is listed
    // alone, with what it is on the controller that has it.
    {"Sh1106NamesItsOwnSet", "C AD 8B 32 E0 EE 20 00",
     {"AD 8B     DC-DC control 0x8B (on)", "32        pump voltage 8.0 V", "E0        read-modify-write start",
      "EE        read-modify-write end", "20        not in the SH1106's set (memory addressing mode on the SSD1306)",
      "00        lower column start nibble 0x00"}, k1106},
    {"Ssd1309NamesTheLock", "C FD 16 FD 12 8D",
     {"FD 16     command lock 0x16 (locked)", "FD 12     command lock 0x12 (unlocked)",
      "8D        not in the SSD1309's set (charge pump on the SSD1306)"}, k1309},
    {"Ssd1315NamesTheReferenceCurrent", "C AD 30", {"AD 30     internal reference current 0x30"}, k1315},
    {"Ssd1306ListsOtherControllersBytesAlone", "C AD 8B",
     {"AD        not in the SSD1306's set (DC-DC control on the SH1106)", "8B        unknown command"}},
};
// clang-format on

// Every line comes from the one call's place.
TEST(CommandListing, ListsWhatTheControllerTook) {
  for (const Case& c : kCases) {
    std::vector<std::string> expected;
    for (const std::string& line : c.lines) expected.push_back("s.qel:1:1|" + line);
    EXPECT_EQ(Listed(emu::test::bytes_of(c.bytes), c.model).lines.text, expected) << c.name;
  }
}

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
