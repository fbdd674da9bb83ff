#!/usr/bin/env python3
"""Instructions the QEL_LCD module executes on the Cortex-M3, per call of the scenario.

Runs the firmware under qemu-system-arm with its execution log limited to the
module's code and to the entry of the firmware's call announcer, whose
executions split the log into the scenario's calls. Each logged translation
block is expanded into its instructions (qemu's in_asm log), so the counts are
exact and repeatable. The pin driver lies outside the logged range and is not
counted; the start-up busy-wait is told apart by the source lines it comes from.
Exits 1 when the instructions per byte sent exceed the budget, 2 on a failed run.
"""

import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile
import threading

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import footprint  # noqa: E402

BUDGET_PER_BYTE = 150
MARKER = "qel_firmware_announce"
BUSY_WAIT = "QEL_LCD_DLY_Ms"
# The calls whose cost is reported as a figure.
FIGURES = [
    ("QEL_LCD_Init", "QEL_LCD_Init();"),
    ("21-character QEL_LCD_WriteString", 'QEL_LCD_WriteString(S("Cortex-M3 on the wire"), QEL_LCD_LINE1);'),
    ("QEL_LCD_WriteStringValue, ten digits", 'QEL_LCD_WriteStringValue(S("ID"), 4294967295U, 10U, QEL_LCD_LINE5);'),
]


class RunError(Exception):
    """The emulator run or its log is not what was expected."""


def symbol_address(elf, name, nm):
    out = subprocess.run([nm, elf], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2] == name:
            return int(parts[0], 16)
    raise RunError(f"No symbol '{name}' in '{elf}'.")


def busy_wait_lines(source):
    """First and last source line of the busy-wait routine."""
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = next((i for i, l in enumerate(lines) if re.match(rf"static void {BUSY_WAIT}\(", l)), None)
    if start is None:
        raise RunError(f"No definition of {BUSY_WAIT} in '{source}'.")
    end = next(i for i in range(start, len(lines)) if lines[i].startswith("}"))
    return start + 1, end + 1


def busy_wait_addresses(elf, addresses, source, addr2line):
    """The addresses whose innermost source line lies in the busy-wait routine."""
    first, last = busy_wait_lines(source)
    out = subprocess.run([addr2line, "-f", "-i", "-a", "-e", elf] + [hex(a) for a in sorted(addresses)], check=True,
                         capture_output=True, text=True).stdout.splitlines()
    found, current, fresh = set(), None, False
    for line in out:
        if re.fullmatch(r"0x[0-9a-f]+", line):
            current, fresh = int(line, 16), True
            continue
        m = re.match(r"(.*):(\d+)", line)
        if fresh and m and not line.startswith("??"):
            fresh = False  # the innermost location comes first
            if os.path.basename(m.group(1)) == os.path.basename(source) and first <= int(m.group(2)) <= last:
                found.add(current)
    return found


def run_qemu(args, ranges, log_path):
    """Yields the lines of qemu's execution log as the firmware runs."""
    dfilter = ",".join(f"0x{start:x}+0x{size:x}" for start, size in ranges)
    cmd = [args.qemu, "-M", "mps2-an385", "-cpu", "cortex-m3", "-nographic", "-monitor", "none", "-serial", "none",
           "-semihosting-config", "enable=on,target=native,chardev=out", "-chardev", f"file,id=out,path={log_path}",
           "-kernel", args.elf, "-d", "in_asm,exec,nochain", "-dfilter", dfilter, "-D", "/dev/stdout"]
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, text=True, bufsize=1 << 20)
    watchdog = threading.Timer(args.timeout, proc.kill)
    watchdog.start()
    try:
        yield from proc.stdout
        status = proc.wait()
    finally:
        watchdog.cancel()
    if status < 0:
        raise RunError(f"The firmware did not finish within {args.timeout} seconds.")
    if status != 0:
        raise RunError(f"The firmware exited with status {status}.")


