#!/usr/bin/env python3
"""Runs headless-run on the demo and reads the pictures back with ImageMagick: the grey tool strip
over the first layer's blue in the first frame, a colour between blue and orange in the middle of
the fade to the second layer, and the second layer's orange once the flip has ended."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

headless_run = sys.argv[1]
make_demo = sys.argv[2]
FIRST_LAYER = (0, 0, 0xA0)
SECOND_LAYER = (0xFF, 0x80, 0)
MIDDLE_FRAME = 30  # the fade takes 1000 ms; it starts in frame 2, and a frame lasts 16 ms

with tempfile.TemporaryDirectory() as work:
    exe_dir = Path(work) / "exe"
    data_dir = Path(work) / "data"
    exe_dir.mkdir()
    data_dir.mkdir()
    subprocess.run([make_demo, str(data_dir)], check=True)
    first = Path(work) / "first.png"
    middle = Path(work) / "middle.png"
    last = Path(work) / "last.png"
    done = subprocess.run([headless_run, "--frames", "120", "--shot", f"1={first}", "--shot", f"{MIDDLE_FRAME}={middle}",
                           "--png", str(last), "--exe-dir", str(exe_dir), str(data_dir)], capture_output=True, text=True)
    print(done.stdout, done.stderr, sep="")
    if done.returncode != 0:
        sys.exit(f"headless-run failed with {done.returncode}")
    if "frames 120, game clock 1904 ms" not in done.stdout:
        sys.exit("unexpected frame count or game clock")

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

    def between(got):
        # Some of each picture: red and green from the second, blue from the first.
        return len(got) == 3 and 0x10 < got[0] < 0xF0 and 0x08 < got[1] < 0x78 and 0x08 < got[2] < 0x98

    size = subprocess.run(["identify", "-format", "%h", str(first)], capture_output=True, text=True, check=True)
    strip = int(size.stdout.strip()) - 480  # the dock's height
    checks = [("strip", first, (300, 5), "grey"),
              ("first layer, top left", first, (0, strip), FIRST_LAYER),
              ("first layer, bottom right", first, (639, strip + 479), FIRST_LAYER),
              ("the fade half way", middle, (320, strip + 240), "between"),
              ("second layer after the flip", last, (320, strip + 240), SECOND_LAYER),
              ("strip after the flip", last, (300, 5), "grey")]
    failed = False
    for name, shot, (x, y), expected in checks:
        got = pixel(shot, x, y)
        if expected == "grey":
            ok = len(got) == 3 and got[0] == got[1] == got[2] and 0 < got[0] < 255
        elif expected == "between":
            ok = between(got)
        else:
            ok = got == expected
        print(f"{name} at ({x}, {y}): {got} {'ok' if ok else 'WRONG'}")
        failed |= not ok
    sys.exit(1 if failed else 0)
