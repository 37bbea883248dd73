#!/usr/bin/env python3
"""headless-run choosing from a menu: a generated project opens a menu of three Japanese items with
the Menu command; the pointer moves onto the second item, a shot is taken, the item is clicked; the
ONSELECT handler saves the game. The shot must show the hover bar at the second item's row, and the
game entry of save.dat (read with the independent archive reader) must hold the item's CP932 text,
which every game save keeps as the selected text."""
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_MENU_DEMO = sys.argv[2]
CHECK_ARCHIVE = str(Path(__file__).resolve().parent.parent / "python" / "check_archive.py")
GREEN = (0, 255, 0)
MAGENTA = (255, 0, 255)
# Menu at (10, 10): margins 4, line space 4, so rows start at y 14 and step row height + 4; the hover
# bar reaches min(4 / 2, 4) = 2 above and below its row and starts at x 11.
ITEM_TOP = 14
LINE_SPACE = 4
BAR_REACH = 2
POINT = (20, 36)  # in the second row for any row height from 12 to 20
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def pixel(picture, x, y):
    return tuple(picture[2][y][x * 3:x * 3 + 3])


with tempfile.TemporaryDirectory() as work:
    data = Path(work) / "data"
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_MENU_DEMO, str(data)], check=True)
    # Window coordinates begin above the tool strip: its height comes from a first picture.
    first = Path(work) / "first.png"
    subprocess.run([HEADLESS_RUN, "--frames", "1", "--png", str(first), "--exe-dir", str(Path(work) / "exe"),
                    str(data)], capture_output=True, timeout=120)
    strip = read_png(first)[1] - 120 if first.exists() else 0
    x, y = POINT[0], POINT[1] + strip
    script = Path(work) / "input.txt"
    script.write_text(f"6 move {x} {y}\n8 down left {x} {y}\n9 up left {x} {y}\n")
    shot = Path(work) / "hover.png"
    result = subprocess.run([HEADLESS_RUN, "--frames", "14", "--input", str(script), "--shot", f"7={shot}",
                             "--exe-dir", str(Path(work) / "exe"), str(data)],
                            capture_output=True, text=True, timeout=120)
    print(result.stdout, result.stderr, sep="")
    check(result.returncode == 0, f"the run ends well (exit {result.returncode})")

    picture = read_png(shot)
    strip = picture[1] - 120
    check(strip >= 0, f"the shot holds the 160 x 120 screen: {picture[:2]}")
    column = [pixel(picture, 12, strip + y) for y in range(120)]
    green = [y for y, colour in enumerate(column) if colour == GREEN]
    check(len(green) > 2 * BAR_REACH, f"a hover bar shows: rows {green}")
    if green:
        top, height = green[0], len(green)
        row_height = height - 2 * BAR_REACH
        check(green == list(range(top, top + height)), "the bar is one run")
        check(top == ITEM_TOP + (row_height + LINE_SPACE) - BAR_REACH,
              f"the bar sits at the second row: top {top}, row height {row_height}")
        check(pixel(picture, 10, strip + top) == MAGENTA and pixel(picture, 11, strip + top) == GREEN,
              "the bar starts one pixel inside the menu")

    saved = subprocess.run([sys.executable, CHECK_ARCHIVE, "member", str(data / "save.dat"), "GAMESAVEDATA1"],
                           capture_output=True)
    check(saved.returncode == 0, f"save.dat holds the game of slot 1: {saved.stderr.decode(errors='replace')}")
    # The menu's whole TEXT is in the scene record too; as a string of its own only the choice is.
    def as_string(text):
        encoded = text.encode("cp932")
        return struct.pack("<I", len(encoded)) + encoded
    check(as_string("バナナ") in saved.stdout, "the saved game keeps the chosen item's text")
    check(as_string("りんご") not in saved.stdout, "and not the first item's")

sys.exit(1 if failures else 0)