def count(lines, marker, module, busy):
    """Per call: [module instructions outside the busy-wait, busy-wait instructions]."""
    blocks = {}  # block start -> (module instructions, busy-wait instructions)
    per_call = []
    block = None
    for line in lines:
        if line.startswith("Trace "):
            pc = int(line.split("/", 2)[1], 16)
            if pc == marker:
                per_call.append([0, 0])
                continue
            if pc not in blocks:
                raise RunError(f"Executed block at 0x{pc:x} was never translated.")
            if not per_call:
                raise RunError("Module code ran before the first call was announced.")
            plain, waiting = blocks[pc]
            per_call[-1][0] += plain
            per_call[-1][1] += waiting
        elif line.startswith("IN:"):
            block = []
        elif block is not None and line.startswith("0x"):
            block.append(int(line.split(":", 1)[0], 16))
        elif block is not None and not line.strip():
            if block:
                sizes = (sum(1 for a in block if a in module and a not in busy), sum(1 for a in block if a in busy))
                if blocks.get(block[0], sizes) != sizes:
                    raise RunError(f"Block at 0x{block[0]:x} was translated twice with different contents.")
                blocks[block[0]] = sizes
            block = None
    return per_call


def byte_log_calls(path):
    """(call, bytes sent) for each call in the firmware's byte log."""
    calls = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("# "):
                calls.append([line[2:].rstrip("\n"), 0])
            elif line[:2] in ("C ", "D ") and calls:
                calls[-1][1] += 1
            elif line.startswith("!"):
                raise RunError(f"The firmware reported: {line.strip()}")
    return calls


def measure(args):
    map_text = footprint.read(args.map)
    code = [s for s in footprint.sections_of(map_text, args.module) if s.name.startswith(".text")]
    if not code:
        raise RunError(f"No code of '{args.module}' in '{args.map}'.")
    module = {a for s in code for a in range(s.address, s.address + s.size, 2)}
    marker = symbol_address(args.elf, MARKER, args.nm)
    with tempfile.TemporaryDirectory() as tmp:
        log_path = os.path.join(tmp, "bytes.log")
        # The module's code, and the marker's first instruction only.
        ranges = [(s.address, s.size) for s in code] + [(marker, 2)]
        lines = run_qemu(args, ranges, log_path)
        # Busy-wait addresses are needed before counting; the instruction addresses come from the map.
        busy = busy_wait_addresses(args.elf, module, args.source, args.addr2line)
        per_call = count(lines, marker, module, busy)
        calls = byte_log_calls(log_path)
    if len(per_call) != len(calls):
        raise RunError(f"{len(per_call)} calls were announced but the byte log holds {len(calls)}.")
    return [(text, sent, plain, waiting) for (text, sent), (plain, waiting) in zip(calls, per_call)]


def report(results):
    print("QEL_LCD instructions on the Cortex-M3 (pin driver excluded)")
    print(f"  {'bytes':>6} {'instr.':>8} {'per byte':>8} {'busy-wait':>10}  call")
    for text, sent, plain, waiting in results:
        ratio = f"{plain / sent:8.1f}" if sent else f"{'-':>8}"
        wait = f"{waiting:10d}" if waiting else f"{'':10}"
        print(f"  {sent:6d} {plain:8d} {ratio} {wait}  {text}")
    total_bytes = sum(r[1] for r in results)
    total_plain = sum(r[2] for r in results)
    worst = max((r for r in results if r[1]), key=lambda r: r[2] / r[1])
    print(f"Per byte sent: {total_plain / total_bytes:.1f} over the scenario, "
          f"{worst[2] / worst[1]:.1f} at worst ({worst[0]}); budget {BUDGET_PER_BYTE}")
    by_text = {r[0]: r for r in results}
    for label, text in FIGURES:
        if text not in by_text:
            raise RunError(f"The scenario no longer makes the call '{text}'.")
        _, sent, plain, waiting = by_text[text]
        extra = f", busy-wait {waiting} apart" if waiting else ""
        print(f"{label}: {plain} instructions for {sent} bytes ({plain / sent:.1f} per byte){extra}")
    if worst[2] / worst[1] > BUDGET_PER_BYTE:
        print(f"Instructions per byte of '{worst[0]}' are {worst[2] / worst[1]:.1f}, over the budget of "
              f"{BUDGET_PER_BYTE}.", file=sys.stderr)
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--elf", required=True, help="the firmware")
    parser.add_argument("--map", required=True, help="its linker map")
    parser.add_argument("--module", required=True, help="the module's object file")
    parser.add_argument("--source", required=True, help="the module's source file")
    parser.add_argument("--qemu", default="qemu-system-arm")
    parser.add_argument("--nm", default="arm-none-eabi-nm")
    parser.add_argument("--addr2line", default="arm-none-eabi-addr2line")
    parser.add_argument("--timeout", type=int, default=240, help="seconds the run may take")
    args = parser.parse_args()
    try:
        return report(measure(args))
    except (RunError, footprint.InputError) as e:
        print(e, file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
