#!/usr/bin/env python3
"""Serves a small, slow picture site on loopback for scripts/screenshots.sh.

    screenshot_site.py FOLDER PORT

FOLDER/pics/ must hold the pictures (the script that starts this makes them
with ImageMagick). Served on 127.0.0.1:PORT:
  /gallery/       a page showing every picture
  /images?...     result pages of a stand-in image search: 20 entries a page,
                  each pointing at one of the pictures, and a link to the next
                  page while there are more
Pictures trickle out over about two seconds each, so that a run lasts long
enough to be photographed while the worker rows move. Ends on SIGTERM.
"""
import html
import os
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

FOLDER, PORT = sys.argv[1], int(sys.argv[2])
PICTURES = sorted(os.listdir(os.path.join(FOLDER, "pics")))
PER_PAGE = 20
SECONDS_PER_PICTURE = 2.0


def gallery():
    tags = "\n".join('<img src="/pics/%s" alt="%s">' % (n, html.escape(n)) for n in PICTURES)
    return "<html><head><title>Gallery</title></head><body>\n%s\n</body></html>" % tags


def result_page(start):
    entries = "".join(
        "<a href=/imgres?imgurl=http://127.0.0.1:%d/pics/%s&imgrefurl=http://127.0.0.1/&h=1>" % (PORT, n)
        for n in PICTURES[start:start + PER_PAGE])
    if start + PER_PAGE < len(PICTURES):
        entries += "<td nowrap class=b><a href=/images?q=harbour&start=%d>Next</a>" % (start + PER_PAGE)
    return "<html><body>%s</body></html>" % entries


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, body, kind, slow=False):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not slow:
            self.wfile.write(body)
            return
        pieces = 20
        step = max(1, len(body) // pieces + 1)
        for i in range(0, len(body), step):
            self.wfile.write(body[i:i + step])
            self.wfile.flush()
            time.sleep(SECONDS_PER_PICTURE / pieces)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        try:
            if url.path in ("/gallery/", "/gallery/index.htm"):
                return self.send(gallery().encode(), "text/html")
            if url.path == "/images":
                query = urllib.parse.parse_qs(url.query)
                start = int(query.get("start", ["0"])[0])
                return self.send(result_page(start).encode(), "text/html")
            name = url.path[len("/pics/"):]
            if url.path.startswith("/pics/") and name in PICTURES:
                with open(os.path.join(FOLDER, "pics", name), "rb") as f:
                    return self.send(f.read(), "image/jpeg", slow=True)
        except (BrokenPipeError, ConnectionResetError):
            return
        self.send_error(404)


server = ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
server.daemon_threads = True
threading.Thread(target=server.serve_forever, daemon=True).start()
try:
    while True:
        time.sleep(3600)
except KeyboardInterrupt:
    pass
