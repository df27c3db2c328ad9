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
node "$src/web/serve.js" "$web/site" 0 >"$work/server.out" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  grep -q '^http://' "$work/server.out" && break
  sleep 0.1
done
node "$src/bench/web_first_load.js" "$(head -1 "$work/server.out")" "$work"
