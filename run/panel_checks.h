// The panel checks of qel-lcd-sim, for script-based goldens: the read-back text
// lines written out or compared with a file, and the picture compared with a
// golden PNG. They use the same read-back and comparison as the panel test kit.
#pragma once

#include <ostream>
#include <string>

#include "common/output_files.h"
#include "emulator/controller.h"
#include "emulator/picture.h"

namespace qel::run {

struct PanelChecks {
  std::string text_path;         // write the 8 read-back lines here ('-': standard output)
  std::string expect_text_path;  // compare the read-back lines with this file's 8 lines
  std::string expect_png_path;   // compare the picture with this golden PNG
  std::string diff_png_path;     // on a picture mismatch, write the diff image here
};

// Runs the checks asked for after a run; the text and diff image are written
// through `files`, so they appear only with the run's other outputs. Returns 0
// when everything matched, 1 when text or pixels differ (each difference
// reported on `err`). A file that cannot be read throws UserError naming it.
int run_panel_checks(const PanelChecks& checks, const emu::Controller& controller, const emu::Picture& shown,
                     common::OutputFiles& files, std::ostream& err);

}  // namespace qel::run
