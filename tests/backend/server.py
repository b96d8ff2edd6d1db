#!/usr/bin/env python3
"""The reference academy backend: one HTTPS process on loopback that serves
every demo host by SNI, plays the academy's API and records what it receives.

Standard library only. See README.md in this folder for the control surface.
"""
import argparse
import json
import os
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
CERTS = os.path.join(HERE, "certs")

PIN_SECRET = "demo-pin-secret-7f3a9c21"
PINS_PATH = "/api/app/pins"
CONTENT_PATH = "/api/app/content-data"
VERSION_PATH = "/api/app/version"
PAGE_SCRIPT_PREFIX = "/api/app/page-script/"
BIG_BODY_BYTES = 33 * 1024 * 1024  # just over the client's 32 MiB bound
FAULT_PREFIX = "/fault/"
HUGE_HEADER_BYTES = 1024 * 1024
STALL_SECONDS = 300  # how long a "stall" handshake waits after the ClientHello

# Certificate chains the server can present, by name.
CHAINS = {
    "test": ("test-chain.pem", "test-leaf.key"),
    "interceptor": ("interceptor-chain.pem", "interceptor-leaf.key"),
    "forged": ("forged-chain.pem", "forged-leaf.key"),
    "wronghost": ("wronghost-chain.pem", "wronghost-leaf.key"),
}
# SNI names that get another chain than "test" from the start.
DEFAULT_SNI_CHAINS = {
    "intercept.tovrel.localhost": "interceptor",
    "forged.tovrel.localhost": "forged",
    "wronghost.tovrel.localhost": "wronghost",
}


def _pin_of(name):
    with open(os.path.join(CERTS, "pins.txt")) as f:
        for line in f:
            key, pin = line.split()
            if key == name:
                return pin
    raise KeyError(name)


LEAF_PIN = _pin_of("test-leaf")
ROOT_PIN = _pin_of("test-root")

PIN_ANSWERS = {
    # The usual list: a media host pinned to the leaf, a files domain to the root.
    "default": (200, [
        {"scope": "media.tovrel.localhost", "pins": ["sha256/" + LEAF_PIN]},
        {"scope": "tovrel-files.localhost", "pins": [ROOT_PIN, "sha256/"]},
        {"scope": "nopins.tovrel.localhost", "pins": []},
        "not an object",
        {"scope": "only-scope.tovrel.localhost"},
    ]),
    # Pins that no served chain matches, for a host under the backend domain.
    "strict": (200, [{"scope": "strict.tovrel.localhost", "pins": ["sha256/AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="]}]),
    "empty": (200, []),
    "not-array": (200, {"scope": "tovrel.localhost", "pins": [LEAF_PIN]}),
    "bad-scope": (200, [{"scope": 12, "pins": [LEAF_PIN]}]),
    "not-json": (200, "<html>maintenance</html>"),
    "error": (500, {"message": "pin service down"}),
    "bad-utf8": (200, b'[{"scope": "bad\xff.tovrel.localhost", "pins": ["sha256/\xc3\x28' + LEAF_PIN.encode() + b'"]}]'),
}

VERSION_ANSWERS = {
    "current": (200, {"version": "4.12", "is_required": 0}),
    "optional": (200, {"version": "5.0", "is_required": 0,
                       "link": "https://www.tovrel.localhost/download/pellaro-setup.exe"}),
    "required": (200, {"version": 5.1, "is_required": 1,
                       "link": "https://www.tovrel.localhost/download/pellaro-setup.exe"}),
    "required-mirror": (200, {"version": 5.1, "is_required": 1,
                              "link": "https://downloads.tovrel.localhost/pellaro-setup-5.1.exe"}),
    "required-string": (200, {"version": "6", "is_required": "1"}),
    "link-javascript": (200, {"version": 5.1, "is_required": 1, "link": "javascript:alert(1)"}),
    "link-file": (200, {"version": 5.1, "is_required": 1, "link": "file:///etc/passwd"}),
    "string-4.9": (200, {"version": "4.9"}),
    "number-3": (200, {"version": 3}),
    "letters": (200, {"version": "abc", "is_required": 1}),
    "link-number": (200, {"version": "9.0", "link": 42}),
    "no-version": (200, {"latest": "9.0"}),
    "not-object": (200, ["9.0"]),
    "not-json": (200, "version 9"),
    "error": (503, {"message": "maintenance"}),
    "bad-utf8": (200, b'{"version": "9.\xff", "is_required": 1, "link": "https://www.tovrel.localhost/\xc0\xaf"}'),
}

