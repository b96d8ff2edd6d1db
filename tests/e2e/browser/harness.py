"""Shared pieces of the browser end-to-end tests: the reference backend, an
Xvfb display, the browser driver, and the backend's request log."""
import json
import os
import re
import shutil
import ssl
import subprocess
import sys
import tempfile
import threading
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from waiting import WAIT, WaitTimeout, wait_until  # noqa: E402,F401
from program_run import ProgramRun, port_443_free, stop_process  # noqa: E402,F401
from displays import make_display  # noqa: E402

SOURCE_DIR = os.environ.get("PELLARO_SOURCE_DIR",
                            os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "..")))
BACKEND = os.environ.get("PELLARO_BACKEND_SERVER", os.path.join(SOURCE_DIR, "tests", "backend", "server.py"))
DRIVER = os.environ.get("PELLARO_BROWSER_DRIVER", "")


def header(entry, name):
    """A header of a logged request, by name in any case; None when absent."""
    for key, value in entry["headers"]:
        if key.lower() == name.lower():
            return value
    return None


class Backend:
    def __init__(self, workdir, port=0, lifetime=900):
        self.workdir = workdir
        port_file = os.path.join(workdir, "port")
        self.log_file = os.path.join(workdir, "log.jsonl")
        output = os.path.join(workdir, "backend-output.txt")
        with open(output, "wb") as sink:
            self.proc = subprocess.Popen([sys.executable, BACKEND, "--port", str(port), "--port-file", port_file,
                                          "--log", self.log_file, "--lifetime", str(lifetime)],
                                         stdout=sink, stderr=subprocess.STDOUT)
        try:
            wait_until(lambda: os.path.exists(port_file) or self.proc.poll() is not None, "the backend's port file", 30)
        except WaitTimeout:
            pass
        if not os.path.exists(port_file):
            self.stop()
            with open(output, "rb") as said:
                raise RuntimeError("backend did not start (exit status %s): %s" % (
                    self.proc.returncode, said.read()[-2000:].decode("utf-8", "replace")))
        with open(port_file) as f:
            self.port = int(f.read().strip())

    def url(self, host, path):
        return "https://%s:%d%s" % (host, self.port, path)

    def control(self, name, body=None):
        context = ssl.create_default_context()
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request("https://127.0.0.1:%d/__control/%s" % (self.port, name), data=data,
                                         method="POST")
        with urllib.request.urlopen(request, context=context, timeout=30) as answer:
            return json.loads(answer.read() or b"null")

    def page(self, path, html):
        self.control("override", {"path": path, "status": 200, "body": html,
                                  "contentType": "text/html; charset=utf-8"})

    def requests(self):
        return [e for e in self.control("log") if e.get("event") == "request"]

    def reports(self, tag=None):
        out = []
        for e in self.requests():
            if e["path"].startswith("/report") and e.get("body"):
                try:
                    data = json.loads(e["body"])
                except ValueError:
                    continue
                if tag is None or data.get("tag") == tag:
                    out.append(data)
        return out

    def wait_report(self, tag, timeout=WAIT):
        return wait_until(lambda: self.reports(tag), "a report %r" % tag, timeout,
                          seen=lambda: [r["path"] for r in self.requests()])[0]

    def wait_requests(self, accept, what, timeout=WAIT):
        """The logged requests `accept` takes, once there is at least one."""
        return wait_until(lambda: [r for r in self.requests() if accept(r)], what, timeout,
                          seen=lambda: ["%s%s" % (r["host"], r["path"]) for r in self.requests()])

    def stop(self):
        stop_process(self.proc, 10)


# The display of a test: Xvfb, or Weston when PELLARO_E2E_DISPLAY=wayland.
Display = make_display


class Driver:
    """The browser driver under the display; its debug lines are collected."""

    def __init__(self, display, workdir, args, env=None):
        environment = display.client_env()
        environment.update(env or {})
        data = os.path.join(workdir, "data", "WebView2Data")
        # Keys go in through stdin where no tool can press them (Wayland).
        self.proc = subprocess.Popen([DRIVER, "--data", data, "--lifetime", "300"] + args, env=environment,
                                     stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.lines = []
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.proc.stderr:
            with self.lock:
                self.lines.append(raw.decode("utf-8", "replace").rstrip("\n"))

    def matching(self, pattern):
        with self.lock:
            return [l for l in self.lines if re.search(pattern, l)]

    def tail(self):
        with self.lock:
            return "\n" + "\n".join(self.lines[-60:])

    def wait_line(self, pattern, timeout=WAIT):
        return self.wait_count(pattern, 1, timeout)[0]

    def wait_count(self, pattern, count, timeout=WAIT):
        """The lines matching `pattern`, once there are at least `count`."""
        def enough():
            found = self.matching(pattern)
            return found if len(found) >= count else None
        return wait_until(enough, "%d line(s) %r" % (count, pattern), timeout, seen=self.tail)

    def window_id(self):
        def find():
            out = subprocess.run(["xdotool", "search", "--pid", str(self.proc.pid), "--onlyvisible",
                                  "--name", "Tovrel Academy"],
                                 env=dict(os.environ, DISPLAY=self.display_name), capture_output=True)
            ids = out.stdout.decode().split()
            return ids[0] if ids else None
        return wait_until(find, "a visible window of the driver", WAIT)

    def type_keys(self, *keys):
        """Keys as the driver's window receives them from the window system
        (for Wayland, where no outside tool can press keys)."""
        self.proc.stdin.write(("keys " + " ".join(keys) + "\n").encode())
        self.proc.stdin.flush()

    def stop(self):
        stop_process(self.proc, 15)
        self.reader.join(5)
        self.proc.stderr.close()
        self.proc.stdin.close()


class Session:
    """One backend, one display and the drivers a test starts; all stopped at the end."""

    def __init__(self):
        self.workdir = tempfile.mkdtemp(prefix="pellaro-browser-e2e-")
        self.backend = Backend(self.workdir)
        try:
            self.display = Display()
        except Exception:
            self.backend.stop()
            raise
        self.drivers = []

    def press_keys(self, driver, *keys):
        """Presses keys in the driver's window as a person would: xdotool on
        X11; on Wayland, which lets no client type into another, through the
        driver's own window-system input (see browser_driver.cpp)."""
        if self.display.kind == "wayland":
            driver.type_keys(*keys)
            return
        self.display.run("xdotool", "windowfocus", "--sync", driver.window_id())
        self.display.run("xdotool", "key", *keys)

    def driver(self, args, env=None):
        d = Driver(self.display, self.workdir, args + ["--pin-port", str(self.backend.port)], env)
        d.display_name = self.display.name
        self.drivers.append(d)
        return d

    def player(self, content_url, content_type, watermark="", base=None, env=None, page_script=""):
        args = ["--mode", "player", "--content-url", content_url, "--content-type", content_type,
                "--watermark", watermark, "--base", base if base is not None else self.backend.url("www.tovrel.localhost", "/")]
        if page_script:
            args += ["--page-script", page_script]
        return self.driver(args, env)

    def close(self):
        for d in self.drivers:
            d.stop()
        self.display.stop()
        self.backend.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)


# A page helper: report(tag, data) posts JSON to the page's own host.
REPORT_JS = """
<script>
function report(tag, data){data=data||{};data.tag=tag;
return fetch('/report',{method:'POST',headers:{'Content-Type':'application/json'},body:JSON.stringify(data)});}
</script>
"""


def page(body, head=""):
    return "<!DOCTYPE html><html><head><meta charset='utf-8'>%s%s</head><body>%s</body></html>" % (
        REPORT_JS, head, body)
