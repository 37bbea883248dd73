#!/usr/bin/env python3
"""Kills a process that keeps saving games at arbitrary moments and checks that save.dat is then
exactly one of the complete files the process meant to write: never half-written, never gone."""
import os
import pathlib
import random
import signal
import subprocess
import sys
import tempfile

tool = sys.argv[1]
rng = random.Random(20260)
failures = []

for trial in range(10):
    with tempfile.TemporaryDirectory(prefix="vorn_save_kill_") as folder:
        root = pathlib.Path(folder)
        subprocess.run([tool, "write", folder, "0", "1"], check=True, stdout=subprocess.DEVNULL)
        child = subprocess.Popen([tool, "write", folder, "1", "1000"], stdout=subprocess.PIPE, text=True)
        # Let it finish a few saves, then kill it somewhere inside the next ones.
        for _ in range(rng.randrange(0, 3)):
            if not child.stdout.readline():
                break
        spin = rng.randrange(0, 400_000)
        for _ in range(spin):
            pass
        child.send_signal(signal.SIGKILL)
        child.wait()
        child.stdout.close()
        save = root / "save.dat"
        if not save.exists():
            failures.append(f"trial {trial}: save.dat is gone")
            continue
        data = save.read_bytes()
        expected = [p for p in root.glob("expect.*")]
        if not any(p.read_bytes() == data for p in expected):
            failures.append(f"trial {trial}: save.dat ({len(data)} bytes) matches none of "
                            f"{sorted(p.name for p in expected)}")
        leftovers = [p.name for p in root.iterdir()
                     if p.name != "save.dat" and not p.name.startswith("expect.")
                     and not p.name.endswith(".~new")]
        if leftovers:
            failures.append(f"trial {trial}: unexpected files {leftovers}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("save.dat survived every kill")
