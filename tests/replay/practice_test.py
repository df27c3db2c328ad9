"""Practice through tessivane-headless: a take-over starts from exactly the
replay's state and then follows the new input, its "Retry" and "End practice"
go back to the take-over moment (the replay then plays on to its end with
every digest equal), and a practice run chosen in the menus ends at the
practice menu with the score file untouched and its replay marked practice.
Usage: practice_test.py TOOL GOLDEN_REPLAYS_DIR MAP"""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

import replay_edit

tool, golden, map_file = (os.path.abspath(a) for a in sys.argv[1:4])
work = tempfile.mkdtemp()
failures = []
checks = 0

# The tool's own record of the run, not the game's state.
BOOKKEEPING = {"messageBoxes", "musicCommands", "virtualClockMs", "framesPresented", "soundEffects"}


def check(what, ok, detail=""):
    global checks
    checks += 1
    if not ok:
        failures.append(what)
        print("FAIL: %s %s" % (what, detail))


# A game folder of its own (the score file is written there) and a home.
game = os.path.join(work, "game")
os.makedirs(game)
shutil.copy(map_file, os.path.join(game, "Qapo.map"))
env = dict(os.environ, HOME=work, XDG_DATA_HOME=os.path.join(work, "data"),
           XDG_CONFIG_HOME=os.path.join(work, "config"))
replays_folder = os.path.join(work, "data", "tessivane", "replays")


def run(*args):
    p = subprocess.run([tool, "--dir", game, *args], capture_output=True, cwd=work, env=env, timeout=300)
    return p.returncode, p.stderr.decode()


def script(name, text):
    path = os.path.join(work, name)
    with open(path, "w") as f:
        f.write(text)
    return path


def dumps(*args, at=()):
    """Runs the tool with a dump at each time of `at` and one at the end."""
    files = [os.path.join(work, "at%d.json" % t) for t in at] + [os.path.join(work, "end.json")]
    for f in files:
        if os.path.exists(f):
            os.remove(f)
    captures = []
    for t, f in zip(at, files):
        captures += ["--dump-at", "%d:%s" % (t, f)]
    code, err = run(*args, *captures, "--dump", files[-1])
    out = []
    for f in files:
        with open(f) if os.path.exists(f) else open(os.devnull) as h:
            text = h.read()
        out.append(json.loads(text) if text else {})
    return code, err, out


def game_state(dump):
    return {k: v for k, v in dump.items() if k not in BOOKKEEPING and k != "practice"}


def differing(a, b):
    return sorted(k for k in set(a) | set(b) if a.get(k) != b.get(k))


stage_clear = os.path.join(golden, "stage_clear.tvreplay")
nothing = script("nothing.script", "")
left = script("left.script", "0 2000 Left\n")

# ---- Take-over -----------------------------------------------------------------
# At the landing (a dump at 0) the state is the replay's at that second; then
# the script's keys play: Left moves the ship where the replay did not.
for second in (30, 100):
    code, err, (seen, _) = dumps("--replay", stage_clear, "--seek", str(second), "--until", "2000", at=(0,))
    code2, err2, (taken, after) = dumps("--replay", stage_clear, "--take-over", str(second), "--input", left,
                                        "--until", "2000", at=(0,))
    check("take-over at %d s: the state is the replay's there" % second,
          code == 0 and code2 == 0 and seen and not differing(game_state(seen), game_state(taken)),
          err + err2 + str(differing(game_state(seen), game_state(taken))))
    check("take-over at %d s: the dump says practice" % second, after.get("practice") == "took over",
          str(after.get("practice")))
    check("take-over at %d s: the script's Left moved the ship" % second,
          after.get("playerX", 999) < taken.get("playerX", 0), "%s -> %s" % (taken.get("playerX"),
                                                                              after.get("playerX")))
    _, _, (again,) = dumps("--replay", stage_clear, "--take-over", str(second), "--input", left, "--until", "2000")
    check("take-over at %d s: the same input gives the same game" % second,
          not differing(game_state(after), game_state(again)), str(differing(game_state(after), game_state(again))))

# Taken over after the boss fell, the stage is cleared whatever the input:
# practice ends at its menu, the next stage never begins.
_, _, (ended,) = dumps("--replay", stage_clear, "--take-over", "150", "--input", nothing, "--until", "8000")
check("a take-over ends when its stage is cleared", ended.get("stageNo") == 1 and ended.get("practice")
      == "took over" and ended.get("unlockedStage") == 1, str({k: ended.get(k) for k in ("stageNo", "practice")}))
# "Retry" (the first item) puts the game back where it was taken over.
retry = script("retry.script", "8000 8100 Enter\n")
_, _, (before_retry, after_retry) = dumps("--replay", stage_clear, "--take-over", "150", "--input", retry,
                                          "--until", "8200", at=(0,))
check("Retry goes back to the take-over moment",
      after_retry.get("practice") == "took over" and after_retry.get("score") == before_retry.get("score")
      and after_retry.get("sequenceTimer", 999) < ended.get("sequenceTimer", 0),
      str({k: (before_retry.get(k), after_retry.get(k)) for k in ("score", "sequenceTimer")}))
