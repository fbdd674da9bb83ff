// Writing a whole file so that a failure never leaves a user's file truncated:
// the bytes go to a temporary file beside it, which replaces it only once complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::view {

// Throws std::runtime_error "Cannot write <what> '<path>': <reason>."; an existing
// file at `path` is then left as it was.
void write_file_replacing(const std::vector<std::uint8_t>& bytes, const std::string& path, const char* what);

}  // namespace qel::view
