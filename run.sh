#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tessivane, builds it, and plays or tests it.
#   ./run.sh play   install what is missing, build, start the game
#   ./run.sh test   install what is missing, build, run every test (the
#                   browser test included: its libraries are built once and
#                   kept in build/web)
#   ./run.sh web    install what is missing, build the web site into
#                   build-web/site and serve it at http://127.0.0.1:8080/
#   ./run.sh web-build   only build the web site
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libfluidsynth-dev libcairo2-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev zlib1g-dev
  fonts-ipafont-gothic timgm6mb-soundfont fluid-soundfont-gm
  libgtest-dev libbenchmark-dev
  xvfb xauth xfonts-base xdotool x11-utils imagemagick ffmpeg
  clang libclang-rt-14-dev
  # the web build and its browser test
  emscripten nodejs node-ws dpkg-dev fluidsynth vorbis-tools python3 chromium
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
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

build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build -j"$(nproc)"
}

case "${1:-}" in
  play)
    install_missing
    build
    exec ./build/tessivane
    ;;
  test)
    install_missing
    build
    ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  web-build)
    install_missing
    web/build.sh build-web
    ;;
  web)
    install_missing
    web/build.sh build-web
    echo "Serving the game; open the address below (Ctrl+C stops)."
    exec node web/serve.js build-web/site "${PORT:-8080}"
    ;;
  *)
    echo "usage: $0 play|test|web|web-build" >&2
    exit 2
    ;;
esac
