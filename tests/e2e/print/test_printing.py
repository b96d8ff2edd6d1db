"""End to end: the printer picker and print jobs against a private CUPS server.

A socket printer on loopback captures the job bytes; a file printer (a virtual
queue) must never be offered. The picker is driven with real key presses.

Print requests come from the print driver (a web view with a page) or, with
--player "COMMAND ARGS...", from a running player: each request is the key
press given by --request-key (default ctrl+p) in the player's window, and the
results are the "printResult: " lines of its debug output."""
import argparse
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from displays import XDisplay  # noqa: E402
from private_cups import JobListener, PrivateCups  # noqa: E402
from program_run import Player  # noqa: E402
from waiting import wait_until  # noqa: E402

DRIVER = None
PLAYER = None        # the player's command line, when testing the player itself
PLAYER_WINDOW = "Tovrel Academy"  # the title the player's window begins with
PLAYER_READY = None  # player mode: called with (test, player) before the first request
REQUEST_KEY = "ctrl+p"
TIMEOUT = 120  # generous: a loaded 2-core machine starts Chromium slowly

# The messages both editions post, from the table the Windows tests read too.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared",
                       "print_results.json"), encoding="utf-8") as _table:
    _MESSAGES = {case["id"]: case["message"] for case in json.load(_table)["cases"]}
CANCELLED = _MESSAGES["cancelled"]
SUCCESS = _MESSAGES["success"]
UNAVAILABLE = _MESSAGES["printer-unavailable"]

PAGE = """<!doctype html><html><head><title>Printing lesson</title></head><body>
<h1>Lesson 4: Printing</h1><p>This page is printed on a physical printer.</p>
<script>
window.receivedResults = [];
window.addEventListener('message', e => window.receivedResults.push(e.data));
</script></body></html>"""


class PrintDriver(Player):
    """One run of the driver (or the player), both its output streams followed."""

    reports_page = True  # the driver also says what the page received

    def __init__(self, args, env, command=None):
        command = command or [DRIVER]
        super().__init__(command[0], command[1:] + args, env, both_streams=True)

    def next_line(self, prefix, timeout=TIMEOUT):
        return super().next_line(prefix, timeout)

    def said(self):
        """Its exit status and last lines so far, for a failure message."""
        with self.cond:
            return "exit status %s; last lines %s" % (self.proc.poll(), self.lines[-30:])

    def request(self, test):
        """The driver makes its requests itself, one after the other."""

    def finish(self):
        if PLAYER:
            self.proc.terminate()
        try:
            return self.proc.wait(timeout=TIMEOUT)
        finally:
            self.kill()


class PlayerRun(PrintDriver):
    """The integrated player showing a printable item."""

    reports_page = False

    def __init__(self, env):
        super().__init__([], env, command=list(PLAYER))
        self.window = None

    def request(self, test):
        test.xdotool("windowfocus", "--sync", self.window)
        test.xdotool("key", "--clearmodifiers", REQUEST_KEY)

    def click_print_button(self, test):
        """The page's round print button: 48 px, 24 px from the bottom right corner."""
        width, height = test.window_size(self.window)
        test.xdotool("mousemove", "--window", self.window, str(width - 48), str(height - 48))
        test.xdotool("click", "1")


class PrintingTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="pellaro-print-page-")
        cls.page = os.path.join(cls.folder, "lesson.html")
        with open(cls.page, "w") as f:
            f.write(PAGE)
        cls.display = XDisplay("1280x800")
        cls.cups = PrivateCups()
        cls.listener = JobListener()
        try:
            cls.cups.start()
            cls.cups.add_printer("Office", f"socket://127.0.0.1:{cls.listener.port}")
            cls.cups.add_printer("Archive", f"socket://127.0.0.1:{cls.listener.port}")
            cls.cups.add_printer("Null", "file:/dev/null")
            cls.cups.run("lpadmin", "-d", "Office")
        except Exception:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.cups.stop()
        cls.listener.close()
        cls.display.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def env(self):
        env = self.cups.env()
        env["DISPLAY"] = self.display.name
        env["QT_QPA_PLATFORM"] = "xcb"
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        env["QTWEBENGINE_CHROMIUM_FLAGS"] = "--disable-gpu"
        env.setdefault("XDG_RUNTIME_DIR", self.folder)
        return env

    def xdotool(self, *args, timeout=60):
        return subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True,
                              timeout=timeout).stdout.split()

    def wait_for_dialog(self, known, timeout=TIMEOUT):
        """The id of a visible picker window not seen before."""
        def new_picker():
            try:
                found = self.xdotool("search", "--onlyvisible", "--name", "^Select Printer$", timeout=10)
            except subprocess.TimeoutExpired:  # see find_player_window
                return None
            return next((wid for wid in found if wid not in known), None)
        wid = wait_until(new_picker, "the printer picker to open", timeout)
        known.add(wid)
        return wid

    def visible_windows(self):
        return set(self.xdotool("search", "--onlyvisible", "--name", "."))

    def window_size(self, wid):
        """(width, height), or None once the window is gone."""
        size = {}
        for word in self.xdotool("getwindowgeometry", "--shell", wid):
            name, _, value = word.partition("=")
            if name in ("WIDTH", "HEIGHT"):
                size[name] = int(value)
        return (size["WIDTH"], size["HEIGHT"]) if len(size) == 2 else None

    def request_dialog(self, driver, known, before=None):
        """Makes one print request and returns the picker it opened. In the
        player the picker must be the only window the request shows: no
        preview or print window of the engine."""
        if not PLAYER:
            driver.request(self)
            return self.wait_for_dialog(known)
        before = self.visible_windows() if before is None else before
        driver.request(self)
        wid = self.wait_for_dialog(known)
        time.sleep(1)  # an engine window would show up together with ours
        self.assertEqual(self.visible_windows() - before, {wid}, "windows other than the picker opened")
        return wid

    def press(self, wid, key):
        self.xdotool("windowfocus", "--sync", wid)
        self.xdotool("key", "--clearmodifiers", "--window", "0", key)

    def start_print(self, requests=1):
        if PLAYER:
            return self.start_player()
        driver = PrintDriver(["print", "file://" + self.page, "--requests", str(requests)], self.env())
        self.addCleanup(driver.finish)
        driver.next_line("page loaded")
        return driver

    def start_player(self):
        player = PlayerRun(self.env())
        self.addCleanup(player.finish)
        wait_until(lambda: self.find_player_window(player), "the player's window", TIMEOUT, seen=player.said)
        if PLAYER_READY:
            PLAYER_READY(self, player)
        return player

    def find_player_window(self, player):
        """The player's visible main window; windows come and go while it starts."""
        try:
            # A search can hang on a window that goes away while it is read.
            found = self.xdotool("search", "--onlyvisible", "--pid", str(player.proc.pid),
                                 "--name", "^" + PLAYER_WINDOW, timeout=10)
        except subprocess.TimeoutExpired:
            return None
        for wid in reversed(found):
            if self.window_size(wid):
                player.window = wid
                return wid
        return None

    def completed_jobs(self):
        out = self.cups.run("lpstat", "-W", "all", "-o")
        return [line for line in out.splitlines() if line.strip()]

    # The driver's listing mode (the player has none; the picker cases cover
    # what it offers, and program_printing.py leaves this case out).
    def test_lists_physical_printers_default_first(self):
        driver = PrintDriver(["list"], self.env())
        printers = []
        while (line := driver.next_line("")) != "end of list":
            if line.startswith("printer: "):
                printers.append(line[len("printer: "):].split("\t"))
        self.assertEqual(driver.finish(), 0)
        self.assertEqual([p[0] for p in printers], ["Office", "Archive"])
        self.assertEqual([p[2] for p in printers], ["default", "-"])
        self.assertEqual(printers[0][1], f"socket://127.0.0.1:{self.listener.port}")

    def test_enter_prints_on_the_chosen_printer(self):
        before = len(self.listener.jobs)
        driver = self.start_print()
        self.press(self.request_dialog(driver, set()), "Return")
        self.assertEqual(driver.next_line("printResult: "), SUCCESS)
        jobs = self.listener.wait_for_jobs(before + 1, TIMEOUT)
        self.assertEqual(len(jobs), before + 1)
        self.assertTrue(jobs[-1].startswith(b"%PDF-"), jobs[-1][:32])
        self.assertIn(b"%%EOF", jobs[-1][-1024:])
        if driver.reports_page:
            self.assertEqual(json.loads(driver.next_line("page received: ")), [json.loads(SUCCESS)])
            self.assertEqual(driver.finish(), 0)

    def test_escape_cancels_without_a_job(self):
        before_jobs = self.completed_jobs()
        before_bytes = len(self.listener.jobs)
        driver = self.start_print()
        self.press(self.request_dialog(driver, set()), "Escape")
        self.assertEqual(driver.next_line("printResult: "), CANCELLED)
        if driver.reports_page:
            self.assertEqual(json.loads(driver.next_line("page received: ")), [json.loads(CANCELLED)])
            self.assertEqual(driver.finish(), 0)
        self.assertEqual(self.completed_jobs(), before_jobs)
        self.assertEqual(len(self.listener.jobs), before_bytes)

    def test_queue_stopped_after_selection_is_unavailable(self):
        before = self.completed_jobs()
        driver = self.start_print()
        wid = self.request_dialog(driver, set())
        self.cups.run("cupsdisable", "Office")
        self.addCleanup(self.cups.run, "cupsenable", "Office")
        self.press(wid, "Return")
        self.assertEqual(driver.next_line("printResult: "), UNAVAILABLE)
        if driver.reports_page:
            self.assertEqual(driver.finish(), 0)
        self.assertEqual(self.completed_jobs(), before)

    def test_each_request_opens_its_own_dialog(self):
        before = len(self.listener.jobs)
        office_before = self.cups.run("lpstat", "-W", "all", "-o", "Office")
        driver = self.start_print(requests=2)
        known = set()
        self.press(self.request_dialog(driver, known), "Escape")
        self.assertEqual(driver.next_line("printResult: "), CANCELLED)
        second = self.request_dialog(driver, known)
        self.press(second, "Down")  # the second card: Archive
        self.press(second, "Return")
        self.assertEqual(driver.next_line("printResult: "), SUCCESS)
        if driver.reports_page:
            self.assertEqual(json.loads(driver.next_line("page received: ")),
                             [json.loads(CANCELLED), json.loads(SUCCESS)])
        self.assertEqual(len(self.listener.wait_for_jobs(before + 1, TIMEOUT)), before + 1)
        # The job went to the second card's queue, whatever state it is in now.
        self.assertIn("Archive-", self.cups.run("lpstat", "-W", "all", "-o", "Archive"))
        self.assertEqual(self.cups.run("lpstat", "-W", "all", "-o", "Office"), office_before)
        if driver.reports_page:
            self.assertEqual(driver.finish(), 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--driver", help="the print driver executable")
    parser.add_argument("--player", help="the player's command line, e.g. 'tovrelapp LINK'")
    parser.add_argument("--request-key", default=REQUEST_KEY)
    options, rest = parser.parse_known_args()
    if not options.driver and not options.player:
        parser.error("--driver or --player is required")
    DRIVER = options.driver
    PLAYER = shlex.split(options.player) if options.player else None
    REQUEST_KEY = options.request_key
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
