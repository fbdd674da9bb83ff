// IEEE 1364 value change dump of the module's four pins in nominal time.
#include "trace/vcd_writer.h"

#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>

#include "emulator/board.h"

namespace qel::trace {
namespace {

struct Signal {
  std::uint8_t dio;
  const char* name;
  char code;  // VCD identifier code; '$' is avoided so no code looks like a keyword
};

constexpr std::array<Signal, 4> kPins = {{
    {emu::kDioClock, "sclk", '!'},
    {emu::kDioData, "sdin", '"'},
    {emu::kDioDataCommand, "dc", '#'},
    {emu::kDioReset, "res_n", '%'},
}};

constexpr std::uint64_t kNsPerMs = 1'000'000;

std::optional<std::size_t> signal_of_dio(std::uint8_t dio) {
  for (std::size_t i = 0; i < kPins.size(); ++i) {
    if (kPins[i].dio == dio) return i;
  }
  return std::nullopt;
}

std::string today() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm) != 0 ? text : "";
}

}  // namespace

VcdWriter::VcdWriter(std::ostream& out, std::uint64_t ns_per_write) : out_(out), ns_per_write_(ns_per_write) {
  if (ns_per_write == 0) {
    throw std::invalid_argument("Time per pin write must be at least 1 ns, got '0'.");
  }
}

void VcdWriter::on_open(std::uint8_t pin) {
  // Opening drives the pin low; before the dump starts this sets its initial value.
  if (const auto s = signal_of_dio(pin)) {
    if (!started_) {
      value_[*s] = '0';
    } else if (value_[*s] != '0') {
      value_[*s] = '0';
      stamp();
      emit(*s);
    }
  }
}

void VcdWriter::on_write(std::uint8_t pin, std::uint8_t level) {
  start();
  const char v = level != 0 ? '1' : '0';
  if (const auto s = signal_of_dio(pin); s && value_[*s] != v) {
    value_[*s] = v;
    stamp();
    emit(*s);
  }
  now_ += ns_per_write_;
}

void VcdWriter::on_delay(std::uint32_t ms) {
  start();
  now_ += std::uint64_t{ms} * kNsPerMs;
}

void VcdWriter::finish() {
  start();
  stamp();
  out_.flush();
}

void VcdWriter::start() {
  if (started_) return;
  started_ = true;
  out_ << "$date\n  " << today() << "\n$end\n"
       << "$version\n  qel-lcd-sim pin trace\n$end\n"
       << "$comment\n  QEL_LCD pins: sclk = DIO " << int{emu::kDioClock} << ", sdin = DIO " << int{emu::kDioData}
       << ", dc = DIO " << int{emu::kDioDataCommand} << ", res_n = DIO " << int{emu::kDioReset}
       << ". Nominal time: " << ns_per_write_ << " ns per pin write.\n$end\n"
       << "$timescale 1 ns $end\n"
       << "$scope module qel_lcd $end\n";
  for (const Signal& s : kPins) out_ << "$var wire 1 " << s.code << ' ' << s.name << " $end\n";
  out_ << "$upscope $end\n"
       << "$enddefinitions $end\n"
       << "#" << now_ << "\n$dumpvars\n";
  for (std::size_t i = 0; i < kPins.size(); ++i) emit(i);
  out_ << "$end\n";
  last_stamp_ = now_;
}

void VcdWriter::stamp() {
  if (now_ == last_stamp_) return;
  out_ << '#' << now_ << '\n';
  last_stamp_ = now_;
}

void VcdWriter::emit(std::size_t signal) { out_ << value_[signal] << kPins[signal].code << '\n'; }

}  // namespace qel::trace
