// The command-line options of the panel checks (--text, --expect-text,
// --expect-png, --diff-png), added to the program's options table.
#pragma once

#include <CLI/CLI.hpp>

#include "run/panel_checks.h"

namespace qel::tool {

void add_check_options(CLI::App& app, run::PanelChecks& checks);

}  // namespace qel::tool
