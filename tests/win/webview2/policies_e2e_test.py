#!/usr/bin/env python3
"""The page policies of the real Tovrelapp.exe under Wine: the recording
runtime raises navigations, new windows, permissions, web messages and
requests; its log shows what the program answered. The reference backend runs
on port 443; Wine resolves its names through a private /etc/hosts, so the
test runs itself again inside its own mount namespace (root, as CI is).

Environment: as host_e2e_test.py, plus SCRIPTS_DRIVER (the builders' output
for one item) and PELLARO_SOURCE_DIR.
"""
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time
import unittest

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = pathlib.Path(os.environ.get("PELLARO_SOURCE_DIR", HERE.parents[2]))
BACKEND_NAMES = ["tovrel.localhost", "www.tovrel.localhost", "api.tovrel.localhost", "tovrel-files.localhost"]


def enter_private_hosts():
    """Runs the test file that was started again with /etc/hosts naming the backend, seen by it alone."""
    if os.environ.get("PELLARO_PRIVATE_HOSTS") == "1":
        return
    hosts = tempfile.NamedTemporaryFile("w", prefix="pellaro_hosts_", delete=False)
    hosts.write("127.0.0.1 localhost\n127.0.0.1 " + " ".join(BACKEND_NAMES) + "\n")
    hosts.close()
    env = dict(os.environ, PELLARO_PRIVATE_HOSTS="1")
    try:
        code = subprocess.call(["unshare", "--mount", "--propagation", "private", "--", "sh", "-c",
                                'mount --bind "$0" /etc/hosts && exec "$@"', hosts.name,
                                sys.executable, str(pathlib.Path(sys.argv[0]).resolve()), *sys.argv[1:]], env=env)
    finally:
        os.unlink(hosts.name)
    sys.exit(code)


if __name__ == "__main__":
    enter_private_hosts()

sys.path.insert(0, str(HERE))
sys.path.insert(0, str(SOURCE / "tests" / "e2e" / "browser"))
from harness import Backend  # noqa: E402
from host_e2e_test import PELLARO_CLI, WIN_PROBE, Run, answer_printer_picker, wine, wine_env, windows_path  # noqa: E402,E501

SCRIPTS_DRIVER = pathlib.Path(os.environ["SCRIPTS_DRIVER"])
CASES = json.loads((SOURCE / "tests" / "shared" / "browser_cases.json").read_text(encoding="utf-8"))
BASE = "https://www.tovrel.localhost"
HOME = "https://www.tovrel.localhost/"
DIRECT = "https://media.example.invalid/lesson-1.html"
PAIR_ONE = ["X-Device-Id", "X-Hardware-Id"]
PAIR_TWO = ["X-Pellaro-Device", "X-Pellaro-Hardware"]
BUILT_IN = "X-Pellaro-Client"
SHOW_CALLS = ("WebView.Navigate", "WebView.NavigateWithWebResourceRequest", "WebView.NavigateToString")
ACTION_CALLS = ("WebView.Navigate", "WebView.NavigateWithWebResourceRequest", "WebView.Reload",
                "WebView.get_CanGoBack", "WebView.GoBack", "Controller.put_Bounds", "WebView.PostWebMessageAsJson")


def setUpModule():
    global BACKEND, WORK
    WORK = tempfile.TemporaryDirectory(prefix="pellaro_policies_")
    BACKEND = Backend(WORK.name, port=443)


def tearDownModule():
    BACKEND.stop()
    WORK.cleanup()


def seal(content_id):
    sealed = wine(PELLARO_CLI, "link", "seal", "key-1", content_id, BASE)
    link = sealed.stdout.decode().strip().splitlines()[-1]
    assert link.startswith("Tovrelapp:"), sealed
    return link


def builders_output(content):
    """What the program's own builders make for this item (run under Wine)."""
    folder = pathlib.Path(tempfile.mkdtemp(prefix="pellaro_scripts_"))
    source, target = folder / "content.json", folder / "out.json"
    source.write_text(json.dumps(content), encoding="utf-8")
    done = wine(SCRIPTS_DRIVER, windows_path(source), windows_path(target), timeout=120)
    assert done.returncode == 0, done
    return json.loads(target.read_text(encoding="utf-8"))


def headers_of(line):
    return {name.lower(): value for name, value in line["headers"]}


with open(os.path.join(SOURCE, "tests", "shared", "print_results.json"), encoding="utf-8") as _table:
    PRINT_CANCELLED = next(c["message"] for c in json.load(_table)["cases"] if c["id"] == "cancelled")


