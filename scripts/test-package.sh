#!/usr/bin/env bash
# The project as a user takes it, in temporary folders outside the source tree.
#  1. The package preset (Release: the kit and qel-lcd-sim) installed into a prefix.
#  2. The worked example against that prefix only: its plain C test (also under
#     valgrind, which must find every block freed), its GoogleTest test and its
#     CppUTest test with CppUTest's leak detector on.
#  3. CppUTest's leak detector is really on: a test that leaves the panel open is
#     reported as a leak, the same test closing it is clean.
#  4. A C-only CMake project (project(x C)) linking QEL_LCD::panel, and a one-file
#     C program built with pkg-config.
#  5. The same targets through FetchContent.
#  6. The Debian package: its contents (stripped program, man page, README), then
#     its dependencies. Each library that qel-lcd-sim needs directly must belong to
#     a package it declares (ldd, then dpkg -S). Then, as root, the package is
#     unpacked (dpkg-deb -x) into a fresh root that holds nothing but the shared
#     libraries of its declared dependencies and of theirs, taken from this
#     machine's installed packages, and qel-lcd-sim --version runs there under
#     chroot, so a missing dependency fails as on a user's machine (status 127).
#     Without root, only the ldd check is made, and the script says so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS

scripts/need-packages.sh cmake make g++ pkg-config libgtest-dev libpng-dev libgif-dev libcli11-dev libzip-dev libssl-dev \
  dpkg dpkg-dev binutils help2man libcpputest-dev valgrind
work=$(mktemp -d "${TMPDIR:-/tmp}/qel-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "test-package: $*" >&2; exit 1; }
step() { echo "== $* ($((SECONDS - started)) s)"; }

# 1. The package preset, installed into a temporary prefix.
step "package preset: build and install"
cmake --preset package >/dev/null
cmake --build --preset package -j2 >/dev/null
prefix=$work/prefix
cmake --install build/package --prefix "$prefix" >/dev/null
for f in bin/qel-lcd-sim include/QEL_LCD.h include/qel_panel.h include/qel_panel.hpp lib/libqel_lcd_panel.a \
         lib/cmake/QEL_LCD/QEL_LCDConfig.cmake lib/pkgconfig/qel-lcd-panel.pc share/doc/qel-lcd/copyright \
         share/doc/qel-lcd/README.md share/man/man1/qel-lcd-sim.1.gz; do
  [ -e "$prefix/$f" ] || fail "'$f' is not installed."
done
[ ! -e "$prefix/include/ti" ] || fail "the host PIN stand-in's header must not be installed."
"$prefix/bin/qel-lcd-sim" --version

# 2. The worked example, against the prefix only, with all three frameworks.
step "example: plain C, GoogleTest, CppUTest"
cmake -S examples/firmware-on-pc -B "$work/example" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
grep -qx "QEL_LCD_DIR:PATH=$prefix/lib/cmake/QEL_LCD" "$work/example/CMakeCache.txt" ||
  fail "the example found QEL_LCD outside the temporary prefix."
cmake --build "$work/example" -j2 >/dev/null
ctest --test-dir "$work/example" -N >"$work/example-tests.txt"
for t in display_app_c display_app_cpputest DisplayApp.StatusScreenShowsEveryValue; do
  grep -q " $t\$" "$work/example-tests.txt" || fail "the example has no test '$t'."
done
ctest --test-dir "$work/example" --output-on-failure >"$work/example-run.txt" 2>&1 ||
  { cat "$work/example-run.txt"; fail "the example's tests failed."; }
tail -n 3 "$work/example-run.txt"
"$work/example/test_display_app_cpputest" -v >"$work/cpputest.txt" 2>&1 || { cat "$work/cpputest.txt"; fail "CppUTest test failed."; }
! grep -q "Memory leak" "$work/cpputest.txt" || fail "CppUTest found memory leaks in the example."
(cd "$work/example" && valgrind -q --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
   --error-exitcode=3 ./test_display_app) || fail "valgrind found the plain C example leaking or at fault."

# 3. CppUTest's leak detector sees the kit: a panel left open is a leak, a closed one is not.
step "CppUTest leak detector"
cat >"$work/leak_check.cpp" <<'CPP'
#include "QEL_LCD.h"
#include "qel_panel.h"
#include "CppUTest/CommandLineTestRunner.h"
#include "CppUTest/TestHarness.h"
TEST_GROUP(Panel) {
  void teardown() override {
#ifdef CLOSE_PANEL
    qel_panel_close();
#endif
  }
};
TEST(Panel, ShowsText) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  QEL_LCD_WriteString((const QEL_C*)"Hello", QEL_LCD_LINE1);
  char text[32];
  qel_panel_line_text(1, text, sizeof text);
  STRCMP_EQUAL("Hello", text);
}
int main(int argc, char** argv) { return CommandLineTestRunner::RunAllTests(argc, argv); }
CPP
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
for close in 0 1; do
  defines=""
  [ "$close" -eq 1 ] && defines="-DCLOSE_PANEL"
  # shellcheck disable=SC2046,SC2086  # pkg-config's flags are meant to split
  g++ -std=c++17 $defines -o "$work/leak_check_$close" "$work/leak_check.cpp" \
      $(pkg-config --cflags --libs qel-lcd-panel cpputest)
