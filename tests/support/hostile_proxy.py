#!/usr/bin/python3
"""A database server that cannot be trusted: hostile_proxy.py ADDRESS WANTED RECORD.

On ADDRESS:3306 it relays every session to the test server on 127.0.0.1, but answers each
LOAD DATA statement itself with a request for the file WANTED, then with success. Every byte
a client sends it is appended to the file RECORD. It prints its process id once it listens."""
import os
import socket
import sys
import threading

address, wanted, record = sys.argv[1], sys.argv[2].encode(), sys.argv[3]
lock = threading.Lock()


def packet(client):
    """One packet of the client, its payload kept; None when the client has gone."""
    header = client.recv(4, socket.MSG_WAITALL)
    size = int.from_bytes(header[:3], "little") if len(header) == 4 else -1
    payload = client.recv(size, socket.MSG_WAITALL) if size > 0 else b""
    if size < 0 or len(payload) != size:
        return None
    with lock, open(record, "ab") as out:
        out.write(payload)
    return header, payload


def send(client, sequence, payload):
    client.sendall(len(payload).to_bytes(3, "little") + bytes([sequence]) + payload)


def relay(client):
    server = socket.create_connection(("127.0.0.1", 3306))
    threading.Thread(target=lambda: [client.sendall(b) for b in iter(lambda: server.recv(65536), b"")],
                     daemon=True).start()
    while (got := packet(client)) is not None:
        header, payload = got
        if header[3] != 0 or not payload.startswith(b"\x03LOAD DATA"):
            server.sendall(header + payload)
            continue
        # The file request, whatever the statement named; what comes up to the empty
        # packet that ends a file; then success.
        send(client, 1, b"\xfb" + wanted)
        while (got := packet(client)) is not None and got[1]:
            pass
        send(client, (got[0][3] + 1) % 256 if got else 3, b"\x00\x00\x00\x03\x00\x00\x00")
    server.close()
    client.close()


listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind((address, 3306))
listener.listen(8)
print(os.getpid(), flush=True)
while True:
    threading.Thread(target=relay, args=(listener.accept()[0],), daemon=True).start()
