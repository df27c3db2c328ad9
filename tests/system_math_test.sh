#!/bin/sh
# The same game on every build (see world/trig.h):
#  - no game folder calls the system's trigonometric, exponential, logarithm
#    or power functions (trig::Sin and trig::Cos instead; sqrt, floor and the
#    like are exact everywhere and may stay);
#  - every compile of this build turns floating-point contraction off and
#    none uses fast-math, nor do the web and Windows builds' CMakeLists.txt.
# Usage: system_math_test.sh SOURCE_DIR BUILD_DIR
set -u
src=$1
build=$2
fails=0

functions='sin|cos|tan|asin|acos|atan|atan2|sinh|cosh|tanh|exp|exp2|expm1|log|log2|log10|log1p|pow|cbrt|hypot'
found=$(cd "$src" && find app data world enemies presentation frontend -name '*.cpp' -o -name '*.h' | sort |
  xargs awk -v f="$functions" '{
    line = $0; sub(/\/\/.*$/, "", line)
    if (line ~ ("(^|[^A-Za-z0-9_.>:])(std::|::)?(" f ")[fl]?[ \t]*\\(")) print FILENAME ":" FNR ": " $0
  }')
if [ -n "$found" ]; then
  echo "FAIL: system math in game code (use trig::Sin and trig::Cos):"
  echo "$found"
  fails=$((fails + 1))
fi

bad='-ffast-math|-Ofast|-funsafe-math-optimizations|-fassociative-math|-freciprocal-math|-ffp-contract=(fast|on)'
commands="$build/compile_commands.json"
if [ ! -s "$commands" ]; then
  echo "FAIL: no $commands (CMAKE_EXPORT_COMPILE_COMMANDS is off?)"
  fails=$((fails + 1))
else
  total=$(grep -c '"command":' "$commands")
  missing=$(grep '"command":' "$commands" | grep -vc -- '-ffp-contract=off')
  fast=$(grep '"command":' "$commands" | grep -cE -- "$bad")
  if [ "$total" -eq 0 ] || [ "$missing" -ne 0 ] || [ "$fast" -ne 0 ]; then
    echo "FAIL: of $total compiles, $missing lack -ffp-contract=off and $fast use fast-math or contraction"
    fails=$((fails + 1))
  fi
fi

for other in "$src/web/CMakeLists.txt" "$src/windows/CMakeLists.txt"; do
  if ! grep -qE '^add_compile_options\((\$<\$<COMPILE_LANGUAGE:C,CXX>:)?-ffp-contract=off' "$other" ||
     grep -qE -- "$bad" "$other"; then
    echo "FAIL: $other does not turn contraction off for every compile, or uses fast-math"
    fails=$((fails + 1))
  fi
done

[ "$fails" -eq 0 ] && echo "system math: none in game code; ${total:-0} compiles without contraction or fast-math"
exit "$fails"
