#!/usr/bin/env bash
# sigrok stage: the ecosystem's reference reader checks our waveforms. For each
# example script, qel-lcd-sim writes the run as a sigrok session and as a VCD;
# sigrok-cli must read both, and its SPI decoder must find the same bytes as our
# byte log. sigrok-cli's own VCD export of our session must decode back to the
# same byte log too, read from the file and piped as it arrives from sigrok-cli
# (the same byte log and picture as decoding the session itself).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh sigrok-cli cmake make g++ pkg-config libgtest-dev libbenchmark-dev libpng-dev libgif-dev libcli11-dev libzip-dev libssl-dev
[ -f build/host/CMakeCache.txt ] || cmake --preset host >/dev/null
cmake --build --preset host --target qel-lcd-sim -j 2 >/dev/null
sim=build/host/bin/qel-lcd-sim

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for script in examples/*.qel; do
  name=$(basename "$script" .qel)
  "$sim" --script "$script" --sr "$work/$name.sr" --vcd "$work/$name.vcd" --bytes "$work/$name.txt" --no-term
  grep -v '^# ' "$work/$name.txt" >"$work/$name.bytes"
  awk '{print $2}' "$work/$name.bytes" >"$work/$name.ours"

  for input in sr vcd; do
    sigrok-cli -i "$work/$name.$input" -P spi:clk=sclk:mosi=sdin:cpol=0:cpha=0:wordsize=8 -A spi=mosi-data \
      | awk '{print $2}' >"$work/$name.$input.sigrok"
    if cmp -s "$work/$name.ours" "$work/$name.$input.sigrok"; then
      echo "ok: $name.$input: sigrok-cli's SPI decoder finds our $(wc -l <"$work/$name.ours") bytes"
    else
      echo "FAIL: $name.$input: sigrok-cli's SPI decoder disagrees with our byte log:"
      diff "$work/$name.ours" "$work/$name.$input.sigrok" | head -5
      failed=1
    fi
  done

  sigrok-cli -i "$work/$name.sr" -O vcd -o "$work/$name.export.vcd"
  "$sim" --decode "$work/$name.export.vcd" --bytes "$work/$name.export.bytes" --no-term --strict 2>/dev/null
  if cmp -s "$work/$name.bytes" "$work/$name.export.bytes"; then
    echo "ok: $name: sigrok-cli's VCD export of our session decodes to the same byte log"
  else
    echo "FAIL: $name: sigrok-cli's VCD export of our session decodes differently"
    diff "$work/$name.bytes" "$work/$name.export.bytes" | head -5
    failed=1
  fi

  "$sim" --decode "$work/$name.sr" --png "$work/$name.direct.png" --no-term 2>/dev/null
  sigrok-cli -i "$work/$name.sr" -O vcd |
    "$sim" --decode - --bytes "$work/$name.piped.bytes" --png "$work/$name.piped.png" --no-term --strict 2>/dev/null
  if cmp -s "$work/$name.bytes" "$work/$name.piped.bytes" && cmp -s "$work/$name.direct.png" "$work/$name.piped.png"; then
    echo "ok: $name: sigrok-cli's VCD export piped into --decode - gives the session's byte log and picture"
  else
    echo "FAIL: $name: sigrok-cli's VCD export piped into --decode - decodes differently from the session"
    diff "$work/$name.bytes" "$work/$name.piped.bytes" | head -5
    failed=1
  fi
done
exit "$failed"
