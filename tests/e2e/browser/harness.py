"""Shared pieces of the browser end-to-end tests: the browser driver, a session
of one backend, one display and its drivers, and test pages. The backend, the
display and the program come from program_run."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from program_run import Backend, Display, WAIT, WaitTimeout, stop_process, wait_until  # noqa: E402,F401

DRIVER = os.environ.get("PELLARO_BROWSER_DRIVER", "")


def header(entry, name):
    """A header of a logged request, by name in any case; None when absent."""
    for key, value in entry["headers"]:
        if key.lower() == name.lower():
            return value
    return None


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
