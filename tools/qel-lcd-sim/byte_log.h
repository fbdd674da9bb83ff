// The plain-text byte log other tools read: for each call a line "# " and the
// call as written, then one line per byte, "C AE" for a command byte and
// "D 00" for a data byte. Nothing else is written.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "emulator/wire.h"

namespace qel::tool {

void write_call_line(std::ostream& out, const std::string& call_source);

// Appends the line of one byte to `text`.
void append_byte_line(std::string& text, const emu::WireByte& byte);

// Writes bytes[from, to).
void write_byte_lines(std::ostream& out, const std::vector<emu::WireByte>& bytes, std::size_t from, std::size_t to);

}  // namespace qel::tool
