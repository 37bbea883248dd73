#!/usr/bin/env python3
"""The library-order check fails on an upward or sideways include and passes on a downward one."""
import pathlib
import subprocess
import sys
import tempfile

checker, levels = sys.argv[1], sys.argv[2]


def run(files):
    with tempfile.TemporaryDirectory() as top:
        root = pathlib.Path(top)
        for name, text in files.items():
            path = root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        for lib in ("platform", "foundation", "engine", "graphics", "components", "motion", "app"):
            (root / "src" / lib).mkdir(parents=True, exist_ok=True)
        done = subprocess.run([sys.executable, checker, str(root), levels], capture_output=True, text=True)
        return done.returncode, done.stdout


cases = [
    ("downward include", {"src/components/a.cpp": '#include "graphics/b.h"\n#include "components/c.h"\n'}, 0, None),
    ("upward include", {"src/graphics/a.cpp": 'int x;\n#include "components/scene.h"\n'}, 1,
     "src/graphics/a.cpp:2: graphics (level 3) includes components (level 5)"),
    ("same level", {"src/engine/a.h": '#  include "graphics/dib.h"\n'}, 1, "engine (level 3) includes graphics (level 3)"),
    ("unknown library folder", {"src/gadgets/a.cpp": "\n"}, 1, "src/gadgets: not in"),
]
failed = 0
for name, files, want_code, want_text in cases:
    code, out = run(files)
    if code != want_code or (want_text and want_text not in out):
        print(f"FAIL {name}: exit {code}, output:\n{out}")
        failed += 1
print(f"{len(cases) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
