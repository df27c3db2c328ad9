#!/bin/bash
# Seeking in an hour-long replay: records one with tessivane-headless (a game
# kept going for an hour by an input script that fires, drifts left and right,
# and answers every continue question yes), checks that it verifies and how
# long its game is, then runs bench_replay_seek on it (the opening scan, and
# seeks forward, backward and to random seconds, each timed; goal: every seek
# under 0.5 s). Asserts nothing; run it by hand on an idle machine:
#
#   bench/replay_seek.sh BUILD_DIR [RANDOM_SEEKS]
#
# The replay is kept in BUILD_DIR/bench/hour.tvreplay and made again only when
# it is missing or no longer verifies (other game rules).
set -eu
build=$(cd "${1:?usage: replay_seek.sh BUILD_DIR [RANDOM_SEEKS]}" && pwd)
random=${2:-200}
tool=$build/tessivane-headless
replay=$build/bench/hour.tvreplay

verify() { "$tool" --verify "$1" 2>/dev/null; }

if [ ! -f "$replay" ] || ! verify "$replay" | grep -q '"verified": true'; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # Fire (tapped, so that each continue question sees a fresh press) for the
  # first 20 minutes, then only every 2 s, so that the game lasts rather than
  # reaching its ending; drift left and right all along.
  awk 'BEGIN {
    print "500 600 A"
    for (t = 2000; t < 3700000; t += (t < 1200000 ? 100 : 2000)) print t, t + 50, "A"
    for (k = 0; k < 3700000; k += 4000) print k + 2000, k + 3500, ((k / 4000) % 2 ? "Left" : "Right")
  }' >"$work/hour.script"
  echo "recording an hour-long game (about a minute)..."
  HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
    "$tool" --seed 7 --input "$work/hour.script" --until 3700000
  recorded=$(ls "$work"/data/tessivane/replays/*.tvreplay | head -n 1)
  mv "$recorded" "$replay"
fi
verify "$replay" | sed -n 's/.*"frames": \([0-9]*\).*/\1/p' |
  awk '{ printf "the replay verifies: %d frames, %.1f minutes of play at 43 ms a frame\n", $1, $1 * 0.043 / 60 }'
"$build/bench/bench_replay_seek" "$replay" "$random"
