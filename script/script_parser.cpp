// Parser for scripts of module calls; see script_parser.h.
#include "script/script_parser.h"

#include <array>
#include <cassert>
#include <limits>

#include "script/script_error.h"
#include "script/script_lexer.h"

namespace qel::script {
namespace {

enum class ParamKind { Text, Byte, Word };  // const QEL_C *, QEL_U8, QEL_U32

struct Param {
  const char* name;
  ParamKind kind;
};

struct Signature {
  Function function;
  const char* name;
  std::vector<Param> params;
};

const std::array<Signature, 5>& signatures() {
  static const std::array<Signature, 5> kTable = {{
      {Function::Init, "QEL_LCD_Init", {}},
      {Function::WriteString, "QEL_LCD_WriteString", {{"string", ParamKind::Text}, {"line", ParamKind::Byte}}},
      {Function::ClearLine, "QEL_LCD_ClearLine", {{"line", ParamKind::Byte}}},
      {Function::WriteValue,
       "QEL_LCD_WriteValue",
       {{"value", ParamKind::Word}, {"base", ParamKind::Byte}, {"line", ParamKind::Byte}}},
      {Function::WriteStringValue,
       "QEL_LCD_WriteStringValue",
       {{"label", ParamKind::Text}, {"value", ParamKind::Word}, {"base", ParamKind::Byte}, {"line", ParamKind::Byte}}},
  }};
  return kTable;
}

const Signature* find_signature(const std::string& name) {
  for (const Signature& s : signatures()) {
    if (name == s.name) return &s;
  }
  return nullptr;
}

// Named integer constants a script may use: the module's line enumeration.
std::optional<std::uint64_t> constant_value(const std::string& name) {
  static const std::string kPrefix = "QEL_LCD_LINE";
  if (name == "QEL_LCD_LINE_COUNT") return 8;
  if (name.size() == kPrefix.size() + 1 && name.compare(0, kPrefix.size(), kPrefix) == 0) {
    const char d = name.back();
    if (d >= '0' && d <= '7') return static_cast<std::uint64_t>(d - '0');
  }
  return std::nullopt;
}

std::string arguments(std::size_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

const char* expected_for(ParamKind kind) {
  switch (kind) {
    case ParamKind::Text:
      return "a string or NULL";
    case ParamKind::Byte:
      return "an integer from 0 to 255";
    case ParamKind::Word:
      return "an integer from 0 to 4294967295";
  }
  return "?";
}

// One line of text: line breaks and the indentation after them become one space.
std::string one_line(std::string_view text) {
  std::string out;
  bool in_break = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      in_break = true;
      continue;
    }
    if (in_break) {
      if (c == ' ' || c == '\t') continue;
      if (!out.empty() && out.back() != ' ') out += ' ';
      in_break = false;
    }
    out += c;
  }
  return out;
}

class Parser {
 public:
  Parser(std::string_view source, const std::string& file)
      : source_(source), file_(file), tokens_(tokenize(source, file)) {}

  std::vector<Call> run() {
    std::vector<Call> calls;
    while (peek().kind != Token::Kind::End) {
      if (peek().is(';')) {  // an empty statement
        next();
        continue;
      }
      calls.push_back(parse_call());
    }
    return calls;
  }

