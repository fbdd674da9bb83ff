#!/usr/bin/env bash
# Sanitizer stage: builds the module, the host stand-in, the emulator, the tools and
# the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer (asan
# preset; any report aborts its test) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh cmake make g++ pkg-config libgtest-dev libpng-dev libgif-dev libcli11-dev libzip-dev libssl-dev

cmake --preset asan >/dev/null
cmake --build --preset asan -j 2
ctest --preset asan -j 2
