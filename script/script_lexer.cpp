// Tokeniser for scripts of module calls; see script_lexer.h.
#include "script/script_lexer.h"

#include <cctype>
#include <ios>
#include <limits>
#include <sstream>

#include "common/message_text.h"
#include "script/script_error.h"

namespace qel::script {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool is_ident_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool is_ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// C's integer suffixes: at most one u or U before or after one of l, L, ll, LL
// (a mixed-case lL or Ll is no suffix).
bool valid_suffix(std::string_view s) {
  if (!s.empty() && (s.front() == 'u' || s.front() == 'U')) {
    s.remove_prefix(1);
  } else if (!s.empty() && (s.back() == 'u' || s.back() == 'U')) {
    s.remove_suffix(1);
  }
  return s.empty() || s == "l" || s == "L" || s == "ll" || s == "LL";
}

}  // namespace

Lexer::Lexer(std::istream& in, std::string file, std::uint64_t max_bytes)
    : in_(in), file_(std::move(file)), max_bytes_(max_bytes) {
  // A byte order mark some editors put first is no part of the script.
  if (peek() == '\xEF' && peek(1) == '\xBB' && peek(2) == '\xBF') pos_ = 3;
}

bool Lexer::fill(std::uint64_t wanted_end) {
  while (!eof_ && window_start_ + window_.size() < wanted_end) {
    char chunk[kChunk];
    try {
      in_.read(chunk, sizeof chunk);
    } catch (const std::ios_base::failure&) {
      in_.setstate(std::ios::badbit);
    }
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (in_.bad()) fail(line_, column_, "Cannot read the script any further; expected a readable file.");
    read_ += got;
    if (read_ > max_bytes_) {
      const std::string limit = max_bytes_ % (1u << 20) == 0 ? std::to_string(max_bytes_ >> 20) + " MB"
                                                             : std::to_string(max_bytes_) + " bytes";
      fail(line_, column_,
           "Script is larger than " + limit + "; expected a script of at most " + limit +
               " (split it into smaller ones).");
    }
    window_.append(chunk, got);
    if (got < sizeof chunk) eof_ = true;
  }
  return window_start_ + window_.size() >= wanted_end;
}

bool Lexer::at_end() { return !fill(pos_ + 1); }

char Lexer::peek(std::size_t ahead) {
  const std::uint64_t at = pos_ + ahead;
  if (!fill(at + 1)) return '\0';
  return window_[static_cast<std::size_t>(at - window_start_)];
}

char Lexer::advance() {
  const char c = peek();
  ++pos_;
  if (c == '\n') {
    ++line_;
    column_ = 1;
  } else {
    ++column_;
  }
  return c;
}

std::string_view Lexer::source(std::uint64_t begin, std::uint64_t end) {
  fill(end);
  if (begin < window_start_) begin = window_start_;  // released: a caller's mistake, but never out of bounds
  const std::uint64_t stop = std::min<std::uint64_t>(end, window_start_ + window_.size());
  if (stop <= begin) return {};
  return std::string_view(window_).substr(static_cast<std::size_t>(begin - window_start_),
                                          static_cast<std::size_t>(stop - begin));
}

void Lexer::release_before(std::uint64_t offset) {
  if (offset > pos_) offset = pos_;
  if (offset <= window_start_) return;
  const auto drop = static_cast<std::size_t>(offset - window_start_);
  // Erase only when the dead part is large, so each byte is moved a bounded number of times.
  if (drop < kChunk || drop < window_.size() / 2) return;
  window_.erase(0, drop);
  window_start_ = offset;
}

void Lexer::fail(std::uint64_t line, std::uint64_t column, const std::string& message) const {
  throw ScriptError(file_, line, column, message);
}

std::string Lexer::written(const Token& t) { return std::string(source(t.begin, pos_)); }

Token Lexer::next() {
  skip_space_and_comments();
  Token t;
  t.begin = pos_;
  t.line = line_;
  t.column = column_;
  if (at_end()) {
    t.kind = Token::Kind::End;
    t.end = pos_;
    return t;
  }
  const char c = peek();
  if (is_ident_start(c)) {
    lex_identifier(t);
  } else if (is_digit(c) || (c == '.' && is_digit(peek(1)))) {
    lex_number(t);
  } else if (c == '"') {
    lex_strings(t);
  } else if (c == '\'') {
    lex_char_literal(t);
  } else if (c == '(' || c == ')' || c == ',' || c == ';' || c == '*') {
    t.kind = Token::Kind::Punct;
    t.text = std::string(1, advance());
  } else {
    t.kind = Token::Kind::Stray;
    t.text = std::string(1, advance());
  }
  if (t.end == 0) t.end = pos_;
  return t;
}

void Lexer::skip_space_and_comments() {
  while (!at_end()) {
    const char c = peek();
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      advance();
    } else if (c == '/' && peek(1) == '/') {
      while (!at_end() && peek() != '\n') advance();
    } else if (c == '/' && peek(1) == '*') {
      const std::uint64_t line = line_;
      const std::uint64_t column = column_;
      advance();
      advance();
      while (!(peek() == '*' && peek(1) == '/')) {
        if (at_end()) fail(line, column, "Unterminated comment; expected '*/' before the end of the script.");
        advance();
      }
      advance();
      advance();
    } else {
      return;
    }
  }
}

