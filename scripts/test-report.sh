#!/usr/bin/env bash
# Report stage: opens the demo's HTML report in a real browser (headless
# chromium from Debian) and checks what a reader would see:
#  - the page logs nothing to the console (no error, no blocked load) and makes
#    no network request: the browser's network log holds no request started by
#    a page;
#  - the screenshot shows the final panel exactly as the PNG shows it;
#  - opened at #frame-3, the page's script selects frame 3: the DOM (after the
#    script ran) shows its call, and the screenshot shows frame 3's picture;
#  - the page's Content-Security-Policy allows its own script (by hash) and no
#    other: the report with one more inline script added runs its own script
#    but not the added one.
# First the checks are run on a page that breaks each rule, so a check that
# cannot fail is caught (for the policy: the added script does run once the
# policy is taken out).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/need-packages.sh chromium cmake make g++ pkg-config libpng-dev libgif-dev libcli11-dev libgtest-dev libzip-dev \
  libssl-dev
cmake --preset host >/dev/null
cmake --build --preset host -j 2 --target qel-lcd-sim panel_probe kit_failing_report >/dev/null

work=$(pwd)/build/host/report-test
rm -rf "$work"
mkdir -p "$work"
sim=build/host/bin/qel-lcd-sim
probe=build/host/tests/view/panel_probe

# The demo's report, its final picture, and the picture after its third call.
"$sim" --report "$work/demo.html" --png "$work/demo-4x.png" --no-term 2>/dev/null
"$sim" --png "$work/final.png" --scale 1 --no-term 2>/dev/null
"$sim" -e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString((const QEL_C *)"== QEL LCD STATUS ==", QEL_LCD_LINE0)' \
  -e 'QEL_LCD_WriteString("Sensor: ready (OK!)", QEL_LCD_LINE1)' --png "$work/frame3.png" --scale 1 --no-term

fail() {
  echo "report stage: $*" >&2
  exit 1
}

# console_messages LOG: the console lines chromium logged.
console_messages() { grep -E ':CONSOLE(:[0-9]+)?\]' "$1" || true; }
# page_requests NETLOG: URLs of requests that a page started (the browser's own
# have no page origin).
page_requests() {
  python3 - "$1" <<'PY'
import json, sys
for e in json.load(open(sys.argv[1]))["events"]:
    p = e.get("params", {})
    if "url" in p and "initiator" in p and p["initiator"] != "not an origin":
        print(p["url"])
PY
}

# open_page URL NAME: screenshot, DOM, console log and network log of the page.
open_page() {
  scripts/chromium-headless.sh "$1" --screenshot="$work/$2.png" --log-net-log="$work/$2-net.json" \
    2>"$work/$2-shot.log" >/dev/null
  scripts/chromium-headless.sh "$1" --dump-dom >"$work/$2.dom.html" 2>"$work/$2-dom.log"
}

# The checks on a page that breaks them: a console message and a load from elsewhere.
cat >"$work/broken.html" <<'HTML'
<!DOCTYPE html><html><body><img src="http://127.0.0.1:9/x.png"><script>console.error("broken");</script></body></html>
HTML
open_page "file://$work/broken.html" broken
[ -n "$(console_messages "$work/broken-shot.log")" ] || fail "the console check does not see a console error."
[ -n "$(page_requests "$work/broken-net.json")" ] || fail "the network check does not see a request."

# page_is_clean NAME WHAT: the page opened as NAME logged nothing and fetched nothing.
page_is_clean() {
  local messages requests
  messages=$(console_messages "$work/$1-shot.log")
  [ -z "$messages" ] || fail "$2 logged to the console: $messages"
  requests=$(page_requests "$work/$1-net.json")
  [ -z "$requests" ] || fail "$2 made network requests: $requests"
}

# The demo's report at frame 3.
open_page "file://$work/demo.html#frame-3" demo
page_is_clean demo "the report"

"$probe" "$work/demo.png" 0 "$work/final.png" || fail "the final panel in the screenshot is not the demo's picture."
"$probe" "$work/demo.png" 1 "$work/frame3.png" || fail "the selected frame in the screenshot is not frame 3."

