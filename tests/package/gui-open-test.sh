#!/usr/bin/env bash
# tavren gui --open runs TAVREN_BROWSER with the printed address; with no display and no
# TAVREN_BROWSER it only prints where the page is.
#   gui-open-test.sh TAVREN
set -euo pipefail
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavren-open-XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$tmp"' EXIT
printf '#!/bin/sh\necho "$@" >"%s/opened"\n' "$tmp" >"$tmp/browser" && chmod +x "$tmp/browser"
TAVREN_BROWSER=$tmp/browser "$1" gui --port 0 --open --no-machine >"$tmp/with" 2>&1 &
env -u DISPLAY -u WAYLAND_DISPLAY -u TAVREN_BROWSER "$1" gui --port 0 --open --no-machine >"$tmp/without" 2>&1 &
for _ in $(seq 100); do [ -s "$tmp/opened" ] && grep -q 'yourself' "$tmp/without" && break; sleep 0.1; done
address=$(sed -n 's/^Tavren is at //p' "$tmp/with")
[ -n "$address" ] && [ "$(cat "$tmp/opened")" = "$address" ] || { cat "$tmp/with" "$tmp/opened"; exit 1; }
grep -q '^Tavren is at http://127.0.0.1:[0-9]*/?token=' "$tmp/without" || { cat "$tmp/without"; exit 1; }
