#!/bin/bash
# The replay viewer and practice in the real game under Xvfb: a replay plays,
# P pauses it, Shift+2 seeks to stage 2's boss (the picture tessivane-headless's
# viewer shows there), T takes over ("PRACTICE" in the corner, the game moves
# again), the ship is lost and the practice menu shows, "Retry" goes back to
# the take-over moment, "End practice" back to the replay, Escape stops
# watching; the score file is never written.
#
# usage: window_viewer_test.sh HEADLESS SCORE_FILE GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]
#   HEADLESS tessivane-headless, which records the replay watched (a game
#   from stage 2 of SCORE_FILE's stage selection that reaches its boss); the
#   rest as window_test.sh.
# Exits 77 (skipped) when xvfb-run is not installed.
set -u

if [ "${WINDOW_TEST_INSIDE:-}" != 1 ]; then
  [ $# -ge 7 ] || { echo "usage: window_viewer_test.sh HEADLESS SCORE_FILE GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]"; exit 2; }
  VIEWER_HEADLESS=$(realpath "$1") VIEWER_SCORES=$(realpath "$2")
  export VIEWER_HEADLESS VIEWER_SCORES
  shift 2
fi
. "$(dirname "$0")/window_session.sh"
window_session 1280x1024 "window_viewer_test.sh HEADLESS SCORE_FILE GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]" "$0" "$@"

export WINDOW_PROBE_SCALING=auto
# Regions of the 332 x 478 picture at 1x: the play field above the viewer's
# bar and key list, the corner label right of the score, the menus' heading.
field=field:0,40,332,240 corner=corner:240,0,92,14 heading=heading:60,135,220,50

game_window() {
  window=$("$probe" list | awk '$3 == "tessivane" { print $1; exit }')
  [ -n "$window" ]
}
moving() { look $field && [ "$(hash field)" != "$before" ]; }
standing() {  # the field the same over a second
  look $field
  local held
  held=$(hash field)
  sleep 1
  look $field && [ "$(hash field)" = "$held" ]
}
# grab NAME: the picture in the window at 1x, as $work/NAME.png
grab() {
  "$probe" look "$window" --save "$work/$1.ppm" > /dev/null &&
    convert "$work/$1.ppm" -crop "$(value picture | awk -F, '{ print $3 "x" $4 "+" $1 "+" $2 }')" +repage \
      -sample '332x478!' "$work/$1.png"
  [ -n "$pictures" ] && mkdir -p "$pictures" && cp "$work/$1.png" "$pictures/viewer-$1.png"
  return 0
}
# differ A B: pixels of the field that differ between two pictures
differ() {
  convert "$1" -crop 332x240+0+40 +repage "$work/differ-a.png"
  convert "$2" -crop 332x240+0+40 +repage "$work/differ-b.png"
  compare -metric AE -fuzz 8% "$work/differ-a.png" "$work/differ-b.png" null: 2>&1 | cut -d' ' -f1
}

step "a replay that reaches stage 2's boss, recorded by tessivane-headless"
# The selection screen's stage 2, fire tapped all along (each tap also says
# yes to the continue question), the ship swung left and right.
mkdir -p "$work/rec/game"
cp "$work/game/Qapo.map" "$work/rec/game/"
cp "$VIEWER_SCORES" "$work/rec/game/Qapo.sco"
{
  printf '%s\n' "500 550 A" "1000 1050 Down" "1200 1250 Down" "1500 1550 A" "2500 2550 Down" "3000 3050 Right" \
    "3500 3550 P"
  for t in $(seq 5000 400 199999); do echo "$t $((t + 200)) A"; done
  for t in $(seq 6000 6000 199999); do echo "$t $((t + 1500)) $([ $((t / 6000 % 2)) = 1 ] && echo Left || echo Right)"; done
} > "$work/rec/stage2.script"
(cd "$work/rec" && HOME=$work/rec XDG_DATA_HOME=$work/rec/data XDG_CONFIG_HOME=$work/rec/config \
  "$VIEWER_HEADLESS" --dir game --seed 2 --input stage2.script --until 200000)
VIEWER_REPLAY=$(ls "$work"/rec/data/tessivane/replays/*.tvreplay 2> /dev/null | head -n 1)
[ -n "$VIEWER_REPLAY" ] || { echo "FAIL: tessivane-headless recorded no replay"; exit 1; }

# The score file as it stands (none yet): watching and practice leave it so.
score_state() { cat "$work/game/Qapo.sco" 2> /dev/null | md5sum; }
score_before=$(score_state)
(cd "$work/game" && exec ./tessivane "$VIEWER_REPLAY") > "$work/watch.out" 2> "$work/watch.err" &
watcher=$!
pids+=($watcher)
poll 20 game_window || { cat "$work/watch.err"; echo "FAIL: no window for the replay"; exit 1; }
focus "$window"

step "the replay plays, its keys listed over the bar"
help=help:0,370,332,50
bar_shown() { look $help && at_least "$(white help)" 0.04; }
poll 20 bar_shown || fail "no bar when the viewer opened"
look $field
before=$(hash field)
poll 15 moving || fail "the replay does not move"

step "P pauses it"
press p
sleep 0.5
standing || fail "the paused replay moves"

step "Shift+2: stage 2's boss, paused, as tessivane-headless's viewer shows it"
look $field
before=$(hash field)
press shift+2
poll 15 moving || fail "Shift+2 did not move the replay"
sleep 1
standing || fail "the replay does not stand after the seek"
look
grab boss
# (The viewer's scan of the replay on opening takes a few seconds of the
# tool's clock.)
printf '7000 7100 P\n8000 8100 Shift 2\n' > "$work/seek.script"
(cd "$work" && "$VIEWER_HEADLESS" --dir game --replay "$VIEWER_REPLAY" --input "$work/seek.script" --until 13000 \
  --shot "12000:$work/boss-headless.png") > "$work/headless.out" 2>&1
if [ -f "$work/boss-headless.png" ]; then
  d=$(differ "$work/boss.png" "$work/boss-headless.png")
  echo "stage 2's boss: $d of 79680 field pixels differ from tessivane-headless's"
  at_least 400 "$d" || fail "the seek landed elsewhere than tessivane-headless's viewer ($d pixels differ)"
else
  cat "$work/headless.out"
  fail "tessivane-headless's viewer made no picture of stage 2's boss"
fi

step "T takes over: PRACTICE in the corner, and the game moves"
look $corner
label=$(hash corner)
press t
changed_label() { look $corner && [ "$(hash corner)" != "$label" ]; }
poll 5 changed_label || fail "the corner label did not change"
look $field
before=$(hash field)
poll 5 moving || fail "the game does not move after the take-over"
grab taken

step "left alone, the ship is lost: the practice menu"
menu_shown() { look $heading && at_least "$(white heading)" 0.10; }
if poll 150 menu_shown; then
  grab lost
else
  grab no-menu
  fail "no practice menu after the ship was left alone"
fi

step "Retry: the game from the take-over moment again"
press Return
menu_gone() { look $heading && ! at_least "$(white heading)" 0.05; }
poll 5 menu_gone || fail "the practice menu stayed after Retry"
look
grab retried
# The boss's stage no longer scrolls: a few frames on from the take-over
# moment differ from it only where the ship, the shots and the bullets moved.
d=$(differ "$work/retried.png" "$work/boss.png")
echo "after Retry: $d of 79680 field pixels differ from the take-over moment"
at_least 8000 "$d" || fail "Retry did not go back to the take-over moment ($d pixels differ)"
press Escape  # the pause menu
sleep 0.5

step "End practice: back to the replay, paused there; Escape stops watching"
for _ in 1 2 3; do press Down; sleep 0.3; done  # Resume, Options, Retry, "End practice"
save end-practice
press Return
sleep 1
look $corner
[ "$(hash corner)" = "$label" ] || fail "the corner does not say REPLAY again"
standing || fail "the replay is not paused after End practice"
grab back
press Escape
poll 10 exited $watcher || fail "Escape did not stop watching"
[ "$(score_state)" = "$score_before" ] || fail "the score file was written"

step "from the game: Escape's Replays, the replay watched, Escape: back at the list, no intro"
mkdir -p "$work/home/.local/share/tessivane/replays"
cp "$VIEWER_REPLAY" "$work/home/.local/share/tessivane/replays/"
(cd "$work/game" && exec ./tessivane) > "$work/game.out" 2> "$work/game.err" &
run=$!
pids+=($run)
poll 20 game_window || { cat "$work/game.err"; echo "FAIL: no game window"; exit 1; }
focus "$window"
list_heading=list:90,70,160,30
list_shown() { look $list_heading && at_least "$(white list)" 0.10; }
sleep 1
press a  # past the opening
sleep 1.5
press Escape
sleep 0.5
press Down  # Options, "Replays"
sleep 0.3
press Return
poll 5 list_shown || fail "no replay list from the Escape menu"
# The game starts itself anew (its window made again) on the replay, and
# after it on the list.
press a  # watch the first row
watching() { game_window && bar_shown; }
poll 20 watching || fail "the replay chosen did not play"
focus "$window"
sleep 0.5
press Escape
back_at_list() { game_window && list_shown; }
if poll 20 back_at_list; then
  focus "$window"
  save back-at-list
else
  save not-at-list
  fail "Escape while watching did not come back to the replay list"
fi
press Escape
sleep 1
exited $run && fail "the game ended after the list"

[ $fails -eq 0 ] && echo "PASS" || { echo "$fails failure(s)"; exit 1; }
