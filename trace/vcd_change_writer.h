// Writes the mapped lines of a capture as an IEEE 1364 value change dump, as the
// changes stream in: one module scope, a one-bit wire per line the capture
// carries (named after its role: sclk, sdin, dc, res_n, cs; scl and sda on
// I2C), timescale 1 ns. A re-export opens in GTKWave with our own names.
#pragma once

#include <array>
#include <ostream>

#include "trace/line_sink.h"

namespace qel::trace {

class VcdChangeWriter : public LineSink {
 public:
  explicit VcdChangeWriter(std::ostream& out) : out_(out) {}
  void begin(const CaptureStart& start) override;
  void change(const LineChange& c) override;
  void note(const std::string&) override {}
  void end() override;

 private:
  std::ostream& out_;
  std::uint64_t last_stamp_ = 0;
};

}  // namespace qel::trace
