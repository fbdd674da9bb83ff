// Output files written through a temporary; see staged_file.h.
#include "common/staged_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/fd_stream.h"
#include "common/file_identity.h"
#include "common/message_text.h"
#include "common/user_error.h"

namespace qel::common {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".tmp-XXXXXX";

// Permissions for the new file: those of the file it replaces, else the usual
// ones under the process's umask.
mode_t mode_for(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Room left in a temporary's name for the temporary that a library writing it
// by name makes beside it (libzip adds ".XXXXXX").
constexpr std::size_t kLibraryRoom = 16;

// A fresh temporary named after `target` in `folder`, its name cut to fit the
// folder's limit on name length; -1 with errno on failure.
int make_temporary(const fs::path& folder, const fs::path& target, std::string& name) {
  long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = NAME_MAX;
  const std::size_t room = static_cast<std::size_t>(limit) - 1 - std::strlen(kTemporarySuffix) - kLibraryRoom;
  std::string base = target.filename().string();
  if (base.size() > room) base.resize(room);
  name = (folder / ("." + base + kTemporarySuffix)).string();
  return ::mkstemp(name.data());
}

int make_scratch(const fs::path& target, std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  return make_temporary(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp", target, name);
}

// Copies the file `from` into the existing file `to`, truncating it first; false
// with errno set on failure.
bool copy_into(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY);
  if (in < 0) return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_TRUNC);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    return false;
  }
  std::uint8_t buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (!write_all(out, buffer, static_cast<std::size_t>(n))) {
      ok = false;
      break;
    }
  }
  int error = errno;
  if (::close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  ::close(in);
  errno = error;
  return ok;
}

}  // namespace

void StagedFile::fail(int error) const {
  throw UserError("Cannot write " + what_ + " " + quoted_excerpt(path_) + ": " + std::strerror(error) + ".");
}

StagedFile::StagedFile(const std::string& path, std::string what, Writer writer)
    : path_(path), target_(link_target(path)), what_(std::move(what)) {
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    throw UserError("Cannot write " + what_ + " " + quoted_excerpt(path_) + ": it is a folder.");
  }
  const fs::path target(target_);
  if (exists && !S_ISREG(st.st_mode)) {
    if (writer == Writer::Stream) {
      write_path_ = target_;  // a device or a pipe is written into, never replaced
      return;
    }
    const FatalSignalsHeld held;
    const int fd = make_scratch(target, write_path_);
    if (fd < 0) fail(errno);
    ::close(fd);
    mode_ = Mode::CopyIn;
    guard_ = TemporaryGuard(write_path_, TemporaryGuard::Kind::File);
    return;
  }
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const FatalSignalsHeld held;
  int fd = make_temporary(folder, target, write_path_);
  mode_ = Mode::Rename;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM) && exists &&
      ::access(target_.c_str(), W_OK) == 0) {
    // The folder takes no new files, the file takes writes: stage elsewhere.
    fd = make_scratch(target, write_path_);
    mode_ = Mode::CopyIn;
  }
  if (fd < 0) fail(errno);
  guard_ = TemporaryGuard(write_path_, TemporaryGuard::Kind::File);
  ::fchmod(fd, mode_for(target_));
  ::close(fd);
}

StagedFile::~StagedFile() {
  if (mode_ != Mode::Direct && !committed_) std::remove(write_path_.c_str());
}

// Copies the staged bytes into the file. Its earlier contents are kept in a
// scratch copy first, and copied back if the new bytes do not fit.
void StagedFile::copy_in() {
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {  // a device or a pipe has no contents to keep
    if (!copy_into(write_path_, target_)) fail(errno);
    return;
  }
  std::string backup;
  TemporaryGuard backup_guard;
  {
    const FatalSignalsHeld held;
    const int fd = make_scratch(fs::path(target_), backup);
    if (fd < 0) fail(errno);
    ::close(fd);
    backup_guard = TemporaryGuard(backup, TemporaryGuard::Kind::File);
  }
  if (!copy_into(target_, backup)) {
    const int error = errno;
    std::remove(backup.c_str());
    fail(error);
  }
  if (copy_into(write_path_, target_)) {
    std::remove(backup.c_str());
    return;
  }
  const int error = errno;
  const std::string reason = "Cannot write " + what_ + " " + quoted_excerpt(path_) + ": " + std::strerror(error);
  if (copy_into(backup, target_)) {
    std::remove(backup.c_str());
    throw UserError(reason + "; its earlier contents were put back.");
  }
  backup_guard.release();  // the only copy of the user's bytes now: keep it
  throw UserError(reason + "; its earlier contents could not be put back and are kept in " + quoted_excerpt(backup) +
                  ".");
}

void StagedFile::commit() {
  if (mode_ == Mode::Direct || committed_) return;
  if (mode_ == Mode::Rename) {
    if (std::rename(write_path_.c_str(), target_.c_str()) != 0) fail(errno);
  } else {
    copy_in();
    std::remove(write_path_.c_str());
  }
  committed_ = true;
  guard_.release();
}

void write_whole_file(const std::string& path, const std::string& what, const std::vector<std::uint8_t>& bytes) {
  StagedFile file(path, what);
  const int fd = ::open(file.write_path().c_str(), O_WRONLY | O_TRUNC);
  if (fd < 0) file.fail(errno);
  bool ok = write_all(fd, bytes.data(), bytes.size());
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) file.fail(error);
  file.commit();
}

}  // namespace qel::common
