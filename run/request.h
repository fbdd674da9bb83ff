// What one run is asked to do: its input (a script of module calls, calls given
// one by one, the built-in demo, or a logic-analyzer capture), the emulated
// panel's settings, the outputs to write and the checks to make.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "run/panel_checks.h"
#include "view/png_writer.h"
#include "view/terminal_view.h"

namespace qel::run {

enum class TermMode { Unicode, Ascii, Off };

struct Request {
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
  std::string findings_path;    // the findings, one tab-separated line each; "-" for standard output
  std::string decode_path;      // decode this capture (VCD, sigrok session, Saleae CSV) instead of running calls
  std::string signal_map;       // "role=name,..." for decode_path
  bool live = false;            // redraw the terminal view as the capture arrives (standard output is a terminal)
  std::optional<emu::Bus> bus;  // the capture's bus when the user chose it (scripts are always 4-wire)
  emu::ControllerOptions controller;
  bool rotate180 = false;
  std::uint64_t pin_write_ns = 100;
  bool strict = false;  // exit status 1 on any note or error finding
  PanelChecks checks;   // --text, --expect-text, --expect-png, --diff-png
};

}  // namespace qel::run
