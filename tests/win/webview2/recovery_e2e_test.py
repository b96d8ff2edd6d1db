#!/usr/bin/env python3
"""Failed engine processes and downloads in the real Tovrelapp.exe under Wine:
the recording runtime reports a failed process of each kind or a download, and
its log shows what the program asked of it in return. The reference backend
runs on port 443 with its names in a private /etc/hosts (root, as CI is), as in
policies_e2e_test.py.

Environment: as policies_e2e_test.py.
"""
import json
import os
import pathlib
import re
import sys
import tempfile
import time
import unittest

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from policies_e2e_test import enter_private_hosts  # noqa: E402

if __name__ == "__main__":
    enter_private_hosts()

from policies_e2e_test import BASE, HOME, debug_count, headers_of, seal, wait_until  # noqa: E402
import policies_e2e_test as policies  # noqa: E402
from host_e2e_test import PREFIX, Run  # noqa: E402

CAPTION = "Tovrel Academy"  # the program's notices
ITEM = "https://api.tovrel.localhost/files/lesson-7.pdf"  # an item on a backend host: shown with identity headers
SHOW_CALLS = ("WebView.Navigate", "WebView.NavigateWithWebResourceRequest", "WebView.NavigateToString",
              "WebView.Reload")
# What the program may ask of the runtime in answer to a failed process.
ANSWER_CALLS = SHOW_CALLS + ("Controller.Close", "CreateWebViewEnvironmentWithOptionsInternal",
                             "WebView.AddScriptToExecuteOnDocumentCreated")
RENDERER_EXITED, UNRESPONSIVE, BROWSER_EXITED = 1, 2, 0
RECOVERED_BY_RUNTIME = [3, 4, 5, 6, 7, 8, 9]  # a frame's renderer, utility, sandbox helper, GPU, plug-ins, unknown
PAUSE = 1500  # ms between scripted failures: time for the program's answer, which comes from its event loop


def setUpModule():
    policies.setUpModule()


def tearDownModule():
    policies.tearDownModule()


def failure(kind):
    return {"event": "ProcessFailed", "kind": kind, "pauseMs": PAUSE}


def answers_after_each_failure(calls):
    """For each ProcessFailed line, the answering calls up to the next one."""
    marks = [i for i, l in enumerate(calls) if l.get("event") == "ProcessFailed"] + [len(calls)]
    return [[l for l in calls[start + 1:end] if l.get("call") in ANSWER_CALLS or l.get("event") == "NavigationStarting"]
            for start, end in zip(marks, marks[1:])]


def serve_backend_item():
    policies.BACKEND.control("override", {"path": "/api/app/content-data", "status": 200, "body": json.dumps(
        {"data": {"type": "pdf", "url": ITEM, "watermark": "Student 4711", "item_number": 7}})})


def content_requests():
    return [r for r in policies.BACKEND.requests() if r["path"] == "/api/app/content-data"]


def unix_path(windows):
    """A path on the prefix's C: drive, as this side sees it."""
    assert windows[:3].upper() == "C:\\", windows
    return PREFIX / "drive_c" / windows[3:].replace("\\", "/")


def notices(run):
    """The notices the program has shown so far (each box's text goes to the debug output first)."""
    return debug_count(run, "MessageBox: " + CAPTION + " |")


def answer_notice(run, number):
    """Presses OK on the program's `number`th notice, once that one is open
    (the one before it is gone by then), and returns its text."""
    wait_until(lambda: notices(run) >= number, "notice %d" % number, 90, run)
    return run.answer_box(CAPTION, 1)


