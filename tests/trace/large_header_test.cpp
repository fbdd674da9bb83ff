// Headers of hostile size: signals deep inside nested scopes cost memory in
// their names, not in depth times signals, and hundreds of thousands of
// channels of one name are weighed in one pass and listed in a bounded message.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "trace/csv_reader.h"
#include "trace/vcd_reader.h"
#include "trace_test_support.h"

namespace qel::trace {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// 3,000 nested scopes of 64-character names around 20,000 signals: each
// signal's full path is 195 kB, so holding one per signal would take 3.9 GB.
// The reading runs in a child limited to 1 GiB of address space; the clock,
// declared innermost, is mapped by its full path.
TEST(LargeHeader, DeepScopesCostTheirNamesNotDepthTimesSignals) {
  if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
  constexpr int kDepth = 3000, kSignals = 20000;
  const std::string scope_name(64, 's');
  std::string vcd, path;
  for (int i = 0; i < kDepth; ++i) {
    vcd += "$scope module " + scope_name + " $end\n";
    path += scope_name + ".";
  }
  for (int i = 0; i < kSignals; ++i)
    vcd += "$var wire 1 v" + std::to_string(i) + " sig" + std::to_string(i) + " $end\n";
  vcd += "$var wire 1 ! CLK $end\n$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n";
  for (int i = 0; i < kDepth; ++i) vcd += "$upscope $end\n";
  vcd += "$enddefinitions $end\n#0 0! 0\" 1#\n#10 1!\n";

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{1UL << 30, 1UL << 30};
    ::setrlimit(RLIMIT_AS, &limit);
    std::istringstream in(vcd);
    try {
      const CapturedTrace t = read_vcd(in, "deep.vcd", parse_signal_map("sclk=" + path + "CLK"));
      ::_exit(t.changes.size() == 1 && t.start.mapping == "sclk=CLK,sdin=MOSI,dc=DC" ? 0 : 1);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: decoded wrongly; 2: refused or out of memory";
}

// A quarter of a million channels all named CLK fit the clock: the refusal
// counts them and lists ten, in each text format. Weighing each candidate
// against the others took minutes at this size.
TEST(LargeHeader, ManyChannelsOfOneNameAreCountedAndListedInBrief) {
  constexpr int kCsvColumns = 250000, kVcdSignals = 300000;
  std::string csv = "Time [s]";
  for (int i = 0; i < kCsvColumns; ++i) csv += ",CLK";
  csv += "\n";
  std::string vcd;
  for (int i = 0; i < kVcdSignals; ++i) vcd += "$var wire 1 v" + std::to_string(i) + " CLK $end\n";
  vcd += "$enddefinitions $end\n";
  const std::string ten = "'CLK', 'CLK', 'CLK', 'CLK', 'CLK', 'CLK', 'CLK', 'CLK', 'CLK', 'CLK'";
  // clang-format off
  const struct { test::TextReader reader; const std::string& text; const char *line, *channels, *more; } cases[] = {
      {read_csv, csv, "1", "250000", "249990"},
      {read_vcd, vcd, "300001", "300000", "299990"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string expected =
        std::string("t:") + c.line + ": cannot tell which channel is which line: " + c.channels +
        " channels fit sclk; no channel fits sdin; no channel fits dc. Channels: " + ten + " and " + c.more +
        " more. Candidates for each line:\n  sclk (CLK, SCK, SCLK, D0): " + ten + " and " + c.more + " more\n";
    EXPECT_EQ(test::read_text(c.reader, "t", c.text).error.substr(0, expected.size()), expected);
  }
}

}  // namespace
}  // namespace qel::trace
