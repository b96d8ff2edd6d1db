#!/usr/bin/env python3
"""The real Tovrelapp.exe under Wine against the recording runtime: what the
program asked of the browser runtime (from the runtime's log), what the user
read in the boxes it showed, and how it ended.

Environment: TOVRELAPP, PELLARO_CLI, FAKE_RUNTIME, WIN_PROBE, PLANTED_PROGRAM (Unix paths), WINEPREFIX.
The cases run one after another: the program allows one instance per prefix.
"""
import base64
import getpass
import json
import os
import pathlib
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import unittest

TOVRELAPP = pathlib.Path(os.environ["TOVRELAPP"])
PELLARO_CLI = pathlib.Path(os.environ["PELLARO_CLI"])
FAKE_RUNTIME = pathlib.Path(os.environ["FAKE_RUNTIME"])
WIN_PROBE = pathlib.Path(os.environ["WIN_PROBE"])
PLANTED_PROGRAM = pathlib.Path(os.environ.get("PLANTED_PROGRAM", ""))
PREFIX = pathlib.Path(os.environ["WINEPREFIX"])
LOCAL_APPDATA = PREFIX / "drive_c" / "users" / getpass.getuser() / "AppData" / "Local"
CLIENT_ID = "{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}"
RUNTIME_VERSION = "150.0.1000.7"
# Web security off, and no proxy: the engine takes the pin pre-check's road.
TAIL = " --disable-web-security --disable-site-isolation-trials --no-proxy-server"
IDOK, IDNO = 1, 7


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def wine_env(extra=None):
    env = dict(os.environ)
    env.update({"WINEPREFIX": str(PREFIX), "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="})
    env.update(extra or {})
    return env


def wine(*args, timeout=60, env=None):
    return subprocess.run(["wine", *map(str, args)], env=wine_env(env), capture_output=True, timeout=timeout)


def answer_printer_picker(key, log_tail):
    """Answers the next printer picker with the key (enter or escape); returns
    the names it listed. log_tail() says what the runtime did, for failures."""
    # Output through a file, not a pipe: a Wine service the probe happens to
    # start would inherit a pipe and keep it open long after the probe ended.
    with tempfile.TemporaryFile() as out:
        try:
            probe = subprocess.run(["wine", str(WIN_PROBE), "picker", key, "60000"], env=wine_env(),
                                   stdout=out, stderr=subprocess.DEVNULL, timeout=120)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the picker probe did not end; log ends: {log_tail()}")
        out.seek(0)
        listed = out.read().decode("utf-8").replace("\r\n", "\n").splitlines()
    if probe.returncode != 0:
        raise AssertionError(f"no printer picker appeared; log ends: {log_tail()}")
    return listed


def registry(*args):
    wine("reg", *args, timeout=60)


class Run:
    """One start of the program in its own folder, with the runtime beside it or not."""

    def __init__(self, test, fixed=True, script=None, env=None, debug_lines=False, argument=None, cwd=None,
                 plant=None):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="pellaro_host_"))
        test.addCleanup(shutil.rmtree, self.folder, True)
        shutil.copy(TOVRELAPP, self.folder / "Tovrelapp.exe")
        for name, program in (plant or {}).items():  # other programs beside the player
            shutil.copy(program, self.folder / name)
        self.runtime = self.folder / "WebView2Runtime"
        if fixed:
            shutil.copytree(FAKE_RUNTIME, self.runtime)
        self.log = self.folder / "calls.jsonl"
        script_file = self.folder / "script.json"
        script_file.write_text(json.dumps(script or {}))
        variables = {"PELLARO_FAKE_WEBVIEW2_LOG": windows_path(self.log),
                     "PELLARO_FAKE_WEBVIEW2_SCRIPT": windows_path(script_file)}
        variables.update(env or {})
        self.debug = self.folder / "debug.txt"
        if debug_lines:  # the program's debug lines, as Wine reports them (and any channel `env` adds)
            variables["WINEDEBUG"] = "-all,+debugstr" + variables.pop("WINEDEBUG_EXTRA", "")
        with open(self.debug, "wb") as sink:
            command = ["wine", str(self.folder / "Tovrelapp.exe")] + ([argument] if argument else [])
            self.process = subprocess.Popen(command, env=wine_env(variables), cwd=cwd,
                                            stdout=subprocess.DEVNULL, stderr=sink)
        test.addCleanup(self.kill)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def calls(self):
        if not self.log.exists():
            return []
        return [json.loads(line) for line in self.log.read_text().splitlines() if line.strip()]

    def first(self, key, value):
        return next((line for line in self.calls() if line.get(key) == value), None)

    def wait_for(self, key, value, seconds=60):
        deadline = time.time() + seconds
        while time.time() < deadline:
            line = self.first(key, value)
            if line is not None:
                return line
            if self.process.poll() is not None:
                break
            time.sleep(0.2)
        raise AssertionError(f"{key}={value} never recorded; log: {self.calls()}")

    def answer_box(self, caption, button, seconds=60):
        probe = wine(WIN_PROBE, "box", caption, button, seconds * 1000, timeout=seconds + 30)
        if probe.returncode != 0:
            raise AssertionError(f"no '{caption}' box appeared")
        return probe.stdout.decode("utf-8").replace("\r\n", "\n")

    def close_window(self, window_class="PellaroInitWindow"):
        assert wine(WIN_PROBE, "close", window_class, 30000).returncode == 0, "window not found"

    def exit_code(self, seconds=60):
        return self.process.wait(timeout=seconds)


