"""The replay viewer through tessivane-headless: seeks land on the state plain
playback has there (forward, back through a snapshot, past the end), playback
goes on checking every digest after a seek, and the viewer's keys pause, step
one frame and slow the game down.
Usage: viewer_test.py TOOL GOLDEN_REPLAYS_DIR"""
import json
import os
import subprocess
import sys
import tempfile

tool, golden = (os.path.abspath(a) for a in sys.argv[1:3])
work = tempfile.mkdtemp()
failures = []

# The tool's own record of the run, not the game's state.
BOOKKEEPING = {"messageBoxes", "musicCommands", "virtualClockMs", "framesPresented", "soundEffects"}


def check(what, ok, detail=""):
    if not ok:
        failures.append(what)
        print("FAIL: %s %s" % (what, detail))


def run(*args):
    p = subprocess.run([tool, *args], capture_output=True, cwd=work, timeout=120)
    return p.returncode, p.stderr.decode()


def state_after(replay, *args):
    out = os.path.join(work, "dump.json")
    if os.path.exists(out):
        os.remove(out)
    code, err = run("--replay", replay, *args, "--until", "1", "--dump", out)
    if code != 0 or not os.path.exists(out):
        return code, err, {}
    with open(out) as f:
        dump = json.load(f)
    return code, err, {k: v for k, v in dump.items() if k not in BOOKKEEPING}


def differing(a, b):
    return sorted(k for k in set(a) | set(b) if a.get(k) != b.get(k))


replays = sorted(os.path.join(golden, n) for n in os.listdir(golden) if n.endswith(".tvreplay"))
check("golden replays found", len(replays) == 4, str(replays))

# Seconds before the first snapshot, between snapshots, on one, and late.
for replay in replays:
    name = os.path.basename(replay)
    for second in (0, 3, 10, 37, 61):
        code, err, forward = state_after(replay, "--seek", str(second))
        check("%s: seek to %d s runs" % (name, second), code == 0 and forward, err)
        # Past the end (landing on the last moment), then back through a snapshot.
        code, err, back = state_after(replay, "--seek", "100000", "--seek", str(second))
        check("%s: back to %d s from the end lands where going forward did" % (name, second),
              code == 0 and not differing(forward, back), err + str(differing(forward, back)))
        code, err, there = state_after(replay, "--seek", str(second + 20), "--seek", str(second))
        check("%s: back to %d s from 20 s later lands there too" % (name, second),
              code == 0 and not differing(forward, there), err + str(differing(forward, there)))
    # After a seek back, playback runs to the end with every digest still equal.
    code, err = run("--replay", replay, "--seek", "100000", "--seek", "2")
    check("%s: plays on to the end after seeking back, every digest equal" % name,
          code == 0 and "playback stopped" not in err, err)

# Past the end: the last moment of the game, as the header reports it.
ending = os.path.join(golden, "ending.tvreplay")
code, err, last = state_after(ending, "--seek", "100000")
check("a seek past the end lands on the game's last moment", code == 0 and last.get("score") == 30003,
      str(last.get("score")) + err)

# The viewer's keys (an input script with --replay): P pauses, N steps one
# frame, Down twice slows the game to a quarter.
stage_clear = os.path.join(golden, "stage_clear.tvreplay")
script = os.path.join(work, "keys.script")
with open(script, "w") as f:
    f.write("8000 8100 P\n9000 9050 N\n10000 10050 N\n11000 11100 P\n11200 11300 Down\n11400 11500 Down\n")
moments = [7990, 8500, 8900, 9500, 10500, 12000, 13000]
dumps = [os.path.join(work, "keys%d.json" % t) for t in moments]
args = ["--replay", stage_clear, "--input", script, "--until", "13500"]
for t, d in zip(moments, dumps):
    args += ["--dump-at", "%d:%s" % (t, d)]
code, err = run(*args)
check("the viewer's keys run", code == 0, err)
clock = []
for d in dumps:
    with open(d) as f:
        clock.append(json.load(f)["frameStartMs"])
frame = 43
check("paused: the game stands still", clock[0] == clock[1] == clock[2], str(clock))
check("N steps exactly one frame, twice", clock[3] - clock[2] == frame and clock[4] - clock[3] == frame, str(clock))
slow = clock[6] - clock[5]
check("a quarter speed: about 250 ms of game in a second", 200 <= slow <= 300, str(clock))

# The overlays (I: the input display, H: the hit boxes) are drawn over the
# presented picture only: with both on through a whole replay every digest
# still matches, and the dumps and pictures equal those of a run pressing a
# key the viewer ignores at the same moments.
seen = {}
for keys in ("I", "Q"):
    script = os.path.join(work, "overlays_%s.script" % keys)
    with open(script, "w") as f:
        f.write("8000 8050 %s\n8100 8150 %s\n" % (keys, "H" if keys == "I" else keys))
    args = ["--replay", stage_clear, "--input", script]
    for t in (9000, 15000, 20000):
        args += ["--dump-at", "%d:%s" % (t, os.path.join(work, "ov_%s_%d.json" % (keys, t))),
                 "--shot", "%d:%s" % (t, os.path.join(work, "ov_%s_%d.png" % (keys, t)))]
    code, err = run(*args)
    check("with keys %s the replay plays to its end, every digest equal" % keys,
          code == 0 and "playback stopped" not in err, err)
    for t in (9000, 15000, 20000):
        with open(os.path.join(work, "ov_%s_%d.json" % (keys, t))) as f:
            dump = {k: v for k, v in json.load(f).items() if k not in BOOKKEEPING}
        with open(os.path.join(work, "ov_%s_%d.png" % (keys, t)), "rb") as f:
            seen.setdefault(t, []).append((dump, f.read()))
for t, ((on, on_png), (off, off_png)) in sorted(seen.items()):
    check("overlays on: the state at %d ms is unchanged" % t, not differing(on, off), str(differing(on, off)))
    check("overlays on: the picture at %d ms is unchanged" % t, on_png == off_png)

# A termination signal while the viewer is paused ends the program there, as
# it does while the replay plays.
script = os.path.join(work, "term.script")
with open(script, "w") as f:
    f.write("8000 8100 P\n9000 term\n")
out = os.path.join(work, "term.json")
code, err = run("--replay", stage_clear, "--input", script, "--until", "30000", "--dump", out)
with open(out) as f:
    ended = json.load(f)["virtualClockMs"]
check("a termination signal while paused ends the program", code == 0 and 9000 <= ended < 10000, "%d %s" % (ended, err))

code, err = run("--seek", "3")
check("--seek without --replay is refused", code == 2 and "--seek goes with --replay" in err, err)

if failures:
    print("%d failures" % len(failures))
    sys.exit(1)
print("replay viewer: all checks passed")
