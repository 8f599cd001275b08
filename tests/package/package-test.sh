#!/usr/bin/env bash
# The Debian package as a person gets it: made by cpack into a temporary folder, its files, the
# program run from the unpacked tree with no variable pointing anywhere, its desktop files, lintian.
#   package-test.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=$1 corpus=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavren-package-XXXXXX")
gui=0
trap '[ "$gui" = 0 ] || kill "$gui" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail cpack; }
deb=$(echo "$tmp"/out/tavren_*.deb)
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' >"$tmp/list"
for f in /usr/bin/tavren /usr/lib/tavren/{libTavren.so,libTavrenJ.so,libQuorvel.so,libplatform.so,quorvel-machine} \
  /usr/share/tavren/web/index.html /usr/share/tavren/demo/pc/Designs/Bean.qef /usr/share/applications/tavren.desktop \
  /usr/share/thumbnailers/tavren.thumbnailer /usr/share/mime/packages/tavren-designs.xml \
  /usr/share/icons/hicolor/48x48/apps/tavren.png /usr/share/man/man1/tavren.1.gz /usr/share/doc/tavren/copyright; do
  grep -qxF "$f" "$tmp/list" || fail "$f is not in the package"
done
! grep -E 'test|gtest|bench|fuzz|\.a$|include/' "$tmp/list" || fail "the package holds what only the build needs"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libpng16 libcpp-httplib; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends ($depends) lacks $lib"
done

dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root
readelf -d "$root/usr/bin/tavren" | grep -qF 'runpath: [$ORIGIN/../lib/tavren]' || fail "tavren's run path"
for f in "$root"/usr/lib/tavren/*; do
  ! readelf -d "$f" | grep -i 'runpath\|rpath' | grep -v '\[\$ORIGIN\]' || fail "$f's run path"
done
bare=(env -u TAVREN_SOURCE_DIR -u TAVREN_WEB_DIR -u TAVREN_BIN_DIR -u LD_LIBRARY_PATH -u TAVREN_DRIVES -u TAVREN_BROWSER)
run() { "${bare[@]}" "$root/usr/bin/tavren" "$@"; }
[ "$(run --version)" = "tavren $(dpkg-deb -f "$deb" Version)" ] || fail "--version says $(run --version)"
run info "$corpus/Star.DST" >"$tmp/info" || fail "info: $(cat "$tmp/info")"
run convert "$corpus/Star.DST" -o "$tmp/star.qef" >/dev/null && run info "$tmp/star.qef" >/dev/null || fail convert
run machine --help | grep -q '^usage: quorvel-machine' || fail "tavren machine does not find quorvel-machine"
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]; }

# The desktop files: valid, naming what the package holds, the thumbnailer's command run as a file
# manager runs it. (desktop-file-validate refuses the thumbnailer's group: its keys are checked here.)
desktop-file-validate "$root/usr/share/applications/tavren.desktop" || fail "desktop entry"
grep -qx 'Exec=tavren gui --open' "$root/usr/share/applications/tavren.desktop" || fail "desktop entry's Exec"
thumbnailer=$root/usr/share/thumbnailers/tavren.thumbnailer
grep -qx 'TryExec=/usr/bin/tavren' "$thumbnailer" || fail "thumbnailer's TryExec"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
[[ "$exec_line" == "/usr/bin/tavren thumbnail -s %s %i %o" ]] || fail "thumbnailer's Exec: $exec_line"
for type in $(grep -o 'type="[^"]*"' "$root/usr/share/mime/packages/tavren-designs.xml" | cut -d'"' -f2); do
  grep -q "^MimeType=.*$type;" "$thumbnailer" || fail "the thumbnailer does not draw $type"
done
read -ra thumbnail <<<"$(sed "s|^/usr/bin/|$root/usr/bin/|; s|%s|128|; s|%i|$corpus/Star.DST|; s|%o|$tmp/thumb.png|" <<<"$exec_line")"
"${bare[@]}" "${thumbnail[@]}" >/dev/null && is_png "$tmp/thumb.png" || fail "the thumbnailer's command"
mkdir -p "$tmp/mime/packages" && cp "$root/usr/share/mime/packages/tavren-designs.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" 2>/dev/null && grep -q ':application/x-tavren-qef:\*\.qef$' "$tmp/mime/globs2" || fail "MIME types"

# tavren gui serves the installed page, loads the installed module and offers the installed demo designs.
echo '<!-- the installed page -->' >>"$root/usr/share/tavren/web/index.html"
"${bare[@]}" "$root/usr/bin/tavren" gui --port 0 >"$tmp/gui.log" 2>&1 &
gui=$!
for _ in $(seq 100); do grep -q 'Tavren is at' "$tmp/gui.log" && break; sleep 0.1; done
address=$(grep -o 'http://127.0.0.1:[0-9]*/?token=[0-9a-f]*' "$tmp/gui.log") || fail "gui: $(cat "$tmp/gui.log")"
curl -sf -c "$tmp/jar" -b "$tmp/jar" -L "$address" | grep -q 'the installed page' || fail "the installed page"
api() { curl -sf -H "X-Tavren-Token: ${address##*=}" "$@"; }
api "${address%%/\?*}/api/state" >"$tmp/state"
grep -q ManageDesignDialog "$tmp/state" && grep -q Bean.qef "$tmp/state" || fail "gui state: $(head -c 500 "$tmp/state")"
# The module loads its Japanese resources from beside itself.
api -H 'Content-Type: application/json' -d '{"export":"ChangeLanguage","language":1041}' "${address%%/\?*}/api/call" >/dev/null
api "${address%%/\?*}/api/state" | python3 -c 'import json, sys; sys.exit(json.load(sys.stdin)["language"] != 1041)' ||
  fail "the module did not switch to Japanese"

lintian --fail-on error "$deb" | tee "$tmp/lintian" || fail lintian
echo "package test passed: $(basename "$deb"), lintian: $(grep -c '^W:' "$tmp/lintian" || true) warnings"