def data_folder(kind):
    return "C:\\users\\" + getpass.getuser() + "\\AppData\\Local\\Tovrel Academy\\WebView2Data_" + kind + "_Env5"


class HomeRoad(unittest.TestCase):
    def test_fixed_runtime_reaches_a_ready_browser_and_closes_it(self):
        inherited = {"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER": "C:\\elsewhere", "WEBVIEW2_USER_DATA_FOLDER": "C:\\elsewhere",
                     "WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS": "--remote-debugging-port=9222",
                     "WEBVIEW2_RELEASE_CHANNEL_PREFERENCE": "1", "WEBVIEW2_CHANNEL_SEARCH_KIND": "1",
                     "WEBVIEW2_RELEASE_CHANNELS": "0,1,2"}
        run = Run(self, env=inherited, script={"events": [{"event": "ReadEnvironment"}]})
        run.wait_for("event", "NavigationCompleted")
        create = run.first("call", "CreateWebViewEnvironmentWithOptionsInternal")
        self.assertEqual(create["runtimeType"], 1)
        self.assertEqual(create["userDataFolder"], data_folder("Fixed"))
        arguments = create["options"]["additionalBrowserArguments"]
        self.assertTrue(arguments.endswith(TAIL), arguments)
        self.assertEqual(create["options"]["targetCompatibleBrowserVersion"], "149.0.4022.49")
        # Inherited settings have no effect: ours replace them or they are gone.
        self.assertEqual(create["environment"], {
            "WEBVIEW2_USER_DATA_FOLDER": data_folder("Fixed"),
            "WEBVIEW2_BROWSER_EXECUTABLE_FOLDER": windows_path(run.runtime),
            "WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS": arguments,
            "WEBVIEW2_RELEASE_CHANNEL_PREFERENCE": None, "WEBVIEW2_CHANNEL_SEARCH_KIND": None,
            "WEBVIEW2_RELEASE_CHANNELS": None})
        # Once the environment exists none of them is left for a program started later.
        self.assertEqual(run.wait_for("event", "ReadEnvironment")["variables"], {})
        # The first navigation: the home address, with the built-in headers.
        navigation = run.first("call", "WebView.NavigateWithWebResourceRequest")
        self.assertIsNotNone(navigation)
        self.assertTrue(navigation["uri"].startswith("https://"), navigation)
        self.assertTrue(navigation["headers"], navigation)
        self.assertEqual(run.first("event", "NavigationStarting")["uri"], navigation["uri"])
        self.assertEqual(run.first("call", "Controller.put_DefaultBackgroundColor")["argb"], [255, 18, 18, 18])
        self.assertFalse(run.first("call", "Controller.put_AllowExternalDrop")["value"])

        run.close_window()
        self.assertEqual(run.exit_code(), 0)
        calls = [line.get("call") or line.get("event") for line in run.calls()]
        for expected in ("Controller.Close", "BrowserProcessExited", "Environment.remove_BrowserProcessExited"):
            self.assertIn(expected, calls)
        destroyed = {line["object"] for line in run.calls() if line.get("call") == "Destroyed"}
        self.assertEqual(destroyed, {"Environment", "Controller", "WebView"})  # nothing leaked

    def test_left_out_interfaces_fall_back(self):
        run = Run(self, script={"omit": ["ICoreWebView2_2", "ICoreWebView2_22", "ICoreWebView2Environment5",
                                         "ICoreWebView2Controller2", "ICoreWebView2Controller4"]})
        run.wait_for("event", "NavigationCompleted")
        self.assertIsNotNone(run.first("call", "WebView.Navigate"))  # no request object without ICoreWebView2_2
        self.assertIsNotNone(run.first("call", "WebView.AddWebResourceRequestedFilter"))
        self.assertIsNone(run.first("call", "Controller.put_DefaultBackgroundColor"))
        self.assertIsNone(run.first("call", "Environment.add_BrowserProcessExited"))
        run.close_window()
        self.assertEqual(run.exit_code(), 0)


