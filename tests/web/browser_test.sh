#!/usr/bin/env bash
# Builds the web site (libraries cached in ~/.cache/tessivane) and plays it in
# headless Chromium (browser_test.js, which serves it on 127.0.0.1).
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
node "$src/tests/web/browser_test.js" "$web/site" "$build/tessivane-headless" "$work"
