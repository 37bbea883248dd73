#!/usr/bin/env python3
"""Runs headless-run on the demo with --audio and reads the WAV back with Python's wave module: the
device's format, one frame per 1/44100 s of the run's virtual time, and silence (the demo plays no
sound)."""
import re
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

headless_run = sys.argv[1]
make_demo = sys.argv[2]

with tempfile.TemporaryDirectory() as work:
    exe_dir = Path(work) / "exe"
    data_dir = Path(work) / "data"
    exe_dir.mkdir()
    data_dir.mkdir()
    subprocess.run([make_demo, str(data_dir)], check=True)
    sound = Path(work) / "run.wav"
    done = subprocess.run([headless_run, "--frames", "40", "--audio", str(sound), "--exe-dir", str(exe_dir),
                           str(data_dir)], capture_output=True, text=True)
    print(done.stdout, done.stderr, sep="")
    if done.returncode != 0:
        sys.exit(f"headless-run failed with {done.returncode}")
    found = re.search(r"virtual time (\d+) ms", done.stdout)
    if not found:
        sys.exit("no virtual time reported")
    milliseconds = int(found.group(1))
    if milliseconds < 40 * 16:
        sys.exit(f"a run of 40 frames took only {milliseconds} ms of virtual time")
    with wave.open(str(sound), "rb") as wav:
        if (wav.getnchannels(), wav.getsampwidth(), wav.getframerate()) != (2, 2, 44100):
            sys.exit(f"format {wav.getnchannels()} channels, {wav.getsampwidth()} bytes, {wav.getframerate()} Hz")
        frames = wav.getnframes()
        samples = wav.readframes(frames)
    if frames != milliseconds * 44100 // 1000:
        sys.exit(f"{frames} frames for {milliseconds} ms")
    if any(samples):
        sys.exit("the demo's sound is not silent")
print("ok")
