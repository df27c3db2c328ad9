#!/bin/sh
# Usage: platform_single_copy_test.sh GAME
set -u
game=$1
work=$(mktemp -d)
first=""
cleanup() {
  [ -n "$first" ] && kill -9 "$first" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$work"
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# Only while no copy starts: testing the lock takes it for a moment.
held() { ! flock -n "$work/tessivane.lock" true 2>/dev/null; }
opened() { ls -l "/proc/$first/fd" 2>/dev/null | grep -q tessivane.lock; }
start_first() {
  "$game" > "$work/first.out" 2>&1 &
  first=$!
  i=0
  while ! opened && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
  sleep 0.2
  opened || fail "the first copy did not open its lock file: $(cat "$work/first.out")"
}

# The refusal ends with a failing status, in the player's language.
start_first
for case in "ja_JP.UTF-8:多重起動はできません。" "en_US.UTF-8:already running" "C:already running"; do
  LANG=${case%%:*} LC_ALL= LC_MESSAGES= timeout 20 "$game" > "$work/second.out" 2>&1
  status=$?
  [ $status -eq 1 ] || fail "second copy ended with status $status under LANG=${case%%:*}"
  grep -q "${case#*:}" "$work/second.out" ||
    fail "second copy did not show the refusal under LANG=${case%%:*}: $(cat "$work/second.out")"
done
kill -0 "$first" 2>/dev/null || fail "the first copy did not survive the second"

# A copy killed outright leaves no claim behind.
kill -9 "$first"
wait "$first" 2>/dev/null
first=""
held && fail "the claim outlived the killed copy"
start_first
grep -q '多重起動' "$work/first.out" && fail "a new copy was refused after the old one died"

[ $fails -eq 0 ] && echo "single copy: all checks passed"
exit $fails
