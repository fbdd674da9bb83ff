// Clashes between a run's inputs and outputs; see output_plan.h.
#include "output_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "emulator/message_text.h"
#include "user_error.h"

namespace qel::tool {
namespace {

namespace fs = std::filesystem;

// Whether writing `b` would replace `a`. Two names of one device (/dev/null)
// are no clash: nothing is replaced.
bool same_file(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return a == b;
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

}  // namespace

void check_input_path(const NamedPath& input) {
  if (input.path == "-") return;
  if (input.path.empty()) throw UserError("The " + input.what + " name is empty; expected a file name or '-'.");
  std::error_code ec;
  if (fs::is_directory(input.path, ec)) {
    throw UserError("Cannot read " + input.what + " " + emu::quoted_excerpt(input.path) +
                    ": it is a folder; expected a file.");
  }
}

void check_output_paths(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const NamedPath& out = outputs[i];
    if (out.path.empty()) continue;
    for (const NamedPath& in : inputs) {
      if (in.path.empty() || in.path == "-" || out.path == "-") continue;
      if (same_file(in.path, out.path)) {
        throw UserError("The " + out.what + " " + emu::quoted_excerpt(out.path) + " is the " + in.what +
                        "; writing it would destroy the input. Give the output another name.");
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      const NamedPath& other = outputs[j];
      if (other.path.empty() || !same_file(other.path, out.path)) continue;
      if (out.path == "-") {
        throw UserError("Cannot write both the " + other.what + " and the " + out.what +
                        " to standard output ('-'); give one a file name.");
      }
      throw UserError("The " + out.what + " and the " + other.what + " are the same file " +
                      emu::quoted_excerpt(out.path) + "; give each output its own name.");
    }
  }
}

}  // namespace qel::tool
