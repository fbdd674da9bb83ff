// Streaming decode of a capture; see decode_run.h.
#include "decode_run.h"

#include <memory>

#include "capture_stats.h"
#include "run_outputs.h"
#include "trace/capture_file.h"
#include "trace/capture_replay.h"
#include "trace/vcd_change_writer.h"

namespace qel::tool {
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

// Everything a decode run listens to: the reader's changes and notes, and the
// controller's bytes and notes.
class CaptureRun : public trace::LineSink, public emu::ByteListener {
 public:
  CaptureRun(const RunOptions& o, std::optional<emu::Controller>& slot, const DecodeOutputs& outputs)
      : options_(o), slot_(slot), outputs_(outputs) {
    if (outputs.vcd != nullptr) vcd_ = std::make_unique<trace::VcdChangeWriter>(*outputs.vcd);
  }

  void begin(const trace::CaptureStart& start) override {
    if (start.mapped_automatically) {
      outputs_.err << "Signal map found from the channel names: " << start.mapping << " (" << bus_name(start.bus)
                   << ").\n";
    }
    emu::ControllerOptions co = options_.controller;
    co.keep_history = false;
    co.bus = start.bus;
    emu::Controller& controller = slot_.emplace(co);
    emu::ByteListener* listener = this;
    if (outputs_.run != nullptr) {
      outputs_.run->start(controller, view::RunKind::Capture, options_.decode_path);
      if (outputs_.run->active()) {
        both_ = std::make_unique<ByteFanout>(*this, outputs_.run->listener());
        listener = both_.get();
      }
    }
    controller.set_listener(listener);
    feed_ = std::make_unique<trace::ControllerFeed>(controller);
    feed_->begin(start);
    stats_.begin(start.time_ns);
    if (vcd_) vcd_->begin(start);
  }

  void change(const trace::LineChange& c) override {
    stats_.change(c);
    feed_->change(c);
    if (vcd_) vcd_->change(c);
  }

  // The reader's notes (a file cut short) are few and always kept.
  void note(const std::string& message) override { notes_.push_back(message); }

  void end() override {
    feed_->end();
    if (vcd_) vcd_->end();
    slot_->set_listener(nullptr);
    if (outputs_.run != nullptr) outputs_.run->finish();
  }

  // The controller outlives the run: it must not keep a listener a failed run destroyed.
  ~CaptureRun() override {
    if (slot_) slot_->set_listener(nullptr);
  }

  void on_byte(const emu::WireByte& byte, std::uint64_t) override {
    stats_.byte(byte.is_data);
    if (outputs_.bytes == nullptr) return;
    static const char kHex[] = "0123456789ABCDEF";
    const char line[5] = {byte.is_data ? 'D' : 'C', ' ', kHex[byte.value >> 4], kHex[byte.value & 0xF], '\n'};
    outputs_.bytes->write(line, sizeof line);
  }

  void on_note(const emu::Diagnostic& d) override {
    keep(options_.decode_path + ": byte " + std::to_string(d.byte_index) + ": " + d.message);
  }

  std::vector<std::string> notes() const {
    std::vector<std::string> all = notes_;
    if (dropped_ > 0) all.push_back(std::to_string(dropped_) + " more notes not shown.");
    return all;
  }

  const CaptureStats& stats() const { return stats_; }

 private:
  void keep(const std::string& message) {
    if (kept_++ < kKeptNotes) {
      notes_.push_back(message);
    } else {
      ++dropped_;
    }
  }

  const RunOptions& options_;
  std::optional<emu::Controller>& slot_;
  const DecodeOutputs& outputs_;
  std::unique_ptr<trace::ControllerFeed> feed_;
  std::unique_ptr<trace::VcdChangeWriter> vcd_;
  std::unique_ptr<ByteFanout> both_;
  CaptureStats stats_;
  std::vector<std::string> notes_;
  std::uint64_t dropped_ = 0;
  std::size_t kept_ = 0;  // controller notes kept
};

}  // namespace

std::vector<std::string> decode_capture(const RunOptions& o, std::optional<emu::Controller>& slot,
                                        const DecodeOutputs& outputs) {
  std::optional<trace::SignalMap> map;
  if (!o.signal_map.empty()) map = trace::parse_signal_map(o.signal_map);
  if (o.bus) {
    if (!map) map.emplace();
    map->bus = o.bus;
  }
  CaptureRun run(o, slot, outputs);
  const trace::CaptureFormat format = trace::read_capture_file(o.decode_path, map, run);
  if (o.stats) {
    run.stats().write(outputs.report,
                      "capture '" + o.decode_path + "' (" + std::string(trace::format_name(format)) + ")");
  }
  return run.notes();
}

}  // namespace qel::tool
