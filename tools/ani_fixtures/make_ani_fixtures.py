#!/usr/bin/env python3
"""Makes the animated-cursor reader's fixtures from the icotool cursor of the icon fixtures.

The frames are whole cursor files: icotool-cursor.cur as made by icotool (hot spot 5, 7) and a copy
whose directory names hot spot 9, 2. Each RIFF chunk is a 4-byte id, a little-endian uint32 size,
the data and one pad byte after an odd size.

  two-frames.ani           header (2 frames, 2 steps, default rate 10, flags 1), the frame list
  two-frames-rate-seq.ani  header (2 frames, 3 steps, default rate 10, flags 3), an odd-sized
                           chunk to skip, "rate" 5, 0, 20 and "seq " 1, 0, 1

Usage: make_ani_fixtures.py [CURSOR_FILE] [OUTPUT_DIR]
"""
import os
import struct
import sys

cursor_path = sys.argv[1] if len(sys.argv) > 1 else "tests/graphics/data/tga_ico/icotool-cursor.cur"
out = sys.argv[2] if len(sys.argv) > 2 else "tests/graphics/data/ani"
os.makedirs(out, exist_ok=True)

with open(cursor_path, "rb") as f:
    first = f.read()
# Directory entry 0 starts at byte 6; for a cursor its planes and bit-count words are the hot spot.
second = first[:10] + struct.pack("<HH", 9, 2) + first[14:]


def chunk(kind, data):
    return kind + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def anih(frames, steps, rate, flags):
    # size, frames, steps, width, height, bit count, planes, default rate (jiffies), flags
    return chunk(b"anih", struct.pack("<9I", 36, frames, steps, 0, 0, 0, 0, rate, flags))


def words(kind, values):
    return chunk(kind, struct.pack("<%dI" % len(values), *values))


def form(*chunks):
    body = b"ACON" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


frame_list = chunk(b"LIST", b"fram" + chunk(b"icon", first) + chunk(b"icon", second))

with open(os.path.join(out, "two-frames.ani"), "wb") as f:
    f.write(form(anih(2, 2, 10, 1), frame_list))
with open(os.path.join(out, "two-frames-rate-seq.ani"), "wb") as f:
    f.write(form(anih(2, 3, 10, 3), chunk(b"junk", b"odd"), words(b"rate", [5, 0, 20]),
                 words(b"seq ", [1, 0, 1]), frame_list))
