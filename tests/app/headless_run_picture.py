#!/usr/bin/env python3
"""Runs headless-run on the demo and reads the pictures back with ImageMagick: the grey tool strip
over the first layer's blue in the first frame, and the second layer's orange once the flip between
them has ended."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

headless_run = sys.argv[1]
make_demo = sys.argv[2]
STRIP = 22
FIRST_LAYER = (0, 0, 0xA0)
SECOND_LAYER = (0xFF, 0x80, 0)

with tempfile.TemporaryDirectory() as work:
    exe_dir = Path(work) / "exe"
    data_dir = Path(work) / "data"
    exe_dir.mkdir()
    data_dir.mkdir()
    subprocess.run([make_demo, str(data_dir)], check=True)

    def run(frames, clock):
        shot = Path(work) / f"shot{frames}.png"
        done = subprocess.run([headless_run, "--frames", str(frames), "--png", str(shot), "--exe-dir", str(exe_dir),
                               str(data_dir)], capture_output=True, text=True)
        print(done.stdout, done.stderr, sep="")
        if done.returncode != 0:
            sys.exit(f"headless-run failed with {done.returncode}")
        if f"frames {frames}, game clock {clock} ms" not in done.stdout:
            sys.exit("unexpected frame count or game clock")
        return shot

    def pixel(shot, x, y):
        out = subprocess.run(["convert", str(shot), "-format", f"%[pixel:p{{{x},{y}}}]", "info:"],
                             capture_output=True, text=True, check=True).stdout.strip()
        named = {"black": (0, 0, 0), "white": (255, 255, 255), "silver": (192, 192, 192)}
        if out in named:
            return named[out]
        numbers = re.findall(r"[\d.]+%?", out)
        values = []
        for n in numbers[:3]:
            values.append(round(float(n[:-1]) * 2.55) if n.endswith("%") else int(float(n)))
        return tuple(values)

    first = run(1, 0)
    last = run(120, 1904)
    checks = [("strip", first, (300, 5), None),
              ("first layer, top left", first, (0, STRIP), FIRST_LAYER),
              ("first layer, bottom right", first, (639, STRIP + 479), FIRST_LAYER),
              ("second layer after the flip", last, (320, STRIP + 240), SECOND_LAYER),
              ("strip after the flip", last, (300, 5), None)]
    failed = False
    for name, shot, (x, y), expected in checks:
        got = pixel(shot, x, y)
        ok = (len(got) == 3 and got[0] == got[1] == got[2] and 0 < got[0] < 255) if expected is None else got == expected
        print(f"{name} at ({x}, {y}): {got} {'ok' if ok else 'WRONG'}")
        failed |= not ok
    sys.exit(1 if failed else 0)
