#!/usr/bin/env python3
"""End to end as students use the Linux edition: through a screen reader's
eyes (the accessibility bus), with the keyboard alone, and on Wayland.

usage: desktop_e2e.py CASE   (inside dbus-run-session; the environment names
the programs: PELLARO_PROGRAM, PELLARO_CLI, PELLARO_PRINT_DRIVER, PELLARO_DIAG_DRIVER)

  keyboard_picker      X11: the picker's list, cards and buttons by role and
                       name; Down, Tab and Space alone print on the second printer
  screen_reader_notice X11: the countdown notice's texts and the diagnostic
                       dialog's code box by role and name
  screen_reader_home   X11: the program's home window and its page by role
                       and name, the window given the keyboard; the backend
                       on port 443
  wayland_program      Wayland: the program's splash, home window, fullscreen
                       toggle, single-instance refusal, player, printer picker,
                       countdown notice and diagnostic dialog; answered from
                       the accessibility bus, as no outside program may press
                       keys on Wayland; the backend on port 443
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
sys.path.insert(0, os.path.join(HERE, "..", "print"))
sys.path.insert(0, os.path.join(HERE, "..", "diag"))
import pyatspi  # noqa: E402

import accessibility as a11y  # noqa: E402
from displays import WaylandDisplay, XDisplay  # noqa: E402
from private_cups import JobListener, PrivateCups  # noqa: E402
from program_run import Backend, ProgramRun, port_443_free, stop_process  # noqa: E402
from waiting import WAIT, wait_until  # noqa: E402

SKIP = 77
TITLE = "Link Error - \u062e\u0637\u0623 \u0641\u064a \u0627\u0644\u0631\u0627\u0628\u0637"
MESSAGE = "Failed to process the content link."
ARABIC = "\u0641\u0634\u0644 \u0641\u064a \u0645\u0639\u0627\u0644\u062c\u0629 \u0627\u0644\u0631\u0627\u0628\u0637"
CODE_FIELD = "Diagnostic Code / \u0643\u0648\u062f \u0627\u0644\u062a\u0634\u062e\u064a\u0635"
PRINTERS = ["Office", "Archive"]  # Office is the default, so it is listed first
SUCCESS = '{"type":"printResult","status":"success","message":"Print job sent successfully."}'
PAGE = "<!doctype html><title>Lesson</title><h1>Lesson 4</h1><p>Printed by keyboard.</p>"


class Folder:
    """A temporary folder and the processes and servers started in it, all stopped at the end."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="pellaro-desktop-e2e-")
        self.stops = []
        self.programs = []

    def add(self, stop):
        self.stops.append(stop)

    def tell(self):
        """What the programs wrote, for a failure."""
        for program in self.programs:
            print("--- output of", program.command, "\n" + program.text()[-3000:])

    def close(self):
        for stop in reversed(self.stops):
            try:
                stop()
            except Exception as error:  # keep stopping the rest
                print("while stopping:", error)
        shutil.rmtree(self.path, ignore_errors=True)


