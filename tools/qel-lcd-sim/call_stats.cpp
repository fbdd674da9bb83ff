// Per-call wire costs and their table; see call_stats.h.
#include "call_stats.h"

#include <cassert>
#include <cstdio>

namespace qel::tool {
namespace {

constexpr std::size_t kCallWidth = 44;

// "12.345 ms" from nanoseconds, with the thousandths of a microsecond dropped.
std::string format_ms(std::uint64_t ns) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%llu.%06llu ms", static_cast<unsigned long long>(ns / 1000000),
                static_cast<unsigned long long>(ns % 1000000));
  return buf;
}

void write_row(std::ostream& out, std::string name, const WireCounts& c, std::uint64_t pin_write_ns) {
  if (name.size() > kCallWidth) name = name.substr(0, kCallWidth - 3) + "...";
  const std::uint64_t wire_ns = c.pin_writes * pin_write_ns + c.delay_ms * 1000000;
  char buf[200];
  std::snprintf(buf, sizeof buf, "%-*s %8llu %8llu %10llu %9llu %18s\n", static_cast<int>(kCallWidth), name.c_str(),
                static_cast<unsigned long long>(c.command_bytes), static_cast<unsigned long long>(c.data_bytes),
                static_cast<unsigned long long>(c.pin_writes), static_cast<unsigned long long>(c.delay_ms),
                format_ms(wire_ns).c_str());
  out << buf;
}

}  // namespace

void count_bytes(const std::vector<emu::WireByte>& bytes, std::size_t from, std::size_t to, WireCounts& counts) {
  assert(from <= to && to <= bytes.size());
  for (std::size_t i = from; i < to; ++i) {
    if (bytes[i].is_data) {
      ++counts.data_bytes;
    } else {
      ++counts.command_bytes;
    }
  }
}

void StatsTable::header() {
  char head[200];
  std::snprintf(head, sizeof head, "%-*s %8s %8s %10s %9s %18s\n", static_cast<int>(kCallWidth), "call", "commands",
                "data", "pin writes", "delay ms", "wire time");
  out_ << head;
  started_ = true;
}

void StatsTable::row(const std::string& call, const WireCounts& counts) {
  if (!started_) header();
  write_row(out_, call, counts, pin_write_ns_);
  total_ += counts;
}

void StatsTable::total() {
  if (!started_) header();
  write_row(out_, "total (" + std::to_string(pin_write_ns_) + " ns per pin write)", total_, pin_write_ns_);
}

void write_stats(std::ostream& out, const std::vector<CallCost>& calls, std::uint64_t pin_write_ns) {
  StatsTable table(out, pin_write_ns);
  for (const CallCost& c : calls) table.row(c.call, c.counts);
  table.total();
}

}  // namespace qel::tool
