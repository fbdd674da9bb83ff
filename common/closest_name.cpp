// The closest name; see closest_name.h.
#include "common/closest_name.h"

#include <algorithm>

namespace qel::common {
namespace {

std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closest_name(const std::string& typed, const std::vector<std::string>& names) {
  std::optional<std::string> best;
  std::size_t best_distance = std::max<std::size_t>(1, typed.size() / 3) + 1;
  for (const std::string& name : names) {
    const std::size_t d = edit_distance(typed, name);
    if (d == 0) return std::nullopt;
    if (d < best_distance) {
      best_distance = d;
      best = name;
    }
  }
  return best;
}

}  // namespace qel::common
