#!/bin/bash
# The whole game as a player runs it, measured: the real program under Xvfb
# at 2x, music through SDL's disk audio driver (real time, written to
# /dev/null), 10 s on the title screen, then 60 s of stage 1 from real key
# events (fire tapped four times a second, the ship moving left and right). Reports resident memory
# (peak and at the end), CPU time per second of wall time on the title and in
# play, and the frame period's mean and 99th percentile in play. Asserts
# nothing; run it by hand on an idle machine:
#
#   bench/play_footprint.sh BUILD_DIR [RENDER_DRIVER]
#
# BUILD_DIR holds tessivane, Qapo.map, QapoMidi/, bench/present_clock.so and
# the window test's tiny_wm; RENDER_DRIVER (software, opengl, ...) is passed
# as SDL_RENDER_DRIVER, or left unset for the game's own choice.
set -u

if [ "${FOOTPRINT_INSIDE:-}" != 1 ]; then
  export FOOTPRINT_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi

build=$(cd "${1:?usage: play_footprint.sh BUILD_DIR [RENDER_DRIVER]}" && pwd)
driver=${2:-}
play_seconds=${PLAY_SECONDS:-60}
title_seconds=${TITLE_SECONDS:-10}
wm=$(find "$build" -name tiny_wm -type f -perm -u+x | head -1)

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2> /dev/null; done
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/game" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
cp "$build/tessivane" "$build/Qapo.map" "$work/game/"
cp -r "$build/QapoMidi" "$work/game/QapoMidi"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
unset XDG_DATA_HOME SDL_VIDEODRIVER SDL_RENDER_DRIVER
[ -n "$driver" ] && export SDL_RENDER_DRIVER=$driver

if [ -n "$wm" ]; then
  "$wm" > "$work/wm.out" 2>&1 &
  pids+=($!)
  sleep 0.5
fi

TESSIVANE_PRESENT_LOG=$work/presents LD_PRELOAD=$build/bench/present_clock.so \
  "$work/game/tessivane" > "$work/game.out" 2>&1 &
game=$!
pids+=($game)

window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$game" 2> /dev/null | head -1)
[ -n "$window" ] || { echo "the game window did not appear"; cat "$work/game.out"; exit 1; }
xdotool windowfocus --sync "$window" 2> /dev/null

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$game/status"; }
now() { date +%s.%N; }
press() {
  xdotool keydown "$@"
  sleep 0.15
  xdotool keyup "$@"
}

# The title: the opening skipped, the menu shown with its tune.
sleep 2
press a
sleep 3
t0=$(now) c0=$(cpu_ticks)
sleep "$title_seconds"
t1=$(now) c1=$(cpu_ticks)
title_rss=$(rss_kb)

# START, then play: fire held, moving.
press a
sleep 2
peak=0
p0=$(now) d0=$(cpu_ticks)
end=$((SECONDS + play_seconds))
side=Left
while [ $SECONDS -lt $end ]; do
  xdotool keydown $side
  for _ in 1 2 3 4; do
    # Fire: a tap every quarter second (held, the shot charges instead);
    # a tap also answers the continue prompt.
    xdotool keydown a
    sleep 0.1
    xdotool keyup a
    sleep 0.15
    r=$(rss_kb)
    [ "$r" -gt "$peak" ] && peak=$r
  done
  xdotool keyup $side
  [ $side = Left ] && side=Right || side=Left
done
p1=$(now) d1=$(cpu_ticks)
end_rss=$(rss_kb)
hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$game/status")
[ -n "${FOOTPRINT_PICTURE:-}" ] && import -window root "$FOOTPRINT_PICTURE" 2> /dev/null

renderer=${driver:-default}
echo "renderer $renderer (GPU device: $([ -e /dev/dri ] && echo yes || echo no))"
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v rss="$title_rss" 'BEGIN {
  printf "title: CPU %.1f%% of a core, resident %.1f MB\n", 100 * (c1 - c0) / hz / (t1 - t0), rss / 1024 }'
awk -v c0="$d0" -v c1="$d1" -v t0="$p0" -v t1="$p1" -v hz="$ticks" -v peak="$peak" -v end="$end_rss" -v hwm="$hwm" 'BEGIN {
  printf "play:  CPU %.1f%% of a core, resident peak %.1f MB, at the end %.1f MB (process peak %.1f MB)\n",
         100 * (c1 - c0) / hz / (t1 - t0), peak / 1024, end / 1024, hwm / 1024 }'
od -An -v -t d8 -w8 "$work/presents" | awk -v from="$p0" -v to="$p1" '
  { t = $1 / 1e9; if (t >= from && t <= to) { if (n++) { d[n - 1] = (t - last) * 1000; sum += d[n - 1] } last = t } }
  END {
    m = n - 1
    if (m < 2) { print "frames: too few presented"; exit }
    # insertion sort is slow for thousands; use a counting approach on 0.01 ms bins
    for (i = 1; i <= m; i++) bin[int(d[i] * 100)]++
    want = int(0.99 * m); acc = 0
    for (b = 0; acc < want; b++) acc += bin[b]
    printf "frames: %d presented in play, period mean %.2f ms, p99 %.2f ms\n", m, sum / m, (b - 1) / 100
  }'
grep -v "^CRITICAL:" "$work/game.out" | head -5
