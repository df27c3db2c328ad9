#!/bin/sh
# Records 20 games driven by random input scripts in tessivane-headless, plays
# every replay they leave back, and checks that playback is the recorded run:
# its per-second digests are the recording's, moment for moment, up to the
# replay's end, and a run cut off by --until or a close ends with a final dump
# byte-identical to the recording's. Scripts hold continues, game overs with
# names (and cancelled ones), closes, and starts from H, E and the selection.
# Usage: roundtrip_test.sh TOOL BUILD_DIR [RUNS]
set -u
. "$(dirname "$0")/../headless_session.sh"
runs=${3:-20}
headless_session "$1" "$2"
placed=0
cut=0
# same_moments REC PLAY: every moment of PLAY's digests (each lists the
# members changed since the one before) holds the game REC holds then.
same_moments() {
  python3 - "$1" "$2" << 'PY'
import sys
skip = {"framesPresented", "musicCommands", "messageBoxes", "soundEffects"}
def moments(path):
    out, now, at = {}, {}, None
    for line in open(path):
        line = line.split()
        if len(line) == 1 and line[0].startswith("@"):
            at = int(line[0][1:])
            out[at] = now = dict(now)
        elif len(line) == 2 and line[0] not in skip:
            now[line[0]] = line[1]
    return out
rec, play = moments(sys.argv[1]), moments(sys.argv[2])
if not play:
    sys.exit(print("playback gave no digests") or 1)
for at in sorted(play):
    if at not in rec:
        sys.exit(print("the recording has no moment %d ms" % at) or 1)
    diff = sorted(k for k in set(rec[at]) | set(play[at]) if rec[at].get(k) != play[at].get(k))
    if diff:
        sys.exit(print("first difference at %d ms: %s" % (at, " ".join(diff[:5]))) or 1)
PY
}
# same_game A B: two dumps hold the same game, and the same clock (what the
# tool saw of the session before the game, its frames, music, sounds and
# boxes, is not in a replay).
same_game() {
  python3 - "$1" "$2" << 'PY'
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:3])
skip = {"framesPresented", "musicCommands", "messageBoxes", "soundEffects"}
diff = sorted(k for k in set(a) | set(b) if k not in skip and a.get(k) != b.get(k))
if diff:
    print("differing members:", " ".join(diff[:10]))
sys.exit(1 if diff else 0)
PY
}
overs=0

for run in $(seq 1 "$runs"); do
  export XDG_DATA_HOME="$work/data$run"
  rm -f "$work/game/Qapo.sco"
  # A random game: taps and holds of every key, answers and names, maybe a close.
  awk -v seed="$run" 'BEGIN {
    srand(seed * 7919)
    split("A A A A A S H E P Up Down Left Right Ctrl Num4 Num6", keys, " ")
    until = 60000 + int(rand() * 150000)
    print "# until " until
    t = 300
    while (t < until) {
      len = 50 + int(rand() * (rand() < 0.3 ? 2000 : 200))
      k = keys[1 + int(rand() * 16)]
      extra = rand() < 0.5 ? " A" : ""
      print t, t + len, k extra
      t += 30 + int(rand() * 400)
    }
    for (i = 0; i < 8; i++) print "box " (rand() < 0.6 ? "yes" : "no")
    for (i = 0; i < 6; i++) print (rand() < 0.8 ? "name R" seed "n" i : "name-cancel")
    if (rand() < 0.3) print int(10000 + rand() * (until - 10000)), "close"
  }' > "$work/run$run.script"
  until=$(sed -n 's/^# until //p' "$work/run$run.script")
  (cd "$work" && "$tool" --dir game --seed "$run" --until "$until" --input "run$run.script" \
      --dump "rec$run.json" --digest "rec$run.digest") \
    || { echo "FAIL: run $run: recording exit status $?"; fails=$((fails + 1)); continue; }
  n=0
  for replay in "$XDG_DATA_HOME"/tessivane/replays/*.tvreplay; do
    [ -f "$replay" ] || continue
    n=$((n + 1))
    info=$("$tool" --replay-info "$replay")
    rm -f "$work/play.json" "$work/play.digest"
    (cd "$work" && XDG_DATA_HOME="$work/none" "$tool" --dir game --replay "$replay" \
        --dump play.json --digest play.digest) \
      || { echo "FAIL: run $run: $(basename "$replay"): playback exit status $?"; fails=$((fails + 1)); continue; }
    # A replay holds its game only: playback's moments begin at the game's
    # start, on the recorded run's clock, and each is the recording's there.
    why=$(same_moments "$work/rec$run.digest" "$work/play.digest") \
      || { echo "FAIL: run $run: $(basename "$replay"): $why"; fails=$((fails + 1)); }
    case $info in *"place: 0"*) ;; *) placed=$((placed + 1)) ;; esac
    case $info in *"ended: game over"*) overs=$((overs + 1)) ;; esac
    case $info in
      *"ended: quit"*)
        cut=$((cut + 1))
        same_game "$work/play.json" "$work/rec$run.json" \
          || { echo "FAIL: run $run: $(basename "$replay"): the final dumps differ"; fails=$((fails + 1)); }
        ;;
    esac
  done
  [ -d "$work/none" ] && { echo "FAIL: run $run: a playback recorded itself"; fails=$((fails + 1)); }
  echo "run $run: $n replays"
done

echo "replays ended by game over: $overs, with a place in the table: $placed, cut off and dumps compared: $cut"
[ "$overs" -gt 0 ] && [ "$placed" -gt 0 ] && [ "$cut" -ge $((runs / 2)) ] \
  || { echo "FAIL: the random games did not cover game overs, places and cut-off runs"; fails=$((fails + 1)); }

# --no-record leaves nothing.
export XDG_DATA_HOME="$work/norecord"
(cd "$work" && "$tool" --dir game --no-record --seed 1 --until 20000 --input run1.script)
[ -d "$work/norecord/tessivane/replays" ] && ls "$work/norecord/tessivane/replays" | grep -q . \
  && { echo "FAIL: --no-record recorded"; fails=$((fails + 1)); }

[ $fails -eq 0 ] && echo "replays: every playback matched its recording"
exit $fails
