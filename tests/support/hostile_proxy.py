#!/usr/bin/python3
"""A database server that cannot be trusted: hostile_proxy.py ADDRESS RECORD [options].

On ADDRESS:3306 it relays every session to the test server on 127.0.0.1. Every byte a
client sends it (after its own TLS, when it speaks TLS to the client) is appended to the
file RECORD. It prints its process id once it listens.

  --tls CERT KEY   speaks TLS to the client itself with that certificate and key (and TLS
                   to the server), so that it reads the session
  --no-tls         tells the client that the server cannot speak TLS
  --wanted FILE    answers each LOAD DATA statement with a request for FILE, then with
                   success (needs --tls)"""
import os
import select
import socket
import ssl
import sys
import threading

address, record = sys.argv[1], sys.argv[2]
options = sys.argv[3:]
wanted = options[options.index("--wanted") + 1].encode() if "--wanted" in options else None
certificate = options[options.index("--tls") + 1:options.index("--tls") + 3] if "--tls" in options else None
no_tls = "--no-tls" in options
lock = threading.Lock()
CLIENT_SSL = 0x0800


def exactly(sock, size):
    data = b""
    while len(data) < size:
        piece = sock.recv(size - len(data))
        if not piece:
            return None
        data += piece
    return data


def packet(sock, recorded=False):
    """One packet, its header and payload; None when the other side has gone."""
    header = exactly(sock, 4)
    size = int.from_bytes(header[:3], "little") if header else -1
    payload = exactly(sock, size) if size > 0 else b""
    if size < 0 or payload is None:
        return None
    if recorded:
        with lock, open(record, "ab") as out:
            out.write(payload)
    return header, payload


def send(sock, sequence, payload):
    sock.sendall(len(payload).to_bytes(3, "little") + bytes([sequence]) + payload)


def encrypted(client, server):
    """Both sides wrapped in TLS after the client's SSL request; None when the client quit."""
    request = packet(client, True)
    if request is None:
        return None
    server.sendall(request[0] + request[1])
    if not int.from_bytes(request[1][:2], "little") & CLIENT_SSL:
        return client, server
    towards_server = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    towards_server.check_hostname = False
    towards_server.verify_mode = ssl.CERT_NONE
    towards_client = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    towards_client.load_cert_chain(*certificate)
    try:
        return towards_client.wrap_socket(client, server_side=True), towards_server.wrap_socket(server)
    except (ssl.SSLError, OSError):
        return None


def relay(client):
    server = socket.create_connection(("127.0.0.1", 3306))
    try:
        greeting = packet(server)
        payload = bytearray(greeting[1])
        if no_tls:
            # The capability flags' lower half follows the version text, the thread id and
            # the first part of the scramble with its filler byte.
            at = payload.index(0, 1) + 1 + 4 + 8 + 1
            flags = int.from_bytes(payload[at:at + 2], "little") & ~CLIENT_SSL
            payload[at:at + 2] = flags.to_bytes(2, "little")
        client.sendall(greeting[0] + bytes(payload))
        if no_tls:
            while (got := packet(client, True)) is not None:
                server.sendall(got[0] + got[1])
            return
        wrapped = encrypted(client, server)
        if wrapped is None:
            return
        client, server = wrapped
        # One thread for both directions: a TLS session must not be read and written from
        # two threads at once. Requests and answers take turns, so waiting for a whole
        # packet of the client's never holds back an answer of the server's.
        while True:
            ready = [s for s in (client, server) if getattr(s, "pending", lambda: 0)()]
            ready = ready or select.select([client, server], [], [])[0]
            if server in ready:
                # A TLS record without data (a session ticket) makes the socket readable too:
                # a short wait then gives nothing rather than holding the loop.
                server.settimeout(0.05)
                try:
                    data = server.recv(65536)
                except (socket.timeout, ssl.SSLWantReadError):
                    data = None
                finally:
                    server.settimeout(None)
                if data == b"":
                    return
                if data:
                    client.sendall(data)
            if client not in ready:
                continue
            got = packet(client, True)
            if got is None:
                return
            header, payload = got
            if wanted is None or header[3] != 0 or not payload.startswith(b"\x03LOAD DATA"):
                server.sendall(header + payload)
                continue
            # The file request, whatever the statement named; what comes up to the empty
            # packet that ends a file; then success.
            send(client, 1, b"\xfb" + wanted)
            while (got := packet(client, True)) is not None and got[1]:
                pass
            send(client, (got[0][3] + 1) % 256 if got else 3, b"\x00\x00\x00\x03\x00\x00\x00")
    finally:
        server.close()
        client.close()


listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind((address, 3306))
listener.listen(8)
print(os.getpid(), flush=True)
while True:
    threading.Thread(target=relay, args=(listener.accept()[0],), daemon=True).start()
