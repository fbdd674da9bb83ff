// One emulated panel on the module's pins, from one qel_panel_reset to the next:
// a run Session (the controller and its event stream) and the recording of the
// bytes, notes and pin waveform. Every pin write reaches the controller; should
// recording run out of memory, recording_failure() says so and the kit's
// readers report the recording as incomplete instead of short.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "kit/qel_panel.h"
#include "qel/pin_observer.h"
#include "run/findings.h"
#include "run/session.h"

namespace qel::kit {

class PanelSession;

// The panel the module's pins reach now (an idle, dark one when none is connected).
PanelSession& current_panel();

class PanelSession : public PinObserver, private run::Listener {
 public:
  explicit PanelSession(const emu::ControllerOptions& options);

  // Hands the recording buffer on to the next session, which adopts it for its
  // capacity while its own recording is still empty.
  std::vector<std::uint8_t> take_buffer() noexcept { return std::move(events_); }
  void adopt_buffer(std::vector<std::uint8_t> recycled) noexcept;

  // Set when recording a pin event, byte or note failed (out of memory): the
  // recording is then incomplete. The pin calls come from the module's C code, so
  // nothing may be thrown through them.
  const char* recording_failure() const { return recording_failure_; }

  // Pin events from the host stand-in: recorded, then passed to the controller.
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  const emu::Controller& controller() const { return session_.controller(); }
  // What a viewer sees now; computed again only after pin activity.
  const emu::Picture& picture();
  const std::vector<qel_panel_byte>& bytes() const { return bytes_; }
  const std::vector<std::string>& notes() const { return notes_; }

  // A finding and where it shows, as the C interface gives them.
  struct FindingText {
    run::Finding finding;
    std::string where;
  };
  // The findings as the session stands now; concluded again only after pin activity.
  const std::vector<FindingText>& findings();

  // Replays the recorded pin events into a VCD writer on `out`.
  void write_vcd(std::ostream& out) const;

 private:
  // Recorded pin events, one byte each: the kind in the top two bits, then the
  // level and the DIO number (0 to 31); a delay byte is followed by its length in
  // milliseconds, four bytes, least significant first. One byte per pin write keeps
  // the recording of a typical test near 100 KB.
  enum Kind : std::uint8_t { kWrite = 0x00, kOpen = 0x40, kDelay = 0x80 };
  static constexpr std::uint8_t kKindMask = 0xC0, kLevelBit = 0x20, kPinMask = 0x1F;

  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const run::Note& note) override;

  run::Fanout listeners_;  // this session's recording and the findings
  run::Findings findings_{view::RunKind::Script};
  run::Session session_{listeners_};
  std::vector<std::uint8_t> events_;
  std::vector<qel_panel_byte> bytes_;
  std::vector<std::string> notes_;
  emu::Picture picture_;
  bool picture_stale_ = true;
  std::vector<FindingText> concluded_;
  bool findings_stale_ = true;
  const char* recording_failure_ = nullptr;

  template <typename Body>
  void recording(Body body) noexcept;
};

}  // namespace qel::kit
