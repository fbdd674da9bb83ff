// One run from request to files; see execute.h.
#include "run/execute.h"

#include <optional>
#include <string>
#include <vector>

#include "common/output_files.h"
#include "common/output_plan.h"
#include "common/temporary_registry.h"
#include "common/user_error.h"
#include "run/byte_log.h"
#include "run/call_costs.h"
#include "run/capture_input.h"
#include "run/capture_stats.h"
#include "run/findings.h"
#include "run/frame_files.h"
#include "run/frame_recorder.h"
#include "run/live_view.h"
#include "run/note_printer.h"
#include "run/script_input.h"
#include "run/session.h"
#include "view/gif_writer.h"
#include "view/html_report.h"
#include "view/png_writer.h"
#include "view/terminal_view.h"

namespace qel::run {
namespace {

bool stdout_taken(const Request& o) {
  for (const std::string* path : {&o.bytes_path, &o.vcd_path, &o.png_path, &o.checks.text_path, &o.commands_path,
                                  &o.report_path, &o.gif_path, &o.findings_path}) {
    if (*path == "-") return true;
  }
  return false;
}

// Refuses, before anything is written, inputs that cannot be read and outputs
// that would overwrite an input or each other.
void check_paths(const Request& o) {
  std::vector<common::NamedPath> inputs;
  if (!o.script_path.empty()) inputs.push_back({o.script_path, "script file"});
  if (!o.decode_path.empty()) inputs.push_back({o.decode_path, "capture"});
  if (!o.checks.expect_text_path.empty()) inputs.push_back({o.checks.expect_text_path, "expected text file"});
  if (!o.checks.expect_png_path.empty()) inputs.push_back({o.checks.expect_png_path, "golden PNG"});
  for (const common::NamedPath& in : inputs) common::check_input_path(in);
  common::check_output_paths(inputs,
                             {{o.bytes_path, "byte log"},
                              {o.vcd_path, "VCD file"},
                              {o.sr_path, "sigrok session"},
                              {o.png_path, "PNG file"},
                              {o.checks.text_path, "text file"},
                              {o.checks.diff_png_path, "diff image"},
                              {o.commands_path, "command listing"},
                              {o.report_path, "report file"},
                              {o.gif_path, "GIF file"},
                              {o.findings_path, "findings file"}},
                             o.frames_dir);
}

void write_bytes(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// "finding: page-overrun (warning) at byte 25, demo.qel:2:1: ...", after the notes.
void print_findings(const std::vector<Finding>& findings, std::ostream& err) {
  for (const Finding& f : findings) {
    err << "finding: " << f.name() << " (" << severity_name(f.severity()) << ") at " << where_text(f.place) << ": "
        << f.sentence << '\n';
  }
}

// The report and the animated GIF of the frames gathered.
void write_run_views(FrameRecorder& recorder, const std::vector<Finding>& findings, std::ostream* report,
                     std::ostream* gif, const view::PngOptions& png) {
  view::RunFrames run = recorder.take_frames();
  run.findings = report_findings(findings);
  if (report != nullptr) *report << view::render_html_report(run, png);
  if (gif != nullptr) write_bytes(*gif, encode_run_gif(run, png));
}

}  // namespace

int execute(const Request& o, std::ostream& out, std::ostream& err) {
  try {
    if (o.live) {
      if (const std::string refusal = live_refusal(o); !refusal.empty()) throw common::UserError(refusal);
    }
    check_paths(o);
    common::OutputFiles files(out);
    std::ostream* bytes = files.open(o.bytes_path, "byte log file");
    std::ostream* vcd = files.open(o.vcd_path, "VCD file");
    std::ostream* png = files.open(o.png_path, "PNG file");
    const std::string sr =
        files.open_by_name(o.sr_path, "sigrok session", "a session is a ZIP archive and cannot go to standard output");
    std::ostream* commands = files.open(o.commands_path, "command listing file");
    std::ostream* report = files.open(o.report_path, "report file");
    std::ostream* gif = files.open(o.gif_path, "GIF file");
    std::ostream* findings_file = files.open(o.findings_path, "findings file");
    common::FrameFolder* frames = files.open_frames(o.frames_dir);
    std::ostream& figures = stdout_taken(o) ? err : out;
    const bool capture = !o.decode_path.empty();

    // The recorders, each a listener on the run's events.
    Fanout events;
    std::optional<ListingWriter> listing;
    if (commands != nullptr) listing.emplace(*commands, capture);
    std::optional<FrameRecorder> recorder;
    if (commands != nullptr || report != nullptr || gif != nullptr) {
      events.add(recorder.emplace(
          RecorderOptions{report != nullptr || gif != nullptr, o.rotate180, listing ? &*listing : nullptr}));
    }
    std::optional<ByteLog> byte_log;
    if (bytes != nullptr) events.add(byte_log.emplace(*bytes));
    std::optional<CallCosts> costs;
    if (o.stats && !capture) events.add(costs.emplace(figures, o.pin_write_ns));
    CaptureStats capture_stats;
    if (capture) events.add(capture_stats);
    std::optional<FrameFiles> frame_files;
    if (frames != nullptr) events.add(frame_files.emplace(*frames, o.png, o.rotate180));
    const std::string capture_name = capture ? trace::capture_name(o.decode_path) : std::string();
    NotePrinter notes(err, capture ? view::RunKind::Capture : view::RunKind::Script,
                      capture ? capture_name : script_name(o));
    events.add(notes);
    Findings findings(capture ? view::RunKind::Capture : view::RunKind::Script);
    events.add(findings);
    std::optional<LiveView> live;
    if (o.live) {
      const auto style = o.term == TermMode::Ascii ? view::TextStyle::Ascii : view::TextStyle::Unicode;
      events.add(live.emplace(out,
                              LiveViewOptions{style, o.rotate180, terminal_columns(), &capture_stats,
                                              [&findings] { return findings.conclude().size(); }},
                              capture_name));
    }
    // A capture arriving over time ends on Ctrl-C, and the run goes on to write what was decoded.
    std::optional<common::InterruptStops> stops;
    if (capture && trace::capture_streams(o.decode_path)) stops.emplace();

    Session session(events);
    std::string stopped;  // what a capture stopped on request holds
    if (capture) {
      const trace::CaptureRead read = decode_capture(o, session, capture_stats, vcd, err);
      if (o.stats) capture_stats.write(figures, capture_title(o.decode_path, read));
      notes.print_kept();
      if (read.stopped) stopped = stop_sentence(capture_name, session, capture_stats);
      if (!session.started()) session.start(o.controller, view::RunKind::Capture, capture_name);
    } else {
      run_calls(o, session, vcd, sr);
    }
    const std::vector<Finding> found = findings.conclude();
    print_findings(found, err);
    if (!stopped.empty()) err << stopped << '\n';
    if (findings_file != nullptr) {
      for (const Finding& f : found) *findings_file << finding_line(f) << '\n';
    }
    if (recorder) write_run_views(*recorder, found, report, gif, o.png);

    const emu::Picture picture =
        o.rotate180 ? session.controller().picture().rotated180() : session.controller().picture();
    if (png != nullptr) write_bytes(*png, view::encode_png(picture, o.png));
    if (o.term != TermMode::Off && !stdout_taken(o) && !(live && live->finished())) {
      out << view::render_text(picture, o.term == TermMode::Ascii ? view::TextStyle::Ascii : view::TextStyle::Unicode);
    }
    const int checks = run_panel_checks(o.checks, session.controller(), picture, files, err);
    for (const std::string& remark : files.commit()) err << remark << '\n';
    out.flush();
    if (!out) throw common::UserError("Cannot write to standard output; the output is lost.");
    return (o.strict && (notes.count() > 0 || error_count(found) > 0)) || checks != 0 ? 1 : 0;
  } catch (const std::exception& e) {
    out.flush();
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace qel::run
