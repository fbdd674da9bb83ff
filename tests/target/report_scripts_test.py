"""Tests of the Cortex-M3 report scripts on small made-up inputs: map sections,
call-graph stack depth, library frames from disassembly, and instruction counting
from qemu's execution log."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "target"))
import footprint  # noqa: E402
import insn_cost  # noqa: E402

MAP = """\
Discarded input sections

 .text          0x00000000        0x0 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .text.unused   0x00000000       0x40 CMakeFiles/m.dir/QEL_LCD.cpp.obj

Linker script and memory map

 .text._ZL14QEL_LCD_WrBytehm
                0x000004d8       0x44 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .text.QEL_LCD_Init
                0x0000051c       0x98 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .text.PIN_open 0x000005b4       0x50 CMakeFiles/p.dir/pin_target.c.obj
 .rodata._ZL15QEL_LcdInitCmds
                0x00001256       0x1c CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .rodata._ZL8QEL_F6x8
                0x00001272      0x228 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .data._ZL14QEL_LcdPinsCfg
                0x20000000       0x14 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .bss._ZL12QEL_HlcdPins
                0x2000034c        0x4 CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .bss._ZL11QEL_LcdPins
                0x20000350        0xc CMakeFiles/m.dir/QEL_LCD.cpp.obj
 .bss.is_data   0x2000035c        0x1 CMakeFiles/p.dir/pin_target.c.obj
"""


class MapTest(unittest.TestCase):
    def test_kept_sections_of_the_module_are_sorted_into_flash_and_ram(self):
        sections = footprint.sections_of(MAP, "/build/arm/CMakeFiles/m.dir/QEL_LCD.cpp.obj")
        self.assertEqual([(s.name, s.address) for s in sections][:2],
                         [(".text._ZL14QEL_LCD_WrBytehm", 0x4D8), (".text.QEL_LCD_Init", 0x51C)])
        f = footprint.classify(sections)
        expected = {"code": 0x44 + 0x98, "rodata": 28, "font": 552, "data": 20, "bss": 16, "pin_state": 12,
                    "flash": 0xDC + 28 + 552 + 20, "ram": 24}
        self.assertEqual({k: getattr(f, k) for k in expected}, expected)


def graph(frames, calls):
    g = footprint.Graph()
    for name in set(frames) | set(calls) | {c for cs in calls.values() for c in cs}:
        g.names[name] = name
        g.calls[name] = set(calls.get(name, ()))
    g.frames.update(frames)
    return g


class StackTest(unittest.TestCase):
    def test_deepest_path_counts_own_and_library_frames(self):
        frames = {"Op": 64, "Str": 40, "Fill": 8, "Byte": 16, "Conv": 56}
        calls = {"Op": ["Str", "Conv", "memset"], "Str": ["Fill", "Byte"], "Fill": ["Byte"],
                 "Byte": ["PIN_setOutputValue"], "Conv": ["mystery"]}
        cases = [
            # root, library frames, expected bytes, expected path, unknown names
            ("Fill", {}, 24, ["Fill", "Byte"], set()),
            ("Op", {"memset": 16, "mystery": 0}, 128, ["Op", "Str", "Fill", "Byte"], set()),
            ("Op", {"memset": 100, "mystery": 0}, 164, ["Op", "memset"], set()),
            ("Conv", {}, 56, ["Conv", "mystery"], {"mystery"}),
        ]
        for root, library, depth, path, unknown in cases:
            with self.subTest(root=root, library=library):
                got = footprint.worst_stack(graph(frames, calls), root, library, stop={"PIN_setOutputValue"})
                self.assertEqual(got, (depth, path, unknown))

    def test_recursion_has_no_bound(self):
        g = graph({"A": 8, "B": 8}, {"A": ["B"], "B": ["A"]})
        with self.assertRaisesRegex(footprint.InputError, "recursion"):
            footprint.worst_stack(g, "A", {})

    def test_callgraph_file_gives_frames_and_edges(self):
        ci = ('node: { title: "x.cpp:_ZL1fv" label: "void f()\\nx.cpp:1:1\\n24 bytes (static)" }\n'
              'node: { title: "memset" label: "void* memset(void*, int, size_t)\\nstring.h:1:1" shape : ellipse }\n'
              'edge: { sourcename: "x.cpp:_ZL1fv" targetname: "memset" label: "x.cpp:2:3" }\n')
        g = footprint.parse_callgraph(ci)
        self.assertEqual((g.frames, g.names, g.calls),
                         ({"x.cpp:_ZL1fv": 24}, {"x.cpp:_ZL1fv": "f", "memset": "memset"},
                          {"x.cpp:_ZL1fv": {"memset"}, "memset": set()}))
        with self.assertRaisesRegex(footprint.InputError, "dynamic"):
            footprint.parse_callgraph(ci.replace("(static)", "(dynamic)"))


class FrameTest(unittest.TestCase):
    def test_frames_from_disassembly(self):
        cases = [
            ("leaf without stack", ["bic.w\tr1, r0, #3", "bx\tlr"], 0),
            ("push", ["push\t{r4, r5, r6, lr}", "bls.n\t9e8 <memset+0x44>", "pop\t{r4, r5, r6, pc}"], 16),
            ("push and sub", ["push\t{r4, lr}", "sub\tsp, #36\t@ 0x24"], 44),
            ("stmdb", ["stmdb\tsp!, {r4, r5, r6, r7, r8, r9, sl, fp, lr}"], 36),
            ("calls another routine", ["push\t{r3, lr}", "bl\t1234 <__errno>"], None),
        ]
        for name, ops, expected in cases:
            with self.subTest(name):
                text = "\n".join(f"     {0x100 + 2 * i:x}:\t{op}" for i, op in enumerate(ops))
                self.assertEqual(footprint.frame_of(text), expected)


def block(name, addresses):
    return [f"IN: {name}\n"] + [f"0x{a:08x}:  0000       nop\n" for a in addresses] + ["\n"]


def trace(pc):
    return f"Trace 0: 0x7f00 [00800400/{pc:08x}/00000110/ff000200] f\n"


class CountTest(unittest.TestCase):
    MARKER = 0x20C

    def test_blocks_are_expanded_and_split_at_each_announced_call(self):
        module = set(range(0x400, 0x440, 2))
        busy = {0x420, 0x422}
        log = (block("announce", [0x20C, 0x20E]) + [trace(0x20C)] + block("Init", [0x400, 0x402, 0x404]) +
               [trace(0x400)] + block("Init", [0x420, 0x422]) + [trace(0x420)] * 3 + [trace(0x20C)] +
               [trace(0x400)] * 2)
        self.assertEqual(insn_cost.count(log, self.MARKER, module, busy), [[3, 6], [6, 0]])

    def test_inconsistent_logs_are_refused(self):
        cases = [
            ("untranslated block", [trace(0x20C), trace(0x400)], "never translated"),
            ("code before any call", block("Init", [0x400]) + [trace(0x400)], "before the first call"),
            ("block changed", block("f", [0x400]) + block("f", [0x400, 0x402]), "different contents"),
        ]
        for name, log, message in cases:
            with self.subTest(name):
                with self.assertRaisesRegex(insn_cost.RunError, message):
                    insn_cost.count(log, self.MARKER, {0x400, 0x402}, set())


if __name__ == "__main__":
    unittest.main()
