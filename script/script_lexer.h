// Splits a script of C-syntax module calls into tokens: identifiers, integer
// literals (decimal, octal, 0x hex, with U/L suffixes), string literals with the
// C escapes (adjacent literals joined), and the punctuation ( ) , ; *.
// Comments (// and /* */) and white space are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::script {

struct Token {
  enum class Kind { Identifier, Integer, String, Punct, End };
  Kind kind = Kind::End;
  std::string text;         // Identifier, Integer: as written; String: the decoded bytes; Punct: the character
  std::uint64_t value = 0;  // Integer: the value, when it fits 64 bits
  bool overflow = false;    // Integer: too large for 64 bits
  std::size_t begin = 0;    // offset of the first character in the source
  std::size_t end = 0;      // offset one past the last character
  int line = 1;
  int column = 1;

  bool is(char punct) const { return kind == Kind::Punct && text.size() == 1 && text[0] == punct; }
};

// Tokenises `source`; the last token is always End. Throws ScriptError naming
// `file` for characters or literals that are not part of the call syntax.
std::vector<Token> tokenize(std::string_view source, const std::string& file);

// How a token is named in messages: "'QEL_LCD_Init'", "'('", "end of script".
std::string describe(const Token& token);

}  // namespace qel::script
