#!/usr/bin/env python3
"""An archive reader and writer of its own, to check the player's against.

  check_archive.py read ARCHIVE            unscrambles the directory, inflates every member with
                                           zlib.decompress, checks each CRC against its flag and
                                           prints one line per member: name-hex size stored time
                                           crc flag crc32-of-data
  check_archive.py write ARCHIVE MANIFEST  writes a version 102 archive of members compressed at
                                           levels 1, 6 and 9 and stored ones; MANIFEST gets one line
                                           per member: name-hex stored crc32-of-data size-of-data
  check_archive.py crc SIZE...             zlib.crc32 of SIZE bytes (i * 7 + 3) & 0xFF, in hex
  check_archive.py dostime FILE            the file's mtime as a local DOS (date << 16) | time
  check_archive.py member ARCHIVE NAME     writes the inflated bytes of the member NAME (CP932) to
                                           standard output; exit 1 when there is no such member
"""
import struct
import sys
import time
import os
import zlib

KEY = 0x5B2E91C4


def keys():
    state = 0
    while True:
        state = (state * 5 + KEY) & 0xFFFFFFFF
        yield state


def parse(path):
    """The members as (name, written, stored, time, crc, flag, plain) in directory order."""
    data = open(path, "rb").read()
    pos = 0
    if data[:2] == b"vf":
        version, = struct.unpack_from("<I", data, 2)
        pos = 6
    else:
        version = 0
    count, = struct.unpack_from("<I", data, pos)
    pos += 4
    names = []
    stream = keys()
    for _ in range(count):
        length, = struct.unpack_from("<I", data, pos)
        pos += 4
        raw = bytearray(data[pos:pos + length])
        pos += length
        if version > 99:
            for i in range(len(raw)):
                raw[i] ^= next(stream) & 0xFF
        names.append(bytes(raw))
    offsets = []
    stream = keys()
    for _ in range(count + 1):
        if version > 100:
            low, high = struct.unpack_from("<II", data, pos)
            pos += 8
        else:
            low, = struct.unpack_from("<I", data, pos)
            high = 0
            pos += 4
        if version > 99:
            k = next(stream)
            low ^= k
            if k & 0x80000000 and version > 100:
                high ^= 0xFFFFFFFF
        offsets.append(high << 32 | low)
    stored = [0] * count
    times = [0] * count
    crcs = [0] * count
    flags = [0] * count
    if version > 100:
        stored = list(data[pos:pos + count]); pos += count
        times = list(struct.unpack_from("<%dI" % count, data, pos)); pos += 4 * count
        crcs = list(struct.unpack_from("<%dI" % count, data, pos)); pos += 4 * count
    if version > 101:
        flags = list(data[pos:pos + count]); pos += count
    members = []
    for i in range(count):
        written = data[offsets[i]:offsets[i + 1]]
        plain = written if stored[i] == 1 else zlib.decompress(written)
        members.append((names[i], written, stored[i], times[i], crcs[i], flags[i], plain, version))
    return members


def read(path):
    failures = 0
    for name, written, stored, stamp, crc, flag, plain, version in parse(path):
        covered = plain if flag == 1 else written
        if version > 100 and zlib.crc32(covered) != crc:
            print("CRC MISMATCH", name.hex(), file=sys.stderr)
            failures += 1
        print(name.hex(), len(written), stored, stamp, crc, flag, zlib.crc32(plain))
    return 1 if failures else 0


def member(path, wanted):
    for name, _, _, _, _, _, plain, _ in parse(path):
        if name == wanted.encode("cp932"):
            sys.stdout.buffer.write(plain)
            return 0
    print("no member", wanted, file=sys.stderr)
    return 1


def write(path, manifest_path):
    members = []
    for i, level in enumerate([1, 6, 9, None, 1]):
        name = ("member%d.txt" % i).encode() if i != 4 else "\u30bd\u30fc\u30b9.dat".encode("cp932")
        plain = bytes(((j * (i + 3)) // 7) & 0xFF for j in range(1000 + i * 4097))
        if level is None:
            members.append((name, plain, 1, plain))
        else:
            members.append((name, plain, 0, zlib.compress(plain, level)))
    out = bytearray(b"vf" + struct.pack("<II", 102, len(members)))
    stream = keys()
    for name, _, _, _ in members:
        out += struct.pack("<I", len(name)) + bytes(b ^ (next(stream) & 0xFF) for b in name)
    n = len(members)
    directory_size = len(out) + (n + 1) * 8 + n * 10
    offsets = [directory_size]
    for _, _, _, written in members:
        offsets.append(offsets[-1] + len(written))
    stream = keys()
    for offset in offsets:
        k = next(stream)
        high = (offset >> 32) ^ (0xFFFFFFFF if k & 0x80000000 else 0)
        out += struct.pack("<II", (offset & 0xFFFFFFFF) ^ k, high)
    out += bytes(s for _, _, s, _ in members)
    out += b"".join(struct.pack("<I", 0x5A210000 + i) for i in range(n))
    out += b"".join(struct.pack("<I", zlib.crc32(plain)) for _, plain, _, _ in members)
    out += bytes([1] * n)
    for _, _, _, written in members:
        out += written
    open(path, "wb").write(out)
    with open(manifest_path, "w") as manifest:
        for name, plain, s, _ in members:
            manifest.write("%s %d %d %d\n" % (name.hex(), s, zlib.crc32(plain), len(plain)))
    return 0


def dostime(path):
    t = time.localtime(os.stat(path).st_mtime)
    date = (t.tm_year - 1980) << 9 | t.tm_mon << 5 | t.tm_mday
    clock = t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2
    print(date << 16 | clock)
    return 0


def main():
    mode = sys.argv[1]
    if mode == "read":
        return read(sys.argv[2])
    if mode == "write":
        return write(sys.argv[2], sys.argv[3])
    if mode == "crc":
        for size in sys.argv[2:]:
            print("%08x" % zlib.crc32(bytes((i * 7 + 3) & 0xFF for i in range(int(size)))))
        return 0
    if mode == "dostime":
        return dostime(sys.argv[2])
    if mode == "member":
        return member(sys.argv[2], sys.argv[3])
    return 2


if __name__ == "__main__":
    sys.exit(main())