class Program:
    """A test program with its output lines collected."""

    def __init__(self, folder, command, env):
        self.log_path = os.path.join(folder.path, "program-%d.log" % len(folder.stops))
        self.log = open(self.log_path, "wb")
        self.command = command[0]
        folder.programs.append(self)
        self.proc = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        folder.add(self.stop)

    def text(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_text(self, text, timeout=WAIT):
        wait_until(lambda: text in self.text(), repr(text), timeout, seen=lambda: self.text()[-1500:])

    def stop(self):
        stop_process(self.proc, 10)
        self.log.close()


def printers(folder):
    """A private CUPS with two socket printers on a listener that keeps the jobs."""
    listener = JobListener()
    folder.add(listener.close)
    cups = PrivateCups()
    folder.add(cups.stop)
    cups.start()
    for name in PRINTERS:
        cups.add_printer(name, "socket://127.0.0.1:%d" % listener.port)
    cups.run("lpadmin", "-d", PRINTERS[0])
    return cups, listener


def program_env(display, extra=None):
    env = display.client_env(a11y.program_environment(os.environ))
    env.update({"QTWEBENGINE_DISABLE_SANDBOX": "1"})
    env.update(extra or {})
    return env


def picker_nodes():
    """The picker as a screen reader finds it: its list, cards and buttons."""
    dialog = a11y.wait_for("dialog", "Select Printer")
    listing = a11y.wait_for("list", "Select a physical printer:", within=dialog)
    cards = a11y.find_all(listing, "list item")
    assert [c.name for c in cards] == PRINTERS, [a11y.describe(c) for c in cards]
    assert cards[0].description == "DEFAULT" and cards[1].description == "", [c.description for c in cards]
    buttons = {name: a11y.wait_for("push button", name, within=dialog) for name in ("Print", "Cancel")}
    return dialog, listing, cards, buttons


def keyboard_picker(folder):
    display = XDisplay()
    folder.add(display.stop)
    a11y.announce_screen_reader()
    cups, listener = printers(folder)
    page = os.path.join(folder.path, "lesson.html")
    with open(page, "w") as f:
        f.write(PAGE)
    driver = Program(folder, [os.environ["PELLARO_PRINT_DRIVER"], "print", "file://" + page],
                     program_env(display, cups.env({})))
    _, listing, cards, buttons = picker_nodes()

    def focused(node):
        return a11y.has_state(node, pyatspi.STATE_FOCUSED)

    def press(key):
        subprocess.run(["xdotool", "key", "--clearmodifiers", key], env=display.client_env(), check=True, timeout=30)

    # The keyboard starts in the list, on the first card.
    wait_until(lambda: a11y.has_state(cards[0], pyatspi.STATE_SELECTED), "the first card selected")
    window = wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Select Printer$"],
                                               env=display.client_env(), capture_output=True, text=True).stdout.split(),
                        "the picker's window")[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=display.client_env(), check=True, timeout=30)
    press("Down")
    wait_until(lambda: a11y.has_state(cards[1], pyatspi.STATE_SELECTED), "the second card selected by Down")
    press("Tab")
    wait_until(lambda: focused(buttons["Print"]), "Print focused by Tab")
    press("Tab")
    wait_until(lambda: focused(buttons["Cancel"]), "Cancel focused by a second Tab")
    press("shift+Tab")
    wait_until(lambda: focused(buttons["Print"]), "Print focused again by Shift+Tab")
    press("space")
    driver.wait_text("printResult: " + SUCCESS)
    wait_until(lambda: listener.jobs, "the job's bytes")
    jobs = cups.run("lpstat", "-W", "all", "-o", "Archive")
    assert "Archive-" in jobs, "the job did not go to the second printer: %r" % jobs
    assert cups.run("lpstat", "-W", "all", "-o", "Office").strip() == "", "a job went to the first printer"


def follow_notice_and_dialog(code, message, arabic):
    """The countdown notice, then the diagnostic dialog, as a screen reader
    reads them; returns the dialog's Close button, focused."""
    notice = a11y.wait_for("alert", TITLE, timeout=60)
    spoken = notice.description
    for part in (message, arabic, "Application will close in", code):
        assert part in spoken, (part, spoken)
    field = a11y.wait_for("text", CODE_FIELD, timeout=90)
    assert a11y.text_of(field) == code, a11y.text_of(field)
    dialog = a11y.wait_for("document web", TITLE)
    close = a11y.wait_for("push button", "Close", within=dialog)
    # The engine offers a screen reader no press on page buttons: it moves
    # the keyboard there, and the user presses the key.
    a11y.do(close, "setfocus")
    wait_until(lambda: a11y.has_state(close, pyatspi.STATE_FOCUSED), "the Close button focused")
    return close


