#!/usr/bin/env bash
# Builds the C libraries the web game links (SDL2, freetype, SDL2_ttf,
# SDL2_mixer with Ogg Vorbis) from Debian's source packages with Emscripten,
# into a prefix that is kept between builds:
#   web/build-libs.sh BUILD_DIR      (the prefix is BUILD_DIR/prefix)
# Sources come through a private APT configuration inside BUILD_DIR, so the
# machine's /etc/apt is left alone. Nothing is downloaded at compile time.
set -euo pipefail
build=$(realpath -m "${1:?usage: build-libs.sh BUILD_DIR}")
prefix=$build/prefix
stamp=$prefix/.built-v2
[ -f "$stamp" ] && exit 0

export NODE_PATH=/usr/share/nodejs
mkdir -p "$build/apt/lists/partial" "$build/apt/archives/partial" "$build/src" "$prefix"

# deb-src lines for the suites the machine already uses.
sources=$build/apt/sources.list
: >"$sources"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  case "$f" in
    *.list)
      sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' "$f" >>"$sources" ;;
    *.sources)
      awk '/^URIs:/{u=$2} /^Suites:/{s=""; for(i=2;i<=NF;i++) s=s" "$i} /^Components:/{c=""; for(i=2;i<=NF;i++) c=c" "$i}
           /^$/{if(u~/debian/) {n=split(s,a," "); for(i=1;i<=n;i++) print "deb-src [trusted=yes] " u " " a[i] c}; u=""} 
           END{if(u~/debian/) {n=split(s,a," "); for(i=1;i<=n;i++) print "deb-src [trusted=yes] " u " " a[i] c}}' "$f" >>"$sources" ;;
  esac
done
apt_opts=(-o "Dir::Etc::sourcelist=$sources" -o "Dir::Etc::sourceparts=-"
          -o "Dir::State::Lists=$build/apt/lists" -o "Dir::Cache=$build/apt/cache"
          -o "APT::Sandbox::User=root")
if ! ls "$build/apt/lists/"*Sources* >/dev/null 2>&1; then
  apt-get "${apt_opts[@]}" update -q
fi

jobs=${JOBS:-2}
ecmake=(emcmake cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_POLICY_DEFAULT_CMP0074=NEW)

fetch() {  # fetch SOURCE_PACKAGE -> prints the unpacked folder
  local pkg=$1
  (cd "$build/src" && ls -d "$pkg"-*/ >/dev/null 2>&1 ||
     apt-get "${apt_opts[@]}" source -q --download-only "$pkg" >&2 &&
     { ls -d "$pkg"-*/ >/dev/null 2>&1 || dpkg-source -x "$pkg"_*.dsc >&2; })
  (cd "$build/src" && realpath "$(ls -d "$pkg"-*/ | head -1)")
}

cmake_lib() {  # cmake_lib NAME SOURCE_DIR [cmake options...]
  local name=$1 src=$2; shift 2
  [ -f "$prefix/.done-$name" ] && return 0
  rm -rf "$build/obj/$name"
  "${ecmake[@]}" -S "$src" -B "$build/obj/$name" "$@" >"$build/obj-$name.log" 2>&1 || { tail -40 "$build/obj-$name.log"; exit 1; }
  nice -n 19 cmake --build "$build/obj/$name" -j"$jobs" >>"$build/obj-$name.log" 2>&1 || { tail -40 "$build/obj-$name.log"; exit 1; }
  cmake --install "$build/obj/$name" >>"$build/obj-$name.log" 2>&1
  touch "$prefix/.done-$name"
}

auto_lib() {  # auto_lib NAME SOURCE_DIR [configure options...]
  local name=$1 src=$2; shift 2
  [ -f "$prefix/.done-$name" ] && return 0
  rm -rf "$build/obj/$name"; mkdir -p "$build/obj/$name"
  (cd "$build/obj/$name" &&
   PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" CFLAGS="-O2" \
   emconfigure "$src/configure" --prefix="$prefix" --host=wasm32-unknown-emscripten \
     --disable-shared --enable-static "$@" &&
   nice -n 19 emmake make -j"$jobs" && emmake make install) >"$build/obj-$name.log" 2>&1 ||
   { tail -40 "$build/obj-$name.log"; exit 1; }
  touch "$prefix/.done-$name"
}

echo "web libraries: building into $prefix (once; cached afterwards)"
# try-run size checks cannot read a WebAssembly binary: give the wasm32 sizes.
cmake_lib ogg "$(fetch libogg)" -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF \
  -DHAVE_INT16_SIZE=TRUE -DINT16_SIZE=2 -DHAVE_UINT16_SIZE=TRUE -DUINT16_SIZE=2 -DHAVE_INT32_SIZE=TRUE -DINT32_SIZE=4 -DHAVE_UINT32_SIZE=TRUE -DUINT32_SIZE=4 -DHAVE_INT64_SIZE=TRUE -DINT64_SIZE=8 -DHAVE_SHORT_SIZE=TRUE -DSHORT_SIZE=2 -DHAVE_INT_SIZE=TRUE -DINT_SIZE=4 -DHAVE_LONG_SIZE=TRUE -DLONG_SIZE=4 -DHAVE_LONG_LONG_SIZE=TRUE -DLONG_LONG_SIZE=8
cmake_lib vorbis "$(fetch libvorbis)" -DOgg_DIR="$prefix/lib/cmake/Ogg" -DBUILD_TESTING=OFF
cmake_lib sdl2 "$(fetch libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
cmake_lib freetype "$(fetch freetype)" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_lib sdl2_ttf "$(fetch libsdl2-ttf)" -DBUILD_SHARED_LIBS=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF \
  -DSDL2TTF_HARFBUZZ=OFF -DSDL2_DIR="$prefix/lib/cmake/SDL2" -Dfreetype_DIR="$prefix/lib/cmake/freetype"
cmake_lib sdl2_mixer "$(fetch libsdl2-mixer)" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VORBIS=VORBISFILE -DSDL2MIXER_VORBIS_VORBISFILE_SHARED=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2_DIR="$prefix/lib/cmake/SDL2"
touch "$stamp"
echo "web libraries: done"
