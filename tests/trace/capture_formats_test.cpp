// Captures in every format: the module's own traffic written as VCD, as a
// sigrok session and as a Saleae CSV export reads back to the bytes and picture
// of the controller fed directly; sessions as other tools write them; garbage
// and cut-short files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "emulator/controller.h"
#include "module_fixture.h"
#include "qel/pin_fanout.h"
#include "trace/capture_file.h"
#include "trace/capture_replay.h"
#include "trace/csv_reader.h"
#include "trace/sr_writer.h"
#include "trace/vcd_reader.h"
#include "trace/vcd_writer.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;
using emu::Line;

fs::path temp_dir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path dir = fs::temp_directory_path() / ("qel_capture_" + std::to_string(getpid()) + "_" + info->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void write_file(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
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
  void SetUp() override {
    ModuleTest::SetUp();
    dir_ = temp_dir();
  }
  void TearDown() override {
    ModuleTest::TearDown();
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // Runs a few calls into a directly fed controller, a VCD and a sigrok session.
  void record(const fs::path& vcd_path, const fs::path& sr_path) {
    std::ofstream vcd_file(vcd_path, std::ios::binary);
    trace::VcdWriter vcd(vcd_file);
    trace::SrWriter sr(sr_path.string());
    emu::ControllerPins pins(direct_);
    PinFanout all;
    all.add(pins);
    all.add(vcd);
    all.add(sr);
    host::set_pin_observer(&all);
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("Capture"), 1);
    QEL_LCD_WriteStringValue(text("N="), 0xBEEF, 16, 6);
    vcd.finish();
    sr.finish();
    host::set_pin_observer(&wire);
  }

  void expect_same_as_direct(const trace::CapturedTrace& t, const std::string& what) {
    SCOPED_TRACE(what);
    emu::Controller replayed;
    trace::replay(t, replayed);
    EXPECT_EQ(replayed.bytes(), direct_.bytes());
    EXPECT_EQ(replayed.picture(), direct_.picture());
    for (const auto& d : replayed.diagnostics()) ADD_FAILURE() << "byte " << d.byte_index << ": " << d.message;
    EXPECT_TRUE(t.notes.empty());
  }

  fs::path dir_;
  emu::Controller direct_;
};

// The same run read back from each format, found from the content: the session
// is named .vcd on purpose, and the CSV has a trigger before its start.
TEST_F(CaptureFormats, EachFormatReadsBackToTheSameBytesAndPicture) {
  record(dir_ / "run.vcd", dir_ / "session.vcd");
  ASSERT_GT(direct_.bytes().size(), 1000u);
  const trace::CapturedTrace from_vcd = read_capture(dir_ / "run.vcd");
  const trace::CapturedTrace from_sr = read_capture(dir_ / "session.vcd");
  expect_same_as_direct(from_vcd, "VCD");
  expect_same_as_direct(from_sr, "sigrok session");
  EXPECT_EQ(from_sr.changes, from_vcd.changes);  // 100 ns per write is one sample at 10 MHz

  write_file(dir_ / "export.txt", as_csv(from_vcd, {"CLK", "MOSI", "D/C", "RST"}, 1'500'000));
  const trace::CapturedTrace from_csv = read_capture(dir_ / "export.txt");
  EXPECT_EQ(from_csv.start.mapping, "sclk=CLK,sdin=MOSI,dc=D/C,res_n=RST");
  expect_same_as_direct(from_csv, "Saleae CSV");
}

// Sessions as PulseView writes them: more probes than the controller uses, two-byte
// samples, metadata keys in any order with comments, the rate in kHz or bare Hz.
TEST(SigrokSession, ReadsProbesAnywhereInWideSamples) {
  const fs::path dir = temp_dir();
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
  const struct {
    const char* rate;
    std::uint64_t first_change_ns;
  } cases[] = {{"250 kHz", 4000}, {"1000000", 1000}};
  for (const auto& c : cases) {
    std::string metadata = "[global]\nsigrok version=0.5.1\n\n[device 1]\n# from a 16-channel analyzer\nunitsize=2\n";
    for (int k = 1; k <= 16; ++k)
      metadata += "probe" + std::to_string(k) + "=" +
                  (k == 10   ? "CLK"
                   : k == 11 ? "MOSI"
                   : k == 12 ? "DC"
                             : "D" + std::to_string(k - 1)) +
                  "\n";
    metadata += std::string("samplerate=") + c.rate + "\ntotal probes=16\ncapturefile=logic-1\ntotal analog=0\n";
    // A chunk boundary has no meaning: split the samples into two chunks.
    write_zip(dir / "pv.sr", {{"version", "2"},
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
  fs::remove_all(dir);
}

std::string error_of(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

// Files that are no capture, or sessions missing what a capture needs, are
// refused naming the file and what was expected.
TEST(CaptureFile, RefusesGarbageNamingTheFileAndWhatWasExpected) {
  const fs::path dir = temp_dir();
  const std::string ok_metadata =
      "[device 1]\ncapturefile=logic-1\ntotal probes=3\nsamplerate=1 MHz\nprobe1=CLK\nprobe2=MOSI\nprobe3=DC\n";
  write_file(dir / "noise.bin", std::string("\x00\x01\x02garbage", 10));
  write_file(dir / "empty.vcd", "");
  write_zip(dir / "other.zip", {{"readme.txt", "hello"}});
  write_zip(dir / "v3.sr", {{"version", "3"}, {"metadata", ok_metadata}});
  write_zip(dir / "norate.sr", {{"version", "2"}, {"metadata", "[device 1]\ncapturefile=logic-1\ntotal probes=3\n"}});
  write_zip(dir / "badrate.sr", {{"version", "2"}, {"metadata", ok_metadata + "samplerate=fast\n"}});
  write_zip(dir / "nochunk.sr", {{"version", "2"}, {"metadata", ok_metadata}});
  // A session cut in half has lost its ZIP directory.
  write_zip(dir / "whole.sr", {{"version", "2"}, {"metadata", ok_metadata}, {"logic-1-1", std::string(5000, '\x01')}});
  const std::string whole = read_file(dir / "whole.sr");
  write_file(dir / "half.sr", whole.substr(0, whole.size() / 2));
  write_file(dir / "bad.csv", "Time [s],CLK,MOSI,DC\n0.0,1,0,1\n0.1,1,0\n0.2,1,1,1\n");

  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"noise.bin",
       "': expected a VCD file (starting with a '$' keyword), a sigrok session (a ZIP archive) or a Saleae "
       "Logic 2 CSV export (header 'Time [s],...'); it starts with '\\0\\x01\\x02garbage'."},
      {"empty.vcd", "it starts with nothing (the file is empty)."},
      {"other.zip", "': expected a sigrok session with an entry 'version'; the archive has none."},
      {"v3.sr", "': expected sigrok session version '2', got '3'."},
      {"norate.sr", "': expected 'samplerate=' in the metadata's '[device 1]' section."},
      {"badrate.sr", "': metadata line 8: expected a sample rate such as '10 MHz', got 'fast'."},
      {"nochunk.sr", "': expected sample chunk 'logic-1-1'; the archive has none."},
      {"half.sr", "the file may be cut short or damaged."},
      {"bad.csv", "bad.csv:3: expected 3 values of 0 or 1 after the time, got ',1,0'."},
      {"", "': it is a folder; expected a file."},
  };
  for (const auto& c : cases) {
    const std::string path = (dir / c.file).string();
    const std::string message = error_of([&] { read_capture(path); });
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  fs::remove_all(dir);
}

// Line ends where a hand-made or edited file has them: a version entry ended
// by a newline is still version 2, and an empty CSV is refused at its line 1.
TEST(CaptureFile, LineEndsOfEditedFiles) {
  const fs::path dir = temp_dir();
  write_zip(dir / "nl.sr", {{"version", "2\n"},
                            {"metadata",
                             "[device 1]\ncapturefile=logic-1\ntotal probes=3\nsamplerate=1 MHz\n"
                             "probe1=CLK\nprobe2=MOSI\nprobe3=DC\n"},
                            {"logic-1-1", std::string("\x01\x00\x01", 3)}});
  EXPECT_EQ(read_capture(dir / "nl.sr").changes.size(), 2u);

  std::istringstream empty;
  trace::TraceCollector sink;
  EXPECT_EQ(error_of([&] { trace::read_csv(empty, "empty.csv", std::nullopt, sink); }),
            "empty.csv:1: expected the header 'Time [s],<channel>,...', got an empty file.");
  fs::remove_all(dir);
}

// Times as far apart as the reader takes them (about 285 years either side of
// zero) are counted exactly from the first row.
TEST(CaptureFile, CsvTimesAtTheEdgesOfTheirRange) {
  const std::string header = "Time [s],CLK,MOSI,DC\n";
  std::istringstream widest(header + "-8999999999.999999999,0,0,1\n8999999999.999999999,1,0,1\n");
  trace::TraceCollector sink;
  trace::read_csv(widest, "wide.csv", std::nullopt, sink);
  ASSERT_EQ(sink.trace.changes.size(), 1u);
  EXPECT_EQ(sink.trace.changes[0].time_ns, 17'999'999'999'999'999'998u);
}

// A capture that stops mid-sample or mid-row is decoded up to there and noted.
TEST(CaptureFile, NotesFilesCutShort) {
  const fs::path dir = temp_dir();
  write_zip(dir / "odd.sr", {{"version", "2"},
                             {"metadata",
                              "[device 1]\ncapturefile=logic-1\ntotal probes=9\nunitsize=2\nsamplerate=1 MHz\n"
                              "probe1=CLK\nprobe2=MOSI\nprobe3=DC\n"},
                             {"logic-1-1", std::string("\x01\x00\x00\x00\x01", 5)}});
  write_file(dir / "cut.csv", "Time [s],CLK,MOSI,DC\n0.0,1,0,1\n0.000001,0,0,1\n0.0000");
  const struct {
    const char* file;
    std::size_t changes;
    const char* note;
  } cases[] = {
      {"odd.sr", 1,
       "': the file is cut short: chunk 'logic-1-1' ends inside a sample of 2 bytes; decoding stopped after 2 "
       "samples, at 2000 ns."},
      {"cut.csv", 1, "cut.csv:4: the file is cut short: its last row stops mid-line."},
  };
  for (const auto& c : cases) {
    const trace::CapturedTrace t = read_capture(dir / c.file);
    EXPECT_EQ(t.changes.size(), c.changes) << c.file;
    ASSERT_EQ(t.notes.size(), 1u) << c.file;
    EXPECT_NE(t.notes[0].find(c.note), std::string::npos) << t.notes[0];
    EXPECT_TRUE(t.ended);
  }
  fs::remove_all(dir);
}

// What a session holds but cannot be decoded is noted, with where decoding
// stopped: a missing chunk, entries named like chunks that are none, a chunk
// shorter than a sample, probes past the session's count. Samples at 1 MHz
// toggle the clock each microsecond.
TEST(SigrokSession, NotesWhatIsNotReadAndWhereDecodingStopped) {
  const fs::path dir = temp_dir();
  const std::string metadata =
      "[device 1]\ncapturefile=logic-1\ntotal probes=3\nsamplerate=1 MHz\nprobe1=CLK\nprobe2=MOSI\nprobe3=DC\n";
  const std::string four("\x01\x00\x01\x00", 4);
  const struct {
    const char* name;
    const char* more_metadata;
    std::vector<std::pair<std::string, std::string>> entries;
    std::size_t changes;
    std::string note;
  } cases[] = {
      {"gap",
       "",
       {{"logic-1-1", four}, {"logic-1-3", four}, {"logic-1-4", four}},
       3,
       "': sample chunk 'logic-1-2' is missing, so 'logic-1-3', 'logic-1-4' cannot follow on; decoding stopped "
       "after 4 samples, at 4000 ns, the end of chunk 'logic-1-1'."},
      {"out of range",
       "",
       {{"logic-1-1", four}, {"logic-1-0", four}, {"logic-1-2", four}, {"logic-1-02", four}},
       7,
       "': entries 'logic-1-0', 'logic-1-02' are named like sample chunks but are none (chunks count from "
       "'logic-1-1' without leading zeros); they are not read."},
      {"short chunk",
       "unitsize=2\n",
       {{"logic-1-1", std::string("\x01\x00\x00\x00", 4)}, {"logic-1-2", "\x01"}},
       1,
       "': the file is cut short: chunk 'logic-1-2' ends inside a sample of 2 bytes; decoding stopped after 2 "
       "samples, at 2000 ns."},
      {"probes past the count",
       "probe4=RST\nprobe9=CS\n",
       {{"logic-1-1", four}},
       3,
       "': the metadata names 'probe4=RST', 'probe9=CS', but its samples hold 3 probes ('total probes'); those "
       "channels are not read."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::string, std::string>> entries = {{"version", "2"},
                                                                {"metadata", metadata + c.more_metadata}};
    entries.insert(entries.end(), c.entries.begin(), c.entries.end());
    write_zip(dir / "s.sr", entries);
    const trace::CapturedTrace t = read_capture(dir / "s.sr");
    EXPECT_EQ(t.changes.size(), c.changes);
    ASSERT_EQ(t.notes.size(), 1u);
    EXPECT_EQ(t.notes[0], "'" + (dir / "s.sr").string() + c.note);
    EXPECT_TRUE(t.ended);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qel::test
