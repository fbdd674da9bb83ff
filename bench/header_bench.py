#!/usr/bin/env python3
"""Header benchmark: time and peak memory of qel-lcd-sim --decode on VCD files
whose header alone is large (about 100 MB), in the shapes that used to cost
most: signals inside a deep nest of scopes, and millions of signals of one name
(the channel-name mapping must look at each once). Goal: each is decoded or
refused within 10 s and 1 GB.

The files are written to a temporary folder and deleted afterwards. Run by hand:

  python3 bench/header_bench.py [--mb 100] [--sim build/host/bin/qel-lcd-sim] [--tmp DIR]

Figures printed per shape: the header's size, the decode's wall time and peak
resident memory (GNU time, Debian package `time`), and its outcome (decoded,
or refused with exit status 2, as the many-same-names shape must be). A run is
stopped at 4 GB of address space and after 60 s, so an older build cannot
take the machine.
"""
import argparse
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GNU_TIME = "/usr/bin/time"
LIMIT_BYTES = 4 << 30


def write_deep_scopes(f, target):
    """Half the header opens and closes nested scopes, the other half declares signals inside them."""
    scope, upscope = "$scope module level $end\n", "$upscope $end\n"
    depth = target // 2 // (len(scope) + len(upscope))
    f.write(scope * depth)
    size, n = 0, 0
    while size < target // 2:
        line = "$var wire 1 s%d sig%d $end\n" % (n, n)
        f.write(line)
        size += len(line)
        n += 1
    f.write("$var wire 1 ! CLK $end\n$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n")
    f.write(upscope * depth)
    return "%d nested scopes around %d signals" % (depth, n + 3)


def write_same_names(f, target):
    """Every signal is called CLK: all are candidates for the clock."""
    size, n = 0, 0
    while size < target:
        line = "$var wire 1 s%d CLK $end\n" % n
        f.write(line)
        size += len(line)
        n += 1
    return "%d signals named CLK" % n


SHAPES = [("deep scopes", write_deep_scopes), ("same names", write_same_names)]


def limit_memory():
    resource.setrlimit(resource.RLIMIT_AS, (LIMIT_BYTES, LIMIT_BYTES))


def decode(sim, path):
    """Returns (seconds, peak RSS in MB, exit status, first line of standard error)."""
    fd, rss_file = tempfile.mkstemp(prefix="qel_rss_")
    os.close(fd)
    args = [GNU_TIME, "-q", "-f", "%M", "-o", rss_file, sim, "--decode", path, "--no-term"]
    start = time.monotonic()
    # A session of its own, so that a run past the time limit is stopped with its child.
    proc = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, preexec_fn=limit_memory,
                            start_new_session=True)
    try:
        _, err = proc.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        os.remove(rss_file)
        return float("inf"), float("nan"), -1, "stopped after 60 s"
    seconds = time.monotonic() - start
    with open(rss_file) as f:
        words = f.read().split()
    os.remove(rss_file)
    rss_mb = int(words[-1]) / 1024.0 if words and words[-1].isdigit() else float("nan")
    first = err.decode(errors="replace").strip().splitlines()
    return seconds, rss_mb, proc.returncode, (first[0][:100] if first else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mb", type=float, default=100, help="size of each header in MB")
    parser.add_argument("--sim", default=os.path.join(ROOT, "build", "host", "bin", "qel-lcd-sim"))
    parser.add_argument("--tmp", default=None, help="folder for the temporary files")
    a = parser.parse_args()
    if not os.path.exists(a.sim):
        sys.exit("Build the simulator first: cmake --preset host && cmake --build --preset host")
    if not os.path.exists(GNU_TIME):
        sys.exit("GNU time is needed for the peak memory: apt-get install time")
    tmp = tempfile.mkdtemp(prefix="qel_header_bench_", dir=a.tmp)
    try:
        for name, write in SHAPES:
            path = os.path.join(tmp, name.replace(" ", "-") + ".vcd")
            with open(path, "w") as f:
                f.write("$timescale 1 ns $end\n")
                what = write(f, int(a.mb * 1e6))
                f.write("$enddefinitions $end\n#0\n0!\n#10\n1!\n")
            size = os.path.getsize(path) / 1e6
            seconds, rss, status, first = decode(a.sim, path)
            outcome = {0: "decoded", 2: "refused", -1: "not finished"}.get(status, "failed (exit %d)" % status)
            print("%-12s %.0f MB header (%s): %.2f s, peak RSS %.0f MB, %s: %s"
                  % (name, size, what, seconds, rss, outcome, first))
            os.remove(path)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