def debug_count(run, text):
    return run.debug.read_text(errors="replace").count(text)


def wait_until(check, what, seconds=60, run=None):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.3)
    seen = ""
    if run is not None:
        lines = re.findall(r'OutputDebugStringA "([^"]*)', run.debug.read_text(errors="replace"))
        seen = "; debug lines: %s; last calls: %s" % ([l for l in lines if l != "\\n"][-8:], run.calls()[-5:])
    raise AssertionError("never seen: " + what + seen)


def serve_item(content, number):
    """The backend answers the sealed item with this content (and its page script)."""
    data = {"type": content["contentType"], "url": content["contentUrl"], "watermark": content["watermarkText"],
            "item_number": number}
    if content.get("pageScript"):  # a video-sharing item: the program fetches its page script
        data.update({"type": "video", "video_url": content["contentUrl"]})
        BACKEND.control("override", {"path": "/api/app/page-script/%d" % number, "status": 200,
                                     "body": content["pageScript"], "contentType": "text/javascript"})
    BACKEND.control("override", {"path": "/api/app/content-data", "status": 200, "body": json.dumps({"data": data})})


class SharedScriptCases(unittest.TestCase):
    """Settings, scripts and the first page of each shared case, as the runtime received them."""

    def test_each_window_registers_the_shared_scripts_before_its_first_page(self):
        for number, case in enumerate(CASES["scripts"], start=40):
            with self.subTest(case=case["name"]):
                content = case.get("content", {"contentType": "", "contentUrl": "", "watermarkText": "",
                                               "pageScript": ""})
                built = builders_output(content)
                home = case["window"] == "home"
                if not home:
                    serve_item(content, number)
                run = Run(self, argument=None if home else seal("shared-case-%d" % number), debug_lines=True)
                show = wait_until(lambda: next((l for l in run.calls() if l.get("call") in SHOW_CALLS), None),
                                  "the first page", run=run)
                calls = run.calls()
                before = calls[:calls.index(show)]
                scripts = [l["script"] for l in before if l.get("call") == "WebView.AddScriptToExecuteOnDocumentCreated"]
                self.assertEqual(scripts, [built[name] for name in case["expect"]["scripts"]])
                settings = {l["call"]: l["value"] for l in before if l.get("call", "").startswith("Settings.")}
                self.assertEqual(settings, {
                    "Settings.put_AreDevToolsEnabled": False, "Settings.put_AreDefaultContextMenusEnabled": False,
                    "Settings.put_IsStatusBarEnabled": False, "Settings.put_IsZoomControlEnabled": False,
                    "Settings.put_AreBrowserAcceleratorKeysEnabled": False,
                    "Settings.put_HiddenPdfToolbarItems": 2})  # the viewer's own Print hidden, Save kept
                first_script = next(i for i, l in enumerate(before)
                                    if l.get("call") == "WebView.AddScriptToExecuteOnDocumentCreated")
                self.assertTrue(all(not l.get("call", "").startswith("Settings.") for l in before[first_script:]))
                if case["expect"]["show"] == "localPage":
                    self.assertEqual(show, {"call": "WebView.NavigateToString", "html": built["playerPage"]})
                else:
                    self.assertIn(show["call"], ("WebView.Navigate", "WebView.NavigateWithWebResourceRequest"))
                    self.assertEqual(show["uri"], HOME if home else content["contentUrl"])
                run.close_window("PellaroInitWindow" if home else "Tovrel AcademyWindow")
                self.assertEqual(run.exit_code(), 0)


