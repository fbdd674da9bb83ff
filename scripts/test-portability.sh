#!/usr/bin/env bash
# Portability stage: the module compiles without a single warning
# (-Wall -Wextra -Wpedantic -Werror) with GCC and with Clang, for the host and for
# the Cortex-M3 (arm-none-eabi-gcc, and clang --target=arm-none-eabi with
# newlib's headers), in each language standard a firmware project may use.
#
# What "builds as" means for each standard:
# - C++98, C++11, C++17, C++20: the source, QEL_LCD.cpp, compiled as C++ (for the
#   Cortex-M3 without a C++ library, as the target build does).
# - C99, C11: the module is meant to be called from C, so the header is compiled
#   by a C unit that calls all five operations (tests/module/c_api_calls.c). The
#   source is valid C as well, and is compiled as C too (-x c).
# On the host every source build is made twice: with QEL_LCD_SIMULATED_DELAY and
# QEL_LCD_HOST_CALLS, as the host builds it, and with the counted busy-wait and no
# call reports, as the target runs it.
# Only object files are made; the target stage links and runs the firmware.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh gcc g++ clang gcc-arm-none-eabi libnewlib-arm-none-eabi

warnings=(-Wall -Wextra -Wpedantic -Werror)
includes=(-IApplication -Iplatform)
cortex_m3=(-mcpu=cortex-m3 -mthumb -Os)
newlib=/usr/lib/arm-none-eabi/include
no_cxx_library=(-nostdinc++ -fno-exceptions -fno-rtti)

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

builds=0
failed=0
# build NAME COMPILER-AND-FLAGS...: one object file; its messages are shown on failure.
build() {
  local name=$1
  shift
  builds=$((builds + 1))
  if ! "$@" "${warnings[@]}" "${includes[@]}" -o "$out/unit.o" >"$out/messages" 2>&1; then
    failed=$((failed + 1))
    echo "FAILED: $name: $*" >&2
    head -20 "$out/messages" >&2
  fi
}

c_unit=tests/module/c_api_calls.c
source=Application/QEL_LCD.cpp

for cc in gcc clang; do
  for std in c99 c11; do
    build "host $cc $std, header" "$cc" -std=$std -c "$c_unit"
    build "host $cc $std, source" "$cc" -std=$std -x c -c "$source"
    build "host $cc $std, source, simulated delay" "$cc" -std=$std -DQEL_LCD_SIMULATED_DELAY -DQEL_LCD_HOST_CALLS -x c -c "$source"
  done
done
for cxx in g++ clang++; do
  for std in c++98 c++11 c++17 c++20; do
    build "host $cxx $std, source" "$cxx" -std=$std -c "$source"
    build "host $cxx $std, source, simulated delay" "$cxx" -std=$std -DQEL_LCD_SIMULATED_DELAY -DQEL_LCD_HOST_CALLS -c "$source"
  done
done

arm_gcc=(arm-none-eabi-gcc "${cortex_m3[@]}")
arm_gxx=(arm-none-eabi-g++ "${cortex_m3[@]}" "${no_cxx_library[@]}")
arm_clang=(clang --target=arm-none-eabi "${cortex_m3[@]}" -isystem "$newlib")
arm_clangxx=(clang++ --target=arm-none-eabi "${cortex_m3[@]}" "${no_cxx_library[@]}" -isystem "$newlib")
for std in c99 c11; do
  build "Cortex-M3 gcc $std, header" "${arm_gcc[@]}" -std=$std -c "$c_unit"
  build "Cortex-M3 gcc $std, source" "${arm_gcc[@]}" -std=$std -x c -c "$source"
  build "Cortex-M3 clang $std, header" "${arm_clang[@]}" -std=$std -c "$c_unit"
  build "Cortex-M3 clang $std, source" "${arm_clang[@]}" -std=$std -x c -c "$source"
done
for std in c++98 c++11 c++17 c++20; do
  build "Cortex-M3 g++ $std, source" "${arm_gxx[@]}" -std=$std -c "$source"
  build "Cortex-M3 clang++ $std, source" "${arm_clangxx[@]}" -std=$std -c "$source"
done

if [ "$failed" -ne 0 ]; then
  echo "Portability: $failed of $builds builds of the module failed or warned." >&2
  exit 1
fi
echo "Portability: all $builds builds of the module are warning-free (C99, C11, C++98 to C++20; GCC and Clang; host and Cortex-M3)."
