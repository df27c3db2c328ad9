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

# Bad scripts and arguments: a clear error and status 2.
bad() {  # bad LINE EXPECTED-TEXT
  printf '%s\n' "# fine" "$1" > "$work/bad.txt"
  "$tool" --dir "$work/game" --until 50 --input "$work/bad.txt" 2> "$work/bad.err"
  status=$?
  [ $status -eq 2 ] || fail "'$1' gave status $status"
  grep -q "bad.txt:2: .*$2" "$work/bad.err" || fail "'$1' error unclear: $(cat "$work/bad.err")"
}
bad "0 100 Tab" "unknown key 'Tab'"
bad "100 50 A" "end time"
bad "box maybe" "box yes"
bad "10 20 Joy 1 2" "Joy X Y BUTTONS"
bad "jump" "unknown line"
"$tool" --until 2>/dev/null; [ $? -eq 2 ] || fail "missing option value not refused with 2"
"$tool" --shot 10 2>/dev/null; [ $? -eq 2 ] || fail "--shot without FILE not refused with 2"
"$tool" --frobnicate 1 2>/dev/null; [ $? -eq 2 ] || fail "unknown option not refused with 2"

[ $fails -eq 0 ] && echo "headless tool: all checks passed"
exit $fails
