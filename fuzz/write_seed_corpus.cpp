// Writes the seed corpus: one file per scenario, each a script of calls in the
// fuzz input format. Usage: fuzz_seed_corpus DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "call_script.h"

namespace {

using qel::fuzz::Call;
using qel::fuzz::CallKind;

Call init() { return {CallKind::Init, 0, 0, 0, std::nullopt}; }
Call failing_init() { return {CallKind::InitOpenFails, 0, 0, 0, std::nullopt}; }
Call str(std::optional<std::string> s, std::uint8_t line) { return {CallKind::WriteString, line, 0, 0, std::move(s)}; }
Call clear(std::uint8_t line) { return {CallKind::ClearLine, line, 0, 0, std::nullopt}; }
Call value(std::uint32_t v, std::uint8_t base, std::uint8_t line) { return {CallKind::WriteValue, line, v, base, {}}; }
Call labelled(std::optional<std::string> label, std::uint32_t v, std::uint8_t base, std::uint8_t line) {
  return {CallKind::WriteStringValue, line, v, base, std::move(label)};
}

std::string codes(int first, int last) {
  std::string out;
  for (int c = first; first <= last ? c <= last : c >= last; c += first <= last ? 1 : -1) {
    out.push_back(static_cast<char>(c));
  }
  return out;
}

struct Seed {
  const char* name;
  std::vector<Call> calls;
};

std::vector<Seed> seeds() {
  return {
      {"start-up", {init()}},
      {"every-line",
       {init(), str("Line 0", 0), str("Line 1", 1), str("Line 2", 2), str("Line 3", 3), str("Line 4", 4),
        str("Line 5", 5), str("Line 6", 6), str("Line 7", 7)}},
      {"clear-every-line", {init(), clear(0), clear(1), clear(2), clear(3), clear(4), clear(5), clear(6), clear(7)}},
      {"values",
       {init(), value(0, 10, 0), value(4294967295u, 10, 1), value(100010000, 10, 2), value(0xFFFFFFFFu, 16, 3),
        value(0xFF, 16, 4), value(0x1000F, 16, 5)}},
      {"unsupported-bases",
       {init(), value(42, 0, 0), value(42, 8, 1), value(42, 2, 2), value(42, 255, 3), labelled("T", 7, 8, 4)}},
      {"long-labels",
       {init(), labelled("thirteen char", 4294967295u, 10, 0), labelled(std::string(40, 'L'), 0xFFFFFFFFu, 16, 2),
        labelled(std::string(600, 'x'), 1, 10, 4)}},
      {"null-and-empty-text",
       {init(), str(std::nullopt, 3), labelled(std::nullopt, 25, 10, 2), str("", 4), labelled("", 0, 10, 1)}},
      {"every-code", {init(), str(codes(1, 255), 0), str(codes(255, 1), 5)}},
      {"wrap-past-last-line",
       {init(), str(std::string(25, 'W'), 7), str(std::string(600, 'M'), 0), str(std::string(300, '#'), 14)}},
      {"lines-past-the-panel",
       {init(), str("x", 8), str("x", 15), str("x", 16), str("x", 24), str("x", 255), clear(16), clear(255),
        value(9, 10, 200), labelled("T=", 1, 16, 176)}},
      {"failed-open-then-start-up",
       {failing_init(), str("lost", 0), clear(1), value(42, 10, 2), labelled("T=", 25, 10, 3), init(),
        str("found", 0)}},
      {"calls-before-start-up",
       {str("early", 0), value(7, 16, 1), clear(255), labelled(std::nullopt, 3, 10, 9), init(), init()}},
      {"repeated-failed-opens", {failing_init(), failing_init(), init(), failing_init(), str("still on", 6)}},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_corpus DIRECTORY\n");
    return 2;
  }
  for (const Seed& seed : seeds()) {
    const std::string path = std::string(argv[1]) + "/" + seed.name;
    const std::vector<std::uint8_t> bytes = qel::fuzz::write_calls(seed.calls);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "Cannot write seed file '%s'.\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
