#!/usr/bin/env python3
"""Independent reference for the software wave mixer: reads sources, writes the mixed block.

Arguments: input and output file, repeated.

Input (little-endian): u32 block bytes, u32 source count, then per source: u16 channels,
u32 rate, u16 bits, i32 volume, u32 byte count, bytes. Output: the block as i16 samples.
"""
import struct
import sys


def convert(channels, rate, bits, data):
    if bits == 8:
        samples = [(b - 128) * 256 for b in data]
    else:
        samples = list(struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2]))
    if channels == 2 and rate == 44100:
        return samples  # sample by sample: a half frame at the end is kept
    if channels == 2:
        frames = [samples[i:i + 2] for i in range(0, len(samples) - 1, 2)]
    else:
        frames = [[s, s] for s in samples]
    repeat = 1 if rate == 44100 else 2
    out = []
    for frame in frames:
        out.extend(frame * repeat)
    return out


def mix(source, target):
    raw = open(source, "rb").read()
    block_bytes, count = struct.unpack_from("<II", raw, 0)
    pos = 8
    block = [0] * (block_bytes // 2)
    for _ in range(count):
        channels, rate, bits, volume, n = struct.unpack_from("<HIHiI", raw, pos)
        pos += 16
        data = raw[pos:pos + n]
        pos += n
        samples = convert(channels, rate, bits, data)
        for i, s in enumerate(samples[: len(block)]):
            if volume < 255:
                s = (s * volume) >> 8
                s = (s + 0x8000) % 0x10000 - 0x8000
            block[i] = max(-32768, min(32767, block[i] + s))
    open(target, "wb").write(struct.pack("<%dh" % len(block), *block))


# Pairs of input and output files, so one run serves every round.
for i in range(1, len(sys.argv) - 1, 2):
    mix(sys.argv[i], sys.argv[i + 1])
