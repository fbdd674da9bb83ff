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

// The capture at `path`, "-" being standard input, as messages name it.
std::string capture_name(const std::string& path);

// Reads the capture at `path`: a file, a pipe or FIFO, or standard input ("-").
// VCD and CSV are read as they arrive, never by seeking, so a capture still
// being written is decoded as it comes, and the sink hears when the input
// pauses (LineSink::idle). A sigrok session needs a file.
// Throws std::runtime_error naming the file for a file that cannot be opened,
// a folder, a file of no known format (saying what was expected), a session
// that is not in a file, and whatever the format's reader refuses.
CaptureFormat read_capture_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink);

}  // namespace qel::trace
