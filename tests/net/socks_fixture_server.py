#!/usr/bin/env python3
"""A SOCKS 4, 4A and 5 server for the net suite, on 127.0.0.1 only. It never connects anywhere:
after a granted request it plays the target itself.

Two listeners (port 0 each), printed on one line as "OPEN STRICT": OPEN takes no authentication,
or user "user" with password "secret" when the client offers that method; STRICT answers "no
acceptable method" unless the client offers user and password.

The requested target port picks the answer: 600NN with NN 1-9 gives SOCKS 5 reply code NN (SOCKS 4:
60091-60093 give codes 91-93); 60010 answers with the wrong version; 60011 and 60012 grant with a
bound address given as a name or as IPv6; 60013 answers with an unknown address type; 60014 closes
halfway through the reply. Any other port is granted. After a grant the server sends
"NEGOTIATED " + the hex of every byte it received + CR LF, then echoes what comes until the client
closes.

Bounded: each connection ends after 5 s, and the server stops by itself after 400 connections or
120 s.
"""
import select
import socket
import struct
import sys
import threading
import time

CONNECTION_SECONDS = 5
SERVER_SECONDS = 120
MAX_CONNECTIONS = 400


class Recorder:
    def __init__(self, conn):
        self.conn = conn
        self.received = b""

    def read(self, count):
        data = b""
        while len(data) < count:
            chunk = self.conn.recv(count - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        self.received += data
        return data

    def read_until_nul(self):
        data = b""
        while True:
            byte = self.read(1)
            if byte == b"\0":
                return data
            data += byte


def serve_target(conn, rec):
    conn.sendall(b"NEGOTIATED " + rec.received.hex().encode() + b"\r\n")
    for _ in range(100):
        data = conn.recv(4096)
        if not data:
            return
        conn.sendall(data)


def socks4(conn, rec):
    _command, port, address = struct.unpack(">BH4s", rec.read(7))
    rec.read_until_nul()
    if address[:3] == b"\0\0\0" and address[3] != 0:
        rec.read_until_nul()
    code = port - 60000 if port in (60091, 60092, 60093) else 90
    conn.sendall(bytes([0, code]) + b"\0" * 6)
    if code == 90:
        serve_target(conn, rec)


def socks5(conn, rec, strict):
    count = rec.read(1)[0]
    methods = rec.read(count)
    if 2 in methods:
        conn.sendall(b"\x05\x02")
        version = rec.read(1)
        user = rec.read(rec.read(1)[0])
        password = rec.read(rec.read(1)[0])
        ok = version == b"\x01" and user == b"user" and password == b"secret"
        conn.sendall(b"\x01\x00" if ok else b"\x01\x01")
        if not ok:
            return
    elif strict or 0 not in methods:
        conn.sendall(b"\x05\xff")
        return
    else:
        conn.sendall(b"\x05\x00")
    _version, _command, _reserved, kind = rec.read(4)
    if kind == 1:
        rec.read(4)
    elif kind == 3:
        rec.read(rec.read(1)[0])
    elif kind == 4:
        rec.read(16)
    port = struct.unpack(">H", rec.read(2))[0]
    bound_v4 = b"\x01\x7f\x00\x00\x01\x04\x38"
    if 60001 <= port <= 60009:
        conn.sendall(bytes([5, port - 60000, 0]) + bound_v4)
        return
    if port == 60010:
        conn.sendall(b"\x04\x00\x00" + bound_v4)
        return
    if port == 60013:
        conn.sendall(b"\x05\x00\x00\x09" + b"\0" * 6)
        return
    if port == 60014:
        conn.sendall(b"\x05\x00")
        return
    if port == 60011:
        name = b"bound.example"
        conn.sendall(b"\x05\x00\x00\x03" + bytes([len(name)]) + name + b"\x04\x38")
    elif port == 60012:
        conn.sendall(b"\x05\x00\x00\x04" + b"\0" * 15 + b"\x01\x04\x38")
    else:
        conn.sendall(b"\x05\x00\x00" + bound_v4)
    serve_target(conn, rec)


def handle(conn, strict):
    conn.settimeout(CONNECTION_SECONDS)
    rec = Recorder(conn)
    try:
        version = rec.read(1)[0]
        if version == 4:
            socks4(conn, rec)
        elif version == 5:
            socks5(conn, rec, strict)
    except (EOFError, OSError):
        pass
    finally:
        conn.close()


def main():
    listeners = []
    for _ in range(2):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(16)
        listeners.append(listener)
    print(" ".join(str(l.getsockname()[1]) for l in listeners), flush=True)
    deadline = time.monotonic() + SERVER_SECONDS
    connections = 0
    while connections < MAX_CONNECTIONS and time.monotonic() < deadline:
        ready, _, _ = select.select(listeners, [], [], 0.5)
        for listener in ready:
            conn, _ = listener.accept()
            connections += 1
            strict = listener is listeners[1]
            threading.Thread(target=handle, args=(conn, strict), daemon=True).start()
    for listener in listeners:
        listener.close()


if __name__ == "__main__":
    sys.exit(main())
