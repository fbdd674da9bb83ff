// Checks, before anything is opened for writing, that no output would replace
// an input or another output: `--bytes s.qel` with `--script s.qel`, or the same
// name for two outputs. Files that exist are compared by identity (so a second
// name through a link is caught); others by their normalised absolute path.
// "-" is standard input or output: two outputs on standard output clash too.
#pragma once

#include <string>
#include <vector>

namespace qel::common {

struct NamedPath {
  std::string path;  // as given; empty entries are skipped
  std::string what;  // "script file", "byte log file"...
};

// Throws UserError naming both uses of the clashing path. `frames_dir` (may be
// empty) is a folder of frame_NNNN.png outputs: an input named like a frame in
// that folder, or the folder itself given as an output, clashes too.
void check_output_paths(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs,
                        const std::string& frames_dir = {});

// Throws UserError for an input path that is empty or names a folder; "-" passes.
void check_input_path(const NamedPath& input);

}  // namespace qel::common
