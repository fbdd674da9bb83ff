// The files a run writes. Each output file is staged in a temporary file
// (common::StagedFile) and put in place only when the whole run has succeeded, so
// a run that fails leaves an existing file as it was. "-" is standard output. A
// path naming something that is not a regular file (a device such as
// /dev/null, a pipe) is written directly.
//
// Use: open every output first, write, then finish() all of them (flush and
// check), then commit() all of them. An output never committed is removed.
#pragma once

#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/staged_file.h"

namespace qel::tool {

class OutputFile {
 public:
  OutputFile() = default;  // no output
  // `what` names it in messages ("byte log file"). An empty path is no output.
  // Throws UserError when the file cannot be created.
  OutputFile(const std::string& path, std::string what, std::ostream& standard_output);
  // An output that a library writes by its name (the sigrok session, made by
  // libzip): staged like the others, but not opened; write it at write_path().
  // `no_standard_output` says why "-" is refused (UserError).
  struct ByName {
    const char* no_standard_output;
  };
  OutputFile(const std::string& path, std::string what, ByName by_name);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  explicit operator bool() const { return stream_ != nullptr || staged_ != nullptr; }
  std::ostream& operator*() const { return *stream_; }
  bool is_standard_output() const { return stream_ != nullptr && !file_; }
  // Where a by-name output is to be written.
  const std::string& write_path() const { return staged_->write_path(); }

  // Flushes and reports a failed write (UserError). Call before commit().
  void finish();
  // Puts the written file in place of the one named (UserError on failure).
  void commit();

 private:
  std::unique_ptr<common::StagedFile> staged_;
  std::unique_ptr<std::ofstream> file_;
  std::ostream* stream_ = nullptr;
  std::string path_;  // as the user gave it
  std::string what_;
};

// finish() on every output, then commit() on every output.
void finish_and_commit(const std::vector<OutputFile*>& outputs);

}  // namespace qel::tool
