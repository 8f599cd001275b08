#!/usr/bin/env bash
# Installs the e2e test's node packages (package-lock.json, exactly) into a build folder:
#   tests/e2e/npm-ci.sh BUILD_FOLDER
# Runs npm ci only when the lock file changed since the last install there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dest="${1:?usage: npm-ci.sh BUILD_FOLDER}"
command -v npm >/dev/null || { echo "npm is not installed: run scripts/install-deps.sh" >&2; exit 1; }
mkdir -p "$dest"
if [ -f "$dest/node_modules/playwright-core/package.json" ] && cmp -s "$here/package-lock.json" "$dest/package-lock.json"; then
  echo "node packages are up to date in $dest"
  exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$dest/"
cd "$dest"
npm ci --no-audit --no-fund --loglevel=error
echo "node packages installed in $dest"
