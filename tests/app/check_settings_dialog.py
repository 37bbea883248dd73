#!/usr/bin/env python3
"""The settings dialog run by headless-run with scripted keys; game.ini read back with Python's
configparser as an independent reader."""
import configparser
import os
import subprocess
import sys
import tempfile

HEADLESS_RUN = sys.argv[1]


def run(directory, keys, png=None):
    command = [HEADLESS_RUN, "--exe-dir", directory, "--dialog-keys", keys]
    if png:
        command += ["--config-png", png]
    result = subprocess.run(command, capture_output=True, text=True)
    assert result.returncode == 0, result.stderr


def read(path):
    parser = configparser.ConfigParser(strict=False, interpolation=None)
    with open(path, encoding="latin-1") as handle:
        parser.read_file(handle)
    return parser


CASES = [
    # (file before or None, keys, expected DirectSound, expected DelayTime)
    (b"[Sound]\r\nDelayTime=250\r\nDirectSound=0\r\n", "Return", "0", "200"),
    (b"[Sound]\r\nDelayTime=900\r\nDirectSound=0\r\n", "Return", "0", "500"),
    (b"[Sound]\r\nDelayTime=-30\r\nDirectSound=0\r\n", "Return", "0", "100"),
    (None, "Return", "1", "500"),
    (b"[Sound]\r\nDirectSound=1\r\nDelayTime=300\r\n", "Alt+S,Alt+D,End,Return", "0", "500"),
    (b"[Sound]\r\nDirectSound=0\r\nDelayTime=300\r\n", "Alt+D,Left,Left,Tab,Tab,Space", "0", "100"),
    (b"[Other]\nKey=Value\n[Sound]\nDelayTime=400\n", "Alt+S,Tab,Return", "0", "400"),
]

failures = 0
for before, keys, direct_sound, delay in CASES:
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "game.ini")
        if before is not None:
            with open(path, "wb") as handle:
                handle.write(before)
        run(directory, keys)
        parser = read(path)
        got = (parser.get("Sound", "DirectSound", fallback=None), parser.get("Sound", "DelayTime", fallback=None))
        if got != (direct_sound, delay):
            print(f"{before!r} {keys}: got {got}, want {(direct_sound, delay)}")
            failures += 1
        if before is not None and b"[Other]" in before and parser.get("Other", "Key", fallback=None) != "Value":
            print("the other section was lost")
            failures += 1

# Cancel and Escape leave the file byte-identical, or absent.
for before in (b"[Sound]\nDelayTime=250\nDirectSound=0", None):
    for keys in ("Escape", "Tab,Tab,Return", "Alt+S,Alt+D,Home"):
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "game.ini")
            if before is not None:
                with open(path, "wb") as handle:
                    handle.write(before)
            run(directory, keys)
            if before is None:
                if os.path.exists(path):
                    print(f"{keys}: created the file")
                    failures += 1
            else:
                with open(path, "rb") as handle:
                    if handle.read() != before:
                        print(f"{keys}: changed the file")
                        failures += 1

with tempfile.TemporaryDirectory() as directory:
    png = os.path.join(directory, "dialog.png")
    run(directory, "Escape", png)
    with open(png, "rb") as handle:
        header = handle.read(24)
    width = int.from_bytes(header[16:20], "big")
    height = int.from_bytes(header[20:24], "big")
    if header[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (270, 179):
        print(f"dialog picture: {header[:8]!r} {width}x{height}")
        failures += 1

sys.exit(1 if failures else 0)
