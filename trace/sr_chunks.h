// Which sample chunks a sigrok session holds. Its archive lists them as
// "<capturefile>-1", "<capturefile>-2", ...; the samples run on from one chunk
// into the next, so they are read in order up to the first that is missing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::trace {

struct ChunkPlan {
  std::uint64_t count = 0;  // chunks 1 to count are all there
  // Chunks numbered past the first missing one, in order: they cannot be read.
  std::vector<std::uint64_t> after_gap;
  // Entries "<capturefile>-<digits>" whose number is no chunk's: 0, with a
  // leading zero, or past 64 bits.
  std::vector<std::string> out_of_range;
};

// From the archive's entry names; other entries (analog data, metadata) are ignored.
ChunkPlan plan_chunks(const std::vector<std::string>& entries, std::string_view capturefile);

}  // namespace qel::trace
