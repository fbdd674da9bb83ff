// One emulated panel on the module's pins, from one qel_panel_reset to the next:
// a run Session (the controller and its event stream) and what the kit keeps of
// it: the bytes and notes in the kit's C layout, the pin waveform in a compact
// form, and, when asked, the run's frames for a report. Every pin write reaches
// the controller; what is kept is bounded (PanelLimits), and what is left out is
// counted so the readers can say so. Should recording run out of memory,
// recording_failure() says so and the readers report the recording as
// incomplete instead of short.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "kit/qel_panel.h"
#include "qel/pin_observer.h"
#include "run/findings.h"
#include "run/frame_recorder.h"
#include "run/session.h"

namespace qel::kit {

class PanelSession;

// The panel the module's pins reach now (an idle, dark one when none is connected).
PanelSession& current_panel();

struct PanelLimits {
  std::size_t waveform_bytes = 0;  // compact pin events kept (one byte per pin write); 0 for none
  std::size_t bytes = 4u << 20;    // controller bytes kept for qel_panel_bytes
  std::size_t notes = 1000;        // notes kept; past them, one more note counts the rest
  bool frames = false;             // gather the run frame by frame for a report
};

class PanelSession : public PinObserver, private run::Listener {
 public:
  PanelSession(const emu::ControllerOptions& options, const PanelLimits& limits);

  // Hands the waveform buffer on to the next session, which adopts it for its
  // capacity while its own recording is still empty.
  std::vector<std::uint8_t> take_buffer() noexcept { return std::move(events_); }
  void adopt_buffer(std::vector<std::uint8_t> recycled) noexcept;

  // Set when recording a pin event, byte or note failed (out of memory): the
  // recording is then incomplete. The pin calls come from the module's C code, so
  // nothing may be thrown through them.
  const char* recording_failure() const { return recording_failure_; }

  // Pin events and calls from the host stand-in: recorded, then passed to the session.
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;
  void on_call_begin(const ModuleCall& call) override;
  void on_call_end() override;

  const emu::Controller& controller() const { return session_.controller(); }
  // What a viewer sees now; computed again only after pin activity.
  const emu::Picture& picture();

  // Bytes since the reset: all of them, or nullptr when more came than are kept.
  const std::vector<qel_panel_byte>* bytes() const { return bytes_dropped_ == 0 ? &bytes_ : nullptr; }
  std::uint64_t byte_total() const { return bytes_.size() + bytes_dropped_; }
  // Notes kept, then, when some were left out, a last one that counts them.
  const std::vector<std::string>& notes() const { return notes_; }
  std::size_t call_count() const { return session_.call_count(); }

  // Replays the recorded pin events into a VCD writer on `out`. Returns false
  // when the waveform was cut short (the part kept is written).
  bool write_vcd(std::ostream& out) const;
  // Why the waveform is not whole, or nullptr.
  std::optional<std::string> waveform_cut() const;

  // The run frame by frame, as the program's report and GIF show it; nullptr
  // when frames were not asked for.
  const run::FrameRecorder* frames() const { return recorder_ ? &*recorder_ : nullptr; }

  // A finding and where it shows, as the C interface gives them.
  struct FindingText {
    run::Finding finding;
    std::string where;
  };
  // The findings as the session stands now; concluded again only after pin activity.
  const std::vector<FindingText>& findings();

 private:
  // Recorded pin events, one byte each: the kind in the top two bits, then the
  // level and the DIO number (0 to 31); a delay byte is followed by its length in
  // milliseconds, four bytes, least significant first. One byte per pin write keeps
  // the recording of a typical test near 100 KB.
  enum Kind : std::uint8_t { kWrite = 0x00, kOpen = 0x40, kDelay = 0x80 };
  static constexpr std::uint8_t kKindMask = 0xC0, kLevelBit = 0x20, kPinMask = 0x1F;

  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const run::Note& note) override;
  void record_event(std::uint8_t event, std::uint32_t delay_ms = 0);
  // One pin event: stored at once while there is room, which is nearly always.
  void record(std::uint8_t event) {
    if (events_.size() < events_.capacity()) {
      events_.push_back(event);
    } else {
      record_event(event);
    }
  }

  PanelLimits limits_;
  // The session's listeners: the kit itself, the run's findings, then the frame
  // recorder when asked for.
  run::Fanout listeners_;
  run::Findings findings_{view::RunKind::Script};
  std::optional<run::FrameRecorder> recorder_;
  run::Session session_{listeners_};
  std::vector<std::uint8_t> events_;
  std::uint64_t events_dropped_ = 0;  // pin events past the waveform limit
  std::size_t cut_at_call_ = 0;       // module calls told when the waveform was cut
  std::vector<qel_panel_byte> bytes_;
  std::uint64_t bytes_dropped_ = 0;
  std::vector<std::string> notes_;
  std::uint64_t notes_dropped_ = 0;
  emu::Picture picture_;
  bool picture_stale_ = true;
  std::vector<FindingText> concluded_;
  bool findings_stale_ = true;
  const char* recording_failure_ = nullptr;

  template <typename Body>
  void recording(Body body) noexcept;
};

}  // namespace qel::kit
