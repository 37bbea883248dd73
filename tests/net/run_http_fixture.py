#!/usr/bin/env python3
"""Starts http_fixture_server.py, runs the net suite's fixture cases against it, stops it by its pid."""
import os
import signal
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
tests_binary = sys.argv[1]
server = subprocess.Popen([sys.executable, os.path.join(here, "http_fixture_server.py")], stdout=subprocess.PIPE,
                          text=True)
try:
    port = server.stdout.readline().strip()
    if not port.isdigit():
        print("fixture server gave no port")
        sys.exit(1)
    env = dict(os.environ, VORN_HTTP_FIXTURE_PORT=port)
    result = subprocess.run([tests_binary, "--gtest_filter=HttpFixtureServer.*"], env=env, timeout=120)
    sys.exit(result.returncode)
finally:
    if server.poll() is None:
        os.kill(server.pid, signal.SIGTERM)
    server.wait(timeout=10)
