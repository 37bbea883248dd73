#!/usr/bin/env python3
"""Fails when a file outside src/platform (and its tests) includes SDL, POSIX, iconv, FreeType or fontconfig headers."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
forbidden = re.compile(
    r'^\s*#\s*include\s*[<"]\s*('
    r'SDL[^>"]*|SDL2/[^>"]*|unistd\.h|sys/[^>"]*|fcntl\.h|dlfcn\.h|iconv\.h|'
    r'ft2build\.h|freetype/[^>"]*|fontconfig/[^>"]*|pthread\.h|dirent\.h|'
    r'netinet/[^>"]*|arpa/[^>"]*|netdb\.h|poll\.h|termios\.h'
    r')\s*[>"]')
# The platform's own tests may use the host directly too (reference converters, raw test servers,
# events pushed into SDL).
allowed = [(root / "src" / "platform").resolve(), (root / "tests" / "platform").resolve(),
           (root / "tests" / "platform_sdl").resolve()]
offenders = []
for folder in ("src", "tests", "tools", "bench"):
    for path in (root / folder).rglob("*"):
        if path.suffix not in (".cpp", ".h", ".hpp", ".cc", ".inc"):
            continue
        if any(folder in path.resolve().parents for folder in allowed):
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            if forbidden.match(line):
                offenders.append(f"{path.relative_to(root)}:{number}: {line.strip()}")
if offenders:
    print("platform headers included outside src/platform:")
    print("\n".join(offenders))
    sys.exit(1)
print("platform boundary holds")
