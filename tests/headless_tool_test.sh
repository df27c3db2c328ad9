#!/bin/sh
# Usage: headless_tool_test.sh TOOL MAPFILE
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
map=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

mkdir "$work/game" "$work/nomap"
cp "$map" "$work/game/Qapo.map"
cat > "$work/input.txt" <<'SCRIPT'
# held keys, a joystick, answers and a close click
0 400 A Left   # fire while moving left
100 200 Joy 0 65535 5
box no
name ABC#1
name-cancel
300 close
SCRIPT

run() {  # run OUT_PREFIX
  "$tool" --dir "$work/game" --seed 7 --until 3000 --input "$work/input.txt" \
    --dump "$work/$1.json" --dump-at "1000:$1-at.json" --shot "500:$work/$1.png" --shot "2000:$work/$1-2.png" \
    2> "$work/$1.err"
}
( cd "$work" && run one ) || fail "first run exited with $?"
( cd "$work" && run two ) || fail "second run exited with $?"
for f in .json -at.json .png -2.png; do
  [ -s "$work/one$f" ] || fail "one$f was not written"
  cmp -s "$work/one$f" "$work/two$f" || fail "one$f and two$f differ"
done

# The dump names every global, arrays as arrays, plus the recorded output.
for key in '"gameMode": ' '"enemyX": \[' '"hiNames": \[' '"messageBoxes": ' '"musicCommands": ' \
           '"virtualClockMs": 3000'; do
  grep -q "$key" "$work/one.json" || fail "dump lacks $key"
done
grep -q '"virtualClockMs": 10[0-4][0-9],' "$work/one-at.json" || fail "--dump-at not taken at the first wait reaching 1000 ms"
# A joystick line makes a joystick present from the start.
grep -q '"joystickId": 0,' "$work/one.json" || fail "joystick of the script not detected"
if command -v python3 > /dev/null; then
  python3 -m json.tool "$work/one.json" > /dev/null || fail "dump is not valid JSON"
fi
# A 332 x 478 PNG.
sig=$(od -An -tx1 -N24 "$work/one.png" | tr -d ' \n')
case $sig in
  89504e470d0a1a0a0000000d49484452000001"4c"000001de) ;;
  *) fail "shot is not a 332x478 PNG ($sig)" ;;
esac

# A different seed or script gives a run of its own; the dump still holds.
"$tool" --dir "$work/game" --until 100 --dump "$work/plain.json" || fail "run without a script failed"
grep -q '"joystickId": -1,' "$work/plain.json" || fail "a joystick appeared without a script"

# The program ending itself (no map) is a normal end, with its message box.
"$tool" --dir "$work/nomap" --dump "$work/nomap.json" || fail "missing map did not end with status 0"
grep -q 'マップデータが見つかりません' "$work/nomap.json" || fail "missing-map message not recorded"
grep -q '"critical": true' "$work/nomap.json" || fail "missing-map message not critical"
grep -q 'ended with status 1' "$work/nomap.err" 2> /dev/null ||
  "$tool" --dir "$work/nomap" 2>&1 | grep -q 'ended with status 1' || fail "the refusal's status is not told"

