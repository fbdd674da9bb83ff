// The per-call costs table; see call_costs.h.
#include "run/call_costs.h"

#include <cstdio>

#include "common/text_format.h"

namespace qel::run {
namespace {

constexpr std::size_t kCallWidth = 44;
constexpr std::uint64_t kNsPerMs = 1'000'000;

}  // namespace

void CallCosts::header() {
  char head[200];
  std::snprintf(head, sizeof head, "%-*s %8s %8s %10s %9s %18s\n", static_cast<int>(kCallWidth), "call", "commands",
                "data", "pin writes", "delay ms", "wire time");
  out_ << head;
  started_ = true;
}

void CallCosts::row(std::string name, const view::Costs& c) {
  if (!started_) header();
  if (name.size() > kCallWidth) name = name.substr(0, kCallWidth - 3) + "...";
  const std::uint64_t wire_ns = c.pin_writes * pin_write_ns_ + c.delay_ms * kNsPerMs;
  char buf[200];
  std::snprintf(buf, sizeof buf, "%-*s %8llu %8llu %10llu %9llu %18s\n", static_cast<int>(kCallWidth), name.c_str(),
                static_cast<unsigned long long>(c.command_bytes), static_cast<unsigned long long>(c.data_bytes),
                static_cast<unsigned long long>(c.pin_writes), static_cast<unsigned long long>(c.delay_ms),
                common::time_text(wire_ns, common::TimeStyle::Milliseconds).c_str());
  out_ << buf;
}

void CallCosts::on_call_begin(const CallInfo&) { call_ = {}; }

void CallCosts::on_pin(const PinEvent& pin) {
  if (pin.write) ++call_.pin_writes;
}

void CallCosts::on_delay(std::uint32_t ms, std::uint64_t) { call_.delay_ms += ms; }

void CallCosts::on_byte(const emu::WireByte& byte, std::uint64_t) {
  ++(byte.is_data ? call_.data_bytes : call_.command_bytes);
}

void CallCosts::on_call_end(const CallInfo& call) {
  row(std::string(call.text), call_);
  total_ += call_;
  call_ = {};
}

void CallCosts::on_finish() { row("total (" + std::to_string(pin_write_ns_) + " ns per pin write)", total_); }

}  // namespace qel::run
