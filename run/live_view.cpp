// The live terminal view of a capture; see live_view.h.
#include "run/live_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <utility>

#include "common/text_format.h"

namespace qel::run {
namespace {

constexpr const char* kClearToLineEnd = "\x1B[K";

// Terminal rows a line of `text` takes on a terminal `columns` wide: a
// character per UTF-8 lead byte, wrapped at the width.
std::size_t rows_of(std::string_view text, int columns) {
  std::size_t width = 0;
  for (const char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  if (columns <= 0 || width == 0) return 1;
  const auto cols = static_cast<std::size_t>(columns);
  return (width + cols - 1) / cols;
}

}  // namespace

std::string LiveView::status() const {
  std::string text = source_ + ": ";
  text += common::time_text(options_.stats != nullptr ? options_.stats->span_ns() : 0, common::TimeStyle::Figure);
  text += " of capture, " + std::to_string(bytes_) + (bytes_ == 1 ? " byte, " : " bytes, ");
  text += std::to_string(notes_) + (notes_ == 1 ? " note" : " notes");
  if (options_.findings) {
    const std::size_t findings = options_.findings();
    text += ", " + std::to_string(findings) + (findings == 1 ? " finding" : " findings");
  }
  return text;
}

void LiveView::draw(const std::string& status) {
  const emu::Picture picture = options_.rotate180 ? controller_->picture().rotated180() : controller_->picture();
  const std::string view = view::render_text(picture, options_.style);
  std::string text;
  // Back to the first row of the last drawing, and over it line by line.
  if (rows_ > 0) text += "\r\x1B[" + std::to_string(rows_) + "A";
  rows_ = 0;
  std::size_t begin = 0;
  while (begin < view.size()) {
    const std::size_t end = view.find('\n', begin);
    const std::string_view line(view.data() + begin, end - begin);
    text.append(line);
    text += kClearToLineEnd;
    text += '\n';
    rows_ += rows_of(line, options_.columns);
    begin = end + 1;
  }
  text += status;
  text += kClearToLineEnd;
  text += '\n';
  rows_ += rows_of(status, options_.columns);
  out_ << text << std::flush;
  drawn_status_ = status;
  drawn_at_ = std::chrono::steady_clock::now();
}

void LiveView::on_idle() {
  if (controller_ == nullptr || finished_) return;
  if (std::chrono::steady_clock::now() - drawn_at_ < kLiveRedrawInterval) return;
  std::string now = status();
  // A picture changes only with bytes, which the status counts.
  if (now != drawn_status_) draw(now);
}

void LiveView::on_finish() {
  if (controller_ == nullptr || finished_) return;
  draw(status());
  finished_ = true;
}

std::string live_refusal(const Request& o) {
  for (const auto& [path, option] : {std::pair{&o.bytes_path, "--bytes"},
                                     {&o.vcd_path, "--vcd"},
                                     {&o.png_path, "--png"},
                                     {&o.checks.text_path, "--text"},
                                     {&o.commands_path, "--commands"},
                                     {&o.report_path, "--report"},
                                     {&o.gif_path, "--gif"}}) {
    if (*path == "-") {
      return std::string("Option --live draws the panel on standard output, which ") + option +
             " - takes too; write that output to a file.";
    }
  }
  if (::isatty(STDOUT_FILENO) == 0) {
    return "Option --live needs a terminal on standard output to redraw the panel in place, and standard output is "
           "a file or a pipe here; run it in a terminal, or leave out --live.";
  }
  return {};
}

int terminal_columns() {
  winsize size{};
  return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace qel::run
