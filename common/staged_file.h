// Writing a file so that a failure never leaves a user's file truncated: the
// bytes go to a temporary file of a fresh name, which takes the file's place
// only once the whole output is complete and takes over its permissions.
//
// The temporary lies beside the file and is renamed over it. When that folder
// takes no new files but the file itself is writable, the temporary lies in
// TMPDIR (else /tmp) and is copied into the file at commit. A symbolic link is
// written through to its target and stays a link. A path naming a device or a
// pipe (/dev/null) is written into directly, never replaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::common {

class StagedFile {
 public:
  // `what` names the file in messages ("byte log file"). Throws
  // std::runtime_error "Cannot write <what> '<path>': <reason>." when no place
  // to write can be made; nothing is touched then.
  StagedFile(const std::string& path, std::string what);
  // A staged file never committed is removed; the user's file keeps its bytes.
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Where to write the output now: the temporary, or the device itself.
  const std::string& write_path() const { return write_path_; }
  // Puts what was written at write_path() in place of the file. Throws
  // std::runtime_error "Cannot write <what> '<path>': <reason>.".
  void commit();

 private:
  enum class Mode { Direct, Rename, CopyIn };
  [[noreturn]] void fail(int error) const;

  std::string path_;    // as the caller gave it
  std::string target_;  // the file written, links followed
  std::string what_;
  std::string write_path_;
  Mode mode_ = Mode::Direct;
  bool committed_ = false;
};

// Writes `bytes` as the whole file at `path` through a StagedFile. Throws
// std::runtime_error as StagedFile does; an existing file is then left as it was.
void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what);

}  // namespace qel::common
