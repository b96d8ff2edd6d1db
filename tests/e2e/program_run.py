"""Starts what the end-to-end suites and the benchmarks run: the player program
(its stderr in a log file, or followed line by line), the reference academy
backend, and the display (Xvfb, or Weston with PELLARO_E2E_DISPLAY=wayland).
The built-in addresses have no port, so the program's runs use port 443."""
import array
import ctypes
import ctypes.util
import fcntl
import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import termios
import threading
import time
import urllib.request

from displays import make_display
from waiting import WAIT, WaitTimeout, stop_process, wait_until  # noqa: F401

SOURCE_DIR = os.environ.get("PELLARO_SOURCE_DIR",
                            os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")))
BACKEND = os.environ.get("PELLARO_BACKEND_SERVER", os.path.join(SOURCE_DIR, "tests", "backend", "server.py"))
SKIP = 77  # CTest's skip code

# The display of a test: Xvfb, or Weston when PELLARO_E2E_DISPLAY=wayland.
Display = make_display


def _port_443_bindable():
    probe = socket.socket()
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", 443))
        return True
    except OSError:
        return False
    finally:
        probe.close()


def port_443_free(patience=60):
    """Whether this process may bind port 443 on loopback, waiting up to
    `patience` seconds for a process that is still ending to let it go; when
    the port stays taken, prints which process holds it."""
    deadline = time.monotonic() + patience
    while not _port_443_bindable():
        if time.monotonic() >= deadline:
            holder = subprocess.run(["ss", "-ltnpH", "sport = :443"], capture_output=True, text=True)
            print("port 443 is taken by:", (holder.stdout or holder.stderr).strip() or "(ss names no process)")
            return False
        time.sleep(0.5)
    return True


def program_env(display, folder, home=None, env=None, base=None):
    """The environment of one program run: `base` (or this process's
    environment) with folders of its own under `folder` (a HOME too unless
    `home` is given), the display's variables, then `env`."""
    # The display's own variables (X11 by default; see displays.py).
    shown = display.environment() if hasattr(display, "environment") else \
        {"DISPLAY": display.name, "QT_QPA_PLATFORM": "xcb"}
    result = dict(base if base is not None else os.environ, HOME=home or os.path.join(folder, "home"),
                  XDG_DATA_HOME=os.path.join(folder, "data"), XDG_CACHE_HOME=os.path.join(folder, "cache"),
                  XDG_CONFIG_HOME=os.path.join(folder, "config"), XDG_RUNTIME_DIR=os.path.join(folder, "run"))
    result.pop("WAYLAND_DISPLAY" if "DISPLAY" in shown else "DISPLAY", None)
    result.update(shown)
    result.update(env or {})
    os.makedirs(result["HOME"], exist_ok=True)
    os.makedirs(result["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return result


class ProgramRun:
    """One run of the program on a display, with folders of its own under
    `root` (a HOME too unless `home` is given) and its stderr in a log file."""

    def __init__(self, program, display, root, args, home=None, env=None):
        folder = tempfile.mkdtemp(prefix="run-", dir=root)
        self.env = program_env(display, folder, home, env)
        self.path = os.path.join(folder, "program.log")
        self.log = open(self.path, "wb")
        self.proc = subprocess.Popen([program] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self.log)

    def text(self):
        with open(self.path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop(self):
        stop_process(self.proc, 15)
        self.log.close()


class Backend:
    """The reference academy backend (tests/backend/server.py) on `port` (0: any
    free one), logging every request to a file under `workdir`."""

    def __init__(self, workdir, port=0, lifetime=900):
        self.workdir = workdir
        port_file = os.path.join(workdir, "port")
        self.log_file = os.path.join(workdir, "log.jsonl")
        output = os.path.join(workdir, "backend-output.txt")
        with open(output, "wb") as sink:
            self.proc = subprocess.Popen([sys.executable, BACKEND, "--port", str(port), "--port-file", port_file,
                                          "--log", self.log_file, "--lifetime", str(lifetime)],
                                         stdout=sink, stderr=subprocess.STDOUT)
        try:
            wait_until(lambda: os.path.exists(port_file) or self.proc.poll() is not None, "the backend's port file", 30)
        except WaitTimeout:
            pass
        if not os.path.exists(port_file):
            self.stop()
            with open(output, "rb") as said:
                raise RuntimeError("backend did not start (exit status %s): %s" % (
                    self.proc.returncode, said.read()[-2000:].decode("utf-8", "replace")))
        with open(port_file) as f:
            self.port = int(f.read().strip())

    def url(self, host, path):
        return "https://%s:%d%s" % (host, self.port, path)

    def control(self, name, body=None):
        context = ssl.create_default_context()
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request("https://127.0.0.1:%d/__control/%s" % (self.port, name), data=data,
                                         method="POST")
        with urllib.request.urlopen(request, context=context, timeout=30) as answer:
            return json.loads(answer.read() or b"null")

    def page(self, path, html):
        self.control("override", {"path": path, "status": 200, "body": html,
                                  "contentType": "text/html; charset=utf-8"})

    def requests(self):
        return [e for e in self.control("log") if e.get("event") == "request"]

    def reports(self, tag=None):
        out = []
        for e in self.requests():
            if e["path"].startswith("/report") and e.get("body"):
                try:
                    data = json.loads(e["body"])
                except ValueError:
                    continue
                if tag is None or data.get("tag") == tag:
                    out.append(data)
        return out

    def wait_report(self, tag, timeout=WAIT):
        return wait_until(lambda: self.reports(tag), "a report %r" % tag, timeout,
                          seen=lambda: [r["path"] for r in self.requests()])[0]

    def wait_requests(self, accept, what, timeout=WAIT):
        """The logged requests `accept` takes, once there is at least one."""
        return wait_until(lambda: [r for r in self.requests() if accept(r)], what, timeout,
                          seen=lambda: ["%s%s" % (r["host"], r["path"]) for r in self.requests()])

    def stop(self):
        stop_process(self.proc, 10)


class Sandbox:
    """A private HOME and XDG_RUNTIME_DIR shared by the players of one test."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="pellaro-e2e-")
        self.runtime = os.path.join(self.root, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.env = dict(os.environ)
        self.env.update(HOME=os.path.join(self.root, "home"), XDG_RUNTIME_DIR=self.runtime,
                        QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        for name in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        os.mkdir(self.env["HOME"])
        self.players = []

    def start(self, binary, *args):
        player = Player(binary, args, self.env)
        self.players.append(player)
        return player

    def close(self):
        for player in self.players:
            player.kill()
        shutil.rmtree(self.root, ignore_errors=True)


class Player:
    """The program with its stderr (with `both_streams`, its stdout and stderr)
    followed line by line. `on_line`, when given, sees each line as it arrives,
    before any wait does."""

    def __init__(self, binary, args, env, on_line=None, both_streams=False):
        self.on_line = on_line
        self.lines = []
        self.taken = 0  # next_line's place in `lines`
        self.cond = threading.Condition()
        self.proc = subprocess.Popen([binary, *args], env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE if both_streams else subprocess.DEVNULL,
                                     stderr=subprocess.STDOUT if both_streams else subprocess.PIPE,
                                     start_new_session=True)
        self.output = self.proc.stdout if both_streams else self.proc.stderr
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.output:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            if self.on_line:
                self.on_line(line)
            with self.cond:
                self.lines.append(line)
                self.cond.notify_all()
        with self.cond:
            self.cond.notify_all()

    def wait_line(self, predicate, timeout=60):
        """The first line matching the predicate; raises after the timeout."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for line in self.lines:
                    if predicate(line):
                        return line
                left = deadline - time.monotonic()
                if left <= 0 or (self.proc.poll() is not None and not self.reader.is_alive()):
                    raise AssertionError("no matching line; output so far:\n" + "\n".join(self.lines))
                self.cond.wait(min(left, 0.5))

    def next_line(self, prefix, timeout=60):
        """What follows `prefix` on the first line after those next_line took
        already that begins with it: repeated answers are waited for one by one."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for index in range(self.taken, len(self.lines)):
                    if self.lines[index].startswith(prefix):
                        self.taken = index + 1
                        return self.lines[index][len(prefix):]
                left = deadline - time.monotonic()
                if left <= 0 or (self.proc.poll() is not None and not self.reader.is_alive()):
                    raise AssertionError("no further line starting with %r (exit status %s); output so far:\n%s"
                                         % (prefix, self.proc.poll(), "\n".join(self.lines[-40:])))
                self.cond.wait(min(left, 0.5))

    def wait_text(self, text, timeout=60):
        return self.wait_line(lambda line: line == text or line.startswith(text), timeout)

    def has(self, prefix):
        with self.cond:
            return any(line.startswith(prefix) for line in self.lines)

    def wait_exit(self, timeout=60):
        """The exit code, once the process ended and what it wrote is read. A
        child it started (the diagnostic dialog) may hold the pipe open after it
        ends, so the pipe being empty counts as read too."""
        code = self.proc.wait(timeout=timeout)
        wait_until(lambda: not self.reader.is_alive() or self._pipe_empty(), "the output to be read", timeout)
        with self.cond:  # a line the reader is adding is complete once it lets go
            return code

    def _pipe_empty(self):
        pending = array.array("i", [0])
        try:
            fcntl.ioctl(self.output.fileno(), termios.FIONREAD, pending)
        except (OSError, ValueError):
            return True  # closed: nothing left to read
        return pending[0] == 0

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.proc.wait()
        self.reader.join(timeout=10)


def find_window(pid, title, timeout=60):
    """The X window of process `pid` whose title is exactly `title`."""
    def search():
        out = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                              "--name", "^%s$" % title], capture_output=True, text=True)
        return out.stdout.split()
    return wait_until(search, "a window titled %r for pid %d" % (title, pid), timeout)[0]


def process_tree(pid):
    """{child: parent} for every process below `pid` (children, their children, ...), read from /proc."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry, "rb") as f:
                stat = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        parents[int(entry)] = int(stat[stat.rindex(")") + 2:].split()[1])
    below, frontier = {}, [pid]
    while frontier:
        parent = frontier.pop()
        for child, ppid in parents.items():
            if ppid == parent:
                below[child] = parent
                frontier.append(child)
    return below


def process_arguments(pid):
    """The arguments of process `pid`. The engine's helper processes may set
    their title, which leaves all of them in one string separated by spaces."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            args = f.read().rstrip(b"\0").split(b"\0")
    except OSError:
        return []
    return args[0].split(b" ") if len(args) == 1 else args


def renderer_processes(pid):
    """The engine's renderer processes below `pid`: QtWebEngineProcess with
    --type=renderer, or (without the sandbox) forked by the engine's zygote,
    whose arguments the renderer keeps."""
    found = []
    for child, parent in process_tree(pid).items():
        args = process_arguments(child)
        if not args or b"QtWebEngineProcess" not in args[0]:
            continue
        if b"--type=renderer" in args or b"--type=zygote" in process_arguments(parent):
            found.append(child)
    return found


def close_window(env, window):
    """Asks X window `window` to close as a window manager's close button
    does (WM_DELETE_WINDOW); xdotool has no such command."""
    import ctypes
    import ctypes.util

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("message", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(env["DISPLAY"].encode())
    if not display:
        raise RuntimeError("cannot open display " + env["DISPLAY"])
    try:
        event = Event()
        event.message.type = 33  # ClientMessage
        event.message.window = int(window)
        event.message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.message.format = 32
        event.message.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        if not x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)
