// The findings' listener; see findings.h.
#include "run/findings.h"

#include <algorithm>

namespace qel::run {

void Findings::on_start(const Start& start) {
  controller_ = start.controller;
  if (start.kind == view::RunKind::Capture) where_.clock = start.clock;
  glass_ = GlassShape::of(*controller_);
  const emu::Registers& r = controller_->registers();
  state_.start(controller_->profile(), r);
  writes_.start(r, glass_);
  bus_.start(*controller_, start.reset_line && capture_);
}

void Findings::on_call_begin(const CallInfo& call) { where_.call = call.location; }

void Findings::on_call_end(const CallInfo&) { where_.call.clear(); }

// The reset line's changes (captures).
void Findings::on_pin(const PinEvent& pin) {
  bus_.on_reset_line(pin, *controller_, bytes_);
  if (!pin.level) writes_.on_reset();
}

void Findings::on_byte(const emu::WireByte& byte, std::uint64_t index) {
  bytes_ = index + 1;
  bus_.on_byte(*controller_, index);
  const emu::Registers& r = controller_->registers();
  if (byte.is_data) {
    writes_.on_data(r, controller_->last_written(), index);
  } else {
    state_.on_command(r, index);
    writes_.on_command(r, index);
    controller_checks_.on_command(*controller_, byte.value, index);
  }
}

void Findings::on_note(const Note& note) {
  if (note.from == Note::From::Controller) bus_.on_controller_note(*controller_, note.byte_index);
}

std::vector<Finding> Findings::conclude() const {
  std::vector<Finding> out;
  if (controller_ == nullptr) return out;
  const emu::Registers& r = controller_->registers();
  state_.conclude(r, glass_, bytes_, out);
  writes_.conclude(r, bytes_, out);
  controller_checks_.conclude(*controller_, glass_, writes_.run_facts(), bytes_, out);
  bus_.conclude(*controller_, bytes_, out);
  std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) {
    if (a.severity() != b.severity()) return a.severity() == Severity::Error;
    if (a.place.end != b.place.end) return b.place.end;
    return a.place.byte_index < b.place.byte_index;
  });
  return out;
}

std::size_t error_count(const std::vector<Finding>& findings) {
  return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                [](const Finding& f) { return f.severity() == Severity::Error; }));
}

}  // namespace qel::run