LESSON = "https://www.tovrel.localhost/content/lesson.html"
ITEM = {"type": "video", "url": LESSON, "video_url": "", "watermark": "student@example.com", "item_number": 7}

# content_link_id -> (status, JSON value or raw text, extra behaviour)
CONTENT_ANSWERS = {
    "lesson-wrapped": (200, {"data": ITEM}),
    "lesson-plain": (200, ITEM),
    "pdf-1": (200, {"data": {"type": "pdf", "url": "https://www.tovrel.localhost/content/sample.pdf",
                             "watermark": "student@example.com", "item_number": 8}}),
    "report-1": (200, {"data": {"type": "url_direct", "url": "https://www.tovrel.localhost/content/report.html",
                                "watermark": "report@example.com", "item_number": 9}}),
    # A pdf_url item whose address answers with the report page: the page tells
    # what the PDF scripts (watermark, print button) left on it.
    "pdf-report-1": (200, {"data": {"type": "pdf_url", "url": "https://www.tovrel.localhost/content/report.html",
                                    "watermark": "report@example.com", "item_number": 14}}),
    "vidshare-1": (200, {"data": {"type": "video", "url": LESSON,
                                  "video_url": "https://www.vidshare.localhost/watch?v=abc123",
                                  "watermark": "student@example.com", "item_number": 11}}),
    "framed-1": (200, {"data": {"type": "embed", "url": LESSON, "watermark": "student@example.com",
                                "item_number": 13}}),
    "meeting-1": (200, {"data": {"type": "zoom", "url": "https://meet.localhost/j/123456",
                                 "watermark": "", "item_number": 12}}),
    "empty-item": (200, {}),
    "wrap-not-object": (200, {"data": 5, "type": "pdf", "url": LESSON}),
    "null-members": (200, {"data": {"type": None, "url": None, "item_number": None}}),
    "number-bool": (200, {"data": {"url": LESSON, "item_number": True}}),
    "wrong-type": (200, {"data": {"type": 5, "url": LESSON}}),
    "wrong-number": (200, {"data": {"url": LESSON, "item_number": "7"}}),
    "not-json": (200, "<html>not json</html>"),
    "not-found": (404, {"message": "Content not found"}),
    "forbidden": (403, {"message": "Your subscription has ended"}),
    "server-error": (500, {"message": "Internal server error"}),
    "plain-error": (502, "Bad gateway"),
    "message-number": (400, {"message": 42}),
    "bad-utf8": (200, b'{"data": {"type": "vid\xffeo", "url": "https://www.tovrel.localhost/\xed\xa0\x80",'
                      b' "video_url": "\xc3", "watermark": "st\xfeudent", "item_number": 7}}'),
    "bad-utf8-message": (403, b'{"message": "Your subscription \xff has ended"}'),
    "slow": (200, {"data": ITEM}),
    "silent": None,
}


