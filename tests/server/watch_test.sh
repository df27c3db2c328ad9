#!/usr/bin/env bash
# "watch" on the board, in headless Chromium: builds the web site (its
# libraries cached, as the browser test does) and has a server serve it.
#   watch_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
web=${TESSIVANE_WEB_BUILD:-$build/web}
"$src/web/build.sh" "$web" >/dev/null
export TESSIVANE_WEB_SITE=$web/site
exec python3 "$src/tests/server/server_test.py" WatchInChromium