python3 - "$work/demo.dom.html" <<'PY' || fail "the DOM does not show frame 3 selected."
import re, sys
dom = open(sys.argv[1], encoding="utf-8").read()
call = 'QEL_LCD_WriteString("Sensor: ready (OK!)", QEL_LCD_LINE1);'
shown = re.search(r'<span id="selected-subject">([^<]*)</span>', dom)
status = re.search(r'<span id="player-status">([^<]*)</span>', dom)
assert shown and shown.group(1).replace("&quot;", '"') == call, shown and shown.group(1)
assert status and status.group(1) == "Frame 3 of 10", status and status.group(1)
articles = re.findall(r'<article class="frame" id="frame-(\d+)"([^>]*)>', dom)
visible = [n for n, attrs in articles if "hidden" not in attrs]
assert len(articles) == 10 and visible == ["3"], (len(articles), visible)
print("DOM: frame 3 of 10 selected, its call shown; the other frames hidden")
PY
# An inline script slipped into the report (as an escaping mistake would let
# one in) must not run: the policy lists only the report's own script's hash.
# Without the policy the same script runs, so the check can fail.
python3 - "$work/demo.html" "$work" <<'PY'
import re, sys
page = open(sys.argv[1], encoding="utf-8").read()
injected = '<script>document.body.setAttribute("data-injected", "ran");</script>\n</body>'
with_policy = page.replace("</body>", injected, 1)
open(sys.argv[2] + "/injected.html", "w", encoding="utf-8").write(with_policy)
without = re.sub(r'<meta http-equiv="Content-Security-Policy"[^>]*>', "", with_policy, count=1)
assert without != with_policy
open(sys.argv[2] + "/no-policy.html", "w", encoding="utf-8").write(without)
PY
injected_ran() { grep -q 'data-injected="ran"' "$1"; }
scripts/chromium-headless.sh "file://$work/no-policy.html" --dump-dom >"$work/no-policy.dom.html" 2>/dev/null
injected_ran "$work/no-policy.dom.html" || fail "the policy check does not see an added script run without the policy."
scripts/chromium-headless.sh "file://$work/injected.html#frame-3" --dump-dom >"$work/injected.dom.html" 2>/dev/null
if injected_ran "$work/injected.dom.html"; then fail "an inline script added to the report ran: the policy let it in."; fi
grep -q '<span id="player-status">Frame 3 of 10</span>' "$work/injected.dom.html" ||
  fail "with a script added, the report's own script did not run."
echo "policy: the report's own script runs, an added inline script is blocked"


# A kit test that fails writes a report of what it drew; it opens the same way.
if QEL_KIT_REPORT="$work/kit.html" build/host/tests/kit/kit_failing_report >"$work/kit-test.log" 2>&1; then
  fail "the failing kit test passed."
fi
[ -s "$work/kit.html" ] || fail "the failing kit test wrote no report."
"$sim" -e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString("== QEL LCD STATUS ==", 0)' \
  -e 'QEL_LCD_WriteString("Sensor: ready (OK!)", 1)' --png "$work/kit-final.png" --scale 1 --no-term
open_page "file://$work/kit.html#frame-3" kit
page_is_clean kit "the kit's report"
"$probe" "$work/kit.png" 0 "$work/kit-final.png" || fail "the final panel of the kit's report is not the test's."
python3 - "$work/kit.dom.html" <<'PY' || fail "the DOM of the kit's report does not show frame 3 of 3."
import re, sys
dom = open(sys.argv[1], encoding="utf-8").read()
status = re.search(r'<span id="player-status">([^<]*)</span>', dom)
assert status and status.group(1) == "Frame 3 of 3", status and status.group(1)
shown = re.search(r'<span id="selected-subject">([^<]*)</span>', dom)
assert shown and "Sensor: ready (OK!)" in shown.group(1).replace("&quot;", '"'), shown and shown.group(1)
print("DOM: the kit's report shows frame 3 of 3, the test's last call")
PY
echo "report stage: console clean, no network request, panel and frame 3 seen in the browser, inline scripts allowed by hash only; a failing kit test's report too"
