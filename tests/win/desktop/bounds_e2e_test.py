#!/usr/bin/env python3
"""The real Tovrelapp.exe under Wine at a screen density (the prefix's
LogPixels, PELLARO_EXPECTED_DPI) with the recording runtime: the frames open
at their 96-DPI size scaled (no larger than the screen), and the browser's
bounds, as the runtime recorded them, are the client area in pixels, also
after the player leaves fullscreen.

Environment: as host_e2e_test.py (TOVRELAPP, PELLARO_CLI, FAKE_RUNTIME,
WIN_PROBE, WINEPREFIX), and PELLARO_EXPECTED_DPI.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "webview2"))
from host_e2e_test import PELLARO_CLI, WIN_PROBE, Run, wine  # noqa: E402

DPI = int(os.environ["PELLARO_EXPECTED_DPI"])


def scaled(value):
    return (value * DPI + 48) // 96


def rect(window_class):
    """The window's frame and client sizes and the work area's: (w, h) each."""
    probe = wine(WIN_PROBE, "rect", window_class, 30000)
    assert probe.returncode == 0, "no %s window" % window_class
    n = [int(w) for w in probe.stdout.decode().split() if w.isdigit()]
    return (n[0], n[1]), (n[2], n[3]), (n[4], n[5])


class BrowserBounds(unittest.TestCase):
    def last_bounds(self, run, settle=1.0):
        """The bounds last given to the browser, once they stop changing."""
        previous, deadline = None, time.time() + 30
        while time.time() < deadline:
            bounds = [line["bounds"] for line in run.calls() if line.get("call") == "Controller.put_Bounds"]
            if bounds and bounds[-1] == previous:
                return bounds[-1]
            previous = bounds[-1] if bounds else None
            time.sleep(settle)
        return previous

    def expect_frame(self, window_class, width, height):
        frame, client, work = rect(window_class)
        self.assertEqual(frame, (min(scaled(width), work[0]), min(scaled(height), work[1])))
        return client

    def test_home_browser_covers_the_client_area(self):
        run = Run(self)
        run.wait_for("event", "NavigationCompleted")
        client_w, client_h = self.expect_frame("PellaroInitWindow", 1024, 768)
        self.assertEqual(self.last_bounds(run), [0, 0, client_w, client_h])
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_player_leaves_fullscreen_as_a_scaled_frame(self):
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "https://media.example.invalid/a.html",
                      "https://www.tovrel.localhost")
        run = Run(self, argument=sealed.stdout.decode().strip().splitlines()[-1],
                  script={"events": [{"event": "WebMessageReceived", "message": "toggleFullscreen"},
                                     {"event": "WebMessageReceived", "message": "toggleFullscreen"}]})
        deadline = time.time() + 60
        while time.time() < deadline and \
                len([line for line in run.calls() if line.get("event") == "WebMessageReceived"]) < 2:
            time.sleep(0.3)
        client_w, client_h = self.expect_frame("Tovrel AcademyWindow", 1280, 720)
        self.assertEqual(self.last_bounds(run), [0, 0, client_w, client_h])
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
