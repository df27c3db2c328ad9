#!/bin/sh
# Builds the trig table check (tests/tools/trig_tables_check.cpp) with the
# game's trig module by another compiler or with other settings than this
# build, always with contraction off as every game compile, and runs it
# against this build's expected values.
#   wasm          Debian's Emscripten, as the web build compiles (release),
#                 run under node
#   gcc-debug     GCC, unoptimised
#   clang-debug   Clang, unoptimised
#   gcc-native    GCC optimised for this machine (fused multiply-add where
#                 the processor has it, which contraction would use)
#   clang-native  Clang, the same
# Usage: trig_tables_builds.sh SOURCE_DIR BUILD_DIR NAME
set -eu
src=$1
build=$2
name=$3
out="$build/trig-builds/$name"
mkdir -p "$out"
sources="$src/tests/tools/trig_tables_check.cpp $src/tests/support/trig_table_check.cpp $src/world/trig.cpp"
flags="-std=c++17 -ffp-contract=off -Wall -Wextra -I$src"
case "$name" in
  wasm)
    export NODE_PATH=/usr/share/nodejs  # Debian's emcc finds its node modules (acorn) there
    # The module is carried inside the script: this emcc's loader would
    # fetch() a separate .wasm, which node refuses for a file path.
    # shellcheck disable=SC2086
    emcc $flags -O3 -DNDEBUG -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 \
      -sSINGLE_FILE=1 $sources -o "$out/check.js"
    run="node $out/check.js"
    ;;
  gcc-debug) run=g++ opt=-O0 ;;
  clang-debug) run=clang++ opt=-O0 ;;
  gcc-native) run=g++ opt="-O3 -march=native" ;;
  clang-native) run=clang++ opt="-O3 -march=native" ;;
  *)
    echo "unknown build $name" >&2
    exit 2
    ;;
esac
if [ "$name" != wasm ]; then
  # shellcheck disable=SC2086
  $run $flags $opt $sources -o "$out/check"
  run="$out/check"
fi
$run "$build/generated/trig_expected.bin" "$src/tests/trig_tables.txt"
