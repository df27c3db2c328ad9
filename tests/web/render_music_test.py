#!/usr/bin/env python3
"""The web build cuts each rendered tune to its MIDI file's length: check the
length through tempo changes, running status, meta and system events, and over
several tracks of which the longest counts."""
import importlib.util
import os
import struct
import sys
import tempfile
import unittest

spec = importlib.util.spec_from_file_location(
    "render_music", os.path.join(os.path.dirname(__file__), "..", "..", "web", "render_music.py"))
render_music = importlib.util.module_from_spec(spec)
spec.loader.exec_module(render_music)


def var(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def track(events):
    body = b"".join(var(delta) + data for delta, data in events) + var(0) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def smf(division, *tracks):
    return b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), division) + b"".join(tracks)


def tempo(us):
    return b"\xFF\x51\x03" + us.to_bytes(3, "big")


class MidiLength(unittest.TestCase):
    def length(self, data):
        with tempfile.NamedTemporaryFile(suffix=".mid", delete=False) as f:
            f.write(data)
        try:
            return render_music.midi_length_seconds(f.name)
        finally:
            os.unlink(f.name)

    def test_lengths(self):
        cases = [
            # (what, file, seconds)
            ("default tempo, one beat", smf(96, track([(96, b"\x90\x40\x40")])), 0.5),
            ("tempo change half way",
             smf(96, track([(0, tempo(1000000)), (96, tempo(250000)), (96, b"\x90\x40\x40")])), 1.25),
            ("running status, program change, sysex and a long delta",
             smf(480, track([(0, b"\xC0\x05"), (0, b"\x90\x40\x40"), (240, b"\x41\x40"),
                             (0, b"\xF0\x03\x7E\x7F\xF7"), (480 * 130, b"\x80\x40\x00")])), 65.25),
            ("the longer of two tracks, tempo from the first",
             smf(96, track([(0, tempo(1000000)), (96, b"\xFF\x01\x02hi")]),
                 track([(288, b"\x90\x40\x40")])), 3.0),
        ]
        for what, data, seconds in cases:
            with self.subTest(what):
                self.assertAlmostEqual(self.length(data), seconds, places=6)

    def test_refuses_what_it_cannot_time(self):
        for what, data in [("not MIDI", b"RIFF0000WAVE"),
                           ("SMPTE time", smf(0xE728, track([(10, b"\x90\x40\x40")])))]:
            with self.subTest(what), self.assertRaises(ValueError):
                self.length(data)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
