#!/usr/bin/env python3
"""Fails when a file includes a header of a layer it must not use.

The host code is layered: the module and the PIN driver interface at the bottom,
then the emulator, then the trace, view and script layers (which may use the emulator and the
module, but not one another), then the kit, then the qel-lcd-sim program. A layer may include its own
headers and those of the layers listed for it in ALLOWED, nothing else.

A quoted include that names a file relative to the including file is placed by
the folder that file lands in, ".." resolved ("../view/png_writer.h" from
emulator/ is in the view layer). Otherwise it names its layer by its first path
part ("emulator/controller.h") or is one of the module's and the platform's own
headers. Anything else cannot be placed and fails too, so a new header cannot
slip past the rule. An angle-bracket include is checked the same way when it is
one of those own headers or its first path part is a layer folder
(<trace/vcd_writer.h>); other angle includes are system headers. Tests, benchmarks, fuzz harnesses, the
target build and the examples sit above everything and are not checked.

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
    "kit": "kit",
    "tool": "tools/qel-lcd-sim",
}

# What each layer may include besides its own headers.
ALLOWED = {
    "module": {"pin-interface"},
    "platform": {"pin-interface"},
    "common": set(),
    "emulator": {"platform", "common"},
    "trace": {"emulator", "platform", "common"},
    "view": {"emulator", "module", "platform", "common"},
    "script": {"module", "platform", "common"},
    "kit": {"view", "trace", "emulator", "module", "platform", "pin-interface", "common"},
    "tool": {"kit", "script", "view", "trace", "emulator", "module", "platform", "pin-interface", "common"},
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

INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)')
SOURCES = {".h", ".hpp", ".c", ".cpp"}


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


def check(root):
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


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    problems = check(root)
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        print(f"Layer check: {len(problems)} include(s) break the layering.", file=sys.stderr)
        return 1
    print("Layer check: every include looks down.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
