#!/usr/bin/env python3
"""Footprint of the QEL_LCD module in the Cortex-M3 firmware.

Reads the linker map (flash and static RAM per input section of the module's
object), the compiler's -fcallgraph-info=su call graph and -fstack-usage frames
of the module and of the pin driver, and the firmware's disassembly (frames of
the C library routines the module calls). Prints the figures and exits 1 when a
budget is exceeded, or 2 when an input cannot be read.
"""

import argparse
import re
import subprocess
import sys
from dataclasses import dataclass, field

BUDGET_FLASH = 1400  # code, read-only data and initialised data, font included
BUDGET_RAM = 24  # static RAM besides the pin driver's PIN_State record
BUDGET_STACK = 160  # worst case of any public operation, pin driver excluded

PUBLIC_OPERATIONS = [
    "QEL_LCD_Init",
    "QEL_LCD_WriteString",
    "QEL_LCD_ClearLine",
    "QEL_LCD_WriteValue",
    "QEL_LCD_WriteStringValue",
]
FONT_SYMBOL = "QEL_F6x8"
PIN_STATE_SYMBOL = "QEL_LcdPins"  # the PIN_State record, owned by the driver's interface
PIN_DRIVER_FUNCTIONS = {"PIN_open", "PIN_setOutputValue"}


class InputError(Exception):
    """An input file is missing or not what was expected."""


# ---------------------------------------------------------------------------
# Linker map


@dataclass
class Section:
    name: str  # input section, e.g. ".text.QEL_LCD_Init"
    size: int
    address: int = 0


# An input section line: name, address and size (possibly on the next line), object file.
_SECTION = re.compile(r"^ (\.[\w.$]+)\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*?)\s*$", re.MULTILINE)


def sections_of(map_text, object_path):
    """Input sections kept in the image that come from the object file."""
    start = map_text.find("Linker script and memory map")
    if start < 0:
        raise InputError("the linker map has no memory map")
    found = []
    for m in _SECTION.finditer(map_text, start):
        name, address, size, source = m.group(1), int(m.group(2), 16), int(m.group(3), 16), m.group(4)
        if size and (object_path.endswith(source) or source.endswith(object_path)):
            found.append(Section(name, size, address))
    return found


@dataclass
class Flash:
    code: int = 0
    rodata: int = 0
    font: int = 0
    data: int = 0  # initial values of .data, stored in flash
    bss: int = 0
    pin_state: int = 0

    @property
    def flash(self):
        return self.code + self.rodata + self.font + self.data

    @property
    def ram(self):
        return self.data + self.bss - self.pin_state


def classify(sections):
    f = Flash()
    for s in sections:
        kind = s.name.split(".")[1]
        if kind == "text":
            f.code += s.size
        elif kind == "rodata":
            if s.name.endswith(FONT_SYMBOL):
                f.font += s.size
            else:
                f.rodata += s.size
        elif kind == "data":
            f.data += s.size
        elif kind == "bss":
            f.bss += s.size
            if s.name.endswith(PIN_STATE_SYMBOL):
                f.pin_state += s.size
    return f


# ---------------------------------------------------------------------------
# Call graph and stack


@dataclass
class Graph:
    frames: dict = field(default_factory=dict)  # node title -> frame bytes (own functions)
    names: dict = field(default_factory=dict)  # node title -> readable name
    calls: dict = field(default_factory=dict)  # node title -> set of callee titles


_NODE = re.compile(r'node: \{ title: "([^"]+)" label: "([^"]*)"')
_EDGE = re.compile(r'edge: \{ sourcename: "([^"]+)" targetname: "([^"]+)"')
_FRAME = re.compile(r"\\n(\d+) bytes \((\w+)\)")


def parse_callgraph(ci_text, graph=None):
    """Adds the nodes and edges of a -fcallgraph-info=su file to the graph."""
    g = graph or Graph()
    for m in _NODE.finditer(ci_text):
        title, label = m.group(1), m.group(2)
        frame = _FRAME.search(label)
        # Functions of other units (library, pin driver) are known by their title alone.
        g.names[title] = short_name(title, label) if frame else title
        g.calls.setdefault(title, set())
        if frame:
            if frame.group(2) not in ("static", "bounded"):
                raise InputError(f"'{g.names[title]}' has a {frame.group(2)} stack frame")
            g.frames[title] = int(frame.group(1))
    for m in _EDGE.finditer(ci_text):
        g.calls.setdefault(m.group(1), set()).add(m.group(2))
    return g


def short_name(title, label):
    """The function's name without its signature: 'QEL_LCD_WrByte' for 'void QEL_LCD_WrByte(QEL_U8, QEL_U32)'."""
    head = label.split("\\n")[0]
    m = re.search(r"([\w:~]+)\s*\(", head)
    return m.group(1) if m else title.rsplit(":", 1)[-1]


def worst_stack(graph, root, external, stop=frozenset()):
    """Deepest stack below and including root, and the path to it.

    external maps the name of a function outside the graph's own (a library
    routine) to its frame, or None when unknown. Names in stop are left out
    with everything they call. Returns (bytes, path, unknown names met).
    """
    unknown = set()

    def visit(title, on_path):
        name = graph.names.get(title, title)
        if name in stop:
            return 0, []
        if title in on_path:
            raise InputError(f"recursion through '{name}': no bound on the stack")
        if title in graph.frames:
            own = graph.frames[title]
        elif external.get(name) is not None:
            own = external[name]
        else:
            unknown.add(name)
            own = 0
        best, best_path = 0, []
        for callee in sorted(graph.calls.get(title, ())):
            depth, path = visit(callee, on_path | {title})
            if depth > best or (path and not best_path):
                best, best_path = depth, path
        return own + best, [name] + best_path

    depth, path = visit(root, frozenset())
    return depth, path, unknown


