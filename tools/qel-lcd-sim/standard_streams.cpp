// Stand-ins for closed standard descriptors; see standard_streams.h.
#include "standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace qel::tool {
namespace {

bool is_closed(int fd) { return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF; }

// Opens `device` onto `fd`, which is closed: open() returns the lowest free descriptor.
void take(int fd, const char* device, int flags) {
  const int got = ::open(device, flags);
  if (got >= 0 && got != fd) {
    ::dup2(got, fd);
    ::close(got);
  }
}

}  // namespace

void guard_standard_streams() {
  if (is_closed(0)) take(0, "/dev/null", O_RDONLY);
  if (is_closed(1)) take(1, "/dev/full", O_WRONLY);
  if (is_closed(2)) take(2, "/dev/null", O_WRONLY);
}

}  // namespace qel::tool
