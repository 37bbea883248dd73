#!/usr/bin/env python3
"""headless-run on the map demo (tools/make-map-demo): the mouse moves over the two regions of an
image map, clicks the second and Escape closes the map; the shots show the hovered region cut out
and filled from the hover picture, the boxes the map's event handlers changed, bitmap-font labels
in three alignments, blended and added, and the ends of two property motions. Pictures are read
with the small PNG decoder built on Python's zlib."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_MAP_DEMO = sys.argv[2]
GREY = (64, 64, 64)
RED, GREEN, WHITE = (255, 0, 0), (0, 255, 0), (255, 255, 255)
YELLOW, BLUE, MAGENTA = (255, 255, 0), (0, 0, 255), (255, 0, 255)
# The digit sheet's colours (digit d is one solid cell).
DIGIT = {1: (0, 128, 0), 2: (128, 0, 0), 3: (128, 128, 0), 4: (255, 128, 0), 5: (0, 255, 255)}
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def near(got, expected, slack=6):
    return all(abs(a - b) <= slack for a, b in zip(got, expected))


with tempfile.TemporaryDirectory() as work:
    work = Path(work)
    (work / "exe").mkdir()
    subprocess.run([MAKE_MAP_DEMO, str(work / "data")], check=True)
    probe = subprocess.run([HEADLESS_RUN, "--frames", "1", "--png", str(work / "probe.png"), "--exe-dir",
                            str(work / "exe"), str(work / "data")], capture_output=True, text=True, timeout=600)
    check(probe.returncode == 0, f"a first frame runs (exit {probe.returncode}) {probe.stderr}")
    STRIP = read_png(work / "probe.png")[1] - 480  # the tool strip above the scene

    def at(x, y):
        """Window coordinates of a scene point."""
        return x, y + STRIP

    # The map image lies at (20, 20): "left" covers its columns 0..99, "right" the ellipse in
    # columns 100..199, centred at (150, 50) of the picture.
    script = "\n".join([
        "3 move %d %d" % at(70, 70),      # into "left"
        "6 move %d %d" % at(170, 70),     # into "right"
        "9 down left %d %d" % at(170, 70),
        "10 up left %d %d" % at(170, 70),
        "14 keydown 0x1B",
        "15 keyup 0x1B",
    ]) + "\n"
    (work / "input.txt").write_text(script)
    frames = {4: "hover-left", 7: "hover-right", 12: "selected", 18: "closed", 120: "end"}
    shots = {frame: work / f"{name}.png" for frame, name in frames.items()}
    command = [HEADLESS_RUN, "--frames", "120", "--input", str(work / "input.txt"), "--log", str(work / "log.txt")]
    for frame, path in shots.items():
        command += ["--shot", f"{frame}={path}"]
    command += ["--exe-dir", str(work / "exe"), str(work / "data")]
    result = subprocess.run(command, capture_output=True, text=True, timeout=600)
    print(result.stdout, result.stderr, sep="")
    check(result.returncode == 0, f"the scripted run ends well (exit {result.returncode})")
    pictures = {frame: read_png(path) for frame, path in shots.items()}

    def pixel(frame, x, y):
        picture = pictures[frame]
        x, y = at(x, y)
        return tuple(picture[2][y][x * 3:x * 3 + 3])

    # Hovering "left": its rectangle shows the hover picture, the rest of the map the picture.
    check(pixel(4, 70, 70) == GREEN, f"hovered left region shows the hover picture: {pixel(4, 70, 70)}")
    check(pixel(4, 20, 20) == GREEN and pixel(4, 119, 119) == GREEN, "the whole left rectangle is cut out")
    check(pixel(4, 120, 70) == RED, f"the right part keeps the picture: {pixel(4, 120, 70)}")
    check(pixel(4, 35, 145) == YELLOW and pixel(4, 45, 145) == GREY,
          f"ONMAPIN left 0 made the in-box yellow and 20 wide: {pixel(4, 35, 145)} {pixel(4, 45, 145)}")
    check(pixel(4, 35, 165) == GREY, "nothing was left yet: the out-box is 10 wide")

    # Hovering "right": only the ellipse is cut out; its box's corner stays red.
    check(pixel(7, 170, 70) == GREEN, f"the ellipse centre shows the hover picture: {pixel(7, 170, 70)}")
    check(pixel(7, 121, 21) == RED, f"the corner of the ellipse's box keeps the picture: {pixel(7, 121, 21)}")
    check(pixel(7, 70, 70) == RED, f"the left region is whole again: {pixel(7, 70, 70)}")
    check(pixel(7, 75, 145) == YELLOW and pixel(7, 85, 145) == GREY, "ONMAPIN right 1 made the in-box 60 wide")
    check(pixel(7, 35, 165) == WHITE and pixel(7, 45, 165) == GREY, "ONMAPOUT left 0 made the out-box 20 wide")

    # The click selected "right": @SelIndex 1.
    check(pixel(12, 75, 185) == BLUE and pixel(12, 85, 185) == GREY,
          f"ONSELECT made the select-box blue and 60 wide: {pixel(12, 75, 185)} {pixel(12, 85, 185)}")
    check(pixel(7, 25, 185) == WHITE, "before the click the select-box was white")

    # Escape with right-click scrap closed the map: it is gone two ticks later.
    check(pixel(18, 70, 70) == GREY and pixel(18, 170, 70) == GREY, f"the map image is gone: {pixel(18, 170, 70)}")

    # Bitmap-font labels: "1" over "333", 16 x 20 cells, 4 pixels between the lines.
    for name, top, first_x in (("left", 20, 300), ("centre", 80, 316), ("right", 140, 332)):
        check(pixel(120, first_x + 8, top + 10) == DIGIT[1], f"{name}: the short line starts at x {first_x}")
        others = [x for x in (300, 316, 332) if x != first_x]
        check(all(pixel(120, x + 8, top + 10) == GREY for x in others), f"{name}: the rest of the short line is empty")
        check(all(pixel(120, x + 8, top + 34) == DIGIT[3] for x in (300, 316, 332)), f"{name}: the long line")
        check(pixel(120, 308, top + 22) == GREY, f"{name}: the line spacing is left alone")
    blend = pixel(120, 408, 30)
    check(near(blend, (32, 160, 160)), f"ALPHA 128 blends the cell half over the grey: {blend}")
    added = pixel(120, 408, 70)
    check(near(added, (64, 107, 107)), f"ALPHA 300 adds 44/256 of the cell: {added}")

    # Property motions: LEFT to 350.7 truncates to 350; TEXT went to "42" through the bridge.
    check(pixel(120, 350, 210) == MAGENTA and pixel(120, 369, 210) == MAGENTA, "the mover box ends at LEFT 350")
    check(pixel(120, 349, 210) == GREY and pixel(120, 370, 210) == GREY, "and nowhere else")
    check(pixel(120, 408, 110) == DIGIT[4] and pixel(120, 424, 110) == DIGIT[2],
          f"the motion on TEXT ends at 42: {pixel(120, 408, 110)} {pixel(120, 424, 110)}")

if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)
print("all checks passed")
