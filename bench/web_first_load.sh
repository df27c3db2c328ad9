#!/usr/bin/env bash
# The web page's first load on an emulated fast 4G link (9 Mbit/s, 85 ms),
# cold and warm: bytes over the network and time to the title.
#   bench/web_first_load.sh [WEB_BUILD_DIR]     (default build/web, made by web/build.sh)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
web=$(realpath -m "${1:-build/web}")
[ -f "$web/site/index.html" ] || { echo "no web site in $web/site (web/build.sh $web)" >&2; exit 1; }
export NODE_PATH=/usr/share/nodejs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
node "$src/bench/web_first_load.js" "$web/site" "$work"
