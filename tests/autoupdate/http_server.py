#!/usr/bin/python3
"""A download server for the update tests, on 127.0.0.1.

Serves the files under --root. A few path prefixes make it misbehave on purpose:
  /__status/<code>/<path>   answers <code> with the file at <path> as body (or a short page)
  /__cut/<n>/<path>         announces the file's full length, sends <n> bytes and hangs up
  /__redirect/<path>        answers 302 pointing at /<path>
Every request is appended to --log as: path-as-sent TAB User-Agent TAB Cache-Control TAB Pragma.
With --port 0 a free port is chosen; the first line on standard output is "PORT <n>".
"""
import argparse
import http.server
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
        if parts[0] == "__status" and len(parts) >= 3:
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
    print("PORT", server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
