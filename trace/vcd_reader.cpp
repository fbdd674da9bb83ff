// IEEE 1364 value change dump reader: declarations, signal binding, value changes.
#include "trace/vcd_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace qel::trace {
namespace {

struct Token {
  std::string text;
  int line = 0;
};

// Whitespace-separated words with the line each one is on.
class Tokenizer {
 public:
  explicit Tokenizer(std::istream& in) : in_(in) {}

  std::optional<Token> next() {
    while (true) {
      while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
      if (pos_ < text_.size()) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
        return Token{text_.substr(start, pos_ - start), line_};
      }
      if (!std::getline(in_, text_)) return std::nullopt;
      ++line_;
      pos_ = 0;
    }
  }

  // The line last read; an empty file is reported at line 1, where its end is.
  int line() const { return line_ == 0 ? 1 : line_; }

 private:
  static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

  std::istream& in_;
  std::string text_;
  std::size_t pos_ = 0;
  int line_ = 0;
};

// Converts file time units to nanoseconds: multiply, or divide for sub-ns units.
struct Timescale {
  std::uint64_t multiply = 1;
  std::uint64_t divide = 1;
};

std::optional<Timescale> timescale_of(const std::string& number, const std::string& unit) {
  std::uint64_t n = 0;
  if (number == "1") n = 1;
  if (number == "10") n = 10;
  if (number == "100") n = 100;
  if (n == 0) return std::nullopt;
  struct Unit {
    const char* name;
    std::uint64_t multiply, divide;
  };
  static constexpr Unit kUnits[] = {{"s", 1'000'000'000, 1}, {"ms", 1'000'000, 1}, {"us", 1'000, 1}, {"ns", 1, 1},
                                    {"ps", 1, 1'000},        {"fs", 1, 1'000'000}};
  for (const Unit& u : kUnits) {
    if (unit == u.name) return u.divide == 1 ? Timescale{u.multiply * n, 1} : Timescale{1, u.divide / n};
  }
  return std::nullopt;
}

bool is_keyword(const Token& t) { return !t.text.empty() && t.text[0] == '$'; }

struct Var {
  std::string name;  // reference as declared
  std::string path;  // scopes and name joined with '.'
  std::string code;
  unsigned width = 0;
};

class Parser {
 public:
  Parser(std::istream& in, const std::string& file, const SignalMap& map) : tokens_(in), file_(file), map_(map) {}

  VcdTrace run() {
    parse_declarations();
    parse_changes();
    return std::move(trace_);
  }

 private:
  [[noreturn]] void fail(int line, const std::string& what) const {
    throw std::runtime_error(file_ + ":" + std::to_string(line) + ": " + what + ".");
  }

  static std::string quoted(const std::string& s) { return "'" + s + "'"; }

  // The next token; the end of the file is an error saying what was wanted.
  Token need(const std::string& expected) {
    auto t = tokens_.next();
    if (!t) fail(tokens_.line(), "expected " + expected + ", got the end of the file");
    return *t;
  }

  void need_end(const std::string& after) {
    const Token t = need("'$end' after " + after);
    if (t.text != "$end") fail(t.line, "expected '$end' after " + after + ", got " + quoted(t.text));
  }

  void skip_block(const Token& opener) {
    const std::string expected = "'$end' to close " + quoted(opener.text) + " from line " + std::to_string(opener.line);
    while (need(expected).text != "$end") {
    }
  }

  // ---- declarations ----

  void parse_declarations() {
    while (true) {
      const auto t = tokens_.next();
      if (!t) fail(tokens_.line(), "expected '$enddefinitions', got the end of the file");
      if (!is_keyword(*t)) fail(t->line, "expected a declaration keyword, got " + quoted(t->text));
      if (t->text == "$timescale") {
        parse_timescale();
      } else if (t->text == "$scope") {
        const std::string kind = need("a scope type").text;
        const std::string name = need("a scope name").text;
        need_end("'$scope " + kind + ' ' + name + '\'');
        scopes_.push_back(name);
      } else if (t->text == "$upscope") {
        if (scopes_.empty()) fail(t->line, "got '$upscope' without an open '$scope'");
        scopes_.pop_back();
        need_end("'$upscope'");
      } else if (t->text == "$var") {
        parse_var();
      } else if (t->text == "$enddefinitions") {
        need_end("'$enddefinitions'");
        bind_signals(t->line);
        return;
      } else if (t->text == "$end") {
        fail(t->line, "got '$end' without an open declaration");
      } else {
        skip_block(*t);  // $comment, $date, $version and any other declaration
      }
    }
  }

  void parse_timescale() {
    const Token first = need("a timescale");
    std::string number = first.text;
    std::string unit;
    const auto digits = first.text.find_first_not_of("0123456789");
    if (digits != std::string::npos && digits > 0) {
      number = first.text.substr(0, digits);
      unit = first.text.substr(digits);
    } else {
      unit = need("a time unit after " + quoted(first.text)).text;
    }
    const auto scale = timescale_of(number, unit);
    if (!scale) {
      fail(first.line, "expected a timescale of 1, 10 or 100 and a unit of s, ms, us, ns, ps or fs, got " +
                           quoted(number + " " + unit));
    }
    scale_ = *scale;
    need_end("'$timescale'");
  }

  void parse_var() {
    const std::string kind = need("a variable type").text;
    const Token size = need("a variable size");
    const std::string code = need("an identifier code").text;
    if (size.text.empty() || size.text.size() > 9 || size.text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(size.text) == 0) {
      fail(size.line, "expected a variable size of 1 or more, got " + quoted(size.text));
    }
    // The reference runs to $end; a trailing bit select such as [3] is dropped.
    std::vector<std::string> words;
    for (Token t = need("a variable name"); t.text != "$end"; t = need("'$end' after '$var'")) {
      words.push_back(t.text);
    }
    if (words.size() > 1 && words.back().front() == '[') words.pop_back();
    if (words.empty()) fail(tokens_.line(), "expected a variable name after " + quoted(code) + ", got '$end'");
    Var v;
    for (const auto& w : words) v.name += (v.name.empty() ? "" : " ") + w;
    for (const auto& s : scopes_) v.path += s + ".";
    v.path += v.name;
    v.code = code;
    v.width = static_cast<unsigned>(std::stoul(size.text));
    roles_of_code_.try_emplace(code);
    vars_.push_back(std::move(v));
  }

  // The variable the map names for `role`, by name or full path; nullptr if none.
  const Var* find_var(emu::Line role, int line) const {
    const std::string& wanted = map_.name_of(role);
    const Var* found = nullptr;
    for (const Var& v : vars_) {
      if (v.name != wanted && v.path != wanted) continue;
      if (found != nullptr && found->code != v.code) {
        fail(line, "signal " + quoted(wanted) + " for " + std::string(role_name(role)) +
                       " is ambiguous: " + quoted(found->path) + " or " + quoted(v.path));
      }
      found = &v;
    }
    return found;
  }

  // Finds the signal of each role; reports missing and unusable ones.
  void bind_signals(int line) {
    std::string missing;
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto role = static_cast<emu::Line>(i);
      const std::string& wanted = map_.name_of(role);
      const Var* found = find_var(role, line);
      if (found == nullptr) {
        if (!role_is_optional(role, map_.bus) || map_.is_named(role)) {
          missing += (missing.empty() ? "" : ", ") + quoted(wanted) + " (" + std::string(role_name(role)) + ")";
        }
        continue;
      }
      if (found->width != 1) {
        fail(line, "signal " + quoted(found->path) + " for " + std::string(role_name(role)) + " is " +
                       std::to_string(found->width) + " bits wide; expected a 1-bit signal");
      }
      roles_of_code_[found->code].push_back(role);
      trace_.present[static_cast<std::size_t>(i)] = true;
    }
    if (!missing.empty()) {
      std::string declared;
      for (const Var& v : vars_) declared += (declared.empty() ? "" : ", ") + quoted(v.path);
      fail(line, "no signal " + missing + " in the file; it declares " + (declared.empty() ? "none" : declared));
    }
  }

  // ---- value changes ----

  void parse_changes() {
    std::optional<Token> block;  // open $dumpvars, $dumpall, $dumpon or $dumpoff
    while (const auto t = tokens_.next()) {
      const char c = t->text[0];
      if (c == '#') {
        set_time(*t);
      } else if (c == '0' || c == '1' || c == 'x' || c == 'X' || c == 'z' || c == 'Z') {
        change(*t, t->text.substr(1), c);
      } else if (c == 'b' || c == 'B' || c == 'r' || c == 'R') {
        const Token code = need("an identifier code after " + quoted(t->text));
        const bool one_digit = (c == 'b' || c == 'B') && t->text.size() == 2;
        change(code, code.text, one_digit ? t->text[1] : 'x');
      } else if (t->text == "$dumpvars" || t->text == "$dumpall" || t->text == "$dumpon" || t->text == "$dumpoff") {
        if (block) fail(t->line, "expected '$end' to close " + quoted(block->text) + ", got " + quoted(t->text));
        block = t;
      } else if (t->text == "$end" && block) {
        block.reset();
      } else if (t->text == "$comment") {
        skip_block(*t);
      } else if (is_keyword(*t)) {
        fail(t->line, "got " + quoted(t->text) + " after '$enddefinitions'");
      } else {
        fail(t->line, "expected a time or a value change, got " + quoted(t->text));
      }
    }
    if (block) {
      fail(tokens_.line(), "expected '$end' to close " + quoted(block->text) + " from line " +
                               std::to_string(block->line) + ", got the end of the file");
    }
  }

  void set_time(const Token& t) {
    const std::string digits = t.text.substr(1);
    if (digits.empty() || digits.size() > 19 || digits.find_first_not_of("0123456789") != std::string::npos) {
      fail(t.line, "expected a time after '#', got " + quoted(t.text));
    }
    const std::uint64_t raw = std::stoull(digits);
    if (raw < raw_time_)
      fail(t.line, "time " + quoted(t.text) + " is before the previous time '#" + std::to_string(raw_time_) + "'");
    if (raw > std::numeric_limits<std::uint64_t>::max() / scale_.multiply) {
      fail(t.line, "time " + quoted(t.text) + " is too large to count in nanoseconds");
    }
    if (seen_time_ && raw > raw_time_) at_start_ = false;
    seen_time_ = true;
    raw_time_ = raw;
    time_ns_ = raw * scale_.multiply / scale_.divide;
  }

  // Applies value v ('0', '1'; anything else leaves the level) to the code's roles.
  void change(const Token& at, const std::string& code, char v) {
    if (code.empty()) fail(at.line, "expected an identifier code after " + quoted(at.text));
    const auto it = roles_of_code_.find(code);
    if (it == roles_of_code_.end()) fail(at.line, "got undeclared identifier code " + quoted(code));
    if (v != '0' && v != '1') return;
    const bool level = v == '1';
    for (const emu::Line role : it->second) {
      auto& known = level_[static_cast<std::size_t>(role)];
      if (known == level) continue;
      known = level;
      if (at_start_) {
        trace_.initial[static_cast<std::size_t>(role)] = level;
      } else {
        trace_.changes.push_back(LineChange{time_ns_, role, level});
      }
    }
  }

  Tokenizer tokens_;
  const std::string& file_;
  const SignalMap& map_;
  Timescale scale_;
  std::vector<std::string> scopes_;
  std::vector<Var> vars_;
  std::unordered_map<std::string, std::vector<emu::Line>> roles_of_code_;  // every declared code
  std::array<std::optional<bool>, emu::kLineCount> level_;
  std::uint64_t raw_time_ = 0;
  std::uint64_t time_ns_ = 0;
  bool seen_time_ = false;
  bool at_start_ = true;  // still at the trace's first time
  VcdTrace trace_;
};

}  // namespace

VcdTrace read_vcd(std::istream& in, const std::string& file_name, const SignalMap& map) {
  return Parser(in, file_name, map).run();
}

VcdTrace read_vcd_file(const std::string& path, const SignalMap& map) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("Cannot open VCD file '" + path + "': " + std::strerror(errno) + ".");
  return read_vcd(in, path, map);
}

}  // namespace qel::trace
