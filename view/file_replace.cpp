// Whole-file writes through a temporary file and a rename; see file_replace.h.
#include "view/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qel::view {

void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what) {
  const auto fail = [&](const char* reason) {
    throw std::runtime_error(std::string("Cannot write ") + what + " '" + path + "': " + reason + ".");
  };
  const std::string temp = path + ".part";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) fail(std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) error = errno;
  if (!written || !closed) {
    std::remove(temp.c_str());
    fail(std::strerror(error));
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
    std::remove(temp.c_str());
    fail(std::strerror(error));
  }
}

}  // namespace qel::view
