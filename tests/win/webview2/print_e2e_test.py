#!/usr/bin/env python3
"""Printing from a page of the real Tovrelapp.exe under Wine, against the
recording runtime: the printer picker answered as a user would (Enter or
Escape), then what the program asked of the runtime (from its log) and the one
printResult message the page received. The cases and their exact messages come
from tests/shared/print_results.json, which the Linux edition's tests read
too.

Environment: as host_e2e_test.py, plus PRINT_RESULT_CASES (Unix path).
"""
import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_e2e_test import PELLARO_CLI, Run, answer_printer_picker, registry, wine  # noqa: E402

with open(os.environ["PRINT_RESULT_CASES"], encoding="utf-8") as table:
    CASES = json.load(table)["cases"]
MESSAGE = {case["id"]: case["message"] for case in CASES}

# A printer on a USB port: physical for the picker. Nothing is spooled to it:
# the recording runtime stands in for the browser's print job.
PRINTER = "Pellaro Test Printer \u00e9"
PRINTER_KEY = "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\" + PRINTER
REQUEST = {"event": "WebMessageReceived", "message": "requestPrint"}


def add_printer():
    registry("add", PRINTER_KEY, "/v", "Name", "/t", "REG_SZ", "/d", PRINTER, "/f")
    registry("add", PRINTER_KEY, "/v", "Port", "/t", "REG_SZ", "/d", "USB001", "/f")
    registry("add", PRINTER_KEY, "/v", "Printer Driver", "/t", "REG_SZ", "/d", "Generic / Text Only", "/f")


def runtime_script(case, events):
    """The recording runtime's script for one case of the table."""
    steer = case.get("runtime", {})
    script = {"events": events}
    if "omit" in steer:
        script["omit"] = [steer["omit"]]
    if "fail" in steer:
        script["fail"] = steer["fail"]
    if "completion" in steer:
        script["printErrorCode"] = steer["completion"]["errorCode"]
        script["printStatus"] = steer["completion"]["status"]
    return script


class PrintRun(Run):
    def pick(self, key):
        """Answers the next printer picker with the key; returns the names it listed."""
        return answer_printer_picker(key, lambda: self.calls()[-6:])

    def named(self, name):
        return [line for line in self.calls() if line.get("call") == name or line.get("event") == name]

    def posted(self, count, seconds=60):
        """Waits until the page received `count` messages; returns them all."""
        self.wait_for_count("WebView.PostWebMessageAsJson", count, seconds)
        return [line["json"] for line in self.named("WebView.PostWebMessageAsJson")]

    def wait_for_count(self, name, count, seconds=60):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if len(self.named(name)) >= count:
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.2)
        raise AssertionError(f"{name} never reached {count}; log: {self.calls()}")


class Printing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        add_printer()

    @classmethod
    def tearDownClass(cls):
        registry("delete", PRINTER_KEY, "/f")

    def test_every_case_of_the_shared_table(self):
        for case in CASES:
            with self.subTest(case=case["id"]):
                run = PrintRun(self, script=runtime_script(case, [REQUEST]))
                try:
                    listed = run.pick(case["picker"])
                    self.assertIn(PRINTER, listed)
                    self.assertEqual(run.posted(1), [case["message"]])
                    self.check_calls(run, case)
                    run.close_window()
                    self.assertEqual(run.exit_code(), 0)
                    self.assertEqual(len(run.named("WebView.PostWebMessageAsJson")), 1)  # nothing came later
                finally:
                    run.kill()  # one instance per prefix: the next case needs this one gone

    def check_calls(self, run, case):
        """What the program asked of the runtime on the way to the case's message."""
        steer = case.get("runtime", {})
        printed = run.named("WebView.Print")
        if case["picker"] == "escape":
            self.assertEqual(run.named("Environment.CreatePrintSettings"), [])
            self.assertEqual(printed, [])
            return
        settings_made = steer.get("omit") != "ICoreWebView2Environment6"
        self.assertEqual(len(run.named("Environment.CreatePrintSettings")), 1 if settings_made else 0)
        named = [line["name"] for line in run.named("PrintSettings.put_PrinterName")]
        name_set = settings_made and "fail" not in steer and steer.get("omit") != "ICoreWebView2PrintSettings2"
        self.assertEqual(named, [PRINTER] if name_set else [])
        if "completion" not in steer:
            self.assertEqual(printed, [])
            return
        self.assertEqual(printed, [{"call": "WebView.Print", "printer": PRINTER}])
        completed = run.named("PrintCompleted")
        self.assertEqual(len(completed), 1)
        self.assertEqual(completed[0]["status"], steer["completion"]["status"])
        self.assertEqual(completed[0]["errorCode"], int(steer["completion"]["errorCode"], 16))
        # The page hears of the job only once it completed.
        calls = run.calls()
        self.assertLess(calls.index(completed[0]), calls.index(run.named("WebView.PostWebMessageAsJson")[0]))

    def test_requests_in_a_row_each_open_their_own_picker(self):
        run = PrintRun(self, script={"events": [REQUEST, REQUEST], "printStatus": 0})
        run.pick("escape")
        self.assertEqual(run.posted(1), [MESSAGE["cancelled"]])
        self.assertIn(PRINTER, run.pick("enter"))
        self.assertEqual(run.posted(2), [MESSAGE["cancelled"], MESSAGE["success"]])
        run.close_window()
        self.assertEqual(run.exit_code(), 0)
        # The completion handler let go of the browser and the settings: nothing leaked.
        destroyed = {line["object"] for line in run.named("Destroyed")}
        self.assertTrue({"WebView", "Controller", "Environment", "PrintSettings"} <= destroyed, destroyed)

    def test_a_job_the_browser_refuses_outright_posts_nothing(self):
        run = PrintRun(self, script={"events": [REQUEST], "fail": {"stage": "Print", "hr": "0x80070005"}})
        run.pick("enter")
        run.wait_for("call", "WebView.Print")
        run.wait_for("event", "WebMessageReceived")  # the request has returned
        run.close_window()
        self.assertEqual(run.exit_code(), 0)
        self.assertEqual(run.named("WebView.PostWebMessageAsJson"), [])

    def test_the_player_window_prints_too(self):
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "https://media.example.invalid/lesson-1.html",
                      "https://www.tovrel.localhost")
        run = PrintRun(self, argument=sealed.stdout.decode().strip().splitlines()[-1],
                       script={"events": [REQUEST], "printStatus": 1})
        self.assertIn(PRINTER, run.pick("enter"))
        self.assertEqual(run.posted(1), [MESSAGE["printer-unavailable"]])
        self.assertEqual(run.first("call", "WebView.Print")["printer"], PRINTER)
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