class LinkRoad(unittest.TestCase):
    def test_content_link_reaches_a_ready_player_with_its_first_navigation(self):
        address = "https://media.example.invalid/lesson-1.html"
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", address, "https://www.tovrel.localhost")
        link = sealed.stdout.decode().strip().splitlines()[-1]
        self.assertTrue(link.startswith("Tovrelapp:"), sealed)
        run = Run(self, argument=link)
        run.wait_for("event", "NavigationCompleted")
        create = run.first("call", "CreateWebViewEnvironmentWithOptionsInternal")
        self.assertEqual(create["userDataFolder"], data_folder("Fixed"))
        self.assertTrue(create["options"]["additionalBrowserArguments"].endswith(TAIL))
        first = next(line for line in run.calls()
                     if line.get("call") in ("WebView.Navigate", "WebView.NavigateWithWebResourceRequest",
                                             "WebView.NavigateToString"))
        self.assertEqual(first, {"call": "WebView.Navigate", "uri": address})
        self.assertEqual(run.first("event", "NavigationStarting")["uri"], address)
        self.assertTrue(run.first("call", "WebView.AddScriptToExecuteOnDocumentCreated"))
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)
        # The environment made while the link was resolved is the window's: one start only.
        creations = [line for line in run.calls() if line.get("call") == "CreateWebViewEnvironmentWithOptionsInternal"]
        self.assertEqual(len(creations), 1, creations)

    def test_environment_is_created_before_link_resolution_ends(self):
        # The link's backend accepts the connection and never answers, so the
        # link resolution is still under way while the log is read.
        server = socket.socket()
        server.bind(("127.0.0.1", 0))
        server.listen(8)
        held = []
        self.addCleanup(lambda: [connection.close() for connection in held + [server]])

        def hold():
            while True:
                try:
                    held.append(server.accept()[0])
                except OSError:
                    return
        threading.Thread(target=hold, daemon=True).start()
        base = "https://127.0.0.1:%d" % server.getsockname()[1]
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "lesson-1", base)
        run = Run(self, argument=sealed.stdout.decode().strip().splitlines()[-1], debug_lines=True)

        deadline = time.time() + 60
        while time.time() < deadline and not held and run.process.poll() is None:
            time.sleep(0.2)
        self.assertTrue(held, "the link's backend call never came")
        debug = run.debug.read_text(errors="replace")
        self.assertIn("ParseSchemeArgs called", debug)
        completed = run.wait_for("call", "EnvironmentCompleted", seconds=20)
        self.assertEqual(completed["result"], "0x00000000")
        debug = run.debug.read_text(errors="replace")
        self.assertNotIn("ParseSchemeArgs succeeded", debug)
        self.assertNotIn("ParseSchemeArgs failed", debug)
        # The window's host comes only after the link: no controller yet.
        self.assertIsNone(run.first("call", "Environment.CreateCoreWebView2Controller"))
        self.assertIn("Browser engine warm-up: starting", debug)


