// Options of the panel checks; see check_options.h.
#include "check_options.h"

namespace qel::tool {

void add_check_options(CLI::App& app, run::PanelChecks& checks) {
  app.add_option("--text", checks.text_path, "Write the 8 text lines read back from the panel ('-': stdout)")
      ->option_text("FILE|-");
  app.add_option("--expect-text", checks.expect_text_path,
                 "Exit with status 1 if the read-back lines differ from the file's 8 lines")
      ->option_text("FILE");
  auto* expect_png = app.add_option("--expect-png", checks.expect_png_path,
                                    "Exit with status 1 if the picture differs from this golden PNG")
                         ->option_text("FILE");
  app.add_option("--diff-png", checks.diff_png_path, "With --expect-png: on a difference, write the diff image")
      ->option_text("FILE")
      ->needs(expect_png);
}

}  // namespace qel::tool
