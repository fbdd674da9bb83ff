// IEEE 1364 value change dump reader: declarations, signal binding, value changes.
#include "trace/vcd_reader.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/message_text.h"
#include "trace/channel_roles.h"
#include "trace/line_reader.h"
#include "trace/scope_tree.h"
#include "trace/vcd_codes.h"

namespace qel::trace {
namespace {

// A word of the file. Its text points into the tokenizer's line buffer and
// stays valid only until the next token is taken.
struct Token {
  std::string_view text;
  std::uint64_t line = 0;
};

// Whitespace-separated words with the line each one is on.
class Tokenizer {
 public:
  Tokenizer(ByteSource& in, const std::string& file) : lines_(in, file) {}

  std::optional<Token> next() {
    while (true) {
      while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
      if (pos_ < text_.size()) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
        if (drop_cut_word && lines_.last_line_open() && pos_ == text_.size()) {
          // The file stops in this word: it may be cut, so it is left out.
          cut_word_ = std::string(text_.substr(start));
          continue;
        }
        return Token{text_.substr(start, pos_ - start), lines_.line_number()};
      }
      const auto line = lines_.next();
      if (!line) return std::nullopt;
      text_ = *line;
      pos_ = 0;
    }
  }

  // The line last read; an empty file is reported at line 1, where its end is.
  std::uint64_t line() const { return lines_.line_number() == 0 ? 1 : lines_.line_number(); }
  // Leave out the word the file stops in (set for value changes, where a cut
  // word would read as a wrong value or time).
  bool drop_cut_word = false;
  // The file's last line has no line end: the file stops mid-line.
  bool last_line_open() const { return lines_.last_line_open() && !text_.empty(); }
  // The word the file stops in, left out.
  const std::string& cut_word() const { return cut_word_; }

 private:
  static bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

  LineReader lines_;
  std::string_view text_;
  std::size_t pos_ = 0;
  std::string cut_word_;
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

std::string quoted(std::string_view s) { return common::quoted_excerpt(s); }

class Parser {
 public:
  Parser(ByteSource& in, const std::string& file, const std::optional<SignalMap>& map, LineSink& sink)
      : tokens_(in, file), file_(file), map_(map), sink_(sink) {}

  void run() {
    parse_declarations();
    parse_changes();
    if (!begun_) begin();
    if (tokens_.last_line_open()) {
      sink_.note(file_ + ":" + std::to_string(tokens_.line()) +
                 ": the file is cut short: its last line stops without a line end" +
                 (tokens_.cut_word().empty() ? std::string(".")
                                             : ", and its last word " + quoted(tokens_.cut_word()) + " is left out."));
    }
    sink_.end();
  }

