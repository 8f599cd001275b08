#!/usr/bin/env bash
# The manual page names every command and option the program's --help texts name, and every
# environment variable the program reads.
#   manpage-test.sh TAVREN MANPAGE SOURCE_DIR
set -euo pipefail
tavren=$1 page=$(sed 's/\\-/-/g' "$2") src=$3
help=$("$tavren" --help)
commands=$(echo "$help" | awk '/^  [a-z]/ {print $1}')
for c in $commands; do help+=$'\n'$("$tavren" "$c" --help 2>&1 || true); done
variables=$(grep -rhoE 'getenv\("[A-Z_]+' "$src"/{host,platform,machine,comm,module,dialogs,lists,design,preview} | cut -d'"' -f2)
missing=0
for word in $commands $variables $(echo "$help" | grep -oE '(^|[ [|])--?[a-z][a-z0-9-]*' | tr -d ' [|' | sort -u); do
  grep -qF -- "$word" <<<"$page" || { echo "the manual page does not name $word"; missing=1; }
done
exit $missing
