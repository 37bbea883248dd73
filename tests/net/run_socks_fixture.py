#!/usr/bin/env python3
"""Starts socks_fixture_server.py, runs the net suite's SOCKS cases against it, stops it by its pid."""
import os
import signal
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
tests_binary = sys.argv[1]
server = subprocess.Popen([sys.executable, os.path.join(here, "socks_fixture_server.py")], stdout=subprocess.PIPE,
                          text=True)
try:
    ports = server.stdout.readline().split()
    if len(ports) != 2 or not all(p.isdigit() for p in ports):
        print("fixture server gave no ports")
        sys.exit(1)
    env = dict(os.environ, VORN_SOCKS_FIXTURE_PORTS=" ".join(ports))
    result = subprocess.run([tests_binary, "--gtest_filter=SocksFixtureServer.*"], env=env, timeout=120)
    sys.exit(result.returncode)
finally:
    if server.poll() is None:
        os.kill(server.pid, signal.SIGTERM)
    server.wait(timeout=10)
