// Numbered frames staged and put in place at the end; see frame_folder.h.
#include "common/frame_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/fd_stream.h"
#include "common/message_text.h"
#include "common/user_error.h"

namespace qel::common {
namespace {

namespace fs = std::filesystem;

}  // namespace

bool is_frame_name(const std::string& name, std::size_t& number) {
  constexpr std::string_view kPrefix = "frame_", kSuffix = ".png";
  if (name.size() < kPrefix.size() + 4 + kSuffix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0 ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
    return false;
  }
  std::size_t value = 0;
  for (std::size_t i = kPrefix.size(); i < name.size() - kSuffix.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || value > (SIZE_MAX - 9) / 10) return false;
    value = value * 10 + static_cast<std::size_t>(name[i] - '0');
  }
  number = value;
  return true;
}

void FrameFolder::fail(const std::string& name, int error) const {
  throw UserError("Cannot write frames folder " + quoted_excerpt(dir_) + (name.empty() ? "" : " (" + name + ")") +
                  ": " + std::strerror(error) + ".");
}

FrameFolder::FrameFolder(std::string dir) : dir_(std::move(dir)) {
  struct stat st {};
  if (::stat(dir_.c_str(), &st) != 0) {
    std::error_code ec;
    created_dir_ = fs::create_directories(dir_, ec);
    if (ec) fail("", ec.value());
  } else if (!S_ISDIR(st.st_mode)) {
    throw UserError("Cannot write frames folder " + quoted_excerpt(dir_) + ": it is not a folder.");
  }
  staging_ = (fs::path(dir_) / ".frames.tmp-XXXXXX").string();
  const FatalSignalsHeld held;
  if (::mkdtemp(staging_.data()) == nullptr) {
    const int error = errno;
    if (created_dir_) ::rmdir(dir_.c_str());
    fail("", error);
  }
  guard_ = TemporaryGuard(staging_, TemporaryGuard::Kind::FrameFolder);
}

FrameFolder::~FrameFolder() {
  if (committed_) return;
  remove_staged();
  if (created_dir_) ::rmdir(dir_.c_str());
}

void FrameFolder::remove_staged() {
  for (std::size_t i = count_; i > 0; --i) std::remove((staging_ + "/" + frame_file_name(i)).c_str());
  ::rmdir(staging_.c_str());
  guard_.release();
}

void FrameFolder::add(const std::vector<std::uint8_t>& bytes) {
  const std::string name = frame_file_name(count_ + 1);
  const std::string path = staging_ + "/" + name;
  int fd = -1;
  {
    const FatalSignalsHeld held;
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_EXCL, 0666);
    if (fd < 0) fail(name, errno);
    ++count_;
    guard_.set_frame_count(count_);
  }
  bool ok = write_all(fd, bytes.data(), bytes.size());
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) fail(name, error);
}

std::size_t FrameFolder::commit() {
  for (std::size_t i = 1; i <= count_; ++i) {
    const std::string name = frame_file_name(i);
    if (std::rename((staging_ + "/" + name).c_str(), (dir_ + "/" + name).c_str()) != 0) fail(name, errno);
  }
  committed_ = true;
  ::rmdir(staging_.c_str());
  guard_.release();
  // Frames of an earlier, longer run.
  std::size_t removed = 0;
  if (DIR* folder = ::opendir(dir_.c_str())) {
    while (const dirent* entry = ::readdir(folder)) {
      std::size_t number = 0;
      if (!is_frame_name(entry->d_name, number) || number <= count_) continue;
      if (::unlinkat(::dirfd(folder), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(folder);
  }
  return removed;
}

}  // namespace qel::common
