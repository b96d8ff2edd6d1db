#!/usr/bin/env python3
"""End to end with the program itself: tovrelapp opens the academy home page,
or a sealed content link, against the reference backend on port 443 (the
built-in addresses have no port). Skipped (77) only when port 443 cannot be
had; a program whose browser does not start fails with its output and exit
status."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import header  # noqa: E402
from program_run import SOURCE_DIR, Backend, Display, ProgramRun, port_443_free, wait_until  # noqa: E402

PROGRAM = os.environ.get("PELLARO_PROGRAM", "")
CLI = os.environ.get("PELLARO_CLI", "")
SKIP = 77


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

    def start(self, *args, env=None):
        self.program = ProgramRun(PROGRAM, self.display, self.root, args, env=env)
        wait_until(lambda: "Browser engine started" in self.program.text() or self.program.proc.poll() is not None,
                   "the program's browser to start", seen=lambda: self.program.text()[-3000:])
        if "Browser engine started" not in self.program.text():
            self.fail("the program ended (exit status %s) before its browser started; its output:\n%s"
                      % (self.program.proc.returncode, self.program.text()[-3000:]))

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


    def test_video_item_on_a_host_without_pins_is_shown_through_the_test_root(self):
        # No NSS database in the run's HOME: only the program's own trust of the
        # test root (a non-release build) lets the engine load the video page.
        test_root = os.path.join(SOURCE_DIR, "tests", "backend", "certs", "test-root.pem")
        link = subprocess.run([CLI, "link", "seal", "key-1", "vidshare-1", "https://api.tovrel.localhost"],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.start(link, env={"PELLARO_TEST_CA_FILE": test_root})
        embed = self.backend.wait_requests(lambda r: r["host"] == "www.vidshare.localhost" and
                                           r["path"].startswith("/embed/abc123"), "the video page's request")
        self.assertTrue(embed, self.program.text()[-2000:])
        self.assertIn("Certificate not trusted by the engine for www.vidshare.localhost: the test root's, accepted",
                      self.program.text())


if __name__ == "__main__":
    if not PROGRAM or not CLI:
        print("PELLARO_PROGRAM and PELLARO_CLI are required")
        sys.exit(1)
    if not port_443_free():
        print("skipped: port 443 is taken")
        sys.exit(SKIP)
    result = unittest.main(exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
