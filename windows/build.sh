#!/usr/bin/env bash
# Builds the Windows game into BUILD_DIR/Tessivane-win64.zip (default
# build-windows/):
#   1. the native stage: the generators and what they write (sprite sheets,
#      icons, stage map, tunes, sound effects, messages, the CP932 table
#      tool), as in the desktop build;
#   2. the libraries for Windows, once (windows/build-libs.sh, kept in
#      ~/.cache/tessivane);
#   3. the Windows stage with mingw-w64: both programs and their data in
#      BUILD_DIR/game/Tessivane, then the zip of that folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-windows}")
mkdir -p "$build"
jobs=${JOBS:-$(nproc)}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DTESSIVANE_TESTS=OFF -DTESSIVANE_BENCH=OFF \
  "${launcher[@]}" >"$build/host-configure.log" || { cat "$build/host-configure.log"; exit 1; }
nice cmake --build "$build/host" -j"$jobs" --target tessivane_sheets_bin tessivane_map tessivane_music \
  tessivane_sounds tessivane_messages gen-cp932-table

# WIN_PREFIX=DIR: libraries built elsewhere, in place of the cached ones.
prefix=${WIN_PREFIX:-$(windows/build-libs.sh)}

soundfont=
for f in /usr/share/sounds/sf3/default-GM.sf3 /usr/share/sounds/sf2/default-GM.sf2 \
         /usr/share/sounds/sf2/FluidR3_GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2; do
  if [ -f "$f" ]; then soundfont=$f; break; fi
done
[ -n "$soundfont" ] || { echo "Windows build: no General MIDI soundfont (install fluid-soundfont-gm)" >&2; exit 1; }

cmake -S windows -B "$build/game" -DCMAKE_TOOLCHAIN_FILE="$PWD/windows/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DWIN_PREFIX="$prefix" -DHOST_BUILD="$build/host" -DSOUNDFONT="$soundfont" "${launcher[@]}" \
  >"$build/game-configure.log" || { cat "$build/game-configure.log"; exit 1; }
nice cmake --build "$build/game" -j"$jobs"

# The zip: the game's folder without the build's stamps, nor the score file a
# run from the build folder leaves there.
rm -rf "$build/zip" "$build/Tessivane-win64.zip"
mkdir -p "$build/zip"
cp -r "$build/game/Tessivane" "$build/zip/"
find "$build/zip" \( -name '.*' -o -name 'Qapo.sco*' \) -type f -delete
(cd "$build/zip" && cmake -E tar cf "$build/Tessivane-win64.zip" --format=zip Tessivane)
echo "Windows build: $build/Tessivane-win64.zip ($(du -k "$build/Tessivane-win64.zip" | cut -f1) KiB)"
