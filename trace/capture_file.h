// Opens a logic-analyzer capture of any supported format and streams it into a
// LineSink. The format is told from the file's first bytes, never from its
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

// Throws std::runtime_error naming the file for a file that cannot be opened,
// a folder, a file of no known format (saying what was expected), and whatever
// the format's reader refuses.
CaptureFormat read_capture_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink);

}  // namespace qel::trace
