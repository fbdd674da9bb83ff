// Parser for scripts of module calls; see script_parser.h.
#include "script/script_parser.h"

#include <array>
#include <cassert>
#include <deque>
#include <limits>
#include <sstream>

#include "common/message_text.h"
#include "script/cast_types.h"
#include "script/script_error.h"
#include "script/source_line.h"

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

// Deepest nesting of parentheses around one argument.
constexpr int kMaxParentheses = 32;

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

// A name that is a value, so "(" and this name open a parenthesised argument, not a cast.
bool names_a_value(const std::string& name) { return name == "NULL" || constant_value(name).has_value(); }

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

}  // namespace

class CallReader::Parser {
 public:
  Parser(std::istream& in, std::string file, std::uint64_t max_bytes) : lexer_(in, std::move(file), max_bytes) {}

  std::optional<Call> next() {
    for (;;) {
      if (peek().kind == Token::Kind::End) return std::nullopt;
      if (peek().is(';')) {  // an empty statement
        take();
        lexer_.release_before(previous_.end);
        continue;
      }
      Call call = parse_call();
      lexer_.release_before(previous_.end);
      return call;
    }
  }

 private:
  const std::string& file() const { return lexer_.file(); }

  const Token& peek(std::size_t ahead = 0) {
    while (ahead_.size() <= ahead) {
      if (!ahead_.empty() && ahead_.back().kind == Token::Kind::End) return ahead_.back();
      ahead_.push_back(lexer_.next());
    }
    return ahead_[ahead];
  }
  // Takes the next token; the End token is never taken away.
  const Token& take() {
    peek();
    previous_ = ahead_.front();
    if (previous_.kind != Token::Kind::End) ahead_.pop_front();
    return previous_;
  }
  [[noreturn]] void fail(const Token& at, const std::string& message) const {
    throw ScriptError(file(), at.line, at.column, message);
  }
  void expect(char punct, const std::string& context) {
    if (!peek().is(punct)) {
      fail(peek(), "Unexpected " + describe(peek()) + " " + context + "; expected '" + std::string(1, punct) + "'.");
    }
    take();
  }

  Call parse_call() {
    const Token name = take();
    if (name.kind != Token::Kind::Identifier) {
      fail(name, "Unexpected " + describe(name) + "; expected a call such as 'QEL_LCD_Init();'.");
    }
    const Signature* sig = find_signature(name.text);
    if (sig == nullptr) {
      fail(name, "Unknown function " + common::quoted_excerpt(name.text) +
                     "; expected QEL_LCD_Init, QEL_LCD_WriteString, QEL_LCD_ClearLine, QEL_LCD_WriteValue or "
                     "QEL_LCD_WriteStringValue.");
    }
    Call call;
    call.function = sig->function;
    call.file = file();
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
      call.args.push_back(parse_argument(*sig, p, 0));
    }
    if (peek().is(',')) {
      fail(peek(), std::string(sig->name) + " takes " + arguments(sig->params.size()) + "; expected ')'.");
    }
    expect(')', std::string("in the call to ") + sig->name);
    std::uint64_t end = previous_.end;
    const std::uint64_t close_line = previous_.line;
    if (peek().is(';')) {
      end = take().end;
    } else if (peek().kind != Token::Kind::End && peek().line == close_line) {
      fail(peek(), "Unexpected " + describe(peek()) + " after the call; expected ';' or a new line.");
    }
    call.source = source_line(lexer_.source(name.begin, end));
    return call;
  }

  // "(" then a name that is not a value: a cast, however badly spelt.
  bool at_cast() { return peek().is('(') && peek(1).kind == Token::Kind::Identifier && !names_a_value(peek(1).text); }

  // Reads a cast such as (const QEL_C *) or (QEL_U8) and checks that it names a
  // type a firmware line would use for this argument.
  void parse_cast(const std::string& what, ParamKind kind) {
    const Token open = take();
    std::vector<std::string> words;
    int pointers = 0;
    while (!peek().is(')')) {
      const Token& t = peek();
      if (t.is('*')) {
        ++pointers;
      } else if (t.kind == Token::Kind::Identifier) {
        words.push_back(t.text);
      } else {
        fail(t, "Unexpected " + describe(t) + " in a cast; expected a type name such as 'const QEL_C *'.");
      }
      take();
    }
    take();
    const std::string written = one_line(lexer_.source(open.begin, previous_.end));
    const CastType type = classify_cast(words, pointers);
    if (!type.error.empty()) fail(open, "Cast " + common::quoted_excerpt(written) + " " + type.error);
    if (kind == ParamKind::Text && !type.text_pointer) {
      fail(open, "Cast " + common::quoted_excerpt(written) + " before " + what +
                     "; expected a pointer to a character type such as '(const QEL_C *)'.");
    }
    if (kind != ParamKind::Text && !type.integer) {
      fail(open, "Cast " + common::quoted_excerpt(written) + " before " + what +
                     "; expected an integer type such as '(QEL_U8)'.");
    }
  }

  // Casts and parentheses, then the value itself.
  Argument parse_argument(const Signature& sig, const Param& p, int depth) {
    const std::string what = std::string("the ") + p.name + " of " + sig.name;
    while (at_cast()) parse_cast(what, p.kind);
    if (peek().is('(')) {
      if (depth == kMaxParentheses) {
        fail(peek(),
             "Too many parentheses around " + what + "; expected at most " + std::to_string(kMaxParentheses) + ".");
      }
      take();
      Argument inner = parse_argument(sig, p, depth + 1);
      expect(')', "after " + what);
      return inner;
    }
    const Token t = take();
    Argument arg;
    if (p.kind == ParamKind::Text) {
      if (t.kind == Token::Kind::String) {
        arg.text = t.text;
      } else if (t.kind == Token::Kind::Identifier && t.text == "NULL") {
        arg.text = std::nullopt;
      } else {
        fail(t, "Unexpected " + describe(t) + " for " + what + "; expected " + expected_for(p.kind) + ".");
      }
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
    const std::uint64_t limit = p.kind == ParamKind::Byte ? std::numeric_limits<std::uint8_t>::max()
                                                          : std::numeric_limits<std::uint32_t>::max();
    if (overflow || value > limit) {
      fail(t, "Value " + common::quoted_excerpt(t.text) + " is out of range for " + what + "; expected " +
                  expected_for(p.kind) + ".");
    }
    arg.number = static_cast<std::uint32_t>(value);
    return arg;
  }

  Lexer lexer_;
  std::deque<Token> ahead_;  // tokens read but not yet taken
  Token previous_;           // the token taken last
};

CallReader::CallReader(std::istream& in, std::string file, std::uint64_t max_bytes)
    : parser_(std::make_unique<Parser>(in, std::move(file), max_bytes)) {}
CallReader::~CallReader() = default;
std::optional<Call> CallReader::next() { return parser_->next(); }

const char* function_name(Function f) {
  for (const Signature& s : signatures()) {
    if (s.function == f) return s.name;
  }
  assert(false && "every function has a signature");
  return "?";
}

std::vector<Call> parse_script(std::string_view source, const std::string& file) {
  std::istringstream in{std::string(source)};
  CallReader reader(in, file);
  std::vector<Call> calls;
  while (std::optional<Call> c = reader.next()) calls.push_back(std::move(*c));
  return calls;
}

}  // namespace qel::script
