#!/bin/bash
# The soak: hours of game time with random input (title, games, demonstrations,
# continues, game overs, name entries, close clicks) through tessivane-headless
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then a check that
# memory does not grow over a long run.
#
# A random run ends itself now and then (the menu's END gets picked), so the
# soak chains runs, one seed after the other, until the game time is reached.
#
# Environment: SOAK_HOURS (game time under the sanitizers, default 2),
#              SOAK_SEED (first seed, default 1), SOAK_KEEP=1 keeps the work folder.
set -u

usage() { echo "usage: soak.sh --source DIR --asan-build DIR --generator G --cc CC --cxx CXX" \
  "--headless TOOL --map FILE --make-script TOOL --peak-rss TOOL" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --source) src=$2 ;; --asan-build) asan_build=$2 ;; --generator) generator=$2 ;;
    --cc) cc=$2 ;; --cxx) cxx=$2 ;; --headless) headless=$2 ;; --map) map=$2 ;;
    --make-script) make_script=$2 ;; --peak-rss) peak_rss=$2 ;; *) usage ;;
  esac
  shift 2 || usage
done
for v in src asan_build generator cc cxx headless map make_script peak_rss; do
  [ -n "${!v:-}" ] || usage
done

hours=${SOAK_HOURS:-2}
seed=${SOAK_SEED:-1}
case "$hours$seed" in *[!0-9]*|"") echo "SOAK_HOURS and SOAK_SEED are whole numbers" >&2; exit 2 ;; esac
work=$(mktemp -d)
if [ "${SOAK_KEEP:-0}" = 1 ]; then echo "work folder: $work"; else trap 'rm -rf "$work"' EXIT; fi
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

mkdir "$work/game"
cp "$map" "$work/game/Qapo.map"

json_number() {  # json_number FILE KEY
  sed -n "s/^  \"$2\": \([0-9-]*\),\$/\1/p" "$1"
}

# ---- The sanitized build: only the headless tool ------------------------------
echo "== building tessivane-headless with AddressSanitizer and UndefinedBehaviorSanitizer in $asan_build"
start=$SECONDS
# The asset generators run during the build; their own leaks are not the game's.
if ! cmake -S "$src" -B "$asan_build" -G "$generator" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
       -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
       -DTESSIVANE_SANITIZE=ON -DTESSIVANE_TESTS=OFF -DTESSIVANE_BENCH=OFF > "$work/configure.log" 2>&1 ||
   ! ASAN_OPTIONS=detect_leaks=0 cmake --build "$asan_build" --target tessivane-headless -j2 \
       > "$work/build.log" 2>&1; then
  tail -40 "$work/configure.log" "$work/build.log" 2>/dev/null
  echo "FAIL: the sanitized build failed"
  exit 1
fi
asan_tool=$asan_build/tessivane-headless
echo "   built in $((SECONDS - start)) s"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# ---- Chained sanitized runs ---------------------------------------------------
target=$((hours * 3600000))
total_ms=0 total_frames=0 runs=0 max_peak=0 boxes=0 names=0
: > "$work/modes"
start=$SECONDS
echo "== $hours h of game time with random input, seeds from $seed"
while [ $total_ms -lt $target ] && [ $fails -eq 0 ]; do
  s=$((seed + runs))
  left=$((target - total_ms))
  "$make_script" $s $left > "$work/input.txt"
  # The state every 30 s of game time, to see which screens the run reached.
  samples=()
  for ((at = 15000; at < left; at += 30000)); do samples+=(--dump-at "$at:$work/at-$at.json"); done
  # Generous wall-clock limit: a stuck run (a loop that never waits) is a hang.
  "$peak_rss" 900 "$work/rss.txt" "$asan_tool" --dir "$work/game" --seed $s --until $left \
      --input "$work/input.txt" --dump "$work/dump.json" "${samples[@]}" > "$work/run.out" 2> "$work/run.err"
  status=$?
  runs=$((runs + 1))
  if grep -q -E 'Sanitizer|runtime error:' "$work/run.err"; then
    head -60 "$work/run.err"
    fail "seed $s: sanitizer report (rerun: $make_script $s $left > in.txt; tessivane-headless --seed $s --until $left --input in.txt)"
    break
  fi
  if [ $status -ne 0 ]; then
    cat "$work/rss.txt" "$work/run.err"
    fail "seed $s: tessivane-headless ended with status $status"
    break
  fi
  ms=$(json_number "$work/dump.json" virtualClockMs)
  frames=$(json_number "$work/dump.json" framesPresented)
  if [ -z "$ms" ] || [ -z "$frames" ] || [ "$frames" -eq 0 ]; then
    fail "seed $s: no frames presented (ms=$ms frames=$frames)"
    break
  fi
  peak=$(sed -n 's/^peak_rss_kb=\([0-9]*\).*/\1/p' "$work/rss.txt")
  [ "$peak" -gt $max_peak ] && max_peak=$peak
  boxes=$((boxes + $(grep -c '"kind": "question"' "$work/dump.json")))
  names=$((names + $(grep -c '"kind": "name"' "$work/dump.json")))
  cat "$work"/at-*.json "$work/dump.json" 2> /dev/null | sed -n 's/^  "gameMode": \([0-9]*\),$/\1/p' >> "$work/modes"
  rm -f "$work"/at-*.json
  total_ms=$((total_ms + ms))
  total_frames=$((total_frames + frames))
