#!/usr/bin/env python3
"""The program itself when the engine fails it, and its downloads, against the
reference backend on port 443: the page's renderer killed while an item is
shown (the item comes back, the link is not resolved again), killed three
times within a minute (one message, no more reloads, the window still
closes), and downloads from the academy (saved, with a notice) and from other
hosts (refused, nothing written). Skipped (77) only when port 443 cannot be had."""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import header  # noqa: E402
from program_run import (SKIP, SOURCE_DIR, Backend, Display, Player, close_window, port_443_free,  # noqa: E402
                         program_env, renderer_processes, wait_until)

PROGRAM = os.environ.get("PELLARO_PROGRAM", "")
CLI = os.environ.get("PELLARO_CLI", "")
ITEM_PAGE = "/content/report.html"
GAVE_UP = "This page stopped working several times"
IDENTITY = ("X-Pellaro-Client", "X-Device-Id", "X-Pellaro-Device")


class RecoveryEndToEnd(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="pellaro-recovery-e2e-")
        self.backend = Backend(self.root, port=443)
        self.display = Display()
        self.player = None

    def tearDown(self):
        if self.player:
            self.player.kill()
            if os.environ.get("PELLARO_E2E_VERBOSE"):
                print("--- program output\n" + "\n".join(self.player.lines))
        self.display.stop()
        self.backend.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def start(self, *args):
        folder = tempfile.mkdtemp(prefix="run-", dir=self.root)
        test_root = os.path.join(SOURCE_DIR, "tests", "backend", "certs", "test-root.pem")
        self.env = program_env(self.display, folder, env={"PELLARO_TEST_CA_FILE": test_root})
        self.downloads = os.path.join(self.env["HOME"], "Downloads")
        self.player = Player(PROGRAM, args, self.env)
        self.player.wait_text("Browser engine started")

    def start_item(self):
        link = subprocess.run([CLI, "link", "seal", "key-1", "pdf-report-1", "https://www.tovrel.localhost"],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.start(link)
        self.wait_shown(1)

    # -- what the backend saw ------------------------------------------
    def requests(self, method, path):
        return [r for r in self.backend.requests() if r["method"] == method and r["path"] == path]

    def watermarked_reports(self):
        """The item page's own reports that saw the watermark on the page."""
        found = []
        for r in self.requests("POST", "/report"):
            try:
                data = json.loads(r["body"])
            except ValueError:
                continue
            if isinstance(data, dict) and data.get("page", "").endswith(ITEM_PAGE) and \
                    "pellaro-watermark" in data.get("ids", []) and "report@example.com" in data.get("bodyText", ""):
                found.append(data)
        return found

    def wait_shown(self, times):
        wait_until(lambda: len(self.watermarked_reports()) >= times,
                   "the item shown with its watermark %d time(s)" % times,
                   seen=lambda: "\n".join(self.player.lines[-15:]))

    def kill_renderers(self):
        renderers = wait_until(lambda: renderer_processes(self.player.proc.pid), "the page's renderer process")
        for pid in renderers:
            os.kill(pid, signal.SIGKILL)

    def window(self, title):
        """The program's visible window whose title matches the pattern, on the run's display."""
        return wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(self.player.proc.pid), "--name", title],
            env=self.env, capture_output=True, text=True, timeout=30).stdout.split(), "a window titled " + title)[0]

    def count_lines(self, text):
        return sum(text in line for line in list(self.player.lines))

    # -- the renderer ------------------------------------------------------
    def test_killed_renderer_shows_the_item_again_without_a_new_link_resolution(self):
        self.start_item()
        self.assertEqual(len(self.requests("PUT", "/api/app/content-data")), 1)
        self.kill_renderers()
        self.player.wait_text("Renderer process ended: killed")
        self.wait_shown(2)
        self.assertEqual(self.count_lines("Page failure: renderer exited; showing the page again"), 1)
        # The item page asked for again, with the same headers; the link not resolved again.
        pages = self.requests("GET", ITEM_PAGE)
        self.assertEqual(len(pages), 2)
        for name in IDENTITY:
            self.assertIsNotNone(header(pages[0], name), name)
            self.assertEqual(header(pages[1], name), header(pages[0], name), name)
        self.assertEqual(len(self.requests("PUT", "/api/app/content-data")), 1)
        # The page scripts ran again, the bridge with them.
        again = self.watermarked_reports()[-1]
        self.assertIn("_pellaroWatermarkAdded", again["globals"])
        self.assertTrue(again["hasWebview"])

    def test_three_deaths_within_a_minute_show_one_message_and_no_more_reloads(self):
        self.start_item()
        for shown in (2, 3):
            self.kill_renderers()
            self.wait_shown(shown)
        self.kill_renderers()
        self.player.wait_line(lambda line: line.startswith("MessageBox: ") and GAVE_UP in line)
        self.player.wait_text("Page failure: renderer exited; giving up")
        # The message leaves the window usable: it closes as usual while the message is up.
        self.window("^Tovrel Academy$")
        close_window(self.env, self.window("^Tovrel Academy V"))
        self.assertEqual(self.player.wait_exit(timeout=60), 0)
        # Everything the program did is over: three showings, one message, one link resolution.
        self.assertEqual(len(self.requests("GET", ITEM_PAGE)), 3)
        self.assertEqual(sum(GAVE_UP in line for line in self.player.lines if line.startswith("MessageBox: ")), 1)
        self.assertEqual(len(self.requests("PUT", "/api/app/content-data")), 1)

    # -- downloads ---------------------------------------------------------
    def home_page_that_clicks(self, links):
        """The home page: one link per (href, download attribute) clicked in turn."""
        anchors = "".join("<a id='l%d' href='%s'%s>link %d</a>\n" % (
            i, href, "" if download is None else " download='%s'" % download, i) for i, (href, download) in
            enumerate(links))
        self.backend.page("/", "<!doctype html><html><body>%s<script>"
                               "var n=0;function next(){var a=document.getElementById('l'+n++);"
                               "if(a){a.click();setTimeout(next,300);}}"
                               "window.addEventListener('load',function(){setTimeout(next,300);});"
                               "</script></body></html>" % anchors)

    def saved_notices(self):
        return [line for line in list(self.player.lines)
                if line.startswith("MessageBox: ") and "The file was saved to your Downloads folder" in line]

    def test_academy_files_are_saved_with_a_notice_and_overwrite_nothing(self):
        self.home_page_that_clicks([("/files/notes.pdf", ""),   # a download link
                                    ("/files/notes.pdf", None)])  # an attachment answer to a navigation
        self.start()
        wait_until(lambda: len(self.saved_notices()) >= 2, "two saved notices",
                   seen=lambda: "\n".join(self.player.lines[-15:]))
        expected = {"notes.pdf", "notes (1).pdf"}
        self.assertEqual(set(os.listdir(self.downloads)), expected)  # created when missing, no overwrite
        for name in expected:
            with open(os.path.join(self.downloads, name)) as f:
                self.assertEqual(f.read(), "file notes.pdf from www.tovrel.localhost\n")
            # The notice tells where the file went, in both languages (the box's two lines).
            path = os.path.join(self.downloads, name)
            self.assertEqual(len([line for line in self.saved_notices() if line.endswith(": " + path)]), 1,
                             self.saved_notices())
            self.assertEqual(self.count_lines("تم حفظ الملف في مجلد التنزيلات: " + path), 1)

    def test_files_from_other_hosts_are_refused_and_nothing_is_written(self):
        foreign = "https://www.vidshare.localhost/files/"
        self.home_page_that_clicks([(foreign + "linked.bin", ""),          # a download link
                                    (foreign + "answered.bin", None),      # an attachment answer
                                    ("data:application/octet-stream,abc", "made.bin")])  # made by the page
        self.start()
        refused = wait_until(lambda: [line for line in list(self.player.lines)
                                      if line.startswith("Download refused: ")] if self.count_lines(
            "Download refused: ") >= 3 else None, "three refused downloads",
            seen=lambda: "\n".join(self.player.lines[-15:]))
        self.assertEqual(len(refused), 3, refused)
        self.assertEqual(self.count_lines("A download from www.vidshare.localhost was refused"), 2)
        self.assertEqual(self.count_lines("A download from data: was refused"), 1)
        self.assertFalse(os.path.exists(self.downloads) and os.listdir(self.downloads))
        written = [name for _, _, names in os.walk(self.env["HOME"]) for name in names
                   if name.startswith(("linked", "answered", "made"))]
        self.assertEqual(written, [])
        self.assertEqual(self.count_lines("Download saved: "), 0)


if __name__ == "__main__":
    if not PROGRAM or not CLI:
        print("PELLARO_PROGRAM and PELLARO_CLI are required")
        sys.exit(1)
    if not port_443_free():
        print("skipped: port 443 is taken")
        sys.exit(SKIP)
    result = unittest.main(exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
