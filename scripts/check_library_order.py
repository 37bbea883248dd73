#!/usr/bin/env python3
"""Fails when a library under src/ includes a header of a library on its own level or above.

The levels come from scripts/library_levels.txt. Usage: check_library_order.py [ROOT [LEVELS]]
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
levels_file = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else root / "scripts" / "library_levels.txt"

levels = {}
for line in levels_file.read_text().splitlines():
    line = line.split("#", 1)[0].strip()
    if not line:
        continue
    name, level = line.split()
    levels[name] = int(level)

include = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/')
offenders = []
unknown = []
src = root / "src"
for folder in sorted(p for p in src.iterdir() if p.is_dir()):
    lib = folder.name
    if lib not in levels:
        unknown.append(f"src/{lib}: not in {levels_file.name}")
        continue
    for path in sorted(folder.rglob("*")):
        if path.suffix not in (".cpp", ".h", ".hpp", ".cc", ".inc"):
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = include.match(line)
            if not match:
                continue
            used = match.group(1)
            if used == lib or used not in levels:
                continue
            if levels[used] >= levels[lib]:
                offenders.append(f"{path.relative_to(root)}:{number}: {lib} (level {levels[lib]}) "
                                 f"includes {used} (level {levels[used]})")
if unknown or offenders:
    print("library order broken:")
    print("\n".join(unknown + offenders))
    sys.exit(1)
print("library order holds")
