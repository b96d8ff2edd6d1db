#!/usr/bin/env python3
"""The diagnostic dialog end to end under X: clipboard, countdown notice, HTML
dialog, exit code, and a code that support can decode.

--program is either the diag test driver (called with the texts and a code made
by `pellaro-cli diag encode`) or, with --player, the player itself, started with
a content link whose MAC was tampered with."""
import argparse
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from waiting import WAIT, wait_until  # noqa: E402

# A web view starting in a fresh process: twice the ordinary wait (more in the
# sanitizer build, whose WAIT is larger).
WEB_VIEW_WAIT = 2 * WAIT

LINK_TITLE = "Link Error - \u062e\u0637\u0623 \u0641\u064a \u0627\u0644\u0631\u0627\u0628\u0637"
LINK_MESSAGE = ("Failed to process the content link.\n"
                "If the problem persists, send the diagnostic code below to support.")
LINK_ARABIC = "\u0641\u0634\u0644 \u0641\u064a \u0645\u0639\u0627\u0644\u062c\u0629"
ACCENT = (0xE9, 0x45, 0x60)
CLOSE_GREY = (0x55, 0x55, 0x55)


def run(cmd, env, **kw):
    return subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=60, **kw)


class Display:
    """The display of the test command, or an Xvfb of our own."""

    def __init__(self):
        self.proc = None
        self.env = dict(os.environ)
        if self.env.get("DISPLAY"):
            return
        for number in range(90, 130):
            if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            self.proc = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = ":%d" % number
            wait_until(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), "Xvfb", 20)
            return
        raise RuntimeError("no free display number")

    def close(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait(timeout=20)


def clipboard(env):
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=env, capture_output=True, timeout=20)
    return result.stdout.decode("latin-1") if result.returncode == 0 else None


def set_clipboard(env, text):
    # xclip stays alive to serve the selection; it quits when someone else takes it.
    subprocess.Popen(["xclip", "-selection", "clipboard"], env=env, stdin=subprocess.PIPE,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).communicate(text.encode(), timeout=20)


def find_window(env, name):
    result = run(["xdotool", "search", "--onlyvisible", "--name", name], env)
    ids = result.stdout.split()
    return ids[0] if ids else None


def geometry(env, window):
    out = run(["xdotool", "getwindowgeometry", "--shell", window], env).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def window_pixels(env, window):
    """The window as (width, height, rows of RGB tuples), from a binary PPM."""
    data = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=env, capture_output=True, timeout=60).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    pixels = data[pos:]
    rows = [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)] for y in range(height)]
    return width, height, rows


