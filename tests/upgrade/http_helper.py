"""A loopback HTTP server that misbehaves on request, for the upgrade download tests.

usage: http_helper.py PACKAGE LOG
Prints its port, then serves GET /<kind>/.../UPGRADE.exe:
  status/<code>/  the package, answered with that status
  html/           an HTML page answered with 200
  cut/            200 with the package's full length, but only half of it, then closes
  stall/          200 with the package's full length, half of it, then nothing more
  redirect/far/   302 to a plain-HTTP address off this machine
  redirect/home/  302 to status/200/ on this server
Each requested path is appended to LOG.
"""
import http.server
import sys
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
            target = ("http://192.0.2.1/quillmark/UPGRADE.exe" if parts[1] == "far" else
                      "http://127.0.0.1:%d/status/200/UPGRADE.exe" % port)
            self.answer(302, b"moved", extra=[("Location", target)])
        else:
            self.answer(404, b"no such behaviour")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
