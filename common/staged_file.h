// One output file written so that a failure never leaves the user's file
// truncated or half-new: the bytes go to a temporary of a fresh name, which
// takes the file's place only at commit(), with the file's permissions.
//
// Where the temporary lies:
// - beside the file, renamed over it at commit (the usual case);
// - when that folder takes no new files but the file itself is writable, in
//   TMPDIR (else /tmp), copied into the file at commit; should that copy fail
//   (a full disk), the file's earlier contents are copied back;
// - a path naming a device or a pipe (/dev/null) is written into directly,
//   unless the writer needs a regular file (a library that makes the file by
//   its name): then the temporary lies in TMPDIR and is copied in at commit.
// A symbolic link is written through to its target and stays a link. The
// temporary's name stays within the system's limit on name length however
// long the file's name is, and it is removed on a fatal signal (see
// temporary_registry.h) and whenever the StagedFile goes away uncommitted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/temporary_registry.h"

namespace qel::common {

class StagedFile {
 public:
  // `what` names the file in messages ("byte log file"). Throws UserError
  // "Cannot write <what> '<path>': <reason>." when no place to write can be
  // made; nothing is touched then.
  enum class Writer { Stream, ByName };
  StagedFile(const std::string& path, std::string what, Writer writer = Writer::Stream);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Where to write the output now: the temporary, or the device itself.
  const std::string& write_path() const { return write_path_; }
  // Whether commit() copies into the file rather than renaming over it: such a
  // commit can still fail for want of space, so callers commit these first.
  bool copies_in() const { return mode_ == Mode::CopyIn; }

  // Puts what was written at write_path() in place of the file. Throws
  // UserError "Cannot write <what> '<path>': <reason>."
  void commit();

  // Throws UserError "Cannot write <what> '<path>': <strerror(error)>."
  [[noreturn]] void fail(int error) const;

 private:
  enum class Mode { Direct, Rename, CopyIn };
  void copy_in();

  std::string path_;    // as the caller gave it
  std::string target_;  // the file written, links followed
  std::string what_;
  std::string write_path_;
  Mode mode_ = Mode::Direct;
  bool committed_ = false;
  TemporaryGuard guard_;
};

// Writes `bytes` as the whole file at `path` through a StagedFile ("-" is not
// special here). Throws UserError as StagedFile does; an existing file is then
// left as it was.
void write_whole_file(const std::string& path, const std::string& what, const std::vector<std::uint8_t>& bytes);

}  // namespace qel::common
