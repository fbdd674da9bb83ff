// The panel of one test: pin events recorded compactly up to a limit, so the
// waveform can be written on request, and bytes and notes kept in the kit's C
// layout as they come, each within its own limit.
#include "kit/panel_session.h"

#include <algorithm>
#include <stdexcept>

#include "trace/vcd_writer.h"

namespace qel::kit {

namespace {

emu::ControllerOptions without_history(emu::ControllerOptions options) {
  options.keep_history = false;  // the session keeps its own copy in the C layout
  return options;
}

constexpr std::size_t kDelayEventBytes = 5;

}  // namespace

PanelSession::PanelSession(const emu::ControllerOptions& options, const PanelLimits& limits) : limits_(limits) {
  listeners_.add(*this);
  listeners_.add(findings_);
  if (limits_.frames) listeners_.add(recorder_.emplace(run::RecorderOptions{}));
  session_.start(without_history(options), view::RunKind::Script, "qel_panel", trace::VcdWriter::kDefaultNsPerWrite);
}

void PanelSession::adopt_buffer(std::vector<std::uint8_t> recycled) noexcept {
  if (!events_.empty() || recycled.capacity() <= events_.capacity() || recycled.capacity() > limits_.waveform_bytes) {
    return;
  }
  recycled.clear();
  events_.swap(recycled);
}

template <typename Body>
void PanelSession::recording(Body body) noexcept {
  try {
    body();
  } catch (...) {
    if (recording_failure_ == nullptr) {
      recording_failure_ = "The panel kit ran out of memory recording the pins; the recording is incomplete.";
    }
  }
}

void PanelSession::record_event(std::uint8_t event, std::uint32_t delay_ms) {
  const std::size_t size = (event & kKindMask) == kDelay ? kDelayEventBytes : 1;
  if (events_.size() + size > events_.capacity()) {
    if (events_dropped_ != 0 || events_.size() + size > limits_.waveform_bytes) {
      if (events_dropped_++ == 0) cut_at_call_ = session_.call_count();
      return;
    }
    // Grow by doubling, but never past the limit; the only step that can fail.
    recording([&] {
      events_.reserve(std::min(std::max(events_.capacity() * 2, std::size_t{4096}), limits_.waveform_bytes));
    });
    if (events_.size() + size > events_.capacity()) return;
  }
  // Within the capacity: nothing here allocates or throws.
  events_.push_back(event);
  if (size == kDelayEventBytes) {
    for (int i = 0; i < 4; ++i) events_.push_back(static_cast<std::uint8_t>(delay_ms >> (8 * i)));
  }
}

void PanelSession::on_open(std::uint8_t pin) {
  picture_stale_ = findings_stale_ = true;
  record_event(static_cast<std::uint8_t>(kOpen | (pin & kPinMask)));
  recording([&] { session_.on_open(pin); });
}

void PanelSession::on_write(std::uint8_t pin, std::uint8_t level) {
  picture_stale_ = findings_stale_ = true;
  record(static_cast<std::uint8_t>(kWrite | (level != 0 ? kLevelBit : 0) | (pin & kPinMask)));
  recording([&] { session_.on_write(pin, level); });
}

void PanelSession::on_delay(std::uint32_t ms) {
  record_event(kDelay, ms);
  recording([&] { session_.on_delay(ms); });
}

void PanelSession::on_call_begin(const ModuleCall& call) {
  recording([&] { session_.on_call_begin(call); });
}

void PanelSession::on_call_end() {
  picture_stale_ = findings_stale_ = true;
  recording([&] { session_.on_call_end(); });
}

void PanelSession::on_byte(const emu::WireByte& byte, std::uint64_t) {
  if (bytes_dropped_ != 0 || bytes_.size() == limits_.bytes) {
    ++bytes_dropped_;
    return;
  }
  recording([&] { bytes_.push_back(qel_panel_byte{byte.value, static_cast<unsigned char>(byte.is_data ? 1 : 0)}); });
}

void PanelSession::on_note(const run::Note& note) {
  recording([&] {
    if (notes_.size() < limits_.notes) {
      notes_.push_back(run::note_text_with_call(note));
      return;
    }
    ++notes_dropped_;
    const std::string count = std::to_string(notes_dropped_) + " more note" +
                              (notes_dropped_ == 1 ? " was" : "s were") + " not kept (the kit keeps the first " +
                              std::to_string(limits_.notes) + ").";
    if (notes_dropped_ == 1) {
      notes_.push_back(count);
    } else {
      notes_.back() = count;
    }
  });
}

const std::vector<PanelSession::FindingText>& PanelSession::findings() {
  if (findings_stale_) {
    concluded_.clear();
    for (run::Finding& f : findings_.conclude()) {
      std::string where = run::where_text(f.place);
      concluded_.push_back(FindingText{std::move(f), std::move(where)});
    }
    findings_stale_ = false;
  }
  return concluded_;
}

const emu::Picture& PanelSession::picture() {
  if (picture_stale_) {
    picture_ = session_.controller().picture();
    picture_stale_ = false;
  }
  return picture_;
}

std::optional<std::string> PanelSession::waveform_cut() const {
  if (events_dropped_ == 0) return std::nullopt;
  if (limits_.waveform_bytes == 0) {
    return std::string("The pin waveform was not kept: the panel was reset with waveform_mb = -1.");
  }
  return "The pin waveform was cut short during call " + std::to_string(cut_at_call_) + " of " +
         std::to_string(session_.call_count()) + ": the kit keeps " + std::to_string(limits_.waveform_bytes >> 20) +
         " MB of it (qel_panel_options.waveform_mb).";
}

bool PanelSession::write_vcd(std::ostream& out) const {
  if (recording_failure_ != nullptr) throw std::runtime_error(recording_failure_);
  if (limits_.waveform_bytes == 0) throw std::runtime_error(*waveform_cut());
  trace::VcdWriter vcd(out);
  for (std::size_t i = 0; i < events_.size(); ++i) {
    const std::uint8_t e = events_[i];
    const auto pin = static_cast<std::uint8_t>(e & kPinMask);
    switch (e & kKindMask) {
      case kOpen:
        vcd.on_open(pin);
        break;
      case kWrite:
        vcd.on_write(pin, (e & kLevelBit) != 0 ? 1 : 0);
        break;
      default: {
        std::uint32_t ms = 0;
        for (int b = 0; b < 4; ++b) ms |= std::uint32_t{events_[i + 1 + static_cast<std::size_t>(b)]} << (8 * b);
        i += 4;
        vcd.on_delay(ms);
        break;
      }
    }
  }
  vcd.finish();
  return events_dropped_ == 0;
}

}  // namespace qel::kit
