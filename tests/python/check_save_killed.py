#!/usr/bin/env python3
"""Stops a process that is saving games at every defined point of its writes of save.dat (the
creation of the new file, its first, middle and last write, its sync, the rename and the folder's
sync: through the writer's step hook, see tools/save_stress) and checks that save.dat is then the
whole file it held before that write, or from the rename on the whole new one: never half-written,
never gone. Every write has its own expect file. The same points against a writer that rewrites
save.dat in place must find a broken file, which shows the check can fail."""
import pathlib
import re
import signal
import subprocess
import sys
import tempfile

tool = sys.argv[1]
STEPS = ("create", "write", "sync", "rename", "syncdir")
# Writes of the kill run: its first game save, that round's status save, the next game save.
WRITES = (1, 2, 3)


def run(folder, first, count, *options):
    return subprocess.run([tool, "write", str(folder), str(first), str(count), *options],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def step_counts():
    """The steps each write takes, from a run that is not stopped."""
    with tempfile.TemporaryDirectory(prefix="vorn_save_kill_") as folder:
        done = run(folder, 1, 2)
        if done.returncode != 0:
            sys.exit(f"save_stress failed: {done.stderr}")
        counts = {}
        for line in done.stdout.splitlines():
            match = re.fullmatch(r"write (\d+)((?: \w+=\d+)+)", line)
            if match:
                counts[int(match.group(1))] = {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", match.group(2))}
        return counts


def points(counts):
    for w in WRITES:
        for step in STEPS:
            n = counts[w][step]
            for k in sorted({1, (n + 1) // 2, n} if step == "write" else {1}):
                if k <= n:
                    yield w, step, k


def check(w, step, k, in_place):
    """None when save.dat is what it must be after the kill, else what is wrong."""
    with tempfile.TemporaryDirectory(prefix="vorn_save_kill_") as folder:
        root = pathlib.Path(folder)
        first = run(folder, 0, 1)
        if first.returncode != 0:
            return f"the first save failed: {first.stderr}"
        options = [f"kill={w}:{step}:{k}"] + (["in-place"] if in_place else [])
        killed = run(folder, 1, 2, *options)
        if killed.returncode != -signal.SIGKILL:
            return f"not stopped at that point (exit {killed.returncode}): {killed.stderr}"
        save = root / "save.dat"
        if not save.exists():
            return "save.dat is gone"
        # Until the rename the old content stands; from it on the new one.
        wanted = root / (f"expect.1.{w}" if step == "syncdir" else
                         f"expect.1.{w - 1}" if w > 1 else "expect.0.2")
        if not wanted.exists():
            return f"{wanted.name} was never written"
        data = save.read_bytes()
        if data != wanted.read_bytes():
            matching = [p.name for p in sorted(root.glob("expect.*")) if p.read_bytes() == data]
            return f"save.dat ({len(data)} bytes) is not {wanted.name}; it matches {matching or 'no expect file'}"
        leftovers = [p.name for p in root.iterdir()
                     if p.name != "save.dat" and not p.name.startswith("expect.")]
        # A killed writer may leave its own temporary file, and nothing else.
        if len(leftovers) > 1 or any(not re.fullmatch(r"save\.dat\.\d+-\d+\.~new", n) for n in leftovers):
            return f"unexpected files {leftovers}"
        return None


counts = step_counts()
for w in WRITES:
    if w not in counts or counts[w]["write"] < 3:
        sys.exit(f"write {w} takes too few steps to stop inside it: {counts.get(w)}")

failures = []
tried = 0
for point in points(counts):
    tried += 1
    problem = check(*point, in_place=False)
    if problem:
        failures.append(f"write {point[0]}, {point[1]} #{point[2]}: {problem}")

caught = [point for point in points(counts) if check(*point, in_place=True)]
if not caught:
    failures.append("a writer that rewrites save.dat in place passed every point: the check is blind")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"save.dat survived {tried} kills; the in-place writer broke it at {len(caught)} of them")