done
if "$work/leak_check_0" >"$work/leak0.txt" 2>&1 || ! grep -q "Memory leak(s) found" "$work/leak0.txt"; then
  cat "$work/leak0.txt"; fail "CppUTest did not report the panel left open: its leak detector is not watching the kit."
fi
"$work/leak_check_1" >"$work/leak1.txt" 2>&1 || { cat "$work/leak1.txt"; fail "CppUTest found leaks after qel_panel_close."; }

# 4. A C-only CMake project, and a one-file C program built with pkg-config.
step "C-only CMake project and pkg-config"
cat >"$work/hello.c" <<'C'
#include <stdio.h>
#include <string.h>
#include "QEL_LCD.h"
#include "qel_panel.h"
int main(void) {
  char text[32];
  int ok;
  qel_panel_reset(NULL);
  QEL_LCD_Init();
  QEL_LCD_WriteString((const QEL_C *)"Hello", QEL_LCD_LINE1);
  qel_panel_line_text(1, text, sizeof text);
  printf("line 1: %s\n", text);
  ok = strcmp(text, "Hello") == 0 && qel_panel_note_count() == 0;
  qel_panel_close();
  return ok ? 0 : 1;
}
C
mkdir -p "$work/c-only"
cat >"$work/c-only/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(c_only LANGUAGES C)
find_package(QEL_LCD 1.1 CONFIG REQUIRED)
add_executable(hello "$work/hello.c")
target_link_libraries(hello PRIVATE QEL_LCD::panel)
CMAKE
cmake -S "$work/c-only" -B "$work/c-only/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/c-only/build" >"$work/c-only.log" 2>&1 || { tail -n 20 "$work/c-only.log"; fail "a C-only CMake project cannot link QEL_LCD::panel."; }
"$work/c-only/build/hello"
# shellcheck disable=SC2046  # pkg-config's flags are meant to split
cc -std=c99 -Wall -Wextra -o "$work/hello" "$work/hello.c" $(pkg-config --cflags --libs qel-lcd-panel)
"$work/hello"

# 5. The same targets through FetchContent (and so add_subdirectory). The kit is
# then built from source, so the project enables C++ as well.
step "FetchContent"
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
grep -qx 'QEL_LCD.cpp.o' <<<"$(ar t "$work/fetch/build/libfirmware_display.a")" ||
  fail "QEL_LCD::module does not bring the module's source."

