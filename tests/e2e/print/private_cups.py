"""A private CUPS scheduler for tests: its own configuration and spool folders
in a temporary directory, listening on a free loopback port, plus a socket
printer whose listener captures the job bytes."""
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

CUPSD = "/usr/sbin/cupsd"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class JobListener:
    """A raw (AppSocket) printer: every connection is one job; its bytes are kept."""

    def __init__(self):
        self.server = socket.socket()
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("127.0.0.1", 0))
        self.server.listen(4)
        self.port = self.server.getsockname()[1]
        self.jobs = []
        self.arrived = threading.Condition()
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.server.accept()
            except OSError:
                return
            data = bytearray()
            with conn:
                conn.settimeout(60)
                try:
                    while chunk := conn.recv(65536):
                        data += chunk
                except OSError:
                    pass
            with self.arrived:
                if data:
                    self.jobs.append(bytes(data))
                self.arrived.notify_all()

    def wait_for_jobs(self, count, timeout):
        """The jobs received, once there are at least `count`."""
        with self.arrived:
            if not self.arrived.wait_for(lambda: len(self.jobs) >= count, timeout):
                raise AssertionError("timed out after %gs waiting for %d print job(s); got %d"
                                     % (timeout, count, len(self.jobs)))
            return list(self.jobs)

    def close(self):
        self.server.close()


class PrivateCups:
    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="pellaro-cups-")
        os.chmod(self.root, 0o755)
        self.port = free_port()
        self.server = f"127.0.0.1:{self.port}"
        self.process = None
        for sub in ("spool", "spool/tmp", "cache", "state", "log", "ppd"):
            path = os.path.join(self.root, sub)
            os.makedirs(path, exist_ok=True)
            os.chmod(path, 0o777)

    def env(self, base=None):
        env = dict(base if base is not None else os.environ)
        env["CUPS_SERVER"] = self.server
        env.pop("PRINTER", None)
        env.pop("LPDEST", None)
        env["HOME"] = self.root  # no personal lpoptions
        return env

    def start(self, timeout=60):
        r = self.root
        with open(os.path.join(r, "cupsd.conf"), "w") as f:
            f.write(f"""LogLevel warn
Listen 127.0.0.1:{self.port}
Browsing No
DefaultAuthType None
DefaultEncryption Never
WebInterface No
JobRetryLimit 0
ErrorPolicy stop-printer
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
""")
        with open(os.path.join(r, "cups-files.conf"), "w") as f:
            f.write(f"""ServerRoot {r}
RequestRoot {r}/spool
TempDir {r}/spool/tmp
CacheDir {r}/cache
StateDir {r}/state
AccessLog {r}/log/access_log
ErrorLog {r}/log/error_log
PageLog {r}/log/page_log
FileDevice Yes
Printcap {r}/printcap
""")
        self.process = subprocess.Popen(
            [CUPSD, "-f", "-c", os.path.join(r, "cupsd.conf"), "-s", os.path.join(r, "cups-files.conf")],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("cupsd ended: " + self.process.stderr.read().decode(errors="replace")
                                   + self.error_log())
            if subprocess.run(["lpstat", "-r"], env=self.env(), capture_output=True,
                              text=True).stdout.strip() == "scheduler is running":
                return
            time.sleep(0.2)
        raise RuntimeError("cupsd did not answer in time" + self.error_log())

    def error_log(self):
        try:
            with open(os.path.join(self.root, "log", "error_log")) as f:
                return f.read()
        except OSError:
            return ""

    def run(self, *args):
        result = subprocess.run(list(args), env=self.env(), capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise RuntimeError(f"{args} failed: {result.stdout}{result.stderr}")
        return result.stdout

    def add_printer(self, name, uri):
        # Without a model the queue is raw: documents reach the device unchanged.
        self.run("lpadmin", "-p", name, "-E", "-v", uri)

    def stop(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
            self.process.stderr.close()
        shutil.rmtree(self.root, ignore_errors=True)
