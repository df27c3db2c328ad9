#!/bin/sh
# Layering: the platform layer knows no game, and the game shares its globals
# only through headers.
#  - nothing under platform/ includes a header of a game folder;
#  - no game source (.cpp) declares `extern` itself: a global is declared once,
#    in the header beside its definition (extern "C" excepted).
# Usage: layering_test.sh SOURCE_DIR
set -u
src=$1
cd "$src" || exit 2
fails=0
game='app|data|world|enemies|presentation|frontend'

found=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($game)/" platform)
if [ -n "$found" ]; then
  echo "FAIL: the platform layer includes game headers:"
  echo "$found"
  fails=$((fails + 1))
fi

found=$(find app data world enemies presentation frontend -name '*.cpp' -print0 |
  xargs -0 grep -nE '^[[:space:]]*extern[[:space:]]+[^"[:space:]]' || true)
if [ -n "$found" ]; then
  echo "FAIL: extern declared in a game source instead of a header:"
  echo "$found"
  fails=$((fails + 1))
fi

[ "$fails" -eq 0 ] && echo "layering: platform knows no game; no extern outside headers"
exit "$fails"
