#!/usr/bin/env bash
# Builds the C libraries the web game links (zlib, SDL2, freetype, SDL2_ttf,
# SDL2_mixer with Ogg Vorbis) from Debian's source packages with Emscripten,
# into a prefix that is kept between builds and between clones:
#   web/build-libs.sh        prints the prefix's path as its last line
# The prefix is ~/.cache/tessivane/web-libs-KEY, KEY naming the compiler's
# version and the recipe number below; tools/source_libs.sh, shared with the
# Windows build, fetches the sources, builds each library and keeps the cache.
set -euo pipefail
libs_name=web-libs
libs_recipe=1  # raise when the way the libraries are built changes beyond their flags
libs_key_text=$(emcc --version 2>/dev/null | head -1)
libs_label="web libraries"
# shellcheck source=../tools/source_libs.sh
. "$(dirname "$0")/../tools/source_libs.sh"
export NODE_PATH=/usr/share/nodejs
libs_begin
libs_cmake=(emcmake cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
            -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
            -DBUILD_SHARED_LIBS=OFF -DCMAKE_POLICY_DEFAULT_CMP0074=NEW)

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

zlib_lib
# try-run size checks cannot read a WebAssembly binary: give the wasm32 sizes.
cmake_lib ogg libogg -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF \
  -DHAVE_INT16_SIZE=TRUE -DINT16_SIZE=2 -DHAVE_UINT16_SIZE=TRUE -DUINT16_SIZE=2 -DHAVE_INT32_SIZE=TRUE -DINT32_SIZE=4 -DHAVE_UINT32_SIZE=TRUE -DUINT32_SIZE=4 -DHAVE_INT64_SIZE=TRUE -DINT64_SIZE=8 -DHAVE_SHORT_SIZE=TRUE -DSHORT_SIZE=2 -DHAVE_INT_SIZE=TRUE -DINT_SIZE=4 -DHAVE_LONG_SIZE=TRUE -DLONG_SIZE=4 -DHAVE_LONG_LONG_SIZE=TRUE -DLONG_LONG_SIZE=8
cmake_lib vorbis libvorbis -DOgg_DIR="$prefix/lib/cmake/Ogg" -DBUILD_TESTING=OFF
cmake_lib sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
text_and_sound_libs
libs_end
