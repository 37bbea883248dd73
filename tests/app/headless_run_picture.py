#!/usr/bin/env python3
"""Runs headless-run for 10 frames and reads the picture back with ImageMagick: the grey tool
strip, the eight colour bars, the square where the game clock puts it and black where the previous
frame's square stood."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

headless_run = sys.argv[1]
make_demo = sys.argv[2]
BARS = [(0, 0, 0), (0, 0, 255), (255, 0, 0), (255, 0, 255), (0, 255, 0), (0, 255, 255), (255, 255, 0),
        (255, 255, 255)]

with tempfile.TemporaryDirectory() as work:
    exe_dir = Path(work) / "exe"
    data_dir = Path(work) / "data"
    exe_dir.mkdir()
    data_dir.mkdir()
    shot = Path(work) / "shot.png"
    subprocess.run([make_demo, str(data_dir)], check=True)
    run = subprocess.run([headless_run, "--frames", "10", "--png", str(shot), "--exe-dir", str(exe_dir),
                          str(data_dir)], capture_output=True, text=True)
    print(run.stdout, run.stderr, sep="")
    if run.returncode != 0:
        sys.exit(f"headless-run failed with {run.returncode}")
    if "frames 10, game clock 144 ms" not in run.stdout:
        sys.exit("unexpected frame count or game clock")

    def pixel(x, y):
        out = subprocess.run(["convert", str(shot), "-format", f"%[pixel:p{{{x},{y}}}]", "info:"],
                             capture_output=True, text=True, check=True).stdout.strip()
        named = {"black": (0, 0, 0), "white": (255, 255, 255), "blue": (0, 0, 255), "red": (255, 0, 0),
                 "magenta": (255, 0, 255), "fuchsia": (255, 0, 255), "lime": (0, 255, 0), "cyan": (0, 255, 255),
                 "aqua": (0, 255, 255), "yellow": (255, 255, 0), "silver": (192, 192, 192)}
        if out in named:
            return named[out]
        numbers = re.findall(r"[\d.]+%?", out)
        values = []
        for n in numbers[:3]:
            values.append(round(float(n[:-1]) * 2.55) if n.endswith("%") else int(float(n)))
        return tuple(values)

    size = subprocess.run(["identify", "-format", "%h", str(shot)], capture_output=True, text=True, check=True)
    STRIP = int(size.stdout.strip()) - 480  # the dock's height
    checks = [("strip", (300, 5), None)]
    checks += [(f"bar {i}", (40 + 80 * i, STRIP + 240), colour) for i, colour in enumerate(BARS)]
    checks += [("square", (9 + 8, STRIP + 16), (255, 255, 255)), ("previous square", (8, STRIP + 16), (0, 0, 0))]
    failed = False
    for name, (x, y), expected in checks:
        got = pixel(x, y)
        ok = (len(got) == 3 and got[0] == got[1] == got[2] and 0 < got[0] < 255) if expected is None else got == expected
        print(f"{name} at ({x}, {y}): {got} {'ok' if ok else 'WRONG'}")
        failed |= not ok
    sys.exit(1 if failed else 0)
