# Sourced by the shell tests that run tessivane-headless:
#
#   . headless_session.sh
#   headless_session TOOL BUILD_DIR
#
# sets $tool (an absolute path), $build, $work (a scratch folder removed at
# the end) with a game folder $work/game holding the build's map and music
# (no score file), and fails=0 with fail() counting failures.

headless_session() {
  tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  build=$2
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  fails=0
  fresh_game_folder
}

# The game folder afresh: the map and the music, no score file.
fresh_game_folder() {
  rm -rf "$work/game"
  mkdir -p "$work/game"
  cp "$build/Qapo.map" "$work/game/"
  cp -r "$build/QapoMidi" "$work/game/"
}

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
