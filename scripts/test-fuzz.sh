#!/usr/bin/env bash
# Fuzzing stage: builds the libFuzzer harness of the public calls (fuzz preset:
# clang, ASan and UBSan), replays the kept corpus, then fuzzes for a bounded time
# (QEL_FUZZ_SECONDS, default 60) starting from it.
#
# New inputs go to build/fuzz/corpus-work, never into the repository. A crash or a
# broken rule leaves its input in build/fuzz/crashes/; once the fault is fixed,
# copy that file into fuzz/corpus/ as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh clang libclang-rt-14-dev cmake make pkg-config libpng-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target fuzz_calls
fuzzer=build/fuzz/fuzz/fuzz_calls

report() {  # log file: the lines that say what went wrong
  grep -E "^(Rule broken|==[0-9]+==ERROR|SUMMARY|Test unit written|Running: )" "$1" >&2 || true
}

echo "Replaying $(find fuzz/corpus -type f | wc -l) corpus inputs"
if ! "$fuzzer" fuzz/corpus/* >build/fuzz/replay.log 2>&1; then
  report build/fuzz/replay.log
  echo "Corpus replay failed; the whole log is build/fuzz/replay.log." >&2
  exit 1
fi

mkdir -p build/fuzz/corpus-work build/fuzz/crashes
if ! "$fuzzer" -max_total_time="${QEL_FUZZ_SECONDS:-60}" -max_len=2048 -timeout=10 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/crashes/ build/fuzz/corpus-work fuzz/corpus >build/fuzz/last-run.log 2>&1; then
  report build/fuzz/last-run.log
  echo "Fuzzing found a failure; the whole log is build/fuzz/last-run.log." >&2
  exit 1
fi
grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done)" build/fuzz/last-run.log
