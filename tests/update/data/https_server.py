#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""A loopback HTTPS server for the update tests.

Serves the files of --root under these paths:
  /files/NAME           with a Content-Length
  /nolength/NAME        without one (the connection's end ends the body)
  /to-http/NAME         a redirect to /files/NAME of the plain http listener
  /to-https/NAME        a redirect to /files/NAME over https
  /stall/NAME           the headers and one byte, then nothing until the server ends
  /trickle/NAME         with a Content-Length, one byte every 0.2 s
A plain http listener on a second port serves the same paths, so that a client that
wrongly follows http gets the file. --port-file receives "HTTPS_PORT HTTP_PORT".
Every request path is appended to --log. The server ends by itself after --lifetime seconds.
"""
import argparse
import http.server
import os
import ssl
import threading
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    stop = threading.Event()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *unused):
            pass

        def do_GET(self):
            with open(args.log, "a") as log:
                log.write(self.path + "\n")
            parts = self.path.split("/", 2)
            if len(parts) != 3 or "/" in parts[2] or parts[2] in ("", ".", ".."):
                self.send_error(404)
                return
            kind, name = parts[1], parts[2]
            path = os.path.join(args.root, name)
            if kind == "to-http":
                self.send_response(302)
                self.send_header("Location", "http://127.0.0.1:%d/files/%s" % (plain_port, name))
                self.end_headers()
                return
            if kind == "to-https":
                self.send_response(302)
                self.send_header("Location", "https://127.0.0.1:%d/files/%s" % (port, name))
                self.end_headers()
                return
            if not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as source:
                body = source.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            if kind == "files":
                self.send_header("Content-Length", str(len(body)))
            elif kind in ("stall", "trickle"):
                self.send_header("Content-Length", str(len(body)))
            elif kind != "nolength":
                self.send_error(404)
                return
            self.end_headers()
            if kind == "trickle":
                for at in range(len(body)):
                    self.wfile.write(body[at:at + 1])
                    self.wfile.flush()
                    if stop.wait(0.2):
                        return
                return
            if kind == "stall":
                self.wfile.write(body[:1])
                self.wfile.flush()
                stop.wait(args.lifetime)
                return
            self.wfile.write(body)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    plain = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    plain.daemon_threads = True
    plain_port = plain.server_address[1]
    threading.Thread(target=plain.serve_forever, daemon=True).start()
    with open(args.port_file + ".tmp", "w") as out:
        out.write("%d %d" % (port, plain_port))
    os.rename(args.port_file + ".tmp", args.port_file)

    def end_later():
        time.sleep(args.lifetime)
        stop.set()
        plain.shutdown()
        server.shutdown()

    threading.Thread(target=end_later, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
