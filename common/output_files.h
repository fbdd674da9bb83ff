// Every file a run writes, put in place together once the whole run has
// succeeded: the one way this project writes a user's file.
//
// Use: open every output first (a name that cannot be written is refused before
// any work is done), write during the run, then commit() at the end. commit()
// first flushes and checks every output, so a write that failed anywhere (a
// full disk) stops the run before any file is touched; then it puts each output
// in place (see staged_file.h and frame_folder.h). An OutputFiles destroyed
// without commit() removes everything it staged: the user's files stay as they
// were. "-" is standard output, written as the run goes.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/fd_stream.h"
#include "common/frame_folder.h"
#include "common/staged_file.h"

namespace qel::common {

class OutputFiles {
 public:
  explicit OutputFiles(std::ostream& standard_output) : standard_output_(standard_output) {}
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // An output written as a stream: nullptr for an empty path (no output), the
  // standard output for "-". `what` names it in messages ("byte log file").
  // Throws UserError when it cannot be created.
  std::ostream* open(const std::string& path, const std::string& what);

  // An output that a library writes by its name (the sigrok session, made by
  // libzip): staged like the others; returns where to write it ("" for an empty
  // path). "-" is refused with `why_not_standard_output`.
  std::string open_by_name(const std::string& path, const std::string& what,
                           const std::string& why_not_standard_output);

  // A folder of numbered frames (empty path: none).
  FrameFolder* open_frames(const std::string& dir);

  // Flushes and checks every output, then puts each in place. Throws UserError
  // naming the file and the system's reason. Returns remarks for the user (stale
  // frames removed), empty when there is nothing to say.
  std::vector<std::string> commit();

 private:
  struct Output {
    std::string path;
    std::string what;
    std::unique_ptr<StagedFile> staged;  // none for standard output
    std::unique_ptr<FdStream> stream;    // none for by-name outputs and standard output
  };

  std::ostream& standard_output_;
  std::vector<std::unique_ptr<Output>> outputs_;
  std::unique_ptr<FrameFolder> frames_;
};

}  // namespace qel::common