def button_centre(rows, colour, min_width=40):
    """Centre of the widest horizontal run of `colour`, scanning every row."""
    best = None
    for y, row in enumerate(rows):
        x = 0
        while x < len(row):
            if row[x] == colour:
                start = x
                while x < len(row) and row[x] == colour:
                    x += 1
                if x - start >= min_width and (best is None or x - start > best[2]):
                    best = (start, y, x - start)
            else:
                x += 1
    if best is None:
        return None
    # The middle of the button: extend down while the run's start stays coloured.
    start, y, width = best
    bottom = y
    while bottom + 1 < len(rows) and rows[bottom + 1][start + width // 2] == colour:
        bottom += 1
    return start + width // 2, (y + bottom) // 2


def click(env, window, x, y):
    run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"], env)


def screenshot(env, directory, name, window="root"):
    if directory:
        subprocess.run(["import", "-window", window, os.path.join(directory, name)], env=env, timeout=60)


def decode(cli, code, env):
    result = run([cli, "diag", "decode", code], env)
    assert result.returncode == 0, result.stderr
    fields = dict(line.split("=", 1) for line in result.stdout.splitlines())
    return fields


MAC_REASON = "exception_MAC verification failed \u2014 data may be tampered"


def tampered_link(cli, env):
    """A sealed link with one hexadecimal digit of its first MAC changed."""
    link = run([cli, "link", "seal", "key-1", "lesson-plain", "https://api.tovrel.localhost"], env).stdout.strip()
    parts = link.split(":")
    for i, part in enumerate(parts):
        try:
            envelope = json.loads(base64.b64decode(urllib.parse.unquote(part), validate=True))
        except ValueError:
            continue
        if isinstance(envelope, dict) and envelope.get("mac"):
            mac = envelope["mac"]
            envelope["mac"] = ("1" if mac[0] != "1" else "2") + mac[1:]
            parts[i] = base64.b64encode(json.dumps(envelope, separators=(",", ":")).encode()).decode()
            return ":".join(parts)
    raise AssertionError("no sealed field with a MAC in " + link)


def follow_fatal_notice(env, player, cli, dialog_name, code=None, screenshots=None, tag="", started=None):
    """Follows a run that ends in the countdown notice and the HTML dialog:
    the clipboard holds exactly the code while the notice counts down, the
    process ends with 1, the dialog (titled like `dialog_name`, a regular
    expression) outlives it and keeps the code. Returns (code, dialog window)."""
    started = started if started is not None else set()
    notice = wait_until(lambda: find_window(env, "^Security Alert$"), "the countdown notice", WEB_VIEW_WAIT)
    if code is None:
        code = wait_until(lambda: (clipboard(env) or "").strip() or None, "a code on the clipboard", 20)
    _, _, width, height = geometry(env, notice)
    assert (width, height) == (700, 600 if code else 500), (width, height)
    wait_until(lambda: clipboard(env) == code, "the code on the clipboard", 20, seen=lambda: clipboard(env))
    assert player.poll() is None, "the player ended before the countdown was over"
    screenshot(env, screenshots, "countdown%s.png" % tag, notice)

    assert player.wait(timeout=WEB_VIEW_WAIT) == 1, "exit code %s" % player.returncode
    dialog = wait_until(lambda: find_window(env, dialog_name), "the HTML dialog", WEB_VIEW_WAIT)
    _, _, width, height = geometry(env, dialog)
    assert (width, height) == (700, 580), (width, height)
    started.add(int(run(["xdotool", "getwindowpid", dialog], env).stdout.strip()))
    # The player is gone; the dialog keeps the code on the clipboard.
    wait_until(lambda: clipboard(env) == code, "the code kept by the dialog", 20, seen=lambda: clipboard(env))
    return code, dialog


def check_run(args, display, from_worker=False):
    env = dict(display.env)
    env.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp(prefix="pellaro-diag-runtime-"))
    reason = "ParseSchemeArgs failed: less than 3 parts | \u062e\u0637\u0623"
    if args.player:
        command = [args.program, tampered_link(args.cli, env)]
        code = None
        reason = MAC_REASON
    else:
        code = run([args.cli, "diag", "encode", reason], env).stdout.strip()
        command = [args.program, "show", LINK_TITLE, LINK_MESSAGE, LINK_ARABIC + "\n" + LINK_ARABIC, code]
        if from_worker:
            command.append("worker")
    started = set()
    log = tempfile.TemporaryFile()
    player = subprocess.Popen(command, env=env, stdout=log, stderr=log)
    started.add(player.pid)
    try:
        code, dialog = follow_fatal_notice(env, player, args.cli, "^Link Error", code, args.screenshots,
                                           "-worker" if from_worker else "", started)
        fields = decode(args.cli, code, env)
        assert int(fields["ts"]) > 1600000000, fields
        assert fields["reason"] == reason, fields
        if from_worker:
            return
        dialog_pid = max(started - {player.pid})

        def buttons():
            """(Close centre, Copy columns) once the page has painted both."""
            rows = window_pixels(env, dialog)[2]
            close_at = button_centre(rows, CLOSE_GREY)
            if not close_at:
                return None
            # The copy button sits on the same line, left of Close.
            row = rows[close_at[1]]
            copy_xs = [x for x in range(close_at[0]) if row[x] == ACCENT]
            return (close_at, copy_xs) if copy_xs else None
        close_at, copy_xs = wait_until(buttons, "the page to paint its Close and Copy buttons", WEB_VIEW_WAIT)
        screenshot(env, args.screenshots, "dialog.png", dialog)
        assert close_at, "no Close button found"
        assert copy_xs, "no Copy button found"
        set_clipboard(env, "something else")
        current = lambda: clipboard(env)  # noqa: E731
        wait_until(lambda: clipboard(env) == "something else", "the clipboard taken over", 20, seen=current)
        click(env, dialog, (copy_xs[0] + copy_xs[-1]) // 2, close_at[1])
        wait_until(lambda: clipboard(env) == code, "Copy Code to fill the clipboard", 20, seen=current)
        click(env, dialog, *close_at)
        wait_until(lambda: not os.path.exists("/proc/%d" % dialog_pid) or
                   open("/proc/%d/stat" % dialog_pid).read().split()[2] == "Z", "Close to end the dialog", 30)
    except AssertionError:
        log.seek(0)
        sys.stderr.write(log.read().decode(errors="replace"))
        raise
    finally:
        for pid in started:
            try:
                os.kill(pid, 15)
            except ProcessLookupError:
                pass
        player.wait(timeout=30)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--player", action="store_true", help="the program is the player itself")
    parser.add_argument("--screenshots", help="folder for screenshots of the notice and the dialog")
    args = parser.parse_args()
    for tool in ("xdotool", "xclip", "import"):
        if not shutil.which(tool):
            print("missing tool: " + tool)
            return 1
    display = Display()
    try:
        check_run(args, display)
        if not args.player:
            check_run(args, display, from_worker=True)
    finally:
        display.close()
    print("diagnostic dialog: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
