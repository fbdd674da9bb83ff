// One emulated panel on the module's pins, from one qel_panel_reset to the next:
// the controller, and the recording of its bytes, notes and the pin waveform.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "kit/qel_panel.h"
#include "qel/pin_observer.h"

namespace qel::kit {

class PanelSession : public PinObserver, public emu::ByteListener {
 public:
  explicit PanelSession(const emu::ControllerOptions& options);

  // Pin events from the host stand-in: recorded, then passed to the controller.
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const emu::Diagnostic& note) override;

  const emu::Controller& controller() const { return controller_; }
  // What a viewer sees now; computed again only after pin activity.
  const emu::Picture& picture();
  const std::vector<qel_panel_byte>& bytes() const { return bytes_; }
  const std::vector<std::string>& notes() const { return notes_; }

  // Replays the recorded pin events into a VCD writer on `out`.
  void write_vcd(std::ostream& out) const;

 private:
  // One recorded pin event: kind in the top two bits; a write or open holds pin
  // and level, a delay its length in milliseconds.
  enum Kind : std::uint32_t { kWrite = 0, kOpen = 1, kDelay = 2 };
  static constexpr int kKindShift = 30;
  static constexpr std::uint32_t kPayload = (1U << kKindShift) - 1;

  emu::Controller controller_;
  emu::ControllerPins pins_;
  std::vector<std::uint32_t> events_;
  std::vector<qel_panel_byte> bytes_;
  std::vector<std::string> notes_;
  emu::Picture picture_;
  bool picture_stale_ = true;
};

}  // namespace qel::kit
