// Size and time of the run report and the animated GIF for the demo (10 calls)
// and for the build-up example (12 calls): the report of a demo-sized run must
// stay under 1 MB. Prints report_bytes and gif_bytes per run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "run/execute.h"

namespace {

void BM_RunReport(benchmark::State& state, const char* script) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qel_report_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  qel::run::Request o;
  o.script_path = std::string(QEL_EXAMPLES_DIR) + "/" + script;
  o.report_path = (dir / "run.html").string();
  o.gif_path = (dir / "run.gif").string();
  o.term = qel::run::TermMode::Off;
  for (auto _ : state) {
    std::ostringstream out, err;
    if (qel::run::execute(o, out, err) != 0) state.SkipWithError(err.str().c_str());
  }
  state.counters["report_bytes"] = static_cast<double>(fs::file_size(o.report_path));
  state.counters["gif_bytes"] = static_cast<double>(fs::file_size(o.gif_path));
  state.counters["under_1MB"] = fs::file_size(o.report_path) < 1'000'000 ? 1 : 0;
  fs::remove_all(dir);
}

BENCHMARK_CAPTURE(BM_RunReport, demo, "demo.qel")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunReport, build_up, "build-up.qel")->Unit(benchmark::kMillisecond);

}  // namespace