class FailedProcesses(unittest.TestCase):
    def test_each_kind_in_the_home_window(self):
        # Frames, GPU, utilities: the runtime copes; the page's renderer exited
        # or hung: the page is asked for again, once each.
        kinds = RECOVERED_BY_RUNTIME + [RENDERER_EXITED, UNRESPONSIVE]
        run = Run(self, debug_lines=True, script={"events": [failure(k) for k in kinds] + [
            {"event": "ReadEnvironment"}]})
        wait_until(lambda: run.first("event", "ReadEnvironment"), "every failure answered", 120, run)
        calls = run.calls()
        self.assertEqual([l["kind"] for l in calls if l.get("event") == "ProcessFailed"], kinds)
        self.assertTrue(all(l["subscribed"] for l in calls if l.get("event") == "ProcessFailed"))
        for kind, answer in zip(kinds, answers_after_each_failure(calls)):
            with self.subTest(kind=kind):
                seen = [(l.get("call") or l.get("event"), l.get("uri")) for l in answer]
                if kind in RECOVERED_BY_RUNTIME:
                    self.assertEqual(seen, [])
                else:  # the window's current address again, with its headers, in the same view
                    self.assertEqual(seen, [("WebView.NavigateWithWebResourceRequest", HOME), ("NavigationStarting", HOME)])
        self.assertEqual(debug_count(run, "Page failure: recovered by the engine; nothing to do"), len(RECOVERED_BY_RUNTIME))
        self.assertEqual(debug_count(run, "Page failure: renderer exited; showing the page again"), 1)
        self.assertEqual(debug_count(run, "Page failure: renderer unresponsive; showing the page again"), 1)
        self.assertEqual(notices(run), 0)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_player_shown_again_then_its_host_started_again_without_a_new_link_resolution(self):
        serve_backend_item()
        before = len(content_requests())
        run = Run(self, argument=seal("recovery-item"), debug_lines=True, script={
            "eventsAcrossHosts": True,
            "events": [failure(RENDERER_EXITED), failure(BROWSER_EXITED), {"event": "ReadEnvironment"}]})
        wait_until(lambda: run.first("event", "ReadEnvironment"), "the restarted host's first page", 120, run)
        calls = run.calls()
        first_show = next(l for l in calls if l.get("call") == "WebView.NavigateWithWebResourceRequest")
        self.assertEqual(first_show["uri"], ITEM)
        self.assertTrue(headers_of(first_show).get("x-device-id"), first_show)  # identity headers on the item
        environments = [l for l in calls if l.get("call") == "CreateWebViewEnvironmentWithOptionsInternal"]
        scripts = [l["script"] for l in calls if l.get("call") == "WebView.AddScriptToExecuteOnDocumentCreated"]

        renderer, browser = answers_after_each_failure(calls)[:2]
        # The renderer: the item asked for again in the same view, scripts already there.
        self.assertEqual([l.get("call") or l.get("event") for l in renderer],
                         ["WebView.NavigateWithWebResourceRequest", "NavigationStarting"])
        self.assertEqual(renderer[0], first_show)
        # The browser process: the host closed and started again in the same
        # window and data folder, the same scripts registered, the same item
        # with the same headers.
        self.assertEqual(browser[0]["call"], "Controller.Close")
        self.assertEqual(len(environments), 2)
        self.assertEqual(environments[1]["userDataFolder"], environments[0]["userDataFolder"])
        self.assertEqual(scripts[len(scripts) // 2:], scripts[:len(scripts) // 2])
        self.assertIn("Student 4711", "".join(scripts))  # the watermark, as at the first showing
        again = [l for l in browser if l.get("call") in SHOW_CALLS]
        self.assertEqual(again, [first_show])
        created = [l for l in calls if l.get("call") == "Environment.CreateCoreWebView2Controller"]
        self.assertEqual(len(created), 2)
        self.assertTrue(created[1]["parentIsWindow"])
        self.assertEqual(len(content_requests()), before + 1)  # the link was resolved once
        self.assertEqual(debug_count(run, "Browser host started again in the same window"), 1)
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)

    def test_home_window_started_again_where_it_was(self):
        where = HOME + "courses/3"
        run = Run(self, debug_lines=True, script={"eventsAcrossHosts": True, "events": [
            {"event": "NavigationStarting", "uri": where}, failure(BROWSER_EXITED), {"event": "ReadEnvironment"}]})
        wait_until(lambda: run.first("event", "ReadEnvironment"), "the restarted host's first page", 120, run)
        browser = answers_after_each_failure(run.calls())[0]
        self.assertEqual(browser[0]["call"], "Controller.Close")
        self.assertEqual([l.get("call") for l in browser].count("CreateWebViewEnvironmentWithOptionsInternal"), 1)
        shown = [l for l in browser if l.get("call") in SHOW_CALLS]
        self.assertEqual([(l["call"], l["uri"]) for l in shown], [("WebView.NavigateWithWebResourceRequest", where)])
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_a_page_that_keeps_failing_is_given_up_once(self):
        run = Run(self, debug_lines=True, script={"events": [failure(RENDERER_EXITED) for _ in range(5)]})
        text = answer_notice(run, 1)  # the third failure within a minute
        english, arabic = text.strip().split("\n")[-2:]
        self.assertTrue(english.isascii() and english, text)
        self.assertTrue(re.search("[\u0600-\u06ff]", arabic), text)
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "ProcessFailed"]) == 5,
                   "every failure reported", 60, run)
        time.sleep(PAUSE / 1000 + 1)  # the last answer would come from the event loop
        answers = answers_after_each_failure(run.calls())
        self.assertEqual([[l.get("call") for l in a if l.get("call")] for a in answers],
                         [["WebView.NavigateWithWebResourceRequest"]] * 2 + [[]] * 3)
        self.assertEqual(debug_count(run, "Page failure: renderer exited; giving up"), 1)
        self.assertEqual(debug_count(run, "Page failure: renderer exited; nothing to do"), 2)
        self.assertEqual(notices(run), 1)  # once, not again
        run.close_window()  # still closable
        self.assertEqual(run.exit_code(), 0)


