"""The display an end-to-end test shows its windows on: a private Xvfb (X11),
or a private headless Weston (Wayland) when PELLARO_E2E_DISPLAY=wayland.
Each gives the environment its clients need and is stopped by the test."""
import os
import shutil
import subprocess
import tempfile

from waiting import WaitTimeout, stop_process, wait_until


class XDisplay:
    kind = "x11"

    def __init__(self, size="1920x1080"):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def environment(self):
        return {"DISPLAY": self.name, "QT_QPA_PLATFORM": "xcb"}

    def client_env(self, base=None):
        """`base` (or this process's environment) for a program on this display."""
        env = dict(base if base is not None else os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(self.environment())
        return env

    def run(self, *args):
        return subprocess.run(list(args), env=self.client_env(), capture_output=True, timeout=60)

    def screenshot(self, path):
        return self.run("import", "-window", "root", path).returncode == 0

    def stop(self):
        stop_process(self.proc, 10)


class WaylandDisplay:
    """Weston with its headless back end: a real Wayland compositor with one
    1920 x 1080 output and no input devices, in a runtime folder of its own."""
    kind = "wayland"

    def __init__(self, width=1920, height=1080):
        self.runtime = tempfile.mkdtemp(prefix="pellaro-wayland-")
        os.chmod(self.runtime, 0o700)
        self.name = "wayland-pellaro"
        self.log = open(os.path.join(self.runtime, "weston.log"), "wb")
        config = os.path.join(self.runtime, "weston.ini")
        with open(config, "w") as f:
            f.write("[input-method]\npath=\n")
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        # GL (Mesa in software) as on a desktop, so clients and the web engine get EGL.
        self.proc = subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-gl", "--socket=" + self.name,
                                      "--width=%d" % width, "--height=%d" % height, "--idle-time=0", "--config=" + config],
                                     env=env, stdout=self.log, stderr=subprocess.STDOUT)
        socket = os.path.join(self.runtime, self.name)
        try:
            wait_until(lambda: os.path.exists(socket) or self.proc.poll() is not None, "Weston's socket", 30)
        except WaitTimeout:
            pass
        if not os.path.exists(socket):
            self.stop()
            raise RuntimeError("weston did not start")

    def environment(self):
        # The socket by its full path: clients keep runtime folders of their own.
        # No input method: with no seat to type on, Qt's text-input support
        # stalls a window whose page focuses a text field.
        return {"WAYLAND_DISPLAY": os.path.join(self.runtime, self.name), "QT_QPA_PLATFORM": "wayland",
                "QT_IM_MODULE": "none"}

    def client_env(self, base=None):
        env = dict(base if base is not None else os.environ)
        env.pop("DISPLAY", None)
        env.update(self.environment())
        env.setdefault("XDG_RUNTIME_DIR", self.runtime)
        return env

    def run(self, *args):
        return subprocess.run(list(args), env=self.client_env(), capture_output=True, timeout=60)

    def screenshot(self, path):
        return False  # Weston lets only its own shell take screenshots

    def stop(self):
        stop_process(self.proc, 10)
        self.log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


def make_display():
    """The display the run asks for (PELLARO_E2E_DISPLAY: x11, the default, or wayland)."""
    if os.environ.get("PELLARO_E2E_DISPLAY", "x11") == "wayland":
        return WaylandDisplay()
    return XDisplay()
