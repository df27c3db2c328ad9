#!/usr/bin/env bash
# Builds the C libraries the Windows game links (zlib, SDL2, freetype,
# SDL2_ttf, SDL2_mixer with Ogg Vorbis) from Debian's source packages with
# mingw-w64, as static libraries, into a prefix kept between builds and
# between clones:
#   windows/build-libs.sh    prints the prefix's path as its last line
# The prefix is ~/.cache/tessivane/win64-libs-KEY, KEY naming the compiler's
# version and the recipe number below; tools/source_libs.sh, shared with the
# web build, fetches the sources, builds each library and keeps the cache.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
libs_name=win64-libs
libs_recipe=1  # raise when the way the libraries are built changes beyond their flags
libs_key_text=$(x86_64-w64-mingw32-gcc-posix --version 2>/dev/null | head -1)
libs_label="Windows libraries"
# shellcheck source=../tools/source_libs.sh
. "$here/../tools/source_libs.sh"
libs_begin
libs_cmake=(cmake -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DWIN_PREFIX="$prefix"
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix"
            -DBUILD_SHARED_LIBS=OFF -DCMAKE_POLICY_DEFAULT_CMP0074=NEW)

zlib_lib() {  # zlib's sources compiled as they are (Debian's lacks its Windows makefile)
  is_built zlib "zlib -O2" && return 0
  local src f
  src=$(fetch zlib) || exit 1
  rm -rf "$build/obj/zlib" "$build/obj-zlib.log"
  mkdir -p "$build/obj/zlib" "$prefix/include" "$prefix/lib"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
    logged zlib nice -n 19 x86_64-w64-mingw32-gcc-posix -O2 -c "$src/$f.c" -o "$build/obj/zlib/$f.o"
  done
  logged zlib x86_64-w64-mingw32-ar rcs "$prefix/lib/libz.a" "$build/obj/zlib/"*.o
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
  echo "zlib -O2" >"$prefix/.done-zlib"
}

zlib_lib
cmake_lib ogg libogg -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
cmake_lib vorbis libvorbis -DOgg_DIR="$prefix/lib/cmake/Ogg" -DBUILD_TESTING=OFF
cmake_lib sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
text_and_sound_libs
libs_end
