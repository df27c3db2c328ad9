#!/usr/bin/env python3
"""Wraps PNG pictures (each at most 256 px square) into one Windows .ico file:
   png_to_ico.py OUT.ico IN.png..."""
import struct
import sys

pictures = [open(p, "rb").read() for p in sys.argv[2:]]
out = struct.pack("<HHH", 0, 1, len(pictures))
offset = 6 + 16 * len(pictures)
for data in pictures:
    width, height = struct.unpack(">II", data[16:24])
    out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(sys.argv[1], "wb") as f:
    f.write(out + b"".join(pictures))
