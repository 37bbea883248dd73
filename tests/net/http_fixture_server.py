#!/usr/bin/env python3
"""Serves fixture files over HTTP on 127.0.0.1 (port 0) from a temporary folder and prints the port.

Files: euc.txt (Japanese text written by Python's EUC-JP codec), sjis.txt (the same text through
Python's Shift-JIS codec, the reference for the conversion), dir/index.html (reached through the
server's own 301 from /dir to /dir/).
"""
import http.server
import os
import sys
import tempfile
import time

TEXT = "ひらがな、カタカナ、漢字\r\nline two ｶﾅ\n終わり"


def main():
    root = tempfile.mkdtemp(prefix="vorn-http-fixture-")
    with open(os.path.join(root, "euc.txt"), "wb") as f:
        f.write(TEXT.encode("euc_jp"))
    with open(os.path.join(root, "sjis.txt"), "wb") as f:
        f.write(TEXT.encode("shift_jis"))
    os.mkdir(os.path.join(root, "dir"))
    with open(os.path.join(root, "dir", "index.html"), "wb") as f:
        f.write(b"<p>index of dir</p>\n")
    os.chdir(root)

    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Quiet)
    server.timeout = 0.5
    print(server.server_address[1], flush=True)
    # Stops by itself: after 200 requests or 120 s, whichever comes first.
    deadline = time.monotonic() + 120
    for _ in range(200):
        if time.monotonic() >= deadline:
            break
        server.handle_request()
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())
