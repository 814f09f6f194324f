#!/usr/bin/env python3
"""A small HTTPS server for the update check tests, on 127.0.0.1 only.

Serves the files below --root. Beside a served file, NAME.redirect holds an address to redirect
to instead, and NAME.throttle a pause in seconds after every 1 KiB block. A request without the
user agent given by --user-agent is refused with 403. Prints the port it listens on as its first
line, then serves until it is ended.
"""
import argparse
import http.server
import os
import ssl
import time

BLOCK = 1024


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read().strip()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.headers.get("User-Agent") != self.server.user_agent:
            self.send_error(403)
            return
        root = self.server.root
        path = os.path.normpath(os.path.join(root, self.path.split("?")[0].lstrip("/")))
        if not path.startswith(root + os.sep):
            self.send_error(404)
            return
        if os.path.isfile(path + ".redirect"):
            self.send_response(302)
            self.send_header("Location", read_text(path + ".redirect"))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            data = f.read()
        pause = float(read_text(path + ".throttle")) if os.path.isfile(path + ".throttle") else 0.0
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        try:
            for i in range(0, len(data), BLOCK):
                self.wfile.write(data[i:i + BLOCK])
                self.wfile.flush()
                if pause:
                    time.sleep(pause)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # Clients that refuse the certificate or go away mid-transfer are part of the tests.
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--user-agent", required=True)
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.root = os.path.realpath(args.root)
    server.user_agent = args.user_agent
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    # The handshake happens in the connection's own thread, so a client that stalls or refuses
    # the certificate never holds up the others.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
