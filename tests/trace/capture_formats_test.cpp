// Captures in every format: the module's own traffic written as VCD (also
// renamed like an analyzer's channels, without its reset line), as a sigrok
// session and as a Saleae CSV export reads back to the bytes and picture of the
// controller fed directly; start levels and the reset pulse in nominal time;
// sessions as other tools write them; garbage, and what a session holds but
// cannot be decoded.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "module_fixture.h"
#include "qel/pin_fanout.h"
#include "trace/capture_file.h"
#include "trace/capture_replay.h"
#include "trace/sr_writer.h"
#include "trace/vcd_reader.h"
#include "trace/vcd_writer.h"
#include "trace_test_support.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;
using emu::Line;
using trace::test::error_of;
using trace::test::Folder;

void write_file(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A ZIP archive holding the entries in order, as another tool might write it.
void write_zip(const fs::path& p, const std::vector<std::pair<std::string, std::string>>& entries) {
  int code = 0;
  zip_t* z = zip_open(p.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, data] : entries) {
    zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), s, 0), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

trace::CapturedTrace read_capture(const fs::path& p, const std::string& map = "") {
  trace::TraceCollector sink;
  trace::read_capture_file(p.string(), map.empty() ? std::nullopt : std::optional(trace::parse_signal_map(map)), sink);
  return sink.trace;
}

// A collected trace as a Logic 2 CSV export: a row per change time, times in
// seconds from a trigger `offset_ns` after the start, CRLF line ends.
std::string as_csv(const trace::CapturedTrace& t, const std::vector<std::string>& names, std::int64_t offset_ns) {
  std::array<bool, emu::kLineCount> level{};
  for (int i = 0; i < 4; ++i) level[i] = t.start.initial[i].value_or(false);
  std::string out = "Time [s]";
  for (const auto& n : names) out += "," + n;
  out += "\r\n";
  const auto row = [&](std::uint64_t ns) {
    char time[40];
    const std::int64_t rel = static_cast<std::int64_t>(ns) - offset_ns;
    std::snprintf(time, sizeof time, "%s%lld.%09lld", rel < 0 ? "-" : "",
                  static_cast<long long>(std::llabs(rel) / 1000000000),
                  static_cast<long long>(std::llabs(rel) % 1000000000));
    out += time;
    for (int i = 0; i < 4; ++i) out += level[i] ? ",1" : ",0";
    out += "\r\n";
  };
  row(t.start.time_ns);
  for (std::size_t i = 0; i < t.changes.size(); ++i) {
    level[static_cast<std::size_t>(t.changes[i].line)] = t.changes[i].level;
    if (i + 1 == t.changes.size() || t.changes[i + 1].time_ns != t.changes[i].time_ns) row(t.changes[i].time_ns);
  }
  return out;
}

class CaptureFormats : public ModuleTest {
 protected:
  // Runs a few calls into a directly fed controller, a VCD (returned) and,
  // when one is named, a sigrok session.
  std::string record(std::uint64_t ns_per_write = trace::VcdWriter::kDefaultNsPerWrite, const fs::path& sr_path = {}) {
    std::ostringstream vcd;
    trace::VcdWriter vcd_writer(vcd, ns_per_write);
    std::optional<trace::SrWriter> sr;
    emu::ControllerPins pins(direct_);
    PinFanout all;
    all.add(pins);
    all.add(vcd_writer);
    if (!sr_path.empty()) all.add(sr.emplace(sr_path.string(), ns_per_write));
    host::set_pin_observer(&all);
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("Capture"), 1);
    QEL_LCD_WriteStringValue(text("N="), 0xBEEF, 16, 6);
    vcd_writer.finish();
    if (sr) sr->finish();
    host::set_pin_observer(&wire);
    return vcd.str();
  }

  Folder dir_;
  emu::Controller direct_;
};

