// Clashes between a run's inputs and outputs; see output_plan.h.
#include "common/output_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "common/file_identity.h"
#include "common/frame_folder.h"
#include "common/message_text.h"
#include "common/user_error.h"

namespace qel::common {
namespace {

namespace fs = std::filesystem;

// A name as a run uses it: "-" is the standard stream of that role.
struct Use {
  const std::string& path;
  int standard_fd;  // 0 for an input, 1 for an output
};

// What `use` stands for when that can be told by identity: a regular file, a
// pipe or a socket. Devices are left out: two names of /dev/null replace nothing.
bool identity(const Use& use, struct stat& st) {
  const int found = use.path == "-" ? ::fstat(use.standard_fd, &st) : ::stat(use.path.c_str(), &st);
  return found == 0 && (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

// Whether writing `b` would replace or mix into `a`. "-" is the file the
// standard stream actually is, so "--png /dev/stdout --bytes -" or a script on
// standard input redirected from the byte log's file are caught.
bool clashes(const Use& a, const Use& b) {
  if (a.path == "-" && b.path == "-" && a.standard_fd == b.standard_fd) return true;
  struct stat sa {
  }, sb{};
  if (identity(a, sa) && identity(b, sb)) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (a.path == "-" || b.path == "-") return false;
  return common::same_file(a.path, b.path);
}

// Whether `path` names a frame file inside the folder `dir`.
bool frame_in(const std::string& path, const std::string& dir) {
  const fs::path p(path);
  std::size_t number = 0;
  if (!is_frame_name(p.filename().string(), number)) return false;
  const std::string folder = p.parent_path().empty() ? "." : p.parent_path().string();
  std::error_code ec;
  if (fs::exists(folder, ec) && fs::exists(dir, ec)) return fs::equivalent(folder, dir, ec);
  return common::same_file(folder, dir);
}

void check_frames_dir(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs,
                      const std::string& dir) {
  for (const NamedPath& in : inputs) {
    if (in.path.empty() || in.path == "-" || !frame_in(in.path, dir)) continue;
    throw UserError("The frames folder " + quoted_excerpt(dir) + " would replace the " + in.what + " " +
                    quoted_excerpt(in.path) + "; give the frames another folder.");
  }
  for (const NamedPath& out : outputs) {
    if (out.path.empty() || out.path == "-") continue;
    if (frame_in(out.path, dir) || common::same_file(out.path, dir)) {
      throw UserError("The " + out.what + " " + quoted_excerpt(out.path) + " is in the way of the frames folder " +
                      quoted_excerpt(dir) + "; give the output another name.");
    }
  }
}

}  // namespace

void check_output_paths(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs,
                        const std::string& frames_dir) {
  if (!frames_dir.empty()) check_frames_dir(inputs, outputs, frames_dir);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const NamedPath& out = outputs[i];
    if (out.path.empty()) continue;
    for (const NamedPath& in : inputs) {
      if (in.path.empty()) continue;
      if (clashes({in.path, 0}, {out.path, 1})) {
        throw UserError("The " + out.what + " " + quoted_excerpt(out.path) + " is the " + in.what +
                        "; writing it would destroy the input. Give the output another name.");
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      const NamedPath& other = outputs[j];
      if (other.path.empty() || !clashes({other.path, 1}, {out.path, 1})) continue;
      if (out.path == "-" || other.path == "-") {
        throw UserError("Cannot write both the " + other.what + " and the " + out.what +
                        " to standard output ('-'); give one a file name.");
      }
      throw UserError("The " + out.what + " and the " + other.what + " are the same file " + quoted_excerpt(out.path) +
                      "; give each output its own name.");
    }
  }
}

void check_input_path(const NamedPath& input) {
  if (input.path == "-") return;
  if (input.path.empty()) throw UserError("The " + input.what + " name is empty; expected a file name or '-'.");
  std::error_code ec;
  if (fs::is_directory(input.path, ec)) {
    throw UserError("Cannot read " + input.what + " " + quoted_excerpt(input.path) +
                    ": it is a folder; expected a file.");
  }
}

}  // namespace qel::common
