// Identifier codes of a VCD and the lines bound to them; see vcd_codes.h.
#include "trace/vcd_codes.h"

#include <algorithm>
#include <numeric>

namespace qel::trace {

void VcdCodes::declare(std::string_view code) {
  if (code.size() == 1) {
    short_declared_[static_cast<unsigned char>(code[0])] = true;
    spans_.push_back(Span{static_cast<std::uint64_t>(static_cast<unsigned char>(code[0])), 0});
    return;
  }
  spans_.push_back(Span{text_.size(), static_cast<std::uint32_t>(code.size())});
  text_.append(code);
}

std::vector<std::size_t> VcdCodes::seal() {
  std::vector<std::size_t> signal(spans_.size());
  std::array<std::size_t, 256> first_short;
  first_short.fill(spans_.size());
  for (std::size_t i = 0; i < spans_.size(); ++i) {
    if (spans_[i].size != 0) {
      sorted_.push_back(static_cast<std::uint32_t>(i));
      continue;
    }
    std::size_t& first = first_short[spans_[i].begin];
    if (first == spans_.size()) first = i;
    signal[i] = first;
  }
  // Stable: of the signals sharing a code, the first declared leads its group.
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [this](std::uint32_t a, std::uint32_t b) { return code(a) < code(b); });
  for (std::size_t k = 0; k < sorted_.size(); ++k) {
    const bool leads = k == 0 || code(sorted_[k - 1]) != code(sorted_[k]);
    signal[sorted_[k]] = leads ? sorted_[k] : signal[sorted_[k - 1]];
  }
  return signal;
}

void VcdCodes::bind(std::size_t signal, emu::Line line) {
  if (spans_[signal].size == 0) {
    short_lines_[spans_[signal].begin].push_back(line);
    return;
  }
  const std::string_view c = code(signal);
  for (auto& [bound, lines] : bound_) {
    if (bound == c) {
      lines.push_back(line);
      return;
    }
  }
  bound_.push_back({std::string(c), Lines{line}});
}

const std::uint32_t* VcdCodes::find_long(std::string_view c) const {
  const auto it = std::lower_bound(sorted_.begin(), sorted_.end(), c,
                                   [this](std::uint32_t signal, std::string_view v) { return code(signal) < v; });
  return it != sorted_.end() && code(*it) == c ? &*it : nullptr;
}

const VcdCodes::Lines* VcdCodes::lines_of(std::string_view c) const {
  if (c.size() == 1) {
    const auto index = static_cast<unsigned char>(c[0]);
    return short_declared_[index] ? &short_lines_[index] : nullptr;
  }
  for (const auto& [bound, lines] : bound_) {
    if (bound == c) return &lines;
  }
  return find_long(c) != nullptr ? &none_ : nullptr;
}

}  // namespace qel::trace
