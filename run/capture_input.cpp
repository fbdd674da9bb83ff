// A capture streamed into a run; see capture_input.h.
#include "run/capture_input.h"

#include <memory>
#include <optional>
#include <string_view>

#include "common/text_format.h"
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
    session_.start(co, view::RunKind::Capture, trace::capture_name(options_.decode_path), 0,
                   start.has(emu::Line::Reset));
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

  void idle() override { session_.capture_idle(); }

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

std::string capture_title(const std::string& path, const trace::CaptureRead& read) {
  return (path == "-" ? std::string("capture on standard input") : "capture '" + trace::capture_name(path) + "'") +
         " (" + (read.format ? std::string(trace::format_name(*read.format)) : "stopped before its first bytes") + ")";
}

std::string stop_sentence(const std::string& name, const Session& session, const CaptureStats& stats) {
  if (!session.started()) {
    return "Decoding of " + name + " stopped by an interrupt (Ctrl-C) before the capture's header was complete; " +
           "nothing was decoded.";
  }
  const std::uint64_t bytes = session.controller().byte_count();
  return "Decoding of " + name + " stopped by an interrupt (Ctrl-C) after " +
         common::time_text(stats.span_ns(), common::TimeStyle::Figure) + " of capture and " + std::to_string(bytes) +
         (bytes == 1 ? " byte" : " bytes") + "; the outputs hold what was decoded.";
}

trace::CaptureRead decode_capture(const Request& o, Session& session, CaptureStats& stats, std::ostream* vcd,
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
