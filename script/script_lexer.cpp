// Tokeniser for scripts of module calls; see script_lexer.h.
#include "script/script_lexer.h"

#include <cctype>
#include <limits>

#include "script/script_error.h"

namespace qel::script {
namespace {

bool is_ident_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool is_ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string quoted(char c) {
  if (std::isprint(static_cast<unsigned char>(c)) != 0) return std::string("'") + c + "'";
  static const char kHex[] = "0123456789ABCDEF";
  const auto u = static_cast<unsigned char>(c);
  return std::string("byte 0x") + kHex[u >> 4] + kHex[u & 0xF];
}

class Lexer {
 public:
  Lexer(std::string_view source, const std::string& file) : src_(source), file_(file) {}

  std::vector<Token> run() {
    std::vector<Token> out;
    for (;;) {
      skip_space_and_comments();
      Token t;
      t.begin = pos_;
      t.line = line_;
      t.column = column_;
      if (at_end()) {
        t.kind = Token::Kind::End;
        t.end = pos_;
        out.push_back(t);
        return out;
      }
      const char c = peek();
      if (is_ident_start(c)) {
        lex_identifier(t);
      } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
        lex_integer(t);
      } else if (c == '"') {
        lex_strings(t);
      } else if (c == '(' || c == ')' || c == ',' || c == ';' || c == '*') {
        t.kind = Token::Kind::Punct;
        t.text = std::string(1, advance());
      } else {
        fail(line_, column_, "Unexpected character " + quoted(c) + "; expected a function call.");
      }
      t.end = pos_;
      out.push_back(std::move(t));
    }
  }

 private:
  bool at_end() const { return pos_ >= src_.size(); }
  char peek(std::size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }
  char advance() {
    const char c = src_[pos_++];
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    return c;
  }
  [[noreturn]] void fail(int line, int column, const std::string& message) const {
    throw ScriptError(file_, line, column, message);
  }

  void skip_space_and_comments() {
    while (!at_end()) {
      const char c = peek();
      if (std::isspace(static_cast<unsigned char>(c)) != 0) {
        advance();
      } else if (c == '/' && peek(1) == '/') {
        while (!at_end() && peek() != '\n') advance();
      } else if (c == '/' && peek(1) == '*') {
        const int line = line_;
        const int column = column_;
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

  void lex_identifier(Token& t) {
    t.kind = Token::Kind::Identifier;
    while (!at_end() && is_ident_char(peek())) t.text += advance();
  }

  // Decimal, octal (leading 0) or 0x hexadecimal, then any of the suffixes U, L, UL, LL, ULL.
  void lex_integer(Token& t) {
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
    std::string suffix;
    while (!at_end() && is_ident_char(peek())) suffix += advance();
    if (!valid_suffix(suffix)) {
      fail(t.line, t.column,
           "Bad integer literal '" + std::string(src_.substr(t.begin, pos_ - t.begin)) +
               "'; expected decimal or 0x hexadecimal digits with an optional U or L suffix.");
    }
    t.text = std::string(src_.substr(t.begin, pos_ - t.begin));
  }

  static bool valid_suffix(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kSuffixes[] = {"", "U", "L", "UL", "LU", "LL", "ULL", "LLU"};
    for (const char* k : kSuffixes) {
      if (s == k) return true;
    }
    return false;
  }

  // One or more string literals separated only by space or comments, joined.
  void lex_strings(Token& t) {
    t.kind = Token::Kind::String;
    for (;;) {
      lex_one_string(t.text);
      const std::size_t save_pos = pos_;
      const int save_line = line_;
      const int save_column = column_;
      skip_space_and_comments();
      if (peek() != '"') {
        pos_ = save_pos;
        line_ = save_line;
        column_ = save_column;
        return;
      }
    }
  }

  void lex_one_string(std::string& out) {
    const int line = line_;
    const int column = column_;
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
      const int esc_line = line_;
      const int esc_column = column_ - 1;
      if (at_end()) fail(line, column, "Unterminated string; expected a closing '\"' on the same line.");
      const char e = advance();
      switch (e) {
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
                 "Unknown escape '\\" + std::string(1, e) + "'; expected one of \\n \\t \\r \\\\ \\\" \\' \\0 \\xHH.");
          }
      }
    }
  }

  std::string_view src_;
  const std::string& file_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
};

}  // namespace

std::vector<Token> tokenize(std::string_view source, const std::string& file) { return Lexer(source, file).run(); }

std::string describe(const Token& token) {
  switch (token.kind) {
    case Token::Kind::End:
      return "end of script";
    case Token::Kind::String:
      return "string \"" + (token.text.size() > 20 ? token.text.substr(0, 17) + "..." : token.text) + "\"";
    case Token::Kind::Integer:
    case Token::Kind::Identifier:
    case Token::Kind::Punct:
      return "'" + token.text + "'";
  }
  return "?";
}

}  // namespace qel::script
