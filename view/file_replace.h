// Writing a whole file so that a failure never leaves a user's file truncated:
// the bytes go to a temporary file of a fresh name beside it, which replaces it
// only once complete and takes over its permissions. A path naming a device or
// a pipe (/dev/null) is written into directly, never replaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::view {

// Throws std::runtime_error "Cannot write <what> '<path>': <reason>."; an existing
// file at `path` is then left as it was.
void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what);

}  // namespace qel::view
