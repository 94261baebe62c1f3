"""A loopback HTTP server that misbehaves on request, for the upgrade download tests.

usage: http_helper.py PACKAGE LOG
Prints its port, then serves GET /<kind>/.../UPGRADE.exe:
  status/<code>/  the package, answered with that status
  html/           an HTML page answered with 200
  cut/            200 with the package's full length, but only half of it, then closes
  stall/          200 with the package's full length, half of it, then nothing more
  redirect/far/   302 to status/200/ over plain HTTP at 127.0.0.2, which the download's address
                  rule refuses (it allows plain HTTP only to 127.0.0.1, localhost and ::1)
  redirect/home/  302 to status/200/ on this server
Each requested path is appended to LOG.
"""
import http.server
import os
import sys
import threading
import time

PACKAGE = open(sys.argv[1], "rb").read()
LOG = sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, code, body, length=None, kind="application/octet-stream", extra=()):
        self.send_response(code)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        with open(LOG, "a") as log:
            log.write(self.path + "\n")
        parts = self.path.strip("/").split("/")
        kind = parts[0]
        if kind == "status":
            self.answer(int(parts[1]), PACKAGE)
        elif kind == "html":
            self.answer(200, b"<html><body>Sign in to the network</body></html>", kind="text/html")
        elif kind == "cut":
            self.answer(200, PACKAGE[: len(PACKAGE) // 2], length=len(PACKAGE))
            self.close_connection = True
        elif kind == "stall":
            self.answer(200, PACKAGE[: len(PACKAGE) // 2], length=len(PACKAGE))
            time.sleep(3600)
        elif kind == "redirect":
            port = self.server.server_address[1]
            host = "127.0.0.2" if parts[1] == "far" else "127.0.0.1"
            target = "http://%s:%d/status/200/UPGRADE.exe" % (host, port)
            self.answer(302, b"moved", extra=[("Location", target)])
        else:
            self.answer(404, b"no such behaviour")


def end_with_parent():
    sys.stdin.read()  # the test holds this pipe open while it runs
    os._exit(0)


threading.Thread(target=end_with_parent, daemon=True).start()
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
# The same server at an address the download may not use: reaching it would succeed.
refused = http.server.ThreadingHTTPServer(("127.0.0.2", server.server_address[1]), Handler)
refused.daemon_threads = True
threading.Thread(target=refused.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
server.serve_forever()
