#!/usr/bin/env bash
# Runs Debian's chromium headless on one page, isolated: a fresh profile, no
# first-run or background work, and every host name resolving to nothing, so
# no traffic leaves the machine. The browser's log (console messages included)
# goes to standard error; extra arguments (--screenshot=..., --dump-dom, ...)
# are passed on.
# Usage: scripts/chromium-headless.sh URL [CHROMIUM-ARGUMENT...]
set -euo pipefail
url=$1
shift
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --host-resolver-rules='MAP * ~NOTFOUND' \
  --hide-scrollbars --force-device-scale-factor=1 --window-size=1200,1500 \
  --enable-logging=stderr --v=0 "$@" "$url"
