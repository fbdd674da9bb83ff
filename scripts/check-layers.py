#!/usr/bin/env python3
"""Fails when a file includes, or a CMake target links, a layer it must not use.

The host code is layered, and every dependency points down:

    module (Application/) and the PIN port header      bottom
    platform (host stand-in, pin observer and fan-out)
    common (messages, formatting, output files)        knows nothing of the panel
    emulator
    trace, view, script                                not one another
    run                                                one run as one event stream
    kit, tool (tools/qel-lcd-sim)                      top

A layer may include its own headers and those of the layers listed for it in
ALLOWED, nothing else.

Includes: a quoted include that names a file relative to the including file is
placed by the folder that file lands in, ".." resolved ("../view/png_writer.h"
from emulator/ is in the view layer). Otherwise it names its layer by its first
path part ("emulator/controller.h") or is one of the module's and the
platform's own headers. Anything else cannot be placed and fails too, so a new
header cannot slip past the rule. An angle-bracket include is checked the same
way when it is one of those own headers or its first path part is a layer
folder (<trace/vcd_writer.h>); other angle includes are system headers.

Links: each layer's CMakeLists.txt defines its targets; a target_link_libraries
of a layer's target may name only targets of that layer and the layers it may
use (other names are system or imported libraries). Tests, benchmarks, fuzz
harnesses, the target build and the examples sit above everything; they may use
any layer's library, but never the program's own files: no file outside
tools/qel-lcd-sim names that folder or includes one of its headers.

Usage: scripts/check-layers.py [ROOT]
"""
import os
import pathlib
import re
import sys

# Folder of each layer, relative to the root.
LAYERS = {
    "module": "Application",
    "platform": "platform",
    "common": "common",
    "emulator": "emulator",
    "trace": "trace",
    "view": "view",
    "script": "script",
    "run": "run",
    "kit": "kit",
    "tool": "tools/qel-lcd-sim",
}

_BELOW_RUN = {"script", "view", "trace", "emulator", "module", "platform", "pin-interface", "common"}

# What each layer may use besides itself.
ALLOWED = {
    "module": {"pin-interface"},
    "platform": {"pin-interface"},
    "common": set(),
    "emulator": {"platform", "common"},
    "trace": {"emulator", "platform", "common"},
    "view": {"emulator", "module", "platform", "common"},
    "script": {"module", "platform", "common"},
    "run": _BELOW_RUN,
    "kit": _BELOW_RUN | {"run"},
    "tool": _BELOW_RUN | {"run"},
}

# Headers whose layer their path does not name.
NAMED_HEADERS = {
    "QEL_LCD.h": "module",
    "QEL_LCD_host_font.h": "module",  # host builds only: the module's font, for text read-back
    "ti/drivers/PIN.h": "pin-interface",
    "qel/pin_observer.h": "platform",
    "qel/pin_fanout.h": "platform",
    "demo_script.h": "tool",  # generated into the build folder from examples/demo.qel
}

# Targets defined outside the layer folders: the top-level CMakeLists.txt's.
TOP_LEVEL_TARGETS = {"qel_pin_host": "platform", "qel_lcd": "module"}

INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)')
DEFINE = re.compile(r"\badd_(?:library|executable)\(\s*([A-Za-z0-9_.:-]+)")
LINK = re.compile(r"\btarget_link_libraries\(\s*([A-Za-z0-9_.:-]+)([^)]*)\)", re.S)
SOURCES = {".h", ".hpp", ".c", ".cpp"}
ABOVE = ["tests", "bench", "fuzz", "target", "examples"]


def layer_of_folder(path, root):
    """The layer whose folder holds `path` (deepest folder first), or None."""
    relative = os.path.relpath(path, root).replace(os.sep, "/")
    for layer, folder in sorted(LAYERS.items(), key=lambda item: -len(item[1])):
        if relative.startswith(folder + "/"):
            return layer
    return None


def layer_by_name(name):
    if name in NAMED_HEADERS:
        return NAMED_HEADERS[name]
    first = name.split("/", 1)[0]
    if "/" in name and first in LAYERS and LAYERS[first] == first:
        return first
    return None


def layer_of_include(name, including_file, root, quoted=True):
    """The layer an include belongs to; None when it cannot be placed. An angle
    include that is no project header gives "system"."""
    if not quoted:
        return layer_by_name(name) or "system"
    if name in NAMED_HEADERS:
        return NAMED_HEADERS[name]
    beside = os.path.normpath(os.path.join(str(including_file.parent), name))
    if os.path.isfile(beside):
        return layer_of_folder(beside, str(root))
    return layer_by_name(name)


def check_includes(root):
    problems = []
    for layer, folder in LAYERS.items():
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix not in SOURCES:
                continue
            for number, text in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(text)
                if not match:
                    continue
                quoted = match.group(1) is not None
                name = match.group(1) if quoted else match.group(2)
                target = layer_of_include(name, path, root, quoted)
                if target == "system":
                    continue
                where = f"{path.relative_to(root)}:{number}"
                if target is None:
                    problems.append(f"{where}: cannot tell which layer '{name}' belongs to.")
                elif target != layer and target not in ALLOWED[layer]:
                    problems.append(f"{where}: the {layer} layer must not include '{name}' ({target} layer).")
    return problems


def cmake_files(folder):
    return sorted(p for p in folder.rglob("CMakeLists.txt")) if folder.is_dir() else []


def check_links(root):
    owner = dict(TOP_LEVEL_TARGETS)
    for layer, folder in LAYERS.items():
        for cmake in cmake_files(root / folder):
            for name in DEFINE.findall(cmake.read_text(encoding="utf-8", errors="replace")):
                owner[name] = layer
    problems = []
    for layer, folder in LAYERS.items():
        for cmake in cmake_files(root / folder):
            text = cmake.read_text(encoding="utf-8", errors="replace")
            for match in LINK.finditer(text):
                number = text.count("\n", 0, match.start()) + 1
                for name in re.findall(r"[A-Za-z0-9_.:-]+", match.group(2)):
                    used = owner.get(name)
                    if used is None or used == layer or used in ALLOWED[layer]:
                        continue
                    problems.append(f"{cmake.relative_to(root)}:{number}: the {layer} layer must not link "
                                    f"'{name}' ({used} layer).")
    return problems


def check_program_files(root):
    """Nothing outside the program's folder uses the program's own files."""
    problems = []
    tool = LAYERS["tool"]
    headers = {p.name for p in (root / tool).glob("*.h")} if (root / tool).is_dir() else set()
    for top in ABOVE + [folder for layer, folder in LAYERS.items() if layer != "tool"]:
        base = root / top
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.is_dir() or (path.suffix not in SOURCES and path.name != "CMakeLists.txt"):
                continue
            relative = path.relative_to(root).as_posix()
            if relative.startswith(tool + "/"):
                continue
            for number, text in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(text)
                if tool in text or (match and os.path.basename(match.group(1) or match.group(2) or "") in headers):
                    problems.append(f"{relative}:{number}: uses the program's own files ({tool}); use the run "
                                    "library or the layers below it.")
    return problems


def check(root):
    return check_includes(root) + check_links(root) + check_program_files(root)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    problems = check(root)
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        print(f"Layer check: {len(problems)} include(s) or link(s) break the layering.", file=sys.stderr)
        return 1
    print("Layer check: every include and link looks down.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
