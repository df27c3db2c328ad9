#!/bin/sh
# A replay holds its game, not the session before it: a game started after
# an hour at the title's menu leaves a replay about as large as one started
# at once, and both play back and verify.
# Usage: long_session_test.sh TOOL BUILD_DIR
set -u
. "$(dirname "$0")/../headless_session.sh"
headless_session "$1" "$2"

# record NAME SCRIPT UNTIL: a session; its one replay's path in $replay.
record() {
  export XDG_DATA_HOME="$work/$1"
  printf '%b' "$2" > "$work/$1.script"
  (cd "$work" && "$tool" --dir game --seed 5 --until "$3" --input "$1.script") \
    || fail "$1: the session ended with status $?"
  replay=$(ls "$work/$1"/tessivane/replays/*.tvreplay 2> /dev/null | head -n 1)
  [ -n "$replay" ] || fail "$1: no replay"
}

# Past the opening, START, 30 s of play with fire held.
record now '500 550 A\n1500 1550 A\n3000 33000 A Left\n' 33000
quick=$replay
# Past the opening, the title's Escape menu for an hour, back, START, the
# same 30 s.
hour=3600000
record later "500 550 A\n1500 1550 Esc\n$((hour + 1500)) $((hour + 1550)) Esc\n$((hour + 2500)) $((hour + 2550)) A\n$((hour + 4000)) $((hour + 34000)) A Left\n" $((hour + 34000))
late=$replay

if [ -n "$quick" ] && [ -n "$late" ]; then
  a=$(wc -c < "$quick")
  b=$(wc -c < "$late")
  echo "replay of a game started at once: $a bytes; after an hour at the title: $b bytes"
  [ "$b" -le $((a * 3 / 2 + 1024)) ] || fail "the hour before the game is in its replay ($b bytes against $a)"
  for r in "$quick" "$late"; do
    v=$("$tool" --verify "$r")
    case $v in *'"verified": true'*'"formatVersion": 3'*'"score"'*) ;; *) fail "$(basename "$r") does not verify: $v" ;; esac
  done
fi
[ $fails -eq 0 ] && echo PASS || exit 1
