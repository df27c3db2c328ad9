#!/bin/sh
# The replay list from the high-score table: R opens it at the table's runs
# (a run that made no place is not among them), bomb goes back to the table,
# fire chooses the run shown. tessivane-headless --replay-list says which run
# was chosen instead of starting the game anew on it. Without --replay-list
# the table reads and shows what it always did.
# Usage: list_test.sh TOOL BUILD_DIR GOLDEN_DIR
set -u
. "$(dirname "$0")/../headless_session.sh"
golden=$(cd "$3" && pwd)
headless_session "$1" "$2"
export XDG_DATA_HOME="$work/data"
cd "$work" || exit 1

# A game over with a name (second place), then a game cut off without one.
"$tool" --dir game --seed 1 --until 160000 --input "$golden/continue_gameover.script" || fail "first game"
placed=$(ls "$work"/data/tessivane/replays/*.tvreplay)
"$tool" --dir game --seed 1 --until 60000 --input "$golden/stage_clear.script" || fail "second game"
[ "$(ls data/tessivane/replays | wc -l)" -eq 2 ] || fail "two games did not leave two replays"

# Title: skip the opening, down to HISCORE, enter; R, bomb back, R again, fire.
cat > list.script <<'SCRIPT'
500 550 A
1000 1050 Down
1500 1550 A
2500 2550 R
3500 3550 S
4500 4550 R
5500 5550 A
SCRIPT
out=$("$tool" --dir game --seed 2 --until 8000 --no-record --replay-list --input list.script \
  --shot 2000:table.png --shot 3000:list.png --shot 4000:back.png)
[ "$out" = "watch $placed" ] || fail "fire on the list's first row gave '$out', not 'watch $placed'"
head -n 3 list.script > table.script
"$tool" --dir game --seed 2 --until 8000 --no-record --replay-list --input table.script --shot 4000:stay.png
cmp -s stay.png back.png || fail "bomb did not go back to the table as it was"
cmp -s table.png list.png && fail "R did not open the list"

# Without --replay-list: R does nothing and the table shows no hint.
out=$("$tool" --dir game --seed 2 --until 8000 --no-record --input list.script --shot 2000:plain.png)
[ -z "$out" ] || fail "without --replay-list the list opened ('$out')"
cmp -s table.png plain.png && fail "the table shows no R hint with --replay-list"

# A session that opened the list (R, down to EXIT, fire) and then played a
# game plays back alike after the folder changed: the listing is a reading
# of the machine, kept in the replay, so the cursor lands on EXIT again (not
# on a row the folder holds now) and nothing is watched; the replay verifies.
cat > session.script <<'SCRIPT'
500 550 A
1000 1050 Down
1500 1550 A
2500 2550 R
3000 3050 Down
3500 3550 A
4500 4550 H
SCRIPT
before=$(ls data/tessivane/replays)
"$tool" --dir game --seed 3 --until 20000 --replay-list --input session.script || fail "the session with the list"
session=data/tessivane/replays/$(ls data/tessivane/replays | grep -vxF "$before" | head -n 1)
cp "$placed" data/tessivane/replays/20000101-000000.tvreplay  # one more run of the table's
out=$("$tool" --dir game --replay "$session")
[ -z "$out" ] || fail "the playback met another listing and went to watch ('$out')"
"$tool" --verify "$session" | grep -q '"verified": true' || fail "the session's replay did not verify"

# Back from watching a replay chosen on a list, the game starts at that list
# (--back-to, as the game starts itself anew): the list at once, without the
# intro; leaving it goes to the table, or to the title menu.
cat > back.script <<'SCRIPT'
1000 1050 S
SCRIPT
# (The list's cursor stands on its first row, at x 8, y 120.)
in_list() { grep -q '"cursorX": 8,' "$1" && grep -q '"cursorY": 120,' "$1"; }
for where in table replays; do
  "$tool" --dir game --no-record --replay-list --back-to $where --until 3000 --input back.script \
    --dump-at 500:at-$where.json --dump-at 2000:left-$where.json --shot 500:back-$where.png
  in_list at-$where.json || fail "--back-to $where did not start at the list"
done
cmp -s back-replays.png back-table.png && fail "--back-to replays showed the table's runs only"
grep -q '"gameMode": 7,' left-table.json || fail "leaving the list of --back-to table was not the table"
grep -q '"gameMode": 5,' left-replays.json || fail "leaving the list of --back-to replays was not the title menu"

[ $fails -eq 0 ] && echo "replay list: opened, left and chosen as asked"
exit $fails