class Downloads(unittest.TestCase):
    def test_backend_file_saved_and_foreign_ones_refused(self):
        name = "notes-%d-%d.pdf" % (os.getpid(), time.time_ns())  # a name no earlier run left behind
        backend_file = {"event": "DownloadStarting", "uri": "https://api.tovrel.localhost/files/" + name,
                        "name": name, "body": "academy notes"}
        events = [backend_file,
                  {"event": "DownloadStarting", "uri": "https://elsewhere.invalid/" + name + ".exe",
                   "name": name + ".exe", "body": "foreign"},
                  {"event": "DownloadStarting", "uri": "data:application/octet-stream;base64,Zm9yZWlnbg==",
                   "name": name + ".bin", "body": "foreign"},
                  {"event": "ReadEnvironment"}]
        run = Run(self, debug_lines=True, script={"events": events})
        saved_text = answer_notice(run, 1)
        saved = wait_until(lambda: run.first("event", "DownloadStateChanged"), "the download's end", 30, run)
        self.assertEqual(saved["state"], 2, saved)  # completed
        path = unix_path(saved["path"])
        self.addCleanup(lambda: path.unlink(missing_ok=True))
        self.assertEqual(path.name, name)
        self.assertEqual(path.read_text(), "academy notes")
        self.assertIn(saved["path"], saved_text)
        # Each foreign one: cancelled before a byte, with its own notice.
        for number in (2, 3):
            self.assertIn("\n", answer_notice(run, number).strip())
        wait_until(lambda: run.first("event", "ReadEnvironment"), "every download answered", 60, run)
        calls = run.calls()
        started = [l for l in calls if l.get("event") == "DownloadStarting"]
        self.assertEqual([(l["cancel"], l["handled"]) for l in started], [(False, True), (True, False), (True, False)])
        self.assertEqual(started[0]["resultFilePath"], saved["path"])
        self.assertEqual([l["value"] for l in calls if l.get("call") == "DownloadStarting.put_Cancel"], [True, True])
        self.assertEqual(len([l for l in calls if l.get("call") == "DownloadStarting.put_ResultFilePath"]), 1)
        self.assertEqual([l["uri"] for l in calls if l.get("event") == "DownloadStateChanged"], [backend_file["uri"]])
        self.assertFalse((path.parent / (name + ".exe")).exists())
        self.assertFalse((path.parent / (name + ".bin")).exists())
        time.sleep(1)
        self.assertEqual(notices(run), 3)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

        # Again: the file already there is kept, the new one takes a free name.
        run = Run(self, debug_lines=True, script={"events": [backend_file]})
        answer_notice(run, 1)
        second = wait_until(lambda: run.first("event", "DownloadStateChanged"), "the second download's end", 30, run)
        again = unix_path(second["path"])
        self.addCleanup(lambda: again.unlink(missing_ok=True))
        self.assertEqual(again.name, name[:-4] + " (1).pdf")
        self.assertEqual(again.read_text(), "academy notes")
        self.assertEqual(path.read_text(), "academy notes")
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_an_interrupted_download_leaves_nothing_and_says_so(self):
        name = "broken-%d-%d.pdf" % (os.getpid(), time.time_ns())
        run = Run(self, debug_lines=True, script={"events": [
            {"event": "DownloadStarting", "uri": "https://api.tovrel.localhost/files/" + name, "name": name,
             "interrupt": True}]})
        text = answer_notice(run, 1)
        ended = run.first("event", "DownloadStateChanged")
        self.assertEqual(ended["state"], 1)  # interrupted
        self.assertIn(name, text)
        self.assertNotIn(ended["path"], text)  # not told it was saved
        self.assertFalse(unix_path(ended["path"]).exists())  # the claimed name is given back
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_without_the_download_event_the_program_says_so(self):
        run = Run(self, debug_lines=True, script={"omit": ["ICoreWebView2_4"]})
        wait_until(lambda: run.first("event", "NavigationCompleted"), "the home page", 60, run)
        time.sleep(1)
        self.assertIsNone(run.first("call", "WebView.add_DownloadStarting"))
        self.assertEqual(debug_count(run, "Downloads: the runtime has no DownloadStarting (ICoreWebView2_4)"), 1)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
