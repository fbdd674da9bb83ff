// One run of qel-lcd-sim; see simulation.h.
#include "simulation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "byte_log.h"
#include "call_stats.h"
#include "emulator/pin_fanout.h"
#include "qel/pin_observer.h"
#include "script/script_error.h"
#include "script/script_parser.h"
#include "script/script_runner.h"
#include "trace/signal_map.h"
#include "trace/vcd_reader.h"
#include "trace/vcd_replay.h"
#include "trace/vcd_writer.h"

namespace qel::tool {
namespace {

using script::Call;
using trace::VcdTrace;
using trace::VcdWriter;
using view::TextStyle;

// A user's mistake outside a script: message ready to print.
struct UserError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string read_all(std::istream& in) { return std::string(std::istreambuf_iterator<char>(in), {}); }

std::string read_script_file(const std::string& path) {
  if (path == "-") return read_all(std::cin);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UserError("Cannot open script file '" + path + "': " + std::strerror(errno) + ".");
  return read_all(in);
}

std::vector<Call> load_calls(const RunOptions& o) {
  std::vector<Call> calls;
  auto add = [&calls](const std::string& text, const std::string& name) {
    std::vector<Call> more = script::parse_script(text, name);
    calls.insert(calls.end(), more.begin(), more.end());
  };
  if (!o.script_path.empty()) add(read_script_file(o.script_path), o.script_path == "-" ? "<stdin>" : o.script_path);
  for (std::size_t i = 0; i < o.calls.size(); ++i) add(o.calls[i], "-e#" + std::to_string(i + 1));
  if (o.script_path.empty() && o.calls.empty()) add(o.builtin_script, o.builtin_name);
  return calls;
}

// An output that is a file or standard output ("-").
class Output {
 public:
  Output(const std::string& path, const char* what, std::ostream& stdout_stream) {
    if (path.empty()) return;
    if (path == "-") {
      stream_ = &stdout_stream;
      return;
    }
    file_ = std::make_unique<std::ofstream>(path, std::ios::binary);
    if (!*file_) throw UserError(std::string("Cannot open ") + what + " '" + path + "': " + std::strerror(errno) + ".");
    stream_ = file_.get();
    path_ = path;
    what_ = what;
  }
  explicit operator bool() const { return stream_ != nullptr; }
  std::ostream& operator*() const { return *stream_; }
  // Flushes and reports a failed write.
  void finish() {
    if (stream_ == nullptr) return;
    stream_->flush();
    if (!*stream_) throw UserError("Cannot write " + what_ + " '" + (path_.empty() ? "-" : path_) + "'.");
  }

 private:
  std::unique_ptr<std::ofstream> file_;
  std::ostream* stream_ = nullptr;
  std::string path_;
  std::string what_ = "output";
};

emu::Picture shown(const emu::Controller& c, const RunOptions& o) {
  return o.rotate180 ? c.picture().rotated180() : c.picture();
}

// Cuts the byte log, the costs and the frames at call boundaries.
class CallRecorder : public script::CallListener {
 public:
  CallRecorder(const emu::Controller& controller, const PinTally& tally, const RunOptions& options, Output& bytes)
      : controller_(controller), tally_(tally), options_(options), bytes_(bytes) {}

  void on_call_start(std::size_t, const Call& call) override {
    first_byte_ = controller_.bytes().size();
    writes_ = tally_.pin_writes();
    delay_ = tally_.delay_ms();
    if (bytes_) write_call_line(*bytes_, call.source);
  }

  void on_call_end(std::size_t index, const Call& call) override {
    const std::size_t last = controller_.bytes().size();
    if (bytes_) write_byte_lines(*bytes_, controller_.bytes(), first_byte_, last);
    CallCost cost{call.source, {}};
    count_bytes(controller_.bytes(), first_byte_, last, cost.counts);
    cost.counts.pin_writes = tally_.pin_writes() - writes_;
    cost.counts.delay_ms = tally_.delay_ms() - delay_;
    costs_.push_back(cost);
    ends_.push_back(last);
    if (!options_.frames_dir.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%04zu.png", index + 1);
      view::write_png(shown(controller_, options_), (std::filesystem::path(options_.frames_dir) / name).string(),
                      options_.png);
    }
  }

  const std::vector<CallCost>& costs() const { return costs_; }
  // Index of the call during which byte `byte_index` was sent, if any.
  std::optional<std::size_t> call_of_byte(std::size_t byte_index) const {
    for (std::size_t i = 0; i < ends_.size(); ++i) {
      if (byte_index < ends_[i]) return i;
    }
    return std::nullopt;
  }

