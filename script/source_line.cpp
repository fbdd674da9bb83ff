// One printable line of a call's source; see source_line.h.
#include "script/source_line.h"

#include <cctype>

#include "common/text_format.h"

namespace qel::script {
namespace {

bool printable(unsigned char c) { return c >= 0x20 && c < 0x7F; }
bool line_break(char c) { return c == '\n' || c == '\r'; }
bool hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

void append_hex_escape(std::string& out, unsigned char c) {
  out += "\\x";
  common::append_hex_digits(out, c);
}

class LineWriter {
 public:
  explicit LineWriter(std::string_view text) : text_(text) {}

  std::string run() {
    while (at_ < text_.size()) {
      switch (state_) {
        case State::Code:
          code();
          break;
        case State::String:
          string();
          break;
        case State::BlockComment:
        case State::LineComment:
          comment();
          break;
      }
    }
    if (state_ == State::LineComment) out_ += " */";
    return out_;
  }

 private:
  enum class State { Code, String, BlockComment, LineComment };

  char peek(std::size_t ahead = 0) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }

  // A line break and the blanks after it: one blank, unless one is there.
  void blank_for_break() {
    while (at_ < text_.size() && (line_break(peek()) || peek() == ' ' || peek() == '\t')) ++at_;
    if (!out_.empty() && out_.back() != ' ' && at_ < text_.size()) out_ += ' ';
  }

  void code() {
    const char c = peek();
    if (line_break(c)) {
      blank_for_break();
      return;
    }
    ++at_;
    if (c == '"') {
      state_ = State::String;
      out_ += c;
    } else if (c == '/' && (peek() == '/' || peek() == '*')) {
      state_ = peek() == '/' ? State::LineComment : State::BlockComment;
      ++at_;
      out_ += "/*";
    } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      out_ += ' ';
    } else if (printable(static_cast<unsigned char>(c))) {
      out_ += c;
    } else {
      append_hex_escape(out_, static_cast<unsigned char>(c));
    }
  }

  void string() {
    const char c = peek();
    ++at_;
    // A hex escape runs on through hex digits: after one, a hex digit opens a new literal.
    const bool after_hex = after_hex_;
    after_hex_ = false;
    if (c == '"') {
      state_ = State::Code;
      out_ += c;
    } else if (c == '\\' && peek() == '\n') {
      ++at_;
      after_hex_ = after_hex;  // a spliced line end writes nothing
    } else if (c == '\\' && peek() == '\r' && peek(1) == '\n') {
      at_ += 2;
      after_hex_ = after_hex;
    } else if (c == '\\' && at_ < text_.size() && printable(static_cast<unsigned char>(peek()))) {
      out_ += c;  // an escape as written, taken whole with the byte after the backslash
      out_ += text_[at_++];
    } else if (printable(static_cast<unsigned char>(c)) && c != '\\') {
      if (after_hex && hex_digit(c)) out_ += "\" \"";
      out_ += c;
    } else {
      append_hex_escape(out_, static_cast<unsigned char>(c));
      after_hex_ = true;
    }
  }

  void comment() {
    const char c = peek();
    // A line comment ends at a line end; a carriage return alone does not end it.
    if (state_ == State::LineComment && (c == '\n' || (c == '\r' && peek(1) == '\n'))) {
      out_ += " */";
      state_ = State::Code;
      blank_for_break();
      return;
    }
    ++at_;
    if (c == '*' && peek() == '/') {
      ++at_;
      out_ += state_ == State::BlockComment ? "*/" : "* /";
      if (state_ == State::BlockComment) state_ = State::Code;
    } else if (state_ == State::BlockComment && line_break(c)) {
      if (out_.back() != ' ') out_ += ' ';
    } else if (printable(static_cast<unsigned char>(c))) {
      out_ += c;
    } else {
      append_hex_escape(out_, static_cast<unsigned char>(c));
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  State state_ = State::Code;
  bool after_hex_ = false;  // the last thing written in the string was a hex escape
  std::string out_;
};

}  // namespace

std::string source_line(std::string_view written) { return LineWriter(written).run(); }

}  // namespace qel::script