class SharedBridgeCases(unittest.TestCase):
    """Each shared web message does its window's action, and only that."""

    def check_window(self, window, run):
        cases = [c for c in CASES["bridge"] if c["window"] == window]

        def delivered():
            return len([l for l in run.calls() if l.get("event") == "WebMessageReceived"])

        # A print opens the printer picker, whose handler returns (and is
        # logged) only once the picker is answered: Escape, as a person would.
        for index, case in enumerate(cases):
            if case["action"] == "print":
                wait_until(lambda: delivered() >= index, "the messages before a print delivered")
                answer_printer_picker("escape", lambda: run.calls()[-6:])
        wait_until(lambda: delivered() == len(cases), "every message delivered")
        time.sleep(1)  # debug lines written inside the last handler
        calls = run.calls()
        marks = [i for i, l in enumerate(calls) if l.get("event") == "WebMessageReceived"]
        start = max(i for i, l in enumerate(calls[:marks[0]]) if l.get("event") == "NavigationCompleted")
        for case, end in zip(cases, marks):
            with self.subTest(message=case["message"]):
                self.assertEqual(calls[end]["message"], case["message"])
                done = [l for l in calls[start + 1:end] if l.get("call") in ACTION_CALLS]
                seen = [l["call"] for l in done]
                action = case["action"]
                if action == "goHome":
                    self.assertTrue([l for l in done if l.get("uri") == HOME], done)
                elif action == "goBack":
                    self.assertIn("WebView.get_CanGoBack", seen)
                elif action == "reload":
                    self.assertEqual(seen, ["WebView.Reload"])
                elif action == "toggleFullscreen":
                    self.assertIn("Controller.put_Bounds", seen)
                elif action == "print":  # the picker answered with Escape; the print line is counted below
                    self.assertEqual([l.get("json") for l in done], [PRINT_CANCELLED])
                else:  # showOnce and none touch nothing here; their debug lines are counted below
                    self.assertEqual(seen, [])
            start = end
        self.assertEqual(debug_count(run, "Print requested by the page"),
                         len([c for c in cases if c["action"] == "print"]))
        return cases

    def test_home_window(self):
        cases = [c for c in CASES["bridge"] if c["window"] == "home"]
        run = Run(self, debug_lines=True,
                  script={"events": [{"event": "WebMessageReceived", "message": c["message"]} for c in cases]})
        self.check_window("home", run)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_player_window(self):
        cases = [c for c in CASES["bridge"] if c["window"] == "player"]
        run = Run(self, debug_lines=True, argument=seal(DIRECT),
                  script={"events": [{"event": "WebMessageReceived", "message": c["message"]} for c in cases]})
        self.check_window("player", run)
        self.assertEqual(debug_count(run, "Player page loaded"), len([c for c in cases if c["action"] == "showOnce"]))
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)


