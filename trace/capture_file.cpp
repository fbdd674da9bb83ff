// Capture format detection and dispatch to the readers.
#include "trace/capture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "common/message_text.h"
#include "trace/csv_reader.h"
#include "trace/descriptor_source.h"
#include "trace/sr_reader.h"
#include "trace/vcd_reader.h"

namespace qel::trace {
namespace {

constexpr std::string_view kZip("PK\x03\x04", 4);
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCsvHeaders[] = {"Time [s],", "\"Time [s]\","};
constexpr std::size_t kMostHeadBytes = 256;  // a capture that starts with more blank space is none

// Whether `head` is a proper beginning of `whole`.
bool begins(std::string_view whole, std::string_view head) {
  return head.size() < whole.size() && whole.substr(0, head.size()) == head;
}

// Whether more bytes after `head` could still make it the start of a capture.
bool may_become_capture(std::string_view head) {
  if (begins(kZip, head) || begins(kByteOrderMark, head)) return true;
  if (head.substr(0, 3) == kByteOrderMark) head.remove_prefix(3);
  for (const std::string_view csv : kCsvHeaders) {
    if (begins(csv, head)) return true;
  }
  return head.find_first_not_of(" \t\r\n") == std::string_view::npos;  // blank so far: a VCD may follow
}

// Closes a descriptor the reader opened itself; standard input stays open.
class OpenInput {
 public:
  OpenInput(const std::string& path, const std::string& name) {
    if (path == "-") return;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("Cannot open capture file '" + name + "': " + std::strerror(errno) + ".");
  }
  OpenInput(const OpenInput&) = delete;
  OpenInput& operator=(const OpenInput&) = delete;
  ~OpenInput() {
    if (fd_ != STDIN_FILENO) ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_ = STDIN_FILENO;
};

// The first bytes, until they tell the format: a pipe may give them a few at a time.
std::string read_head(int fd, const std::string& name) {
  std::string head;
  char buffer[kMostHeadBytes];
  while (head.size() < kMostHeadBytes && !capture_format_of(head) && may_become_capture(head)) {
    const std::size_t got = read_descriptor(fd, buffer, kMostHeadBytes - head.size(), name);
    if (got == 0) break;
    head.append(buffer, got);
  }
  return head;
}

}  // namespace

std::optional<CaptureFormat> capture_format_of(std::string_view head) {
  if (head.substr(0, 4) == kZip) return CaptureFormat::SigrokSession;
  if (head.substr(0, 3) == kByteOrderMark) head.remove_prefix(3);
  for (const std::string_view csv : kCsvHeaders) {
    if (head.substr(0, csv.size()) == csv) return CaptureFormat::SaleaeCsv;
  }
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

std::string capture_name(const std::string& path) { return path == "-" ? "standard input" : path; }

CaptureFormat read_capture_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink) {
  const std::string name = capture_name(path);
  const OpenInput input(path, name);
  struct stat info {};
  if (::fstat(input.fd(), &info) != 0) {
    throw std::runtime_error("Cannot read capture '" + name + "': " + std::strerror(errno) + ".");
  }
  if (S_ISDIR(info.st_mode)) {
    throw std::runtime_error("Cannot read capture '" + name + "': it is a folder; expected a file.");
  }
  const bool regular = S_ISREG(info.st_mode);
  std::string head = read_head(input.fd(), name);
  const auto format = capture_format_of(head);
  if (!format) {
    throw std::runtime_error(
        "Cannot read capture '" + name +
        "': expected a VCD file (starting with a '$' keyword), a sigrok session (a ZIP "
        "archive) or a Saleae Logic 2 CSV export (header 'Time [s],...'); it starts with " +
        (head.empty() ? std::string("nothing (the file is empty)") : common::quoted_excerpt(head, 24)) + ".");
  }
  if (*format == CaptureFormat::SigrokSession) {
    if (!regular) {
      throw std::runtime_error("Cannot read the sigrok session " +
                               (path == "-" ? std::string("on standard input") : "'" + name + "'") +
                               ": a session is a ZIP archive, which is read from a file, not from a pipe; save it "
                               "to a file and give that file's name.");
    }
    const int own = ::fcntl(input.fd(), F_DUPFD_CLOEXEC, 0);
    if (own < 0 || ::lseek(own, 0, SEEK_SET) != 0) {
      if (own >= 0) ::close(own);
      throw std::runtime_error("Cannot read capture '" + name + "': " + std::strerror(errno) + ".");
    }
    read_sr_descriptor(own, name, map, sink);
    return *format;
  }
  // Input that arrives over time tells the sink when it pauses; a file never does.
  std::function<void()> idle;
  if (!regular) idle = [&sink] { sink.idle(); };
  DescriptorSource source(input.fd(), name, std::move(head), std::move(idle));
  if (*format == CaptureFormat::Vcd) {
    read_vcd(source, name, map, sink);
  } else {
    read_csv(source, name, map, sink);
  }
  return *format;
}

}  // namespace qel::trace
