// Chunked line reading; see line_reader.h.
#include "trace/line_reader.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace qel::trace {

std::optional<std::string_view> LineReader::next() {
  std::size_t scanned = begin_;  // no line end before here
  while (true) {
    const void* nl = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
    std::size_t stop = 0;
    if (nl != nullptr) {
      stop = static_cast<std::size_t>(static_cast<const char*>(nl) - buffer_.data());
    } else if (at_eof_) {
      if (begin_ == end_) return std::nullopt;
      stop = end_;
      open_ = true;
    } else if (end_ - begin_ > kMaxLineBytes) {
      throw std::runtime_error(file_ + ":" + std::to_string(line_ + 1) +
                               ": expected a line of at most 1 MiB, got a longer one.");
    } else {
      // Move the partial line to the front and read more after it.
      scanned = end_ - begin_;
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
      if (end_ == buffer_.size()) buffer_.resize(std::min(2 * buffer_.size(), 2 * kMaxLineBytes));
      const std::size_t got = in_.read(buffer_.data() + end_, buffer_.size() - end_);
      end_ += got;
      if (got == 0) at_eof_ = true;
      continue;
    }
    if (stop - begin_ > kMaxLineBytes) {
      throw std::runtime_error(file_ + ":" + std::to_string(line_ + 1) +
                               ": expected a line of at most 1 MiB, got a longer one.");
    }
    std::string_view line(buffer_.data() + begin_, stop - begin_);
    begin_ = stop < end_ ? stop + 1 : stop;
    ++line_;
    if (line_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
}

}  // namespace qel::trace
