#!/usr/bin/env python3
"""Typing into an edit through the whole player: a press into the edit, the key X with its typed
text, Enter, an input-method composition and its commit, then Tab, which makes the script flip the
layers. The script's handler sees each key with the text as it was before the key acted and saves
the game each time; text-field-check reads the last save with the player's own readers. The
pictures show the edit's field alone on its background colour, the underlined composition, and
after the flip the memo's field instead of the edit's."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
TEXT_FIELD_CHECK = sys.argv[2]
EDIT = (40, 30, 160, 24)    # left, top, width, height on the panel
MEMO = (40, 80, 200, 100)
LAYER0 = (128, 128, 128)
LAYER1 = (64, 64, 64)
WHITE = (255, 255, 255)
MEMO_BACK = (192, 255, 192)
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def pixel(picture, x, y):
    return tuple(picture[2][y][x * 3:x * 3 + 3])


def inside(rect, x, y):
    return rect[0] <= x < rect[0] + rect[2] and rect[1] <= y < rect[1] + rect[3]


def run(*arguments):
    done = subprocess.run(list(arguments), capture_output=True, timeout=120)
    if done.returncode != 0:
        print(done.stdout.decode(errors="replace") + done.stderr.decode(errors="replace"))
    return done


with tempfile.TemporaryDirectory() as work:
    data = Path(work) / "data"
    check(run(TEXT_FIELD_CHECK, "make", str(data)).returncode == 0, "the project is written")
    probe = Path(work) / "probe.png"
    check(run(HEADLESS_RUN, "--frames", "2", "--png", str(probe), str(data)).returncode == 0, "the probe run ends")
    strip = read_png(probe)[1] - 240  # the tool strip's dock above the panel

    press = (EDIT[0] + 100 + 0, EDIT[1] + 10 + strip)
    script = "\n".join([
        f"3 down left {press[0]} {press[1]}",
        f"3 up left {press[0]} {press[1]}",
        "5 keydown 88", "5 text x", "6 keyup 88",
        "7 keydown 13", "8 keyup 13",
        "9 compose 2 かな",
        "11 compose 0", "11 text 仮名",
        "12 keydown Tab", "13 keyup Tab",
    ]) + "\n"
    (Path(work) / "input.txt").write_text(script, encoding="utf-8")
    shots = {frame: Path(work) / f"after-{frame}.png" for frame in (8, 9, 15)}
    options = [option for frame, path in shots.items() for option in ("--shot", f"{frame}={path}")]
    done = run(HEADLESS_RUN, "--frames", "16", "--input", str(Path(work) / "input.txt"), *options, str(data))
    check(done.returncode == 0, f"the typing run ends well (exit {done.returncode})")

    saved = run(TEXT_FIELD_CHECK, "check", str(data))
    lines = saved.stdout.decode("utf-8").splitlines()
    check(saved.returncode == 0 and len(lines) == 2, f"the last save holds the edit: {lines}")
    if len(lines) == 2:
        check(lines[0] == "名前x仮名", f"the edit's TEXT: {lines[0]}")
        check(lines[1] == "88:名前;13:名前x;9:名前x仮名;", f"what the script saw of each key: {lines[1]}")

    typed = read_png(shots[8])
    width, height = typed[0], typed[1]
    stray = [(x, y) for y in range(strip, height) for x in range(width)
             if not inside(EDIT, x, y - strip) and pixel(typed, x, y) != LAYER0]
    check(not stray, f"nothing but the layer outside the edit: {stray[:5]}")
    ink = [(x, y) for y in range(EDIT[1], EDIT[1] + EDIT[3]) for x in range(EDIT[0], EDIT[0] + EDIT[2])
           if pixel(typed, x, y + strip) != WHITE]
    check(len(ink) > 30, f"ink on the edit's white background: {len(ink)} pixels")
    check(all(pixel(typed, x, y + strip)[0] == pixel(typed, x, y + strip)[1] == pixel(typed, x, y + strip)[2]
              for x, y in ink), "the ink is black text blended on white")

    def longest_dark_run(picture):
        best = 0
        for y in range(EDIT[1], EDIT[1] + EDIT[3]):
            run_length = 0
            for x in range(EDIT[0], EDIT[0] + EDIT[2]):
                run_length = run_length + 1 if pixel(picture, x, y + strip) == (0, 0, 0) else 0
                best = max(best, run_length)
        return best

    composing = read_png(shots[9])
    check(longest_dark_run(composing) >= 12 > longest_dark_run(typed),
          f"the composition is underlined: runs {longest_dark_run(composing)} then {longest_dark_run(typed)}")

    flipped = read_png(shots[15])
    check(pixel(flipped, MEMO[0] + 5, MEMO[1] + MEMO[3] - 5 + strip) == MEMO_BACK, "after the flip the memo's field shows")
    check(pixel(flipped, EDIT[0] + EDIT[2] - 3, EDIT[1] + 3 + strip) == LAYER1, "and the edit's field does not")
    check(pixel(flipped, MEMO[0] + MEMO[2] - 8, MEMO[1] + 40 + strip) == (192, 192, 192), "the memo's scroll bar track")

if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)