 private:
  const emu::Controller& controller_;
  const PinTally& tally_;
  const RunOptions& options_;
  Output& bytes_;
  std::size_t first_byte_ = 0;
  std::uint64_t writes_ = 0;
  std::uint64_t delay_ = 0;
  std::vector<CallCost> costs_;
  std::vector<std::size_t> ends_;
};

void make_frames_dir(const std::string& dir) {
  if (dir.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw UserError("Cannot create frames folder '" + dir + "': " + ec.message() + ".");
}

bool stdout_taken(const RunOptions& o) { return o.bytes_path == "-" || o.vcd_path == "-" || o.checks.text_path == "-"; }

// Runs the script; returns the controller's notes, each with the call it arose in.
std::vector<std::string> run_script(const RunOptions& o, emu::Controller& controller, std::ostream& out,
                                    std::ostream& report) {
  const std::vector<Call> calls = load_calls(o);
  Output bytes(o.bytes_path, "byte log file", out);
  Output vcd_out(o.vcd_path, "VCD file", out);
  make_frames_dir(o.frames_dir);

  emu::ControllerPins pins(controller);
  PinTally tally;
  emu::PinFanout fanout;
  fanout.add(pins);
  fanout.add(tally);
  std::optional<VcdWriter> vcd;
  if (vcd_out) {
    vcd.emplace(*vcd_out, o.pin_write_ns);
    fanout.add(*vcd);
  }
  CallRecorder recorder(controller, tally, o, bytes);
  {
    host::ScopedPinObserver scope(fanout);
    script::run_calls(calls, recorder);
  }
  controller.end_of_trace();
  if (vcd) vcd->finish();
  bytes.finish();
  vcd_out.finish();
  if (o.stats) write_stats(report, recorder.costs(), o.pin_write_ns);

  std::vector<std::string> notes;
  for (const emu::Diagnostic& d : controller.diagnostics()) {
    std::string where = "byte " + std::to_string(d.byte_index);
    if (auto i = recorder.call_of_byte(d.byte_index)) {
      const Call& c = calls[*i];
      where = c.file + ":" + std::to_string(c.line) + ":" + std::to_string(c.column) + ": " + where;
    }
    notes.push_back(where + ": " + d.message);
  }
  return notes;
}

// Replays a captured trace; returns the controller's notes.
std::vector<std::string> run_decode(const RunOptions& o, std::optional<emu::Controller>& slot, std::ostream& out,
                                    std::ostream& report) {
  Output bytes(o.bytes_path, "byte log file", out);
  trace::SignalMap map = o.signal_map.empty() ? trace::default_signal_map() : trace::parse_signal_map(o.signal_map);
  emu::ControllerOptions controller_options = o.controller;
  controller_options.bus = map.bus = o.bus.value_or(emu::Bus::Spi4);
  const VcdTrace trace = trace::read_vcd_file(o.decode_path, map);
  emu::Controller& controller = slot.emplace(controller_options);
  trace::replay(trace, controller);
  if (bytes) write_byte_lines(*bytes, controller.bytes(), 0, controller.bytes().size());
  bytes.finish();
  if (o.stats) {
    CallCost cost{"trace '" + o.decode_path + "'", {}};
    count_bytes(controller.bytes(), 0, controller.bytes().size(), cost.counts);
    cost.counts.pin_writes = trace.changes.size();  // a trace holds only the writes that changed a level
    write_stats(report, {cost}, o.pin_write_ns);
  }
  std::vector<std::string> notes;
  for (const emu::Diagnostic& d : controller.diagnostics()) {
    notes.push_back(o.decode_path + ": byte " + std::to_string(d.byte_index) + ": " + d.message);
  }
  return notes;
}

}  // namespace

int run_simulation(const RunOptions& o, std::ostream& out, std::ostream& err) {
  try {
    if (o.bytes_path == "-" && o.vcd_path == "-") {
      throw UserError(
          "Cannot write both the byte log and the VCD file to standard output ('-'); give one a file name.");
    }
    if (o.checks.text_path == "-" && (o.bytes_path == "-" || o.vcd_path == "-")) {
      throw UserError("Cannot write the text lines and another output to standard output ('-'); give one a file name.");
    }
    std::optional<emu::Controller> controller;
    std::ostream& report = stdout_taken(o) ? err : out;
    const std::vector<std::string> notes = o.decode_path.empty()
                                               ? run_script(o, controller.emplace(o.controller), out, report)
                                               : run_decode(o, controller, out, report);
    const emu::Picture picture = shown(*controller, o);
    if (!o.png_path.empty()) view::write_png(picture, o.png_path, o.png);
    if (o.term != TermMode::Off && !stdout_taken(o)) {
      out << view::render_text(picture, o.term == TermMode::Ascii ? TextStyle::Ascii : TextStyle::Unicode);
    }
    const int checks = run_panel_checks(o.checks, *controller, picture, out, err);
    out.flush();
    for (const std::string& n : notes) err << "note: " << n << '\n';
    return (o.strict && !notes.empty()) || checks != 0 ? 1 : 0;
  } catch (const std::exception& e) {
    out.flush();
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace qel::tool