# --lang: the texts of the chosen language; the originals by default whatever
# the locale.
printf '300 close\nbox yes\n' > "$work/quit.txt"
for case in "en:Quit Tessivane?" "ja:終了しますか？" ":終了しますか？"; do
  lang=${case%%:*} text=${case#*:}
  LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$tool" --dir "$work/game" --until 3000 --input "$work/quit.txt" \
    ${lang:+--lang "$lang"} --dump "$work/lang.json" || fail "--lang '$lang' run failed"
  grep -q "\"text\": \"$text\"" "$work/lang.json" || fail "--lang '$lang' did not ask '$text'"
done
"$tool" --dir "$work/nomap" --lang en --dump "$work/nomap-en.json" 2> /dev/null

# A termination signal ends the game at once: no question, the music stopped
# and closed, status 0.
printf '500 550 A\n2000 term\n' > "$work/term.txt"
"$tool" --dir "$work/game" --until 9000 --input "$work/term.txt" --dump "$work/term.json" ||
  fail "the termination run failed"
grep -q '"kind": "question"' "$work/term.json" && fail "a termination signal asked a question"
grep -q '"virtualClockMs": 20[0-9][0-9],' "$work/term.json" || fail "a termination signal did not end the game at once"
tr -d ' \n' < "$work/term.json" | grep -q '"stop","close"\]' || fail "the music was not stopped and closed at the end"

# F12 in a script: a 332 x 478 PNG in the pictures folder of the home given,
# and the game's state as without it.
mkdir -p "$work/home"
printf '500 550 A\n1500 1550 F12\n' > "$work/f12.txt"
printf '500 550 A\n' > "$work/nof12.txt"
HOME=$work/home XDG_CONFIG_HOME= "$tool" --dir "$work/game" --until 2500 --input "$work/f12.txt" \
  --dump "$work/f12.json" || fail "F12 run failed"
"$tool" --dir "$work/game" --until 2500 --input "$work/nof12.txt" --dump "$work/nof12.json"
shots=$(ls "$work/home/Pictures/Tessivane/"[0-9]*.png 2> /dev/null | wc -l)
[ "$shots" -eq 1 ] || fail "F12 wrote $shots pictures, not 1"
for shot in "$work/home/Pictures/Tessivane/"[0-9]*.png; do
  [ "$(od -An -tx1 -j16 -N8 "$shot" | tr -d ' \n')" = 0000014c000001de ] || fail "the F12 picture is not 332 x 478"
done
cmp -s "$work/f12.json" "$work/nof12.json" || fail "F12 changed the game's state"
grep -q '"text": "The map data' "$work/nomap-en.json" || fail "--lang en: the missing-map message is not English"

# Start-up removes the temporary files that killed saves left (the game's own
# names, a minute old or more), and nothing else.
mkdir -p "$work/stale/config/tessivane" "$work/stale/data/tessivane/replays"
cp "$map" "$work/stale/Qapo.map"
for f in stale/Qapo.sco.a1B2c3 stale/config/tessivane/settings.ini.Zz9yY8 \
         "stale/data/tessivane/replays/2026-01-01 10.00.00.tvreplay.q1w2e3" stale/notes.txt.a1B2c3; do
  echo x > "$work/$f"
  touch -d '-2 minutes' "$work/$f"
done
echo x > "$work/stale/Qapo.sco.fresh1"
XDG_CONFIG_HOME=$work/stale/config XDG_DATA_HOME=$work/stale/data "$tool" --dir "$work/stale" --until 100 \
  || fail "the run with stale temporary files failed"
left=$(cd "$work/stale" && find . -name '*.??????' -type f | sort | tr '\n' ' ')
[ "$left" = "./Qapo.sco.fresh1 ./notes.txt.a1B2c3 " ] || fail "after start-up, temporary files left: $left"
# A settings file kept elsewhere through a link: its saves' leftovers lie
# beside the target, under the target's name.
mkdir -p "$work/stale/kept"
echo "[settings]" > "$work/stale/kept/my-settings.ini"
ln -sf "$work/stale/kept/my-settings.ini" "$work/stale/config/tessivane/settings.ini"
echo x > "$work/stale/kept/my-settings.ini.Qw3Er4"
touch -d '-2 minutes' "$work/stale/kept/my-settings.ini.Qw3Er4"
XDG_CONFIG_HOME=$work/stale/config XDG_DATA_HOME=$work/stale/data "$tool" --dir "$work/stale" --until 100 \
  || fail "the run with a linked settings file failed"
[ -e "$work/stale/kept/my-settings.ini.Qw3Er4" ] && fail "a linked settings file's stale temporary file was left"
[ -f "$work/stale/kept/my-settings.ini" ] || fail "the linked settings file itself is gone"

# Bad scripts and arguments: a clear error and status 2.
bad() {  # bad LINE EXPECTED-TEXT
  printf '%s\n' "# fine" "$1" > "$work/bad.txt"
  "$tool" --dir "$work/game" --until 50 --input "$work/bad.txt" 2> "$work/bad.err"
  status=$?
  [ $status -eq 2 ] || fail "'$1' gave status $status"
  grep -q "bad.txt:2: .*$2" "$work/bad.err" || fail "'$1' error unclear: $(cat "$work/bad.err")"
}
bad "0 100 Hyper" "unknown key 'Hyper'"
bad "100 50 A" "end time"
bad "box maybe" "box yes"
bad "10 20 Joy 1 2" "Joy X Y BUTTONS"
bad "jump" "unknown line"
"$tool" --until 2>/dev/null; [ $? -eq 2 ] || fail "missing option value not refused with 2"
"$tool" --shot 10 2>/dev/null; [ $? -eq 2 ] || fail "--shot without FILE not refused with 2"
"$tool" --frobnicate 1 2>/dev/null; [ $? -eq 2 ] || fail "unknown option not refused with 2"
"$tool" --lang fr 2>/dev/null; [ $? -eq 2 ] || fail "--lang fr not refused with 2"

# A dump the disk cannot take is a failed run, never a silent success: a full
# device, and a file size limit that only its last part crosses (the part
# written when the file is closed).
full_run() {  # full_run WHAT FILE [LIMIT_BLOCKS]
  (trap '' XFSZ; [ -z "${3:-}" ] || ulimit -f "$3"
   exec "$tool" --dir "$work/game" --until 2000 --no-record --dump "$2") 2> "$work/full.err"
  status=$?
  [ $status -eq 1 ] && grep -q "cannot write $2" "$work/full.err" ||
    fail "$1: status $status: $(cat "$work/full.err")"
}
[ -w /dev/full ] && full_run "a dump into /dev/full" /dev/full
"$tool" --dir "$work/game" --until 2000 --no-record --dump "$work/whole.json"
size=$(wc -c < "$work/whole.json")
if [ $((size % 4096)) -ne 0 ]; then
  full_run "a dump cut at its last part" "$work/cut.json" $((size / 4096 * 8))
fi

[ $fails -eq 0 ] && echo "headless tool: all checks passed"
exit $fails
