// Quoted names with message escapes; see quoted_name.h.
#include "trace/quoted_name.h"

namespace qel::trace {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

QuotedName read_quoted_name(std::string_view text, std::size_t at) {
  QuotedName q;
  const char quote = text[at++];
  while (at < text.size()) {
    const char c = text[at++];
    if (c == quote) {
      q.end = at;
      return q;
    }
    if (c != '\\') {
      q.name += c;
      continue;
    }
    const char e = at < text.size() ? text[at++] : ' ';
    switch (e) {
      case '\\':
      case '\'':
      case '"':
        q.name += e;
        continue;
      case 'n':
        q.name += '\n';
        continue;
      case 't':
        q.name += '\t';
        continue;
      case 'r':
        q.name += '\r';
        continue;
      case '0':
        q.name += '\0';
        continue;
      case 'x':
        if (at + 1 < text.size() && hex_value(text[at]) >= 0 && hex_value(text[at + 1]) >= 0) {
          q.name += static_cast<char>(hex_value(text[at]) * 16 + hex_value(text[at + 1]));
          at += 2;
          continue;
        }
        q.problem = "expected two hex digits after \\x in the quoted name.";
        return q;
      default:
        q.problem = "expected an escape of \\\\, \\', \\\", \\n, \\t, \\r, \\0 or \\xHH in the quoted name.";
        return q;
    }
  }
  q.end = at;
  q.problem = std::string("expected a closing ") + quote + " after the name.";
  return q;
}

}  // namespace qel::trace
