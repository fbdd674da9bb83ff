// One run of qel-lcd-sim: either a script of module calls executed against the
// real module and the controller emulator, or a logic-analyzer capture streamed
// into the emulator; then the requested outputs (byte log, call costs, VCD, PNG,
// frames, terminal view) and the controller's notes.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "panel_checks.h"
#include "view/png_writer.h"
#include "view/terminal_view.h"

namespace qel::tool {

enum class TermMode { Unicode, Ascii, Off };

struct RunOptions {
  std::string script_path;            // script file, "-" for standard input, empty for none
  std::vector<std::string> calls;     // calls given one by one on the command line, run after the script
  std::string builtin_script;         // run when there is neither a script nor a call
  std::string builtin_name = "demo";  // its name in messages
  std::string png_path;               // empty: no picture file
  view::PngOptions png;
  TermMode term = TermMode::Unicode;
  std::string vcd_path;    // "-" for standard output
  std::string bytes_path;  // "-" for standard output
  std::string sr_path;     // sigrok session of the run's pins; empty for none
  bool stats = false;
  std::string frames_dir;       // a PNG after every call
  std::string commands_path;    // command listing, "-" for standard output
  std::string report_path;      // self-contained HTML report
  std::string gif_path;         // animated GIF of the frames
  std::string decode_path;      // decode this capture (VCD, sigrok session, Saleae CSV) instead of running calls
  std::string signal_map;       // "role=name,..." for decode_path
  std::optional<emu::Bus> bus;  // the capture's bus when the user chose it (scripts are always 4-wire)
  emu::ControllerOptions controller;
  bool rotate180 = false;
  std::uint64_t pin_write_ns = 100;
  bool strict = false;
  PanelChecks checks;  // --text, --expect-text, --expect-png, --diff-png
};

// Exit status: 0 done; 1 when `strict` and the controller made notes, or when a
// panel check found a difference; 2 for a
// user error (bad script, unreadable or unwritable file), reported on `err`.
int run_simulation(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qel::tool
