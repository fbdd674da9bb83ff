#!/usr/bin/env bash
# Static analysis stage: the include layering check over the host code, then
# cppcheck and clang-tidy over the module (Application/) and the platform
# stand-ins (platform/). Any finding fails the stage; accepted ones are listed
# with their reasons in scripts/cppcheck-suppressions.txt and .clang-tidy.
set -euo pipefail
cd "$(dirname "$0")/.."

# Layering first: no file may include a header of a layer above its own.
python3 scripts/check-layers.py

scripts/need-packages.sh cppcheck clang-tidy cmake make g++ pkg-config libgtest-dev libpng-dev libgif-dev libcli11-dev libzip-dev libssl-dev

mapfile -t sources < <(find Application platform -name '*.c' -o -name '*.cpp' | sort)

echo "cppcheck: ${sources[*]}"
cppcheck --quiet --error-exitcode=1 --inconclusive --std=c++17 \
  --enable=warning,style,performance,portability \
  --inline-suppr --suppressions-list=scripts/cppcheck-suppressions.txt \
  --template='{file}:{line}: {severity} ({id}): {message}' \
  -I Application -I platform -I platform/host \
  Application platform

# clang-tidy reads the compile commands of the sanitizer build (configured here if
# that stage has not run yet); files that build does not compile are named and skipped.
[ -f build/asan/compile_commands.json ] || cmake --preset asan >/dev/null
tidy_sources=()
for f in "${sources[@]}"; do
  if grep -q "\"file\": \"$PWD/$f\"" build/asan/compile_commands.json; then
    tidy_sources+=("$f")
  else
    echo "clang-tidy: $f is not compiled by the host build; skipped."
  fi
done
echo "clang-tidy: ${tidy_sources[*]}"
clang-tidy --quiet -p build/asan "${tidy_sources[@]}" 2> >(grep -v "warnings generated" >&2)
echo "Static analysis: no findings."
