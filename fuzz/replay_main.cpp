// Runs a fuzz harness once on each file named on the command line, as libFuzzer
// does when given files: the host build's replay of the seeds, without libFuzzer.
// A broken rule aborts inside the harness, which fails the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s INPUT...\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "Cannot open input '%s'.\n", argv[i]);
      return 2;
    }
    const std::vector<std::uint8_t> input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    std::printf("%s: every rule kept\n", argv[i]);
  }
  return 0;
}
