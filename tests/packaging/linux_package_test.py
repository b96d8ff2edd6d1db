#!/usr/bin/env python3
"""The Debian package as a user meets it, on this machine (needs root):

dpkg -i -> programs, desktop entry, icons, documents in place -> the desktop
names our entry as the handler of Tovrelapp: links -> a link sealed by the
installed pellaro-cli, opened with xdg-open, starts the installed player,
which fetches the item from the reference backend (port 443) -> dpkg -r
removes every file and the handler.

Whatever happens, the package is removed and every process this run started
is ended. Skips (77) without root, with port 443 taken, or when the package
was installed before the test (it is then not ours to remove).

usage: linux_package_test.py DEB
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from program_run import SOURCE_DIR, Backend, Display, port_443_free  # noqa: E402

SKIP = 77
PACKAGE = "pellaro-desktop-player"
ENTRY = "pellaro-desktop-player.desktop"
SCHEME_TYPE = "x-scheme-handler/tovrelapp"
CONTENT_PATH = "/api/app/content-data"
LONG = 120  # seconds; a loaded two-core machine starts Chromium slowly
FILES = ["/usr/bin/tovrelapp", "/usr/bin/pellaro-cli", "/usr/share/applications/" + ENTRY,
         "/usr/share/doc/%s/copyright" % PACKAGE, "/usr/share/doc/%s/changelog.gz" % PACKAGE,
         "/usr/share/man/man1/tovrelapp.1.gz", "/usr/share/man/man1/pellaro-cli.1.gz"] + \
        ["/usr/share/icons/hicolor/%dx%d/apps/tovrelapp.png" % (s, s) for s in (16, 24, 32, 48, 64, 128, 256)]


def wait_for(predicate, seconds):
    """The predicate's first true value within the deadline, else its last one."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.5)
    return predicate()


def installed():
    result = subprocess.run(["dpkg-query", "-W", "-f", "${Status}", PACKAGE], capture_output=True, text=True)
    return result.returncode == 0 and "ok installed" in result.stdout


