#!/usr/bin/python3
"""A download server for the update tests, on 127.0.0.1.

Serves the files under --root. A few path prefixes make it misbehave on purpose:
  /__status/<code>/<path>   answers <code> with the file at <path> as body (or a short page)
  /__cut/<n>/<path>         announces the file's full length, sends <n> bytes and hangs up
  /__redirect/<path>        answers 302 pointing at /<path>
A file named in <root>/.faults.json ({"<file name>": "<fault>", ...}) is served badly:
  cut          half the file, without Content-Length, then the connection closes
  html         status 200 with a short web page
  empty        status 200 with an empty body
  huge         status 200, no Content-Length, zeros without end (up to 1 GB) until the
               client hangs up; "<root>/.huge-sent" then holds the bytes sent
  trickle      the file's length announced, then 100 bytes a second
  rising:<a>:<b>  the text <a> for the first request, <b> for every later one
Every request is appended to --log as: path-as-sent TAB User-Agent TAB Cache-Control TAB Pragma.
With --port 0 a free port is chosen; the first line on standard output is "PORT <n>".
"""
import argparse
import http.server
import json
import time
import os
import sys
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        with open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write("\t".join([self.path, self.headers.get("User-Agent", ""),
                                 self.headers.get("Cache-Control", ""), self.headers.get("Pragma", "")]) + "\n")
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path, errors="strict")
        parts = path.lstrip("/").split("/")
        fault = self.fault_for(parts[-1])
        if fault:
            self.misbehave(fault, path)
        elif parts[0] == "__status" and len(parts) >= 3:
            body = self.read_file("/".join(parts[2:]))
            self.reply(int(parts[1]), body if body is not None else b"error page")
        elif parts[0] == "__cut" and len(parts) >= 3:
            body = self.read_file("/".join(parts[2:])) or b""
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: int(parts[1])])
            self.wfile.flush()
            self.close_connection = True
        elif parts[0] == "__redirect":
            self.send_response(302)
            self.send_header("Location", "/" + urllib.parse.quote("/".join(parts[1:])))
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            body = self.read_file(path.lstrip("/"))
            if body is None:
                self.reply(404, b"")
            else:
                self.reply(200, body)

    def fault_for(self, name):
        try:
            with open(os.path.join(self.server.root, ".faults.json"), encoding="utf-8") as f:
                return json.load(f).get(name)
        except FileNotFoundError:
            return None

    def misbehave(self, fault, path):
        body = self.read_file(path.lstrip("/")) or b""
        self.close_connection = True
        if fault == "cut":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
        elif fault == "html":
            self.reply(200, b"<html><body>Service temporarily unavailable</body></html>")
        elif fault == "empty":
            self.reply(200, b"")
        elif fault == "huge":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            sent, chunk = 0, bytes(1 << 20)
            try:
                while sent < (1 << 30):
                    self.wfile.write(chunk)
                    sent += len(chunk)
            except OSError:
                pass
            with open(os.path.join(self.server.root, ".huge-sent"), "w") as f:
                f.write(str(sent))
        elif fault == "trickle":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            try:
                for at in range(0, len(body), 100):
                    self.wfile.write(body[at:at + 100])
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
        elif fault.startswith("rising:"):
            _, first, later = fault.split(":", 2)
            self.server.seen[path] = self.server.seen.get(path, 0) + 1
            self.reply(200, (first if self.server.seen[path] == 1 else later).encode())

    def read_file(self, relative):
        full = os.path.realpath(os.path.join(self.server.root, relative))
        if not full.startswith(self.server.root + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()

    def reply(self, code, body):
        self.send_response(code)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.root = os.path.realpath(args.root)
    server.log_path = args.log
    server.seen = {}
    print("PORT", server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