class NavigationAndRequests(unittest.TestCase):
    def test_player_policy_permissions_identity_and_referer(self):
        events = [
            {"event": "NavigationStarting", "uri": "https://elsewhere.invalid/next"},
            {"event": "NewWindowRequested", "uri": "https://elsewhere.invalid/popup"},
            {"event": "NavigationStarting", "uri": DIRECT + "?t=30#notes"},
            {"event": "PermissionRequested", "uri": DIRECT, "kind": 1},
            {"event": "PermissionRequested", "uri": DIRECT, "kind": 2},
            {"event": "PermissionRequested", "uri": DIRECT, "kind": 4},
            {"event": "PermissionRequested", "uri": DIRECT, "kind": 3},
            {"event": "WebResourceRequested", "uri": "https://api.tovrel.localhost/api/app/progress"},
            {"event": "WebResourceRequested", "uri": "https://cdn.example.invalid/lib.js"},
            {"event": "WebResourceRequested", "uri": "https://www.vidshare.localhost/embed/abc123"},
        ]
        run = Run(self, argument=seal(DIRECT), script={"events": events})
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "WebResourceRequested"]) == 3,
                   "three requests")
        wait_until(lambda: [l for l in run.calls() if l.get("event") == "NavigationStarting"
                            and l["uri"] == "https://elsewhere.invalid/popup"], "the new window's navigation")
        starts = {l["uri"]: l["cancel"] for l in run.calls() if l.get("event") == "NavigationStarting"}
        self.assertEqual(starts, {DIRECT: False, "https://elsewhere.invalid/next": True,
                                  "https://elsewhere.invalid/popup": True, DIRECT + "?t=30#notes": False})
        popup = run.first("event", "NewWindowRequested")
        self.assertTrue(popup["handled"])
        self.assertFalse(popup["newWindow"])  # kept in the same view
        self.assertIn({"call": "WebView.Navigate", "uri": "https://elsewhere.invalid/popup"}, run.calls())
        states = [l["state"] for l in run.calls() if l.get("event") == "PermissionRequested"]
        self.assertEqual(states, [1, 1, 1, 2])  # the item's microphone, camera, notifications; geolocation refused

        requests = {l["uri"]: l for l in run.calls() if l.get("event") == "WebResourceRequested"}
        backend = headers_of(requests["https://api.tovrel.localhost/api/app/progress"])
        for name in PAIR_ONE:
            self.assertTrue(backend.get(name.lower()), backend)
        self.assertIn(BUILT_IN.lower(), backend)
        third = headers_of(requests["https://cdn.example.invalid/lib.js"])
        self.assertEqual(sorted(third), [BUILT_IN.lower()])  # the built-in header alone
        video = headers_of(requests["https://www.vidshare.localhost/embed/abc123"])
        self.assertEqual(video.get("referer"), BASE)  # the academy's address without its "/"
        self.assertFalse(set(video) & {n.lower() for n in PAIR_ONE + PAIR_TWO})
        self.assertFalse([l for l in requests.values() if "responseStatus" in l])
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)

    def test_identity_never_follows_a_redirect_to_another_host(self):
        stray = [["X-Device-Id", "device"], ["X-Hardware-Id", "hardware"], ["X-Pellaro-Device", "device"]]
        events = [
            # The engine follows a backend redirect and still carries the headers of the first request.
            {"event": "NavigationStarting", "uri": "https://cdn.example.invalid/landing", "redirected": True,
             "headers": stray},
            {"event": "WebResourceRequested", "uri": "https://cdn.example.invalid/after-redirect.js", "headers": stray},
            {"event": "WebResourceRequested", "uri": "https://media.example.invalid/secure-media/a.m3u8",
             "headers": stray},
            {"event": "WebResourceRequested", "uri": "https://api.tovrel.localhost/a.js", "headers": stray},
        ]
        run = Run(self, script={"events": events}, debug_lines=True)
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "WebResourceRequested"]) == 3,
                   "three requests")
        redirect = next(l for l in run.calls() if l.get("event") == "NavigationStarting" and l.get("redirected"))
        self.assertTrue(redirect["cancel"])  # stopped before its request leaves
        again = wait_until(lambda: [l for l in run.calls() if l.get("event") == "NavigationStarting"
                                    and l["uri"] == "https://cdn.example.invalid/landing" and not l.get("redirected")],
                           "the address opened afresh")
        self.assertFalse(again[0]["cancel"])
        self.assertIn({"call": "WebView.Navigate", "uri": "https://cdn.example.invalid/landing"}, run.calls())

        requests = {l["uri"]: headers_of(l) for l in run.calls() if l.get("event") == "WebResourceRequested"}
        identity = {n.lower() for n in PAIR_ONE + PAIR_TWO}
        self.assertFalse(set(requests["https://cdn.example.invalid/after-redirect.js"]) & identity)
        media = requests["https://media.example.invalid/secure-media/a.m3u8"]
        self.assertFalse({n.lower() for n in PAIR_ONE} & set(media))  # the first pair is the backend's alone
        self.assertNotEqual(media.get("x-pellaro-device"), "device")  # the second pair is the program's own
        backend = requests["https://api.tovrel.localhost/a.js"]
        self.assertNotEqual(backend.get("x-device-id"), "device")  # the backend gets the real values
        self.assertTrue(backend.get("x-device-id"))
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_host_failing_its_pins_is_answered_403_and_reported(self):
        # A host the pin list covers, outside the backend domain (a failure
        # there is the filter's to report), presenting a chain its pins refuse.
        host = "tovrel-files.localhost"
        BACKEND.control("chains", {host: "interceptor"})
        self.addCleanup(BACKEND.control, "chains", {host: "test"})
        run = Run(self, argument=seal(DIRECT), debug_lines=True,
                  script={"events": [{"event": "WebResourceRequested", "uri": "https://%s/tracker.png" % host}]})
        blocked = wait_until(lambda: run.first("event", "WebResourceRequested"), "the blocked request", 90, run)
        self.assertEqual(blocked["responseStatus"], 403)
        self.assertEqual(blocked["responseReason"], "Blocked")
        self.assertEqual(run.first("call", "Environment.CreateWebResourceResponse"),
                         {"call": "Environment.CreateWebResourceResponse", "status": 403, "reason": "Blocked",
                          "headers": "Content-Type: text/plain"})
        self.assertFalse({n.lower() for n in PAIR_ONE + PAIR_TWO} & set(headers_of(blocked)))
        # The notice is the diagnostic dialog: its code names the host, and the program ends.
        self.assertEqual(run.exit_code(seconds=120), 1)
        debug = run.debug.read_text(errors="replace")
        self.assertIn("Blocked request to %s: pins failed" % host, debug)
        code = re.search(r'Diagnostic dialog: [^|"]*\| code ([^"\\]+)', debug)
        self.assertIsNotNone(code, debug[-2000:])
        decoded = wine(PELLARO_CLI, "diag", "decode", code.group(1)).stdout.decode(errors="replace")
        self.assertIn(host, decoded)


