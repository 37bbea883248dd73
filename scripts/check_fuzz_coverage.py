#!/usr/bin/env python3
"""Fails when a library given on the command line carries no coverage symbols.

A fuzz build compiles every library with -fsanitize=fuzzer-no-link; a library that lost the flag
would leave libFuzzer blind to the code in it, which no fuzz run would report by itself.
"""
import shutil
import subprocess
import sys


def has_coverage(library: str, nm: str) -> bool:
    listing = subprocess.run([nm, "-A", library], capture_output=True, text=True, check=False)
    if listing.returncode != 0:
        print(f"{library}: {nm} failed: {listing.stderr.strip()}")
        return False
    return any("__sanitizer_cov" in line or "__sancov" in line for line in listing.stdout.splitlines())


def main() -> int:
    libraries = sys.argv[1:]
    if not libraries:
        print("usage: check_fuzz_coverage.py LIBRARY...")
        return 2
    nm = shutil.which("llvm-nm") or shutil.which("nm")
    if nm is None:
        print("no nm to list the libraries' symbols")
        return 2
    blind = [library for library in libraries if not has_coverage(library, nm)]
    for library in blind:
        print(f"no coverage counters in {library}")
    return 1 if blind else 0


if __name__ == "__main__":
    sys.exit(main())