 private:
  const Token& peek(std::size_t ahead = 0) const {
    const std::size_t i = pos_ + ahead;
    return tokens_[i < tokens_.size() ? i : tokens_.size() - 1];
  }
  const Token& next() {
    const Token& t = peek();
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  [[noreturn]] void fail(const Token& at, const std::string& message) const {
    throw ScriptError(file_, at.line, at.column, message);
  }
  void expect(char punct, const std::string& context) {
    if (!peek().is(punct)) {
      fail(peek(), "Unexpected " + describe(peek()) + " " + context + "; expected '" + std::string(1, punct) + "'.");
    }
    next();
  }

  Call parse_call() {
    const Token& name = next();
    if (name.kind != Token::Kind::Identifier) {
      fail(name, "Unexpected " + describe(name) + "; expected a call such as 'QEL_LCD_Init();'.");
    }
    const Signature* sig = find_signature(name.text);
    if (sig == nullptr) {
      fail(name, "Unknown function '" + name.text +
                     "'; expected QEL_LCD_Init, QEL_LCD_WriteString, QEL_LCD_ClearLine, QEL_LCD_WriteValue or "
                     "QEL_LCD_WriteStringValue.");
    }
    Call call;
    call.function = sig->function;
    call.file = file_;
    call.line = name.line;
    call.column = name.column;
    expect('(', "after '" + name.text + "'");
    for (std::size_t i = 0; i < sig->params.size(); ++i) {
      const Param& p = sig->params[i];
      if (i > 0) {
        if (peek().is(')')) {
          fail(peek(), std::string(sig->name) + " takes " + arguments(sig->params.size()) + "; expected ',' and the " +
                           p.name + ".");
        }
        expect(',', std::string("before the ") + p.name);
      }
      call.args.push_back(parse_argument(*sig, p));
    }
    if (peek().is(',')) {
      fail(peek(), std::string(sig->name) + " takes " + arguments(sig->params.size()) + "; expected ')'.");
    }
    expect(')', std::string("in the call to ") + sig->name);
    std::size_t end = tokens_[pos_ - 1].end;
    if (peek().is(';')) {
      end = next().end;
    } else if (peek().kind != Token::Kind::End && peek().line == tokens_[pos_ - 1].line) {
      fail(peek(), "Unexpected " + describe(peek()) + " after the call; expected ';' or a new line.");
    }
    call.source = one_line(source_.substr(name.begin, end - name.begin));
    return call;
  }

  // A cast such as (const QEL_C *) or (QEL_U8): type words, then any '*'. Returns
  // whether it casts to a pointer, or nullopt if there is no cast.
  std::optional<bool> parse_cast() {
    if (!peek().is('(')) return std::nullopt;
    next();
    if (peek().kind != Token::Kind::Identifier) {
      fail(peek(), "Unexpected " + describe(peek()) + " in a cast; expected a type name such as 'const QEL_C *'.");
    }
    while (peek().kind == Token::Kind::Identifier) next();
    bool pointer = false;
    while (peek().is('*')) {
      next();
      pointer = true;
      while (peek().kind == Token::Kind::Identifier && peek().text == "const") next();
    }
    expect(')', "in a cast");
    return pointer;
  }

  Argument parse_argument(const Signature& sig, const Param& p) {
    const Token& cast_at = peek();
    const std::optional<bool> pointer_cast = parse_cast();
    const Token& t = next();
    const std::string what = std::string("the ") + p.name + " of " + sig.name;
    Argument arg;
    if (p.kind == ParamKind::Text) {
      if (t.kind == Token::Kind::String) {
        arg.text = t.text;
      } else if (t.kind == Token::Kind::Identifier && t.text == "NULL") {
        arg.text = std::nullopt;
      } else {
        fail(t, "Unexpected " + describe(t) + " for " + what + "; expected " + expected_for(p.kind) + ".");
      }
      if (pointer_cast == false)
        fail(cast_at, "Cast to a non-pointer type before " + what + "; expected a pointer cast.");
      return arg;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    if (t.kind == Token::Kind::Integer) {
      value = t.value;
      overflow = t.overflow;
    } else if (t.kind == Token::Kind::Identifier && constant_value(t.text)) {
      value = *constant_value(t.text);
    } else {
      fail(t, "Unexpected " + describe(t) + " for " + what + "; expected " + expected_for(p.kind) + ".");
    }
    if (pointer_cast == true) fail(cast_at, "Cast to a pointer before " + what + "; expected an integer type.");
    const std::uint64_t limit = p.kind == ParamKind::Byte ? std::numeric_limits<std::uint8_t>::max()
                                                          : std::numeric_limits<std::uint32_t>::max();
    if (overflow || value > limit) {
      fail(t, "Value '" + t.text + "' is out of range for " + what + "; expected " + expected_for(p.kind) + ".");
    }
    arg.number = static_cast<std::uint32_t>(value);
    return arg;
  }

  std::string_view source_;
  std::string file_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

}  // namespace

const char* function_name(Function f) {
  for (const Signature& s : signatures()) {
    if (s.function == f) return s.name;
  }
  assert(false && "every function has a signature");
  return "?";
}

std::vector<Call> parse_script(std::string_view source, const std::string& file) { return Parser(source, file).run(); }

}  // namespace qel::script
