// A capture streamed into a run; see capture_input.h.
#include "run/capture_input.h"

#include <memory>
#include <optional>
#include <string_view>

#include "trace/capture_replay.h"
#include "trace/signal_map.h"
#include "trace/vcd_change_writer.h"

namespace qel::run {
namespace {

std::string_view bus_name(emu::Bus bus) {
  switch (bus) {
    case emu::Bus::Spi4:
      return "4-wire serial";
    case emu::Bus::Spi3:
      return "3-wire serial";
    case emu::Bus::I2c:
      return "I2C";
  }
  return "serial";
}

// What the reader pushes: the capture's own figures and re-export take every
// change as read; the controller then takes it, and tells the run.
class CaptureFeed : public trace::LineSink {
 public:
  CaptureFeed(const Request& o, Session& session, CaptureStats& stats, std::ostream* vcd, std::ostream& err)
      : options_(o), session_(session), stats_(stats), err_(err) {
    if (vcd != nullptr) vcd_.emplace(*vcd);
  }

  void begin(const trace::CaptureStart& start) override {
    if (start.mapped_automatically) {
      err_ << "Signal map found from the channel names: " << start.mapping << " (" << bus_name(start.bus) << ").\n";
    }
    emu::ControllerOptions co = options_.controller;
    co.keep_history = false;
    co.bus = start.bus;
    session_.start(co, view::RunKind::Capture, options_.decode_path, 0, start.has(emu::Line::Reset));
    controller_ = &session_.controller();
    trace::ControllerFeed(*controller_).begin(start);
    stats_.begin(start.time_ns);
    if (vcd_) vcd_->begin(start);
  }

  void change(const trace::LineChange& c) override {
    stats_.change(c.line, c.level, c.time_ns);
    controller_->set_line(c.line, c.level, c.time_ns);
    if (vcd_) vcd_->change(c);
  }

  void note(const std::string& message) override { session_.capture_note(message); }

  void end() override {
    session_.finish();
    if (vcd_) vcd_->end();
  }

 private:
  const Request& options_;
  Session& session_;
  CaptureStats& stats_;
  std::ostream& err_;
  emu::Controller* controller_ = nullptr;  // the session's, once the capture has begun
  std::optional<trace::VcdChangeWriter> vcd_;
};

}  // namespace

trace::CaptureFormat decode_capture(const Request& o, Session& session, CaptureStats& stats, std::ostream* vcd,
                                    std::ostream& err) {
  std::optional<trace::SignalMap> map;
  if (!o.signal_map.empty()) map = trace::parse_signal_map(o.signal_map);
  if (o.bus) {
    if (!map) map.emplace();
    map->bus = o.bus;
  }
  CaptureFeed feed(o, session, stats, vcd, err);
  return trace::read_capture_file(o.decode_path, map, feed);
}

}  // namespace qel::run