# "End practice" goes back to the replay, which plays on to its end, every
# digest equal, and ends as the replay did.
back = script("back.script", "8000 8100 Down\n8300 8400 Enter\n")
code, err, (watched,) = dumps("--replay", stage_clear, "--take-over", "150", "--input", back)
code2, err2, (plain,) = dumps("--replay", stage_clear)
check("End practice goes back to the replay, which plays to its end",
      code == 0 and "playback stopped" not in err and "practice" not in watched
      and not differing(game_state(watched), game_state(plain)),
      err + str(differing(game_state(watched), game_state(plain))))

code, err = run("--replay", stage_clear, "--take-over", "150")
check("--take-over without --input is refused", code == 2, err)

# ---- Practice from the menus ------------------------------------------------------
# A first start writes the score file; practice must leave it as it is.
code, err = run("--until", "1000", "--no-record")
score_file = os.path.join(game, "Qapo.sco")
with open(score_file, "rb") as f:
    score_before = f.read()

# The title's Escape menu, "Practice", stage 1 on hard, "Start"; fire held
# until the ship is lost, then "Retry" (Enter, which the continue question
# would not take) starts the run again.
menu = script("menu.script", """
500 550 A         # past the opening
1500 1550 Esc     # the title's Escape menu
1700 1750 Down
1900 1950 Down    # "Practice"
2100 2150 Enter
2500 2550 Down
2700 2750 Down
2900 2950 Right   # "Hard"
3100 3150 Down    # "Start"
3300 3350 Enter
4000 50000 A
52000 52100 Enter # "Retry"
""")
code, err, (playing, lost, retried, _) = dumps("--input", menu, "--until", "60000", at=(10000, 51000, 58000))
check("the menus start a practice run", code == 0 and playing.get("practice") == "menu"
      and playing.get("stageNo") == 1 and playing.get("hardMode") == 1, err + str(playing.get("practice")))
check("the ship lost, the run ends at its menu", lost.get("practice") == "menu" and lost.get("shield") == 0,
      str({k: lost.get(k) for k in ("shield", "gameMode")}))
check("Retry starts the run again", retried.get("practice") == "menu" and retried.get("gameMode") == 0
      and retried.get("shield") == 3 and retried.get("stageNo") == 1 and retried.get("hardMode") == 1,
      str({k: retried.get(k) for k in ("gameMode", "shield", "stageNo", "hardMode")}))
with open(score_file, "rb") as f:
    check("practice leaves the score file byte for byte", f.read() == score_before)
kept = sorted(glob.glob(os.path.join(replays_folder, "*.tvreplay")))
check("each run left its replay", len(kept) == 2, str(kept))
for replay in kept:
    info = subprocess.run([tool, "--replay-info", replay], capture_output=True, text=True).stdout
    check("--replay-info says practice", "practice: yes" in info, info)
    verdict = json.loads(subprocess.run([tool, "--verify", replay], capture_output=True, text=True,
                                        env=env).stdout or "{}")
    check("--verify verifies it and says practice", verdict.get("verified") is True
          and verdict.get("practice") is True and verdict.get("startStage") == 1, str(verdict))
# A practice run whose header no longer says so is refused (the board ranks
# what --verify says).
if kept:
    r = replay_edit.read(kept[0])
    r.flags &= ~1
    forged = os.path.join(work, "forged.tvreplay")
    replay_edit.write(r, forged)
    verdict = json.loads(subprocess.run([tool, "--verify", forged], capture_output=True, text=True,
                                        env=env).stdout or "{}")
    check("a practice run passed off as a game is refused", verdict.get("verified") is False
          and "the play was a practice run" in verdict.get("reason", ""), str(verdict))

# --practice starts the same run without the menus; the pause menu's "Retry"
# starts it again (the first run kept), its "End practice" keeps the second
# and goes to the practice menu, whose "Back" leads to the title menu.
shutil.rmtree(replays_folder, ignore_errors=True)
ends = script("ends.script", """
0 5000 A
5000 5050 Esc     # pause
5200 5250 Down
5400 5450 Down    # "Retry"
5600 5650 Enter
8000 12000 A
12000 12050 Esc
12200 12250 Down
12400 12450 Down
12600 12650 Down  # "End practice"
12800 12850 Enter
16000 16050 Up    # the practice menu's "Back"
16200 16250 Enter
""")
code, err, (after_end,) = dumps("--practice", "1:boss", "--difficulty", "easy", "--input", ends, "--until", "18000")
kept = sorted(glob.glob(os.path.join(replays_folder, "*.tvreplay")))
check("Retry and End practice: two runs kept, back at the practice menu",
      code == 0 and len(kept) == 2 and "practice" not in after_end and after_end.get("gameMode") == 5,
      err + str(kept) + str({k: after_end.get(k) for k in ("gameMode", "practice")}))
for replay in kept:
    verdict = json.loads(subprocess.run([tool, "--verify", replay], capture_output=True, text=True,
                                        env=env).stdout or "{}")
    check("each run verifies as an easy practice", verdict.get("verified") is True and verdict.get("practice")
          is True and verdict.get("difficulty") == "easy", str(verdict))
with open(score_file, "rb") as f:
    check("nor does --practice touch the score file", f.read() == score_before)
for bad in (["--practice", "9"], ["--practice", "2:bos"], ["--difficulty", "hard"]):
    code, err = run(*bad, "--until", "10")
    check("%s is refused" % " ".join(bad), code == 2, err)

shutil.rmtree(work, ignore_errors=True)
if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("all %d practice checks passed" % checks)
