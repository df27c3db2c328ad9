# Sourced by the real-window tests: the game under Xvfb in a folder of its
# own, a window manager, and the helpers that drive and look at it.
#
#   . window_session.sh
#   window_session SCREEN USAGE "$0" "$@"    # e.g. 1280x1024
#
# Re-executes the test inside xvfb-run (exit 77, skipped, without it), then
# sets game map music probe wm pictures from the arguments
# (GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]), $work (removed at the end; the
# processes in $pids are killed) with the game in $work/game (its message
# catalogues beside it), a private runtime folder and home, no audio, and a
# window manager that has started. A test that sets up its own game
# (tests/windows) calls inside_xvfb and start_window_manager itself.

# inside_xvfb SCREEN SCRIPT ARGS...: re-executes SCRIPT inside xvfb-run (exit
# 77, skipped, without it); returns once inside.
inside_xvfb() {
  local screen=$1 script=$2
  shift 2
  [ "${WINDOW_TEST_INSIDE:-}" = 1 ] && return 0
  if ! command -v xvfb-run > /dev/null; then
    echo "xvfb-run is not installed: real-window test skipped"
    exit 77
  fi
  export WINDOW_TEST_INSIDE=1
  exec xvfb-run -a -s "-screen 0 ${screen}x24 -nolisten tcp" bash "$script" "$@"
}

# start_window_manager WM: a window manager, as every desktop has (fullscreen
# requests and focus), its process in $pids; waits until it has started.
start_window_manager() {
  "$1" > "$work/wm.out" 2> "$work/wm.err" &
  pids+=($!)
  wm_ready() { grep -q ready "$work/wm.out"; }
  poll 10 wm_ready || { cat "$work/wm.err"; echo "FAIL: the window manager did not start"; exit 1; }
}

window_session() {
  local screen=$1 usage=$2 script=$3
  shift 3
  inside_xvfb "$screen" "$script" "$@"
  [ $# -ge 5 ] || { echo "usage: $usage"; exit 2; }
  game=$1 map=$2 music=$3 probe=$4 wm=$5 pictures=${6:-}
  command -v xdotool > /dev/null || { echo "FAIL: xdotool is not installed"; exit 1; }

  work=$(mktemp -d)
  pids=()
  trap window_session_end EXIT
  fails=0

  # The game in a folder of its own (it writes Qapo.sco there), with a
  # private single-copy lock, silent, and a home of its own.
  mkdir -p "$work/game" "$work/runtime" "$work/home"
  chmod 700 "$work/runtime"
  cp "$game" "$work/game/tessivane"
  cp "$map" "$work/game/Qapo.map"
  [ -d "$music" ] && cp -r "$music" "$work/game/QapoMidi"
  # The message catalogues, built beside the map.
  [ -d "$(dirname "$map")/locale" ] && cp -r "$(dirname "$map")/locale" "$work/game/locale"
  export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home SDL_AUDIODRIVER=dummy
  unset XDG_DATA_HOME XDG_CONFIG_HOME SDL_VIDEODRIVER

  start_window_manager "$wm"
}

window_session_end() {
  for p in "${pids[@]}"; do kill -9 "$p" 2> /dev/null; done
  wait 2> /dev/null
  rm -rf "$work"
}

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
step() { echo "== $*"; }

# poll SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
poll() {
  local until=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ $SECONDS -ge $until ] && return 1
    sleep 0.1
  done
}

focus() { timeout 5 xdotool windowfocus --sync "$1"; }
press() {  # press KEY...: held for a moment, as a person presses
  xdotool keydown "$@"
  sleep 0.15
  xdotool keyup "$@"
}
look() {  # look NAME:X,Y,W,H...: the window's measures into $work/look
  "$probe" look "$window" "$@" > "$work/look" 2> "$work/look.err"
}
value() { sed -n "s/^$1=//p" "$work/look"; }
white() { value "$1" | cut -d, -f1; }  # share of white-ish pixels in a region
hash() { value "$1" | cut -d, -f2; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 >= b + 0) }'; }
save() {  # save NAME: keep what the window shows now
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  "$probe" look "$window" --save "$work/$1.ppm" > /dev/null &&
    convert "$work/$1.ppm" "$pictures/$1.png" 2> /dev/null
}
exited() { ! kill -0 "$1" 2> /dev/null; }
ends_with() {  # ends_with SECONDS PID STATUS WHAT: PID (a child) ends within SECONDS with STATUS
  local status
  if poll "$1" exited "$2"; then
    wait "$2"
    status=$?
    [ $status -eq "$3" ] || fail "$4 ended with status $status, not $3"
  else
    fail "$4 did not end"
  fi
}
