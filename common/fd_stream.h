// An output stream over a file descriptor that keeps the system's reason for
// the first failed write, so that every write failure can say why ("No space
// left on device") instead of only that it failed.
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <streambuf>

namespace qel::common {

// Writes all of `size` bytes to `fd`, again after an interruption; false with
// errno set on failure.
bool write_all(int fd, const void* data, std::size_t size);

class FdStreamBuf : public std::streambuf {
 public:
  explicit FdStreamBuf(int fd);
  ~FdStreamBuf() override;
  FdStreamBuf(const FdStreamBuf&) = delete;
  FdStreamBuf& operator=(const FdStreamBuf&) = delete;

  // Writes what is buffered and closes the descriptor; false when a write or
  // the close failed (error() then holds errno).
  bool close();
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool drain();
  bool put(const char* data, std::size_t size);

  int fd_;
  int error_ = 0;
  std::array<char, 1 << 16> buffer_{};
};

class FdStream : public std::ostream {
 public:
  explicit FdStream(int fd) : std::ostream(nullptr), buf_(fd) { rdbuf(&buf_); }
  // Flushes and closes; false with error() set on failure.
  bool close() { return buf_.close(); }
  int error() const { return buf_.error(); }

 private:
  FdStreamBuf buf_;
};

}  // namespace qel::common
