#!/usr/bin/env python3
"""Printing through the program itself: tovrelapp opens a sealed link to a PDF
item from the reference backend on port 443 (the built-in addresses have no
port), and the printing cases of test_printing.py drive it with Ctrl+P, the
page's print button and the printer picker against a private CUPS server.
Exits 77 (skipped) only when port 443 cannot be had."""
import os
import shutil
import subprocess
import sys
import hashlib
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, ".."))
import test_printing  # noqa: E402
from program_run import SOURCE_DIR, Backend, port_443_free, wait_until  # noqa: E402

PROGRAM = os.environ.get("PELLARO_PROGRAM", "")
CLI = os.environ.get("PELLARO_CLI", "")
SKIP = 77
PDF_PATH = "/content/sample.pdf"
BUTTON_BLUE = (33, 150, 243)  # the print button's fill
VIEWER_TOOLBAR = (50, 54, 57)  # the PDF viewer's toolbar, shown once the document is laid out


def capture(test, wid, *args):
    """The window read with ImageMagick's import, or b"" when that hangs: like a
    search, it can hang on a window that changes while it is read."""
    try:
        return subprocess.run(["import", "-window", wid, *args], env=test.env(), capture_output=True,
                              timeout=20).stdout
    except subprocess.TimeoutExpired:
        return b""


def pixel(test, wid, x, y):
    """The colour at (x, y) of a window."""
    out = capture(test, wid, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").decode()
    for line in out.splitlines():
        if line.startswith("0,0:") and "(" in line:
            values = line.split("(", 1)[1].split(")", 1)[0].split(",")
            return tuple(int(float(v)) for v in values[:3])
    return None


def near(colour, expected, tolerance=24):
    return bool(colour) and all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def window_digest(test, wid):
    """A digest of what the window shows now."""
    shown = capture(test, wid, "-depth", "8", "rgb:-")
    return hashlib.sha256(shown).hexdigest() if shown else None


def pdf_item_ready(backend, pdf_requests_before):
    """Waits until the player fetched the PDF again and painted the print button
    over it: the page and its scripts are in place."""
    def ready(test, player):
        fetched = wait_until(lambda: len([r for r in backend.requests() if r["path"] == PDF_PATH])
                             > pdf_requests_before[0], "the player to fetch the PDF", test_printing.TIMEOUT,
                             seen=lambda: player.lines[-20:])
        test.assertTrue(fetched, "the player did not fetch the PDF; saw %s" % player.lines[-20:])
        pdf_requests_before[0] = len([r for r in backend.requests() if r["path"] == PDF_PATH])

        def button_painted():
            wid = test.find_player_window(player)
            size = wid and test.window_size(wid)
            if not size:
                return False
            # Below the glyph in the button's middle.
            colour = pixel(test, wid, size[0] - 48, size[1] - 32)
            return near(colour, BUTTON_BLUE)
        test.assertTrue(wait_until(button_painted, "the print button", test_printing.TIMEOUT),
                        "the print button never showed")

        def laid_out():
            # The viewer lays out the document after the frame is painted: its toolbar
            # shows and the window stops changing.
            if not near(pixel(test, player.window, 5, 5), VIEWER_TOOLBAR, 6):  # not the darker loading page
                return False
            before = window_digest(test, player.window)
            time.sleep(0.5)
            return before is not None and before == window_digest(test, player.window)
        wait_until(laid_out, "the viewer to lay out its page", test_printing.TIMEOUT)
    return ready


class PdfItem(test_printing.PrintingTest):
    """What only a PDF item of the player has: its print button, and the job is the document."""

    def test_print_button_in_the_page_reaches_the_program(self):
        before = len(self.listener.jobs)
        player = self.start_print()
        windows = self.visible_windows()
        player.click_print_button(self)
        wid = self.wait_for_dialog(set())
        time.sleep(1)  # an engine window would show up together with ours
        self.assertEqual(self.visible_windows() - windows, {wid}, "windows other than the picker opened")
        self.press(wid, "Return")
        self.assertEqual(player.next_line("printResult: "), test_printing.SUCCESS)
        self.assertEqual(len(self.listener.wait_for_jobs(before + 1, test_printing.TIMEOUT)), before + 1)

    def test_job_is_the_document(self):
        self.assertTrue(shutil.which("pdftotext"), "pdftotext (poppler-utils) is missing: run scripts/install-deps.sh")
        before = len(self.listener.jobs)
        player = self.start_print()
        self.press(self.request_dialog(player, set()), "Return")
        self.assertEqual(player.next_line("printResult: "), test_printing.SUCCESS)
        job = self.listener.wait_for_jobs(before + 1, test_printing.TIMEOUT)[-1]
        text = subprocess.run(["pdftotext", "-", "-"], input=job, capture_output=True, timeout=60).stdout
        self.assertIn(b"Tovrel Academy sample document", text)


# The print driver's listing mode has no counterpart in the player.
DRIVER_ONLY = {"test_lists_physical_printers_default_first"}


def load_cases(names):
    loader = unittest.TestLoader()
    if names:
        return loader.loadTestsFromNames(names, sys.modules[__name__])
    suite = unittest.TestSuite(test_printing.PrintingTest(name)
                               for name in loader.getTestCaseNames(test_printing.PrintingTest)
                               if name not in DRIVER_ONLY)
    suite.addTests(PdfItem(name) for name in sorted(vars(PdfItem)) if name.startswith("test_"))
    return suite


def main():
    if not PROGRAM or not CLI:
        print("PELLARO_PROGRAM and PELLARO_CLI are required")
        return 1
    if not port_443_free():
        print("skipped: port 443 is taken or cannot be bound")
        return SKIP
    root = tempfile.mkdtemp(prefix="pellaro-program-print-")
    try:
        try:
            backend = Backend(root, port=443)
        except RuntimeError as error:
            if port_443_free():
                print("the reference backend did not start:", error)
                return 1
            print("skipped: port 443 was taken after all;", error)
            return SKIP
        try:
            link = subprocess.run([CLI, "link", "seal", "print-link-key", "pdf-1", "https://api.tovrel.localhost"],
                                  capture_output=True, text=True, check=True).stdout.strip()
            # Private folders for the player; test_printing adds a private HOME.
            for name in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
                os.environ[name] = os.path.join(root, name.lower())
                os.makedirs(os.environ[name], exist_ok=True)
            os.environ["XDG_RUNTIME_DIR"] = os.path.join(root, "run")
            os.makedirs(os.environ["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
            os.environ["PELLARO_TEST_CA_FILE"] = os.path.join(SOURCE_DIR, "tests", "backend", "certs",
                                                              "test-root.pem")
            test_printing.PLAYER = [PROGRAM, link]
            test_printing.PLAYER_READY = pdf_item_ready(backend, [0])
            result = unittest.TextTestRunner(verbosity=2).run(load_cases(sys.argv[1:]))
            return 0 if result.wasSuccessful() else 1
        finally:
            backend.stop()
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