class PageAndWindowEvents(unittest.TestCase):
    def test_events_reach_the_policies_and_the_window_keeps_the_browser_in_step(self):
        run = Run(self, script={"events": [
            {"event": "WebMessageReceived", "message": "btn_reload"},
            {"event": "NewWindowRequested", "uri": "https://www.tovrel.localhost/popup"},
            {"event": "PermissionRequested", "uri": "https://www.tovrel.localhost/", "kind": 1},
            {"event": "PermissionRequested", "uri": "https://www.tovrel.localhost/", "kind": 3},
            {"event": "WebResourceRequested", "uri": "http://example.invalid/a.png", "context": 3}]})
        run.wait_for("event", "WebResourceRequested")
        self.assertIsNotNone(run.first("call", "WebView.Reload"))
        popup = run.first("event", "NewWindowRequested")
        self.assertTrue(popup["handled"])
        self.assertIn("https://www.tovrel.localhost/popup",
                      [line["uri"] for line in run.calls() if line.get("call") == "WebView.Navigate"])
        states = [line["state"] for line in run.calls() if line.get("event") == "PermissionRequested"]
        self.assertEqual(states, [1, 2])  # the academy's microphone allowed, geolocation refused outright
        self.assertNotIn("responseStatus", run.first("event", "WebResourceRequested"))

        def post(message, wparam, lparam):
            before = len(run.calls())
            self.assertEqual(wine(WIN_PROBE, "post", "PellaroInitWindow", message, wparam, lparam).returncode, 0)
            deadline = time.time() + 20
            while len(run.calls()) == before and time.time() < deadline:
                time.sleep(0.2)
            time.sleep(0.5)
            return run.calls()[before:]

        WM_SIZE, WM_POWERBROADCAST = 0x0005, 0x0218
        hidden = post(WM_SIZE, 1, 0)  # minimised
        self.assertEqual([l for l in hidden if l.get("call") == "Controller.put_IsVisible"][-1]["value"], False)
        shown = post(WM_SIZE, 0, 600 << 16 | 800)  # restored to 800 x 600
        self.assertIn({"call": "Controller.put_Bounds", "bounds": [0, 0, 800, 600]}, shown)
        self.assertEqual([l for l in shown if l.get("call") == "Controller.put_IsVisible"][-1]["value"], True)
        self.assertIn({"call": "Controller.NotifyParentWindowPositionChanged"}, shown)
        zero = post(WM_SIZE, 0, 600 << 16 | 0)  # no width: the bounds stay
        kept = [l["bounds"] for l in zero if l.get("call") == "Controller.put_Bounds"]
        self.assertEqual(kept, [[0, 0, 800, 600]] * len(kept), zero)  # only the frame it had is put again
        suspended = post(WM_POWERBROADCAST, 4, 0)  # PBT_APMSUSPEND
        self.assertIn({"call": "Controller.put_IsVisible", "value": False}, suspended)
        resumed = post(WM_POWERBROADCAST, 0x12, 0)  # PBT_APMRESUMEAUTOMATIC
        self.assertIn({"call": "Controller.put_IsVisible", "value": True}, resumed)

        run.close_window()
        self.assertEqual(run.exit_code(), 0)


class Fullscreen(unittest.TestCase):
    def check_round_trip(self, run):
        run.wait_for("event", "WebMessageReceived")
        deadline = time.time() + 20
        bounds = []
        while time.time() < deadline:
            bounds = [line["bounds"] for line in run.calls() if line.get("call") == "Controller.put_Bounds"]
            if len([line for line in run.calls() if line.get("event") == "WebMessageReceived"]) == 2 and \
                    bounds and bounds[-1] == bounds[0]:
                break
            time.sleep(0.3)
        initial = bounds[0]
        self.assertTrue(any(b != initial for b in bounds), bounds)  # the monitor's size in between
        self.assertEqual(bounds[-1], initial, bounds)  # and came back to the same frame

    def test_home_window_returns_to_its_placement(self):
        run = Run(self, script={"events": [{"event": "WebMessageReceived", "message": "btn_fullscreen"},
                                           {"event": "WebMessageReceived", "message": "btn_fullscreen"}]})
        self.check_round_trip(run)
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_player_window_returns_to_a_1280_by_720_frame(self):
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "https://media.example.invalid/a.html",
                      "https://www.tovrel.localhost")
        run = Run(self, argument=sealed.stdout.decode().strip().splitlines()[-1],
                  script={"events": [{"event": "WebMessageReceived", "message": "toggleFullscreen"},
                                     {"event": "WebMessageReceived", "message": "toggleFullscreen"}]})
        self.check_round_trip(run)
        run.close_window("Tovrel AcademyWindow")
        self.assertEqual(run.exit_code(), 0)


