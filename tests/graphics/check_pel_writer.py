#!/usr/bin/env python3
"""Checks the player's layered-image writer field by field with nothing but struct and zlib.

Usage: check_pel_writer.py SAMPLE_TOOL WORKDIR
The tool writes NAME.pel and NAME.raw (unshuffled raw planes); every stored plane must be
zlib.compress(raw, 1) (compression 0; the alpha plane also at 2), the raw rows shuffled by the
keyed bag (scrambled images), or a JPEG file (pixel planes at compression 2).
"""
import os
import struct
import subprocess
import sys
import zlib

FRAMES = [(9, 5, 24, True), (9, 5, 8, False), (7, 3, 15, True), (3, 4, 4, False),
          (5, 2, 32, True)]


def row_bytes(width, depth):
    bits = 16 if depth == 15 else depth
    return ((bits * width + 31) // 32) * 4


def shuffle(code, n):
    bag, order, state = list(range(n)), [], 0
    for _ in range(n):
        state = (state * 5 + code) & 0xFFFFFFFF
        order.append(bag.pop(state % len(bag)))
    return order


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        assert self.pos + n <= len(self.data), 'file ends early'
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def i32(self):
        return struct.unpack('<i', self.take(4))[0]

    def u8(self):
        return self.take(1)[0]

    def string(self):
        n = self.i32()
        return self.take(n).decode('ascii') if n > 0 else ''


def check(tool, workdir, compression, code):
    base = os.path.join(workdir, 'pel_writer_%d_%d' % (compression, code))
    subprocess.check_call([tool, base, str(compression), str(code)])
    data = open(base + '.pel', 'rb').read()
    raw = open(base + '.raw', 'rb').read()
    r = Reader(data)
    assert r.take(7) == b'Pelk106'
    assert r.i32() == 40
    rec = Reader(r.take(40))
    stored_compression = 1 if code else compression
    assert rec.i32() == 106
    assert (rec.i32(), rec.i32(), rec.i32()) == FRAMES[0][:3]
    assert rec.i32() == len(FRAMES)
    assert rec.u8() == 1
    assert rec.u8() == (1 if code else 0)
    assert rec.u8() == stored_compression, 'compression'
    assert rec.u8() == 0
    assert rec.i32() == 0x00102030
    assert (rec.i32(), rec.i32()) == (0, 0), 'no tiles'
    assert rec.u8() == 1, 'first-layer-opaque flag'
    assert rec.u8() == 70, 'quality'
    assert rec.take(2) == b'\0\0'
    raw_pos = 0
    for index, (width, height, depth, alpha) in enumerate(FRAMES):
        assert r.string() == 'Frame%d' % (index + 1)
        assert r.i32() == (3 if index == 1 else -1), 'transparent pixel'
        assert r.i32() == 40 + index, 'delay'
        assert r.u8() == 2
        assert r.i32() == 0
        assert r.i32() == 1, 'layer count'
        assert (r.i32(), r.i32(), r.i32()) == (width, height, depth)
        if depth <= 8:
            palette = r.take(4 << depth)
            assert palette[4:8] == bytes([1, 254, 3, 0])
        assert r.take(8) == bytes(8)
        assert r.u8() == 1, 'visible'
        assert r.i32() == -1
        assert r.i32() == 255
        assert r.u8() == (1 if alpha else 0), 'alpha flag'
        assert r.string() == 'Layer'
        for plane_depth, present in ((depth, True), (8, alpha)):
            size = r.i32()
            if not present:
                assert size == 0
                continue
            stride = row_bytes(width, plane_depth)
            rows = raw[raw_pos:raw_pos + stride * height]
            raw_pos += stride * height
            stored = r.take(size)
            if code:
                order = shuffle(code, height)
                rows = b''.join(rows[o * stride:(o + 1) * stride] for o in order)
            if stored_compression == 0:
                assert stored == zlib.compress(rows, 1), 'frame %d plane' % index
            elif stored_compression == 1:
                assert stored == rows, 'frame %d raw plane' % index
        assert r.i32() == 0 and r.i32() == 0, 'rectangle lists'
    assert r.pos == len(data), 'trailing bytes'


def check_jpeg(tool, workdir):
    base = os.path.join(workdir, 'pel_writer_jpeg')
    subprocess.check_call([tool, base, '2', '0'])
    data = open(base + '.pel', 'rb').read()
    raw = open(base + '.raw', 'rb').read()
    r = Reader(data)
    r.take(7 + 4 + 40)
    raw_pos = 0
    for index, (width, height, depth, alpha) in enumerate(FRAMES):
        r.string(); r.i32(); r.i32(); r.u8(); r.i32(); r.i32(); r.i32(); r.i32(); r.i32()
        if depth <= 8:
            r.take(4 << depth)
        r.take(8); r.u8(); r.i32(); r.i32(); r.u8(); r.string()
        stored = r.take(r.i32())
        assert stored[:2] == b'\xff\xd8' and stored[-2:] == b'\xff\xd9', 'JPEG pixel plane'
        raw_pos += row_bytes(width, depth) * height
        size = r.i32()
        if alpha:
            rows = raw[raw_pos:raw_pos + row_bytes(width, 8) * height]
            raw_pos += len(rows)
            assert r.take(size) == zlib.compress(rows, 1), 'JPEG image alpha plane is zlib'
        else:
            assert size == 0
        r.i32(); r.i32()
    assert r.pos == len(data)


def main():
    tool, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    check(tool, workdir, 0, 0)
    check(tool, workdir, 1, 0)
    check(tool, workdir, 0, 0x12345678)
    check(tool, workdir, 1, 1)
    check_jpeg(tool, workdir)
    print('layered-image writer: all fields and planes as expected')


if __name__ == '__main__':
    main()
