#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tessivane, builds it, and plays or tests it.
#   ./run.sh play   install what building and playing need, build, start the game
#   ./run.sh test   install that and the test tools, build, run every test (the
#                   browser test included: its libraries are built once and
#                   kept in ~/.cache/tessivane)
#   ./run.sh web    install what is missing, build the web site into
#                   build-web/site and serve it at http://127.0.0.1:8080/
#   ./run.sh web-build   only build the web site
#   ./run.sh server install what is missing, build the score server and start
#                   it at http://127.0.0.1:8081/ with its database in
#                   $XDG_DATA_HOME/tessivane-server/ (with the web site of
#                   ./run.sh web-build, when built, for watching replays)
#   ./run.sh windows-build   install what is missing, cross-build the Windows
#                   game into build-windows/Tessivane-win64.zip
set -euo pipefail
cd "$(dirname "$0")"

# What building and playing need.
PLAY_PACKAGES=(
  build-essential cmake pkg-config gettext
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libfluidsynth-dev libglib2.0-dev libcairo2-dev libx11-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev zlib1g-dev
  libcpp-httplib-dev nlohmann-json3-dev
  fonts-ipafont-gothic timgm6mb-soundfont fluid-soundfont-gm
)
# What the score server adds (HTTP and JSON are in the play packages: the
# headless tool's --submit uses them).
SERVER_PACKAGES=(
  libsqlite3-dev libpqxx-dev
)
# What the web build adds: the WebAssembly compiler, node for its tools and
# the test's server, the tools that fetch and build the libraries' Debian
# sources, the music renderer and compressor, and the font cutter.
WEB_PACKAGES=(
  emscripten nodejs node-ws dpkg-dev fluidsynth vorbis-tools python3 fonttools
)
# What the Windows build adds: the mingw-w64 cross compiler (POSIX threads),
# the tools that fetch and build the libraries' Debian sources, and the music
# renderer and compressor; Wine runs its tests.
WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  dpkg-dev fluidsynth vorbis-tools python3
)
WINE_PACKAGES=(wine wine64)
# What the tests add: GoogleTest and benchmarks, MPFR for the expected sines
# and cosines, a virtual X server driven by xdotool and looked at with
# ImageMagick (its core fonts let SDL's message boxes open), ffmpeg to check
# the replay videos, the fuzzer's compiler, the metainfo validator, and the
# locales the window test speaks in.
TEST_PACKAGES=(
  libgtest-dev libbenchmark-dev libmpfr-dev
  xvfb xauth xfonts-base xdotool x11-utils imagemagick ffmpeg
  clang libclang-rt-14-dev
  appstream locales
  # the score server and its PostgreSQL test
  "${SERVER_PACKAGES[@]}" postgresql
  # the browser test
  chromium "${WEB_PACKAGES[@]}"
  # the Windows build's tests under Wine
  "${WINDOWS_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
)

install_missing() {  # install_missing PACKAGE...
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The window test shows the quit question under an English and a Japanese
# locale: both must exist for the message box to draw its text.
generate_test_locales() {
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  for l in en_US ja_JP; do
    if ! locale -a 2>/dev/null | grep -qix "$l.utf-\?8"; then
      echo "Generating the $l.UTF-8 locale"
      "${sudo[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
    fi
  done
}

build() {  # build ON|OFF [TARGET...]: with or without the tests and benchmarks
  local launcher=()  # a developer's ccache, when there is one
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVANE_TESTS="$1" -DTESSIVANE_BENCH="$1" "${launcher[@]}"
  local targets=()
  [ $# -gt 1 ] && targets=(--target "${@:2}")
  cmake --build build -j"$(nproc)" "${targets[@]}"
}

case "${1:-}" in
  play)
    install_missing "${PLAY_PACKAGES[@]}"
    build OFF
    exec ./build/tessivane
    ;;
  test)
    install_missing "${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    generate_test_locales
    build ON
    ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  web-build)
    install_missing "${PLAY_PACKAGES[@]}" "${WEB_PACKAGES[@]}"
    web/build.sh build-web
    ;;
  windows-build)
    install_missing "${PLAY_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    windows/build.sh build-windows
    ;;
  web)
    install_missing "${PLAY_PACKAGES[@]}" "${WEB_PACKAGES[@]}"
    web/build.sh build-web
    echo "Serving the game; open the address below (Ctrl+C stops)."
    exec node web/serve.js build-web/site "${PORT:-8080}"
    ;;
  server)
    install_missing "${PLAY_PACKAGES[@]}" "${SERVER_PACKAGES[@]}"
    build OFF tessivane-server
    data="${XDG_DATA_HOME:-$HOME/.local/share}/tessivane-server"
    mkdir -p "$data"
    site=()
    [ -f build-web/site/index.html ] && site=(--site build-web/site)
    echo "The score server, at http://127.0.0.1:8081/ (Ctrl+C stops it)."
    exec ./build/tessivane-server --listen 127.0.0.1:8081 --database "$data/scores.db" "${site[@]}"
    ;;
  *)
    echo "usage: $0 play|test|web|web-build|windows-build|server" >&2
    exit 2
    ;;
esac
