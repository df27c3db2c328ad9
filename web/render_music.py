#!/usr/bin/env python3
"""Renders the game's tunes for the web build.

    render_music.py MIDI_DIR SOUNDFONT OUT_DIR

Each standard MIDI file in MIDI_DIR is played through the fluidsynth command
line tool with the soundfont, made exactly as long as the file (its last event,
end of track included: the render runs on while the voices die away, or stops
before a closing rest, and the game starts a tune again at its end), and
compressed to OUT_DIR/<stem>.ogg with oggenc. OUT_DIR/lengths lists each
rendering with its length in seconds ("<stem>.ogg SECONDS" lines): the page
fetches a tune only when the game opens it, and keeps its time until then.
"""
import os
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100


def read_var(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = value << 7 | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def midi_length_seconds(path):
    """Time of the last event of any track, through the tempo changes."""
    data = open(path, "rb").read()
    if data[:4] != b"MThd":
        raise ValueError(f"{path}: not a standard MIDI file")
    header_len = struct.unpack(">I", data[4:8])[0]
    _fmt, ntracks, division = struct.unpack(">HHH", data[8:14])
    if division & 0x8000:
        raise ValueError(f"{path}: SMPTE time is not supported")
    pos = 8 + header_len
    tempos = [(0, 500000)]  # (tick, microseconds per quarter note)
    last_tick = 0
    for _ in range(ntracks):
        if data[pos:pos + 4] != b"MTrk":
            raise ValueError(f"{path}: broken track")
        length = struct.unpack(">I", data[pos + 4:pos + 8])[0]
        p, end = pos + 8, pos + 8 + length
        tick, status = 0, 0
        while p < end:
            delta, p = read_var(data, p)
            tick += delta
            if data[p] & 0x80:
                status = data[p]
                p += 1
            if status == 0xFF:
                kind = data[p]
                size, p = read_var(data, p + 1)
                if kind == 0x51 and size == 3:
                    tempos.append((tick, int.from_bytes(data[p:p + 3], "big")))
                p += size
            elif status in (0xF0, 0xF7):
                size, p = read_var(data, p)
                p += size
            else:
                p += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        last_tick = max(last_tick, tick)
        pos = end
    tempos.sort()
    seconds, at, tempo = 0.0, 0, 500000
    for tick, new_tempo in tempos:
        if tick >= last_tick:
            break
        seconds += (tick - at) * tempo / 1e6 / division
        at, tempo = tick, new_tempo
    return seconds + (last_tick - at) * tempo / 1e6 / division


def main():
    midi_dir, soundfont, out_dir = sys.argv[1:4]
    os.makedirs(out_dir, exist_ok=True)
    lengths = []
    for name in sorted(os.listdir(midi_dir)):
        stem, ext = os.path.splitext(name)
        if ext.lower() != ".mid":
            continue
        seconds = midi_length_seconds(os.path.join(midi_dir, name))
        with tempfile.TemporaryDirectory() as tmp:
            full = os.path.join(tmp, "full.wav")
            cut = os.path.join(tmp, "cut.wav")
            subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", str(RATE), "-T", "wav",
                            "-F", full, soundfont, os.path.join(midi_dir, name)],
                           check=True, stdout=subprocess.DEVNULL)
            with wave.open(full, "rb") as src:
                want = int(round(seconds * src.getframerate()))
                lengths.append(f"{stem}.ogg {want / src.getframerate():.6f}\n")
                params = src.getparams()
                audio = src.readframes(min(src.getnframes(), want))
                # A tune may end in a rest that the renderer does not play out:
                # it still belongs to the tune before it starts again.
                frame_bytes = src.getsampwidth() * src.getnchannels()
                audio += bytes(max(0, want * frame_bytes - len(audio)))
            with wave.open(cut, "wb") as dst:
                dst.setparams(params)
                dst.writeframes(audio)
            subprocess.run(["oggenc", "-Q", "-q", "3", "-o", os.path.join(out_dir, stem + ".ogg"), cut],
                           check=True)
        print(f"{name}: {seconds:.2f} s")
    with open(os.path.join(out_dir, "lengths"), "w") as f:
        f.writelines(lengths)


if __name__ == "__main__":
    main()
