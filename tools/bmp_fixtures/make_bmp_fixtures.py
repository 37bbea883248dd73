#!/usr/bin/env python3
"""Makes the BMP reader's reference pictures with ImageMagick (Debian's imagemagick, 6.9.11).

Every picture NAME.bmp comes with NAME.rgb, the pixels as ImageMagick decodes them
(`convert NAME.bmp -depth 8 rgb:-`, rows from the top, red green blue). ImageMagick writes neither
RLE4, top-down nor 40-byte 16-bit files, so those few are built here from its own output.

Usage: make_bmp_fixtures.py OUTPUT_DIR
"""
import os
import struct
import subprocess
import sys
import tempfile

out = sys.argv[1] if len(sys.argv) > 1 else "tests/graphics/data/bmp"
os.makedirs(out, exist_ok=True)
work = tempfile.mkdtemp()
source = os.path.join(work, "source.png")
subprocess.run(["convert", "rose:", "-resize", "23x15!", source], check=True)

MADE_BY_IMAGEMAGICK = {
    "bmp3-1bit": ["BMP3", "-monochrome"],
    "bmp3-4bit": ["BMP3", "-colors", "16", "-type", "Palette"],
    "bmp3-8bit": ["BMP3", "-colors", "200", "-type", "Palette", "-compress", "None"],
    "bmp3-rle8": ["BMP3", "-colors", "200", "-type", "Palette"],
    "bmp3-24bit": ["BMP3", "-type", "TrueColor"],
    "bmp3-32bit": ["BMP3", "-alpha", "set", "-define", "bmp3:alpha=true"],
    "bmp2-core-1bit": ["BMP2", "-monochrome"],
    "bmp2-core-4bit": ["BMP2", "-colors", "16", "-type", "Palette"],
    "bmp2-core-8bit": ["BMP2", "-colors", "200", "-type", "Palette"],
    "bmp2-core-24bit": ["BMP2", "-type", "TrueColor"],
    "v5-565": ["BMP", "-define", "bmp:subtype=RGB565"],
    "v5-555": ["BMP", "-define", "bmp:subtype=RGB555"],
}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(name, data):
    with open(os.path.join(out, name + ".bmp"), "wb") as f:
        f.write(data)


made = {}
for name, (form, *options) in MADE_BY_IMAGEMAGICK.items():
    path = os.path.join(work, name + ".bmp")
    subprocess.run(["convert", source, *options, form + ":" + path], check=True)
    made[name] = read(path)
    if not name.startswith("v5-"):
        write(name, made[name])


def info_header(width, height, bits, compression, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image_size, 0, 0, colours, 0)


def file_header(info_and_table, pixels):
    return b"BM" + struct.pack("<IHHI", 14 + len(info_and_table) + len(pixels), 0, 0, 14 + len(info_and_table))


# 16 bits: the 124-byte header becomes 40 bytes and the three masks.
for name in ("v5-565", "v5-555"):
    data = made[name]
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression, size = struct.unpack_from("<iiHHII", data, 18)
    masks = data[14 + 40:14 + 52]
    pixels = data[offset:]
    info = info_header(width, height, bits, 3, len(pixels)) + masks
    write("bitfields-" + name[3:], file_header(info, pixels) + info + pixels)

# 5-6-5 with blue in the top bits and red in the low ones: the fields sit elsewhere than ours.
data = made["v5-565"]
offset = struct.unpack_from("<I", data, 10)[0]
width, height = struct.unpack_from("<ii", data, 18)
row_bytes = ((16 * width + 31) // 32) * 4
swapped = bytearray(data[offset:])
for y in range(height):
    for x in range(width):
        at = y * row_bytes + 2 * x
        v = struct.unpack_from("<H", swapped, at)[0]
        r, g, b = v >> 11, (v >> 5) & 0x3F, v & 0x1F
        struct.pack_into("<H", swapped, at, (b << 11) | (g << 5) | r)
info = info_header(width, height, 16, 3, len(swapped)) + struct.pack("<III", 0x001F, 0x07E0, 0xF800)
write("bitfields-565-blue-high", file_header(info, bytes(swapped)) + info + bytes(swapped))

# Top-down: the 24-bit picture with its rows in the other order and a negative height.
data = made["bmp3-24bit"]
offset = struct.unpack_from("<I", data, 10)[0]
width, height = struct.unpack_from("<ii", data, 18)
row_bytes = ((24 * width + 31) // 32) * 4
rows = [data[offset + y * row_bytes:offset + (y + 1) * row_bytes] for y in range(height)]
pixels = b"".join(reversed(rows))
info = info_header(width, -height, 24, 0, len(pixels))
write("top-down-24bit", file_header(info, pixels) + info + pixels)

# RLE4 from the 4-bit picture: runs, absolute runs for the rest, end-of-line and end marks.
data = made["bmp3-4bit"]
offset = struct.unpack_from("<I", data, 10)[0]
width, height = struct.unpack_from("<ii", data, 18)
colours = struct.unpack_from("<I", data, 46)[0] or 16
table = data[54:54 + 4 * colours]
row_bytes = ((4 * width + 31) // 32) * 4
encoded = bytearray()
for y in range(height):
    row = data[offset + y * row_bytes:offset + (y + 1) * row_bytes]
    px = [(row[x // 2] >> 4) if x % 2 == 0 else (row[x // 2] & 15) for x in range(width)]
    x = 0
    if y == 0 and width >= 2:
        encoded += bytes([2, (px[0] << 4) | px[1]])  # a run alternates its two nibbles
        x = 2
    while x < width:
        n = 1
        while x + n < width and px[x + n] == px[x] and n < 255:
            n += 1
        if n >= 2 or width - x < 3:
            encoded += bytes([n, px[x] * 17 if n > 1 else px[x] << 4])
            x += n
        else:
            n = min(width - x, 9)
            chunk = px[x:x + n]
            packed = bytes(((chunk[i] << 4) | (chunk[i + 1] if i + 1 < n else 0)) for i in range(0, n, 2))
            encoded += bytes([0, n]) + packed
            if len(packed) % 2:
                encoded += b"\0"
            x += n
    encoded += bytes([0, 0])
encoded += bytes([0, 1])
info = info_header(width, height, 4, 2, len(encoded), colours) + table
write("rle4", file_header(info, bytes(encoded)) + info + bytes(encoded))

for name in sorted(os.listdir(out)):
    if name.endswith(".bmp"):
        path = os.path.join(out, name)
        rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
        with open(path[:-4] + ".rgb", "wb") as f:
            f.write(rgb)
