// A name between quote marks, as a user copies it from a message: the inverse
// of common::quoted_excerpt. Inside ' or " marks, \\, \', \", \n, \t, \r, \0
// and \xHH stand for one byte each; every other byte stands for itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qel::trace {

struct QuotedName {
  std::string name;
  std::size_t end = 0;  // just past the closing quote mark
  std::string problem;  // what is wrong ("expected ..."); empty when the name is sound
};

// Reads the quoted name whose opening mark (' or ") is text[at].
QuotedName read_quoted_name(std::string_view text, std::size_t at);

}  // namespace qel::trace
