// Output files staged and put in place at the end of a run; see output_file.h.
#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "common/message_text.h"
#include "common/user_error.h"

namespace qel::tool {

OutputFile::OutputFile(const std::string& path, std::string what, std::ostream& standard_output)
    : path_(path), what_(std::move(what)) {
  if (path.empty()) return;
  if (path == "-") {
    stream_ = &standard_output;
    return;
  }
  try {
    staged_ = std::make_unique<common::StagedFile>(path, what_);
  } catch (const std::runtime_error& e) {
    throw common::UserError(e.what());
  }
  file_ = std::make_unique<std::ofstream>(staged_->write_path(), std::ios::binary | std::ios::trunc);
  if (!*file_) {
    throw common::UserError("Cannot open " + what_ + " " + common::quoted_excerpt(path) + ": " + std::strerror(errno) + ".");
  }
  stream_ = file_.get();
}

OutputFile::OutputFile(const std::string& path, std::string what, ByName by_name)
    : path_(path), what_(std::move(what)) {
  if (path.empty()) return;
  if (path == "-") {
    throw common::UserError("Cannot write " + what_ + " '-': " + by_name.no_standard_output + "; give a file name.");
  }
  try {
    staged_ = std::make_unique<common::StagedFile>(path, what_);
  } catch (const std::runtime_error& e) {
    throw common::UserError(e.what());
  }
}

OutputFile::~OutputFile() {
  file_.reset();  // closed before the staged file is removed
}

void OutputFile::finish() {
  if (stream_ == nullptr) return;
  errno = 0;
  stream_->flush();
  if (file_) file_->close();
  if (stream_->fail()) {
    const int error = errno;
    const std::string name = file_ ? common::quoted_excerpt(path_) : "to standard output";
    throw common::UserError("Cannot write " + what_ + " " + name +
                    (error != 0 ? ": " + std::string(std::strerror(error)) : "") + ".");
  }
}

void OutputFile::commit() {
  if (!staged_) return;
  try {
    staged_->commit();
  } catch (const std::runtime_error& e) {
    throw common::UserError(e.what());
  }
}

void finish_and_commit(const std::vector<OutputFile*>& outputs) {
  for (OutputFile* o : outputs) o->finish();
  for (OutputFile* o : outputs) o->commit();
}

}  // namespace qel::tool
