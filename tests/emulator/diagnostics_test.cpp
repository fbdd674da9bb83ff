// Notes on what the controller would not accept, chip select gating, and the
// timing checks on timed traces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller_feed.h"

namespace qel::emu::test {
namespace {

enum class Then { Nothing, ReleaseReset, EndTrace };

struct NoteCase {
  ControllerModel model;
  bool start_in_reset;
  const char* bytes;  // as bytes_of reads them
  int partial_bits;   // bits of a further byte
  Then then;
  std::size_t byte_index;
  std::string message_part;
};

constexpr auto k1306 = ControllerModel::Ssd1306, k1106 = ControllerModel::Sh1106, k1309 = ControllerModel::Ssd1309;

const std::vector<NoteCase> kNoteCases = {
    {k1306, false, "C AF 28", 0, Then::Nothing, 1, "0x28"},
    {k1306, false, "C A8 D 3F", 0, Then::Nothing, 1, "0xA8 cut short"},
    {k1306, false, "C B8", 0, Then::Nothing, 0, "0xB8"},
    {k1306, true, "C AF", 0, Then::ReleaseReset, 0, "8 clock edges"},
    {k1306, false, "D 01", 3, Then::EndTrace, 1, "3 bits"},
    {k1306, false, "C AF 18", 0, Then::Nothing, 1, "0x18 points past column 127"},
    {k1306, false, "C 1F", 0, Then::Nothing, 0, "0x1F points past column 127"},
    {k1306, false, "C FB", 0, Then::Nothing, 0, "Unknown command byte 0xFB ignored."},
    {k1306, false, "C AF AD", 0, Then::Nothing, 1, "0xAD (DC-DC control on the SH1106) is not in the SSD1306's set"},
    {k1106, false, "C 20 02", 0, Then::Nothing, 0, "addressing mode on the SSD1306) is not in the SH1106's set"},
    {k1309, false, "C 8D 14", 0, Then::Nothing, 0, "0x8D (charge pump on the SSD1306) is not in the SSD1309's set"},
    {k1106, false, "C 18 05", 0, Then::Nothing, 1, "Column address 133 is past column 131; taken as column 1."},
    {k1106, false, "C 19", 0, Then::Nothing, 0, "0x19 points past column 131; taken as 0x11."},
    {k1106, false, "C AD 0B", 0, Then::Nothing, 1, "DC-DC control 0x0B is neither 0x8A nor 0x8B; taken as on."},
    {k1106, false, "C EE", 0, Then::Nothing, 0, "Read-modify-write end (0xEE) without a start (0xE0) ignored."},
    // Once per locked stretch.
    {k1309, false, "C FD 16 AF D FF C A5", 0, Then::Nothing, 2, "0xAF ignored: commands and display data are locked"},
};

TEST(ControllerDiagnostics, EachFaultGivesOneNoteAtItsByte) {
  for (const NoteCase& c : kNoteCases) {
    ControllerOptions options;
    options.reset_released = !c.start_in_reset;
    options.model = c.model;
    Controller controller(options);
    send(controller, bytes_of(c.bytes));
    send_bits(controller, 0xFF, c.partial_bits);
    if (c.then == Then::ReleaseReset) controller.set_line(Line::Reset, true);
    if (c.then == Then::EndTrace) controller.end_of_trace();

    const auto& notes = controller.diagnostics();
    ASSERT_EQ(notes.size(), 1u) << c.message_part;
    EXPECT_EQ(notes[0].byte_index, c.byte_index) << c.message_part;
    EXPECT_NE(notes[0].message.find(c.message_part), std::string::npos) << notes[0].message;
  }
  // Command bytes outside the set are counted, and the first one's place kept.
  ControllerOptions options;
  options.model = ControllerModel::Sh1106;
  Controller controller = running_controller(options);
  send(controller, {cmd(0xAF), cmd(0x20), cmd(0x00), cmd(0x8D), cmd(0x14), dat(0x01)});
  EXPECT_EQ(controller.outside_set().count, 2u);
  EXPECT_EQ(controller.outside_set().first_byte_index, 1u);
  EXPECT_EQ(controller.outside_set().first_opcode, 0x20);
}

const struct {
  const char* name;
  const char *before, *while_deselected, *taken;  // as bytes_of reads them; taken: once selected again and 0xAF sent
  int partial_bits;                               // bits of a further byte before chip select goes high
  std::vector<std::string> notes;
} kChipSelectCases[] = {
    {"deselected mid-byte", "", "C A5", "C AF", 3, {"Chip select went inactive 3 bits into a byte"}},
    {"deselected between whole bytes", "C A5", "", "C A5 AF", 0, {}},
};

TEST(ControllerDiagnostics, ChipSelectGatesTheClockAndRestartsTheByte) {
  for (const auto& c : kChipSelectCases) {
    Controller controller = running_controller();
    send(controller, bytes_of(c.before));
    send_bits(controller, 0xFF, c.partial_bits);
    controller.set_line(Line::ChipSelect, true);
    send(controller, bytes_of(c.while_deselected));
    controller.set_line(Line::ChipSelect, false);
    send(controller, {cmd(0xAF)});
    controller.end_of_trace();

    EXPECT_EQ(controller.bytes(), bytes_of(c.taken)) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
}

struct TimedChange {
  Line line;
  bool level;
  std::uint64_t ns;
};

struct TimingCase {
  const char* name;
  std::vector<TimedChange> changes;
  std::string message_part;  // empty: no note
  ControllerModel model = ControllerModel::Ssd1306;
};

// clang-format off
const std::vector<TimingCase> kTimingCases = {
    {"short reset pulse", {{Line::Reset, false, 1000}, {Line::Reset, true, 2500}}, "Reset pulse of 1500 ns"},
    {"reset pulse of 3 µs", {{Line::Reset, false, 1000}, {Line::Reset, true, 4000}}, ""},
    {"fast clock period", {{Line::Clock, true, 100}, {Line::Clock, false, 150}, {Line::Clock, true, 180}}, "Clock period of 80 ns"},
    {"short high phase", {{Line::Clock, true, 100}, {Line::Clock, false, 110}}, "Clock high phase of 10 ns"},
    {"short low phase", {{Line::Clock, true, 100}, {Line::Clock, false, 190}, {Line::Clock, true, 205}}, "Clock low phase of 15 ns"},
    {"clock within limits", {{Line::Clock, true, 100}, {Line::Clock, false, 150}, {Line::Clock, true, 200}}, ""},
    // The SH1106's serial input is slower: 250 ns clock period, 100 ns phases, 10 µs reset.
    {"SH1106: clock of 5 MHz", {{Line::Clock, true, 100}, {Line::Clock, false, 200}, {Line::Clock, true, 300}},
     "Clock period of 200 ns is shorter than the 250 ns", k1106},
    {"SH1106: clock of 4 MHz", {{Line::Clock, true, 100}, {Line::Clock, false, 225}, {Line::Clock, true, 350}}, "", k1106},
    {"SH1106: reset pulse of 3 µs", {{Line::Reset, false, 1000}, {Line::Reset, true, 4000}},
     "Reset pulse of 3 us is shorter than the 10 us", k1106},
};
// clang-format on

TEST(ControllerDiagnostics, TimedTracesAreCheckedAgainstMinimumTimes) {
  for (const TimingCase& c : kTimingCases) {
    ControllerOptions options;
    options.model = c.model;
    Controller timed = running_controller(options), untimed = running_controller(options);
    for (const TimedChange& change : c.changes) {
      timed.set_line(change.line, change.level, change.ns);
      untimed.set_line(change.line, change.level);
    }
    expect_notes(untimed, {}, std::string(c.name) + ", without times");
    expect_notes(timed, c.message_part.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message_part},
                 c.name);
  }
  // A fast capture breaks the same rule on every bit: one note, then a count.
  Controller controller = running_controller();
  for (std::uint64_t t = 0; t < 8; ++t) {
    controller.set_line(Line::Clock, false, t * 50);
    controller.set_line(Line::Clock, true, t * 50 + 25);
  }
  controller.end_of_trace();
  ASSERT_EQ(controller.diagnostics().size(), 2u);
  EXPECT_NE(controller.diagnostics()[1].message.find("6 more times"), std::string::npos)
      << controller.diagnostics()[1].message;
}

}  // namespace
}  // namespace qel::emu::test
