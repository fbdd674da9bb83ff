#!/usr/bin/env bash
# Makes docs/report.png, the README's picture of a report: the report of
# examples/build-up.qel opened at one frame in headless chromium, as the report
# stage opens it. Run it again after changing the report's look.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/need-packages.sh chromium
cmake --build --preset host -j 2 --target qel-lcd-sim >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/host/bin/qel-lcd-sim --script examples/build-up.qel --report "$work/build-up.html" --no-term
mkdir -p docs
scripts/chromium-headless.sh "file://$work/build-up.html#frame-7" --screenshot="$(pwd)/docs/report.png" \
  --window-size=1100,1450 2>/dev/null >/dev/null
echo "Wrote docs/report.png"
