#!/bin/sh
# Builds the table check and the game's trig module with Emscripten, as the
# web build compiles them (release optimisation, contraction off), and runs
# it under node against the native build's expected values. The module is
# carried inside the script: this emcc's loader would fetch() a separate
# .wasm, which node refuses for a file path.
# Usage: trig_tables_node.sh SOURCE_DIR BUILD_DIR
set -eu
export NODE_PATH=/usr/share/nodejs  # Debian's emcc finds its node modules (acorn) there
src=$1
build=$2
out="$build/trig-node"
mkdir -p "$out"
emcc -std=c++17 -O3 -DNDEBUG -ffp-contract=off -Wall -Wextra -I"$src" \
  -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1 \
  "$src/tests/web/trig_tables_node.cpp" "$src/tests/support/trig_table_check.cpp" "$src/world/trig.cpp" \
  -o "$out/trig_tables_node.js"
exec node "$out/trig_tables_node.js" "$build/generated/trig_expected.bin" "$src/tests/trig_tables.txt"
