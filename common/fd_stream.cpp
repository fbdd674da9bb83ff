// Buffered writes to a file descriptor; see fd_stream.h.
#include "common/fd_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qel::common {

bool write_all(int fd, const void* data, std::size_t size) {
  const auto* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

FdStreamBuf::FdStreamBuf(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

FdStreamBuf::~FdStreamBuf() {
  if (fd_ >= 0) ::close(fd_);  // an output never finished: its bytes no longer matter
}

bool FdStreamBuf::put(const char* data, std::size_t size) {
  if (error_ == 0 && !write_all(fd_, data, size)) error_ = errno;
  return error_ == 0;
}

bool FdStreamBuf::drain() {
  const bool ok = put(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return ok;
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FdStreamBuf::xsputn(const char* data, std::streamsize size) {
  if (size < epptr() - pptr()) {
    std::memcpy(pptr(), data, static_cast<std::size_t>(size));
    pbump(static_cast<int>(size));
    return size;
  }
  if (!drain() || !put(data, static_cast<std::size_t>(size))) return 0;
  return size;
}

int FdStreamBuf::sync() { return drain() ? 0 : -1; }

bool FdStreamBuf::close() {
  if (fd_ < 0) return error_ == 0;
  drain();
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  return error_ == 0;
}

}  // namespace qel::common
