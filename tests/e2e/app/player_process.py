"""Starts the Linux player in a private environment and follows its debug lines."""
import array
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from waiting import wait_until  # noqa: E402

SKIP = 77  # CTest's skip code for a run without a display


def instance_hash(key):
    """The instance lock's hash of a key (UTF-16 units, ASCII lower-casing)."""
    value = 0x14650FB0739D0383
    data = key.encode("utf-16-le")
    for i in range(0, len(data), 2):
        unit = data[i] | (data[i + 1] << 8)
        if 0x41 <= unit <= 0x5A:
            unit += 0x20
        value = ((value ^ unit) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%x" % value


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
    def __init__(self, binary, args, env):
        self.lines = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen([binary, *args], env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                     start_new_session=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.proc.stderr:
            with self.cond:
                self.lines.append(raw.decode("utf-8", "replace").rstrip("\n"))
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
            fcntl.ioctl(self.proc.stderr.fileno(), termios.FIONREAD, pending)
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
