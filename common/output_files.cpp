// The outputs of a run; see output_files.h.
#include "common/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/message_text.h"
#include "common/user_error.h"

namespace qel::common {

OutputFiles::~OutputFiles() = default;  // streams close before their staged files are removed

std::ostream* OutputFiles::open(const std::string& path, const std::string& what) {
  if (path.empty()) return nullptr;
  auto output = std::make_unique<Output>(Output{path, what, nullptr, nullptr});
  if (path != "-") {
    output->staged = std::make_unique<StagedFile>(path, what);
    const int fd = ::open(output->staged->write_path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) output->staged->fail(errno);
    output->stream = std::make_unique<FdStream>(fd);
  }
  std::ostream* stream = output->stream ? output->stream.get() : &standard_output_;
  outputs_.push_back(std::move(output));
  return stream;
}

std::string OutputFiles::open_by_name(const std::string& path, const std::string& what,
                                      const std::string& why_not_standard_output) {
  if (path.empty()) return {};
  if (path == "-") {
    throw UserError("Cannot write " + what + " '-': " + why_not_standard_output + "; give a file name.");
  }
  auto output = std::make_unique<Output>(
      Output{path, what, std::make_unique<StagedFile>(path, what, StagedFile::Writer::ByName), nullptr});
  std::string write_path = output->staged->write_path();
  outputs_.push_back(std::move(output));
  return write_path;
}

FrameFolder* OutputFiles::open_frames(const std::string& dir) {
  if (dir.empty()) return nullptr;
  frames_ = std::make_unique<FrameFolder>(dir);
  return frames_.get();
}

std::vector<std::string> OutputFiles::commit() {
  for (const auto& o : outputs_) {
    if (o->stream) {
      if (!o->stream->close()) o->staged->fail(o->stream->error());
    } else if (!o->staged) {
      errno = 0;
      standard_output_.flush();
      if (!standard_output_) {
        const int error = errno;
        throw UserError("Cannot write " + o->what + " to standard output" +
                        (error != 0 ? ": " + std::string(std::strerror(error)) : "") + ".");
      }
    }
  }
  // Copies into files whose folder takes no new files can still fail: they go first.
  for (const auto& o : outputs_) {
    if (o->staged && o->staged->copies_in()) o->staged->commit();
  }
  for (const auto& o : outputs_) {
    if (o->staged) o->staged->commit();
  }
  std::vector<std::string> remarks;
  if (frames_) {
    const std::size_t stale = frames_->commit();
    if (stale > 0) {
      remarks.push_back("Removed " + std::to_string(stale) + (stale == 1 ? " frame" : " frames") +
                        " of an earlier, longer run from " + quoted_excerpt(frames_->dir()) + ".");
    }
  }
  return remarks;
}

}  // namespace qel::common
