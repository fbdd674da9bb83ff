// The panel of one test: pin events recorded compactly, so the waveform can be
// written on request, and bytes and notes kept in the kit's C layout as they come.
#include "kit/panel_session.h"

#include <stdexcept>

#include "trace/vcd_writer.h"

namespace qel::kit {

namespace {

emu::ControllerOptions without_history(emu::ControllerOptions options) {
  options.keep_history = false;  // the session keeps its own copy in the C layout
  return options;
}

}  // namespace

PanelSession::PanelSession(const emu::ControllerOptions& options) {
  listeners_.add(*this);
  listeners_.add(findings_);
  session_.start(without_history(options), view::RunKind::Script, "qel_panel", 0);
}

void PanelSession::adopt_buffer(std::vector<std::uint8_t> recycled) noexcept {
  if (!events_.empty() || recycled.capacity() <= events_.capacity()) return;
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

void PanelSession::on_open(std::uint8_t pin) {
  picture_stale_ = findings_stale_ = true;
  recording([&] { events_.push_back(static_cast<std::uint8_t>(kOpen | (pin & kPinMask))); });
  session_.on_open(pin);
}

void PanelSession::on_write(std::uint8_t pin, std::uint8_t level) {
  picture_stale_ = findings_stale_ = true;
  recording(
      [&] { events_.push_back(static_cast<std::uint8_t>(kWrite | (level != 0 ? kLevelBit : 0) | (pin & kPinMask))); });
  session_.on_write(pin, level);
}

void PanelSession::on_delay(std::uint32_t ms) {
  recording([&] {
    events_.push_back(kDelay);
    for (int i = 0; i < 4; ++i) events_.push_back(static_cast<std::uint8_t>(ms >> (8 * i)));
  });
  session_.on_delay(ms);
}

void PanelSession::on_byte(const emu::WireByte& byte, std::uint64_t) {
  recording([&] { bytes_.push_back(qel_panel_byte{byte.value, static_cast<unsigned char>(byte.is_data ? 1 : 0)}); });
}

void PanelSession::on_note(const run::Note& note) {
  recording([&] { notes_.push_back(run::note_text(note)); });
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

void PanelSession::write_vcd(std::ostream& out) const {
  if (recording_failure_ != nullptr) throw std::runtime_error(recording_failure_);
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
}

}  // namespace qel::kit
