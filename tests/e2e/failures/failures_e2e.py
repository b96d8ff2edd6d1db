#!/usr/bin/env python3
"""What the user sees when start-up or a content link fails, with the program
itself (tovrelapp) on its own Xvfb display against the reference backend on
port 443 (the built-in addresses have no port).

usage: failures_e2e.py PROGRAM CLI CASE
Exit 77 (skipped) only when port 443 cannot be had."""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
for folder in ("browser", "app", "diag"):
    sys.path.insert(0, os.path.join(HERE, "..", folder))
sys.path.insert(0, os.path.join(HERE, ".."))
from program_run import SKIP, SOURCE_DIR, Backend, Display, Player, WaitTimeout, find_window, port_443_free, wait_until  # noqa: E402,E501
import test_diagnostic_dialog as diag  # noqa: E402

APP = "Tovrel Academy"
SERVER_ERROR_CAPTION = APP + " - \u062e\u0637\u0623"
UPDATE_REQUIRED = "MessageBox: " + APP + " - Update Required | A mandatory update is available."
UPDATE_AVAILABLE = "MessageBox: " + APP + " - Update Available | A new version of the app is available."
INSTALLER = "https://www.tovrel.localhost/download/pellaro-setup.exe"  # the demo profile's download address
MIRROR = "https://downloads.tovrel.localhost/pellaro-setup-5.1.exe"   # the "required-mirror" answer's link
INTERCEPTED = "Network Connection Intercepted - \u0627\u062a\u0635\u0627\u0644 \u063a\u064a\u0631 \u0622\u0645\u0646"
CONTENT_PATH = "/api/app/content-data"
VERSION_PATH = "/api/app/version"
LONG = 120  # seconds; a loaded two-core machine starts Chromium slowly


