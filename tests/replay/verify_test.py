"""tessivane-headless --verify and --replay-info against the golden replays,
a replay of the first format, and forged or damaged copies of a replay.
Usage: verify_test.py TOOL GOLDEN_REPLAYS_DIR FORMAT1_REPLAY"""
import json
import resource
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import replay_edit  # noqa: E402

tool, golden, format1 = (os.path.abspath(a) for a in sys.argv[1:4])
work = tempfile.mkdtemp()
failures = []
checks = 0


def check(what, ok, detail=""):
    global checks
    checks += 1
    if not ok:
        failures.append(what)
        print("FAIL: %s %s" % (what, detail))


def run(*args):
    p = subprocess.run([tool, *args], capture_output=True, cwd=work)
    return p.returncode, p.stdout, p.stderr


def verify(path):
    code, out, err = run("--verify", path)
    lines = out.decode().splitlines()
    check("--verify prints one line of JSON for %s" % path, len(lines) == 1, out + err)
    return code, json.loads(lines[0]) if lines else {}


# The medals each golden game earned at its ending: only ending.tvreplay
# reaches it (from stage 7, so no whole-game medal).
MEDALS = {"ending.tvreplay": ["ending"]}

# Every golden replay verifies, with its digests checked, and reaches what
# its header says.
for name in sorted(os.listdir(golden)):
    if not name.endswith(".tvreplay"):
        continue
    path = os.path.join(golden, name)
    header = replay_edit.read(path)
    code, v = verify(path)
    check(name + " verifies", code == 0 and v.get("verified") is True, str(v))
    check(name + " carries digests", v.get("digests", 0) > 0, str(v))
    check(name + " reaches its header's score", v.get("score") == int(header.score), str(v))
    check(name + " frames counted", v.get("frames", 0) > 0, str(v))
    check(name + " reports the medals of its ending", v.get("medals") == MEDALS.get(name, []), str(v))

# A replay of the first format plays unchecked.
code, v = verify(format1)
check("format 1 verifies unchecked", code == 0 and v.get("verified") and v.get("digests") == 0, str(v))
code, out, _ = run("--replay-info", format1)
check("--replay-info tells format 1", b"format: 1 (no state digests)" in out and b"playable: yes" in out, out)
check("--replay-info dates in ISO 8601", b"recorded: 20" in out and b"Z\n" in out, out)

# Forged and damaged copies of the shortest golden game.
base = os.path.join(golden, "stage7.tvreplay")
original = replay_edit.read(base)


def events_in_game(r, tag):
    return [e for e in replay_edit.events(r.raw) if e[1] == tag and e[0] >= r.game_start]


def raise_score(r):
    r.score += 1000


def claim_ending(r):
    r.ending = 2


def claim_place(r):
    r.place = 0
    r.name = b"ACE"


def alter_digest(r):
    at = events_in_game(r, "D")[10][2][1][0]
    r.raw[at] ^= 0x01


def flip_keys(r):
    keys = events_in_game(r, "K")
    for _, _, fields in keys[len(keys) // 3:len(keys) // 3 + 400]:
        r.raw[fields[1][0]] ^= 1


def other_rules(r):
    r.build = b"Tessivane 0.9 (game rules 1)"


def drop_digests(r):
    # Every digest taken out: the game asks to check one that is not there.
    out, last = bytearray(), 0
    for start, tag, fields in replay_edit.events(r.raw):
        if tag == "D":
            out += r.raw[last:start]
            last = fields[1][0] + 8
    r.raw = out + r.raw[last:]


cases = [
    ("score raised", raise_score, "claims a score of 2566; the play reached 1566"),
    ("ending claimed", claim_ending, "claims the game ended by ending; the play ended by quit"),
    ("place claimed", claim_place, "claims table place 1; the play made place 0"),
    ("a digest altered", alter_digest, "differs from the recorded game's at second"),
    ("readings tampered, digests kept", flip_keys, "did not verify"),
    ("digests removed", drop_digests, "did not verify"),
    ("other rules", other_rules, "other rules: recorded by Tessivane 0.9"),
]
for what, mutate, reason in cases:
    r = replay_edit.read(base)
    r.raw = bytearray(r.raw)
    mutate(r)
    path = os.path.join(work, "forged.tvreplay")
    replay_edit.write(r, path)
    code, v = verify(path)
    check(what + ": refused", code == 3 and v.get("verified") is False, str(v))
    check(what + ": says why", reason in v.get("reason", ""), str(v))

# The play is told, not the header: a refused forgery still reports the score
# the play reached.
r = replay_edit.read(base)
r.score = 99999
replay_edit.write(r, os.path.join(work, "forged.tvreplay"))
code, v = verify(os.path.join(work, "forged.tvreplay"))
check("the reached score is printed", v.get("score") == 1566, str(v))

# Playback in place of a script stops at the first differing digest, exit 3.
r = replay_edit.read(base)
r.raw = bytearray(r.raw)
alter_digest(r)
replay_edit.write(r, os.path.join(work, "forged.tvreplay"))
code, _, err = run("--replay", os.path.join(work, "forged.tvreplay"), "--no-record")
check("--replay stops at a digest", code == 3 and b"at second" in err and b"recorded" in err and b"found" in err, err)

# Damaged files: cut short; larger than any replay (a sparse file, refused
# unread); a header claiming a huge stream (inflated in steps, never
# allocated whole); control characters in the build text shown escaped.
data = open(base, "rb").read()
open(os.path.join(work, "cut.tvreplay"), "wb").write(data[: len(data) - 100])
code, v = verify(os.path.join(work, "cut.tvreplay"))
check("cut short: refused as damaged", code == 3 and v.get("reason", "").startswith("damaged"), str(v))
code, out, _ = run("--replay-info", os.path.join(work, "cut.tvreplay"))
check("cut short: --replay-info says it does not play", b"playable: no" in out, out)

huge = os.path.join(work, "huge.tvreplay")
with open(huge, "wb") as f:
    f.write(data[:64])
    f.truncate(2 << 30)
code, v = verify(huge)
check("a 2 GB file: refused unread", code == 3 and "larger than any replay" in v.get("reason", ""), str(v))

path = os.path.join(work, "claims.tvreplay")
r = replay_edit.read(base)
r.raw = r.raw + os.urandom(300000)  # a compressed stream of 300 kB
replay_edit.write(r, path)
blob = bytearray(open(path, "rb").read())
# The raw length, its checksum and the compressed length end the header:
# claim 200 MiB of raw stream.
for k in range(len(blob) - 16, 0, -1):
    raw_len, _, comp_len = struct.unpack_from("<QII", blob, k)
    if raw_len == len(r.raw) and comp_len == len(blob) - k - 16:
        struct.pack_into("<Q", blob, k, 200 << 20)
        break
open(path, "wb").write(blob)
# With less memory than the claim: a loader that believed it would fail.
limit = 128 << 20
p = subprocess.run([tool, "--verify", path], capture_output=True, cwd=work,
                   preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_DATA, (limit, limit)))
v = json.loads(p.stdout or b"{}")
check("a header claiming 200 MiB: refused, not allocated",
      p.returncode == 3 and "damaged" in v.get("reason", ""), str(p))

r = replay_edit.read(base)
r.build = b"evil\x1b[2J\x07build"
path = os.path.join(work, "escape.tvreplay")
replay_edit.write(r, path)
code, out, _ = run("--replay-info", path)
check("control characters shown escaped", b"\x1b" not in out and b"\\x1b[2J\\x07build" in out, out)

print("%d passed, %d failed" % (checks - len(failures), len(failures)))
sys.exit(1 if failures else 0)
