// One run of qel-lcd-sim; see simulation.h.
#include "simulation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "byte_log.h"
#include "call_recorder.h"
#include "call_stats.h"
#include "decode_run.h"
#include "common/message_text.h"
#include "qel/pin_fanout.h"
#include "output_file.h"
#include "output_plan.h"
#include "qel/pin_observer.h"
#include "run_outputs.h"
#include "script/script_error.h"
#include "script/script_parser.h"
#include "script/script_runner.h"
#include "trace/sr_writer.h"
#include "trace/vcd_writer.h"
#include "common/user_error.h"
#include "common/staged_file.h"

namespace qel::tool {
namespace {

using script::Call;
using trace::VcdWriter;
using view::TextStyle;

// One source of calls: a file, standard input, a -e call or the built-in demo.
struct CallSource {
  std::string name;  // in messages
  std::string path;  // read from this file ("-": standard input), or else from `text`
  std::string text;
};

std::vector<CallSource> call_sources(const RunOptions& o) {
  std::vector<CallSource> sources;
  if (!o.script_path.empty()) sources.push_back({o.script_path == "-" ? "<stdin>" : o.script_path, o.script_path, {}});
  for (std::size_t i = 0; i < o.calls.size(); ++i) sources.push_back({"-e#" + std::to_string(i + 1), {}, o.calls[i]});
  if (o.script_path.empty() && o.calls.empty()) sources.push_back({o.builtin_name, {}, o.builtin_script});
  return sources;
}

// Parses and runs one source call by call, so only the current call is held.
void run_source(const CallSource& source, script::Runner& runner) {
  std::ifstream file;
  std::istringstream text;
  std::istream* in = &text;
  if (source.path == "-") {
    in = &std::cin;
  } else if (!source.path.empty()) {
    file.open(source.path, std::ios::binary);
    if (!file)
      throw common::UserError("Cannot open script file " + common::quoted_excerpt(source.path) + ": " + std::strerror(errno) +
                      ".");
    in = &file;
  } else {
    text.str(source.text);
  }
  script::CallReader reader(*in, source.name);
  while (std::optional<Call> call = reader.next()) runner.run(*call);
}

emu::Picture shown(const emu::Controller& c, const RunOptions& o) {
  return o.rotate180 ? c.picture().rotated180() : c.picture();
}

void make_frames_dir(const std::string& dir) {
  if (dir.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw common::UserError("Cannot create frames folder " + common::quoted_excerpt(dir) + ": " + ec.message() + ".");
}

bool stdout_taken(const RunOptions& o) {
  for (const std::string* path :
       {&o.bytes_path, &o.vcd_path, &o.png_path, &o.checks.text_path, &o.commands_path, &o.report_path, &o.gif_path}) {
    if (*path == "-") return true;
  }
  return false;
}

// The script's name in the report.
std::string script_name(const RunOptions& o) {
  if (!o.script_path.empty()) return o.script_path == "-" ? "<stdin>" : o.script_path;
  return o.calls.empty() ? o.builtin_name : "-e calls";
}

// Prints notes as they come and counts them.
struct NotePrinter {
  std::ostream& err;
  std::uint64_t count = 0;
  void operator()(const std::string& text) {
    ++count;
    err << "note: " << text << '\n';
  }
};

// Runs the script, streaming the byte log, costs, frames and notes.
void run_script(const RunOptions& o, emu::Controller& controller, OutputFile& bytes, OutputFile& vcd_out,
                OutputFile& session, RunOutputs& outputs, std::ostream& report, NotePrinter& notes) {
  make_frames_dir(o.frames_dir);

  outputs.start(controller, view::RunKind::Script, script_name(o));
  emu::ControllerPins pins(controller);
  PinTally tally;
  PinFanout fanout;
  if (outputs.active()) fanout.add(outputs.pins());  // hears each write before the controller decodes it
  fanout.add(pins);
  fanout.add(tally);
  std::optional<VcdWriter> vcd;
  if (vcd_out) {
    vcd.emplace(*vcd_out, o.pin_write_ns);
    fanout.add(*vcd);
  }
  std::optional<trace::SrWriter> sr;
  if (session) {
    sr.emplace(session.write_path(), o.sr_path, o.pin_write_ns);
    fanout.add(*sr);
  }
  std::optional<StatsTable> stats;
  if (o.stats) stats.emplace(report, o.pin_write_ns);
  CallRecorder::FrameSink frames;
  if (!o.frames_dir.empty()) {
    frames = [&o, &controller](std::size_t index) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%04zu.png", index + 1);
      common::write_file_replacing(view::encode_png(shown(controller, o), o.png),
                                 (std::filesystem::path(o.frames_dir) / name).string(), "frame");
    };
  }
  CallRecorder recorder(tally, bytes, stats, std::ref(notes), frames);
  // The controller must not keep a listener that a failed run has destroyed.
  struct Listening {
    emu::Controller& controller;
    ~Listening() { controller.set_listener(nullptr); }
  } listening{controller};
  ByteFanout both(recorder, outputs.active() ? outputs.listener() : recorder);
  controller.set_listener(outputs.active() ? static_cast<emu::ByteListener*>(&both) : &recorder);
  CallFanout calls(recorder, outputs);
  {
    host::ScopedPinObserver scope(fanout);
    script::Runner runner(calls);
    for (const CallSource& source : call_sources(o)) run_source(source, runner);
  }
  controller.end_of_trace();
  recorder.flush();
  outputs.finish();
  if (vcd) vcd->finish();
  if (sr) sr->finish();
  if (stats) stats->total();
}

// Streams a capture into the controller, which is made once the capture's bus is known.
void run_decode(const RunOptions& o, std::optional<emu::Controller>& slot, OutputFile& bytes, OutputFile& vcd,
                RunOutputs& run_outputs, std::ostream& report, std::ostream& err, NotePrinter& notes) {
  const DecodeOutputs outputs{bytes ? &*bytes : nullptr, vcd ? &*vcd : nullptr, report, err, &run_outputs};
  for (const std::string& note : decode_capture(o, slot, outputs)) notes(note);
  if (!slot) slot.emplace(o.controller);  // a reader always starts the capture; this keeps the picture defined
}

// Refuses, before anything is written, inputs that cannot be read and outputs
// that would overwrite an input or each other.
void check_paths(const RunOptions& o) {
  std::vector<NamedPath> inputs;
  if (!o.script_path.empty()) inputs.push_back({o.script_path, "script file"});
  if (!o.decode_path.empty()) inputs.push_back({o.decode_path, "capture"});
  if (!o.checks.expect_text_path.empty()) inputs.push_back({o.checks.expect_text_path, "expected text file"});
  if (!o.checks.expect_png_path.empty()) inputs.push_back({o.checks.expect_png_path, "golden PNG"});
  for (const NamedPath& in : inputs) check_input_path(in);
  check_output_paths(inputs, {{o.bytes_path, "byte log"},
                              {o.vcd_path, "VCD file"},
                              {o.sr_path, "sigrok session"},
                              {o.png_path, "PNG file"},
                              {o.checks.text_path, "text file"},
                              {o.checks.diff_png_path, "diff image"},
                              {o.commands_path, "command listing"},
                              {o.report_path, "report file"},
                              {o.gif_path, "GIF file"}});
}

}  // namespace

int run_simulation(const RunOptions& o, std::ostream& out, std::ostream& err) {
  NotePrinter notes{err};
  try {
    check_paths(o);
    OutputFile bytes(o.bytes_path, "byte log file", out);
    OutputFile vcd(o.vcd_path, "VCD file", out);
    OutputFile png(o.png_path, "PNG file", out);
    OutputFile session(o.sr_path, "sigrok session",
                       OutputFile::ByName{"a session is a ZIP archive and cannot go to standard output"});
    RunOutputs outputs(o, out);
    std::ostream& report = stdout_taken(o) ? err : out;
    emu::ControllerOptions controller_options = o.controller;
    std::optional<emu::Controller> controller;
    if (o.decode_path.empty()) {
      controller_options.keep_history = false;  // every byte and note is streamed to the recorder
      run_script(o, controller.emplace(controller_options), bytes, vcd, session, outputs, report, notes);
    } else {
      run_decode(o, controller, bytes, vcd, outputs, report, err, notes);
    }
    const emu::Picture picture = shown(*controller, o);
    if (png) {
      const std::vector<std::uint8_t> encoded = view::encode_png(picture, o.png);
      (*png).write(reinterpret_cast<const char*>(encoded.data()), static_cast<std::streamsize>(encoded.size()));
    }
    if (o.term != TermMode::Off && !stdout_taken(o)) {
      out << view::render_text(picture, o.term == TermMode::Ascii ? TextStyle::Ascii : TextStyle::Unicode);
    }
    const int checks = run_panel_checks(o.checks, *controller, picture, out, err);
    std::vector<OutputFile*> files = {&bytes, &vcd, &png, &session};
    for (OutputFile* f : outputs.files()) files.push_back(f);
    finish_and_commit(files);  // the listing, report and GIF too appear only when the whole run succeeded
    out.flush();
    if (!out) throw common::UserError("Cannot write to standard output; the output is lost.");
    return (o.strict && notes.count > 0) || checks != 0 ? 1 : 0;
  } catch (const std::exception& e) {
    out.flush();
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace qel::tool