class Run:
    """One program run: backend on 443, own display, private HOME whose default
    web browser is a recorder script; everything it starts is ended at close."""

    def __init__(self, program, cli, backend_lifetime=900):
        self.program, self.cli = program, cli
        self.root = tempfile.mkdtemp(prefix="pellaro-failures-e2e-")
        self.backend = self.display = self.keeper = self.player = None
        try:
            self.backend = Backend(self.root, port=443, lifetime=backend_lifetime)
            self.display = Display()
            # One client stays connected for the whole run: Xvfb resets when its last
            # client leaves, and a client connecting during the reset can hang.
            display_env = dict(os.environ, DISPLAY=self.display.name)
            self.keeper = subprocess.Popen(["xprop", "-root", "-spy"], env=display_env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                wait_until(lambda: subprocess.run(["xdpyinfo"], env=display_env, capture_output=True,
                                                  timeout=60).returncode == 0, "the display to answer", LONG)
            except WaitTimeout:
                raise RuntimeError("the display %s does not answer" % self.display.name)
        except Exception:
            self.close()
            raise
        os.environ["DISPLAY"] = self.display.name  # for the xdotool helpers
        self.opened_file = os.path.join(self.root, "opened.txt")
        self.env = self._private_environment()

    def _private_environment(self):
        home, data, config = (os.path.join(self.root, d) for d in ("home", "data", "config"))
        runtime = os.path.join(self.root, "run")
        os.makedirs(home)
        os.makedirs(os.path.join(data, "applications"))
        os.makedirs(config)
        os.makedirs(runtime, mode=0o700)
        recorder = os.path.join(self.root, "record-open")
        with open(recorder, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$1\" >> '%s'\n" % self.opened_file)
        os.chmod(recorder, 0o755)
        with open(os.path.join(data, "applications", "pellaro-open-recorder.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Open recorder\nExec=%s %%u\n"
                    "MimeType=x-scheme-handler/https;x-scheme-handler/http;\nNoDisplay=true\n" % recorder)
        with open(os.path.join(config, "mimeapps.list"), "w") as f:
            f.write("[Default Applications]\nx-scheme-handler/https=pellaro-open-recorder.desktop\n"
                    "x-scheme-handler/http=pellaro-open-recorder.desktop\n")
        env = dict(os.environ, DISPLAY=self.display.name, HOME=home, XDG_DATA_HOME=data, XDG_CONFIG_HOME=config,
                   XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8",
                   # xdg-open's generic opener: the scheme handler above, else $BROWSER; both record.
                   BROWSER=recorder,
                   # Named, so xdg-open skips its desktop probes: an `xprop -root` started while the
                   # exiting program was the display's last client can hang in the server's reset.
                   XDG_CURRENT_DESKTOP="X-Generic",
                   PELLARO_TEST_CA_FILE=os.path.join(SOURCE_DIR, "tests", "backend", "certs", "test-root.pem"),
                   PELLARO_FAILURES_RUN=self.root)
        for name in ("DESKTOP_SESSION", "GNOME_DESKTOP_SESSION_ID", "KDE_FULL_SESSION",
                     "XDG_CACHE_HOME", "WAYLAND_DISPLAY"):
            env.pop(name, None)
        # No session bus: without this, D-Bus clients (xdg-open asks one) autolaunch a bus that outlives the run.
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.root, "no-session-bus")
        return env

    def seal(self, content_id, base="https://api.tovrel.localhost"):
        return subprocess.run([self.cli, "link", "seal", "key-1", content_id, base], capture_output=True,
                              text=True, check=True, env=self.env, timeout=60).stdout.strip()

    def start(self, *args):
        self.player = Player(self.program, list(args), self.env)
        return self.player

    def output(self):
        return "\n".join(self.player.lines) if self.player else ""

    def answer_box(self, caption, key):
        """Presses `key` in the program's message box titled `caption`."""
        box = find_window(self.player.proc.pid, caption, LONG)
        subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "--clearmodifiers", key],
                       check=True, env=self.env, timeout=60)

    def exit_code(self):
        return self.player.wait_exit(timeout=LONG)

    def own_processes(self):
        """Processes that carry this run's environment (the program, the
        dialog it starts, the opener), found through /proc."""
        marker = ("PELLARO_FAILURES_RUN=" + self.root).encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if marker in f.read().split(b"\0"):
                        with open("/proc/%s/stat" % pid) as s:
                            if s.read().rsplit(")", 1)[1].split()[0] != "Z":
                                found.append(int(pid))
            except OSError:
                continue
        return found

    def opened(self, settle=True):
        """Addresses the program handed to the desktop; with settle, only once
        every process it started has ended."""
        if settle:
            wait_until(lambda: not self.own_processes(), "every process the program started to end", LONG,
                       seen=lambda: [describe(pid) for pid in self.own_processes()])
        if not os.path.exists(self.opened_file):
            return []
        with open(self.opened_file) as f:
            return f.read().splitlines()

    def requests(self, path=None, method=None):
        return [r for r in self.backend.requests()
                if (path is None or r["path"].split("?")[0] == path) and (method is None or r["method"] == method)]

    def close(self):
        if self.player:
            self.player.kill()
        for _ in range(3):
            pids = self.own_processes() if hasattr(self, "env") else []
            if not pids:
                break
            for pid in pids:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            time.sleep(0.5)
        if self.keeper:
            self.keeper.kill()
            self.keeper.wait()
        if self.display:
            self.display.stop()
        if self.backend:
            self.backend.stop()
        shutil.rmtree(self.root, ignore_errors=True)