def screen_reader_notice(folder):
    display = XDisplay()
    folder.add(display.stop)
    a11y.announce_screen_reader()
    code = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo="
    driver = Program(folder, [os.environ["PELLARO_DIAG_DRIVER"], "show", TITLE, MESSAGE, ARABIC, code],
                     program_env(display))
    close = follow_notice_and_dialog(code, MESSAGE, ARABIC)
    driver.wait_text("Diagnostic dialog shown")
    subprocess.run(["xdotool", "key", "space"], env=display.client_env(), check=True, timeout=30)
    wait_until(lambda: not any(a11y.find(app, "push button", "Close") for app in a11y.applications()),
               "the dialog closed by Space on its Close button")
    del close


def start_program(folder, display, backend, *args, runtime=None, extra=None):
    """The program with the test root trusted, private folders and the bus's session."""
    ca = os.path.join(os.environ["PELLARO_SOURCE_DIR"], "tests", "backend", "certs", "test-root.pem")
    env = dict(a11y.program_environment(os.environ), PELLARO_TEST_CA_FILE=ca, QTWEBENGINE_DISABLE_SANDBOX="1")
    env.update(extra or {})
    if runtime:
        env["XDG_RUNTIME_DIR"] = runtime
    run = ProgramRun(os.environ["PELLARO_PROGRAM"], display, folder.path, args, env=env)
    folder.add(run.stop)
    run.command = os.environ["PELLARO_PROGRAM"]
    folder.programs.append(run)
    return run


def wait_text(run, text, timeout=WAIT):
    wait_until(lambda: text in run.text(), repr(text), timeout, seen=lambda: run.text()[-1500:])


def home_on_the_bus(backend, home):
    """The home window and its page as a screen reader finds them."""
    frame = a11y.wait_for("frame", "Tovrel Academy V 4.12.0", timeout=90)
    backend.wait_requests(lambda r: r["host"] == "www.tovrel.localhost" and r["path"] == "/", "the home page")
    wait_until(lambda: a11y.find(frame, "document web", "Academy") is not None, "the home page on the bus", 90,
               seen=lambda: home.text()[-1500:])
    return frame


def screen_reader_home(folder):
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP
    display = XDisplay()
    folder.add(display.stop)
    a11y.announce_screen_reader()
    backend = Backend(folder.path, port=443)
    folder.add(backend.stop)
    backend.page("/", "<!doctype html><title>Academy</title><h1>Academy</h1><a href='/x'>Lessons</a>")
    home = start_program(folder, display, backend)
    frame = home_on_the_bus(backend, home)
    # The keyboard moves into the window and its page, the screen reader following.
    window = wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tovrel Academy V"],
                                               env=display.client_env(), capture_output=True, text=True).stdout.split(),
                        "the home window on the display")[0]
    subprocess.run(["xdotool", "windowactivate", "--sync", window], env=display.client_env(), timeout=30)
    subprocess.run(["xdotool", "key", "Tab"], env=display.client_env(), check=True, timeout=30)
    link = a11y.wait_for("link", "Lessons", within=frame)
    wait_until(lambda: a11y.has_state(link, pyatspi.STATE_FOCUSED), "the page's link focused by Tab")
    assert home.proc.poll() is None, home.text()[-1500:]


