#!/usr/bin/env python3
"""Start-up timing: the player's cold start, from the command line to the
"Player page loaded" debug line (the local player page's pageLoaded message)
for a sealed link, next to a bare Qt WebEngine window loading the same lesson
page from the same backend until loadFinished. Every run gets fresh home and
data folders, so the browser profile starts empty. Prints each run, the
medians and their ratio. A benchmark: it never fails a build, and it exits 0
with a note when port 443 (the demo profile's addresses have no port) or the
programs are missing."""
import argparse
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
BUILD = os.path.join(SOURCE, "build", "linux")
SERVER = os.path.join(SOURCE, "tests", "backend", "server.py")
TEST_ROOT = os.path.join(SOURCE, "tests", "backend", "certs", "test-root.pem")
LESSON = "https://www.tovrel.localhost/content/lesson.html"  # what the lesson items show
PLAYER_LINE = "Player page loaded"
BARE_LINE = "loadFinished ok"


def port_443_free():
    probe = socket.socket()
    try:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", 443))
        return True
    except OSError:
        return False
    finally:
        probe.close()


def wait_for_file(path, process, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end and process.poll() is None:
        if os.path.exists(path):
            return True
        time.sleep(0.05)
    return os.path.exists(path)


def start_display():
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        proc.terminate()
        proc.wait()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number


def stop(proc, timeout=15):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def timed_run(command, env, line, timeout):
    """Seconds from starting `command` to the first stderr line containing
    `line`, or None; the process is stopped afterwards either way."""
    seen = threading.Event()
    tail = []
    start = time.monotonic()
    proc = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    found = [None]

    def read():
        for raw in proc.stderr:
            text = raw.decode("utf-8", "replace")
            tail.append(text)
            del tail[:-20]
            if found[0] is None and line in text:
                found[0] = time.monotonic() - start
                seen.set()
        seen.set()

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    seen.wait(timeout)
    stop(proc)
    reader.join(10)
    proc.stderr.close()
    if found[0] is None:
        sys.stderr.write("no %r from %s; last lines:\n%s" % (line, command[0], "".join(tail)))
    return found[0]


def fresh_env(base, root, display):
    env = dict(base, DISPLAY=display, HOME=os.path.join(root, "home"), XDG_DATA_HOME=os.path.join(root, "data"),
               XDG_CONFIG_HOME=os.path.join(root, "config"), XDG_CACHE_HOME=os.path.join(root, "cache"),
               XDG_RUNTIME_DIR=os.path.join(root, "run"), QT_QPA_PLATFORM="xcb")
    for name in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
        os.makedirs(env[name], mode=0o700, exist_ok=True)
    return env


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", default=os.path.join(BUILD, "src", "app", "tovrelapp"))
    parser.add_argument("--cli", default=os.path.join(BUILD, "tools", "pellaro-cli"))
    parser.add_argument("--bare", default=os.path.join(BUILD, "bench", "startup", "startup_bare_webengine"))
    parser.add_argument("--content-id", default="framed-1", help="an item shown through the local player page")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--timeout", type=float, default=120)
    args = parser.parse_args()

    for path in (args.program, args.cli, args.bare):
        if not os.access(path, os.X_OK):
            print("not run: %s is missing (build tovrelapp, pellaro-cli and startup_bare_webengine)" % path)
            return 0
    if not port_443_free():
        print("not run: port 443 is taken or cannot be bound")
        return 0

    work = tempfile.mkdtemp(prefix="pellaro-startup-timing-")
    base = dict(os.environ)
    for name in ("QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINE_REMOTE_DEBUGGING"):
        base.pop(name, None)
    base["PELLARO_TEST_CA_FILE"] = TEST_ROOT
    if os.geteuid() == 0:  # the player does the same for root; both run unsandboxed then
        base["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    port_file = os.path.join(work, "port")
    backend = subprocess.Popen([sys.executable, SERVER, "--port", "443", "--port-file", port_file,
                                "--log", os.path.join(work, "log.jsonl"), "--lifetime", "3600"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    display = None
    try:
        if not wait_for_file(port_file, backend, 30):
            print("not run: the backend did not start on port 443")
            return 0
        display, display_name = start_display()
        link = subprocess.run([args.cli, "link", "seal", "startup-timing-key", args.content_id,
                               "https://api.tovrel.localhost"], capture_output=True, text=True,
                              check=True).stdout.strip()
        player_times, bare_times = [], []
        for run in range(args.runs):
            # Alternating spreads the machine's load over both.
            root = tempfile.mkdtemp(prefix="player-", dir=work)
            player = timed_run([args.program, link], fresh_env(base, root, display_name), PLAYER_LINE,
                               args.timeout)
            root = tempfile.mkdtemp(prefix="bare-", dir=work)
            env = fresh_env(base, root, display_name)
            bare = timed_run([args.bare, LESSON, os.path.join(root, "profile")], env, BARE_LINE, args.timeout)
            print("run %d: player %s  bare %s" % (run + 1, "%.3f s" % player if player else "-",
                                                  "%.3f s" % bare if bare else "-"), flush=True)
            if player:
                player_times.append(player)
            if bare:
                bare_times.append(bare)
        if not player_times or not bare_times:
            print("no complete figures")
            return 0
        player_median = statistics.median(player_times)
        bare_median = statistics.median(bare_times)
        print("player (command line to pageLoaded), median of %d: %.3f s" % (len(player_times), player_median))
        print("bare Qt WebEngine window (start to loadFinished), median of %d: %.3f s" %
              (len(bare_times), bare_median))
        print("ratio player / bare: %.2f" % (player_median / bare_median))
        return 0
    finally:
        if display:
            stop(display)
        stop(backend)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
