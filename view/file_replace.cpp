// Whole-file writes through a temporary file and a rename; see file_replace.h.
#include "view/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qel::view {
namespace {

// Writes all of `bytes` to `fd`; false with errno set on failure.
bool write_all(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what) {
  const auto fail = [&](int error) {
    throw std::runtime_error(std::string("Cannot write ") + what + " '" + path + "': " + std::strerror(error) + ".");
  };
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) fail(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe (/dev/null, a FIFO) is written into, never replaced.
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) fail(errno);
    const bool written = write_all(fd, bytes);
    const int error = errno;
    ::close(fd);
    if (!written) fail(error);
    return;
  }
  // A fresh name beside the file, so no other file is overwritten on the way.
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) fail(errno);
  mode_t mode = 0;
  if (exists) {
    mode = st.st_mode & 07777;  // the replaced file's permissions
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0 && write_all(fd, bytes);
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::remove(temp.c_str());
    fail(error);
  }
}

}  // namespace qel::view
