#!/usr/bin/env python3
"""Pictures through the whole player: the project of make-picture-demo run by headless-run.

The scene of two moments (after frames 3 and 20) is compared pixel for pixel with the committed
pictures of tests/app/data/pictures, which a person has looked at; the same shots are checked on
their own: probe pixels against the blend formulas worked by hand, the flips and the quarter turn
against ImageMagick's -flop, -flip and -rotate 90 of the source picture, brightness against the
source pixels, and the animation's frame after N frames. A second run drives the button with
--input (move over, press, release) and looks at its hover, pressed and clicked pictures and at
the box its notification turns green.

With --update the committed pictures are written from this run instead (look at them before
committing)."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_PICTURE_DEMO = sys.argv[2]
GOLDEN_DIR = Path(sys.argv[3])
UPDATE = "--update" in sys.argv[4:]
SCENE_WIDTH, SCENE_HEIGHT = 320, 240
GOLDEN_SHOTS = {3: "still-after-frame-3.png", 20: "animation-after-frame-20.png"}

LAYER = (30, 60, 90)
KEYED = (220, 120, 40)
MASKED = (60, 200, 240)
ALPHAS = (0, 128, 255, 300, 511)
ARROW_W, ARROW_H = 16, 12
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)


def run(work, frames, shots, input_text=None):
    command = [HEADLESS_RUN, "--frames", str(frames), "--exe-dir", str(Path(work) / "exe")]
    if input_text is not None:
        script = Path(work) / "input.txt"
        script.write_text(input_text)
        command += ["--input", str(script)]
    for frame, path in shots.items():
        command += ["--shot", f"{frame}={path}"]
    done = subprocess.run(command + [str(Path(work) / "data")], capture_output=True, text=True, timeout=120)
    print(done.stdout, done.stderr, sep="")
    return done


class Scene:
    """The scene part of a shot, below the tool strip."""

    def __init__(self, path):
        self.width, height, self.rows = read_png(path)
        self.top = height - SCENE_HEIGHT

    def at(self, x, y):
        row = self.rows[self.top + y]
        return tuple(row[x * 3:x * 3 + 3])

    def crop(self):
        return [self.rows[self.top + y][:SCENE_WIDTH * 3] for y in range(SCENE_HEIGHT)]


def near(got, expected, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(got, expected))


def blend(under, over, weight):
    """Over drawn on under with weight 0..1."""
    return tuple(u + (o - u) * weight for u, o in zip(under, over))


def add(under, over, strength):
    return tuple(min(255.0, u + o * strength) for u, o in zip(under, over))


def expected_keyed(alpha):
    if alpha <= 0:
        return LAYER
    if alpha < 255:
        return blend(LAYER, KEYED, alpha / 255)
    if alpha == 255:
        return KEYED
    return add(LAYER, KEYED, (alpha - 256) / 256)


def expected_masked(alpha, mask):
    m = mask / 255
    if alpha <= 0:
        return LAYER
    if alpha < 255:
        return blend(LAYER, MASKED, m * alpha / 255)
    if alpha == 255:
        return blend(LAYER, MASKED, m)
    return add(LAYER, MASKED, m * (alpha - 256) / 256)


def arrow(x, y):
    return (16 * x, 20 * y, 100)


def magick(work, operation):
    """The source picture through ImageMagick, as rows of RGB triples."""
    out = Path(work) / (operation.strip("-").replace(" ", "") + ".png")
    subprocess.run(["convert", str(Path(work) / "data" / "arrow.ppm"), *operation.split(), f"PNG24:{out}"], check=True)
    width, height, rows = read_png(out)
    return width, height, lambda x, y: tuple(rows[y][x * 3:x * 3 + 3])


def compare_region(scene, left, top, reference, what):
    width, height, pixel = reference
    wrong = [(x, y) for y in range(height) for x in range(width) if scene.at(left + x, top + y) != pixel(x, y)]
    check(not wrong, f"{what}: {len(wrong)} of {width * height} pixels differ {wrong[:4]}")


def check_still(work, scene):
    # Opacity modes of the keyed picture: the diamond's middle, and a keyed corner showing the layer.
    for i, alpha in enumerate(ALPHAS):
        left = 8 + 32 * i
        got = scene.at(left + 12, 8 + 8)
        check(near(got, expected_keyed(alpha), 2), f"keyed picture at ALPHA {alpha}: {got}, by hand {expected_keyed(alpha)}")
        check(scene.at(left, 8) == LAYER, f"keyed picture at ALPHA {alpha} leaves its keyed corner to the layer")
    # Masked picture: the mask rises from 0 at the left edge to 255 at the right.
    for i, alpha in enumerate(ALPHAS):
        left = 8 + 32 * i
        for x in (0, 12, 23):
            mask = x * 255 // 23
            got = scene.at(left + x, 32 + 5)
            check(near(got, expected_masked(alpha, mask), 3),
                  f"masked picture at ALPHA {alpha}, mask {mask}: {got}, by hand {expected_masked(alpha, mask)}")
    compare_region(scene, 8, 60, (ARROW_W, ARROW_H, arrow), "the picture unchanged")
    # A flip mirrors the picture about its anchor pixel, the corner at the position (48, 60) and
    # (56, 71): the picture lies left of it and above it.
    compare_region(scene, 48 - (ARROW_W - 1), 60, magick(work, "-flop"), "FLIPH against ImageMagick -flop")
    compare_region(scene, 56, 71 - (ARROW_H - 1), magick(work, "-flip"), "FLIPV against ImageMagick -flip")
    # A quarter turn about the top-left corner, which stays at the position (100, 60).
    compare_region(scene, 100 - (ARROW_H - 1), 60, magick(work, "-rotate 90"), "ANGLE 64 against ImageMagick -rotate 90")
    bright = (ARROW_W, ARROW_H, lambda x, y: tuple(min(255, c + 80) for c in arrow(x, y)))
    dark = (ARROW_W, ARROW_H, lambda x, y: tuple(max(0, c - 80) for c in arrow(x, y)))
    compare_region(scene, 8, 140, bright, "BRIGHTNESS 80 adds 80 to every channel")
    compare_region(scene, 32, 140, dark, "BRIGHTNESS -80 takes 80 from every channel")
    # The clip rectangle shows 8 x 6 pixels of the picture from (4, 2); the rest is the layer.
    clip = (16, 12, lambda x, y: arrow(x, y) if 4 <= x < 12 and 2 <= y < 8 else LAYER)
    compare_region(scene, 96, 100, clip, "the clip rectangle")
    check(scene.at(8 + 31, 100 + 5) != LAYER and scene.at(8 + 32, 100) == LAYER and scene.at(8, 100 + 6) == LAYER,
          "zoom 512 x 128 makes the picture 32 x 6")
    check(scene.at(48 + 39, 100 + 11) != LAYER and scene.at(48 + 40, 100) == LAYER,
          "an explicit WIDTH of 40 stretches the picture")


with tempfile.TemporaryDirectory() as work:
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_PICTURE_DEMO, str(Path(work) / "data")], check=True)

    anim_frames = {3: (230, 30, 30), 10: (30, 230, 30), 20: (30, 30, 230)}
    shots = {frame: Path(work) / f"after-{frame}.png" for frame in sorted(set(anim_frames) | set(GOLDEN_SHOTS))}
    done = run(work, 20, shots)
    check(done.returncode == 0 and "frames 20," in done.stdout, f"the picture project runs (exit {done.returncode})")
    scenes = {frame: Scene(path) for frame, path in shots.items() if path.exists()}
    check(len(scenes) == len(shots), "every shot was written")

    if 3 in scenes:
        check_still(work, scenes[3])
    for frame, colour in anim_frames.items():
        if frame in scenes:
            got = scenes[frame].at(64 + 8, 140 + 8)
            check(got == colour, f"the animation after frame {frame} shows {colour}: {got}")

    for frame, name in GOLDEN_SHOTS.items():
        golden = GOLDEN_DIR / name
        if frame not in scenes:
            continue
        if UPDATE:
            top = scenes[frame].top
            subprocess.run(["convert", str(shots[frame]), "-crop", f"{SCENE_WIDTH}x{SCENE_HEIGHT}+0+{top}", "+repage",
                            f"PNG24:{golden}"], check=True)
            print(f"wrote {golden}")
            continue
        width, height, rows = read_png(golden)
        crop = scenes[frame].crop()
        differing = [(x, y) for y in range(height) for x in range(width)
                     if rows[y][x * 3:x * 3 + 3] != crop[y][x * 3:x * 3 + 3]]
        check((width, height) == (SCENE_WIDTH, SCENE_HEIGHT) and not differing,
              f"after frame {frame} the scene is {name} pixel for pixel: {len(differing)} differ {differing[:6]}")

    # The button: the pointer moves over it, presses and lets go; its notification turns the box green.
    button = (200 + 24, 140 + 12)
    lamp = (260 + 20, 140 + 12)
    normal, hover, pressed = (128, 128, 128), (240, 220, 40), (60, 60, 60)
    clicked_first, clicked_second = (250, 250, 250), (40, 220, 220)
    red, green = (200, 0, 0), (0, 200, 0)
    top = scenes[3].top if 3 in scenes else 0
    x, y = button[0], button[1] + top
    script = (f"2 move 10 {top + 230}\n"
              f"20 move {x} {y}\n"
              f"24 down left {x} {y}\n"
              f"28 up left {x} {y}\n")
    # frame: (button, box, what)
    expected = {
        19: (normal, red, "before the pointer comes"),
        21: (hover, red, "the pointer over it shows the hover picture"),
        25: (pressed, red, "pressed"),
        29: (clicked_first, green, "released over it: the clicked pictures, and the notification turned the box green"),
        33: (clicked_second, green, "the clicked pictures step on"),
        40: (normal, green, "back to normal once the clicked pictures have ended"),
    }
    shots = {frame: Path(work) / f"button-{frame}.png" for frame in expected}
    done = run(work, 40, shots, script)
    check(done.returncode == 0 and "frames 40," in done.stdout, f"the button run ends well (exit {done.returncode})")
    for frame, (button_colour, lamp_colour, what) in expected.items():
        if not shots[frame].exists():
            check(False, f"shot {frame} was written")
            continue
        scene = Scene(shots[frame])
        got = (scene.at(*button), scene.at(*lamp))
        check(got == (button_colour, lamp_colour), f"after frame {frame}, {what}: button {got[0]}, box {got[1]}")

sys.exit(1 if failures else 0)
