#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tavren host with the given arguments:
#   ./tavren.sh info FILE...   ./tavren.sh preview FILE -o out.png   ./tavren.sh machine   ./tavren.sh gui [--open]
#   ./tavren.sh --help   ./tavren.sh --version
#   ./tavren.sh convert IN.dst -o OUT.qef   ./tavren.sh thumbnail -s 256 FILE OUT.png
#   ./tavren.sh install-desktop   ./tavren.sh uninstall-desktop   (thumbnails in the file manager, this user)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh" >&2
cmake -G Ninja -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target tavren >&2
exec "$here/build/bin/tavren" "$@"
