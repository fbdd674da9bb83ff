// Headers of hostile size: signals deep inside nested scopes cost memory in
// their names, not in depth times signals, and hundreds of thousands of
// channels of one name are weighed in one pass and listed in a bounded message.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "trace/capture_file.h"
#include "trace/captured_trace.h"
#include "trace/csv_reader.h"
#include "trace/vcd_reader.h"

namespace qel::trace {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

std::string error_of(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

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
  const struct {
    const char* format;
    std::function<void(TraceCollector&)> read;
    std::string expected;
  } cases[] = {
      {"CSV",
       [&](TraceCollector& sink) {
         std::istringstream in(csv);
         read_csv(in, "wide.csv", std::nullopt, sink);
       },
       "wide.csv:1: cannot tell which channel is which line: 250000 channels fit sclk; no channel fits sdin; no "
       "channel fits dc. Channels: " +
           ten + " and 249990 more. Candidates for each line:\n  sclk (CLK, SCK, SCLK, D0): " + ten +
           " and 249990 more\n"},
      {"VCD",
       [&](TraceCollector& sink) {
         std::istringstream in(vcd);
         read_vcd(in, "wide.vcd", std::nullopt, sink);
       },
       "wide.vcd:300001: cannot tell which channel is which line: 300000 channels fit sclk; no channel fits sdin; "
       "no channel fits dc. Channels: " +
           ten + " and 299990 more. Candidates for each line:\n  sclk (CLK, SCK, SCLK, D0): " + ten +
           " and 299990 more\n"},
  };
  for (const auto& c : cases) {
    TraceCollector sink;
    const std::string message = error_of([&] { c.read(sink); });
    EXPECT_EQ(message.substr(0, c.expected.size()), c.expected) << c.format;
  }
}

}  // namespace
}  // namespace qel::trace