def library_frames(elf, names, objdump="arm-none-eabi-objdump"):
    """Frames of leaf library routines, from their pushes and stack adjustments.

    All pushes and 'sub sp' of the routine are added up, which bounds the frame
    from above whatever path is taken. A routine that calls another is unknown
    (None).
    """
    try:
        text = subprocess.run([objdump, "-d", "--no-show-raw-insn", elf], check=True, capture_output=True,
                              text=True).stdout
    except (OSError, subprocess.CalledProcessError) as e:
        raise InputError(f"Cannot disassemble '{elf}': {e}")
    frames = {}
    for name in names:
        body = re.search(rf"^[0-9a-f]+ <{re.escape(name)}>:\n(.*?)(?:\n\n|\Z)", text, re.MULTILINE | re.DOTALL)
        frames[name] = None if body is None else frame_of(body.group(1))
    return frames


def frame_of(disassembly):
    total = 0
    for line in disassembly.splitlines():
        parts = line.split("\t")
        if len(parts) < 2:
            continue
        op, args = parts[1].strip(), (parts[2] if len(parts) > 2 else "")
        if re.fullmatch(r"blx?(\.w)?", op):  # a call (not bls, blt, ble)
            return None
        if op.startswith("push") or (op.startswith("stmdb") and args.startswith("sp!")):
            total += 4 * register_count(args)
        elif op.startswith(("sub", "subw")) and args.startswith("sp, "):
            m = re.search(r"#(\d+)", args)
            total += int(m.group(1)) if m else 0
    return total


def register_count(args):
    regs = args[args.index("{") + 1:args.index("}")]
    count = 0
    for part in regs.split(","):
        part = part.strip()
        m = re.fullmatch(r"r(\d+)-r(\d+)", part)
        count += int(m.group(2)) - int(m.group(1)) + 1 if m else 1
    return count


# ---------------------------------------------------------------------------
# Report


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError as e:
        raise InputError(f"Cannot open '{path}': {e.strerror}.")


def aux_file(object_path, suffix):
    """The compiler's .su or .ci file written beside the object."""
    return re.sub(r"\.(o|obj)$", suffix, object_path)


def report(args):
    map_text = read(args.map)
    flash = classify(sections_of(map_text, args.module))
    if flash.code == 0:
        raise InputError(f"no code of '{args.module}' in the linker map '{args.map}'")

    graph = parse_callgraph(read(aux_file(args.module, ".ci")))
    pin_graph = parse_callgraph(read(aux_file(args.pin_driver, ".ci")))
    read(aux_file(args.module, ".su"))  # the frames are in the call graph; the file must exist too

    own = set(graph.frames)
    library = sorted({graph.names[t] for t in graph.names if t not in own} - PIN_DRIVER_FUNCTIONS)
    lib_frames = library_frames(args.elf, library, args.objdump)

    failures = []
    print("QEL_LCD footprint on the Cortex-M3 (-Os)")
    print(f"  flash            {flash.flash:5d} bytes (budget {BUDGET_FLASH})")
    print(f"    code           {flash.code:5d}")
    print(f"    read-only data {flash.rodata:5d}  (start-up commands)")
    print(f"    font           {flash.font:5d}")
    print(f"    data image     {flash.data:5d}  (pin table)")
    print(f"  static RAM       {flash.ram:5d} bytes (budget {BUDGET_RAM}), "
          f"besides the {flash.pin_state}-byte PIN_State record")
    if flash.flash > BUDGET_FLASH:
        failures.append(f"Flash of the module is {flash.flash} bytes, over its budget of {BUDGET_FLASH}.")
    if flash.ram > BUDGET_RAM:
        failures.append(f"Static RAM of the module is {flash.ram} bytes, over its budget of {BUDGET_RAM}.")

    known = ", ".join(f"{n} {lib_frames[n]}" if lib_frames[n] is not None else f"{n} unknown" for n in library)
    print(f"  library routines called (frames in bytes): {known}")
    print(f"  worst-case stack, pin driver excluded (budget {BUDGET_STACK}):")
    for op in PUBLIC_OPERATIONS:
        depth, path, unknown = worst_stack(graph, op, lib_frames, stop=PIN_DRIVER_FUNCTIONS)
        note = f"  (frames unknown: {', '.join(sorted(unknown))})" if unknown else ""
        print(f"    {op:26s} {depth:4d}  {' > '.join(path)}{note}")
        if depth > BUDGET_STACK:
            failures.append(f"Stack of '{op}' is {depth} bytes, over its budget of {BUDGET_STACK}.")
    for fn in sorted(PIN_DRIVER_FUNCTIONS):
        title = next((t for t, n in pin_graph.names.items() if n == fn and t in pin_graph.frames), None)
        if title is None:
            raise InputError(f"'{fn}' is not in the pin driver's call graph")
        depth, _, _ = worst_stack(pin_graph, title, {})
        print(f"  pin driver: {fn} needs {depth} bytes of stack on top")

    for f in failures:
        print(f, file=sys.stderr)
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--map", required=True, help="linker map of the firmware")
    parser.add_argument("--elf", required=True, help="the firmware")
    parser.add_argument("--module", required=True, help="the module's object file")
    parser.add_argument("--pin-driver", required=True, help="the pin driver's object file")
    parser.add_argument("--objdump", default="arm-none-eabi-objdump")
    args = parser.parse_args()
    try:
        return report(args)
    except InputError as e:
        print(e, file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
