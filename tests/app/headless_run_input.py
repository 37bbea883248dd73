#!/usr/bin/env python3
"""headless-run driving the player with an input file: a click on the tool strip's screen switch
at frame 3 takes the window to full screen, the A key at frame 6 brings it back (the project's
script answers the key) and leaves a log line. Pictures are read with a small PNG decoder built on
Python's zlib. Bad input files fail with their line number; odd but valid ones are delivered."""
import subprocess
import sys
import tempfile
from pathlib import Path

from png_rows import read_png

HEADLESS_RUN = sys.argv[1]
MAKE_INPUT_DEMO = sys.argv[2]
SWITCH_BUTTON = (100, 11)  # the second button of the strip: 67 pixels wide from x = 69
KEY_LOG_LINE = "key-a.vsb: page version 111 is newer than this player; the page is left empty"
failures = []


def check(condition, what):
    print(("ok    " if condition else "WRONG ") + what)
    if not condition:
        failures.append(what)



def pixel(picture, x, y):
    return tuple(picture[2][y][x * 3:x * 3 + 3])


def near(got, expected):
    # Full screen runs in a 16-bit mode: channels lose their low bits.
    return all(abs(a - b) <= 8 for a, b in zip(got, expected))


def is_strip_grey(colour):
    return colour[0] == colour[1] == colour[2] and 0 < colour[0] < 255


def run(work, input_text, *options, frames=10):
    script = Path(work) / "input.txt"
    script.write_bytes(input_text if isinstance(input_text, bytes) else input_text.encode())
    command = [HEADLESS_RUN, "--frames", str(frames), "--input", str(script), *options, "--exe-dir",
               str(Path(work) / "exe"), str(Path(work) / "data")]
    return subprocess.run(command, capture_output=True, text=True, encoding="utf-8", errors="strict", timeout=120)


with tempfile.TemporaryDirectory() as work:
    (Path(work) / "exe").mkdir()
    subprocess.run([MAKE_INPUT_DEMO, str(Path(work) / "data")], check=True)
    shots = {frame: Path(work) / f"after-{frame}.png" for frame in (2, 3, 5, 6)}
    log = Path(work) / "player.log"
    script = ("# the screen switch of the tool strip, pressed and let go before frame 3\n"
              f"3 down left {SWITCH_BUTTON[0]} {SWITCH_BUTTON[1]}\n"
              f"3 up left {SWITCH_BUTTON[0]} {SWITCH_BUTTON[1]}\n"
              "6 keydown A\n"
              "7 keyup 0x41\n")
    options = [option for frame, path in shots.items() for option in ("--shot", f"{frame}={path}")]
    result = run(work, script, *options, "--log", str(log))
    print(result.stdout, result.stderr, sep="")
    check(result.returncode == 0, f"the scripted run ends well (exit {result.returncode})")
    check("frames 10," in result.stdout, "ten frames ran")

    before = read_png(shots[2])
    STRIP = before[1] - 480  # the dock's height
    check(before[0] == 640 and STRIP > 0, f"after frame 2 the window is windowed: {before[:2]}")
    check(is_strip_grey(pixel(before, 300, 5)), "after frame 2 the tool strip shows")
    check(pixel(before, 40 + 80 * 3, STRIP + 240) == (255, 0, 255), "after frame 2 the magenta layer sits under the strip")

    full = read_png(shots[3])
    check(full[:2] == (640, 480), f"the click before frame 3 switched to full screen: {full[:2]}")
    check(near(pixel(full, 300, 5), (255, 0, 255)), f"full screen shows the layer at the top: {pixel(full, 300, 5)}")
    check(read_png(shots[5])[:2] == (640, 480), "full screen lasts until the key")

    back = read_png(shots[6])
    check(back[:2] == (640, 480 + STRIP), f"the key before frame 6 ended full screen in that frame: {back[:2]}")
    check(is_strip_grey(pixel(back, 300, 5)), "the tool strip is back")

    lines = log.read_text(encoding="utf-8").splitlines()
    check(lines.count(KEY_LOG_LINE) == 1, f"the key left its log line once: {lines}")
    check(all(not line.startswith("vornplayer: ") for line in lines), "log file lines carry no prefix")
    check(KEY_LOG_LINE in result.stderr, "the log line also went to stderr")

    # Input the player must take as given: coordinates far outside the client area, both buttons,
    # the wheel, keys by code, focus lost and regained (no frames run in between).
    odd = ("1 move -5000 99999\n1 down right 100000 -3\n1 up right 100000 -3\n2 wheel up -1 -1\n"
           "2 wheel down 2147483647 -2147483648\n3 keydown 08\n3 keyup 8\n3 keydown F12\n4 deactivate\n"
           "6 activate\n6 keydown 0xff\n")
    result = run(work, odd, frames=8)
    check(result.returncode == 0 and "frames 8," in result.stdout,
          f"odd but valid input is delivered (exit {result.returncode}): {result.stderr.strip()}")

    # Ten megabytes of moves arrive before the first frame in linear time.
    move = b"1 move 5 5\n"
    result = run(work, move * (10 * 1024 * 1024 // len(move) + 1), frames=2)
    check(result.returncode == 0 and "frames 2," in result.stdout, "a 10 MB input file is delivered")

    # The quit button asks first; the box's text is printed in UTF-8.
    result = run(work, "2 down left 30 11\n2 up left 30 11\n")
    check("message box: \u300cVorn input demo\u300dを終了しますか？" in result.stderr,
          f"the quit question is printed in UTF-8: {result.stderr.strip()}")

    for shot in ("11=x.png", "0=x.png", "5", "5="):
        result = run(work, "", "--shot", shot)
        check(result.returncode == 2, f"--shot {shot} with ten frames is refused (exit {result.returncode})")

    # (file, line the error names, words of the reason)
    BAD = [
        ("1 jump 3 4\n", 1, "unknown event"),
        ("\n# comment\n2 keydown\n", 3, "missing arguments"),
        ("1 move 3\n", 1, "missing arguments"),
        ("1 down middle 3 4\n", 1, "unknown button"),
        ("1 wheel left 3 4\n", 1, "unknown wheel direction"),
        ("1 keydown Banana\n", 1, "unknown key"),
        ("1 keydown 256\n", 1, "unknown key"),
        ("1 move 3 4 5\n", 1, "unexpected"),
        ("1 move 3 4.5\n", 1, "bad coordinate"),
        ("1 move 3 99999999999\n", 1, "bad coordinate"),
        ("5 activate\n3 activate\n", 2, "must not go back"),
        ("0 activate\n", 1, "bad frame"),
        ("11 activate\n", 1, "after the last frame"),
        ("-1 activate\n", 1, "bad frame"),
        ("1\n", 1, "missing event"),
        ("1 activate\n" * 200000 + "1 " + "x" * 5_000_000 + "\n", 200001, "unknown event"),
    ]
    for text, line, words in BAD:
        result = run(work, text)
        expected = f"input.txt: line {line}: "
        message = result.stderr.strip()
        check(result.returncode == 2 and expected in message and words in message and len(message) < 400,
              f"{text[:30]!r}... fails at line {line} with {words!r}: exit {result.returncode}, {message[:200]}")

sys.exit(1 if failures else 0)
