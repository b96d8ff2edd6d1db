"""The player program itself, started by the end-to-end suites and the start-up
benchmark against the reference backend on port 443 (the built-in addresses
have no port)."""
import os
import socket
import subprocess
import tempfile


def port_443_free():
    """Whether this process may bind port 443 on loopback now."""
    probe = socket.socket()
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", 443))
        return True
    except OSError:
        return False
    finally:
        probe.close()


def stop_process(proc, grace):
    """Ends a process the tests started: asked first, killed after `grace` seconds."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class ProgramRun:
    """One run of the program on a display, with folders of its own under
    `root` (a HOME too unless `home` is given) and its stderr in a log file."""

    def __init__(self, program, display, root, args, home=None, env=None):
        folder = tempfile.mkdtemp(prefix="run-", dir=root)
        # The display's own variables (X11 by default; see displays.py).
        shown = display.environment() if hasattr(display, "environment") else \
            {"DISPLAY": display.name, "QT_QPA_PLATFORM": "xcb"}
        self.env = dict(os.environ, HOME=home or os.path.join(folder, "home"),
                        XDG_DATA_HOME=os.path.join(folder, "data"), XDG_CACHE_HOME=os.path.join(folder, "cache"),
                        XDG_CONFIG_HOME=os.path.join(folder, "config"), XDG_RUNTIME_DIR=os.path.join(folder, "run"))
        self.env.pop("WAYLAND_DISPLAY" if "DISPLAY" in shown else "DISPLAY", None)
        self.env.update(shown)
        self.env.update(env or {})
        os.makedirs(self.env["HOME"], exist_ok=True)
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
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
