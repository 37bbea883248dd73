#!/usr/bin/env python3
"""A saved scene through the whole player: a first run makes boxes, a cabinet with two boxes, a
paused timer and a box that takes the key focus, and saves slot 1; a second run loads slot 1 and
saves slot 2. The two scene records in save.dat are the same bytes (scene-save-check reads them
with the player's archive reader and checks focus, cabinet and timer), and the pictures of both
runs are the same."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
SCENE_SAVE_CHECK = sys.argv[2]
FRAMES = 8
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)



def colours(picture):
    found = set()
    for row in picture[2]:
        for i in range(0, len(row), 3):
            found.add(tuple(row[i:i + 3]))
    return found


def run(*arguments):
    done = subprocess.run(list(arguments), capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        print(done.stdout + done.stderr)
    return done.returncode == 0


with tempfile.TemporaryDirectory() as work:
    data = Path(work) / "data"
    first, second = Path(work) / "first.png", Path(work) / "second.png"
    check(run(SCENE_SAVE_CHECK, "save", str(data)), "the saving project is written")
    check(run(HEADLESS_RUN, "--frames", str(FRAMES), "--shot", f"{FRAMES}={first}", str(data)), "the first run ends")
    check(run(SCENE_SAVE_CHECK, "reload", str(data)), "the reloading page is written")
    check(run(HEADLESS_RUN, "--frames", str(FRAMES), "--shot", f"{FRAMES}={second}", str(data)), "the second run ends")
    check(run(SCENE_SAVE_CHECK, "compare", str(data)), "both slots hold the same scene record")
    if first.exists() and second.exists():
        one, two = read_png(first), read_png(second)
        check(one == two, "the loaded game looks as the saved one did")
        seen = colours(one)
        check((255, 0, 0) in seen and (255, 255, 0) in seen and (255, 255, 255) in seen,
              "the picture shows the red box, its white border and the yellow box")
    else:
        check(False, "both runs wrote their pictures")

if failures:
    sys.exit(1)
