// The listing, report and GIF of a run; see run_outputs.h.
#include "run_outputs.h"

#include <utility>

#include "view/gif_writer.h"
#include "view/html_report.h"

namespace qel::tool {
namespace {

constexpr std::size_t kTimeWidth = 16;

}  // namespace

void ListingWriter::on_line(const view::ListingLine& line) {
  std::string text;
  if (times_ && line.origin.size() < kTimeWidth) text.assign(kTimeWidth - line.origin.size(), ' ');
  text += line.origin;
  text += "  ";
  text += line.text;
  text += '\n';
  out_ << text;
}

RunOutputs::RunOutputs(const RunOptions& options, std::ostream& stdout_stream)
    : options_(options),
      stdout_(stdout_stream),
      commands_(options.commands_path, "command listing file", stdout_stream),
      report_(options.report_path, "report file", stdout_stream),
      gif_(options.gif_path, "GIF file", stdout_stream) {}

void RunOutputs::start(const emu::Controller& controller, view::RunKind kind, std::string source) {
  if (!commands_ && !report_ && !gif_) return;
  RecorderOptions r;
  r.kind = kind;
  r.source = std::move(source);
  r.keep_frames = static_cast<bool>(report_) || static_cast<bool>(gif_);
  r.rotate180 = options_.rotate180;
  r.pin_write_ns = options_.pin_write_ns;
  if (commands_) {
    writer_.emplace(*commands_, kind == view::RunKind::Capture);
    r.listing = &*writer_;
  }
  recorder_.emplace(controller, std::move(r));
}

void RunOutputs::on_call_start(std::size_t index, const script::Call& call) {
  if (!recorder_) return;
  recorder_->begin_call(index, call.file + ":" + std::to_string(call.line) + ":" + std::to_string(call.column),
                        call.source);
}

void RunOutputs::on_call_end(std::size_t, const script::Call&) {
  if (recorder_) recorder_->end_call();
}

void RunOutputs::finish() {
  if (!recorder_) return;
  recorder_->finish();
  const view::RunFrames run = recorder_->take_frames();
  if (report_) *report_ << view::render_html_report(run, options_.png);
  if (gif_) {
    std::vector<view::GifFrame> frames;
    frames.reserve(run.frames.size());
    for (const view::Frame& f : run.frames) frames.push_back(view::GifFrame{f.picture, f.costs.wire_ns});
    if (frames.empty()) frames.push_back(view::GifFrame{run.final_picture, 0});
    const std::vector<std::uint8_t> gif = view::encode_gif(frames, options_.png);
    (*gif_).write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
  }
}

}  // namespace qel::tool