// The same run read back from each format, found from the content (the session
// is named .vcd on purpose, the CSV has a trigger before its start), and
// renamed like an analyzer's channels with the reset line left unmapped (the
// controller then starts out of reset): each replays to the bytes and picture
// of the controller fed directly, whether the controller starts in reset or not.
TEST_F(CaptureFormats, EachFormatReadsBackToTheSameBytesAndPicture) {
  const std::string vcd = record(trace::VcdWriter::kDefaultNsPerWrite, dir_ / "session.vcd");
  ASSERT_GT(direct_.bytes().size(), 1000u);
  write_file(dir_ / "run.vcd", vcd);
  std::string renamed = vcd;
  for (const auto& [from, to] : {std::pair{"sclk", "D0"}, {"sdin", "D1"}, {"dc", "D2"}, {"res_n", "D3"}}) {
    renamed =
        std::regex_replace(renamed, std::regex(std::string(" ") + from + " \\$end"), " " + std::string(to) + " $end");
  }
  write_file(dir_ / "renamed.vcd", renamed);
  const trace::CapturedTrace from_vcd = read_capture(dir_ / "run.vcd");
  write_file(dir_ / "export.txt", as_csv(from_vcd, {"CLK", "MOSI", "D/C", "RST"}, 1'500'000));
  const struct {
    const char *file, *map, *mapping;
  } cases[] = {
      {"run.vcd", "", "sclk=sclk,sdin=sdin,dc=dc,res_n=res_n"},
      {"session.vcd", "", "sclk=sclk,sdin=sdin,dc=dc,res_n=res_n"},
      {"renamed.vcd", "sclk=D0,sdin=D1,dc=D2", "sclk=D0,sdin=D1,dc=D2"},
      {"export.txt", "", "sclk=CLK,sdin=MOSI,dc=D/C,res_n=RST"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const trace::CapturedTrace t = read_capture(dir_ / c.file, c.map);
    EXPECT_EQ(t.start.mapping, c.mapping);
    EXPECT_TRUE(t.notes.empty());
    for (const bool reset_released : {false, true}) {
      emu::Controller replayed(emu::ControllerOptions{false, emu::ColumnWrap::Start, reset_released});
      trace::replay(t, replayed);
      EXPECT_EQ(replayed.bytes(), direct_.bytes());
      EXPECT_EQ(replayed.picture(), direct_.picture());
      for (const auto& d : replayed.diagnostics()) ADD_FAILURE() << "byte " << d.byte_index << ": " << d.message;
    }
  }
  EXPECT_EQ(read_capture(dir_ / "session.vcd").changes, from_vcd.changes);  // 100 ns per write is one sample at 10 MHz
}

// Opened pins start low at time 0 and the clock rises at once, so the trace starts
// with the clock high; reset is released 250 ms (plus the two pin writes before
// the delay) later. The first byte's select write leaves dc low, so its first
// clock-low edge comes two write times after the release.
TEST_F(CaptureFormats, StartLevelsAndResetPulseInNominalTimeAndReplayFromThem) {
  const struct {
    std::uint64_t ns_per_write, reset_release_ns, first_clock_low_ns;
  } cases[] = {{100, 250'000'200, 250'000'400}, {1, 250'000'002, 250'000'004}};
  const std::optional<bool> low = false, high = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ns_per_write);
    fresh_module();
    std::istringstream in(record(c.ns_per_write));
    const trace::CapturedTrace trace = trace::read_vcd(in, "capture.vcd");
    EXPECT_TRUE((trace.start.initial == std::array<std::optional<bool>, emu::kLineCount>{high, low, low, low, {}}));
    ASSERT_GE(trace.changes.size(), 2u);
    EXPECT_TRUE((trace.changes[0] == trace::LineChange{c.reset_release_ns, Line::Reset, true}));
    EXPECT_TRUE((trace.changes[1] == trace::LineChange{c.first_clock_low_ns, Line::Clock, false}));
  }
  // A capture that starts mid-stream: clock idling high, dc and sdin already high, no reset line. Eight clock pulses
  // then make one data byte 0xFF, not nine bits.
  std::string vcd =
      "$var wire 1 ! sclk $end $var wire 1 \" sdin $end $var wire 1 # dc $end $enddefinitions $end\n#0 1! 1\" 1#\n";
  for (int t = 100; t <= 800; t += 100) vcd += "#" + std::to_string(t) + " 0!\n#" + std::to_string(t + 50) + " 1!\n";
  std::istringstream in(vcd);
  emu::Controller controller;
  trace::replay(trace::read_vcd(in, "capture.vcd"), controller);
  EXPECT_EQ(controller.bytes(), std::vector<WireByte>{dat(0xFF)});
  EXPECT_TRUE(controller.diagnostics().empty());
}