class Failures(unittest.TestCase):
    def test_every_stage_names_itself_in_the_error_box(self):
        for stage in ("CreateEnvironmentCall", "CreateEnvironmentCallback", "CreateControllerCall",
                      "CreateControllerCallback", "GetCoreWebView2"):
            with self.subTest(stage=stage):
                run = Run(self, script={"fail": {"stage": stage, "hr": "0x80070005"}})
                text = run.answer_box("WebView2 Error", IDOK)
                self.assertEqual(text, "Failed to initialize WebView2.\n\nWebView2 initialization failed. "
                                       f"First=0x80070005 at {stage}; last=0x80070005 at {stage}; "
                                       f"runtime=Fixed {RUNTIME_VERSION}; lastUserData={data_folder('Fixed')}")
                self.assertEqual(run.exit_code(), 1)
                self.assertIsNone(run.first("call", "WebView.Navigate"))

    def test_unwritable_data_folder_is_named(self):
        # A file where the data folder belongs: the folder exists as far as
        # CreateDirectory cares, but nothing can be written into it.
        blocker = LOCAL_APPDATA / "Tovrel Academy" / "WebView2Data_Fixed_Env5"
        if blocker.is_dir():
            shutil.rmtree(blocker)
        blocker.parent.mkdir(parents=True, exist_ok=True)
        blocker.write_text("in the way")
        self.addCleanup(blocker.unlink)
        run = Run(self)
        text = run.answer_box("WebView2 Error", IDOK)
        self.assertIn("at UserDataFolderWriteTest; last=", text)
        self.assertTrue(text.endswith(f"at UserDataFolderWriteTest; runtime=Fixed {RUNTIME_VERSION}; "
                                      f"lastUserData={data_folder('Fixed')}"), text)
        self.assertEqual(run.exit_code(), 1)
        self.assertIsNone(run.first("call", "CreateWebViewEnvironmentWithOptionsInternal"))


def tampered(link):
    """The link with one hexadecimal digit of its first MAC changed."""
    parts = link.split(":")
    for i, part in enumerate(parts[1:], start=1):
        envelope = json.loads(base64.b64decode(part))
        if envelope.get("mac"):
            mac = envelope["mac"]
            envelope["mac"] = ("1" if mac[0] != "1" else "2") + mac[1:]
            parts[i] = base64.b64encode(json.dumps(envelope, separators=(",", ":")).encode()).decode()
            return ":".join(parts)
    raise AssertionError("no sealed field with a MAC in " + link)


class EarlyExit(unittest.TestCase):
    def test_refused_link_disposes_of_the_warmed_engine(self):
        # The diagnostic dialog's helper has a program of its name beside the
        # player and in the current folder: the system's own must run, not these.
        current = pathlib.Path(tempfile.mkdtemp(prefix="pellaro_current_"))
        self.addCleanup(shutil.rmtree, current, True)
        shutil.copy(PLANTED_PROGRAM, current / "mshta.exe")
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "lesson-1", "https://www.tovrel.localhost")
        # Wine would run its own helper for any file of that name; "native first"
        # lets a planted file run as itself if it is ever chosen.
        # Wine's process trace names every program the player starts.
        run = Run(self, argument=tampered(sealed.stdout.decode().strip().splitlines()[-1]), debug_lines=True,
                  cwd=current, plant={"mshta.exe": PLANTED_PROGRAM},
                  env={"WINEDLLOVERRIDES": "mscoree,mshtml=;mshta.exe=n,b", "WINEDEBUG_EXTRA": ",+process"})
        # The notice counts down ten seconds, then the program ends by itself.
        code = run.exit_code(seconds=120)
        debug = run.debug.read_text(errors="replace")
        self.assertEqual(code, 1, debug[-3000:])
        self.assertIn("ParseSchemeArgs exception: MAC verification failed", debug)
        self.assertIn("Browser engine warm-up: disposed of", debug)
        calls = run.calls()
        created = [i for i, line in enumerate(calls) if line.get("call") == "CreateWebViewEnvironmentWithOptionsInternal"]
        destroyed = [i for i, line in enumerate(calls) if line == {"call": "Destroyed", "object": "Environment"}]
        # The warmed environment was made once and let go of before the end; no window took it.
        self.assertEqual(len(created), 1, calls)
        self.assertEqual(len(destroyed), 1, calls)
        self.assertLess(created[0], destroyed[0])
        self.assertIsNone(run.first("call", "Environment.CreateCoreWebView2Controller"))
        self.assertIn("Diagnostic dialog: ", debug)
        self.assertNotIn("could not start the dialog process", debug)
        started = re.findall(r'NtCreateUserProcess L"([^"]*mshta\.exe)" image', debug)
        self.assertEqual([path.lower() for path in started], [r"\\??\\c:\\windows\\system32\\mshta.exe"])
        ran = sorted(str(p) for p in list(current.glob("*.ran")) + list(run.folder.glob("*.ran")))
        self.assertEqual(ran, [], "a planted helper ran")


