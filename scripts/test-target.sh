#!/usr/bin/env bash
# Cortex-M3 stage: cross-builds the firmware from the module's own sources, runs it
# under qemu-system-arm, checks that its byte log equals the host's byte for byte,
# and prints the footprint and instruction figures, failing over any budget.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh gcc-arm-none-eabi libnewlib-arm-none-eabi qemu-system-arm python3 cmake make

# Firmware (the arm preset).
cmake --preset arm >/dev/null && cmake --build --preset arm -j 2

# The same scenario on the host (QEL_HOST_BUILD names another host build directory).
host_build=${QEL_HOST_BUILD:-build/host}
if [ -f "$host_build/CMakeCache.txt" ]; then
  cmake "$host_build" >/dev/null
else
  cmake --preset host >/dev/null
fi
cmake --build "$host_build" --target qel-scenario-bytes -j 2 >/dev/null

firmware_log=build/arm/firmware-bytes.log
host_log=build/arm/host-bytes.log
rm -f "$firmware_log"
status=0
timeout 120 qemu-system-arm -M mps2-an385 -cpu cortex-m3 -nographic -monitor none -serial none \
  -semihosting-config enable=on,target=native,chardev=out -chardev "file,id=out,path=$firmware_log" \
  -kernel build/arm/target/qel-firmware.elf || status=$?
if [ "$status" -eq 124 ]; then
  echo "The firmware did not finish within 120 seconds under qemu." >&2
  exit 1
elif [ "$status" -ne 0 ]; then
  echo "The firmware exited with status $status under qemu." >&2
  grep '^!' "$firmware_log" >&2 || true
  exit 1
fi
"$host_build/tests/target/qel-scenario-bytes" >"$host_log"
if ! cmp -s "$firmware_log" "$host_log"; then
  echo "The firmware's byte log '$firmware_log' differs from the host's '$host_log':" >&2
  diff "$host_log" "$firmware_log" | head -20 >&2
  exit 1
fi
echo "Byte logs of firmware and host are equal: $(grep -c '^# ' "$host_log") calls, $(grep -vc '^# ' "$host_log") bytes."

(cmake --build --preset arm --target footprint && cmake --build --preset arm --target insn-cost) |
  grep -v -e '^\[' -e '^Built target' -e 'make\['
