// Pieces of user input quoted in messages: short, printable, one line. A message
// never echoes a 10 MB token or raw binary; it shows an excerpt and says so.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel::common {

inline constexpr std::size_t kExcerptChars = 40;
inline constexpr std::size_t kListedNames = 10;

// `text` between single quotes, with bytes outside printable ASCII (and the
// quote and backslash) written as \n, \t, \r, \0, \\, \' or \xHH; longer text is
// cut after `max_chars` characters and ends in "...' (N bytes)".
std::string quoted_excerpt(std::string_view text, std::size_t max_chars = kExcerptChars);

// `text` whole, with the same escapes and without the quote marks: for text
// from input that is printed in full and unquoted, such as a file name before
// ":12:" in a location or the name of a capture in a note.
std::string escaped_text(std::string_view text);

// "'a', 'b', 'c'", each name quoted as above; past `max_names` it stops and adds
// " and N more".
std::string quoted_list(const std::vector<std::string>& names, std::size_t max_names = kListedNames);

}  // namespace qel::common
