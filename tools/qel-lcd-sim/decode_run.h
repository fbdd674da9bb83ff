// The decode of a logic-analyzer capture: the file streams through the reader
// into the controller emulator while the byte log, the re-exported VCD and the
// capture's figures are written as the bytes and changes come, so memory stays
// bounded however long the capture is.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "simulation.h"

namespace qel::tool {

// At most this many notes are kept for printing; the rest are counted.
inline constexpr std::size_t kKeptNotes = 100;

class RunOutputs;

struct DecodeOutputs {
  std::ostream* bytes = nullptr;  // byte log, or none
  std::ostream* vcd = nullptr;    // re-export of the mapped lines, or none
  std::ostream& report;           // --stats
  std::ostream& err;              // the signal map found from the names
  RunOutputs* run = nullptr;      // command listing, report and GIF, told of every byte and timed change
};

// Decodes o.decode_path into `slot` (made once the capture's bus is known).
// Returns the notes: the reader's and the controller's, the latter each with
// its byte index; past kKeptNotes a last line says how many more there were.
// Throws std::runtime_error for a file or map the readers refuse.
std::vector<std::string> decode_capture(const RunOptions& o, std::optional<emu::Controller>& slot,
                                        const DecodeOutputs& outputs);

}  // namespace qel::tool