done
echo "   $runs runs, $total_frames frames, $((total_ms / 60000)) min of game time," \
  "$boxes close questions, $names name dialogs, peak $((max_peak / 1024)) MB (sanitized), $((SECONDS - start)) s"
modes=$(sort -n -u "$work/modes" | tr '\n' ' ')
echo "   game modes seen: $modes"
# Not a vacuous soak: the random input played games and came back to the title.
if [ $fails -eq 0 ]; then
  for m in 0 5; do
    grep -q "^$m\$" "$work/modes" || fail "the random input never reached game mode $m"
  done
fi

# ---- Memory over a long run (plain build: the sanitizers hold freed memory) ---
# The same seed and script cut short is exactly the first minute of the long
# run, so the difference in peak memory is what the long run added.
if [ $fails -eq 0 ]; then
  echo "== memory: a long run against its own first minute"
  long_ms=0
  for s in $(seq $seed $((seed + 40))); do
    "$make_script" $s 7200000 > "$work/long.txt"
    "$peak_rss" 300 "$work/rss-long.txt" "$headless" --dir "$work/game" --seed $s --until 7200000 \
        --input "$work/long.txt" --dump "$work/long.json" 2> "$work/long.err" ||
      { cat "$work/long.err"; fail "seed $s: plain run failed"; break; }
    long_ms=$(json_number "$work/long.json" virtualClockMs)
    [ "$long_ms" -ge 1200000 ] && break  # at least 20 minutes in one run
  done
  if [ $fails -eq 0 ] && [ "$long_ms" -lt 1200000 ]; then
    fail "no random run lasted 20 minutes"
  elif [ $fails -eq 0 ]; then
    "$peak_rss" 300 "$work/rss-short.txt" "$headless" --dir "$work/game" --seed $s --until 60000 \
        --input "$work/long.txt" 2> "$work/short.err" || fail "seed $s: short run failed"
    short_kb=$(sed -n 's/^peak_rss_kb=\([0-9]*\).*/\1/p' "$work/rss-short.txt")
    long_kb=$(sed -n 's/^peak_rss_kb=\([0-9]*\).*/\1/p' "$work/rss-long.txt")
    long_frames=$(json_number "$work/long.json" framesPresented)
    echo "   seed $s: first minute $short_kb KB, $((long_ms / 60000)) min ($long_frames frames) $long_kb KB," \
      "growth $((long_kb - short_kb)) KB"
    # A leak of 80 bytes a frame would add over 2 MB in these 20 minutes.
    [ $((long_kb - short_kb)) -le 2048 ] || fail "memory grew by $((long_kb - short_kb)) KB over the long run"
  fi
fi

[ $fails -eq 0 ] && echo "soak: all checks passed"
[ $fails -eq 0 ]
