#!/bin/sh
# Golden runs: long input scripts played through tessivane-headless, their
# state digested every second and compared with the digests kept beside them.
# Any change of the game's behaviour shows as the first second and the first
# global that differ.
# Usage: golden_test.sh TOOL BUILD_DIR [NAME...]
# GOLDEN_UPDATE=1 writes the digests anew (after a deliberate change only).
set -u
. "$(dirname "$0")/../headless_session.sh"
headless_session "$1" "$2"
shift 2
here=$(cd "$(dirname "$0")" && pwd)

names=$*
[ -n "$names" ] || names=$(cd "$here" && ls *.script | sed 's/\.script$//')

for name in $names; do
  script=$here/$name.script
  # The first line holds the run's options: "#! --seed 1 --until 175000".
  args=$(head -n 1 "$script" | sed -n 's/^#! //p')
  fresh_game_folder
  [ -f "$here/$name.sco" ] && cp "$here/$name.sco" "$work/game/Qapo.sco"
  # A fixed relative folder, so that the paths the run records are the same
  # wherever the test runs.
  # shellcheck disable=SC2086
  (cd "$work" && "$tool" --dir game $args --input "$script" --digest "$work/$name.digest") \
    || { echo "FAIL: $name: exit status $?"; fails=$((fails + 1)); continue; }
  if [ "${GOLDEN_UPDATE:-0}" = 1 ]; then
    cp "$work/$name.digest" "$here/$name.digest"
    echo "$name: digests written"
    continue
  fi
  if result=$(awk -f "$here/compare_digests.awk" "$here/$name.digest" "$work/$name.digest"); then
    echo "$name: $result"
  else
    echo "FAIL: $name: $result"
    fails=$((fails + 1))
  fi
done
[ $fails -eq 0 ] && echo "golden runs: all digests equal"
exit $fails
