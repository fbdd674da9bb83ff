#!/usr/bin/env bash
# Writes every output of qel-lcd-sim for the example scripts and the capture
# seeds into a folder, so that two builds can be compared file by file:
#   scripts/snapshot-outputs.sh OUT [PROGRAM] [EXTRA OPTIONS...]
#   diff -r OUT-before OUT-after
# Each case gets its own folder with the outputs, stdout, stderr and the exit status.
set -uo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: snapshot-outputs.sh OUT [PROGRAM] [EXTRA OPTIONS...]}
sim=$(realpath "${2:-build/host/bin/qel-lcd-sim}")
shift $(($# >= 2 ? 2 : 1))
extra=("$@")
root=$PWD
rm -rf "$out"
mkdir -p "$out"
out=$(realpath "$out")

# run CASE ARGS...: runs the program in the case's folder with every output asked for.
run() {
  local name=$1
  shift
  mkdir -p "$out/$name"
  (cd "$out/$name" && "$sim" "$@" "${extra[@]}" --bytes bytes.txt --vcd wave.vcd --png panel.png --text text.txt \
    --commands commands.txt --report report.html --gif run.gif --stats --no-term >stdout.txt 2>stderr.txt
   echo $? >status.txt)
}

for script in examples/*.qel fuzz/seeds/script/*.qel; do
  name=script-$(basename "$(dirname "$script")")-$(basename "$script" .qel)
  run "$name" --script "$root/$script" --sr session.sr --frames frames
done
for capture in fuzz/seeds/vcd/* fuzz/seeds/csv/* fuzz/seeds/sr/*; do
  name=capture-$(basename "$(dirname "$capture")")-$(basename "$capture")
  mkdir -p "$out/$name" && cp "$capture" "$out/$name/input"
  run "$name" --decode input
done
# The examples' own waveforms and sessions, decoded back.
for script in examples/*.qel; do
  name=$(basename "$script" .qel)
  for kind in wave.vcd session.sr; do
    mkdir -p "$out/decode-$name-$kind" && cp "$out/script-examples-$name/$kind" "$out/decode-$name-$kind/input"
    run "decode-$name-$kind" --decode input
  done
done
# What differs from run to run: the VCD's date, and the session archive's entry
# times (its entries are compared instead).
for f in "$out"/*/wave.vcd; do sed -i '/^\$date/,/^\$end/d' "$f"; done
for f in "$out"/*/session.sr; do
  mkdir "$f.entries" && (cd "$f.entries" && unzip -q ../session.sr) && rm "$f"
done
rm -f "$out"/*/input
echo "snapshot of $(ls "$out" | wc -l) cases in $out"
