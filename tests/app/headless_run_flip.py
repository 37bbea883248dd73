#!/usr/bin/env python3
"""Layer flips driven by scripted input through the whole player: a left click on the scene fades
from the blue first layer to the orange second one, the space key flips back at once, a second
click fades again. Shots before, during and after each flip show the layer a user would see; the
first layer names a cursor file the project lacks, which the log reports once for the whole run."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_FLIP_DEMO = sys.argv[2]
SCENE_WIDTH, SCENE_HEIGHT = 640, 480
BLUE = (0, 0, 0xA0)
ORANGE = (0xFF, 0x80, 0)
CURSOR_LINE = "The cursor file missing.cur cannot be shown: "
PROBES = [(0, 0), (320, 240), (639, 479), (17, 401)]
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def run(work, frames, input_text, shots, log=None):
    script = Path(work) / "input.txt"
    script.write_text(input_text)
    command = [HEADLESS_RUN, "--frames", str(frames), "--input", str(script), "--exe-dir", str(Path(work) / "exe")]
    for frame, path in shots.items():
        command += ["--shot", f"{frame}={path}"]
    if log is not None:
        command += ["--log", str(log)]
    done = subprocess.run(command + [str(Path(work) / "data")], capture_output=True, text=True, timeout=120)
    print(done.stdout, done.stderr, sep="")
    return done


def scene_colours(picture, strip):
    rows = picture[2]
    return {tuple(rows[strip + y][x * 3:x * 3 + 3]) for x, y in PROBES}


def between(colour):
    # Some of each layer: red and green from the orange one, blue from the blue one.
    return 0x10 < colour[0] < 0xF0 and 0x08 < colour[1] < 0x78 and 0x08 < colour[2] < 0x98


with tempfile.TemporaryDirectory() as work:
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_FLIP_DEMO, str(Path(work) / "data")], check=True)

    # Where the scene starts below the tool strip.
    first = Path(work) / "first.png"
    done = run(work, 2, "", {1: first})
    check(done.returncode == 0, f"a run without input ends well (exit {done.returncode})")
    picture = read_png(first)
    strip = picture[1] - SCENE_HEIGHT
    check(picture[0] == SCENE_WIDTH and strip > 0, f"the window shows the scene under the strip: {picture[:2]}")
    centre = f"{SCENE_WIDTH // 2} {strip + SCENE_HEIGHT // 2}"

    # frame: (what the shot shows, its test)
    expected = {
        4: ("the blue first layer before the click", lambda c: c == {BLUE}),
        9: ("a colour between the layers in the middle of the fade", lambda c: len(c) == 1 and between(next(iter(c)))),
        22: ("the orange second layer once the fade has ended", lambda c: c == {ORANGE}),
        24: ("still orange: nothing flips without input", lambda c: c == {ORANGE}),
        30: ("blue again after the space key", lambda c: c == {BLUE}),
        52: ("orange after the second click", lambda c: c == {ORANGE}),
    }
    shots = {frame: Path(work) / f"after-{frame}.png" for frame in expected}
    log = Path(work) / "player.log"
    script = (f"2 move {centre}\n"
              f"5 down left {centre}\n5 up left {centre}\n"
              "25 keydown 0x20\n26 keyup 0x20\n"
              f"36 move 100 {strip + 100}\n"
              f"36 down left 100 {strip + 100}\n36 up left 100 {strip + 100}\n")
    done = run(work, 60, script, shots, log)
    check(done.returncode == 0 and "frames 60," in done.stdout, f"the scripted run ends well (exit {done.returncode})")
    for frame, (what, test) in expected.items():
        colours = scene_colours(read_png(shots[frame]), strip) if shots[frame].exists() else set()
        check(test(colours), f"after frame {frame}: {what}: {sorted(colours)}")

    lines = log.read_text(encoding="utf-8").splitlines() if log.exists() else []
    cursor_lines = [line for line in lines if line.startswith(CURSOR_LINE)]
    check(len(cursor_lines) == 1, f"the missing cursor file is logged once over both flips: {cursor_lines}")

sys.exit(1 if failures else 0)
