// The panel checks of qel-lcd-sim, for script-based goldens: the read-back text
// lines written out or compared with a file, and the picture compared with a
// golden PNG. They use the same read-back and comparison as the panel test kit.
#pragma once

#include <ostream>
#include <string>

#include "emulator/controller.h"
#include "emulator/picture.h"

namespace qel::tool {

struct PanelChecks {
  std::string text_path;         // write the 8 read-back lines here ('-': standard output)
  std::string expect_text_path;  // compare the read-back lines with this file's 8 lines
  std::string expect_png_path;   // compare the picture with this golden PNG
  std::string diff_png_path;     // on a picture mismatch, write the diff image here
};

// Runs the checks asked for after a run. Returns 0 when everything matched, 1 when
// text or pixels differ (each difference reported on `err`). A file that cannot be
// read or written throws std::runtime_error naming it.
int run_panel_checks(const PanelChecks& checks, const emu::Controller& controller, const emu::Picture& shown,
                     std::ostream& out, std::ostream& err);

}  // namespace qel::tool
