// Lines of a text capture, read in chunks of what has arrived, with bounded
// memory: a line longer than the limit is refused rather than held. A line is
// handed out as soon as its line end is in, whether or not more input follows. Line ends are LF or CRLF;
// a UTF-8 byte order mark before the first line is skipped. Line numbers count
// in 64 bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "trace/byte_source.h"

namespace qel::trace {

class LineReader {
 public:
  static constexpr std::size_t kMaxLineBytes = 1 << 20;

  // The buffer starts small and doubles while a line does not fit, up to twice
  // the longest line, so that a small file costs no large allocation.
  static constexpr std::size_t kFirstBufferBytes = 1 << 16;

  LineReader(ByteSource& in, const std::string& file_name) : in_(in), file_(file_name), buffer_(kFirstBufferBytes) {}

  // The next line without its line end; valid until the next call. Throws
  // std::runtime_error "<file>:<line>: ..." for a line over kMaxLineBytes.
  std::optional<std::string_view> next();

  std::uint64_t line_number() const { return line_; }
  // The last line read is the file's last and has no line end: the file may be cut short.
  bool last_line_open() const { return open_; }

 private:
  ByteSource& in_;
  const std::string& file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;  // unread bytes
  bool at_eof_ = false;
  bool open_ = false;
  std::uint64_t line_ = 0;
};

}  // namespace qel::trace