def wayland_program(folder):
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP
    import test_diagnostic_dialog as diag
    display = WaylandDisplay()
    folder.add(display.stop)
    a11y.announce_screen_reader()
    backend = Backend(folder.path, port=443)
    folder.add(backend.stop)
    cups, listener = printers(folder)
    cli = os.environ["PELLARO_CLI"]
    printing = {"CUPS_SERVER": cups.env({})["CUPS_SERVER"]}

    def start(*args, runtime=None):
        return start_program(folder, display, backend, *args, runtime=runtime, extra=printing)

    # The home road: splash, window, its page in front, the splash gone. The
    # home page asks for fullscreen at once and to leave it once the test has
    # seen it (no outside program may click on Wayland; a screen reader cannot
    # press page buttons): it polls a page the test adds then.
    backend.page("/", "<!doctype html><title>Academy</title><h1>Academy</h1><script>"
                      "function toggle(){window.chrome.webview.postMessage('btn_fullscreen');}"
                      "function poll(){fetch('/leave-fullscreen',{cache:'no-store'})"
                      ".then(function(r){return r.text();})"
                      ".then(function(t){if(t==='leave')toggle();else setTimeout(poll,300);},"
                      "function(){setTimeout(poll,300);});}"
                      "window.addEventListener('load',function(){toggle();poll();});</script>")
    home = start()
    wait_text(home, "Splash shown: 300x90")
    frame = home_on_the_bus(backend, home)
    wait_until(lambda: not any(a11y.find(app, "window", "Pellaro Splash") for app in a11y.applications()),
               "the splash to close", 30)

    # Fullscreen and back.
    def width():
        return frame.queryComponent().getExtents(pyatspi.WINDOW_COORDS).width
    widths = []
    wait_until(lambda: widths.append(width()) or widths[-1] == 1920, "the home window to fill the output", 60,
               seen=lambda: widths[-20:])
    backend.page("/leave-fullscreen", "leave")
    wait_until(lambda: widths.append(width()) or widths[-1] < 1920, "the home window to come back", 60,
               seen=lambda: widths[-20:])

    # A second start is refused with a message box, answered from the bus.
    second = start(runtime=home.env["XDG_RUNTIME_DIR"])
    wait_text(second, "MessageBox: Tovrel Academy | The application is already running.")
    box = a11y.wait_for("alert", "Tovrel Academy")
    a11y.do(a11y.wait_for("push button", "OK", within=box), "press")
    assert second.proc.wait(timeout=60) == 0, second.text()[-1500:]
    assert home.proc.poll() is None, "the first instance ended"
    home.stop()

    # The player road: a lesson whose page asks to print; the picker answered from the bus.
    backend.page("/content/lesson.html", "<!doctype html><title>Lesson</title><h1>Lesson</h1><script>"
                 "window.addEventListener('load',function(){window.chrome.webview.postMessage('requestPrint');});"
                 "</script>")
    link = subprocess.run([cli, "link", "seal", "key-1", "lesson-plain", "https://api.tovrel.localhost"],
                          capture_output=True, text=True, check=True).stdout.strip()
    player = start(link)
    _, listing, cards, buttons = picker_nodes()
    a11y.do(cards[1], "select", "toggle", "press", "click")
    wait_until(lambda: a11y.has_state(cards[1], pyatspi.STATE_SELECTED), "the second card selected")
    a11y.do(buttons["Print"], "press")
    wait_text(player, "printResult: " + SUCCESS, 90)
    assert "Archive-" in cups.run("lpstat", "-W", "all", "-o", "Archive")
    player.stop()

    # A tampered link: the countdown notice and the diagnostic dialog.
    tampered = start(diag.tampered_link(cli, dict(os.environ)))
    wait_text(tampered, "Diagnostic dialog: " + TITLE + " | code ", 90)
    code = tampered.text().split("Diagnostic dialog: " + TITLE + " | code ")[1].split()[0]
    follow_notice_and_dialog(code, diag.LINK_MESSAGE.split("\n")[0], diag.LINK_ARABIC)
    return 0  # stopping Weston ends the dialog


CASES = {"keyboard_picker": keyboard_picker, "screen_reader_notice": screen_reader_notice,
         "screen_reader_home": screen_reader_home, "wayland_program": wayland_program}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in CASES:
        print(__doc__)
        return 2
    folder = Folder()
    try:
        return CASES[sys.argv[1]](folder) or 0
    except BaseException:
        folder.tell()
        raise
    finally:
        folder.close()


if __name__ == "__main__":
    sys.exit(main())
