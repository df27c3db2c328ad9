#!/bin/bash
# How long the real game takes to end: from the "Yes" to the close question,
# and from SIGTERM, to the end of the process. Runs under Xvfb; prints the
# figures and asserts nothing (goal: under 200 ms each).
#
# usage: quit_time.sh GAME MAP MUSIC_DIR PROBE WM [ROUNDS]
set -u
if [ "${QUIT_TIME_INSIDE:-}" != 1 ]; then
  command -v xvfb-run > /dev/null || { echo "xvfb-run is not installed"; exit 77; }
  export QUIT_TIME_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
game=$1 map=$2 music=$3 probe=$4 wm=$5 rounds=${6:-3}
work=$(mktemp -d)
wm_pid=
trap '[ -n "$wm_pid" ] && kill "$wm_pid" 2> /dev/null; cat "$work/game.err" >&2; rm -rf "$work"' EXIT
mkdir -p "$work/game" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
cp "$game" "$work/game/tessivane"
cp "$map" "$work/game/Qapo.map"
[ -d "$music" ] && cp -r "$music" "$work/game/QapoMidi"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
"$wm" > "$work/wm.out" 2>&1 &
wm_pid=$!
sleep 0.5

start_game() {
  (cd "$work/game" && exec ./tessivane) > /dev/null 2>> "$work/game.err" &
  pid=$!
  window=
  for _ in $(seq 100); do
    window=$("$probe" list | awk '$3 == "tessivane" { print $1; exit }')
    [ -n "$window" ] && break
    sleep 0.1
  done
  sleep "${SETTLE:-2}"  # the title plays, the soundfont loads
}
wait_end() {  # took= the milliseconds from $1 to the end of $pid
  # Running while its /proc entry exists and is not a zombie.
  while [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2> /dev/null)" != Z ] && [ -e "/proc/$pid" ]; do
    sleep 0.002
    if [ $(($(date +%s%3N) - $1)) -gt 5000 ]; then
      kill -9 "$pid"
      break
    fi
  done
  took=$(($(date +%s%3N) - $1))
}

for round in $(seq "$rounds"); do
  start_game
  t=$(date +%s%3N)
  kill -TERM "$pid"
  wait_end "$t"
  echo "SIGTERM: $took ms"
  wait "$pid" 2> /dev/null

  start_game
  "$probe" close "$window"
  box=
  for _ in $(seq 50); do
    box=$("$probe" list | awk -v w="$window" '$1 != w { print $1; exit }')
    [ -n "$box" ] && break
    sleep 0.1
  done
  sleep 0.3
  xdotool windowfocus --sync "$box" 2> /dev/null
  t=$(date +%s%3N)
  xdotool keydown Return; sleep 0.05; t=$(date +%s%3N); xdotool keyup Return
  wait_end "$t"
  echo "Yes to the close question: $took ms"
  wait "$pid" 2> /dev/null
done
