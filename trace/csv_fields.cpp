// RFC 4180 fields of a CSV record; see csv_fields.h.
#include "trace/csv_fields.h"

#include <utility>

namespace qel::trace {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CsvFields::Result CsvFields::bad(std::size_t at, std::string what) {
  problem_at_ = at;
  problem_ = std::move(what);
  return Result::Bad;
}

CsvFields::Result CsvFields::add(std::string_view line) {
  std::size_t at = 0;
  if (in_quotes_) {
    fields_.back() += '\n';
  } else {
    fields_.clear();
  }
  while (true) {
    if (!in_quotes_) {
      // A field starts: quoted when its first mark after any blanks is a quote.
      std::size_t first = at;
      while (first < line.size() && is_blank(line[first])) ++first;
      if (first < line.size() && line[first] == '"') {
        fields_.emplace_back();
        in_quotes_ = true;
        at = first + 1;
      } else {
        const std::size_t comma = std::min(line.find(',', at), line.size());
        const std::string_view field = line.substr(at, comma - at);
        const std::size_t quote = field.find('"');
        if (quote != std::string_view::npos) {
          return bad(at + quote, "expected a quote mark only around a whole field");
        }
        fields_.emplace_back(field);
        if (comma == line.size()) return Result::Complete;
        at = comma + 1;
        continue;
      }
    }
    // Inside quotes: up to the closing quote, "" standing for one.
    const std::size_t quote = line.find('"', at);
    if (quote == std::string_view::npos) {
      fields_.back().append(line.substr(at));
      return Result::Open;
    }
    fields_.back().append(line.substr(at, quote - at));
    if (quote + 1 < line.size() && line[quote + 1] == '"') {
      fields_.back() += '"';
      at = quote + 2;
      continue;
    }
    in_quotes_ = false;
    at = quote + 1;
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) return Result::Complete;
    if (line[at] != ',') return bad(at, "expected ',' after the closing quote mark of a field");
    ++at;
  }
}

}  // namespace qel::trace
