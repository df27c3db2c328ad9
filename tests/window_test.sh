#!/bin/bash
# The real-window test: the real game under Xvfb, driven with real key events
# (xdotool) and looked at through its window's pixels.
#
# usage: window_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]
#   GAME the tessivane program, MAP its Qapo.map, MUSIC_DIR its QapoMidi folder
#   (may be missing), PROBE the window_probe tool, WM the tiny_wm tool;
#   PICTURE_DIR, if given, receives PNGs of what the test saw.
# Exits 77 (skipped) when xvfb-run is not installed.
set -u

if [ "${WINDOW_TEST_INSIDE:-}" != 1 ]; then
  if ! command -v xvfb-run > /dev/null; then
    echo "xvfb-run is not installed: real-window test skipped"
    exit 77
  fi
  export WINDOW_TEST_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi

[ $# -ge 5 ] || { echo "usage: window_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]"; exit 2; }
game=$1 map=$2 music=$3 probe=$4 wm=$5 pictures=${6:-}
command -v xdotool > /dev/null || { echo "FAIL: xdotool is not installed"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2> /dev/null; done
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
step() { echo "== $*"; }

# The game in a folder of its own (it writes Qapo.sco there), with a private
# single-copy lock, silent, and a home of its own.
mkdir -p "$work/game" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
cp "$game" "$work/game/tessivane"
cp "$map" "$work/game/Qapo.map"
[ -d "$music" ] && cp -r "$music" "$work/game/QapoMidi"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home SDL_AUDIODRIVER=dummy
unset XDG_DATA_HOME SDL_VIDEODRIVER

# A window manager, as every desktop has: fullscreen requests and focus.
"$wm" > "$work/wm.out" 2> "$work/wm.err" &
pids+=($!)

# poll SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
poll() {
  local until=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ $SECONDS -ge $until ] && return 1
    sleep 0.1
  done
}
wm_ready() { grep -q ready "$work/wm.out"; }
poll 10 wm_ready || { cat "$work/wm.err"; echo "FAIL: the window manager did not start"; exit 1; }

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
save_screen() {  # save_screen NAME: keep the whole screen, message boxes included
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  import -window root "$pictures/$1.png" 2> /dev/null
}
other_window() {  # a shown window besides the game's: its id in $box
  box=$("$probe" list | awk -v w="$window" '$1 != w { print $1; exit }')
  [ -n "$box" ]
}
no_other_window() { ! other_window; }
exited() { ! kill -0 "$1" 2> /dev/null; }

# Regions of the 332 x 478 picture.
menu=menu:120,300,105,115 logo=logo:40,70,250,45 banner=banner:118,222,106,26
score=score:125,8,70,14 all=all:0,0,332,478

step "start: the window opens at the largest whole multiple that fits (2x here)"
(cd "$work/game" && exec ./tessivane) > "$work/game.out" 2> "$work/game.err" &
first=$!
pids+=($first)
game_window() {
  window=$("$probe" list | awk '$3 == "tessivane" { print $1; exit }')
  [ -n "$window" ]
}
if ! poll 15 game_window; then
  cat "$work/game.err"
  echo "FAIL: no game window appeared"
  exit 1
fi
look
[ "$(value size)" = 664x956 ] || fail "the window is $(value size), not 664x956"

step "title: a fire press skips the opening and the menu shows"
# Press once the opening moves: the game is reading its keys by then.
look $all
before=$(hash all)
moving() { look $all && [ "$(hash all)" != "$before" ]; }
poll 10 moving || fail "the opening does not move"
focus "$window"
press a
menu_shown() { look $menu $logo && at_least "$(white menu)" 0.10; }
if poll 4 menu_shown; then
  title_logo=$(hash logo)
  [ "$(value sharp)" = 1 ] && [ "$(value letterbox)" = 1 ] || fail "the title is not shown sharp at 2x"
  save title
else
  fail "no menu text 4 s after the fire press (menu white share $(white menu))"
  title_logo=
fi

step "START begins stage 1: the banner and the status display show, the logo is gone"
press a
stage_shown() {
  look $menu $logo $banner $score && at_least "$(white banner)" 0.10 && at_least "$(white score)" 0.20 &&
    ! at_least "$(white menu)" 0.05 && [ "$(hash logo)" != "$title_logo" ]
}
if poll 8 stage_shown; then
  save stage1
else
  fail "stage 1 did not begin (banner $(white banner), score $(white score), menu $(white menu))"
fi

step "focus lost during play: the game waits; focus back: it goes on"
root=$("$probe" root)
look $all
before=$(hash all)
if ! poll 3 moving; then
  fail "the game stands still before losing the focus"
elif ! focus "$root"; then
  fail "could not take the focus away from the game"
else
  sleep 0.3
  look $all
  held=$(hash all)
  sleep 1
  look $all
  [ "$(hash all)" = "$held" ] || fail "the game went on without the focus"
  focus "$window"
  before=$held
  poll 3 moving || fail "the game did not go on when the focus came back"
fi

step "Alt+Enter: desktop fullscreen, still sharp and letterboxed; again: back to the window"
fullscreen_sharp() {
  look && [ "$(value size)" = 1280x1024 ] && [ "$(value scale)" = 2 ] && [ "$(value sharp)" = 1 ] &&
    [ "$(value letterbox)" = 1 ]
}
press alt Return
if poll 5 fullscreen_sharp; then
  save fullscreen
else
  fail "fullscreen: $(tr '\n' ' ' < "$work/look")"
fi
windowed() { look && [ "$(value size)" = 664x956 ] && [ "$(value sharp)" = 1 ]; }
press alt Return
poll 5 windowed || fail "back from fullscreen: $(tr '\n' ' ' < "$work/look")"

step "resizing keeps the aspect ratio: whole multiples sharp, smaller sizes fitted"
resized_to() {  # resized_to SIZE SCALE PICTURE
  look && [ "$(value size)" = "$1" ] && [ "$(value scale)" = "$2" ] && [ "$(value picture)" = "$3" ] &&
    [ "$(value letterbox)" = 1 ] && { [ "$2" = 0 ] && [ "$(value fits)" = 1 ] || [ "$(value sharp)" = 1 ]; }
}
xdotool windowsize "$window" 900 700
if poll 5 resized_to 900x700 1 284,111,332,478; then save resized-900x700; else
  fail "900 x 700: $(tr '\n' ' ' < "$work/look")"; fi
xdotool windowsize "$window" 250 300
if poll 5 resized_to 250x300 0 21,0,208,300; then save resized-250x300; else
  fail "250 x 300: $(tr '\n' ' ' < "$work/look")"; fi
xdotool windowsize "$window" 664 956
poll 5 resized_to 664x956 2 0,0,664,956 || fail "664 x 956: $(tr '\n' ' ' < "$work/look")"

step "closing the window asks; Escape (No) keeps the game running"
"$probe" close "$window"
if poll 5 other_window; then
  sleep 0.3  # let the box draw itself
  save_screen close-question
  focus "$box"
  press Escape
  poll 5 no_other_window || fail "the question did not go away on Escape"
  focus "$window"
  look $all
  before=$(hash all)
  exited $first && fail "the game ended on No"
  poll 5 moving || fail "the game stands still after No"
else
  fail "no question appeared on closing the window"
fi

step "a second copy is refused with a message; the first runs on"
(cd "$work/game" && exec ./tessivane) > "$work/second.out" 2> "$work/second.err" &
second=$!
pids+=($second)
if poll 10 other_window; then
  sleep 0.3
  save_screen second-copy
  focus "$box"
  press Return
  if poll 10 exited $second; then
    wait $second
    status=$?
    [ $status -eq 0 ] || fail "the refused copy ended with status $status"
  else
    fail "the refused copy did not end after its message"
  fi
else
  fail "the second copy showed no message (running: $(exited $second && echo no || echo yes))"
fi
exited $first && fail "the first copy ended when the second started"
game_window || fail "the first copy's window is gone"

step "closing the window again, Enter (Yes) ends the game with status 0"
"$probe" close "$window"
if poll 5 other_window; then
  focus "$box"
  press Return
  if poll 10 exited $first; then
    wait $first
    status=$?
    [ $status -eq 0 ] || fail "the game ended with status $status on Yes"
  else
    fail "the game did not end on Yes"
  fi
else
  fail "no question appeared on the second close"
fi

step "the game just played was recorded; tessivane FILE plays it: stage 1 shows, Escape stops it"
replays=$work/home/.local/share/tessivane/replays
replay=$(ls "$replays"/*.tvreplay 2> /dev/null | head -n 1)
if [ -z "$replay" ]; then
  fail "the game played left no replay in $replays"
else
  cp -p "$work/game/Qapo.sco" "$work/score.before"
  (cd "$work/game" && exec ./tessivane "$replay") > "$work/watch.out" 2> "$work/watch.err" &
  watcher=$!
  pids+=($watcher)
  if poll 15 game_window && poll 10 stage_shown; then
    save watching
    focus "$window"
    press Escape
    poll 10 exited $watcher || fail "Escape did not stop the replay"
  else
    cat "$work/watch.err"
    fail "the replay did not show stage 1"
  fi
  [ "$(ls "$replays" | wc -l)" -eq 1 ] || fail "watching a replay recorded one"
  # The real game's replay, with its real clock, plays to its end headless too.
  headless=$(cd "$(dirname "$game")" && pwd)/tessivane-headless
  if [ -x "$headless" ]; then
    (cd "$work" && XDG_DATA_HOME="$work/none" "$headless" --dir game --replay "$replay" --dump "$work/watched.json") \
      > "$work/headless.out" 2>&1 || { echo "status $?"; cat "$work/headless.out"; fail "the game's replay did not play to its end headless"; }
    grep -q '"gameMode": 0' "$work/watched.json" 2> /dev/null || fail "the headless playback did not end in play"
  fi
  cmp -s "$work/score.before" "$work/game/Qapo.sco" || fail "watching a replay wrote the score file"
fi

if [ $fails -ne 0 ]; then
  echo "--- game stderr:"
  cat "$work/game.err"
  exit 1
fi
echo "window: all checks passed"
