// The source of a run's events: it owns the controller emulator, feeds it what
// drives it, and tells a listener (usually a Fanout) every event in order.
//
// - The module's pins (scripts, the panel kit): the Session is the pin
//   observer. Each pin write is stamped with nominal time (one pin-write time
//   per write; a module delay takes its length), told as a pin event, then
//   given to the controller. Calls are marked with begin_call/end_call.
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

  // Calls of the module. A call note comes before begin_call: the call will not
  // do what it says.
  void call_note(const CallInfo& call, std::string_view message);
  void begin_call(const CallInfo& call);
  void end_call(const CallInfo& call);

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
};

}  // namespace qel::run
