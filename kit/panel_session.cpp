// The panel of one test: pin events recorded compactly, so the waveform can be
// written on request, and bytes and notes kept in the kit's C layout as they come.
#include "kit/panel_session.h"

#include <algorithm>

#include "trace/vcd_writer.h"

namespace qel::kit {

namespace {

emu::ControllerOptions without_history(emu::ControllerOptions options) {
  options.keep_history = false;  // the session keeps its own copy in the C layout
  return options;
}

}  // namespace

PanelSession::PanelSession(const emu::ControllerOptions& options)
    : controller_(without_history(options)), pins_(controller_) {
  controller_.set_listener(this);
}

void PanelSession::on_open(std::uint8_t pin) {
  events_.push_back(kOpen << kKindShift | pin);
  picture_stale_ = true;
  pins_.on_open(pin);
}

void PanelSession::on_write(std::uint8_t pin, std::uint8_t level) {
  events_.push_back(kWrite << kKindShift | std::uint32_t{level} << 8 | pin);
  picture_stale_ = true;
  pins_.on_write(pin, level);
}

void PanelSession::on_delay(std::uint32_t ms) {
  pins_.on_delay(ms);
  while (ms != 0) {
    const std::uint32_t part = std::min(ms, kPayload);
    events_.push_back(kDelay << kKindShift | part);
    ms -= part;
  }
}

void PanelSession::on_byte(const emu::WireByte& byte, std::uint64_t) {
  bytes_.push_back(qel_panel_byte{byte.value, static_cast<unsigned char>(byte.is_data ? 1 : 0)});
}

void PanelSession::on_note(const emu::Diagnostic& note) {
  notes_.push_back("byte " + std::to_string(note.byte_index) + ": " + note.message);
}

const emu::Picture& PanelSession::picture() {
  if (picture_stale_) {
    picture_ = controller_.picture();
    picture_stale_ = false;
  }
  return picture_;
}

void PanelSession::write_vcd(std::ostream& out) const {
  trace::VcdWriter vcd(out);
  for (const std::uint32_t e : events_) {
    const std::uint32_t payload = e & kPayload;
    switch (e >> kKindShift) {
      case kOpen:
        vcd.on_open(static_cast<std::uint8_t>(payload & 0xFF));
        break;
      case kWrite:
        vcd.on_write(static_cast<std::uint8_t>(payload & 0xFF), static_cast<std::uint8_t>(payload >> 8));
        break;
      default:
        vcd.on_delay(payload);
        break;
    }
  }
  vcd.finish();
}

}  // namespace qel::kit
