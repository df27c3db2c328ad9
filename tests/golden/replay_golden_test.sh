#!/bin/sh
# Golden replays: recorded games kept in tests/golden/replays, played back
# through tessivane-headless with their state digested every second and
# compared with the digests kept beside them. A difference names the first
# second and the first global that differ.
# Usage: replay_golden_test.sh TOOL BUILD_DIR [NAME...]
# GOLDEN_RECORD=1 records the replays anew from the golden scripts of the
# same names (after the build identity was raised) and writes their digests;
# GOLDEN_UPDATE=1 only writes the digests anew.
set -u
. "$(dirname "$0")/../headless_session.sh"
headless_session "$1" "$2"
shift 2
here=$(cd "$(dirname "$0")" && pwd)
kept=$here/replays
export XDG_DATA_HOME="$work/data"

names=$*
[ -n "$names" ] || names=$(cd "$kept" && ls *.tvreplay | sed 's/\.tvreplay$//')

for name in $names; do
  if [ "${GOLDEN_RECORD:-0}" = 1 ]; then
    script=$here/$name.script
    args=$(head -n 1 "$script" | sed -n 's/^#! //p')
    rm -rf "$work/data" "$work/game/Qapo.sco"
    [ -f "$here/$name.sco" ] && cp "$here/$name.sco" "$work/game/Qapo.sco"
    # shellcheck disable=SC2086
    (cd "$work" && "$tool" --dir game $args --input "$script") || { echo "FAIL: $name: recording"; exit 1; }
    rm -f "$work/game/Qapo.sco"
    # The first game of the run is the golden one (a later game of the same
    # second takes a name ending in "-2", "-3"...).
    first=$(cd "$work/data/tessivane/replays" && ls *.tvreplay | grep -v -- '-[0-9]\{6\}-[0-9]*\.tvreplay$' | head -n 1)
    cp "$work/data/tessivane/replays/$first" "$kept/$name.tvreplay"
  fi
  (cd "$work" && "$tool" --dir game --replay "$kept/$name.tvreplay" --digest "$work/$name.digest") \
    || { echo "FAIL: $name: playback exit status $?"; fails=$((fails + 1)); continue; }
  if [ "${GOLDEN_RECORD:-0}" = 1 ] || [ "${GOLDEN_UPDATE:-0}" = 1 ]; then
    cp "$work/$name.digest" "$kept/$name.digest"
    echo "$name: digests written"
    continue
  fi
  if result=$(awk -f "$here/compare_digests.awk" "$kept/$name.digest" "$work/$name.digest"); then
    echo "$name: $result"
  else
    echo "FAIL: $name: $result"
    fails=$((fails + 1))
  fi
done
[ -d "$work/data" ] && [ "${GOLDEN_RECORD:-0}" != 1 ] && { echo "FAIL: a playback recorded itself"; fails=$((fails + 1)); }
[ $fails -eq 0 ] && echo "golden replays: all digests equal"
exit $fails
