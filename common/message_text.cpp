// Quoting of user input in messages; see message_text.h.
#include "common/message_text.h"

#include "common/text_format.h"

namespace qel::common {
namespace {

void append_escaped(std::string& out, unsigned char c) {
  switch (c) {
    case '\n':
      out += "\\n";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\0':
      out += "\\0";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\'':
      out += "\\'";
      return;
    default:
      break;
  }
  if (c >= 0x20 && c < 0x7F) {
    out += static_cast<char>(c);
    return;
  }
  out += "\\x";
  append_hex_digits(out, c);
}

}  // namespace

std::string quoted_excerpt(std::string_view text, std::size_t max_chars) {
  std::string out = "'";
  const std::size_t shown = text.size() <= max_chars ? text.size() : max_chars;
  for (std::size_t i = 0; i < shown; ++i) append_escaped(out, static_cast<unsigned char>(text[i]));
  if (shown < text.size()) {
    out += "...' (" + std::to_string(text.size()) + " bytes)";
  } else {
    out += '\'';
  }
  return out;
}

std::string escaped_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) append_escaped(out, static_cast<unsigned char>(c));
  return out;
}

std::string quoted_list(const std::vector<std::string>& names, std::size_t max_names) {
  std::string out;
  const std::size_t shown = names.size() <= max_names ? names.size() : max_names;
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) out += ", ";
    out += quoted_excerpt(names[i]);
  }
  if (shown < names.size()) out += " and " + std::to_string(names.size() - shown) + " more";
  return out;
}

}  // namespace qel::common
