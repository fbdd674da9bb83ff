// Writes the byte log; see byte_log.h.
#include "byte_log.h"

#include <cassert>

namespace qel::tool {

void write_call_line(std::ostream& out, const std::string& call_source) { out << "# " << call_source << '\n'; }

void append_byte_line(std::string& text, const emu::WireByte& b) {
  static const char kHex[] = "0123456789ABCDEF";
  text += b.is_data ? 'D' : 'C';
  text += ' ';
  text += kHex[b.value >> 4];
  text += kHex[b.value & 0xF];
  text += '\n';
}

void write_byte_lines(std::ostream& out, const std::vector<emu::WireByte>& bytes, std::size_t from, std::size_t to) {
  assert(from <= to && to <= bytes.size());
  std::string text;
  text.reserve((to - from) * 5);
  for (std::size_t i = from; i < to; ++i) append_byte_line(text, bytes[i]);
  out << text;
}

}  // namespace qel::tool
