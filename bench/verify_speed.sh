#!/bin/bash
# What verifying a replay costs: tessivane-headless --verify on each replay
# given (by default the golden replays), each REPEAT times; prints the CPU
# time (user + system) per run, the game's play time (its frames x 43 ms) and
# the CPU seconds it costs per hour of play. Asserts nothing; run it by hand
# on an idle machine:
#
#   bench/verify_speed.sh BUILD_DIR [REPLAY...]
set -u
build=$(cd "${1:?usage: verify_speed.sh BUILD_DIR [REPLAY...]}" && pwd)
shift
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$here"/tests/golden/replays/*.tvreplay
repeat=${REPEAT:-5}
tool=$build/tessivane-headless

total_cpu=0
total_play=0
printf '%-28s %8s %10s %12s %14s\n' replay frames "play (s)" "CPU/run (s)" "CPU s per hour"
for replay in "$@"; do
  frames=$("$tool" --verify "$replay" | sed -n 's/.*"frames": \([0-9]*\).*/\1/p')
  [ -n "$frames" ] || { echo "$replay: did not verify" >&2; continue; }
  # CPU of the children, before and after, from bash's own accounting.
  start=$(awk '{print $14 + $15 + $16 + $17}' /proc/$$/stat)
  for _ in $(seq "$repeat"); do "$tool" --verify "$replay" >/dev/null; done
  end=$(awk '{print $14 + $15 + $16 + $17}' /proc/$$/stat)
  ticks=$(getconf CLK_TCK)
  cpu=$(awk -v a="$start" -v b="$end" -v t="$ticks" -v n="$repeat" 'BEGIN { printf "%.3f", (b - a) / t / n }')
  play=$(awk -v f="$frames" 'BEGIN { printf "%.1f", f * 0.043 }')
  per_hour=$(awk -v c="$cpu" -v p="$play" 'BEGIN { printf "%.2f", c * 3600 / p }')
  printf '%-28s %8s %10s %12s %14s\n' "$(basename "$replay")" "$frames" "$play" "$cpu" "$per_hour"
  total_cpu=$(awk -v a="$total_cpu" -v b="$cpu" 'BEGIN { print a + b }')
  total_play=$(awk -v a="$total_play" -v b="$play" 'BEGIN { print a + b }')
done
awk -v c="$total_cpu" -v p="$total_play" \
  'BEGIN { printf "all: %.1f s of play verified in %.3f s of CPU: %.2f s of CPU per hour of play (goal: 2)\n", p, c, c * 3600 / p }'
