#!/bin/bash
# The Windows build under Wine, in Xvfb: builds the zip (windows/build.sh, the
# libraries cached), unpacks it and runs both programs in a fresh Wine prefix
# whose user is named 山田.
#
# usage: windows_test.sh SOURCE_DIR BUILD_DIR PROBE WM
#   BUILD_DIR the Linux build (its tessivane-headless, map and music), PROBE
#   the window_probe tool, WM the tiny_wm tool. The Windows build goes to
#   $TESSIVANE_WINDOWS_BUILD (default BUILD_DIR/windows); PICTURES=DIR keeps
#   what the test saw.
# Exits 77 (skipped) without the cross compiler, Wine or xvfb-run.
set -u
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
probe=$3 wm=$4
pictures=${PICTURES:-}
for t in x86_64-w64-mingw32-g++-posix wine xvfb-run; do
  command -v $t > /dev/null || { echo "$t is not installed: Windows test skipped"; exit 77; }
done
. "$src/tests/window_session.sh"  # poll, press, focus, look, value, white, hash, save, exited, ends_with
inside_xvfb 1280x1024 "$0" "$@"
linux_tool=$build/tessivane-headless
winbuild=${TESSIVANE_WINDOWS_BUILD:-$build/windows}
here=$build/windows-test
work=$here/work
pids=()
fails=0
ended() {
  for p in "${pids[@]}"; do
    kill -9 "$p" 2> /dev/null
    wait "$p" 2> /dev/null
  done
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2> /dev/null
  chattr -i "$work/zip/Tessivane" 2> /dev/null
  wait 2> /dev/null
}
trap ended EXIT
chattr -i "$work/zip/Tessivane" 2> /dev/null
rm -rf "$here"
mkdir -p "$work"

step "the zip is built"
started=$SECONDS
if ! "$src/windows/build.sh" "$winbuild" > "$here/build.log" 2>&1; then
  tail -30 "$here/build.log"
  echo "FAIL: the Windows build failed"
  exit 1
fi
echo "built in $((SECONDS - started)) s: $(tail -1 "$here/build.log")"
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$winbuild/Tessivane-win64.zip")
game=$work/zip/Tessivane
for f in tessivane.exe tessivane-headless.exe README.txt Qapo.map fonts/ipag.ttf fonts/ipag-copyright.txt \
         locale/en/LC_MESSAGES/tessivane.mo; do
  [ -s "$game/$f" ] || fail "the zip has no $f"
