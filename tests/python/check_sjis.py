#!/usr/bin/env python3
"""Checks the CP932 case fold and the half-/full-width conversions of foundation_probe against
Python's cp932 codec, str.lower()/str.upper() and unicodedata, over every code."""
import subprocess
import sys
import unicodedata

probe = sys.argv[1]
LEADS = [b for b in range(0x100) if 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC]
failures = []


def run(routine, data: bytes) -> bytes:
    return subprocess.run([probe, routine], input=data, stdout=subprocess.PIPE, check=True).stdout


def decode(raw: bytes):
    try:
        ch = raw.decode("cp932")
    except UnicodeDecodeError:
        return None
    return ch if len(ch) == 1 else None


# Windows writes characters of the NEC-selected rows (ED, EE) by their IBM codes (FA-FC).
ibm = {}
for lead in (0xFA, 0xFB, 0xFC):
    for trail in range(0x40, 0x100):
        ch = decode(bytes([lead, trail]))
        if ch is not None:
            ibm.setdefault(ch, bytes([lead, trail]))


def encode(ch: str):
    try:
        raw = ch.encode("cp932")
    except UnicodeEncodeError:
        return None
    return ibm.get(ch, raw) if raw[:1] in (b"\xed", b"\xee") else raw


def expected_fold(raw: bytes, method: str) -> bytes:
    ch = decode(raw)
    if ch is None:
        return raw
    folded = getattr(ch, method)()
    if folded == ch:
        return raw
    out = encode(folded) if len(folded) == 1 else None
    return out if out is not None and len(out) == len(raw) else raw


codes = [bytes([b]) for b in range(0x100) if b not in LEADS]
codes += [bytes([lead, trail]) for lead in LEADS for trail in range(0x40, 0x100) if trail != 0x7F]
for method in ("lower", "upper"):
    got = run(method, b"".join(codes))
    pos = 0
    for raw in codes:
        want = expected_fold(raw, method)
        if got[pos:pos + len(raw)] != want:
            failures.append(f"{method} {raw.hex()}: got {got[pos:pos + len(raw)].hex()} want {want.hex()}")
        pos += len(raw)

# HanToZen: NFKC full-width forms, with the system's own signs for " ' \ ` and the lone marks.
own = {0x22: "\u201d", 0x27: "\u2019", 0x5C: "\uffe5", 0x60: "\u2018", 0x20: "\u3000", 0xDE: "\u309b", 0xDF: "\u309c"}


def zen_of(b: int):
    if b in own:
        return own[b].encode("cp932")
    if 0x21 <= b <= 0x7E:
        return chr(0xFF01 + b - 0x21).encode("cp932")
    if 0xA1 <= b <= 0xDD:
        return unicodedata.normalize("NFKC", bytes([b]).decode("cp932")).encode("cp932")
    return b""


singles = [bytes([b]) for b in range(0x100) if b not in LEADS and b != 0x0A]
pairs = []
for b in range(0xA1, 0xDE):
    for mark in (0xDE, 0xDF):
        pairs.append(bytes([b, mark]))
inputs = singles + pairs
got_lines = run("han2zen", b"\n".join(inputs)).split(b"\n")
for raw, got in zip(inputs, got_lines):
    if len(raw) == 1:
        want = zen_of(raw[0])
    else:
        base = unicodedata.normalize("NFKC", bytes([raw[0]]).decode("cp932"))
        mark = "\u3099" if raw[1] == 0xDE else "\u309a"
        joined = unicodedata.normalize("NFC", base + mark)
        voiceable = "カキクケコサシスセソタチツテトハヒフヘホ"
        semi = "ハヒフヘホ"
        if (mark == "\u3099" and base in voiceable) or (mark == "\u309a" and base in semi):
            want = joined.encode("cp932")
        else:
            want = zen_of(raw[0]) + zen_of(raw[1])
    if got != want:
        failures.append(f"han2zen {raw.hex()}: got {got.hex()} want {want.hex()}")

# ZenToHan: the inverse of the above over every double-byte code; everything else is dropped.
back = {}
for raw, line in zip(inputs, run("han2zen", b"\n".join(inputs)).split(b"\n")):
    if len(line) == 2 and line not in back:
        back[line] = raw
back[b"\x81\x67"] = b'"'  # “
doubles = [bytes([lead, trail]) for lead in LEADS for trail in range(0x40, 0x100)]
got_lines = run("zen2han", b"\n".join(doubles)).split(b"\n")
for raw, got in zip(doubles, got_lines):
    want = back.get(raw, b"")
    if got != want:
        failures.append(f"zen2han {raw.hex()}: got {got.hex()} want {want.hex()}")

for line in failures[:40]:
    print(line)
print(f"{len(failures)} differences")
sys.exit(1 if failures else 0)