 private:
  [[noreturn]] void fail(std::uint64_t line, const std::string& what) const {
    throw std::runtime_error(file_ + ":" + std::to_string(line) + ": " + what + ".");
  }

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
        parse_timescale(t->line);
      } else if (t->text == "$scope") {
        const std::string kind(need("a scope type").text);
        const std::string name(need("a scope name").text);
        need_end(quoted("$scope " + kind + ' ' + name));
        scope_ = scopes_.open(scope_, name);
      } else if (t->text == "$upscope") {
        if (scope_ == ScopeTree::kTop) fail(t->line, "got '$upscope' without an open '$scope'");
        scope_ = scopes_.parent(scope_);
        need_end("'$upscope'");
      } else if (t->text == "$var") {
        parse_var();
      } else if (t->text == "$enddefinitions") {
        const std::uint64_t line = t->line;
        need_end("'$enddefinitions'");
        bind_signals(line);
        return;
      } else if (t->text == "$end") {
        fail(t->line, "got '$end' without an open declaration");
      } else {
        skip_block(*t);  // $comment, $date, $version and any other declaration
      }
    }
  }

  void parse_timescale(std::uint64_t keyword_line) {
    if (timescale_line_ != 0) {
      fail(keyword_line, "got a second '$timescale'; the first is on line " + std::to_string(timescale_line_));
    }
    timescale_line_ = keyword_line;
    const Token first = need("a timescale");
    const std::uint64_t line = first.line;
    std::string number(first.text);
    std::string unit;
    const auto digits = number.find_first_not_of("0123456789");
    if (digits != std::string::npos && digits > 0) {
      unit = number.substr(digits);
      number.resize(digits);
    } else {
      unit = std::string(need("a time unit after " + quoted(number)).text);
    }
    const auto scale = timescale_of(number, unit);
    if (!scale) {
      fail(line, "expected a timescale of 1, 10 or 100 and a unit of s, ms, us, ns, ps or fs, got " +
                     quoted(number + " " + unit));
    }
    scale_ = *scale;
    need_end("'$timescale'");
  }

  void parse_var() {
    const std::string kind(need("a variable type").text);
    const Token size_token = need("a variable size");
    const std::string size(size_token.text);
    const std::uint64_t size_line = size_token.line;
    const std::string code(need("an identifier code").text);
    if (size.empty() || size.size() > 9 || size.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(size) == 0) {
      fail(size_line, "expected a variable size of 1 or more, got " + quoted(size));
    }
    // The reference runs to $end; a trailing bit select such as [3] is dropped.
    std::vector<std::string> words;
    for (Token t = need("a variable name"); t.text != "$end"; t = need("'$end' after '$var'")) {
      words.emplace_back(t.text);
    }
    if (words.size() > 1 && words.back().front() == '[') words.pop_back();
    if (words.empty()) fail(tokens_.line(), "expected a variable name after " + quoted(code) + ", got '$end'");
    Channel v;
    for (const auto& w : words) v.name += (v.name.empty() ? "" : " ") + w;
    v.scope = scope_;
    codes_.declare(code);
    channels_.push_back(std::move(v));
    widths_.push_back(static_cast<unsigned>(std::stoul(size)));
  }

  // Finds the signal of each role; reports missing and unusable ones.
  void bind_signals(std::uint64_t line) {
    const std::vector<std::size_t> signal = codes_.seal();
    for (std::size_t k = 0; k < channels_.size(); ++k) channels_[k].signal = signal[k];
    RoleBinding binding;
    try {
      binding = bind_roles(channels_, scopes_, map_);
    } catch (const std::runtime_error& e) {
      fail(line, e.what());
    }
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto& index = binding.channel[static_cast<std::size_t>(i)];
      if (!index) continue;
      const Channel& v = channels_[*index];
      if (widths_[*index] != 1) {
        fail(line, "signal " + quoted(scopes_.path(v.scope, v.name)) + " for " +
                       std::string(role_name(static_cast<emu::Line>(i))) + " is " + std::to_string(widths_[*index]) +
                       " bits wide; expected a 1-bit signal");
      }
      codes_.bind(*index, static_cast<emu::Line>(i));
      start_.present[static_cast<std::size_t>(i)] = true;
    }
    start_.bus = binding.bus;
    start_.mapping = binding.mapping;
    start_.mapped_automatically = binding.automatic;
  }

  // ---- value changes ----

  void parse_changes() {
    tokens_.drop_cut_word = true;
    std::optional<std::pair<std::string, std::uint64_t>> block;  // open $dumpvars, $dumpall, $dumpon or $dumpoff
    while (const auto t = tokens_.next()) {
      const char c = t->text[0];
      if (c == '#') {
        set_time(*t);
      } else if (c == '0' || c == '1' || c == 'x' || c == 'X' || c == 'z' || c == 'Z') {
        change(*t, t->text.substr(1), c);
      } else if (c == 'b' || c == 'B' || c == 'r' || c == 'R') {
        const bool one_digit = (c == 'b' || c == 'B') && t->text.size() == 2;
        const char v = one_digit ? t->text[1] : 'x';
        const std::string value(t->text);
        const auto code = tokens_.next();
        if (!code) {
          cut_short("after the value " + quoted(value));
          return;
        }
        change(*code, code->text, v);
      } else if (t->text == "$dumpvars" || t->text == "$dumpall" || t->text == "$dumpon" || t->text == "$dumpoff") {
        if (block) fail(t->line, "expected '$end' to close " + quoted(block->first) + ", got " + quoted(t->text));
        block.emplace(std::string(t->text), t->line);
      } else if (t->text == "$end" && block) {
        block.reset();
      } else if (t->text == "$comment") {
        const std::uint64_t from = t->line;
        while (true) {
          const auto w = tokens_.next();
          if (!w) {
            cut_short("inside '$comment' from line " + std::to_string(from));
            return;
          }
          if (w->text == "$end") break;
        }
      } else if (is_keyword(*t)) {
        fail(t->line, "got " + quoted(t->text) + " after '$enddefinitions'");
      } else {
        fail(t->line, "expected a time or a value change, got " + quoted(t->text));
      }
    }
    if (block) cut_short("inside " + quoted(block->first) + " from line " + std::to_string(block->second));
  }

  void cut_short(const std::string& where) {
    if (!begun_) begin();
    sink_.note(file_ + ":" + std::to_string(tokens_.line()) + ": the file is cut short " + where + ".");
  }

  void set_time(const Token& t) {
    const std::string_view digits = t.text.substr(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
      fail(t.line, "expected a time after '#', got " + quoted(t.text));
    }
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t raw = 0;
    for (const char d : digits) {
      const auto digit = static_cast<std::uint64_t>(d - '0');
      if (raw > (max - digit) / 10)
        fail(t.line, "time " + quoted(t.text) + " is too large; times up to 64 bits are read");
      raw = raw * 10 + digit;
    }
    if (raw < raw_time_) {
      fail(t.line, "time " + quoted(t.text) + " is before the previous time '#" + std::to_string(raw_time_) + "'");
    }
    if (raw > max / scale_.multiply) fail(t.line, "time " + quoted(t.text) + " is too large to count in nanoseconds");
    if (seen_time_ && raw > raw_time_ && !begun_) begin();
    if (!seen_time_) start_.time_ns = raw * scale_.multiply / scale_.divide;
    seen_time_ = true;
    raw_time_ = raw;
    time_ns_ = raw * scale_.multiply / scale_.divide;
  }

  void begin() {
    begun_ = true;
    sink_.begin(start_);
  }

  // Applies value v ('0', '1'; anything else leaves the level) to the code's roles.
  void change(const Token& at, std::string_view code, char v) {
    if (code.empty()) fail(at.line, "expected an identifier code after " + quoted(at.text));
    const VcdCodes::Lines* roles = codes_.lines_of(code);
    if (roles == nullptr) fail(at.line, "got undeclared identifier code " + quoted(code));
    if (v != '0' && v != '1') return;
    const bool level = v == '1';
    for (const emu::Line role : *roles) {
      auto& known = level_[static_cast<std::size_t>(role)];
      if (known == level) continue;
      known = level;
      if (!begun_) {
        start_.initial[static_cast<std::size_t>(role)] = level;
      } else {
        sink_.change(LineChange{time_ns_, role, level});
      }
    }
  }

  Tokenizer tokens_;
  const std::string& file_;
  const std::optional<SignalMap>& map_;
  LineSink& sink_;
  Timescale scale_;
  std::uint64_t timescale_line_ = 0;
  ScopeTree scopes_;
  ScopeTree::Id scope_ = ScopeTree::kTop;  // the scope declarations are in
  std::vector<Channel> channels_;
  std::vector<unsigned> widths_;
  VcdCodes codes_;
  std::array<std::optional<bool>, emu::kLineCount> level_;
  std::uint64_t raw_time_ = 0;
  std::uint64_t time_ns_ = 0;
  bool seen_time_ = false;
  bool begun_ = false;  // past the trace's first time: the sink has the start
  CaptureStart start_;
};

}  // namespace

void read_vcd(ByteSource& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink) {
  Parser(in, file_name, map, sink).run();
}

void read_vcd(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink) {
  StreamSource source(in);
  read_vcd(source, file_name, map, sink);
}

CapturedTrace read_vcd(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map) {
  TraceCollector collector;
  read_vcd(in, file_name, map, collector);
  return std::move(collector.trace);
}

}  // namespace qel::trace
