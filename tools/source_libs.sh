# Shared by the scripts that build the game's C libraries for another target
# (web/build-libs.sh, windows/build-libs.sh) from Debian's source packages.
# Sourced, not run. The caller sets:
#   libs_name        the cache folder's stem (web-libs, win64-libs)
#   libs_recipe      a number raised when the way the libraries are built
#                    changes beyond their flags
#   libs_key_text    the compiler's version
#   libs_label       how the messages name these libraries
# and calls libs_begin, then cmake_lib/fetch for each library (zlib, Ogg
# Vorbis and SDL2 its own way, then text_and_sound_libs), then libs_end.
# The prefix is ~/.cache/tessivane/NAME-KEY (or under $TESSIVANE_CACHE), KEY
# naming the recipe and the compiler, so a new compiler builds anew beside the
# old one, and every clone on the machine reuses it. Within a prefix each
# library is built again when its source package or its flags change (its
# .done- stamp). Sources come through a private APT configuration inside that
# folder, so the machine's /etc/apt is left alone. Nothing is downloaded at
# compile time.

libs_begin() {  # sets build, prefix; exits early when built
  local home cache key
  home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
  cache=${TESSIVANE_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/tessivane}
  key=$( { echo "$libs_recipe"; echo "$libs_key_text"; } | sha256sum | cut -c1-16)
  build=$cache/$libs_name-$key
  prefix=$build/prefix
  # One build at a time in a folder (two clones building at once would remove
  # each other's work); a second waits for the first and finds it done.
  mkdir -p "$cache"
  exec 9>"$build.lock"
  flock 9
  if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    exit 0
  fi
  exec 3>&1 1>&2  # everything but the prefix's path goes to stderr
  mkdir -p "$build/apt/lists/partial" "$build/apt/archives/partial" "$build/src" "$prefix"
  libs_sources
  jobs=${JOBS:-2}
  libs_started=$(date +%s)
  echo "$libs_label: building into $prefix (once; cached afterwards)"
}

libs_end() {
  touch "$prefix/.built"
  echo "$libs_label: done in $(( $(date +%s) - libs_started )) s"
  echo "$prefix" >&3
}

# deb-src lines for the suites the machine already uses, and their lists.
libs_sources() {
  sources=$build/apt/sources.list
  : >"$sources"
  local f
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
}

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
    [ -n "$ok" ] || { echo "$libs_label: cannot fetch the source of $pkg" >&2; return 1; }
    (cd "$build/src" && dpkg-source -x "$(ls -t "$pkg"_*.dsc | head -1)" >&2)
  fi
  (cd "$build/src" && realpath "$(ls -d "$pkg"-[0-9]*/ | head -1)")
}

# A library is built again when its source or the options it was built with
# change.
is_built() { [ -f "$prefix/.done-$1" ] && [ "$(cat "$prefix/.done-$1")" = "$2" ]; }

# Runs one build step into the library's log; on failure shows its end and exits.
logged() {  # logged NAME COMMAND...
  local name=$1; shift
  "$@" >>"$build/obj-$name.log" 2>&1 || { tail -40 "$build/obj-$name.log"; exit 1; }
}

cmake_lib() {  # cmake_lib NAME SOURCE_PACKAGE [cmake options...], configured with "${libs_cmake[@]}"
  local name=$1 pkg=$2 src; shift 2
  src=$(fetch "$pkg") || exit 1
  is_built "$name" "$(basename "$src") $*" && return 0
  rm -rf "$build/obj/$name" "$build/obj-$name.log"
  logged "$name" "${libs_cmake[@]}" -S "$src" -B "$build/obj/$name" "$@"
  logged "$name" nice -n 19 cmake --build "$build/obj/$name" -j"$jobs"
  logged "$name" cmake --install "$build/obj/$name"
  echo "$(basename "$src") $*" >"$prefix/.done-$name"
}

# The libraries both targets build alike, after zlib, Ogg Vorbis and SDL2:
# freetype with that zlib (its own copy would clash with it at the link),
# SDL2_ttf without HarfBuzz, SDL2_mixer playing Ogg Vorbis only.
text_and_sound_libs() {
  cmake_lib freetype freetype -DFT_REQUIRE_ZLIB=ON -DZLIB_ROOT="$prefix" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  cmake_lib sdl2_ttf libsdl2-ttf -DBUILD_SHARED_LIBS=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF \
    -DSDL2TTF_HARFBUZZ=OFF -DSDL2_DIR="$prefix/lib/cmake/SDL2" -Dfreetype_DIR="$prefix/lib/cmake/freetype"
  cmake_lib sdl2_mixer libsdl2-mixer -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
    -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VORBIS=VORBISFILE -DSDL2MIXER_VORBIS_VORBISFILE_SHARED=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF \
    -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2_DIR="$prefix/lib/cmake/SDL2"
}
