#include "input_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qel::fuzz {

void rule_broken(const std::string& what) {
  constexpr std::size_t kShown = 300;
  std::fprintf(stderr, "Rule broken: %s%s\n", what.substr(0, kShown).c_str(), what.size() > kShown ? "..." : "");
  std::abort();
}

std::uint64_t line_count(std::string_view text) {
  return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')) +
         ((text.empty() || text.back() != '\n') ? 1 : 0);
}

bool is_position_in(std::string_view text, std::uint64_t line, std::uint64_t column) {
  if (line == 0 || column == 0) return false;
  std::size_t start = 0;
  for (std::uint64_t l = 1; l < line; ++l) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) return false;
    start = newline + 1;
  }
  const std::size_t end = std::min(text.find('\n', start), text.size());
  return column - 1 <= end - start;
}

std::uint64_t number_after(std::string_view message, std::string_view prefix) {
  if (message.substr(0, prefix.size()) != prefix) return 0;
  std::uint64_t n = 0;
  std::size_t i = prefix.size();
  for (; i < message.size() && message[i] >= '0' && message[i] <= '9' && i < prefix.size() + 19; ++i) {
    n = n * 10 + static_cast<std::uint64_t>(message[i] - '0');
  }
  return i < message.size() && message[i] == ':' ? n : 0;
}

}  // namespace qel::fuzz
