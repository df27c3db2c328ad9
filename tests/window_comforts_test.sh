#!/bin/bash
# The real-window test of the player's comforts on a 1366 x 768 laptop screen:
# the pause in play, a music volume changed on the options screen that holds
# after a restart, and full screen chosen there that fills the screen's height
# and is back at the next start, and Alt+Enter's choice is kept as well.
#
# usage: window_comforts_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]
#   as window_test.sh; PICTURE_DIR, if given, receives PNGs of what it saw.
# Exits 77 (skipped) when xvfb-run is not installed.
set -u

if [ "${WINDOW_TEST_INSIDE:-}" != 1 ]; then
  if ! command -v xvfb-run > /dev/null; then
    echo "xvfb-run is not installed: real-window test skipped"
    exit 77
  fi
  export WINDOW_TEST_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1366x768x24 -nolisten tcp" bash "$0" "$@"
fi

[ $# -ge 5 ] || { echo "usage: window_comforts_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]"; exit 2; }
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

mkdir -p "$work/game" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
cp "$game" "$work/game/tessivane"
cp "$map" "$work/game/Qapo.map"
[ -d "$music" ] && cp -r "$music" "$work/game/QapoMidi"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home SDL_AUDIODRIVER=dummy
unset XDG_DATA_HOME XDG_CONFIG_HOME SDL_VIDEODRIVER
settings=$work/home/.config/tessivane/settings.ini

"$wm" > "$work/wm.out" 2> "$work/wm.err" &
pids+=($!)

poll() {  # poll SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds
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
look() { "$probe" look "$window" "$@" > "$work/look" 2> "$work/look.err"; }
value() { sed -n "s/^$1=//p" "$work/look"; }
white() { value "$1" | cut -d, -f1; }
hash() { value "$1" | cut -d, -f2; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 >= b + 0) }'; }
save() {
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  "$probe" look "$window" --save "$work/$1.ppm" > /dev/null && convert "$work/$1.ppm" "$pictures/$1.png" 2> /dev/null
}
exited() { ! kill -0 "$1" 2> /dev/null; }
setting() { sed -n "s/^$1 = //p" "$settings" 2> /dev/null; }

# Regions of the 332 x 478 picture at 1x (the window's size on this screen).
all=all:0,0,332,478 menu=menu:120,300,105,115 score=score:125,8,70,14
field=field:0,0,332,220 paused=paused:60,135,220,50 options=options:100,15,140,35

start_game() {
  (cd "$work/game" && exec ./tessivane) > "$work/game.out" 2> "$work/game.err" &
  run=$!
  pids+=($run)
  window=
  game_window() {
    window=$("$probe" list | awk '$3 == "tessivane" { print $1; exit }')
    [ -n "$window" ]
  }
  poll 15 game_window || { cat "$work/game.err"; echo "FAIL: no game window appeared"; exit 1; }
  focus "$window"
  # Keys count once the opening moves: the game reads them by then.
  look $all
  local first
  first=$(hash all)
  opening_moves() { look $all && [ "$(hash all)" != "$first" ]; }
  poll 10 opening_moves || fail "the opening does not move"
}
menu_shown() { look $menu && at_least "$(white menu)" 0.10; }
# The field above the menus: it scrolls in play and stands still when paused.
moving() { look $field && [ "$(hash field)" != "$before" ]; }
to_play() {  # skips the opening and starts a game
  press a
  poll 6 menu_shown || fail "no title menu"
  sleep 0.3
  press a
  in_play() { look $score $menu && at_least "$(white score)" 0.20 && ! at_least "$(white menu)" 0.05; }
  poll 8 in_play || fail "no play after START"
  sleep 2  # the stage's opening transition reads no pause key
}
step "first start on a 1366 x 768 screen: a 1x window, no settings file yet"
start_game
look
[ "$(value size)" = 332x478 ] || fail "the window is $(value size), not 332x478"
[ -e "$settings" ] && fail "a settings file was written without a change"
to_play

step "Escape in play: the dimmed picture with PAUSED, and the world stands still"
press Escape
paused_shown() { look $paused $field && at_least "$(white paused)" 0.10; }
if poll 3 paused_shown; then
  held=$(hash field)
  sleep 1
  look $field
  [ "$(hash field)" = "$held" ] || fail "the world moved while paused"
  save pause-menu
else
  save no-pause
  fail "no PAUSED after Escape (white share $(white paused))"
fi
press Escape
resumed() { look $paused && ! at_least "$(white paused)" 0.05; }
if ! poll 3 resumed; then save no-resume; fail "the pause did not end on a second Escape ($(white paused))"; fi
sleep 0.5  # a press counts once the one before was seen let go

step "Options from the pause: music volume one step down is written at once"
options_shown() { look $options && at_least "$(white options)" 0.10; }
press Escape
poll 3 paused_shown || fail "no pause menu"
press Down
sleep 0.3
press Return
poll 3 options_shown || fail "no options screen"
save options
press Left
poll 3 eval '[ "$(setting music_volume)" = 9 ]' || fail "music_volume is '$(setting music_volume)', not 9"
press Escape  # back to the pause menu, the cursor on Options
poll 3 paused_shown || fail "not back at the pause menu"
for _ in 1 2; do press Down; sleep 0.3; done
save quit-choice
press Return
if poll 10 exited $run; then wait $run; else fail "Quit game did not end the game"; fi

step "restart: the volume was kept (one more step gives 8); full screen chosen there fills the height"
start_game
press a
poll 6 menu_shown || fail "no title menu after the restart"
sleep 0.3
press Escape  # the title's Escape menu; Options first
sleep 0.5
press Return
poll 3 options_shown || fail "no options screen from the title"
press Left
poll 3 eval '[ "$(setting music_volume)" = 8 ]' || fail "after a restart music_volume is '$(setting music_volume)', not 8"
for _ in 1 2 3; do press Down; sleep 0.3; done
press Right  # display: full screen
fills_height() {
  look && [ "$(value size)" = 1366x768 ] && [ "$(value shown)" != "" ] &&
    awk -v s="$(value shown)" 'BEGIN { split(s, e, ","); exit !(e[2] == 0 && e[3] - e[1] >= 520) }'
}
if poll 5 fills_height; then
  save fullscreen-fill
else
  fail "full screen does not fill the height: $(tr '\n' ' ' < "$work/look")"
fi
[ "$(setting display)" = fullscreen ] || fail "display is '$(setting display)', not fullscreen"
press Escape  # back to the title's Escape menu
sleep 0.5
for _ in 1 2; do press Down; sleep 0.3; done  # past Replays to Quit game
press Return
if poll 10 exited $run; then wait $run; else fail "Quit game did not end the game"; fi

step "the next start is in full screen again"
start_game
if poll 5 fills_height; then :; else fail "full screen was not restored: $(tr '\n' ' ' < "$work/look")"; fi

step "Alt+Enter back to the window is kept in the settings too"
press alt Return
poll 3 eval '[ "$(setting display)" = window ]' || fail "after Alt+Enter display is '$(setting display)', not window"
press a
poll 6 menu_shown || fail "no title menu at the third start"
sleep 0.3
press Escape
sleep 0.4
for _ in 1 2; do press Down; sleep 0.3; done  # past Replays to Quit game
press Return
poll 10 exited $run || fail "Quit game from the title did not end the game"

if [ $fails -ne 0 ]; then
  echo "--- game stderr:"
  cat "$work/game.err"
  exit 1
fi
echo "window_comforts: all checks passed"