void Lexer::lex_identifier(Token& t) {
  t.kind = Token::Kind::Identifier;
  while (!at_end() && is_ident_char(peek())) t.text += advance();
}

// Decimal, octal (leading 0) or 0x hexadecimal, then a C integer suffix. A
// literal with a point or an exponent is a Number token: C would read a
// floating value, which no argument of the module takes.
void Lexer::lex_number(Token& t) {
  t.kind = Token::Kind::Integer;
  int base = 10;
  if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
    base = 16;
    advance();
    advance();
    if (hex_digit(peek()) < 0) fail(t.line, t.column, "Incomplete hexadecimal number; expected digits after '0x'.");
  } else if (peek() == '0') {
    base = 8;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  while (!at_end() && is_ident_char(peek())) {
    const int d = hex_digit(peek());
    if (d < 0 || d >= base) break;
    if (t.value > (kMax - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) t.overflow = true;
    t.value = t.value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    advance();
  }
  if (base != 16 && (peek() == '.' || is_digit(peek()) || peek() == 'e' || peek() == 'E')) {
    while (!at_end() && (is_ident_char(peek()) || peek() == '.')) advance();
    t.kind = Token::Kind::Number;
    t.text = written(t);
    return;
  }
  const std::uint64_t suffix_begin = pos_;
  while (!at_end() && is_ident_char(peek())) advance();
  if (!valid_suffix(source(suffix_begin, pos_))) {
    fail(t.line, t.column,
         "Bad integer literal " + common::quoted_excerpt(written(t)) +
             "; expected decimal, octal or 0x hexadecimal digits with an optional U, L or LL suffix.");
  }
  t.text = written(t);
}

// 'a', '\n' and the like: read whole so the parser can say what it wanted instead.
void Lexer::lex_char_literal(Token& t) {
  t.kind = Token::Kind::Number;
  advance();
  while (!at_end() && peek() != '\'' && peek() != '\n') {
    if (advance() == '\\' && !at_end() && peek() != '\n') advance();
  }
  if (peek() == '\'') advance();
  t.text = written(t);
}

// One or more string literals separated only by space or comments, joined.
void Lexer::lex_strings(Token& t) {
  t.kind = Token::Kind::String;
  for (;;) {
    lex_one_string(t.text);
    t.end = pos_;
    skip_space_and_comments();  // whatever follows starts after this anyway
    if (peek() != '"') return;
  }
}

void Lexer::lex_one_string(std::string& out) {
  const std::uint64_t line = line_;
  const std::uint64_t column = column_;
  advance();  // opening quote
  for (;;) {
    if (at_end() || peek() == '\n') {
      fail(line, column, "Unterminated string; expected a closing '\"' on the same line.");
    }
    const char c = advance();
    if (c == '"') return;
    if (c != '\\') {
      out += c;
      continue;
    }
    const std::uint64_t esc_line = line_;
    const std::uint64_t esc_column = column_ - 1;
    if (at_end()) fail(line, column, "Unterminated string; expected a closing '\"' on the same line.");
    const char e = advance();
    switch (e) {
      case '\n':  // backslash-newline: the string goes on on the next line
        break;
      case '\r':
        if (peek() == '\n') {
          advance();
          break;
        }
        fail(esc_line, esc_column, "A backslash before a lone carriage return; expected a new line after it.");
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case '\'':
        out += '\'';
        break;
      case '?':
        out += '?';
        break;
      case 'x': {
        if (hex_digit(peek()) < 0) fail(esc_line, esc_column, "Bad escape '\\x'; expected hexadecimal digits.");
        unsigned v = 0;
        while (hex_digit(peek()) >= 0) {
          v = v * 16 + static_cast<unsigned>(hex_digit(advance()));
          if (v > 0xFF) fail(esc_line, esc_column, "Escape '\\x' out of range; expected a value up to 0xFF.");
        }
        out += static_cast<char>(v);
        break;
      }
      default:
        if (is_octal(e)) {
          unsigned v = static_cast<unsigned>(e - '0');
          for (int i = 0; i < 2 && is_octal(peek()); ++i) v = v * 8 + static_cast<unsigned>(advance() - '0');
          if (v > 0xFF) fail(esc_line, esc_column, "Octal escape out of range; expected a value up to \\377.");
          out += static_cast<char>(v);
        } else {
          fail(esc_line, esc_column,
               "Unknown escape " +
                   (std::isprint(static_cast<unsigned char>(e)) != 0
                        ? "'\\" + std::string(1, e) + "'"
                        : "'\\' before " + common::quoted_excerpt({&e, 1})) +
                   "; expected one of \\n \\t \\r \\\\ \\\" \\' \\0 \\xHH.");
        }
    }
  }
}

std::string describe(const Token& token) {
  switch (token.kind) {
    case Token::Kind::End:
      return "end of script";
    case Token::Kind::String:
      return "string " + common::quoted_excerpt(token.text, 20);
    case Token::Kind::Stray:
      return "character " + common::quoted_excerpt(token.text);
    case Token::Kind::Number:
      return "literal " + common::quoted_excerpt(token.text);
    case Token::Kind::Integer:
    case Token::Kind::Identifier:
    case Token::Kind::Punct:
      return common::quoted_excerpt(token.text);
  }
  return "?";
}

}  // namespace qel::script