class BackendDown(unittest.TestCase):
    def test_unreachable_backend_is_told_as_such_not_as_an_interception(self):
        closed = socket.socket()
        closed.bind(("127.0.0.1", 0))
        port = closed.getsockname()[1]
        closed.close()  # nothing listens there now
        sealed = wine(PELLARO_CLI, "link", "seal", "key-1", "lesson-1", "https://127.0.0.1:%d" % port)
        run = Run(self, argument=sealed.stdout.decode().strip().splitlines()[-1], debug_lines=True)
        # The code is on the clipboard while the notice counts down ten seconds;
        # then the program ends by itself. The probe answers as soon as the code
        # is there; its deadline covers a slow start of the program and its
        # failed requests on a loaded machine.
        clipboard = wine(WIN_PROBE, "clipboard", 150000, timeout=180)
        code = run.exit_code(seconds=120)
        self.assertEqual(clipboard.returncode, 0, "the probe saw no text on the clipboard within 150 s")
        debug = run.debug.read_text(errors="replace")
        self.assertEqual(code, 1, debug[-3000:])
        # Wine shortens long debug lines: the code there is the start of the clipboard's.
        shown = re.search(r"Diagnostic dialog: Connection Failed - .*? \| code ([A-Za-z0-9+/=]+)", debug)
        self.assertTrue(shown, debug[-3000:])
        pasted = clipboard.stdout.decode().strip()
        self.assertTrue(pasted.startswith(shown.group(1)), (pasted, shown.group(0)))
        decoded = wine(PELLARO_CLI, "diag", "decode", pasted).stdout.decode().replace("\r\n", "\n")
        self.assertIn("reason=unreachable_WinHttpSendRequest failed: 12029\n", decoded)
        # The built-in addresses do not resolve under Wine: the pins say why they failed.
        self.assertIn("Step 7: Dynamic pins FAILED: WinHttpSendRequest failed: ", debug)
        for claim in ("Intercepted", "MITM", "Pin validation FAILED", "Dynamic pins loaded OK"):
            self.assertNotIn(claim, debug)


class QuitDuringStart(unittest.TestCase):
    def test_window_closed_while_the_browser_starts(self):
        run = Run(self, script={"controllerDelayMs": 20000}, debug_lines=True)
        run.wait_for("call", "Environment.CreateCoreWebView2Controller")
        run.close_window()
        started = time.time()
        code = run.exit_code(seconds=60)
        self.assertLess(time.time() - started, 30)  # the quit reached the outer loop; nothing hung
        debug = run.debug.read_text(errors="replace")
        self.assertIn("First=0x80004004 at ApplicationQuitDuringInitialization", debug)
        self.assertEqual(code, 1)
        self.assertIsNone(run.first("call", "ControllerCompleted"))


class InstalledRuntime(unittest.TestCase):
    def test_registry_runtime_is_used_and_the_gate_passes(self):
        folder = pathlib.Path(tempfile.mkdtemp(prefix="pellaro_evergreen_"))
        self.addCleanup(shutil.rmtree, folder, True)
        installed = folder / "Application" / RUNTIME_VERSION
        shutil.copytree(FAKE_RUNTIME, installed)
        state = f"HKCU\\Software\\Microsoft\\EdgeUpdate\\ClientState\\{CLIENT_ID}"
        client = f"HKCU\\Software\\Microsoft\\EdgeUpdate\\Clients\\{CLIENT_ID}"
        registry("add", state, "/v", "EBWebView", "/t", "REG_SZ", "/d", windows_path(installed), "/f")
        registry("add", client, "/v", "pv", "/t", "REG_SZ", "/d", RUNTIME_VERSION, "/f")
        self.addCleanup(registry, "delete", client, "/f")
        self.addCleanup(registry, "delete", state, "/f")

        run = Run(self, fixed=False)
        run.wait_for("event", "NavigationCompleted")
        create = run.first("call", "CreateWebViewEnvironmentWithOptionsInternal")
        self.assertEqual(create["runtimeType"], 0)
        self.assertEqual(create["userDataFolder"], data_folder("Evergreen"))
        self.assertIsNone(create["environment"]["WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"])
        run.close_window()
        self.assertEqual(run.exit_code(), 0)

    def test_without_any_runtime_the_gate_asks(self):
        run = Run(self, fixed=False)
        text = run.answer_box("Pellaro \u2014 Component Required", IDNO)
        self.assertTrue(text.startswith("WebView2 Runtime is required to run this application."), text)
        self.assertEqual(run.exit_code(), 1)
        self.assertEqual(run.calls(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
