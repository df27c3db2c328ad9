#!/usr/bin/env bash
# The web build plays every replay as the native build does: builds the web
# site (its libraries cached) with its replay check for node, and verifies
# every golden replay (recorded natively) with it, expecting exactly the
# native tessivane-headless --verify's verdict, score and digests.
#   verify_wasm_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
web=${TESSIVANE_WEB_BUILD:-$build/web}
export NODE_PATH=/usr/share/nodejs

"$src/web/build.sh" "$web" >/dev/null
verifier=$web/game/tessivane-verify.js
fails=0
for replay in "$src"/tests/golden/replays/*.tvreplay; do
  name=$(basename "$replay")
  native=$("$build/tessivane-headless" --verify "$replay" || true)
  wasm=$(node "$verifier" --dir "$build" "$replay" || true)
  if [ "$native" = "$wasm" ] && grep -q '"verified": true' <<<"$wasm"; then
    echo "$name: the same in both builds: $wasm"
  else
    echo "FAIL: $name"
    echo "  native: $native"
    echo "  wasm:   $wasm"
    fails=$((fails + 1))
  fi
done
echo "$(( $(ls "$src"/tests/golden/replays/*.tvreplay | wc -l) - fails )) passed, $fails failed"
[ "$fails" -eq 0 ]
