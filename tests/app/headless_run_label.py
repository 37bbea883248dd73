#!/usr/bin/env python3
"""headless-run on a project whose start page shows a white box and a red label "あA" 24 pixels
high at (20, 30) in IPA Gothic: the picture has ink only inside the label's bounds (at most two
full-width cells wide, exactly one line high), enough of it to be text, and every inked pixel is a
blend of red and white. Pictures are read with a small PNG decoder built on Python's zlib."""
import hashlib
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_LABEL_DEMO = sys.argv[2]
SCREEN = (160, 120)
LABEL = (20, 30)
FONT_HEIGHT = 24
# The picture as IPA P Gothic draws it, kept with the SHA-256 of the font file that drew it.
GOLDEN = Path(__file__).resolve().parents[1] / "components" / "data" / "label-ipa-pgothic-24.png"
GOLDEN_FONT = Path("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf")
GOLDEN_PIXEL_BUDGET = 20
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_LABEL_DEMO, str(Path(work) / "data")], check=True)
    shot = Path(work) / "label.png"
    result = subprocess.run([HEADLESS_RUN, "--frames", "4", "--shot", f"3={shot}", "--exe-dir",
                             str(Path(work) / "exe"), str(Path(work) / "data")],
                            capture_output=True, text=True, timeout=120)
    print(result.stdout, result.stderr, sep="")
    check(result.returncode == 0, "the player ran")
    width, height, rows = read_png(shot)
    strip = height - SCREEN[1]  # the tool strip above the scene
    check(width == SCREEN[0] and strip >= 0, f"a {width} x {height} picture of the window")
    inked = []
    for y in range(strip, height):
        row = rows[y]
        for x in range(width):
            colour = tuple(row[x * 3:x * 3 + 3])
            if colour != (255, 255, 255):
                inked.append((x, y - strip, colour))
    check(len(inked) >= 60, f"the text inks {len(inked)} pixels")
    outside = [(x, y) for x, y, _ in inked
               if not (LABEL[0] <= x < LABEL[0] + 2 * FONT_HEIGHT and LABEL[1] <= y < LABEL[1] + FONT_HEIGHT)]
    check(not outside, f"no ink outside the label's bounds {outside[:5]}")
    # Red over white: red stays (nearly) full, green and blue fall together.
    unblended = [(x, y, c) for x, y, c in inked if not (c[0] >= 250 and c[1] == c[2] and c[1] < 255)]
    check(not unblended, f"every inked pixel is a blend of red and white {unblended[:5]}")
    check(any(c[1] < 16 for _, _, c in inked), "some pixels are red through and through")
    columns = [x for x, _, _ in inked]
    # あ alone is at most one cell wide: the ink reaches past it only with the A beside it.
    check(bool(columns) and max(columns) - min(columns) >= FONT_HEIGHT, "both characters are there")

    recorded = GOLDEN.with_suffix(".ipagp.sha256").read_text().strip()
    present = hashlib.sha256(GOLDEN_FONT.read_bytes()).hexdigest() if GOLDEN_FONT.exists() else "no font file"
    if present != recorded:
        print(f"skipped: the golden picture was drawn by another {GOLDEN_FONT.name} ({present})")
    else:
        scene = Path(work) / "scene.png"
        subprocess.run(["convert", str(shot), "-crop", f"{SCREEN[0]}x{SCREEN[1]}+0+{strip}", "+repage",
                        "PNG24:" + str(scene)], check=True)
        compared = subprocess.run(["compare", "-metric", "AE", "-fuzz", "10%", str(GOLDEN), str(scene), "null:"],
                                  capture_output=True, text=True)
        differing = compared.stderr.strip().split()[0] if compared.stderr.strip() else "?"
        check(differing.replace(".", "").isdigit() and float(differing) <= GOLDEN_PIXEL_BUDGET,
              f"{differing} pixels differ from the golden picture (budget {GOLDEN_PIXEL_BUDGET})")

if failures:
    sys.exit(1)
