// Every input of the fuzz corpus (seed scenarios and kept regression cases) runs
// through the harness with every rule kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "call_script.h"
#include "harness.h"

namespace qel::fuzz {
namespace {

std::vector<std::string> corpus_files() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(QEL_FUZZ_CORPUS_DIR)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class CorpusReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusReplay, KeepsEveryRule) {
  std::ifstream in(GetParam(), std::ios::binary);
  ASSERT_TRUE(in) << "Cannot open corpus file '" << GetParam() << "'.";
  const std::vector<std::uint8_t> input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto broken = run_calls(read_calls(input.data(), input.size()));
  EXPECT_FALSE(broken) << *broken;
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = std::filesystem::path(info.param).filename().string();
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(corpus_files()), test_name);

}  // namespace
}  // namespace qel::fuzz
