// The identifier codes a VCD declares, and the controller's lines bound to
// each. One-character codes (what writers give the first 94 signals) sit in a
// table; longer ones are kept in one buffer and sorted once the declarations
// end, so a header of millions of signals costs a few words per signal and
// each lookup is a binary search, never a walk of a long list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/wire.h"

namespace qel::trace {

class VcdCodes {
 public:
  using Lines = std::vector<emu::Line>;

  // The code of the next signal; signals are numbered from 0 as declared.
  void declare(std::string_view code);
  // After the last declaration: for each signal, the number of the first one
  // declared with the same code (signals sharing a code are one signal).
  std::vector<std::size_t> seal();

  // After seal: `line` follows the code of signal `signal`.
  void bind(std::size_t signal, emu::Line line);
  // The lines bound to `code` (often none); nullptr for a code never declared.
  const Lines* lines_of(std::string_view code) const;

 private:
  struct Span {
    std::uint64_t begin = 0;
    std::uint32_t size = 0;
  };
  std::string_view code(std::size_t signal) const {
    return std::string_view(text_).substr(spans_[signal].begin, spans_[signal].size);
  }
  const std::uint32_t* find_long(std::string_view code) const;

  std::array<bool, 256> short_declared_{};
  std::array<Lines, 256> short_lines_;
  std::string text_;                                  // every longer code, one after another
  std::vector<Span> spans_;                           // each signal's code in text_ (empty for a short one)
  std::vector<std::uint32_t> sorted_;                 // signals with longer codes, by code
  std::vector<std::pair<std::string, Lines>> bound_;  // longer codes with lines: at most one per line
  const Lines none_{};
};

}  // namespace qel::trace
