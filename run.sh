#!/usr/bin/env bash
# Sets up a Debian 12 machine for Tessivane, builds it, and plays or tests it.
#   ./run.sh play   install what is missing, build, start the game
#   ./run.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libfluidsynth-dev libglib2.0-dev libcairo2-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev zlib1g-dev
  fonts-ipafont-gothic timgm6mb-soundfont fluid-soundfont-gm
  libgtest-dev libbenchmark-dev
  xvfb xauth xfonts-base xdotool x11-utils imagemagick ffmpeg
  clang libclang-rt-14-dev
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
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
