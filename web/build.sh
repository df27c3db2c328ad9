#!/usr/bin/env bash
# Builds the web site of the game into BUILD_DIR/site (default build-web/):
#   1. the native stage: the generators and what they write (sprite sheets,
#      stage map, tunes, sound effects, the CP932 table tool), as in the
#      desktop build;
#   2. the libraries for the browser, once (web/build-libs.sh, kept in
#      ~/.cache/tessivane);
#   3. the web stage with Emscripten: the game, its data and the page.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-web}")
mkdir -p "$build"
export NODE_PATH=/usr/share/nodejs
jobs=${JOBS:-$(nproc)}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DTESSIVANE_TESTS=OFF -DTESSIVANE_BENCH=OFF \
  "${launcher[@]}" >"$build/host-configure.log" || { cat "$build/host-configure.log"; exit 1; }
nice cmake --build "$build/host" -j"$jobs" --target tessivane_sheets_bin tessivane_map tessivane_music tessivane_sounds gen-cp932-table

prefix=$(web/build-libs.sh)

soundfont=
for f in /usr/share/sounds/sf3/default-GM.sf3 /usr/share/sounds/sf2/default-GM.sf2 \
         /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2; do
  if [ -f "$f" ]; then soundfont=$f; break; fi
done
[ -n "$soundfont" ] || { echo "web build: no General MIDI soundfont (install fluid-soundfont-gm)" >&2; exit 1; }

emcmake cmake -S web -B "$build/game" -DCMAKE_BUILD_TYPE=Release -DHOST_BUILD="$build/host" \
  -DWEB_PREFIX="$prefix" -DSOUNDFONT="$soundfont" -DSITE="$build/site" >"$build/game-configure.log" ||
  { cat "$build/game-configure.log"; exit 1; }
nice cmake --build "$build/game" -j"$jobs"
echo "web build: the site is in $build/site"
