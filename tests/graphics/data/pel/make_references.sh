#!/bin/sh
# Makes the reference pictures of the layered-image and PNG tests with independent tools
# (Python's stdlib, ImageMagick, libjpeg-turbo's cjpeg/djpeg). Run from this folder; the outputs
# are committed so the tests do not need the tools.
set -e
python3 - <<'PY'
# A 7 x 5 picture with a few distinct colours (one of them repeated, so palettes stay small),
# and a grey ramp with some alpha.
w, h = 7, 5
cols = [(255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0), (30, 60, 90), (255, 255, 255)]
px = []
for y in range(h):
    for x in range(w):
        px.append(cols[(x + 2 * y) % len(cols)])
with open('source.ppm', 'wb') as f:
    f.write(b'P6\n%d %d\n255\n' % (w, h))
    f.write(bytes(c for p in px for c in p))
with open('source-alpha.pam', 'wb') as f:
    f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n' % (w, h))
    f.write(bytes(c for i, p in enumerate(px) for c in (p + ((i * 37) % 256,))))
with open('grey16.pgm', 'wb') as f:
    f.write(b'P5\n%d %d\n65535\n' % (w, h))
    f.write(b''.join(((i * 9001) % 65536).to_bytes(2, 'big') for i in range(w * h)))
PY
C=convert
$C source.ppm -define png:exclude-chunks=date,time PNG8:palette-trns.png.tmp
$C source.ppm -transparent '#00FF00' -define png:exclude-chunks=date,time PNG8:palette-trns.png 2>/dev/null || true
$C source.ppm -transparent '#008000' -define png:exclude-chunks=date,time PNG8:palette-trns.png
rm -f palette-trns.png.tmp
$C grey16.pgm -define png:color-type=0 -define png:bit-depth=2 -define png:exclude-chunks=date,time grey2.png
$C grey16.pgm -define png:color-type=0 -define png:bit-depth=16 -define png:exclude-chunks=date,time grey16.png
$C source.ppm -define png:exclude-chunks=date,time PNG48:rgb48.png
$C source-alpha.pam -define png:exclude-chunks=date,time PNG32:rgba.png
$C source-alpha.pam -colorspace gray -define png:color-type=4 -define png:exclude-chunks=date,time grey-alpha.png
$C source.ppm -interlace PNG -define png:exclude-chunks=date,time PNG24:interlaced.png
$C source.ppm -transparent '#1E3C5A' -define png:exclude-chunks=date,time PNG24:rgb-trns.png
for f in palette-trns grey2 grey16 rgb48 rgba grey-alpha interlaced rgb-trns; do
  $C $f.png -depth 8 rgba:$f.rgba
done
# ImageMagick 6 drops the low byte of 16-bit grey; the decoder rounds (v * 255 / 65535), so the
# grey reference is computed from the source samples instead.
python3 - <<'PY'
d = open('grey16.pgm', 'rb').read().split(b'\n', 3)[3]
with open('grey16.rgba', 'wb') as f:
    for i in range(0, len(d), 2):
        g = (int.from_bytes(d[i:i + 2], 'big') * 255 + 32767) // 65535
        f.write(bytes([g, g, g, 255]))
PY
cjpeg -quality 85 source.ppm > source.jpg
djpeg -ppm source.jpg > source-djpeg.ppm
PY=1
# Palette PNGs written byte by byte: a partial tRNS (an alpha plane) and a 1-bit palette.
python3 - <<'PY'
import struct, zlib
def chunk(t, d):
    return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
def png(w, h, bd, ct, rows, plte=b'', trns=None):
    raw = b''.join(b'\0' + r for r in rows)
    out = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, bd, ct, 0, 0, 0))
    if plte: out += chunk(b'PLTE', plte)
    if trns is not None: out += chunk(b'tRNS', trns)
    return out + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
pal = [(10, 20, 30), (200, 100, 50), (0, 255, 0), (90, 90, 90)]
alpha = [255, 128, 0]          # entry 3 has no tRNS entry: opaque
idx = [[(x + y) % 4 for x in range(5)] for y in range(3)]
open('palette-alpha.png', 'wb').write(png(5, 3, 8, 3, [bytes(r) for r in idx],
    b''.join(bytes(p) for p in pal), bytes(alpha)))
with open('palette-alpha.rgba', 'wb') as f:
    for r in idx:
        for i in r:
            f.write(bytes(pal[i]) + bytes([alpha[i] if i < len(alpha) else 255]))
bits = [[(x * 3 + y) % 2 for x in range(10)] for y in range(2)]
rows = []
for r in bits:
    v = 0
    for x in range(16): v = (v << 1) | (r[x] if x < 10 else 0)
    rows.append(v.to_bytes(2, 'big'))
pal2 = [(255, 0, 255), (0, 0, 0)]
open('palette-1bit.png', 'wb').write(png(10, 2, 1, 3, rows, b''.join(bytes(p) for p in pal2)))
with open('palette-1bit.rgba', 'wb') as f:
    for r in bits:
        for i in r: f.write(bytes(pal2[i]) + b'\xff')
PY
