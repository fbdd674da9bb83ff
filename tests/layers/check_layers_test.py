"""The layer checker on small made-up trees: each include is placed by the
folder it lands in, whether written with "..", from a subfolder or in angle
brackets, and includes that cannot be placed fail; CMake links follow the same
rule; nothing outside the program's folder uses the program's own files."""

import importlib.util
import os
import pathlib
import tempfile
import unittest

_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers.py")
_SOURCE = importlib.util.spec_from_file_location("check_layers", _SCRIPT)
check_layers = importlib.util.module_from_spec(_SOURCE)
_SOURCE.loader.exec_module(check_layers)

HEADERS = ["emulator/controller.h", "view/png_writer.h", "trace/vcd_writer.h", "script/parser.h", "tests/x.h"]

# (including file, include line, expected problem text or None for a clean tree)
CASES = [
    ("emulator/a.cpp", '#include "../view/png_writer.h"', "the emulator layer must not include"),
    ("emulator/sub/a.cpp", '#include "../../view/png_writer.h"', "(view layer)"),
    ("trace/a.cpp", '#include "../script/parser.h"', "the trace layer must not include"),
    ("emulator/a.cpp", "#include <trace/vcd_writer.h>", "(trace layer)"),
    ("emulator/a.cpp", "#  include <view/png_writer.h>", "(view layer)"),
    ("emulator/a.cpp", '#include "../tests/x.h"', "cannot tell which layer"),
    ("emulator/a.cpp", '#include "nowhere.h"', "cannot tell which layer"),
    ("emulator/a.cpp", '#include "controller.h"', None),
    ("emulator/a.cpp", '#include "./../emulator/controller.h"', None),
    ("view/a.cpp", '#include "emulator/controller.h"', None),
    ("view/a.cpp", '#include "../emulator/controller.h"', None),
    ("view/a.cpp", "#include <vector>", None),
    ("trace/a.cpp", "#include <emulator/controller.h>", None),
]


class CheckLayers(unittest.TestCase):
    def check_tree(self, files, path, line, expected):
        """Checks a tree of `files` (name: text) with `line` added to `path`: one
        problem containing `expected`, or none."""
        with tempfile.TemporaryDirectory() as tmp:
            root = pathlib.Path(tmp)
            for name, text in list(files.items()) + [(path, None)]:
                (root / name).parent.mkdir(parents=True, exist_ok=True)
                with open(root / name, "a") as f:
                    f.write(text if text is not None else line + "\n")
            problems = check_layers.check(root)
        if expected is None:
            self.assertEqual(problems, [])
        else:
            self.assertEqual(len(problems), 1, problems)
            self.assertIn(expected, problems[0])
        return problems

    def test_each_include_is_placed_by_where_it_lands(self):
        for including, line, expected in CASES:
            with self.subTest(file=including, include=line):
                problems = self.check_tree({h: "#pragma once\n" for h in HEADERS}, including, line, expected)
                if expected is not None:
                    self.assertTrue(problems[0].startswith(including + ":1:"), problems[0])

    def test_links_and_program_files(self):
        defined = {
            "emulator/CMakeLists.txt": "add_library(qel_emulator a.cpp)\n",
            "trace/CMakeLists.txt": "add_library(qel_trace a.cpp)\n",
            "run/CMakeLists.txt": "add_library(qel_run a.cpp)\n",
            "tools/qel-lcd-sim/CMakeLists.txt": "add_executable(qel-lcd-sim main.cpp)\n",
            "tools/qel-lcd-sim/cli_options.h": "#pragma once\n",
        }
        # (file, text added to it, expected problem text or None)
        cases = [
            ("emulator/CMakeLists.txt", "target_link_libraries(qel_emulator PUBLIC qel_trace)", "must not link 'qel_trace'"),
            ("trace/CMakeLists.txt", "target_link_libraries(qel_trace\n  PUBLIC qel_run)", "must not link 'qel_run'"),
            ("trace/CMakeLists.txt", "target_link_libraries(qel_trace PUBLIC qel_emulator PNG::PNG)", None),
            ("tests/x/CMakeLists.txt", "add_executable(t ${ROOT}/tools/qel-lcd-sim/byte_log.cpp)", "program's own files"),
            ("bench/b.cpp", '#include "cli_options.h"', "program's own files"),
            ("tests/x/CMakeLists.txt", "target_link_libraries(t qel_run)", None),
        ]
        for path, line, expected in cases:
            with self.subTest(file=path, text=line):
                self.check_tree(defined, path, line, expected)


if __name__ == "__main__":
    unittest.main()
