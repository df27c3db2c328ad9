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

. "$(dirname "$0")/window_session.sh"
window_session 1280x1024 "window_test.sh GAME MAP MUSIC_DIR PROBE WM [PICTURE_DIR]" "$0" "$@"
command -v import > /dev/null || { echo "FAIL: ImageMagick (import) is not installed"; exit 1; }

# Whole-multiple scaling everywhere, which the steps below measure (the
# automatic choice fills a full screen; window_comforts_test.sh looks at that).
mkdir -p "$work/home/.config/tessivane"
printf '[settings]\nscaling = sharp\n' > "$work/home/.config/tessivane/settings.ini"

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
stage_shown() {
  look $menu $logo $banner $score && at_least "$(white banner)" 0.10 && at_least "$(white score)" 0.20 &&
    ! at_least "$(white menu)" 0.05 && [ "$(hash logo)" != "$title_logo" ]
}
# The menu's text may show a moment before the menu reads its keys (the
# logo still settling): a press not taken is pressed again.
start_pressed() {
  press a
  poll 2 stage_shown
}
if poll 8 start_pressed; then
  save stage1
else
  fail "stage 1 did not begin (banner $(white banner), score $(white score), menu $(white menu))"
fi

step "focus lost during play: the game pauses; focus back: still paused until Escape"
root=$("$probe" root)
field=field:0,0,332,220  # above the pause menu's animated cursor
look $all
before=$(hash all)
if ! poll 3 moving; then
  fail "the game stands still before losing the focus"
elif ! focus "$root"; then
  fail "could not take the focus away from the game"
else
  sleep 0.3
  look $field
  held=$(hash field)
  sleep 1
  look $field
  [ "$(hash field)" = "$held" ] || fail "the game went on without the focus"
  focus "$window"
  sleep 0.5
  look $field
  [ "$(hash field)" = "$held" ] || fail "the game went on when the focus came back, before Escape"
  press Escape
  look $all
  before=$(hash all)
  poll 3 moving || fail "the game did not go on after Escape"
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
  ends_with 10 $second 1 "the refused copy, after its message,"
else
  fail "the second copy showed no message (running: $(exited $second && echo no || echo yes))"
fi
exited $first && fail "the first copy ended when the second started"
game_window || fail "the first copy's window is gone"

step "F12 saves the picture in the pictures folder"
focus "$window"
press F12
shot_written() { ls "$HOME/Pictures/Tessivane/"[0-9]*.png > /dev/null 2>&1; }
if poll 5 shot_written; then
  shot=$(ls "$HOME/Pictures/Tessivane/"[0-9]*.png | head -n 1)
  [ "$(od -An -tx1 -j16 -N8 "$shot" | tr -d ' \n')" = 0000014c000001de ] || fail "the screenshot is not 332 x 478"
  exited $first && fail "the game ended on F12"
else
  fail "F12 wrote no picture into $HOME/Pictures/Tessivane"
fi

step "closing the window again, Enter (Yes) ends the game with status 0"
"$probe" close "$window"
if poll 5 other_window; then
  focus "$box"
  press Return
  ends_with 10 $first 0 "the game, on Yes,"
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

# start_game LANG: a new copy under that locale; its pid in $game, its
# window in $window.
start_game() {
  (cd "$work/game" && LANG=$1 LC_ALL= LC_MESSAGES= exec ./tessivane) > "$work/game2.out" 2> "$work/game2.err" &
  game=$!
  pids+=($game)
  poll 15 game_window || {
    fail "no window under LANG=$1 ($(exited $game && echo ended || echo running)): $(cat "$work/game2.err")"
    "$probe" list
    return 1
  }
  sleep 0.5
}
box_look() {  # what the box shows, as a hash of its pixels
  import -window "$box" "$work/box.ppm" 2> /dev/null && md5sum < "$work/box.ppm" | cut -c1-12
}
end_game() {  # end_game: Yes to a close question; waits for the end
  "$probe" close "$window"
  poll 5 other_window && focus "$box" && press Return
  poll 10 exited "$game" || kill -9 "$game"
  wait "$game" 2> /dev/null
}

step "the quit question speaks the player's language"
# The same text draws the same pixels: English and the original differ, and
# any other locale draws the English box. (A box draws no text under a locale
# that is not installed: ./run.sh test generates these two.)
sizes=
langs="en_US.UTF-8 ja_JP.UTF-8 C.UTF-8"
for lang in en_US ja_JP; do
  if ! locale -a 2> /dev/null | grep -qix "$lang.utf-\?8"; then
    echo "note: the $lang.UTF-8 locale is not installed; the question's language is not checked"
    langs=
  fi
done
for lang in $langs; do
  start_game $lang || continue
  "$probe" close "$window"
  if poll 5 other_window; then
    sleep 0.5
    sizes="$sizes $lang=$(box_look)"
    save_screen "quit-question-$lang"
    focus "$box"
    press Return
  else
    fail "no question under LANG=$lang"
  fi
  poll 10 exited "$game" || { fail "Yes did not end the game under LANG=$lang"; kill -9 "$game"; }
  wait "$game" 2> /dev/null
done
set -- $sizes
if [ $# -eq 3 ]; then
  [ "${1#*=}" != "${2#*=}" ] || fail "the English and the Japanese question look alike ($sizes)"
  [ "${1#*=}" = "${3#*=}" ] || fail "C.UTF-8 does not get the English question ($sizes)"
fi

step "SIGTERM ends the game at once with status 0, no question asked"
if start_game C.UTF-8; then
  kill -TERM "$game"
  if poll 2 exited "$game"; then
    wait "$game"
    status=$?
    [ $status -eq 0 ] || fail "SIGTERM: status $status"
  else
    fail "SIGTERM did not end the game (a question: $(other_window && echo yes || echo no))"
  fi
fi
step "SIGINT with the quit question open ends the game too"
if start_game C.UTF-8; then
  "$probe" close "$window"
  poll 5 other_window || fail "no question to interrupt"
  kill -INT "$game"
  if poll 2 exited "$game"; then
    wait "$game"
    status=$?
    [ $status -eq 0 ] || fail "SIGINT in the question: status $status"
  else
    fail "SIGINT did not end the game while its question was open"
  fi
fi

step "losing the display ends the game within a second, with status 1 and one line"
# A display of its own, so that this X server can go away.
for with_box in no yes; do
  exec 3> "$work/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  exec 3>&-
  display_known() { [ -s "$work/display" ]; }
  poll 5 display_known || { fail "the second X server did not start"; break; }
  saved_display=$DISPLAY
  export DISPLAY=:$(cat "$work/display")
  echo "   (display $DISPLAY, box: $with_box)"
  if start_game C.UTF-8; then
    if [ $with_box = yes ]; then
      "$probe" close "$window"
      poll 5 other_window || fail "no question before the display went away"
    fi
    kill -9 "$xvfb"
    if poll 1 exited "$game"; then
      wait "$game"
      status=$?
      [ $status -ne 0 ] || fail "lost display (box: $with_box): status 0"
      lines=$(grep -c . "$work/game2.err")
      grep -q "connection to the display was lost" "$work/game2.err" && [ "$lines" -eq 1 ] ||
        fail "lost display (box: $with_box): stderr was: $(cat "$work/game2.err")"
    else
      fail "the game did not end within a second of losing the display (box: $with_box)"
    fi
  fi
  export DISPLAY=$saved_display
  wait "$xvfb" 2> /dev/null
done

if [ $fails -ne 0 ]; then
  echo "--- game stderr:"
  cat "$work/game.err"
  exit 1
fi
echo "window: all checks passed"
