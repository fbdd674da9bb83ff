// Text, labels and notes of the module's calls; see module_calls.h.
#include "run/module_calls.h"

#include <cctype>
#include <cstdint>
#include <string_view>

#include "common/message_text.h"

namespace qel::run {
namespace {

// The controller has 16 page commands (0xB0-0xBF); the module sends nothing
// for a line past them.
constexpr unsigned kPageCommands = 16;
constexpr std::size_t kMaxDrawn = 255;       // the module draws at most this many characters of a string
constexpr std::size_t kLabelAndDigits = 24;  // QEL_LCD_WriteStringValue's whole text
constexpr std::size_t kTextShown = 40;       // characters of a string in a call's text

bool takes_line(ModuleOperation op) { return op != ModuleOperation::Init; }
bool takes_base(ModuleOperation op) {
  return op == ModuleOperation::WriteValue || op == ModuleOperation::WriteStringValue;
}
bool takes_text(ModuleOperation op) {
  return op == ModuleOperation::WriteString || op == ModuleOperation::WriteStringValue;
}
bool supported_base(unsigned base) { return base == 10 || base == 16; }

// Codes with a glyph in the module's font; the others take a position and draw nothing.
bool draws(unsigned char c) { return c >= 33 && c <= 123; }

std::string_view string_of(const ModuleCall& call, std::size_t limit) {
  if (call.text == nullptr) return {};
  const char* s = reinterpret_cast<const char*>(call.text);
  std::size_t n = 0;
  while (n < limit && s[n] != '\0') ++n;
  return {s, n};
}

std::string digits(std::uint32_t value, unsigned base) {
  if (!supported_base(base)) return {};
  std::string d;
  do {
    d.insert(d.begin(), "0123456789ABCDEF"[value % base]);
    value /= base;
  } while (value != 0);
  return d;
}

// The text the call draws from the line's start, as the module composes it.
std::string shown_text(const ModuleCall& call) {
  switch (call.operation) {
    case ModuleOperation::WriteString:
      return std::string(string_of(call, kMaxDrawn));
    case ModuleOperation::WriteValue:
      return digits(call.value, call.format);
    case ModuleOperation::WriteStringValue: {
      const std::string d = digits(call.value, call.format);
      return std::string(string_of(call, kLabelAndDigits - 1 - d.size())) + ' ' + d;
    }
    case ModuleOperation::Init:
    case ModuleOperation::ClearLine:
      break;
  }
  return {};
}

// A string argument as C source: in double quotes, escaped, shortened.
std::string c_string(const ModuleCall& call) {
  if (call.text == nullptr) return "NULL";
  const std::string_view s = string_of(call, kMaxDrawn + 1);
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size() && i < kTextShown; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += "0123456789ABCDEF"[c >> 4];
      out += "0123456789ABCDEF"[c & 15];
      // A hex escape runs on through hex digits: close the literal after it.
      if (i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) != 0) out += "\" \"";
    }
  }
  if (s.size() > kTextShown) out += "...";
  return out + '"';
}

}  // namespace

const char* operation_name(ModuleOperation operation) {
  switch (operation) {
    case ModuleOperation::Init:
      return "QEL_LCD_Init";
    case ModuleOperation::WriteString:
      return "QEL_LCD_WriteString";
    case ModuleOperation::ClearLine:
      return "QEL_LCD_ClearLine";
    case ModuleOperation::WriteValue:
      return "QEL_LCD_WriteValue";
    case ModuleOperation::WriteStringValue:
      return "QEL_LCD_WriteStringValue";
  }
  return "QEL_LCD_?";
}

std::string call_text(const ModuleCall& call) {
  std::string args;
  const auto add = [&args](const std::string& a) { args += (args.empty() ? "" : ", ") + a; };
  if (takes_text(call.operation)) add(c_string(call));
  if (takes_base(call.operation)) {
    add(std::to_string(call.value) + "U");
    add(std::to_string(call.format));
  }
  if (takes_line(call.operation)) add(std::to_string(call.line));
  return std::string(operation_name(call.operation)) + "(" + args + ");";
}

std::string call_label(const ModuleCall& call) {
  const std::string name = operation_name(call.operation);
  return takes_line(call.operation) ? name + "(line " + std::to_string(call.line) + ")" : name + "()";
}

std::vector<std::string> call_notes(const ModuleCall& call) {
  std::vector<std::string> notes;
  const std::string name = operation_name(call.operation);
  if (call.operation != ModuleOperation::Init && !call.pins_open) {
    notes.push_back(name + " before QEL_LCD_Init; the module's pins are not open, so it sends nothing.");
  }
  const bool past_pages = takes_line(call.operation) && call.line >= kPageCommands;
  if (past_pages) {
    notes.push_back("Line " + std::to_string(call.line) + " of " + name +
                    " is past the controller's 16 pages; the module sends nothing for it.");
  }
  if (takes_base(call.operation) && !supported_base(call.format)) {
    notes.push_back("Base " + std::to_string(call.format) + " of " + name +
                    " is not supported (10 or 16); the module shows no digits.");
  }
  if (past_pages || !call.pins_open) return notes;
  const std::string text = shown_text(call);
  for (std::size_t p = kFullCells; p < text.size(); p += kLinePositions) {
    if (!draws(static_cast<unsigned char>(text[p]))) continue;
    notes.push_back("Character " + std::to_string(p + 1) + " " + common::quoted_excerpt(text.substr(p, 1)) +
                    " starts at the panel's last column on line " + std::to_string(call.line + p / kLinePositions) +
                    ": only one of its six pixel columns fits (21 characters fit on a line).");
    break;
  }
  for (std::size_t p = kLinePositions; p < text.size(); ++p) {
    if (!draws(static_cast<unsigned char>(text[p]))) continue;
    const std::size_t last_line = call.line + (text.size() - 1) / kLinePositions;
    notes.push_back("Characters " + std::to_string(kLinePositions + 1) + " to " + std::to_string(text.size()) +
                    " continue on line " + std::to_string(call.line + 1) +
                    (last_line > call.line + 1u ? " to " + std::to_string(last_line) : std::string()) +
                    ", which the call does not blank first.");
    break;
  }
  return notes;
}

}  // namespace qel::run
