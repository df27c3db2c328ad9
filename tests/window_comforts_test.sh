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

. "$(dirname "$0")/window_session.sh"
window_session 1366x768 "window_comforts_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]" "$0" "$@"
settings=$work/home/.config/tessivane/settings.ini

setting() { sed -n "s/^$1 = //p" "$settings" 2> /dev/null; }

# Regions of the 332 x 478 picture at 1x (the probe maps them onto the
# window's picture, which the automatic scaling fills the window with here).
export WINDOW_PROBE_SCALING=auto
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
step "first start on a 1366 x 768 screen: the largest window that fits (2x does not), filled; no settings file yet"
start_game
look
fits_height() {
  awk -v s="$(value size)" 'BEGIN { split(s, e, "x"); r = e[1] / e[2];
    exit !(e[2] >= 690 && e[2] <= 768 && r > 0.690 && r < 0.700) }'
}
fits_height || fail "the window is $(value size), not the largest of the picture's shape under 768 lines"
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
for _ in 1 2 3; do press Down; sleep 0.3; done  # past Replays and Practice to Quit game
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
for _ in 1 2 3; do press Down; sleep 0.3; done  # past Replays and Practice to Quit game
press Return
poll 10 exited $run || fail "Quit game from the title did not end the game"

if [ $fails -ne 0 ]; then
  echo "--- game stderr:"
  cat "$work/game.err"
  exit 1
fi
echo "window_comforts: all checks passed"