class HostilePages(unittest.TestCase):
    """What a hostile page, frame or site could ask of the program, one finding a case."""

    def test_only_web_schemes_navigate_in_windows_frames_new_windows_and_launches(self):
        refused = ["tovrelapp://www.tovrel.localhost/x", "ms-officecmd://tovrel.localhost/open",
                   "file://www.tovrel.localhost/share/x.html"]
        refused_frames = ["filesystem:https://www.tovrel.localhost/temporary/x",
                          "view-source:https://www.tovrel.localhost/", "edge://settings", "file:///C:/"]
        allowed_frames = ["https://www.vidshare.localhost/embed/abc123", "about:srcdoc"]
        events = ([{"event": "NavigationStarting", "uri": uri} for uri in refused] +
                  [{"event": "FrameNavigationStarting", "uri": uri} for uri in refused_frames + allowed_frames] +
                  [{"event": "NewWindowRequested", "uri": "ms-officecmd://tovrel.localhost/open"},
                   {"event": "LaunchingExternalUriScheme", "uri": "ms-officecmd://tovrel.localhost/open",
                    "origin": BASE},
                   {"event": "NavigationStarting", "uri": HOME + "next"}])
        run = Run(self, script={"events": events}, debug_lines=True)  # the home window, which cancels nothing else
        wait_until(lambda: [l for l in run.calls() if l.get("event") == "NavigationStarting"
                            and l["uri"] == HOME + "next"], "the last navigation", run=run)
        starts = {l["uri"]: l["cancel"] for l in run.calls() if l.get("event") == "NavigationStarting"}
        self.assertEqual({uri: starts.get(uri) for uri in refused + [HOME + "next"]},
                         dict({uri: True for uri in refused}, **{HOME + "next": False}))
        frames = {l["uri"]: l["cancel"] for l in run.calls() if l.get("event") == "FrameNavigationStarting"}
        self.assertEqual(frames, dict({uri: True for uri in refused_frames}, **{uri: False for uri in allowed_frames}))
        popup = run.first("event", "NewWindowRequested")
        self.assertTrue(popup["handled"])
        self.assertFalse([l for l in run.calls() if l.get("call") == "WebView.Navigate" and "officecmd" in l["uri"]])
        launch = run.first("event", "LaunchingExternalUriScheme")
        self.assertEqual((launch["subscribed"], launch["cancel"]), (True, True))
        self.assertIn("Navigation refused: scheme tovrelapp is not loaded", run.debug.read_text(errors="replace"))
        # With the accelerator-key setting present, the key fallback stays out of the way.
        self.assertIsNone(run.first("call", "Controller.add_AcceleratorKeyPressed"))
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_camera_microphone_and_notifications_by_origin(self):
        cases = [("https://media.example.invalid", 2, 1),   # the item's own site
                 ("https://room.meet.localhost", 1, 1),     # the meeting service
                 ("https://api.tovrel.localhost", 4, 1),    # the academy's backend
                 ("https://attacker.cloudfront.net", 2, 2),  # a CDN anyone can publish on
                 ("https://third-party.invalid", 1, 2),
                 ("https://third-party.invalid", 4, 2),
                 ("https://media.example.invalid", 3, 2)]   # geolocation: refused, never a prompt
        run = Run(self, argument=seal(DIRECT), script={"events": [
            {"event": "PermissionRequested", "uri": origin, "kind": kind} for origin, kind, _ in cases]})
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "PermissionRequested"]) == len(cases),
                   "every permission request", run=run)
        answered = [(l["uri"], l["kind"], l["state"]) for l in run.calls() if l.get("event") == "PermissionRequested"]
        self.assertEqual(answered, cases)
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)

    def test_bridge_ignores_pages_on_hosts_the_player_may_only_visit(self):
        fake = "https://attacker.cloudfront.net/fake.html"
        run = Run(self, argument=seal(DIRECT), debug_lines=True, script={"events": [
            {"event": "NavigationStarting", "uri": fake},
            {"event": "WebMessageReceived", "message": "toggleFullscreen"},
            {"event": "WebMessageReceived", "message": "requestPrint"},
            {"event": "NavigationStarting", "uri": DIRECT + "#again"},
            {"event": "WebMessageReceived", "message": "toggleFullscreen"}]})
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "WebMessageReceived"]) == 3,
                   "three messages", run=run)
        time.sleep(1)  # debug lines written inside the last handler
        calls = run.calls()
        messages = [i for i, l in enumerate(calls) if l.get("event") == "WebMessageReceived"]
        landed = next(i for i, l in enumerate(calls) if l.get("event") == "NavigationStarting" and l["uri"] == fake)
        self.assertFalse(calls[landed]["cancel"])  # navigation there stays allowed
        untrusted = [l.get("call") for l in calls[landed:messages[1] + 1]]
        self.assertNotIn("Controller.put_Bounds", untrusted)
        self.assertEqual(debug_count(run, "Page message ignored: the top document is not trusted"), 2)
        self.assertEqual(debug_count(run, "Print requested by the page"), 0)
        # Back on the item, the same word is heard.
        self.assertIn("Controller.put_Bounds", [l.get("call") for l in calls[messages[1] + 1:messages[2] + 1]])
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)

    def test_without_the_accelerator_setting_browser_keys_are_swallowed(self):
        keys = [({"key": 0x53, "ctrl": True}, True),                 # save
                ({"key": 0x55, "ctrl": True}, True),                 # view source
                ({"key": 0x7B}, True),                               # developer tools
                ({"key": 0x49, "ctrl": True, "shift": True}, True),  # developer tools
                ({"key": 0x43, "ctrl": True}, False),                # copy stays the page's
                ({"key": 0x50, "ctrl": True}, True)]                 # print: the program's picker instead
        run = Run(self, debug_lines=True, script={"omit": ["ICoreWebView2Settings3"], "events": [
            dict(chord, event="AcceleratorKeyPressed") for chord, _ in keys]})
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "AcceleratorKeyPressed"]) == len(keys),
                   "every key", run=run)
        pressed = [l for l in run.calls() if l.get("event") == "AcceleratorKeyPressed"]
        self.assertTrue(all(l["subscribed"] for l in pressed))
        self.assertEqual([l["handled"] for l in pressed], [handled for _, handled in keys])
        answer_printer_picker("escape", lambda: run.calls()[-6:])
        wait_until(lambda: run.first("call", "WebView.PostWebMessageAsJson"), "the print answer", run=run)
        self.assertEqual(run.first("call", "WebView.PostWebMessageAsJson")["json"], PRINT_CANCELLED)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_a_message_above_the_limit_is_not_read(self):
        large = {"type": "requestPrint", "padding": "x" * 70000}
        run = Run(self, debug_lines=True, script={"events": [
            {"event": "WebMessageReceived", "message": large},
            {"event": "WebMessageReceived", "message": "btn_reload"}]})
        wait_until(lambda: run.first("call", "WebView.Reload"), "the reload after the large message", run=run)
        time.sleep(1)  # debug lines written inside the handler
        self.assertEqual(debug_count(run, "Print requested by the page"), 0)
        self.assertEqual(debug_count(run, "Page message ignored: longer than the bridge reads"), 1)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_repeated_print_requests_while_the_picker_is_open_change_nothing(self):
        # Each request is queued before the one before it is handled, so the
        # picker's own message loop delivers the repeats.
        run = Run(self, debug_lines=True, script={"events": [
            {"event": "WebMessageReceived", "message": "requestPrint", "overlapNext": True},
            {"event": "WebMessageReceived", "message": "requestPrint", "overlapNext": True},
            {"event": "WebMessageReceived", "message": "requestPrint"}]})
        wait_until(lambda: debug_count(run, "Print request ignored: the printer picker is open") == 2,
                   "the repeats ignored", run=run)
        answer_printer_picker("escape", lambda: run.calls()[-6:])
        wait_until(lambda: len([l for l in run.calls() if l.get("event") == "WebMessageReceived"]) == 3,
                   "every request handled", run=run)
        with tempfile.TemporaryFile() as out:  # no second picker is left open
            second = subprocess.run(["wine", str(WIN_PROBE), "picker", "escape", "3000"], env=wine_env(),
                                    stdout=out, stderr=subprocess.DEVNULL, timeout=60)
        self.assertNotEqual(second.returncode, 0, "a second printer picker was open")
        self.assertEqual([l["json"] for l in run.calls() if l.get("call") == "WebView.PostWebMessageAsJson"],
                         [PRINT_CANCELLED])
        self.assertEqual(debug_count(run, "Print requested by the page"), 3)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