# 6. The Debian package: contents, then dependencies.
step "Debian package"
cpack --preset deb -B "$work/deb" >/dev/null
deb=$(ls "$work"/deb/*.deb)
dpkg-deb -f "$deb" Package Version Architecture Installed-Size Depends
echo "package size: $(stat -c %s "$deb") bytes"
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/deb-contents.txt"
for f in ./usr/bin/qel-lcd-sim ./usr/include/qel_panel.h ./usr/include/qel_panel.hpp ./usr/include/QEL_LCD.h \
         ./usr/lib/libqel_lcd_panel.a ./usr/share/doc/qel-lcd/copyright ./usr/share/doc/qel-lcd/README.md \
         ./usr/lib/pkgconfig/qel-lcd-panel.pc ./usr/share/man/man1/qel-lcd-sim.1.gz; do
  grep -qx "$f" "$work/deb-contents.txt" || fail "the package lacks '$f'."
done
! grep -q '/ti/' "$work/deb-contents.txt" || fail "the package must not carry ti/drivers/PIN.h."

fresh=$work/root
dpkg-deb -x "$deb" "$fresh"
sim=$fresh/usr/bin/qel-lcd-sim
! grep -qE '\.(symtab|debug_info)' <<<"$(readelf -S "$sim")" || fail "qel-lcd-sim in the package is not stripped."
! grep -q '\.debug_info' <<<"$(readelf -S "$fresh/usr/lib/libqel_lcd_panel.a")" ||
  fail "the kit's library in the package carries debug information."
grep -qF -- '\fB\-\-script\fR FILE' <<<"$(zcat "$fresh/usr/share/man/man1/qel-lcd-sim.1.gz")" ||
  fail "the man page does not list qel-lcd-sim's options."

# Declared dependencies by name: versions and architecture qualifiers dropped.
declared=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n' | sed 's/([^)]*)//; s/:[a-z0-9]*//; s/ //g' | grep -v '^$' | sort -u)

# The installed package that is `name`, or provides it (virtual packages such as
# libstdc++-dev); nothing when none is installed.
installed_as() {
  if [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; then echo "$1"; return; fi
  local provides
  provides=$(dpkg-query -W -f='${Package} ${Provides}\n' 2>/dev/null)
  awk -v want="$1" '{ for (i = 2; i <= NF; i++) { p = $i; sub(/,$/, "", p); if (p == want) { print $1; exit } } }' \
    <<<"$provides"
}

# The installed package that holds `path`, under any of its names (/lib is /usr/lib
# on a merged /usr, and dpkg knows each file by the name its package gave it).
owner_of() {
  local real c out
  real=$(readlink -f "$1")
  for c in "$1" "$real" "${1#/usr}" "${real#/usr}" "/usr$1" "/usr$real"; do
    out=$(dpkg -S "$c" 2>/dev/null) || continue
    echo "${out%%:*}"  # "package:arch: path" on the first line
    return
  done
}

# Each library qel-lcd-sim needs directly must come from a declared package.
while read -r lib; do
  path=$(ldd "$sim" | awk -v lib="$lib" '$1 == lib { print $3 }')
  if [ -z "$path" ] || [ "$path" = "not" ]; then fail "qel-lcd-sim needs '$lib', which this machine lacks."; fi
  owner=$(owner_of "$path")
  [ -n "$owner" ] || fail "no installed package holds '$path', which qel-lcd-sim needs."
  grep -qx "$owner" <<<"$declared" || fail "qel-lcd-sim needs '$lib' from package '$owner', which the package does not declare."
done < <(readelf -d "$sim" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

if [ "$(id -u)" -eq 0 ]; then
  # The declared dependencies and theirs, as installed here.
  mapfile -t queue <<<"$declared"
  declare -A seen=()
  closure=()
  while [ ${#queue[@]} -gt 0 ]; do
    name=${queue[0]}
    queue=("${queue[@]:1}")
    pkg=$(installed_as "$name")
    [ -n "$pkg" ] || fail "declared dependency '$name' is not installed here, so the fresh root cannot be made."
    [ -z "${seen[$pkg]:-}" ] || continue
    seen[$pkg]=1
    closure+=("$pkg")
    # Of alternatives (a | b), the first that is installed.
    fields=$(dpkg-query -W -f='${Depends}, ${Pre-Depends}' "$pkg")
    while IFS= read -r alternatives; do
      for a in ${alternatives//|/ }; do
        if [ -n "$(installed_as "$a")" ]; then queue+=("$a"); break; fi
      done
    done < <(tr ',' '\n' <<<"$fields" | sed 's/([^)]*)//g; s/:[a-z0-9]*//g')
  done
  # Their shared libraries and the dynamic loader, in the fresh root beside the unpacked package.
  for d in lib lib64; do  # a merged /usr, as here
    if [ -L "/$d" ]; then mkdir -p "$fresh/usr/$d" && ln -sfn "usr/$d" "$fresh/$d"; fi
  done
  for pkg in "${closure[@]}"; do
    while read -r f; do
      if [ -e "$f" ] || [ -L "$f" ]; then mkdir -p "$fresh${f%/*}" && cp -a "$f" "$fresh$f"; fi
    done < <(dpkg -L "$pkg" | grep -E '/lib[^/]*\.so(\.[0-9.]+)?$|/ld-linux[^/]*$' || true)
  done
  echo "fresh root: qel-lcd and the shared libraries of ${#closure[@]} packages (its dependencies and theirs)"
  chroot "$fresh" /usr/bin/qel-lcd-sim --version ||
    fail "qel-lcd-sim does not start with only its declared dependencies (status $?)."
else
  echo "not root: the fresh-root run of qel-lcd-sim is left out; only the ldd check above was made."
fi
step "package stage: install, example (C, GoogleTest, CppUTest), leak checks, C-only project, pkg-config, FetchContent and .deb all fine"
