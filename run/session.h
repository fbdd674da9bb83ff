// The source of a run's events: it owns the controller emulator, feeds it what
// drives it, and tells a listener (usually a Fanout) every event in order.
//
// - The module's pins (scripts, the panel kit): the Session is the pin
//   observer. Each pin write is stamped with nominal time (one pin-write time
//   per write; a module delay takes its length), told as a pin event, then
//   given to the controller. The module's host build reports where each of its
//   calls begins and ends: the Session tells the call, then its notes (what
//   the module will leave undone, see module_calls.h), and at its end how many
//   bytes a controller never reset ignored during it.
// - A capture: a CaptureFeed (capture_feed.h) starts the controller once the
//   capture's bus is known and gives it the timed changes; the controller tells
//   each change it takes, with its time, and the Session passes it on.
//
// Every pin write reaches the controller, whatever a listener does with it.
// Listeners are added to the Fanout before start(): whether any takes pin
// events is settled then.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "run/events.h"

namespace qel::run {

class Session : public PinObserver, public RunClock, private emu::ByteListener {
 public:
  explicit Session(Listener& listener) : listener_(listener) {}
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Makes the controller and tells on_start. Once per session. `reset_line`:
  // the trace carries the reset line.
  void start(const emu::ControllerOptions& options, view::RunKind kind, std::string source,
             std::uint64_t pin_write_ns = 0, bool reset_line = true);
  bool started() const { return controller_.has_value(); }

  // The module's pins.
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // The module's calls as it reports them. A call named beforehand (a script's,
  // with where it was written and its text) is told under that name; any other
  // gets its text written out from its arguments.
  void on_call_begin(const ModuleCall& call) override;
  void on_call_end() override;
  void name_next_call(std::string location, std::string text);

  // A call marked from outside, for events that do not come from the module.
  void begin_call(const CallInfo& call);
  void end_call(const CallInfo& call);

  // Module calls told so far.
  std::size_t call_count() const { return calls_; }

  // Something about the capture file itself (it is cut short...).
  void capture_note(std::string_view message);

  // The trace is over: the controller's end of trace, then on_finish. Once.
  void finish();

  std::uint64_t now_ns() const override { return now_ns_; }

  emu::Controller& controller() { return *controller_; }
  const emu::Controller& controller() const { return *controller_; }

 private:
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const emu::Diagnostic& note) override;
  void on_timed_change(emu::Line line, bool level, std::uint64_t time_ns) override;

  Listener& listener_;
  LineSet pin_lines_ = 0;  // the lines whose pin events the listener takes
  std::optional<emu::Controller> controller_;
  std::string source_;
  std::uint64_t pin_write_ns_ = 0;
  std::uint64_t now_ns_ = 0;  // nominal time of the next pin write; captures: of the last change
  bool finished_ = false;

  // The module call running now.
  bool in_call_ = false;
  std::size_t calls_ = 0;
  std::string call_location_, call_text_, call_label_;
  bool call_named_ = false;
  CallInfo call_;
  bool clock_high_ = false;
  std::uint64_t rising_edges_ = 0;  // of the module's clock pin
  std::uint64_t call_edges_ = 0;    // rising_edges_ when the call began
  bool call_in_reset_ = false;      // the controller was in reset when the call began
};

}  // namespace qel::run
