// Sample chunk numbering of a sigrok session; see sr_chunks.h.
#include "trace/sr_chunks.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace qel::trace {
namespace {

// The chunk number `digits` spells, if it is one.
std::optional<std::uint64_t> chunk_number(std::string_view digits) {
  if (digits.front() == '0') return std::nullopt;
  std::uint64_t n = 0;
  for (const char d : digits) {
    const auto digit = static_cast<std::uint64_t>(d - '0');
    if (n > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  return n;
}

}  // namespace

ChunkPlan plan_chunks(const std::vector<std::string>& entries, std::string_view capturefile) {
  ChunkPlan plan;
  std::vector<std::uint64_t> numbers;
  for (const std::string& entry : entries) {
    const std::string_view name(entry);
    if (name.size() <= capturefile.size() + 1 || name.substr(0, capturefile.size()) != capturefile ||
        name[capturefile.size()] != '-') {
      continue;
    }
    const std::string_view digits = name.substr(capturefile.size() + 1);
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
    if (const auto n = chunk_number(digits)) {
      numbers.push_back(*n);
    } else {
      plan.out_of_range.push_back(entry);
    }
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  while (plan.count < numbers.size() && numbers[plan.count] == plan.count + 1) ++plan.count;
  plan.after_gap.assign(numbers.begin() + static_cast<std::ptrdiff_t>(plan.count), numbers.end());
  return plan;
}

}  // namespace qel::trace