// Sessions as PulseView writes them: more probes than the controller uses, two-byte
// samples, metadata keys in any order with comments.
TEST(SigrokSession, ReadsProbesAnywhereInWideSamples) {
  const Folder dir;
  // Probes 10 (CLK), 11 (MOSI), 12 (DC): bits 9, 10, 11. One data byte 0xA5, a clock pulse every 2 samples.
  std::string samples;
  const auto put = [&samples](bool clk, bool mosi, bool dc) {
    const unsigned v = 0x0100u | (clk ? 1u << 9 : 0u) | (mosi ? 1u << 10 : 0u) | (dc ? 1u << 11 : 0u);
    samples += static_cast<char>(v & 0xFF);
    samples += static_cast<char>(v >> 8);
  };
  put(true, false, true);
  for (int bit = 7; bit >= 0; --bit) {
    const bool b = ((0xA5 >> bit) & 1) != 0;
    put(false, b, true);
    put(true, b, true);
  }
  // The rate in kHz or in bare Hz; a version entry ended by a newline, as an edited file has it.
  const struct {
    const char *rate, *version;
    std::uint64_t first_change_ns;
  } cases[] = {{"250 kHz", "2", 4000}, {"1000000", "2\n", 1000}};
  for (const auto& c : cases) {
    const std::string metadata =
        "[global]\nsigrok version=0.5.1\n\n[device 1]\n# from a 16-channel analyzer\nunitsize=2\nprobe1=D0\n"
        "probe2=D1\nprobe3=D2\nprobe4=D3\nprobe5=D4\nprobe6=D5\nprobe7=D6\nprobe8=D7\nprobe9=D8\nprobe10=CLK\n"
        "probe11=MOSI\nprobe12=DC\nprobe13=D12\nprobe14=D13\nprobe15=D14\nprobe16=D15\nsamplerate=" +
        std::string(c.rate) + "\ntotal probes=16\ncapturefile=logic-1\ntotal analog=0\n";
    // A chunk boundary has no meaning: split the samples into two chunks.
    write_zip(dir / "pv.sr", {{"version", c.version},
                              {"metadata", metadata},
                              {"logic-1-1", samples.substr(0, 8)},
                              {"logic-1-2", samples.substr(8)}});
    const trace::CapturedTrace t = read_capture(dir / "pv.sr");
    EXPECT_EQ(t.start.mapping, "sclk=CLK,sdin=MOSI,dc=DC");
    ASSERT_GE(t.changes.size(), 2u);
    EXPECT_TRUE((t.changes[0] == trace::LineChange{c.first_change_ns, Line::Clock, false}));
    emu::Controller controller;
    trace::replay(t, controller);
    EXPECT_EQ(controller.bytes(), std::vector<WireByte>{dat(0xA5)});
    EXPECT_TRUE(t.notes.empty());
  }
}

