// Capture format detection and dispatch to the readers.
#include "trace/capture_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "common/message_text.h"
#include "trace/csv_reader.h"
#include "trace/sr_reader.h"
#include "trace/vcd_reader.h"

namespace qel::trace {

std::optional<CaptureFormat> capture_format_of(std::string_view head) {
  if (head.substr(0, 4) == std::string_view("PK\x03\x04", 4)) return CaptureFormat::SigrokSession;
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  if (head.substr(0, 9) == "Time [s]," || head.substr(0, 11) == "\"Time [s]\",") return CaptureFormat::SaleaeCsv;
  const auto first = head.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && head[first] == '$') return CaptureFormat::Vcd;
  return std::nullopt;
}

std::string_view format_name(CaptureFormat format) {
  switch (format) {
    case CaptureFormat::Vcd:
      return "VCD";
    case CaptureFormat::SigrokSession:
      return "sigrok session";
    case CaptureFormat::SaleaeCsv:
      return "Saleae CSV";
  }
  return "capture";
}

CaptureFormat read_capture_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw std::runtime_error("Cannot read capture '" + path + "': it is a folder; expected a file.");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open capture file '" + path + "': " + std::strerror(errno) + ".");
  char buffer[256];
  in.read(buffer, sizeof buffer);
  const std::string head(buffer, static_cast<std::size_t>(in.gcount()));
  const auto format = capture_format_of(head);
  if (!format) {
    throw std::runtime_error(
        "Cannot read capture '" + path +
        "': expected a VCD file (starting with a '$' keyword), a sigrok session (a ZIP "
        "archive) or a Saleae Logic 2 CSV export (header 'Time [s],...'); it starts with " +
        (head.empty() ? std::string("nothing (the file is empty)") : common::quoted_excerpt(head, 24)) + ".");
  }
  in.clear();
  in.seekg(0);
  switch (*format) {
    case CaptureFormat::Vcd:
      read_vcd(in, path, map, sink);
      break;
    case CaptureFormat::SigrokSession:
      in.close();
      read_sr_file(path, map, sink);
      break;
    case CaptureFormat::SaleaeCsv:
      read_csv(in, path, map, sink);
      break;
  }
  return *format;
}

}  // namespace qel::trace
