#!/usr/bin/env bash
# The project as a user takes it, in temporary folders outside the source tree:
# install into a prefix, build and run the worked example against that prefix
# only, build a one-file C program with pkg-config, take the project in through
# FetchContent, and build the Debian package and list its contents.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/need-packages.sh cmake make g++ pkg-config libgtest-dev libpng-dev libgif-dev libcli11-dev libzip-dev dpkg
work=$(mktemp -d "${TMPDIR:-/tmp}/qel-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "test-package: $*" >&2; exit 1; }

# 1. Install the host build into a temporary prefix.
[ -f build/host/CMakeCache.txt ] || cmake --preset host >/dev/null
cmake --build --preset host -j2 --target qel_panel qel-lcd-sim >/dev/null
prefix=$work/prefix
cmake --install build/host --prefix "$prefix" >/dev/null
for f in bin/qel-lcd-sim include/QEL_LCD.h include/qel_panel.h lib/libqel_lcd_panel.a \
         lib/cmake/QEL_LCD/QEL_LCDConfig.cmake lib/pkgconfig/qel-lcd-panel.pc share/doc/qel-lcd/copyright; do
  [ -e "$prefix/$f" ] || fail "'$f' is not installed."
done
[ ! -e "$prefix/include/ti" ] || fail "the host PIN stand-in's header must not be installed."
"$prefix/bin/qel-lcd-sim" --version

# 2. The worked example, against the prefix only.
cmake -S examples/firmware-on-pc -B "$work/example" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
grep -qx "QEL_LCD_DIR:PATH=$prefix/lib/cmake/QEL_LCD" "$work/example/CMakeCache.txt" ||
  fail "the example found QEL_LCD outside the temporary prefix."
cmake --build "$work/example" -j2 >/dev/null
ctest --test-dir "$work/example" --output-on-failure

# 3. A one-file C program built with pkg-config.
cat >"$work/hello.c" <<'C'
#include <stdio.h>
#include <string.h>
#include "QEL_LCD.h"
#include "qel_panel.h"
int main(void) {
  char text[32];
  qel_panel_reset(NULL);
  QEL_LCD_Init();
  QEL_LCD_WriteString((const QEL_C *)"Hello", QEL_LCD_LINE1);
  qel_panel_line_text(1, text, sizeof text);
  printf("line 1: %s\n", text);
  return strcmp(text, "Hello") == 0 && qel_panel_note_count() == 0 ? 0 : 1;
}
C
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
# shellcheck disable=SC2046  # pkg-config's flags are meant to split
cc -std=c99 -Wall -Wextra -o "$work/hello" "$work/hello.c" $(pkg-config --cflags --libs qel-lcd-panel)
"$work/hello"

# 4. The same targets through FetchContent (and so add_subdirectory).
mkdir -p "$work/fetch"
cat >"$work/fetch/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(fetch_user LANGUAGES C CXX)
include(FetchContent)
FetchContent_Declare(QEL_LCD SOURCE_DIR "$root")
FetchContent_MakeAvailable(QEL_LCD)
add_executable(hello "$work/hello.c")
target_link_libraries(hello PRIVATE QEL_LCD::panel)
add_library(firmware_display STATIC "$root/examples/firmware-on-pc/display_app.c")
target_link_libraries(firmware_display PRIVATE QEL_LCD::module)
# A firmware brings its platform's PIN header; here the repository's host stand-in plays that part.
target_include_directories(firmware_display PRIVATE "$root/platform")
CMAKE
cmake -S "$work/fetch" -B "$work/fetch/build" >/dev/null
cmake --build "$work/fetch/build" -j2 --target hello firmware_display >/dev/null
"$work/fetch/build/hello"
# QEL_LCD::module brought the module's own source into the firmware's library.
ar t "$work/fetch/build/libfirmware_display.a" | grep -qx 'QEL_LCD.cpp.o' ||
  fail "QEL_LCD::module does not bring the module's source."

# 5. The Debian package and its contents.
(cd "$work" && cpack --config "$root/build/host/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
dpkg-deb -f "$deb" Package Version Architecture Depends
dpkg-deb -c "$deb" | awk '{print $6}' | tee "$work/deb-contents.txt"
for f in ./usr/bin/qel-lcd-sim ./usr/include/qel_panel.h ./usr/include/QEL_LCD.h ./usr/lib/libqel_lcd_panel.a \
         ./usr/share/doc/qel-lcd/copyright ./usr/lib/pkgconfig/qel-lcd-panel.pc; do
  grep -qx "$f" "$work/deb-contents.txt" || fail "the package lacks '$f'."
done
! grep -q '/ti/' "$work/deb-contents.txt" || fail "the package must not carry ti/drivers/PIN.h."
echo "package stage: install, example, pkg-config, FetchContent and .deb all fine"