done
ls "$game"/QapoOgg/*.ogg > /dev/null 2>&1 || fail "the zip has no music"
[ -e "$game/Qapo.sco" ] && fail "the zip holds a score file"
ls "$game"/sounds/*.wav > /dev/null 2>&1 || fail "the zip has no sound effects"

step "a fresh Wine prefix for the user 山田, without the crash dialog"
# (A home of its own: Wine links the profile's folders to the home's, the
# Pictures folder to its Pictures.)
mkdir -p "$here/home/Pictures"
export WINEPREFIX=$here/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" USER=山田 LC_ALL=C.UTF-8 HOME=$here/home
unset WINELOADER WINESERVER
started=$SECONDS
wine wineboot -i > "$here/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f > /dev/null 2>&1
# A fresh prefix has no Japanese face for its dialogs, as Windows has: the
# system's IPA Gothic stands behind Tahoma, so pictures of the Japanese
# question show its characters.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
  /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f > /dev/null 2>&1
profile=$WINEPREFIX/drive_c/users/山田
appdata=$profile/AppData/Roaming/Tessivane
[ -d "$profile" ] || { ls "$WINEPREFIX/drive_c/users"; echo "FAIL: no profile folder for 山田"; exit 1; }
echo "prefix made in $((SECONDS - started)) s"
# Both tools run in a folder of their own with the game's data in "game"
# (the music's commands, part of the digests, name the tunes by that path).
mkdir -p "$work/game"
ln -s "$game/Qapo.map" "$game/QapoMidi" "$work/game/"
mkdir -p "$work/linux/game"
cp -r "$build/Qapo.map" "$build/QapoMidi" "$work/linux/game/"
win_tool() { (cd "$work" && wine "$game/tessivane-headless.exe" "$@"); }
linux_tool() { (cd "$work/linux" && XDG_DATA_HOME=$work/linux/data HOME=$work/linux "$linux_tool" "$@"); }

digests_equal() {  # digests_equal WHAT EXPECTED ACTUAL: the same state every second
  local result
  if result=$(awk -f "$src/tests/golden/compare_digests.awk" "$2" "$3"); then
    echo "$1: $result"
  else
    fail "$1: $result"
  fi
}

# --verify on both sides: the same verdict, score and digests, byte for byte.
same_verdict() {  # same_verdict WHAT REPLAY (a Linux path)
  local linux windows
  linux=$("$linux_tool" --verify "$2")
  windows=$(cd "$work" && wine "$game/tessivane-headless.exe" --verify "Z:$2" | tr -d '\r')
  case "$windows" in
    *'"verified": true'*) ;;
    *) fail "$1: not verified on Windows: $windows" ;;
  esac
  [ "$linux" = "$windows" ] || fail "$1: the verdicts differ: Linux $linux, Windows $windows"
  echo "$1: the same verdict, $(grep -o '"score": [0-9]*' <<< "$windows"), $(grep -o '"digests": [0-9]*' <<< "$windows")"
}

step "tessivane-headless.exe verifies the golden replays as Linux does"
for r in "$src"/tests/golden/replays/*.tvreplay; do
  same_verdict "$(basename "$r" .tvreplay)" "$r"
done

# One short game: the title skipped, START, moving and firing, a bomb.
cat > "$work/short.script" << 'SCRIPT'
500 600 A
1500 1600 A
4000 12000 A Left
12000 24000 A Right
24000 24100 S
25000 38000 Up A
SCRIPT
step "the same script is the same game on Linux and on Windows"
cp "$work/short.script" "$work/linux/"
linux_tool --dir game --until 40000 --input short.script --digest "$work/linux.digest" --dump "$work/linux.json" \
  > "$work/linux.out" 2>&1 || fail "the Linux recording ended with status $?"
win_tool --dir game --until 40000 --input short.script --digest win.digest --dump win.json \
  > "$work/win.out" 2>&1 || fail "the Windows recording ended with status $?: $(tail -3 "$work/win.out")"
digests_equal "Windows recording against Linux" "$work/linux.digest" "$work/win.digest"
cmp -s "$work/linux.json" "$work/win.json" || fail "the final dumps differ"
linux_replay=$(ls "$work"/linux/data/tessivane/replays/*.tvreplay 2> /dev/null | head -1)
win_replay=$(ls "$appdata"/replays/*.tvreplay 2> /dev/null | head -1)
[ -n "$win_replay" ] || fail "tessivane-headless.exe recorded no replay in %APPDATA%\\Tessivane\\replays"

step "each side verifies the other's recording"
if [ -n "$linux_replay" ]; then
  same_verdict "the Linux game" "$linux_replay"
else
  fail "the Linux tool recorded no replay"
fi
[ -n "$win_replay" ] && same_verdict "the Windows game" "$win_replay"

step "tessivane-headless.exe reads and writes its files in a folder named in Japanese"
# Every path on the command line: the game's data folder, the script, the
# dumps, the digest, the picture and a replay, in リプレイ (relative to the
# working folder, and one absolute Z: path), with the same outputs as on Linux.
jp=リプレイ
for side in "$work" "$work/linux"; do
  mkdir -p "$side/$jp/ゲーム"
  cp "$work/short.script" "$side/$jp/入力.script"
  [ -n "$win_replay" ] && cp "$win_replay" "$side/$jp/対局.tvreplay"
done
cp -r "$game/Qapo.map" "$game/QapoMidi" "$work/$jp/ゲーム/"
cp -r "$build/Qapo.map" "$build/QapoMidi" "$work/linux/$jp/ゲーム/"
jp_run() {  # jp_run TOOL: a short game, every output into the folder
  $1 --dir "$jp/ゲーム" --until 20000 --no-record --input "$jp/入力.script" --digest "$jp/経過.digest" \
    --dump "$jp/状態.json" --dump-at "9000:$jp/途中.json" --shot "15000:$jp/画面.png"
}
jp_run linux_tool > "$work/jp-linux.out" 2>&1 || fail "Japanese paths on Linux: status $?: $(tail -3 "$work/jp-linux.out")"
jp_run win_tool > "$work/jp-win.out" 2>&1 || fail "Japanese paths on Windows: status $?: $(tail -3 "$work/jp-win.out")"
for f in 経過.digest 状態.json 途中.json 画面.png ゲーム/Qapo.sco; do
  if [ ! -s "$work/$jp/$f" ]; then
    fail "tessivane-headless.exe wrote no $jp/$f ($(ls "$work/$jp" | tr '\n' ' '))"
  elif ! cmp -s "$work/linux/$jp/$f" "$work/$jp/$f"; then
    fail "$jp/$f differs from Linux's"
  fi
done
if [ -n "$win_replay" ]; then
  linux_tool --dir game --replay "$jp/対局.tvreplay" --until 30000 --dump "$jp/再生.json" > /dev/null 2>&1
  win_tool --dir game --replay "$jp/対局.tvreplay" --until 30000 --dump "$jp/再生.json" > "$work/jp-replay.out" 2>&1 ||
    fail "--replay in $jp: status $?: $(tail -3 "$work/jp-replay.out")"
  cmp -s "$work/linux/$jp/再生.json" "$work/$jp/再生.json" || fail "the replay's dump in $jp differs from Linux's"
  [ "$(linux_tool --replay-info "$jp/対局.tvreplay")" = "$(win_tool --replay-info "$jp/対局.tvreplay" | tr -d '\r')" ] ||
    fail "--replay-info of $jp/対局.tvreplay differs from Linux's"
  same_verdict "a replay in $jp" "$work/$jp/対局.tvreplay"
fi
echo "$jp: script, digest, dumps, picture and replay as on Linux ($(ls "$work/$jp" | wc -l) files)"

step "a damaged score file and an unreadable one behave as on Linux"
score_case() {  # score_case NAME PREPARE: the same start on both, its files and dumps compared
  local name=$1 prepare=$2 os
  for os in l w; do
    rm -rf "$work/$os-$name"
    mkdir -p "$work/$os-$name/game"
    cp -r "$build/Qapo.map" "$build/QapoMidi" "$work/$os-$name/game/"
    (cd "$work/$os-$name/game" && eval "$prepare")
  done
  (cd "$work/l-$name" && "$linux_tool" --dir game --until 3000 --no-record --dump dump.json) > "$work/l-$name.out" 2>&1
  (cd "$work/w-$name" && wine "$game/tessivane-headless.exe" --dir game --until 3000 --no-record --dump dump.json) \
    > "$work/w-$name.out" 2>&1
  cmp -s "$work/l-$name/dump.json" "$work/w-$name/dump.json" || fail "$name: the dumps differ"
}
head -c 700 /dev/urandom > "$work/garbage"
score_case damaged 'cp "$work/garbage" Qapo.sco; cp Qapo.sco garbage'
for os in l w; do
  cmp -s "$work/$os-damaged/game/garbage" "$work/$os-damaged/game/Qapo.sco.damaged" ||
    fail "damaged ($os): the damaged file was not kept aside"
done
cmp -s "$work/l-damaged/game/Qapo.sco" "$work/w-damaged/game/Qapo.sco" || fail "damaged: the new score files differ"
score_case unreadable 'mkdir Qapo.sco'
for os in l w; do
  [ -d "$work/$os-unreadable/game/Qapo.sco" ] || fail "unreadable ($os): the folder in the score file's place was replaced"
  grep -q Qapo.sco "$work/$os-unreadable.out" || fail "unreadable ($os): nothing said about the score file"
done

step "tessivane.exe starts and shows the title"
# The game's folder cannot be written (as under Program Files): the scores go
# to %APPDATA%\Tessivane. (chattr: root writes into read-only folders.)
chattr +i "$game" 2> /dev/null && locked=1 || locked=0
[ $locked = 1 ] || echo "note: the game's folder could not be made read-only; scores stay beside the game"
start_window_manager "$wm"
started=$(date +%s%3N)
# The sound goes to a file (SDL's disk audio driver): the title tune is heard.
# Wine's window channel names every window made with its text, the controls
# of the message boxes too: what the close question's buttons say, below.
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="Z:$work/audio.raw" WINEDEBUG=-all,+win \
  exec wine "$game/tessivane.exe") > "$work/game.out" 2> "$work/game.err" &
run=$!
pids+=($run)
game_window() {
  window=$("$probe" list | awk '$3 ~ /tessivane/ { print $1; exit }')
  [ -n "$window" ]
}
poll 60 game_window || { cat "$work/game.err"; echo "FAIL: no game window appeared"; exit 1; }
all=all:0,0,332,478 menu=menu:120,300,105,115 banner=banner:118,222,106,26 score=score:125,8,70,14
field=field:0,40,332,180 options=options:20,20,292,60
shown_at=$(($(date +%s%3N) - started))
drawn() { look && [ "$(value shown | cut -d, -f3)" != -1 ]; }
poll 30 drawn || fail "the window stays black"
echo "the window showed after $shown_at ms, its first picture after $(($(date +%s%3N) - started)) ms (Wine's own start included)"
look $all
picture=$(value picture)  # where the 332 x 478 picture is in the window
before=$(hash all)
moving() { look $all && [ "$(hash all)" != "$before" ]; }
poll 20 moving || fail "the opening does not move"
# After the opening flight the title menu shows over a scrolling background:
# the window's picture must be one of tessivane-headless's title frames.
menu_shown() { look $menu && at_least "$(white menu)" 0.10; }
if poll 20 menu_shown; then
  sleep 2
  # Three looks a little apart: a look may catch the window half redrawn.
  for i in 1 2 3; do
    "$probe" look "$window" --save "$work/title$i.ppm" > /dev/null
    convert "$work/title$i.ppm" -crop "$(echo "$picture" | awk -F, '{ print $3 "x" $4 "+" $1 "+" $2 }')" +repage \
      -sample '332x478!' "$work/title$i.png"
    sleep 0.1
  done
  mkdir -p "$work/frames"
  shots=()
  for t in $(seq 10000 43 12000); do shots+=(--shot "$t:$work/frames/$t.png"); done
  linux_tool --dir game --no-record --until 12100 "${shots[@]}" > /dev/null 2>&1
  best=$(for i in 1 2 3; do
           for f in "$work"/frames/*.png; do
             printf '%s\n' "$(compare -metric AE -fuzz 8% "$work/title$i.png" "$f" null: 2>&1 | cut -d' ' -f1)"
           done
         done | grep -E '^[0-9.e+]+$' | sort -g | head -1)
  echo "title: ${best:-?} of 158696 pixels differ from the nearest of tessivane-headless's title frames"
  [ -n "$best" ] && at_least 160 "$best" || fail "the title differs from tessivane-headless's (${best:-no comparison})"
  [ -n "$pictures" ] && mkdir -p "$pictures" && cp "$work/title1.png" "$pictures/windows-title.png"
else
  fail "no title menu after the opening"
fi
# The program's icon resource is the window's icon too.
xprop -id "$window" _NET_WM_ICON 2> /dev/null | grep -q 'Icon (' || fail "the window has no icon"
heard=$(tr -d '\000' < "$work/audio.raw" 2> /dev/null | head -c 100000 | wc -c)
[ "$heard" -ge 10000 ] || fail "the title is silent (the sound file holds $heard non-zero bytes)"
focus "$window"

step "keys: START begins a game and the ship moves"
in_play() { look $score $menu && at_least "$(white score)" 0.20 && ! at_least "$(white menu)" 0.05; }
start_pressed() { press a; poll 3 in_play; }
if poll 10 start_pressed; then
  sleep 3  # the stage's opening
  ship_at() {
    "$probe" look "$window" --save "$work/$1.ppm" > /dev/null
    python3 "$src/tests/windows/ship_column.py" "$work/$1.ppm" "$picture"
  }
  xdotool keydown Left; sleep 1.5; xdotool keyup Left
  l=$(ship_at left)
  xdotool keydown Right; sleep 3; xdotool keyup Right
  r=$(ship_at right)
  echo "ship: at x=$l after Left, x=$r after Right"
  [ "$l" != -1 ] && [ $((r - l)) -ge 100 ] || fail "the ship did not move right (x $l -> $r)"
  [ -n "$pictures" ] && convert "$work/right.ppm" "$pictures/windows-play.png"
  press F12
  shot_written() { ls "$profile/Pictures/Tessivane/"*.png > /dev/null 2>&1; }
  if poll 5 shot_written; then
    shot=$(ls "$profile/Pictures/Tessivane/"*.png | head -1)
    [ "$(od -An -tx1 -j16 -N8 "$shot" | tr -d ' \n')" = 0000014c000001de ] || fail "the screenshot is not 332 x 478"
  else
    fail "F12 wrote no picture into the profile's Pictures\\Tessivane"
  fi
  mem=$(ps -o rss= -C tessivane.exe | sort -n | tail -1)
  echo "memory in play: $((mem / 1024)) MB resident (tessivane.exe under Wine)"
else
  fail "START did not begin a game"
fi

step "options: a setting is written at once to %APPDATA%\\Tessivane\\settings.ini"
settings=$appdata/settings.ini
press Escape
sleep 0.5
press Down
sleep 0.3
press Return
sleep 0.5
press Left
poll 5 grep -q 'music_volume = 9' "$settings" || fail "no music_volume = 9 in $settings"
press Escape
sleep 0.5
press Escape
sleep 0.5

other_window() { box=$("$probe" list | awk -v w="$window" '$1 != w { print $1; exit }'); [ -n "$box" ]; }
step "a second copy is refused with a message; the first runs on"
(cd "$work" && SDL_AUDIODRIVER=dummy exec wine "$game/tessivane.exe") > "$work/second.out" 2> "$work/second.err" &
second=$!
pids+=($second)
if poll 20 other_window; then
  focus "$box"
  press Return
  ends_with 10 $second 1 "the refused copy, after its message,"
else
  fail "the second copy showed no message (running: $(exited $second && echo no || echo yes))"
fi
exited $run && fail "the first copy ended when the second started"
focus "$window"

# The texts of the texts and buttons made in a window trace, one a line (Wine
# writes a character past ASCII as \XXXX).
box_texts() {
  python3 - "$1" << 'PY'
import re, sys
made = re.compile(r':win:WIN_CreateWindowEx L"((?:[^"\\]|\\.)*)" L"(?:Static|Button)"')
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    for text in made.findall(line):
        print(re.sub(r"\\([0-9a-f]{4})", lambda m: chr(int(m.group(1), 16)), text))
PY
}
# asks_in LANG TRACE WHAT: the question and its Yes and No buttons in TRACE
# are the texts LANG's catalogue in the zip gives.
asks_in() {
  local texts expected
  texts=$(box_texts "$2")
  while IFS= read -r expected; do
    grep -qxF "$expected" <<< "$texts" || fail "$3: no '$expected' in the question (it shows: $(tr '\n' '|' <<< "$texts"))"
  done < <(python3 -c '
import gettext, sys
t = gettext.translation("tessivane", sys.argv[1], languages=[sys.argv[2]])
for text in ("終了しますか？", "Yes", "No"):
    print(t.gettext(text))' "$game/locale" "$1")
}
answer_question() {  # answer_question WHAT PROCESS TRACE LANG: close the window, check the box, Yes
  "$probe" close "$window"
  if poll 10 other_window; then
    sleep 0.5
    [ -n "$pictures" ] && import -window root "$pictures/windows-close-question-$4.png" 2> /dev/null
    asks_in "$4" "$3" "$1"
    focus "$box"
    press Return
    ends_with 20 "$2" 0 "$1, on Yes,"
  else
    fail "$1: no question appeared on closing the window"
  fi
}

step "closing the window asks in English; Enter (Yes) ends the game with status 0"
answer_question "the game" $run "$work/game.err" en
if [ $locked = 1 ]; then
  [ -s "$appdata/Qapo.sco" ] || fail "no score file in %APPDATA%\\Tessivane"
  [ -e "$game/Qapo.sco" ] && fail "a score file was written beside the game"
fi
ls "$appdata/replays/"*.tvreplay > /dev/null 2>&1 || fail "no replay in %APPDATA%\\Tessivane\\replays"

step "with the language set to Japanese the question is Japanese; Yes (はい) ends the game"
sed -i 's/^language = .*/language = ja/' "$settings"
grep -qx 'language = ja' "$settings" || fail "settings.ini has no language line to set: $(cat "$settings")"
(cd "$work" && SDL_AUDIODRIVER=dummy WINEDEBUG=-all,+win exec wine "$game/tessivane.exe") \
  > "$work/game-ja.out" 2> "$work/game-ja.err" &
run=$!
pids+=($run)
if poll 60 game_window; then
  poll 30 drawn || fail "the Japanese game's window stays black"
  answer_question "the Japanese game" $run "$work/game-ja.err" ja
else
  fail "no window for the Japanese game: $(tail -3 "$work/game-ja.err")"
fi

[ $fails -eq 0 ] && echo "Windows build: all checks passed"
exit $((fails > 0))
