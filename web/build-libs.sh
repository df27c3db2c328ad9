#!/usr/bin/env bash
# Builds the C libraries the web game links (zlib, SDL2, freetype, SDL2_ttf,
# SDL2_mixer with Ogg Vorbis) from Debian's source packages with Emscripten,
# into a prefix that is kept between builds and between clones:
#   web/build-libs.sh        prints the prefix's path as its last line
# The prefix is ~/.cache/tessivane/web-libs-KEY (or under $TESSIVANE_CACHE),
# KEY naming the compiler's version and this script's recipe number, so a new
# compiler builds anew beside the old one. Within a prefix each library is
# built again when its source package or its flags change (its .done- stamp).
# Sources come through a private APT configuration inside that folder, so the
# machine's /etc/apt is left alone. Nothing is downloaded at compile time.
set -euo pipefail
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache=${TESSIVANE_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/tessivane}
recipe=1  # raise when the way the libraries are built changes beyond their flags
key=$( { echo "$recipe"; emcc --version 2>/dev/null | head -1; } | sha256sum | cut -c1-16)
build=$cache/web-libs-$key
prefix=$build/prefix
stamp=$prefix/.built
# One build at a time in a folder (two clones building at once would remove
# each other's work); a second waits for the first and finds it done.
mkdir -p "$cache"
exec 9>"$build.lock"
flock 9
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi
exec 3>&1 1>&2  # everything but the prefix's path goes to stderr

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
  if ! (cd "$build/src" && ls -d "$pkg"-[0-9]*/ >/dev/null 2>&1); then
    # The newest version first; a mirror may lack it (a security update), so
    # then the version of each suite in turn.
    local spec ok=
    for spec in "$pkg" $(awk '{ print $(($2 ~ /^\[/) ? 4 : 3) }' "$sources" | sed "s|^|$pkg/|"); do
      if (cd "$build/src" && apt-get "${apt_opts[@]}" source -q --download-only "$spec" >&2); then
        ok=1
        break
      fi
    done
    [ -n "$ok" ] || { echo "web libraries: cannot fetch the source of $pkg" >&2; return 1; }
    (cd "$build/src" && dpkg-source -x "$(ls -t "$pkg"_*.dsc | head -1)" >&2)
  fi
  (cd "$build/src" && realpath "$(ls -d "$pkg"-[0-9]*/ | head -1)")
}

# A library is built again when the options it was built with change.
is_built() { [ -f "$prefix/.done-$1" ] && [ "$(cat "$prefix/.done-$1")" = "$2" ]; }

cmake_lib() {  # cmake_lib NAME SOURCE_PACKAGE [cmake options...]
  local name=$1 pkg=$2 src; shift 2
  src=$(fetch "$pkg") || exit 1
  is_built "$name" "$(basename "$src") $*" && return 0
  rm -rf "$build/obj/$name"
  "${ecmake[@]}" -S "$src" -B "$build/obj/$name" "$@" >"$build/obj-$name.log" 2>&1 || { tail -40 "$build/obj-$name.log"; exit 1; }
  nice -n 19 cmake --build "$build/obj/$name" -j"$jobs" >>"$build/obj-$name.log" 2>&1 || { tail -40 "$build/obj-$name.log"; exit 1; }
  cmake --install "$build/obj/$name" >>"$build/obj-$name.log" 2>&1
  echo "$(basename "$src") $*" >"$prefix/.done-$name"
}

zlib_lib() {  # zlib's own configure script (Debian's source lacks what its CMake file needs)
  is_built zlib "zlib --static" && return 0
  local src
  src=$(fetch zlib) || exit 1
  rm -rf "$build/obj/zlib"
  mkdir -p "$build/obj"
  cp -r "$src" "$build/obj/zlib"
  (cd "$build/obj/zlib" && emconfigure ./configure --static --prefix="$prefix" &&
   nice -n 19 emmake make -j"$jobs" libz.a && emmake make install) >"$build/obj-zlib.log" 2>&1 ||
   { tail -40 "$build/obj-zlib.log"; exit 1; }
  echo "zlib --static" >"$prefix/.done-zlib"
}

echo "web libraries: building into $prefix (once; cached afterwards)"
zlib_lib
# try-run size checks cannot read a WebAssembly binary: give the wasm32 sizes.
cmake_lib ogg libogg -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF \
  -DHAVE_INT16_SIZE=TRUE -DINT16_SIZE=2 -DHAVE_UINT16_SIZE=TRUE -DUINT16_SIZE=2 -DHAVE_INT32_SIZE=TRUE -DINT32_SIZE=4 -DHAVE_UINT32_SIZE=TRUE -DUINT32_SIZE=4 -DHAVE_INT64_SIZE=TRUE -DINT64_SIZE=8 -DHAVE_SHORT_SIZE=TRUE -DSHORT_SIZE=2 -DHAVE_INT_SIZE=TRUE -DINT_SIZE=4 -DHAVE_LONG_SIZE=TRUE -DLONG_SIZE=4 -DHAVE_LONG_LONG_SIZE=TRUE -DLONG_LONG_SIZE=8
cmake_lib vorbis libvorbis -DOgg_DIR="$prefix/lib/cmake/Ogg" -DBUILD_TESTING=OFF
cmake_lib sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
# With the zlib above (its own copy would clash with it at the link).
cmake_lib freetype freetype -DFT_REQUIRE_ZLIB=ON -DZLIB_ROOT="$prefix" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_lib sdl2_ttf libsdl2-ttf -DBUILD_SHARED_LIBS=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF \
  -DSDL2TTF_HARFBUZZ=OFF -DSDL2_DIR="$prefix/lib/cmake/SDL2" -Dfreetype_DIR="$prefix/lib/cmake/freetype"
cmake_lib sdl2_mixer libsdl2-mixer -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VORBIS=VORBISFILE -DSDL2MIXER_VORBIS_VORBISFILE_SHARED=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2_DIR="$prefix/lib/cmake/SDL2"
touch "$stamp"
echo "web libraries: done"
echo "$prefix" >&3
