// Clashes between a run's inputs and outputs; see output_plan.h.
#include "output_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "common/message_text.h"
#include "common/user_error.h"
#include "common/file_identity.h"

namespace qel::tool {
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
bool same_file(const Use& a, const Use& b) {
  if (a.path == "-" && b.path == "-" && a.standard_fd == b.standard_fd) return true;
  struct stat sa {
  }, sb{};
  if (identity(a, sa) && identity(b, sb)) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (a.path == "-" || b.path == "-") return false;
  return common::same_file(a.path, b.path);
}

}  // namespace

void check_input_path(const NamedPath& input) {
  if (input.path == "-") return;
  if (input.path.empty()) throw common::UserError("The " + input.what + " name is empty; expected a file name or '-'.");
  std::error_code ec;
  if (fs::is_directory(input.path, ec)) {
    throw common::UserError("Cannot read " + input.what + " " + common::quoted_excerpt(input.path) +
                    ": it is a folder; expected a file.");
  }
}

void check_output_paths(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const NamedPath& out = outputs[i];
    if (out.path.empty()) continue;
    for (const NamedPath& in : inputs) {
      if (in.path.empty()) continue;
      if (same_file({in.path, 0}, {out.path, 1})) {
        throw common::UserError("The " + out.what + " " + common::quoted_excerpt(out.path) + " is the " + in.what +
                        "; writing it would destroy the input. Give the output another name.");
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      const NamedPath& other = outputs[j];
      if (other.path.empty() || !same_file({other.path, 1}, {out.path, 1})) continue;
      if (out.path == "-" || other.path == "-") {
        throw common::UserError("Cannot write both the " + other.what + " and the " + out.what +
                        " to standard output ('-'); give one a file name.");
      }
      throw common::UserError("The " + out.what + " and the " + other.what + " are the same file " +
                      common::quoted_excerpt(out.path) + "; give each output its own name.");
    }
  }
}

}  // namespace qel::tool
