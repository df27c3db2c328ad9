#!/usr/bin/env bash
# Builds the web site (libraries cached in the build folder), serves it on
# 127.0.0.1 and plays it in headless Chromium (browser_test.js).
#   browser_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
web=${TESSIVANE_WEB_BUILD:-$build/web}
work=$build/web-test
rm -rf "$work"
mkdir -p "$work"
export NODE_PATH=/usr/share/nodejs

"$src/web/build.sh" "$web"

node "$src/web/serve.js" "$web/site" 0 >"$work/server.out" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q '^http://' "$work/server.out" && break
  sleep 0.1
done
url=$(head -1 "$work/server.out")
node "$src/tests/web/browser_test.js" "$url" "$build/tessivane-headless" "$work" "$web/site"
