#!/usr/bin/env python3
"""Time and peak memory of qel-lcd-sim on long generated scripts.

Writes scripts of N calls (start-up, then value, string and clear calls that
cycle over the lines, a quarter of them on line 8 so that the controller notes
them), runs the program on each with the outputs named, and prints the wall
time, time per call and peak resident memory of each run. Time per call should
stay flat as N grows (linear time), and peak memory should not grow with N when
no whole-run output is asked for.

Usage: bench/script_scale.py [PROGRAM] [--calls N,N,...] [--outputs none|bytes|stats]
"""
import argparse
import pathlib
import subprocess
import sys
import tempfile


def write_script(path, calls):
    with path.open("w") as f:
        f.write("QEL_LCD_Init();\n")
        for i in range(calls - 1):
            kind = i % 4
            line = 8 if kind == 3 else i % 8  # one call in four draws on line 8 (page command 0xB8: a note)
            if kind == 0:
                f.write(f"QEL_LCD_WriteValue({i}U, 10, {line});\n")
            elif kind == 1:
                f.write(f'QEL_LCD_WriteString((const QEL_C *)"T{i % 1000}", {line});\n')
            elif kind == 2:
                f.write(f"QEL_LCD_ClearLine({line});\n")
            else:
                f.write(f'QEL_LCD_WriteStringValue("N=", {i}U, 16, {line});\n')


def run(program, script, extra, folder):
    """Exit status, wall seconds and peak resident kB of one run, measured by GNU time."""
    report = folder / "time.txt"
    args = ["/usr/bin/time", "-f", "%e %M", "-o", str(report), program, "--script", str(script), "--no-term"] + extra
    done = subprocess.run(args, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall, peak_kb = report.read_text().split()[-2:]
    return done.returncode, float(wall), int(peak_kb)


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", nargs="?", default=str(root / "build/host/bin/qel-lcd-sim"))
    parser.add_argument("--calls", default="10000,100000,1000000")
    parser.add_argument("--outputs", default="none", choices=["none", "bytes", "stats"])
    a = parser.parse_args()
    if not pathlib.Path("/usr/bin/time").exists():
        print("GNU time is needed (Debian package 'time'): scripts/need-packages.sh time", file=sys.stderr)
        return 2
    counts = sorted(int(n) for n in a.calls.split(","))
    print(f"qel-lcd-sim on generated scripts, outputs: {a.outputs} (notes to /dev/null)")
    print(f"{'calls':>9} {'script MB':>9} {'wall s':>8} {'us/call':>8} {'peak RSS MB':>11} status")
    with tempfile.TemporaryDirectory(prefix="qel_bench_") as tmp:
        folder = pathlib.Path(tmp)
        for n in counts:
            script = folder / f"calls_{n}.qel"
            write_script(script, n)
            extra = {"none": [], "bytes": ["--bytes", str(folder / "bytes.txt")], "stats": ["--stats"]}[a.outputs]
            status, wall, peak_kb = run(a.program, script, extra, folder)
            size_mb = script.stat().st_size / 1e6
            print(f"{n:>9} {size_mb:>9.1f} {wall:>8.2f} {wall / n * 1e6:>8.2f} {peak_kb / 1024:>11.1f} {status}")
            script.unlink()
            (folder / "bytes.txt").unlink(missing_ok=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