def make_pdf():
    """A one-page PDF with a line of text, offsets computed."""
    text = b"BT /F1 24 Tf 72 720 Td (Tovrel Academy sample document) Tj ET"
    objs = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(text) + text + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for i, body in enumerate(objs, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    return bytes(out)


# A plain light look for every page, so they read well on the player's dark default background.
PAGE_STYLE = ("<style>html{background:#f7f7f5;color:#1f2328}"
              "body{font:16px/1.5 'DejaVu Sans',sans-serif;max-width:44em;margin:0 auto;padding:4.5em 1em 2em}"
              "h1{font-size:1.6em;color:#17324d}a{color:#0b5cad}li{margin:.3em 0}</style>")


HOME_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Tovrel Academy</title>""" + PAGE_STYLE + """</head>
<body><h1>Tovrel Academy</h1>
<p>Welcome to the reference academy.</p>
<ul>
<li><a id="lesson" href="/content/lesson.html">Lesson one (HTML)</a></li>
<li><a id="pdf" href="/content/sample.pdf">Sample document (PDF)</a></li>
<li><a id="report" href="/content/report.html">Script report page</a></li>
<li><a id="video" href="https://www.vidshare.localhost/embed/abc123">Linked video</a></li>
<li><a id="outside" href="https://outside.example/">An outside site</a></li>
</ul></body></html>
"""

LESSON_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Lesson one</title>""" + PAGE_STYLE + """</head>
<body><h1>Lesson one</h1><p id="lesson-text">The reference lesson.</p>
<video id="player" width="320" height="180" controls></video>
</body></html>
"""

# Reports, after load, which marks the injected scripts left in the page.
REPORT_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Script report</title>""" + PAGE_STYLE + """</head>
<body><h1>Script report</h1>
<script>
function pellaroReport(extra) {
  var globals = Object.keys(window).filter(function (k) { return k.indexOf('_pellaro') === 0; });
  var ids = Array.prototype.map.call(document.querySelectorAll('[id]'), function (e) { return e.id; });
  var data = {page: location.href, title: document.title, globals: globals, ids: ids,
              hasWebview: !!(window.chrome && window.chrome.webview), printType: typeof window.print,
              bodyText: document.body ? document.body.innerText.slice(0, 2000) : '', extra: extra || null};
  fetch('/report', {method: 'POST', headers: {'Content-Type': 'application/json'}, body: JSON.stringify(data)});
}
window.addEventListener('load', function () { setTimeout(pellaroReport, 1500); });
</script>
</body></html>
"""

VIDEO_EMBED_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Video %s</title>""" + PAGE_STYLE + """</head>
<body><h1>Embedded video %s</h1><div id="video-frame">video</div></body></html>
"""

MEETING_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Meeting</title>""" + PAGE_STYLE + """</head>
<body><h1>Meeting room</h1></body></html>
"""


def page_script(number):
    # Marks the page and tells the backend it ran (same origin as the page).
    return ("document.documentElement.setAttribute('data-page-script', '%s');"
            "fetch('/report', {method: 'POST', headers: {'Content-Type': 'application/json'},"
            " body: JSON.stringify({pageScript: '%s', page: location.href})});" % (number, number))


class State:
    def __init__(self, log_path):
        self.lock = threading.Lock()
        self.log_file = open(log_path, "a", encoding="utf-8") if log_path else None
        self.entries = []
        self.handshakes = {}
        self.sni_chains = dict(DEFAULT_SNI_CHAINS)
        self.overrides = {}   # path -> (status, body text, content type)
        self.faults = {}      # (host or "" for any, path) -> fault mode answered there
        self.answers = {"pins": "default", "version": "current"}

    def record(self, entry):
        entry["time"] = time.time()
        with self.lock:
            self.entries.append(entry)
            if self.log_file:
                self.log_file.write(json.dumps(entry, ensure_ascii=False) + "\n")
                self.log_file.flush()

    def count_handshake(self, sni):
        with self.lock:
            self.handshakes[sni] = self.handshakes.get(sni, 0) + 1
            return self.handshakes[sni]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TovrelReference/1.0"

    def log_message(self, fmt, *args):  # the JSON log replaces the console log
        pass

    # -- plumbing ------------------------------------------------------
    @property
    def state(self):
        return self.server.state

    def host(self):
        host = self.headers.get("Host", "")
        if host.startswith("["):
            return host.split("]")[0] + "]"
        return host.split(":")[0].lower()

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send(self, status, body, content_type="application/json", extra_headers=None):
        if isinstance(body, (dict, list, int, float)) or body is None:
            body = json.dumps(body)
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra_headers or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_answer(self, answer):
        status, value = answer
        if isinstance(value, bytes):
            self.send(status, value)
        elif isinstance(value, str):
            self.send(status, value, "text/plain; charset=utf-8")
        else:
            self.send(status, value)

    def handle_any(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        body = self.read_body()
        entry = {
            "event": "request",
            "method": self.command,
            "host": self.host(),
            "sni": getattr(self.connection, "pellaro_sni", None),
            "peer": self.client_address[1] if isinstance(self.client_address, tuple) else None,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": body.decode("utf-8", "replace"),
        }
        self.state.record(entry)
        try:
            self.route(url.path, query, body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self.close_connection = True

    do_GET = do_POST = do_PUT = do_HEAD = do_DELETE = do_OPTIONS = handle_any

    # -- routing -------------------------------------------------------
    def route(self, path, query, body):
        host = self.host()
        if path.startswith("/__control/"):
            return self.control(path[len("/__control/"):], query, body)
        fault = self.state.faults.get((host, path)) or self.state.faults.get(("", path))
        if fault:
            return self.fault(fault, query)
        if path in self.state.overrides:
            status, text, ctype = self.state.overrides[path]
            return self.send(status, text, ctype)
        if self.command == "HEAD" and path == "/":
            return self.send(200, b"", "text/html")
        if path == "/report":
            return self.send(204, b"", "text/plain")
        if path == "/echo":
            return self.send(200, {"method": self.command, "host": host, "path": self.path,
                                   "headers": [[k, v] for k, v in self.headers.items()],
                                   "body": body.decode("utf-8", "replace")})
        if path.startswith("/status/"):
            code = int(path[len("/status/"):] or 500)
            return self.send(code, {"message": "status %d" % code})
        if path.startswith("/redirect/"):
            code = int(path[len("/redirect/"):] or 302)
            target = query.get("to", ["https://www.tovrel.localhost/content/lesson.html"])[0]
            return self.send(code, "moved to " + target, "text/plain", {"Location": target})
        if path == "/big":
            return self.send_big()
        if path.startswith(FAULT_PREFIX):
            return self.fault(path[len(FAULT_PREFIX):], query)
        if path == PINS_PATH:
            return self.pins(query)
        if path == CONTENT_PATH:
            return self.content(query, body)
        if path == VERSION_PATH:
            name = query.get("answer", [self.state.answers["version"]])[0]
            return self.send_answer(VERSION_ANSWERS.get(name, VERSION_ANSWERS["current"]))
        if path.startswith(PAGE_SCRIPT_PREFIX):
            number = path[len(PAGE_SCRIPT_PREFIX):]
            if number == "404":
                return self.send(404, {"message": "no script"})
            return self.send(200, page_script(number), "application/javascript")
        if path == "/download/pellaro-setup.exe":
            return self.send(200, b"MZ reference installer", "application/octet-stream")
        if path.startswith("/files/"):  # an attachment answer, on every host
            name = urllib.parse.unquote(path[len("/files/"):]) or "file.bin"
            return self.send(200, "file %s from %s\n" % (name, host), "application/octet-stream",
                             {"Content-Disposition": 'attachment; filename="%s"' % name.replace('"', "")})
        if path == "/content/lesson.html":
            return self.send(200, LESSON_PAGE, "text/html; charset=utf-8")
        if path == "/content/report.html":
            return self.send(200, REPORT_PAGE, "text/html; charset=utf-8")
        if path == "/content/sample.pdf":
            return self.send(200, self.server.pdf, "application/pdf")
        if "vidshare" in host or host == "vid.localhost":
            video = path.rstrip("/").split("/")[-1] or "home"
            return self.send(200, VIDEO_EMBED_PAGE % (video, video), "text/html; charset=utf-8")
        if "meet.localhost" in host:
            return self.send(200, MEETING_PAGE, "text/html; charset=utf-8")
        if path in ("/", "/index.html"):
            return self.send(200, HOME_PAGE, "text/html; charset=utf-8")
        return self.send(404, {"message": "Not found"})

    def pins(self, query):
        if self.headers.get("X-Secret") != PIN_SECRET:
            return self.send(403, {"message": "Forbidden"})
        name = query.get("answer", [self.state.answers["pins"]])[0]
        return self.send_answer(PIN_ANSWERS.get(name, PIN_ANSWERS["default"]))

    def content(self, query, body):
        if self.command != "PUT":
            return self.send(405, {"message": "Method not allowed"})
        form = urllib.parse.parse_qs(body.decode("utf-8", "replace"), keep_blank_values=True)
        content_id = form.get("content_link_id", [""])[0]
        answer = CONTENT_ANSWERS.get(content_id, (404, {"message": "Content not found"}))
        if content_id == "slow":
            time.sleep(float(query.get("delay", ["3"])[0]))
        if answer is None:  # silent: keep the connection open and never answer
            time.sleep(float(query.get("delay", ["45"])[0]))
            self.close_connection = True
            return
        self.send_answer(answer)

    def send_big(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(BIG_BODY_BYTES))
        self.end_headers()
        chunk = b"x" * 65536
        sent = 0
        while sent < BIG_BODY_BYTES:
            self.wfile.write(chunk)
            sent += len(chunk)

    # -- hostile answers -----------------------------------------------
    def raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()

    def end_connection(self, reset=False):
        """Ends the connection under the TLS session, never with a close_notify; with a RST when asked."""
        if reset:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.pellaro_reset = True
        self.close_connection = True

    def drip(self, data, every, limit):
        """Sends data a few bytes at a time until done, the client leaves or the limit passes."""
        end = time.time() + limit
        step = max(1, int(self.query_number("bytes", 4)))
        for i in range(0, len(data), step):
            if time.time() > end:
                break
            self.raw(data[i:i + step])
            time.sleep(every)

    def query_number(self, name, default):
        return float(self.fault_query.get(name, [default])[0])

    def fault(self, mode, query):
        self.fault_query = query
        body = json.dumps({"data": ITEM}).encode()
        head = lambda extra: ("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n" + extra).encode()
        if mode == "reset-mid-body":
            self.raw(head("Content-Length: %d\r\n\r\n" % len(body)) + body[:len(body) // 2])
            time.sleep(0.2)
            return self.end_connection(reset=True)
        if mode == "short-body":
            self.raw(head("Content-Length: %d\r\n\r\n" % len(body)) + body[:len(body) // 2])
            return self.end_connection()
        if mode == "broken-chunked":
            self.raw(head("Transfer-Encoding: chunked\r\n\r\n") + b"10\r\n" + body[:16] + b"\r\nzz\r\n" + body[16:])
            time.sleep(0.2)
            return self.end_connection()
        if mode == "endless-headers":
            self.raw(b"HTTP/1.1 200 OK\r\n")
            lines = b"".join(b"X-Filler-%d: %s\r\n" % (n, b"v" * 20) for n in range(100000))
            self.drip(lines, self.query_number("every", 0.25), self.query_number("limit", 300))
            return self.end_connection()
        if mode == "drip-body":
            self.raw(head("Content-Length: %d\r\n\r\n" % len(body)))
            self.drip(body, self.query_number("every", 0.5), self.query_number("limit", 300))
            return self.end_connection()
        if mode == "no-close-notify":
            # The body runs to the end of the connection, which ends without TLS's close_notify.
            self.raw(head("Connection: close\r\n\r\n") + body)
            time.sleep(0.2)
            return self.end_connection()
        if mode == "huge-header":
            self.raw(head("X-Huge: %s\r\nContent-Length: %d\r\n\r\n" % ("h" * HUGE_HEADER_BYTES, len(body))) + body)
            return
        return self.send(404, {"message": "unknown fault " + mode})

    def control(self, name, query, body):
        data = json.loads(body or b"{}") if body else {}
        st = self.state
        if name == "log":
            with st.lock:
                return self.send(200, list(st.entries))
        if name == "handshakes":
            with st.lock:
                return self.send(200, dict(st.handshakes))
        if name == "chains":      # {"sni name": "test|interceptor|forged|wronghost|stall|drop", "": ... for no SNI}
            with st.lock:
                st.sni_chains.update(data)
                return self.send(200, dict(st.sni_chains))
        if name == "answers":     # {"pins": "...", "version": "..."}
            st.answers.update(data)
            return self.send(200, st.answers)
        if name == "override":    # {"path": ..., "status": ..., "body": ..., "contentType": ...}
            st.overrides[data["path"]] = (int(data.get("status", 200)), data.get("body", ""),
                                          data.get("contentType", "application/json"))
            return self.send(200, {"overrides": sorted(st.overrides)})
        if name == "fault":       # {"path": ..., "host": ..., "fault": MODE}; no mode: back to normal
            key = (data.get("host", "").lower(), data["path"])
            if data.get("fault"):
                st.faults[key] = data["fault"]
            else:
                st.faults.pop(key, None)
            return self.send(200, {"faults": ["%s%s" % k for k in sorted(st.faults)]})
        if name == "reset":
            with st.lock:
                st.faults.clear()
                st.overrides.clear()
                st.answers = {"pins": "default", "version": "current"}
                st.sni_chains = dict(DEFAULT_SNI_CHAINS)
            return self.send(200, {"reset": True})
        return self.send(404, {"message": "unknown control " + name})


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, state):
        self.state = state
        self.pdf = make_pdf()
        self.contexts = {}
        self.stop = threading.Event()
        for name, (chain, key) in CHAINS.items():
            ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            ctx.load_cert_chain(os.path.join(CERTS, chain), os.path.join(CERTS, key))
            ctx.sni_callback = self.on_sni
            self.contexts[name] = ctx
        super().__init__(address, Handler)

    def on_sni(self, sslsock, server_name, _ctx):
        sni = (server_name or "").lower()
        sslsock.pellaro_sni = sni
        count = self.state.count_handshake(sni)
        with self.state.lock:
            chain = self.state.sni_chains.get(sni, "test")
        try:
            peer = sslsock.getpeername()[1]  # ties the handshake to its connection's requests
        except OSError:
            peer = None
        self.state.record({"event": "handshake", "sni": sni, "chain": chain, "count": count, "peer": peer})
        if chain == "stall":  # the ClientHello is in; no answer follows
            self.stop.wait(STALL_SECONDS)
            return ssl.ALERT_DESCRIPTION_HANDSHAKE_FAILURE
        if chain == "drop":  # the handshake ends at once: the client never sees a chain
            return ssl.ALERT_DESCRIPTION_HANDSHAKE_FAILURE
        sslsock.context = self.contexts[chain]
        return None

    def finish_request(self, request, client_address):
        tls = self.contexts["test"].wrap_socket(request, server_side=True, do_handshake_on_connect=False)
        tls.settimeout(60)
        try:
            tls.do_handshake()
        except (ssl.SSLError, OSError) as exc:
            self.state.record({"event": "tls_error", "sni": getattr(tls, "pellaro_sni", None),
                               "error": str(exc)})
            tls.close()
            return
        tls.settimeout(None)
        self.RequestHandlerClass(tls, client_address, self)

    def shutdown_request(self, request):
        try:
            if not getattr(request, "pellaro_reset", False):  # a reset closes with no FIN before it
                request.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        request.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port-file", help="also write the port number here")
    parser.add_argument("--log", help="JSON-lines request log")
    parser.add_argument("--lifetime", type=float, default=600, help="seconds before stopping by itself")
    args = parser.parse_args()

    server = Server((args.bind, args.port), State(args.log))
    port = server.server_address[1]
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    thread.start()
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("listening on %d" % port, flush=True)
    stop.wait(args.lifetime)
    server.stop.set()
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
