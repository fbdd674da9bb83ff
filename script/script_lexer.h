// Splits a script of C-syntax module calls into tokens: identifiers, integer
// literals (decimal, octal, 0x hex, with U/L suffixes), string literals with the
// C escapes (adjacent literals joined, backslash-newline spliced out), and the
// punctuation ( ) , ; *. Comments (// and /* */) and white space are skipped,
// and so is a UTF-8 byte order mark at the very start.
//
// The lexer reads its stream in chunks and keeps only the text from the oldest
// offset still wanted (release_before), so a long script streams through in
// bounded memory. A script larger than its byte limit is refused.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace qel::script {

// Largest script read, in bytes.
inline constexpr std::uint64_t kMaxScriptBytes = std::uint64_t{256} << 20;

struct Token {
  // Stray: a character no token starts with; Number: a literal that is not an
  // integer (1.5, 'a'). Both are refused by the parser, which knows what was wanted.
  enum class Kind { Identifier, Integer, String, Punct, Stray, Number, End };
  Kind kind = Kind::End;
  std::string text;         // Identifier, Integer, Number: as written; String: the decoded bytes; else the character
  std::uint64_t value = 0;  // Integer: the value, when it fits 64 bits
  bool overflow = false;    // Integer: too large for 64 bits
  std::uint64_t begin = 0;  // offset of the first character in the source
  std::uint64_t end = 0;    // offset one past the last character
  std::uint64_t line = 1;
  std::uint64_t column = 1;

  bool is(char punct) const { return kind == Kind::Punct && text.size() == 1 && text[0] == punct; }
};

class Lexer {
 public:
  // Reads `in`, which must outlive the lexer. `file` names the script in messages.
  Lexer(std::istream& in, std::string file, std::uint64_t max_bytes = kMaxScriptBytes);

  // The next token; End once the script is over (and again on every later call).
  // Throws ScriptError for malformed literals and comments, an unreadable stream
  // or a script over the byte limit.
  Token next();

  // Source text [begin, end) as written; `begin` must not be released yet.
  std::string_view source(std::uint64_t begin, std::uint64_t end);
  // Text before `offset` will not be asked for again.
  void release_before(std::uint64_t offset);

  const std::string& file() const { return file_; }

 private:
  bool at_end();
  char peek(std::size_t ahead = 0);
  char advance();
  bool fill(std::uint64_t wanted_end);
  [[noreturn]] void fail(std::uint64_t line, std::uint64_t column, const std::string& message) const;
  void skip_space_and_comments();
  void lex_identifier(Token& t);
  void lex_number(Token& t);
  void lex_char_literal(Token& t);
  void lex_strings(Token& t);
  void lex_one_string(std::string& out);
  std::string written(const Token& t);

  std::istream& in_;
  std::string file_;
  std::uint64_t max_bytes_;
  std::string window_;  // source text from window_start_ on
  std::uint64_t window_start_ = 0;
  std::uint64_t read_ = 0;  // bytes taken from the stream
  bool eof_ = false;
  std::uint64_t pos_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 1;
};

// How a token is named in messages, user text quoted and cut short:
// "'QEL_LCD_Init'", "'('", "character '-'", "string 'abc'", "end of script".
std::string describe(const Token& token);

}  // namespace qel::script
