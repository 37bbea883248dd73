#!/usr/bin/env python3
"""The tool strip as a user meets it: headless-run with a scripted pointer, pictures read back with
ImageMagick. The strip shows the face colour with a lit line on its last row; the button under the
pointer is raised, and the one held down is sunken until a release outside lets it go unclicked."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

HEADLESS_RUN = sys.argv[1]
MAKE_INPUT_DEMO = sys.argv[2]
FACE, HIGHLIGHT, SHADOW = (192, 192, 192), (255, 255, 255), (128, 128, 128)
QUIT = (2, 2, 69, 20)     # window rectangles of the two buttons: left, top, right, bottom
SWITCH = (69, 2, 136, 20)
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def pixel(path, x, y):
    out = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    hex_colour = re.search(r"#([0-9A-Fa-f]{6})", out).group(1)
    return tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))


def height(path):
    return int(subprocess.run(["identify", "-format", "%h", str(path)], capture_output=True, text=True,
                              check=True).stdout.strip())


def edges(path, rect):
    left, top, right, bottom = rect
    return pixel(path, left, top), pixel(path, right - 1, bottom - 1)


with tempfile.TemporaryDirectory() as work:
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_INPUT_DEMO, str(Path(work) / "data")], check=True)
    hot, held, after = (Path(work) / f"{name}.png" for name in ("hot", "held", "after"))
    script = Path(work) / "input.txt"
    script.write_text("1 move 100 11\n"          # over the screen switch
                      "3 move 30 11\n"           # over the quit button
                      "3 down left 30 11\n"      # held down
                      "4 move 300 300\n"         # dragged out: shows up, still held
                      "4 move 31 11\n"           # back in: sunken again
                      "5 up left 300 300\n"      # let go outside: no click
                      "5 leave\n")
    result = subprocess.run([HEADLESS_RUN, "--frames", "8", "--input", str(script), "--shot", f"2={hot}",
                             "--shot", f"4={held}", "--shot", f"6={after}", "--exe-dir", str(Path(work) / "exe"),
                             str(Path(work) / "data")], capture_output=True, text=True, timeout=120)
    print(result.stdout, result.stderr, sep="")
    check(result.returncode == 0 and "frames 8," in result.stdout, f"the run ends well (exit {result.returncode})")

    dock = height(hot) - 480
    check(dock == 23, f"the strip is its row, frame and bottom line high: {dock}")
    check(pixel(hot, 300, 5) == FACE, "the strip shows the face colour")
    check(all(pixel(hot, x, dock - 1) == HIGHLIGHT for x in (0, 320, 639)), "a lit line runs along its last row")
    check(edges(hot, SWITCH) == (HIGHLIGHT, SHADOW), f"the switch under the pointer is raised: {edges(hot, SWITCH)}")
    check(edges(hot, QUIT) == (FACE, FACE), "the quit button shows no border")
    check(edges(held, QUIT) == (SHADOW, HIGHLIGHT), f"the held quit button is sunken: {edges(held, QUIT)}")
    check(edges(held, SWITCH) == (FACE, FACE), "the switch went flat when the pointer left it")
    check(edges(after, QUIT) == (FACE, FACE), "let go outside, the quit button is flat again")
    check("終了" not in result.stdout + result.stderr, "no quit question was asked")
    print(f"{len(failures)} failed" if failures else "all passed")
sys.exit(1 if failures else 0)
