#!/usr/bin/env python3
"""A CalDAV server that misbehaves in one chosen way, for the sync's tests.

Usage: hostile_dav.py MODE FOLDER LISTING_CAP RESOURCE_CAP

It serves the collection /cal/ from FOLDER (one NAME.ics per resource, ETag "NAME") on
127.0.0.1, refuses every sync token (so each sync asks for the whole listing) and answers
that listing as MODE says. Two more listeners stand for other origins: 127.0.0.1 on another
port, and 127.0.0.2. The first line on standard output is "PORT OTHER_PORT OTHER_HOST_PORT";
after that, each request another origin receives is one line "elsewhere METHOD PATH AUTH",
AUTH being its Authorization header or "-".
"""

import http.server
import os
import re
import sys
import threading
import time
from xml.sax.saxutils import escape

MODE, FOLDER, LISTING_CAP, RESOURCE_CAP = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
ports = {}
printing = threading.Lock()


def say(line):
    with printing:
        print(line, flush=True)


def resources():
    for name in sorted(os.listdir(FOLDER)):
        with open(os.path.join(FOLDER, name), encoding="utf-8", newline="") as f:
            yield name[: -len(".ics")], f.read()


def changed(ics, summary, extra=""):
    """The resource as another client changed it later: a new SUMMARY, EXTRA lines added."""
    ics = re.sub(r"SUMMARY:[^\r\n]*", lambda _: "SUMMARY:" + summary, ics)
    ics = re.sub(r"LAST-MODIFIED:[^\r\n]*", "LAST-MODIFIED:20990101T000000Z", ics)
    return ics.replace("BEGIN:VTODO\r\n", "BEGIN:VTODO\r\n" + extra, 1)


def response(href, etag, ics):
    return (f"<d:response><d:href>{href}</d:href><d:propstat><d:prop>"
            f"<d:getetag>{etag}</d:getetag><c:calendar-data>{escape(ics)}</c:calendar-data>"
            "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>")


def listing(first_changed=None, href=lambda name: f"/cal/{name}.ics", etag=None, more=""):
    """The whole collection; the first resource as FIRST_CHANGED makes it, if given."""
    parts = []
    for i, (name, ics) in enumerate(resources()):
        tag = f'"{name}"'
        if i == 0 and first_changed:
            ics, tag = first_changed(ics), etag or f'"{name}-2"'
        parts.append(response(href(name), tag, ics))
    return ('<?xml version="1.0" encoding="utf-8"?>'
            '<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">'
            + "".join(parts) + more + "<d:sync-token>t2</d:sync-token></d:multistatus>")


def whole_listing():
    elsewhere = f"http://127.0.0.2:{ports['other_host']}"
    if MODE in ("good", "trickle"):
        return listing()
    if MODE == "foreign-href":
        name, ics = next(resources())
        ics = changed(ics.replace(name, "f" + name[1:]), "From elsewhere")
        return listing(more=response(f"{elsewhere}/cal/foreign.ics", '"f"', ics))
    if MODE == "html":
        return "<html><body><h1>Down for maintenance</h1></body></html>"
    if MODE == "empty-listing":
        return '<?xml version="1.0"?><d:multistatus xmlns:d="DAV:"/>'
    if MODE == "absolute-hrefs":
        here = f"http://127.0.0.1:{ports['main']}"
        return listing(href=lambda name: here + "/%63al/" + name.replace("-", "%2D") + ".ics")
    if MODE == "big-listing":
        body = listing(lambda ics: changed(ics, "Changed in a big listing"))
        return body.replace("<d:sync-token>", " " * (LISTING_CAP + 1 - len(body)) + "<d:sync-token>")
    if MODE == "big-resource":
        padding = "DESCRIPTION:" + "x" * 70 + "\r\n"
        return listing(lambda ics: changed(ics, "Changed and large",
                                           padding * (RESOURCE_CAP // (len(padding) - 1) + 1)))
    if MODE == "nested":
        # Far deeper than any calendar, yet under the size cap: only the nesting bound refuses it.
        nested = "BEGIN:VALARM\r\n" * 30_000 + "END:VALARM\r\n" * 30_000
        return listing(lambda ics: changed(ics, "Changed and nested", nested))
    if MODE == "long-summary":
        return listing(lambda ics: changed(ics, "x" * 10_001))
    if MODE == "huge-summary":
        return listing(lambda ics: changed(ics, "x" * 10_000_000))
    if MODE == "etag-crlf":
        return listing(lambda ics: changed(ics, "Changed with a bad ETag"),
                       etag='"2&#13;&#10;X-Injected: 1"')
    raise SystemExit("unknown mode " + MODE)


class Collection(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_any(self):
        request = self.rfile.read(int(self.headers.get("Content-Length", 0))).decode()
        if MODE.startswith("redirect-"):
            target = (f"http://127.0.0.1:{ports['other_port']}" if MODE == "redirect-port"
                      else f"http://127.0.0.2:{ports['other_host']}")
            return self.answer(301, headers=[("Location", target + "/dav/")])
        if self.command != "REPORT":
            return self.answer(404)
        if MODE == "endless":
            return self.endless()
        token = re.search(r"<d:sync-token>([^<]*)</d:sync-token>", request)
        if token and token.group(1):
            return self.answer(403, b'<d:error xmlns:d="DAV:"><d:valid-sync-token/></d:error>')
        body = whole_listing().encode()
        if MODE == "trickle":
            return self.trickle(body)
        self.answer(207, body, [("Content-Type", "application/xml; charset=utf-8")])

    def endless(self):
        self.send_response(207)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        chunk = b" " * 65536
        head = b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">'
        try:
            self.wfile.write(b"%x\r\n%s\r\n" % (len(head), head))
            while True:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
        except OSError:
            pass

    def trickle(self, body):
        self.send_response(207)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            for byte in body:
                self.wfile.write(bytes([byte]))
                self.wfile.flush()
                time.sleep(1)
        except OSError:
            pass

    do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_GET = do_any


class Elsewhere(Collection):
    def do_any(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        say(f"elsewhere {self.command} {self.path} {self.headers.get('Authorization', '-')}")
        self.answer(404)

    do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_GET = do_any


def serve(address, handler):
    server = http.server.ThreadingHTTPServer((address, 0), handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


ports["main"] = serve("127.0.0.1", Collection)
ports["other_port"] = serve("127.0.0.1", Elsewhere)
ports["other_host"] = serve("127.0.0.2", Elsewhere)
say(f"{ports['main']} {ports['other_port']} {ports['other_host']}")
threading.Event().wait()
