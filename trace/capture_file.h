// Opens a logic-analyzer capture of any supported format and streams it into a
// LineSink. The format is told from the input's first bytes, never from its
// name: a ZIP archive is a sigrok session, "Time [s]," a Saleae Logic 2 CSV
// export, a '$' keyword a VCD.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "trace/line_sink.h"
#include "trace/signal_map.h"

namespace qel::trace {

enum class CaptureFormat { Vcd, SigrokSession, SaleaeCsv };

// The format of a file starting with `head`; nullopt if it is none of them.
std::optional<CaptureFormat> capture_format_of(std::string_view head);

std::string_view format_name(CaptureFormat format);

// The capture at `path` as messages name it: "standard input" for "-", else
// the path with bytes outside printable ASCII escaped (common::escaped_text).
std::string capture_name(const std::string& path);

// Whether the capture at `path` arrives over time: standard input or a pipe, a
// FIFO, a terminal (anything but a file or a folder).
bool capture_streams(const std::string& path);

// How a capture's reading ended.
struct CaptureRead {
  // Told from the first bytes; none only when stopped before they told it.
  std::optional<CaptureFormat> format;
  // Input arriving over time was stopped on request (Ctrl-C, see
  // common::InterruptStops) before its end: what came before the stop was read
  // (the sink had begin and end when the header was whole, nothing otherwise).
  bool stopped = false;
};

// Reads the capture at `path`: a file, a pipe or FIFO, or standard input ("-").
// VCD and CSV are read as they arrive, never by seeking, so a capture still
// being written is decoded as it comes, and the sink hears when the input
// pauses (LineSink::idle). A sigrok session needs a file.
// Throws std::runtime_error naming the file for a file that cannot be opened,
// a folder, a file of no known format (saying what was expected), a session
// that is not in a file, and whatever the format's reader refuses before a
// stop.
CaptureRead read_capture_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink);

}  // namespace qel::trace
