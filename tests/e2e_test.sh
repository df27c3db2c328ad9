#!/bin/sh
# Whole games through tessivane-headless, replayed from input scripts.
# Usage: e2e_test.sh TOOL BUILD_DIR
set -u
. "$(dirname "$0")/headless_session.sh"
headless_session "$1" "$2"

# field FILE NAME: the value of a scalar (or the whole array) in a dump.
field() { grep -oE "\"$2\": (\[[^]]*\]|[^,]*)" "$1" | head -n 1 | sed "s/^\"$2\": //"; }
# taps FROM TO: the fire key pressed for 50 ms every 100 ms.
taps() {
  t=$1
  while [ "$t" -lt "$2" ]; do
    echo "$t $((t + 50)) A"
    t=$((t + 100))
  done
}

# 1. Title, the selection screen, a stage's demonstration, bomb to leave it,
#    the title again, and a game started with START: the modes on the way.
fresh_game_folder
cat > "$work/round.txt" <<'SCRIPT'
500 550 A        # skip the title's opening
1000 1050 Down
1200 1250 Down   # cursor on DEMO
1500 1550 A      # the selection screen
2500 2550 Down   # the stage row
3000 3050 A      # stage 1's demonstration
12000 12050 S    # leave it
16000 16050 A    # skip the opening again
17000 17050 A    # START
SCRIPT
dumps=""
t=250
while [ $t -le 20000 ]; do dumps="$dumps --dump-at $t:$work/r$t.json"; t=$((t + 250)); done
# shellcheck disable=SC2086
"$tool" --dir "$work/game" --seed 3 --until 20001 --input "$work/round.txt" $dumps \
  || fail "round: exit status $?"
modes=""
last=""
t=250
while [ $t -le 20000 ]; do
  m=$(field "$work/r$t.json" gameMode)
  [ "$m" != "$last" ] && modes="$modes $m"
  last=$m
  t=$((t + 250))
done
[ "$modes" = " 5 9 6 8 3 5 0" ] || fail "round: modes passed through were$modes, not 5 9 6 8 3 5 0"
[ "$(field "$work/r20000.json" stageNo)" = 1 ] || fail "round: the game did not start at stage 1"
[ "$(field "$work/r20000.json" fullRunFlag)" = 1 ] || fail "round: a game from START is a full run"

# 2. A game that loses its ship, continues, loses it again, declines, and
#    enters a name for its second-place score, which lands in the file.
fresh_game_folder
{
  echo "500 600 A"
  echo "2000 2100 A"
  taps 3500 30000
  echo "70000 70100 A      # continue"
  taps 72000 110000
  echo "130000 130100 S    # no more"
  echo "name テスト"
} > "$work/gameover.txt"
"$tool" --dir "$work/game" --seed 1 --until 160000 --input "$work/gameover.txt" \
  --dump-at "69000:$work/g-prompt.json" --dump-at "74000:$work/g-cont.json" --dump "$work/g-end.json" \
  || fail "game over: exit status $?"
[ "$(field "$work/g-prompt.json" gameMode)" = 3 ] || fail "game over: no continue prompt after the first loss"
[ "$(field "$work/g-prompt.json" score)" = 2400 ] || fail "game over: score before the continue"
[ "$(field "$work/g-cont.json" score)" = 800 ] || fail "game over: continuing did not cut the score to a third"
[ "$(field "$work/g-cont.json" shield)" = 3 ] || fail "game over: continuing did not give 3 shield"
[ "$(field "$work/g-cont.json" bombs)" = 2 ] || fail "game over: continuing did not give 2 bombs"
[ "$(field "$work/g-cont.json" fullRunFlag)" = 0 ] || fail "game over: a continued run is still a full run"
[ "$(field "$work/g-end.json" gameMode)" = 5 ] || fail "game over: not back on the title"
grep -q '"kind": "name", "text": "二位です！名前を入力してください（最大６文字)"' "$work/g-end.json" \
  || fail "game over: no second-place name prompt"
[ "$(field "$work/g-end.json" hiScores)" = "[10000, 5100, 5000, 3000, 2000]" ] || fail "game over: scores $(field "$work/g-end.json" hiScores)"
[ "$(field "$work/g-end.json" hiNames)" = '["にんじん", "テスト", "さんだる", "よっと", "ごましお"]' ] \
  || fail "game over: names $(field "$work/g-end.json" hiNames)"
# In the file: 5100 as a float at offset 4, then the name in CP932 after the first.
bytes=$(od -An -tx1 -v "$work/game/Qapo.sco" | tr -d ' \n')
case $bytes in
  00401c4600609f45*) ;;
  *) fail "game over: file scores ${bytes%"${bytes#????????????????????}"}" ;;
esac
case $bytes in
  *060083658358836708*) ;;
  *) fail "game over: the name is not in the file as CP932" ;;
esac

# 3. Keep firing (and continuing) until stage 1's boss falls: stage 2 begins
#    and the file records it.
fresh_game_folder
{ echo "500 600 A"; echo "2000 2100 A"; taps 3500 175000; } > "$work/clear.txt"
"$tool" --dir "$work/game" --seed 1 --until 175000 --input "$work/clear.txt" \
  --dump-at "150000:$work/c-boss.json" --dump "$work/c-end.json" || fail "stage clear: exit status $?"
[ "$(field "$work/c-boss.json" wave)" = 150 ] || fail "stage clear: no stage 1 boss at 150 s"
[ "$(field "$work/c-end.json" stageNo)" = 2 ] || fail "stage clear: stage 2 not reached"
[ "$(field "$work/c-end.json" unlockedStage)" = 2 ] || fail "stage clear: stage 2 not unlocked"
grep -q 'QapoMidi/fly.mid' "$work/c-end.json" || fail "stage clear: stage 2's tune not opened"
# unlockedStage sits 6 bytes before the end of the 78-byte default record
# (five medals and the check value follow it).
size=$(wc -c < "$work/game/Qapo.sco")
stage=$(od -An -tu1 -j $((size - 10)) -N 1 "$work/game/Qapo.sco" | tr -d ' ')
[ "$stage" = 2 ] || fail "stage clear: the file holds stage $stage"

[ $fails -eq 0 ] && echo "end to end: all checks passed"
exit $fails
