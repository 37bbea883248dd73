#!/usr/bin/env python3
"""Makes the TGA, icon and cursor readers' reference pictures with ImageMagick and icotool.

Every picture NAME.tga / NAME.ico / NAME.cur comes with NAME.rgba (or NAME-N.rgba for entry N of an
icon file), the pixels as ImageMagick decodes them (`convert FILE -auto-orient -depth 8 rgba:-`,
rows from the top). ImageMagick writes no TGA footer, so the footer and extension-area variants are built here
from its output, with trailing zero bytes; the key colour of the extension area is 0, R, G, B.

Usage: make_tga_ico_fixtures.py OUTPUT_DIR   (needs Debian's imagemagick and icoutils)
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

out = sys.argv[1] if len(sys.argv) > 1 else "tests/graphics/data/tga_ico"
os.makedirs(out, exist_ok=True)
work = tempfile.mkdtemp()


def run(*args):
    subprocess.run(list(args), check=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def reference(path, name):
    # ImageMagick keeps TGA rows in stored order and only records the orientation.
    pixels = subprocess.run(["convert", path, "-auto-orient", "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    write(name, pixels)


opaque = os.path.join(work, "opaque.png")
run("convert", "rose:", "-resize", "23x15!", "-type", "TrueColor", opaque)
# Alpha falling from left to right, so every column has its own value.
alpha = os.path.join(work, "alpha.png")
run("convert", opaque, "-alpha", "set", "-channel", "A", "-fx", "1-i/w", "+channel", alpha)

TGA = {
    "tga-24-bottom-up": [opaque, "-type", "TrueColor"],
    "tga-24-rle": [opaque, "-type", "TrueColor", "-compress", "RLE"],
    "tga-32-alpha": [alpha],
    "tga-8-mapped": [opaque, "-colors", "200", "-type", "Palette", "-compress", "None"],
    "tga-8-mapped-rle": [opaque, "-colors", "200", "-type", "Palette", "-compress", "RLE"],
    "tga-grey": [opaque, "-colorspace", "Gray", "-compress", "None"],
    "tga-grey-rle": [opaque, "-colorspace", "Gray", "-compress", "RLE"],
    "tga-16": [opaque, "-depth", "5", "-define", "tga:bits-per-pixel=16", "-type", "TrueColor"],
    "tga-24-top-left": [opaque, "-type", "TrueColor", "-orient", "TopLeft"],
    "tga-24-top-right": [opaque, "-type", "TrueColor", "-orient", "TopRight"],
    "tga-24-comment": [opaque, "-type", "TrueColor", "-set", "comment", "made for the reader tests"],
}
for name, args in TGA.items():
    path = os.path.join(work, name + ".tga")
    run("convert", *args, "TGA:" + path)
    shutil.copy(path, os.path.join(out, name + ".tga"))
    reference(path, name + ".rgba")


def footer(extension_offset):
    return struct.pack("<II", extension_offset, 0) + b"TRUEVISION-XFILE." + b"\0"


base = read(os.path.join(out, "tga-24-bottom-up.tga"))
write("tga-24-footer-zeros.tga", base + footer(0) + b"\0" * 7)
area = bytearray(495)
struct.pack_into("<H", area, 0, 495)
area[470:474] = bytes([0, 0x40, 0x80, 0xC0])
write("tga-24-extension-key.tga", base + bytes(area) + footer(len(base)) + b"\0" * 3)
mapped = read(os.path.join(out, "tga-8-mapped.tga"))
write("tga-8-extension-key.tga", mapped + bytes(area) + footer(len(mapped)))

ICO = {
    "ico-32-alpha": [alpha, "-resize", "16x16!"],
    "ico-three-sizes": [alpha, "-define", "icon:auto-resize=48,32,16"],
    "ico-4bit": [opaque, "-resize", "16x16!", "-colors", "16", "-type", "Palette"],
    "ico-8bit": [opaque, "-resize", "16x16!", "-colors", "200", "-type", "Palette"],
    "ico-png-256": [opaque, "-resize", "256x256!"],
}
for name, args in ICO.items():
    path = os.path.join(work, name + ".ico")
    run("convert", *args, "ICO:" + path)
    shutil.copy(path, os.path.join(out, name + ".ico"))
    if name != "ico-png-256":
        count = struct.unpack_from("<H", read(path), 4)[0]
        for i in range(count):
            reference("%s[%d]" % (path, i), "%s-%d.rgba" % (name, i))

# icotool: BMP entries of each depth with AND masks (a transparent corner), and a cursor.
masked = os.path.join(work, "masked.png")
run("convert", opaque, "-resize", "16x16!", "-alpha", "set", "-region", "5x3+0+0", "-alpha", "transparent",
    "+region", masked)
for bits in (1, 4, 8, 24, 32):
    source = masked
    if bits <= 8:
        source = os.path.join(work, "masked-%d.png" % bits)
        colours = {1: 2, 4: 16, 8: 200}[bits]
        run("convert", masked, "-colors", str(colours), "-type", "Palette", "PNG8:" + source)
    path = os.path.join(work, "icotool-%d.ico" % bits)
    run("icotool", "-c", "-b", str(bits), "-o", path, source)
    shutil.copy(path, os.path.join(out, "icotool-%d.ico" % bits))
    reference(path, "icotool-%d.rgba" % bits)
cursor = os.path.join(work, "icotool-cursor.cur")
run("icotool", "-c", "--cursor", "-X", "5", "-Y", "7", "-b", "24", "-o", cursor, masked)
shutil.copy(cursor, os.path.join(out, "icotool-cursor.cur"))
reference("ICO:" + cursor, "icotool-cursor.rgba")

# A BMP under an icon name.
bmp = os.path.join(work, "bmp.bmp")
run("convert", opaque, "-type", "TrueColor", "BMP3:" + bmp)
shutil.copy(bmp, os.path.join(out, "bmp-named.ico"))
reference(bmp, "bmp-named.rgba")
