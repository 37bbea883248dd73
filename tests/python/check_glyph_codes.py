#!/usr/bin/env python3
"""Checks the table that turns glyph codes (CP932: lead * 256 + trail, or one byte) into the
Unicode characters fonts draw, as foundation_probe prints it, against Python's cp932 codec over
all 65,536 codes. Control codes draw the missing-glyph shape (0); Python alone maps 80, A0 and
FD-FF (vendor extensions the host's converter refuses)."""
import struct
import subprocess
import sys

probe = sys.argv[1]
raw = subprocess.run([probe, "glyphcodes"], input=b"", stdout=subprocess.PIPE, check=True).stdout
assert len(raw) == 65536 * 4, len(raw)
table = struct.unpack("<65536I", raw)
PYTHON_ONLY = {0x80, 0xA0, 0xFD, 0xFE, 0xFF}


def python_char(code):
    data = bytes([code]) if code < 256 else bytes([code >> 8, code & 0xFF])
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError:
        return 0
    return ord(text) if len(text) == 1 else 0


failures = []
single = double = 0
for code in range(65536):
    want = python_char(code)
    if code < 0x20 or code in PYTHON_ONLY:
        want = 0
    if table[code] != want:
        failures.append(f"{code:04X}: {table[code]:X} expected {want:X}")
    elif want != 0:
        if code < 256:
            single += 1
        else:
            double += 1

# 00-7F less the 32 control codes, A1-DF, and the double-byte characters both converters know.
if (single, double) != (128 - 32 + 63, 9604):
    failures.append(f"{single} single-byte and {double} double-byte characters drawn")
for line in failures[:20]:
    print(line)
if failures:
    print(f"{len(failures)} failures")
    sys.exit(1)
print("glyph codes agree with Python's cp932")
