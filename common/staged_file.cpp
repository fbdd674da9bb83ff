// Whole-file writes through a temporary file; see file_replace.h.
#include "common/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "common/file_identity.h"
#include "common/message_text.h"

namespace qel::common {
namespace {

namespace fs = std::filesystem;

// Writes all of `size` bytes to `fd`; false with errno set on failure.
bool write_all(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Permissions for the new file: those of the file it replaces, else the usual
// ones under the process's umask.
mode_t mode_for(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A fresh temporary named after `target` in `folder`; -1 with errno on failure.
int make_temporary(const fs::path& folder, const fs::path& target, std::string& name) {
  name = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
  return ::mkstemp(name.data());
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
  throw std::runtime_error("Cannot write " + what_ + " " + common::quoted_excerpt(path_) + ": " + std::strerror(error) +
                           ".");
}

StagedFile::StagedFile(const std::string& path, std::string what)
    : path_(path), target_(link_target(path)), what_(std::move(what)) {
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    throw std::runtime_error("Cannot write " + what_ + " " + common::quoted_excerpt(path_) + ": it is a folder.");
  }
  if (exists && !S_ISREG(st.st_mode)) {
    write_path_ = target_;  // a device or a pipe is written into, never replaced
    return;
  }
  const fs::path target(target_);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  int fd = make_temporary(folder, target, write_path_);
  mode_ = Mode::Rename;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM) && exists &&
      ::access(target_.c_str(), W_OK) == 0) {
    // The folder takes no new files, the file takes writes: stage elsewhere.
    const char* tmp = std::getenv("TMPDIR");
    fd = make_temporary(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp", target, write_path_);
    mode_ = Mode::CopyIn;
  }
  if (fd < 0) fail(errno);
  ::fchmod(fd, mode_for(target_));
  ::close(fd);
}

StagedFile::~StagedFile() {
  if (mode_ != Mode::Direct && !committed_) std::remove(write_path_.c_str());
}

void StagedFile::commit() {
  if (mode_ == Mode::Direct || committed_) return;
  if (mode_ == Mode::Rename) {
    if (std::rename(write_path_.c_str(), target_.c_str()) != 0) fail(errno);
  } else {
    if (!copy_into(write_path_, target_)) fail(errno);
    std::remove(write_path_.c_str());
  }
  committed_ = true;
}

void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what) {
  StagedFile file(path, what);
  const int fd = ::open(file.write_path().c_str(), O_WRONLY | O_TRUNC);
  if (fd < 0)
    throw std::runtime_error(std::string("Cannot open ") + what + " " + common::quoted_excerpt(path) + ": " +
                             std::strerror(errno) + ".");
  bool ok = write_all(fd, bytes.data(), bytes.size());
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    throw std::runtime_error(std::string("Cannot write ") + what + " " + common::quoted_excerpt(path) + ": " +
                             std::strerror(error) + ".");
  }
  file.commit();
}

}  // namespace qel::common