// Files that are no capture are refused naming the file and what was expected.
TEST(CaptureFile, RefusesGarbageNamingTheFileAndWhatWasExpected) {
  const Folder dir;
  write_file(dir / "noise.bin", std::string("\x00\x01\x02garbage", 10));
  write_file(dir / "empty.vcd", "");
  // A session cut in half has lost its ZIP directory.
  write_zip(dir / "whole.sr", {{"version", "2"}, {"logic-1-1", std::string(5000, '\x01')}});
  const std::string whole = read_file(dir / "whole.sr");
  write_file(dir / "half.sr", whole.substr(0, whole.size() / 2));
  write_file(dir / "bad.csv", "Time [s],CLK,MOSI,DC\n0.0,1,0,1\n0.1,1,0\n0.2,1,1,1\n");
  // clang-format off
  const struct { const char *file, *message; } cases[] = {
      {"noise.bin", "': expected a VCD file (starting with a '$' keyword), a sigrok session (a ZIP archive) or a "
                    "Saleae Logic 2 CSV export (header 'Time [s],...'); it starts with '\\0\\x01\\x02garbage'."},
      {"empty.vcd", "it starts with nothing (the file is empty)."},
      {"half.sr", "the file may be cut short or damaged."},
      {"bad.csv", "bad.csv:3: expected 3 values of 0 or 1 after the time, got ',1,0'."},
      {"", "': it is a folder; expected a file."},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string path = (dir / c.file).string();
    const std::string message = error_of([&] { read_capture(path); });
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

// A session missing what a capture needs is refused, and what it holds but
// cannot be decoded is noted with where decoding stopped: a missing chunk,
// entries named like chunks that are none, a chunk shorter than a sample,
// probes past the session's count. Samples at 1 MHz toggle the clock each
// microsecond.
TEST(SigrokSession, RefusesOrNotesWhatItCannotDecode) {
  const Folder dir;
  const std::string device = "[device 1]\ncapturefile=logic-1\ntotal probes=3\n";
  const std::string meta = device + "samplerate=1 MHz\nprobe1=CLK\nprobe2=MOSI\nprobe3=DC\n";
  const std::string four("\x01\x00\x01\x00", 4);
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const auto with = [](Entries entries, const Entries& more) {
    entries.insert(entries.end(), more.begin(), more.end());
    return entries;
  };
  const Entries good = {{"version", "2"}, {"metadata", meta}};
  // clang-format off
  const struct {
    Entries entries;
    std::size_t changes;
    std::string said;  // the start of the refusal, or of the one note
  } cases[] = {
      {{{"readme.txt", "hello"}}, 0, "': expected a sigrok session with an entry 'version'; the archive has none."},
      {{{"version", "3"}, {"metadata", meta}}, 0, "': expected sigrok session version '2', got '3'."},
      {{{"version", "2"}, {"metadata", device}}, 0, "': expected 'samplerate=' in the metadata's '[device 1]' section"},
      {{{"version", "2"}, {"metadata", meta + "samplerate=fast\n"}}, 0, "': metadata line 8: expected a sample rate"},
      {good, 0, "': expected sample chunk 'logic-1-1'; the archive has none."},
      {with(good, {{"logic-1-1", four}, {"logic-1-3", four}, {"logic-1-4", four}}), 3,
       "': sample chunk 'logic-1-2' is missing, so 'logic-1-3', 'logic-1-4' cannot follow on; decoding stopped "
       "after 4 samples, at 4000 ns, the end of chunk 'logic-1-1'."},
      {with(good, {{"logic-1-1", four}, {"logic-1-0", four}, {"logic-1-2", four}, {"logic-1-02", four}}), 7,
       "': entries 'logic-1-0', 'logic-1-02' are named like sample chunks but are none (chunks count from "},
      {{{"version", "2"}, {"metadata", meta + "unitsize=2\n"}, {"logic-1-1", std::string("\x01\x00\x00\x00", 4)},
        {"logic-1-2", "\x01"}}, 1,
       "': the file is cut short: chunk 'logic-1-2' ends inside a sample of 2 bytes; decoding stopped after 2 "
       "samples, at 2000 ns."},
      {{{"version", "2"}, {"metadata", meta + "probe4=RST\nprobe9=CS\n"}, {"logic-1-1", four}}, 3,
       "': the metadata names 'probe4=RST', 'probe9=CS', but its samples hold 3 probes ('total probes')"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    write_zip(dir / "s.sr", c.entries);
    trace::CapturedTrace t;
    const std::string error = error_of([&] { t = read_capture(dir / "s.sr"); });
    const std::string said = error != "no error"   ? error
                             : t.notes.size() == 1 ? t.notes[0]
                                                   : "notes: " + std::to_string(t.notes.size());
    EXPECT_EQ(said.rfind("'" + (dir / "s.sr").string() + c.said, 0), 0u) << said;
    EXPECT_EQ(t.changes.size(), c.changes);
  }
}

}  // namespace
}  // namespace qel::test
