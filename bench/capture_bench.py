#!/usr/bin/env python3
"""Capture benchmark: decode speed and memory of qel-lcd-sim --decode on large
captures of the module's own traffic, as VCD and as a sigrok session, and the
ratio against sigrok-cli's SPI decoder on the same session.

The captures are made by qel-lcd-sim itself (--vcd / --sr of a long generated
script), streamed to a temporary folder and deleted afterwards. Run by hand:

  python3 bench/capture_bench.py [--gb 1.0] [--sigrok-gb 0.05] [--tmp DIR] [--sim PROGRAM]

--sim decodes with another build of qel-lcd-sim (an older one, to compare);
the captures are always made by this tree's build.

Figures printed (peak RSS through GNU time, Debian package `time`): value changes (VCD) or samples (.sr) per second, the decode's
peak resident memory per format (goal: under 64 MB whatever the length), and
decode speed against `sigrok-cli -P spi` on a session (goal: 25 times faster).
sigrok-cli is slow on a 1 GB session, so it gets a smaller one of the same
traffic (--sigrok-gb) and the ratio compares samples per second.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIM = os.path.join(ROOT, "build", "host", "bin", "qel-lcd-sim")


def script_text(calls):
    """Start-up, then full lines of changing text on every line: the module's everyday traffic."""
    lines = ["QEL_LCD_Init();"]
    for i in range(calls):
        lines.append('QEL_LCD_WriteStringValue("Sample %02d T=", %dU, %d, %d);' % (i % 100, i, 10 if i % 2 else 16, i % 8))
    return "\n".join(lines) + "\n"


GNU_TIME = "/usr/bin/time"  # Debian package `time`


def run_measured(args, stdout=subprocess.DEVNULL):
    """Runs a command; returns (seconds, peak RSS in MB, its standard output).

    The peak RSS comes from GNU time when it is installed: a child's own
    accounting would also count the Python process it was forked from."""
    rss_file = None
    if os.path.exists(GNU_TIME):
        fd, rss_file = tempfile.mkstemp(prefix="qel_rss_")
        os.close(fd)
        args = [GNU_TIME, "-q", "-f", "%M", "-o", rss_file] + args
    start = time.monotonic()
    proc = subprocess.Popen(args, stdout=subprocess.PIPE if stdout is None else stdout, stderr=subprocess.PIPE)
    out = proc.stdout.read() if stdout is None else b""
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.monotonic() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read()
    if proc.returncode != 0:
        sys.exit("%s failed (%d): %s" % (" ".join(args), proc.returncode, err.decode(errors="replace")[:400]))
    rss_kb = usage.ru_maxrss
    if rss_file:
        with open(rss_file) as f:
            rss_kb = int(f.read().split()[-1])
        os.remove(rss_file)
    return seconds, rss_kb / 1024.0, out.decode(errors="replace")


def sr_samples(path):
    with zipfile.ZipFile(path) as z:
        return sum(i.file_size for i in z.infolist() if i.filename.startswith("logic-1-"))


def make_capture(tmp, name, option, target_bytes, size_of):
    """Writes a capture of at least target_bytes (as size_of measures it); returns its path."""
    calls = 2000
    path = os.path.join(tmp, name)
    script = os.path.join(tmp, name + ".qel")
    while True:
        with open(script, "w") as f:
            f.write(script_text(calls))
        seconds, _, _ = run_measured([SIM, "--script", script, option, path, "--no-term"])
        size = size_of(path)
        if size >= target_bytes:
            break
        # Start-up makes a fixed part, so the first guess falls short; grow until it is enough.
        calls = int(calls * target_bytes / size * 1.05) + 1
    os.remove(script)
    print("  made %s: %d calls, %.2f GB on disk, %.1f s" % (name, calls, os.path.getsize(path) / 1e9, seconds))
    return path


def decode(path, sim=SIM):
    seconds, rss, out = run_measured([sim, "--decode", path, "--stats", "--no-term"], stdout=None)
    changes = int(re.search(r"\((\d+) line changes\)", out).group(1))
    data_bytes = int(re.search(r"bytes\s+(\d+)", out).group(1))
    return seconds, rss, changes, data_bytes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--gb", type=float, default=1.0, help="size of each capture: VCD text, session samples")
    parser.add_argument("--sigrok-gb", type=float, default=0.05, help="session samples for sigrok-cli")
    parser.add_argument("--tmp", default=None, help="folder for the temporary captures")
    parser.add_argument("--sim", default=SIM, help="the qel-lcd-sim that decodes (default: this tree's build)")
    a = parser.parse_args()
    if not os.path.exists(SIM):
        sys.exit("Build the simulator first: cmake --preset host && cmake --build --preset host")
    tmp = tempfile.mkdtemp(prefix="qel_capture_bench_", dir=a.tmp)
    try:
        print("VCD:")
        vcd = make_capture(tmp, "big.vcd", "--vcd", a.gb * 1e9, os.path.getsize)
        s, rss, changes, wire = decode(vcd, a.sim)
        print("  decode: %.1f s, %.1f M value changes/s, %.0f MB/s of text, %d bytes decoded, peak RSS %.1f MB"
              % (s, changes / s / 1e6, os.path.getsize(vcd) / s / 1e6, wire, rss))
        os.remove(vcd)

        print("sigrok session:")
        sr = make_capture(tmp, "big.sr", "--sr", a.gb * 1e9, sr_samples)
        samples = sr_samples(sr)
        s, rss, changes, wire = decode(sr, a.sim)
        ours = samples / s
        print("  decode: %.1f s, %.1f M samples/s (%d samples, %d changes), %d bytes decoded, peak RSS %.1f MB"
              % (s, ours / 1e6, samples, changes, wire, rss))
        os.remove(sr)

        if shutil.which("sigrok-cli"):
            small = make_capture(tmp, "small.sr", "--sr", a.sigrok_gb * 1e9, sr_samples)
            small_samples = sr_samples(small)
            s_ours, _, _, _ = decode(small, a.sim)
            s_sigrok, rss_sigrok, _ = run_measured(
                ["sigrok-cli", "-i", small, "-P", "spi:clk=sclk:mosi=sdin", "-A", "spi=mosi-data"])
            theirs = small_samples / s_sigrok
            print("  sigrok-cli -P spi on %d samples: %.1f s, %.2f M samples/s, peak RSS %.1f MB; "
                  "ours on the same: %.2f s" % (small_samples, s_sigrok, theirs / 1e6, rss_sigrok, s_ours))
            print("  ratio: %.0fx (same session), %.0fx (our rate on the large session)"
                  % (s_sigrok / s_ours, ours / theirs))
        else:
            print("  sigrok-cli not installed: no ratio")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
