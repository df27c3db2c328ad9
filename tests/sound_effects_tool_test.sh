#!/bin/sh
# Sound effects through tessivane-headless: scripted games raise the effects
# their events call for, and turning the effects off changes nothing else.
# Usage: sound_effects_tool_test.sh TOOL BUILD_DIR
set -u
. "$(dirname "$0")/headless_session.sh"
headless_session "$1" "$2"

cat > "$work/play.txt" <<'SCRIPT'
500 550 A        # skip the title's opening
1500 1550 A      # START
8000 12000 A     # fire held four seconds, then released
14000 15500 S    # the bomb button held a second and a half
SCRIPT

run() { # run NAME [OPTION...]
  name=$1
  shift
  "$tool" --dir "$work/game" --seed 2 --until 20000 --input "$work/play.txt" \
    --dump "$work/$name.json" --digest "$work/$name.digest" "$@" || fail "$name: exit status $?"
}
run on
run off --effects-volume 0
run loud --effects-volume 10

# count FILE EFFECT: how many times the effect sounded.
count() { grep -c "{\"name\": \"$2\"" "$1"; }
# The dump without its soundEffects member (the last one) and the settings
# (which hold the effects' volume).
others() { sed '/^  "soundEffects": /,$d' "$1" | grep -v '^  "setting\(s\|Values\)": '; }
# The dump's soundEffects member alone.
effects() { sed -n '/^  "soundEffects": /,$p' "$1"; }

[ "$(count "$work/on.json" menu-confirm)" = 1 ] || fail "START did not sound once"
[ "$(count "$work/on.json" shot)" = 1 ] || fail "held fire sounded $(count "$work/on.json" shot) shots, not one"
charged=$(grep -c '{"name": "charged-shot-' "$work/on.json")
[ "$charged" = 1 ] || fail "the release sounded $charged charged shots, not one"
[ "$(count "$work/on.json" bomb)" = 1 ] || fail "one bomb sounded $(count "$work/on.json" bomb) times"
grep -q '{"name": "explosion-small", "frame": [0-9]*}' "$work/on.json" || fail "no explosion for the kills"
grep -q '^  "soundEffects": \[\]$' "$work/off.json" || fail "volume 0 still records effects"
[ "$(effects "$work/on.json")" = "$(effects "$work/loud.json")" ] || fail "the volume changed which effects sound"

# Everything but the effects is the same with them on or off: dump and digests.
others "$work/on.json" > "$work/on.rest"
others "$work/off.json" > "$work/off.rest"
[ -s "$work/on.rest" ] && cmp -s "$work/on.rest" "$work/off.rest" || fail "the effects changed the dump"
grep -v '^\(soundEffects\|settings\|settingValues\) ' "$work/on.digest" > "$work/on.rest"
grep -v '^\(soundEffects\|settings\|settingValues\) ' "$work/off.digest" > "$work/off.rest"
cmp -s "$work/on.rest" "$work/off.rest" || fail "the effects changed the digests"

# The golden game that fires and continues until stage 1's boss falls: its
# once-only events sound once each.
golden=$(cd "$(dirname "$0")" && pwd)/golden/stage_clear.script
args=$(head -n 1 "$golden" | sed -n 's/^#! //p')
# shellcheck disable=SC2086
"$tool" --dir "$work/game" $args --input "$golden" --dump "$work/clear.json" || fail "stage clear: exit status $?"
for once in explosion-boss boss-fall stage-clear; do
  [ "$(count "$work/clear.json" $once)" = 1 ] || fail "stage clear: $once sounded $(count "$work/clear.json" $once) times"
done
# It loses the ship twice in stage 1, continuing each time, and once more in
# stage 2 just before it ends.
[ "$(count "$work/clear.json" ship-destroyed)" = 3 ] || fail "stage clear: ship-destroyed sounded wrongly"
[ "$(count "$work/clear.json" continue)" = 2 ] || fail "stage clear: continue sounded $(count "$work/clear.json" continue) times"

# The pause menu sounds as the title menu does, and "Quit to title" (a score
# that does not rank) is back at the title menu within 3 s of game time.
cat > "$work/quit.txt" <<'SCRIPT'
500 550 A        # skip the title's opening
1500 1550 A      # START
4000 4043 Esc    # pause
4300 4343 Down
4500 4543 Down   # "Quit to title"
4700 4743 Enter
SCRIPT
"$tool" --dir "$work/game" --until 7800 --input "$work/quit.txt" --dump-at 4650:"$work/paused.json" \
  --dump-at 7700:"$work/quit.json" || fail "quit: exit status $?"
[ "$(count "$work/paused.json" menu-move)" = 2 ] || fail "the pause menu's cursor sounded $(count "$work/paused.json" menu-move) times, not twice"
[ "$(count "$work/quit.json" menu-confirm)" = 2 ] || fail "START and Quit to title did not sound once each"
grep -q '^  "gameMode": 5,$' "$work/quit.json" || fail "3 s after Quit to title the title menu is not up"

for bad in 11 -1 x ""; do
  "$tool" --dir "$work/game" --until 10 --effects-volume "$bad" 2>/dev/null
  [ $? = 2 ] || fail "--effects-volume '$bad' was not refused"
done

[ $fails = 0 ] && echo "sound effects through tessivane-headless: all passed"
exit $fails
