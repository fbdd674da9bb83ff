// The panel drawn in the terminal while a capture arrives (--live): the
// terminal view and a status line (the capture's time so far, bytes, notes
// and findings), redrawn in place when the input pauses, at the end of each
// burst, and at most 20 times a second; drawn a last time when the capture ends.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "run/capture_stats.h"
#include "run/events.h"
#include "run/request.h"
#include "view/terminal_view.h"

namespace qel::run {

struct LiveViewOptions {
  view::TextStyle style = view::TextStyle::Unicode;
  bool rotate180 = false;
  int columns = 0;                      // the terminal's width, for lines it wraps; 0 when not known
  const CaptureStats* stats = nullptr;  // the capture's time so far
  // The run's findings so far, shown when given.
  std::function<std::size_t()> findings;
};

inline constexpr std::chrono::milliseconds kLiveRedrawInterval{50};

class LiveView : public Listener {
 public:
  // `source`: the capture as messages name it.
  LiveView(std::ostream& out, LiveViewOptions options, std::string source)
      : out_(out), options_(std::move(options)), source_(std::move(source)) {}

  void on_start(const Start& start) override { controller_ = start.controller; }
  void on_byte(const emu::WireByte&, std::uint64_t) override { ++bytes_; }
  void on_note(const Note&) override { ++notes_; }
  void on_idle() override;
  void on_finish() override;

  // The capture ended and its last picture is drawn.
  bool finished() const { return finished_; }

 private:
  // What the status line says, without the time of day: equal texts need no redraw.
  std::string status() const;
  void draw(const std::string& status);

  std::ostream& out_;
  LiveViewOptions options_;
  std::string source_;
  const emu::Controller* controller_ = nullptr;
  std::uint64_t bytes_ = 0, notes_ = 0;
  std::string drawn_status_;
  std::size_t rows_ = 0;  // terminal rows the last drawing took
  std::chrono::steady_clock::time_point drawn_at_{};
  bool finished_ = false;
};

// Why --live cannot draw here, or nothing: it redraws the panel in place on
// standard output, which must be a terminal and carry nothing else.
std::string live_refusal(const Request& request);

// The width of the terminal on standard output; 0 when not known.
int terminal_columns();

}  // namespace qel::run
