// The name a user most likely meant: for a mistyped option, "Did you mean --png?".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qel::common {

// The name in `names` closest to `typed` by edit distance (insertions,
// deletions, substitutions and swaps of two neighbouring letters, so "pgn" is
// one step from "png"), when at most a third of its letters are off; nothing
// when `typed` is one of the names or none is that close.
std::optional<std::string> closest_name(const std::string& typed, const std::vector<std::string>& names);

}  // namespace qel::common
