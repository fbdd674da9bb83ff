#!/usr/bin/env bash
# Set-up and everyday commands for a fresh machine.
#   ./dev.sh demo   build the simulator and run it on its built-in demo screen
#   ./dev.sh test   build everything and run every test stage
set -euo pipefail
cd "$(dirname "$0")"

host_packages=(cmake make g++ pkg-config libgtest-dev libbenchmark-dev libpng-dev libgif-dev libcli11-dev libzip-dev libssl-dev)

build_host() {
  scripts/need-packages.sh "${host_packages[@]}"
  cmake --preset host >/dev/null
  cmake --build --preset host -j "$(nproc)"
}

case "${1:-}" in
  demo)
    build_host
    build/host/bin/qel-lcd-sim "${@:2}"
    ;;
  test)
    build_host
    ctest --preset host -j "$(nproc)"
    passed=1
    # Further stages (fuzzing, sanitizers, static analysis, target), in name order.
    for stage in scripts/test-*.sh; do
      [ -e "$stage" ] || continue
      echo "== ${stage} =="
      bash "$stage"
      passed=$((passed + 1))
    done
    # Every stage above stops the run on failure, so reaching here means all passed.
    echo "stages: ${passed} passed, 0 failed"
    ;;
  *)
    echo "usage: ./dev.sh demo|test" >&2
    exit 2
    ;;
esac
