#!/usr/bin/env python3
"""End to end with the program itself: tovrelapp opens the academy home page,
or a sealed content link, against the reference backend on port 443 (the
built-in addresses have no port). Skipped (77) when port 443 cannot be had or
when this build's program does not host the browser yet."""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Backend, Display, WaitTimeout, wait_until  # noqa: E402

PROGRAM = os.environ.get("PELLARO_PROGRAM", "")
CLI = os.environ.get("PELLARO_CLI", "")
SKIP = 77


def header(entry, name):
    for key, value in entry["headers"]:
        if key.lower() == name.lower():
            return value
    return None


def port_443_free():
    probe = socket.socket()
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", 443))
        return True
    except OSError:
        return False
    finally:
        probe.close()


class Program:
    def __init__(self, display, root, args):
        env = dict(os.environ, DISPLAY=display.name, HOME=os.path.join(root, "home"),
                   XDG_DATA_HOME=os.path.join(root, "data"), XDG_RUNTIME_DIR=os.path.join(root, "run"))
        os.makedirs(env["HOME"], exist_ok=True)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        self.log = open(os.path.join(root, "program.log"), "wb")
        self.path = self.log.name
        self.proc = subprocess.Popen([PROGRAM] + args, env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self.log)

    def text(self):
        with open(self.path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


class ProgramEndToEnd(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="pellaro-program-e2e-")
        self.backend = Backend(self.root, port=443)
        self.display = Display()
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.stop()
        self.display.stop()
        self.backend.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def start(self, *args):
        self.program = Program(self.display, self.root, list(args))
        try:
            wait_until(lambda: "WebView2 initialized" in self.program.text() or self.program.proc.poll() is not None,
                       "the program's browser to start")
        except WaitTimeout:
            pass
        if "WebView2 initialized" not in self.program.text():
            self.skipTest("this build's program does not host the browser")

    def test_home_page_carries_identity_and_home_headers(self):
        self.start()
        home = self.backend.wait_requests(lambda r: r["host"] == "www.tovrel.localhost" and r["path"] == "/" and
                                          r["method"] == "GET", "the home page's request")
        self.assertTrue(home, self.program.text()[-2000:])
        for name in ("X-Pellaro-Client", "X-Device-Id", "X-Pellaro-Device", "X-Pellaro-App", "X-Pellaro-Shell"):
            self.assertIsNotNone(header(home[0], name), name)

    def test_content_link_shows_the_report_page_with_its_scripts(self):
        link = subprocess.run([CLI, "link", "seal", "key-1", "report-1", "https://www.tovrel.localhost"],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.start(link)
        reports = self.backend.wait_requests(lambda r: r["path"] == "/report", "the report page's report")
        self.assertTrue(reports, self.program.text()[-2000:])
        data = json.loads(reports[0]["body"])
        self.assertIn("_pellaroLoaderAdded", data["globals"])
        self.assertIn("_pellaroPrintBlockAdded", data["globals"])
        self.assertTrue(data["hasWebview"])


if __name__ == "__main__":
    if not PROGRAM or not port_443_free():
        print("skipped: no program or port 443 is taken")
        sys.exit(SKIP)
    try:
        result = unittest.main(exit=False).result
    except RuntimeError as error:  # the backend could not take the port after all
        print("skipped:", error)
        sys.exit(SKIP)
    if result.failures or result.errors:
        sys.exit(1)
    sys.exit(SKIP if result.skipped and not result.testsRun - len(result.skipped) else 0)
