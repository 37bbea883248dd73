#!/usr/bin/env python3
"""Checks CompressStream and DecompressStream of foundation_probe against Python's zlib:
our compression must inflate with zlib.decompress, and we must inflate zlib.compress output at
levels 1, 6 and 9 and refuse corrupt or truncated data."""
import random
import subprocess
import sys
import zlib

probe = sys.argv[1]
failures = []


def run(routine, data: bytes):
    return subprocess.run([probe, routine], input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


rng = random.Random(1234)
samples = {
    "empty": b"",
    "byte": b"x",
    "text": ("本日は晴天なり。The quick brown fox jumps over the lazy dog.\r\n" * 3000).encode("cp932"),
    "noise": bytes(rng.getrandbits(8) for _ in range(200_000)),
    "pixels": bytes((x * 7 + y * 3) & 0xFF for y in range(300) for x in range(900)),
}
for name, data in samples.items():
    got = run("compress", data)
    if got.returncode != 0:
        failures.append(f"compress {name}: exit {got.returncode} {got.stderr!r}")
    elif zlib.decompress(got.stdout) != data:
        failures.append(f"compress {name}: zlib.decompress gives other bytes")
    for level in (1, 6, 9):
        got = run("decompress", zlib.compress(data, level))
        if got.returncode != 0 or got.stdout != data:
            failures.append(f"decompress {name} level {level}: exit {got.returncode} {got.stderr!r}")
    # Bytes after the end of the zlib data are ignored.
    got = run("decompress", zlib.compress(data, 6) + b"trailing garbage")
    if got.returncode != 0 or got.stdout != data:
        failures.append(f"decompress {name} with trailing bytes: exit {got.returncode}")

packed = zlib.compress(samples["text"], 6)
corrupt = bytearray(packed)
corrupt[len(corrupt) // 2] ^= 0xFF
for label, data in (("truncated", packed[:-10]), ("corrupt", bytes(corrupt)), ("not zlib", b"hello world"),
                    ("empty", b""), ("header only", packed[:2])):
    got = run("decompress", data)
    if got.returncode == 0:
        failures.append(f"decompress {label}: accepted")

for line in failures:
    print(line)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
