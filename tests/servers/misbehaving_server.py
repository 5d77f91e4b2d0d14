#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A loopback HTTPS server that misbehaves on request, for transport tests.

    misbehaving_server.py --cert PEM --key KEY --port-file FILE [--lifetime S]

Listens on two free ports of 127.0.0.1 and writes "MAIN PROXIED" to FILE:
  MAIN     answers everyone;
  PROXIED  drops every connection that does not come from 127.0.0.2 before the
           TLS handshake, so a direct attempt fails and one through a proxy
           bound to 127.0.0.2 gets through.
Paths:
  /ok                  200 with a short body
  /status/NNN          answers status NNN
  /stall               sends part of the body, then nothing
  /reset               sends part of the body, then resets the connection
  /short               promises more bytes than it sends, then closes
  /large/N             N bytes with a Content-Length
  /large-chunked/N     N bytes in chunks, no length announced
Every connection is bounded in time, and the server exits by itself after
--lifetime seconds.
"""
import argparse
import os
import re
import socket
import ssl
import struct
import sys
import threading
import time

CHUNK = 64 * 1024
STALL_SECONDS = 30
ALLOWED_PROXY_PEER = "127.0.0.2"


def send_head(conn, status, headers):
    lines = ["HTTP/1.1 %d Test" % status] + ["%s: %s" % kv for kv in headers] + ["Connection: close", "", ""]
    conn.sendall("\r\n".join(lines).encode("ascii"))


def stream_bytes(conn, count, chunked):
    block = b"v" * CHUNK
    left = count
    while left > 0:
        piece = block[: min(CHUNK, left)]
        if chunked:
            conn.sendall(b"%x\r\n" % len(piece) + piece + b"\r\n")
        else:
            conn.sendall(piece)
        left -= len(piece)
    if chunked:
        conn.sendall(b"0\r\n\r\n")


def reset(conn):
    # A zero linger time makes close() send RST instead of FIN.
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


def answer(conn, path):
    if path == "/ok":
        send_head(conn, 200, [("Content-Length", "2"), ("ETag", '"ok-tag"')])
        conn.sendall(b"ok")
    elif m := re.fullmatch(r"/status/(\d{3})", path):
        send_head(conn, int(m.group(1)), [("Content-Length", "0")])
    elif path == "/stall":
        send_head(conn, 200, [("Content-Length", str(1024 * 1024))])
        conn.sendall(b"s" * 1024)
        time.sleep(STALL_SECONDS)
    elif path == "/reset":
        send_head(conn, 200, [("Content-Length", str(1024 * 1024))])
        conn.sendall(b"r" * CHUNK)
        time.sleep(0.2)
        reset(conn)
    elif path == "/short":
        send_head(conn, 200, [("Content-Length", "10000")])
        conn.sendall(b"h" * 5000)
        # A clean TLS close (close_notify), so the client sees an orderly end
        # of a short body; waiting for the client's own close_notify is pointless.
        conn.settimeout(0.5)
        conn.unwrap()
    elif m := re.fullmatch(r"/large/(\d+)", path):
        count = int(m.group(1))
        send_head(conn, 200, [("Content-Length", str(count))])
        stream_bytes(conn, count, chunked=False)
    elif m := re.fullmatch(r"/large-chunked/(\d+)", path):
        send_head(conn, 200, [("Transfer-Encoding", "chunked")])
        stream_bytes(conn, int(m.group(1)), chunked=True)
    else:
        send_head(conn, 404, [("Content-Length", "0")])


def read_request_path(conn):
    data = b""
    while b"\r\n\r\n" not in data and len(data) < 16384:
        piece = conn.recv(4096)
        if not piece:
            return None
        data += piece
    parts = data.split(b"\r\n", 1)[0].split(b" ")
    return parts[1].decode("ascii", "replace") if len(parts) >= 2 else None


def serve_connection(raw, context):
    raw.settimeout(STALL_SECONDS + 10)
    try:
        with context.wrap_socket(raw, server_side=True) as conn:
            path = read_request_path(conn)
            if path is not None:
                answer(conn, path)
    except (OSError, ssl.SSLError):
        pass  # clients hang up on purpose in these tests
    finally:
        raw.close()


def listen():
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", 0))
    sock.listen(16)
    return sock


def accept_loop(sock, context, only_from):
    while True:
        raw, (peer, _) = sock.accept()
        if only_from and peer != only_from:
            reset(raw)
            raw.close()
            continue
        threading.Thread(target=serve_connection, args=(raw, context), daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    main_sock, proxied_sock = listen(), listen()
    for sock, only_from in ((main_sock, None), (proxied_sock, ALLOWED_PROXY_PEER)):
        threading.Thread(target=accept_loop, args=(sock, context, only_from), daemon=True).start()
    with open(args.port_file + ".tmp", "w") as f:
        f.write("%d %d\n" % (main_sock.getsockname()[1], proxied_sock.getsockname()[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    time.sleep(args.lifetime)
    return 0


if __name__ == "__main__":
    sys.exit(main())
