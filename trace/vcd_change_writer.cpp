// Value change dump of a capture's mapped lines.
#include "trace/vcd_change_writer.h"

#include "trace/signal_map.h"

namespace qel::trace {
namespace {

// Identifier codes by line: printable, none a keyword start.
constexpr std::array<char, emu::kLineCount> kCodes = {'!', '"', '#', '%', '&'};

}  // namespace

void VcdChangeWriter::begin(const CaptureStart& start) {
  const bool i2c = start.bus == emu::Bus::I2c;
  out_ << "$version\n  qel-lcd-sim capture re-export\n$end\n"
       << "$timescale 1 ns $end\n$scope module capture $end\n";
  for (int i = 0; i < emu::kLineCount; ++i) {
    const auto line = static_cast<emu::Line>(i);
    if (start.has(line)) out_ << "$var wire 1 " << kCodes[i] << ' ' << role_name(line, i2c) << " $end\n";
  }
  // The start levels at the capture's own first time, so times match the original.
  out_ << "$upscope $end\n$enddefinitions $end\n#" << start.time_ns << "\n$dumpvars\n";
  last_stamp_ = start.time_ns;
  for (int i = 0; i < emu::kLineCount; ++i) {
    const auto line = static_cast<emu::Line>(i);
    if (!start.has(line)) continue;
    const auto& level = start.initial[static_cast<std::size_t>(i)];
    out_ << (level ? (*level ? '1' : '0') : 'x') << kCodes[i] << '\n';
  }
  out_ << "$end\n";
}

void VcdChangeWriter::change(const LineChange& c) {
  if (c.time_ns != last_stamp_) {
    out_ << '#' << c.time_ns << '\n';
    last_stamp_ = c.time_ns;
  }
  out_ << (c.level ? '1' : '0') << kCodes[static_cast<std::size_t>(c.line)] << '\n';
}

void VcdChangeWriter::end() { out_.flush(); }

}  // namespace qel::trace
