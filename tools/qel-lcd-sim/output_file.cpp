// Output files written beside their place and renamed in; see output_file.h.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "emulator/message_text.h"
#include "user_error.h"

namespace qel::tool {
namespace {

namespace fs = std::filesystem;

std::string reason(int error) { return std::strerror(error); }

// Permissions for a new file: those of the file it replaces, else the usual
// ones under the process's umask.
mode_t mode_for(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Where a new file for `path` goes: the file itself when it is something to
// write into directly (a device, a pipe), else a fresh temporary beside it.
// Returns the temporary's name, or empty for a direct write.
std::string make_temporary(const std::string& path, const std::string& what) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode))
      throw UserError("Cannot write " + what + " " + emu::quoted_excerpt(path) + ": it is a folder.");
    return {};
  }
  fs::path target(path);
  std::error_code ec;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string name = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
  const int fd = ::mkstemp(name.data());
  // A writable file in a folder that takes no new files is written in place.
  if (fd < 0 && (errno == EACCES || errno == EROFS) && ::access(path.c_str(), W_OK) == 0) return {};
  if (fd < 0) throw UserError("Cannot open " + what + " " + emu::quoted_excerpt(path) + ": " + reason(errno) + ".");
  ::fchmod(fd, mode_for(target.string()));
  ::close(fd);
  return name;
}

std::string target_of(const std::string& path) {
  std::error_code ec;
  if (fs::is_symlink(path, ec)) {
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (!ec) return resolved.string();
  }
  return path;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, std::string what, std::ostream& standard_output)
    : path_(path), what_(std::move(what)) {
  if (path.empty()) return;
  if (path == "-") {
    stream_ = &standard_output;
    return;
  }
  temp_path_ = make_temporary(path, what_);
  const std::string& open_path = temp_path_.empty() ? path : temp_path_;
  file_ = std::make_unique<std::ofstream>(open_path, std::ios::binary | std::ios::trunc);
  if (!*file_) {
    const int error = errno;
    if (!temp_path_.empty()) std::remove(temp_path_.c_str());
    throw UserError("Cannot open " + what_ + " " + emu::quoted_excerpt(path) + ": " + reason(error) + ".");
  }
  stream_ = file_.get();
}

OutputFile::~OutputFile() {
  if (!temp_path_.empty() && !committed_) {
    file_.reset();
    std::remove(temp_path_.c_str());
  }
}

void OutputFile::finish() {
  if (stream_ == nullptr) return;
  errno = 0;
  stream_->flush();
  if (file_) file_->close();
  if (stream_->fail()) {
    const int error = errno;
    const std::string name = file_ ? emu::quoted_excerpt(path_) : "to standard output";
    throw UserError("Cannot write " + what_ + " " + name + (error != 0 ? ": " + reason(error) : "") + ".");
  }
}

void OutputFile::commit() {
  if (temp_path_.empty() || committed_) return;
  if (std::rename(temp_path_.c_str(), target_of(path_).c_str()) != 0) {
    throw UserError("Cannot write " + what_ + " " + emu::quoted_excerpt(path_) + ": " + reason(errno) + ".");
  }
  committed_ = true;
}

void finish_and_commit(const std::vector<OutputFile*>& outputs) {
  for (OutputFile* o : outputs) o->finish();
  for (OutputFile* o : outputs) o->commit();
}

}  // namespace qel::tool