def own_processes(marker):
    """Processes that carry this run's marker in their environment."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if marker in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def executable_of(pid):
    try:
        return os.readlink("/proc/%d/exe" % pid)
    except OSError:
        return ""


def check(condition, what, failures):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def run_checks(deb, env, backend, marker, failures):
    result = subprocess.run(["dpkg", "-i", deb], capture_output=True, text=True, timeout=300)
    check(result.returncode == 0, "dpkg -i: " + result.stdout[-300:] + result.stderr[-600:], failures)
    for path in FILES:
        check(os.path.isfile(path), "installed " + path, failures)
    check(os.access("/usr/bin/tovrelapp", os.X_OK), "the player is executable", failures)

    query = subprocess.run(["xdg-mime", "query", "default", SCHEME_TYPE], env=env, capture_output=True, text=True,
                           timeout=60)
    check(query.stdout.strip() == ENTRY, "xdg-mime names %r for %s" % (query.stdout.strip(), SCHEME_TYPE), failures)

    sealed = subprocess.run(["/usr/bin/pellaro-cli", "link", "seal", "key-1", "lesson-wrapped",
                             "https://api.tovrel.localhost"], env=env, capture_output=True, text=True, timeout=60)
    link = sealed.stdout.strip()
    check(sealed.returncode == 0 and link.startswith("Tovrelapp:"), "installed pellaro-cli seals a link", failures)

    # As a browser hands the link over: the URL's scheme lower-cased (the generic
    # xdg-open matches the handler's type case-sensitively).
    link = "tovrelapp:" + link[len("Tovrelapp:"):]
    # The generic opener runs the handler in the foreground: it lives as long as the player.
    log_path = os.path.join(env["PELLARO_PACKAGE_RUN"], "player.log")
    with open(log_path, "wb") as log:
        opener = subprocess.Popen(["xdg-open", link], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def player_fetched():
        puts = [r for r in backend.requests() if r["path"] == CONTENT_PATH and r["method"] == "PUT"]
        lesson = [r for r in backend.requests() if r["path"] == "/content/lesson.html"]
        return puts and lesson and puts
    puts = wait_for(player_fetched, LONG)
    check(bool(puts) and puts[0]["body"] == "link_key=key-1&content_link_id=lesson-wrapped",
          "the opened link reached the backend and the lesson loaded: %s"
          % [r["path"] for r in backend.requests() if not r["path"].startswith("/__control/")], failures)
    players = [pid for pid in own_processes(marker) if executable_of(pid) == "/usr/bin/tovrelapp"]
    check(bool(players), "the installed player (/usr/bin/tovrelapp) is the one running", failures)
    if not puts or not players:
        with open(log_path, "rb") as log:
            print("player output (ended: %s):\n%s" % (opener.poll(), log.read()[-3000:].decode("utf-8", "replace")))
    end_processes(marker)
    opener.wait(timeout=60)

    result = subprocess.run(["dpkg", "-r", PACKAGE], capture_output=True, text=True, timeout=300)
    check(result.returncode == 0 and not installed(), "dpkg -r: " + result.stderr[-600:], failures)
    # The maintainer scripts keep dpkg's record until a purge; nothing else is left.
    result = subprocess.run(["dpkg", "--purge", PACKAGE], capture_output=True, text=True, timeout=300)
    known = subprocess.run(["dpkg-query", "-W", PACKAGE], capture_output=True, text=True)
    check(result.returncode == 0 and known.returncode != 0, "dpkg --purge leaves no record", failures)
    for path in FILES:
        check(not os.path.exists(path), "removed " + path, failures)
    query = subprocess.run(["xdg-mime", "query", "default", SCHEME_TYPE], env=env, capture_output=True, text=True,
                           timeout=60)
    check(ENTRY not in query.stdout, "no handler left for %s (%r)" % (SCHEME_TYPE, query.stdout.strip()), failures)
    try:
        with open("/usr/share/applications/mimeinfo.cache") as f:
            check(ENTRY not in f.read(), "mimeinfo.cache forgets the entry", failures)
    except FileNotFoundError:
        pass


def end_processes(marker):
    for _ in range(10):
        pids = own_processes(marker)
        if not pids:
            return
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.5)


def main():
    deb = os.path.abspath(sys.argv[1])
    if os.geteuid() != 0:
        print("skipped: installing a package needs root")
        return SKIP
    if installed():
        print("skipped: %s was installed before this test; it is not ours to remove" % PACKAGE)
        return SKIP
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP

    root = tempfile.mkdtemp(prefix="pellaro-package-test-")
    marker_text = "PELLARO_PACKAGE_RUN=" + root
    backend = display = keeper = None
    failures = []
    try:
        backend = Backend(root, port=443)
        display = Display()
        # One client stays connected: Xvfb resets when its last client leaves, and a
        # client connecting during the reset can hang.
        keeper = subprocess.Popen(["xprop", "-root", "-spy"], env=dict(os.environ, DISPLAY=display.name),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        dirs = {name: os.path.join(root, name) for name in ("home", "data", "config", "run")}
        for path in dirs.values():
            os.makedirs(path, mode=0o700)
        env = dict(os.environ, DISPLAY=display.name, HOME=dirs["home"], XDG_DATA_HOME=dirs["data"],
                   XDG_CONFIG_HOME=dirs["config"], XDG_RUNTIME_DIR=dirs["run"], QT_QPA_PLATFORM="xcb",
                   LC_ALL="C.UTF-8", XDG_CURRENT_DESKTOP="X-Generic",
                   PELLARO_TEST_CA_FILE=os.path.join(SOURCE_DIR, "tests", "backend", "certs", "test-root.pem"),
                   DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(root, "no-session-bus"),
                   PELLARO_PACKAGE_RUN=root)
        for name in ("XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "DESKTOP_SESSION", "GNOME_DESKTOP_SESSION_ID",
                     "KDE_FULL_SESSION", "XDG_CACHE_HOME", "WAYLAND_DISPLAY", "BROWSER"):
            env.pop(name, None)
        run_checks(deb, env, backend, marker_text.encode(), failures)
    except Exception as error:  # reported, then cleaned up like any failure
        check(False, "unexpected: %r" % error, failures)
    finally:
        end_processes(marker_text.encode())
        if installed() or subprocess.run(["dpkg-query", "-W", PACKAGE], capture_output=True).returncode == 0:
            subprocess.run(["dpkg", "--purge", PACKAGE], capture_output=True, timeout=300)
        if keeper:
            keeper.kill()
            keeper.wait()
        if display:
            display.stop()
        if backend:
            backend.stop()
        shutil.rmtree(root, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
