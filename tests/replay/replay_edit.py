"""Reads and writes replay files for tests: the header's fields, and the raw
stream of the machine's readings with its events, so that a test can forge a
header, tamper with a reading or a digest, and write the file again with its
lengths and checksum made right."""
import struct
import zlib

MAGIC = b"TVREPLAY"


class Replay:
    pass


def _text(data, at):
    (n,) = struct.unpack_from("<H", data, at)
    return data[at + 2:at + 2 + n], at + 2 + n


def read(path):
    data = open(path, "rb").read()
    assert data[:8] == MAGIC, "not a replay"
    r = Replay()
    (r.version,) = struct.unpack_from("<H", data, 8)
    r.build, at = _text(data, 10)
    r.recorded, r.game_start = struct.unpack_from("<QQ", data, at)
    at += 16
    r.difficulty, r.start_stage, r.stage_reached, r.ending = data[at:at + 4]
    at += 4
    (r.score,) = struct.unpack_from("<f", data, at)
    r.place = data[at + 4]
    r.name, at = _text(data, at + 5)
    (r.stop_clock,) = struct.unpack_from("<I", data, at)
    at += 4
    r.flags = 0
    if r.version >= 2:
        r.flags = data[at]
        at += 1
    raw_size, _crc, comp_size = struct.unpack_from("<QII", data, at)
    at += 16
    r.raw = zlib.decompressobj().decompress(data[at:at + comp_size])
    assert len(r.raw) == raw_size
    return r


def write(r, path):
    def text(s):
        return struct.pack("<H", len(s)) + s

    z = zlib.compressobj(6)
    comp = z.compress(bytes(r.raw)) + z.flush(zlib.Z_SYNC_FLUSH)
    out = MAGIC + struct.pack("<H", r.version) + text(r.build)
    out += struct.pack("<QQ", r.recorded, r.game_start)
    out += bytes([r.difficulty, r.start_stage, r.stage_reached, r.ending])
    out += struct.pack("<f", r.score) + bytes([r.place]) + text(r.name)
    out += struct.pack("<I", r.stop_clock)
    if r.version >= 2:
        out += bytes([r.flags])
    out += struct.pack("<QII", len(r.raw), zlib.crc32(bytes(r.raw)), len(comp)) + comp
    open(path, "wb").write(out)


def _number(raw, at):
    v, shift = 0, 0
    while True:
        b = raw[at]
        at += 1
        v |= (b & 0x7F) << shift
        shift += 7
        if not b & 0x80:
            return v, at


# The fields after each tag: n a number, f a flag, b a byte string, 8 eight bytes.
_FIELDS = {
    "C": "n", "I": "n", "S": "n", "J": "n", "U": "n", "K": "nf", "Q": "nf",
    "X": "", "W": "f", "A": "f", "T": "f", "V": "f", "L": "f", "Y": "f",
    "R": "nfnnn", "P": "nfnnnnn", "N": "fb", "F": "nb", "D": "n8", "O": "nn",
}


def events(raw):
    """Yields (offset, tag, [(field offset, value)...]) for every event."""
    at = 0
    while at < len(raw):
        start, tag = at, chr(raw[at])
        at += 1
        fields = []
        for kind in _FIELDS[tag]:
            here = at
            if kind == "n":
                v, at = _number(raw, at)
            elif kind == "f":
                v, at = raw[at], at + 1
            elif kind == "8":
                v, at = int.from_bytes(raw[at:at + 8], "little"), at + 8
            else:
                n, at = _number(raw, at)
                v, at = raw[at:at + n], at + n
            fields.append((here, v))
        yield start, tag, fields
