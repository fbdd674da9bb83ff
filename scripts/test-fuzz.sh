#!/usr/bin/env bash
# Fuzzing stage: builds the libFuzzer harnesses (fuzz preset: clang, ASan and
# UBSan) of the module's calls, the call-script language, the VCD, CSV and
# sigrok session readers and the signal map; replays each one's seeds, then
# fuzzes each for a bounded time (QEL_FUZZ_SECONDS per harness, default 15)
# starting from them.
#
# New inputs go to build/fuzz/corpus-work/<harness>, never into the repository. A
# crash or a broken rule leaves its input in build/fuzz/crashes/<harness>-*; once
# the fault is fixed, copy that file into fuzz/seeds/<harness>/ as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh clang libclang-rt-14-dev cmake make pkg-config libpng-dev libgif-dev libzip-dev libssl-dev

harnesses=(calls script vcd signal_map csv sr)
seconds=${QEL_FUZZ_SECONDS:-15}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target "${harnesses[@]/#/fuzz_}"

report() {  # log file: the lines that say what went wrong
  grep -E "^(Rule broken|==[0-9]+==ERROR|SUMMARY|Test unit written|Running: )" "$1" >&2 || true
}

mkdir -p build/fuzz/crashes
for h in "${harnesses[@]}"; do
  fuzzer=build/fuzz/fuzz/fuzz_$h
  seeds=fuzz/seeds/$h
  log=build/fuzz/$h-replay.log
  if ! "$fuzzer" "$seeds"/* >"$log" 2>&1; then
    report "$log"
    echo "Seed replay of the $h harness failed; the whole log is $log." >&2
    exit 1
  fi

  work=build/fuzz/corpus-work/$h
  log=build/fuzz/$h-last-run.log
  mkdir -p "$work"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crashes/$h-" "$work" "$seeds" >"$log" 2>&1; then
    report "$log"
    echo "Fuzzing the $h harness found a failure; the whole log is $log." >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "$h: $(find "$seeds" -type f | wc -l) seeds replayed; ${runs} executions in ${seconds} s (${rate}/s), corpus $(find "$work" -type f | wc -l) inputs"
done