def describe(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return "%d %s" % (pid, f.read().replace(b"\0", b" ").decode(errors="replace"))
    except OSError:
        return str(pid)


def registered_scheme(run):
    return [n for n in os.listdir(os.path.join(run.env["XDG_DATA_HOME"], "applications"))
            if n != "pellaro-open-recorder.desktop"]


# --- the cases -------------------------------------------------------------

def server_message_in_rtl_box(run):
    message = "Content not found \u2014 \u0627\u0644\u0645\u062d\u062a\u0648\u0649 \u063a\u064a\u0631 \u0645\u0648\u062c\u0648\u062f"
    run.backend.control("override", {"path": CONTENT_PATH, "status": 404,
                                     "body": json.dumps({"message": message}, ensure_ascii=False)})
    run.start(run.seal("missing-7"))
    line = run.player.wait_line(lambda l: l.startswith("MessageBox: "), LONG)
    assert line == "MessageBox: %s | %s" % (SERVER_ERROR_CAPTION, message), line
    box = find_window(run.player.proc.pid, SERVER_ERROR_CAPTION, LONG)
    assert_icon_on_the_right(run, box)
    assert run.player.proc.poll() is None, "the program ended before the box was answered"
    run.answer_box(SERVER_ERROR_CAPTION, "Return")
    assert run.exit_code() == 1, run.output()
    puts = run.requests(CONTENT_PATH)
    assert len(puts) == 1 and puts[0]["method"] == "PUT" and puts[0]["host"] == "api.tovrel.localhost", puts
    assert puts[0]["body"] == "link_key=key-1&content_link_id=missing-7", puts[0]["body"]
    # Resolution failed: no second version check with the link's address, no content.
    assert len(run.requests(VERSION_PATH)) == 1, [r["path"] for r in run.requests()]
    assert not run.opened()


def assert_icon_on_the_right(run, box):
    """Right-to-left reading puts the warning icon on the right of the text."""
    def yellow_columns():
        width, _, rows = diag.window_pixels(run.env, box)
        xs = [x for row in rows for x, (r, g, b) in enumerate(row) if r > 190 and g > 140 and b < 90]
        return (width, xs) if len(xs) > 30 else None
    found = wait_until(yellow_columns, "the warning icon to be painted", 30)
    assert found, "no warning icon painted"
    width, xs = found
    assert sum(xs) / len(xs) > width / 2, "warning icon on the left: mean x %d of %d" % (sum(xs) / len(xs), width)


def tampered_link_ends_in_dialog(run):
    link = diag.tampered_link(run.cli, run.env)
    opened = subprocess.run([run.cli, "link", "open", link], capture_output=True, text=True, env=run.env, timeout=60)
    assert opened.returncode == 1 and opened.stdout.strip() == diag.MAC_REASON, opened.stdout
    player = run.start(link)
    code, _ = diag.follow_fatal_notice(run.env, player.proc, run.cli, "^Link Error - ")
    player.wait_text("Diagnostic dialog: %s | code %s" % (diag.LINK_TITLE, code), LONG)
    fields = diag.decode(run.cli, code, run.env)
    assert fields["reason"] == diag.MAC_REASON, fields
    assert int(fields["ts"]) > 1600000000, fields
    assert not run.requests(CONTENT_PATH), "a tampered link reached the backend"
    assert len(run.requests(VERSION_PATH)) == 1


def required_update(run, answer, key, expect_opened):
    run.backend.control("answers", {"version": answer})
    run.start(run.seal("report-1", "https://www.tovrel.localhost"))
    run.player.wait_text(UPDATE_REQUIRED, LONG)
    run.answer_box(APP + " - Update Required", key)
    assert run.exit_code() == 0, run.output()
    assert run.opened() == expect_opened, (run.opened(), run.output())
    # The run ended at the prompt: no scheme registration, no link resolution.
    assert not run.player.has("Step 8:") and not registered_scheme(run), registered_scheme(run)
    assert not run.requests(CONTENT_PATH)
    versions = run.requests(VERSION_PATH, "GET")
    assert len(versions) == 1 and versions[0]["host"] == "api.tovrel.localhost", versions


def required_update_cancelled(run):
    required_update(run, "required", "Escape", [])


def required_update_accepted(run):
    required_update(run, "required-mirror", "Return", [MIRROR])


def optional_update_declined_home(run):
    run.backend.control("answers", {"version": "optional"})
    run.start()
    run.player.wait_text(UPDATE_AVAILABLE, LONG)
    run.answer_box(APP + " - Update Available", "Escape")
    run.player.wait_text("Step 9: hasSchemeArgs=0", LONG)
    find_window(run.player.proc.pid, APP + " V 4.12.0", LONG)
    assert wait_until(lambda: run.requests("/", "GET"), "the home page's request", LONG), run.output()
    assert run.player.proc.poll() is None
    assert not os.path.exists(run.opened_file)


def optional_update_declined_link(run):
    # Asked at start and again after the link is resolved; No both times.
    run.backend.control("answers", {"version": "optional"})
    run.start(run.seal("report-1", "https://www.tovrel.localhost"))
    for asked in (1, 2):
        assert wait_until(lambda: len([l for l in run.player.lines if l.startswith(UPDATE_AVAILABLE)]) >= asked,
                          "update prompt %d" % asked, LONG, seen=run.output), run.output()
        run.answer_box(APP + " - Update Available", "Escape")
    assert wait_until(lambda: run.requests("/report", "POST"), "the report page's report", LONG,
                      seen=run.output), run.output()
    puts = run.requests(CONTENT_PATH, "PUT")
    assert len(puts) == 1 and puts[0]["host"] == "www.tovrel.localhost", puts
    hosts = [r["host"] for r in run.requests(VERSION_PATH, "GET")]
    assert hosts == ["api.tovrel.localhost", "www.tovrel.localhost"], hosts
    assert run.player.proc.poll() is None
    assert not os.path.exists(run.opened_file)


def optional_update_accepted(run):
    run.backend.control("answers", {"version": "optional"})
    run.start()
    run.player.wait_text(UPDATE_AVAILABLE, LONG)
    run.answer_box(APP + " - Update Available", "Return")
    assert run.exit_code() == 0, run.output()
    assert run.opened() == [INSTALLER], run.opened()
    assert not run.player.has("Step 9:") and not run.requests("/", "GET")


def unsafe_update_link(run, answer):
    run.backend.control("answers", {"version": answer})
    run.start()
    run.player.wait_text(UPDATE_REQUIRED, LONG)
    run.answer_box(APP + " - Update Required", "Return")
    assert run.exit_code() == 0, run.output()
    assert run.opened() == [INSTALLER], run.opened()


def javascript_update_link(run):
    unsafe_update_link(run, "link-javascript")


def file_update_link(run):
    unsafe_update_link(run, "link-file")


def intercepted_backend(run):
    run.backend.control("chains", {"api.tovrel.localhost": "interceptor"})
    player = run.start()
    code, _ = diag.follow_fatal_notice(run.env, player.proc, run.cli, "^Network Connection Intercepted - ")
    assert code == "SSL_api.tovrel.localhost", code
    player.wait_text("Diagnostic dialog: %s | code %s" % (INTERCEPTED, code), LONG)
    fields = diag.decode(run.cli, code, run.env)
    assert fields == {"kind": "pin validation failed", "host": "api.tovrel.localhost"}, fields
    # The chain was refused in the handshake: nothing reached the backend.
    log = run.backend.control("log")
    assert any(e["event"] == "handshake" and e["sni"] == "api.tovrel.localhost" and e["chain"] == "interceptor"
               for e in log), log
    assert not [r for r in run.requests() if r["host"] == "api.tovrel.localhost"], run.requests()
    player.wait_exit(LONG)  # all its output read
    assert not run.player.has("Step 9:")


UNREACHABLE_TITLE = "Connection Failed - \u062a\u0639\u0630\u0631 \u0627\u0644\u0627\u062a\u0635\u0627\u0644"


def backend_down(run):
    """Nothing listens on the academy's addresses: the student is told the
    academy could not be reached, never that the connection was intercepted."""
    link = run.seal("lesson-wrapped")
    run.backend.stop()
    run.backend = None
    player = run.start(link)
    code, _ = diag.follow_fatal_notice(run.env, player.proc, run.cli, "^Connection Failed - ")
    player.wait_text("Diagnostic dialog: %s | code %s" % (UNREACHABLE_TITLE, code), LONG)
    fields = diag.decode(run.cli, code, run.env)
    assert fields["reason"] == "unreachable_curl connect failed: 7", fields
    player.wait_exit(LONG)  # all its output read
    output = run.output()
    for line in ("Step 7: Dynamic pins FAILED: curl connect failed: 7 (the built-in pins stay)",
                 "Step 7B: Version check FAILED: curl connect failed: 7 (going on without an update)",
                 "GetContentData: the backend could not be reached: curl connect failed: 7"):
        assert player.has(line), "missing %r in:\n%s" % (line, output)
    for claim in ("Intercepted", "MITM", "Pin validation FAILED", "Dynamic pins loaded OK", "Version check done"):
        assert claim not in output, "%r in:\n%s" % (claim, output)


CASES = {f.__name__: f for f in (
    server_message_in_rtl_box, tampered_link_ends_in_dialog, required_update_cancelled, required_update_accepted,
    optional_update_declined_home, optional_update_declined_link, optional_update_accepted,
    javascript_update_link, file_update_link, intercepted_backend, backend_down)}


def main():
    program, cli, case = sys.argv[1:4]
    for tool in ("xdotool", "xclip", "xprop", "xdpyinfo", "import", "Xvfb", "xdg-open"):
        if not shutil.which(tool):
            print("missing tool: " + tool)
            return 1
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP
    try:
        run = Run(program, cli)
    except RuntimeError:
        if not port_443_free():  # taken between the check and the backend's start
            print("skipped: port 443 is taken")
            return SKIP
        raise
    try:
        CASES[case](run)
    except BaseException:
        sys.stderr.write("--- program output ---\n%s\n" % run.output())
        if run.display.proc.poll() is not None:
            sys.stderr.write("the display %s ended during the test (%s)\n" % (run.display.name, run.display.proc.poll()))
        raise
    finally:
        run.close()
    print("ok:", case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
