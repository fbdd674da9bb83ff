// Which file a name stands for; see file_identity.h.
#include "common/file_identity.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace qel::common {

namespace fs = std::filesystem;

std::string link_target(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved.string();
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && S_ISREG(sa.st_mode);
  }
  std::error_code ec;
  const fs::path na = fs::weakly_canonical(fs::absolute(a, ec), ec).lexically_normal();
  const fs::path nb = fs::weakly_canonical(fs::absolute(b, ec), ec).lexically_normal();
  return na == nb;
}

}  // namespace qel::common
