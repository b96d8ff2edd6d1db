#!/usr/bin/env python3
"""Start-up timing: the player's cold start, from the command line to the
"Player page loaded" debug line (the local player page's pageLoaded message)
for a sealed link, next to a bare Qt WebEngine window loading the same lesson
page from the same backend until loadFinished. Every run gets fresh home and
data folders, so the browser profile starts empty. Prints each run, the
player's timeline (median time of each step), the medians and their ratio,
the peak resident memory of both, and what the player's own HTTPS client did
according to the backend's log (handshakes per host, repeated requests).
docs/startup.md tells how to read it. A benchmark: it never fails a build, and it exits 0
with a note when port 443 (the demo profile's addresses have no port) or the
programs are missing."""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
BUILD = os.path.join(SOURCE, "build", "linux")
TEST_ROOT = os.path.join(SOURCE, "tests", "backend", "certs", "test-root.pem")
LESSON = "https://www.tovrel.localhost/content/lesson.html"  # what the lesson items show
PLAYER_LINE = "Player page loaded"
BARE_LINE = "loadFinished ok"

sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
from program_run import Backend, Display, Player, port_443_free, program_env  # noqa: E402


# The player's own debug lines that mark its steps, in start-up order: the
# first time each appears is the step's time since the command line.
PLAYER_STEPS = [
    ("first debug line", ""),
    ("instance lock taken", "Instance mutex:"),
    ("dynamic pins: start", "Step 7: Loading dynamic pins"),
    ("engine warm-up: start", "Browser engine warm-up: starting"),
    ("engine warm-up: profile ready", "Browser engine warm-up: profile ready"),
    ("dynamic pins: done", "Step 7: Dynamic pins "),
    ("version check: done", "Step 7B: Version check done"),
    ("engine warm-up: blank page loaded", "Browser engine warm-up: blank page loaded"),
    ("link resolution: done", "ParseSchemeArgs succeeded"),
    ("engine taken over by the window", "Browser engine warm-up: taken over"),
    ("browser host initialized", "Browser engine started: "),
    ("player page loaded", PLAYER_LINE),
]
BARE_STEPS = [("bare window loadFinished", BARE_LINE)]


def descendants(pid):
    """pid and every process below it, from /proc's parent links."""
    children = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            children.setdefault(int(fields[1]), []).append(int(name))
        except (OSError, IndexError, ValueError):
            pass
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        todo.extend(children.get(current, []))
    return found


def peak_kib(pid):
    """The process's peak resident set (VmHWM) in KiB, or 0 once it is gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def timed_run(command, env, steps, timeout):
    """Starts `command` and notes, for each (label, text) of `steps`, the
    seconds to the first stderr line containing text; the last step ends the
    run. Returns (times by label, memory) where memory holds the program's own
    peak resident set and the sum of the peaks of it and every process it
    started, read when the last step appears. The process is stopped
    afterwards either way."""
    times = {}
    memory = {}
    final, final_text = steps[-1]
    start = time.monotonic()
    player = None

    def note(text):
        now = time.monotonic() - start
        for label, marker in steps:
            if label not in times and marker in text:
                times[label] = now
        if final in times and not memory:
            tree = descendants(player.proc.pid)
            memory["own"] = peak_kib(player.proc.pid)
            memory["tree"] = sum(peak_kib(p) for p in tree)
            memory["processes"] = len(tree)

    player = Player(command[0], command[1:], env, on_line=note)
    try:
        player.wait_line(lambda line: final_text in line, timeout)
    except AssertionError:
        sys.stderr.write("no %r from %s; last lines:\n%s\n" % (final_text, command[0], "\n".join(player.lines[-20:])))
    finally:
        player.kill()
    return times, memory


def read_backend_log(path):
    entries = []
    try:
        with open(path, encoding="utf-8") as log:
            for line in log:
                try:
                    entries.append(json.loads(line))
                except ValueError:
                    pass
    except OSError:
        pass
    return entries


def own_client_traffic(entries, begin, end):
    """The program's own HTTPS client within [begin, end] (wall clock): its
    handshakes per host and its requests, told from the engine's by the user
    agent (the engine's names a browser, "Mozilla/..."). A handshake belongs to
    the client whose requests came over the same connection (client port)."""
    window = [e for e in entries if begin <= e.get("time", 0) <= end]
    agents = {}
    requests = []
    for entry in window:
        if entry.get("event") != "request":
            continue
        agent = next((v for k, v in entry.get("headers", []) if k.lower() == "user-agent"), "")
        own = not agent.startswith("Mozilla/")
        agents.setdefault(entry.get("peer"), set()).add(own)
        if own:
            requests.append((entry.get("method"), entry.get("host"), entry.get("path", "").split("?")[0]))
    handshakes, unattributed = {}, 0
    for entry in window:
        if entry.get("event") != "handshake":
            continue
        kinds = agents.get(entry.get("peer"))
        if kinds is None:
            unattributed += 1
        elif True in kinds:
            handshakes[entry.get("sni")] = handshakes.get(entry.get("sni"), 0) + 1
    return handshakes, requests, unattributed


def median_or_none(values):
    return statistics.median(values) if values else None


def seconds(value):
    return "%.3f s" % value if value is not None else "-"


def load_average():
    try:
        with open("/proc/loadavg") as loadavg:
            return " ".join(loadavg.read().split()[:3])
    except OSError:
        return "?"


def fresh_env(base, root, display):
    env = program_env(display, root, base=base)
    for name in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
        os.makedirs(env[name], mode=0o700, exist_ok=True)
    return env


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", default=os.path.join(BUILD, "src", "app", "tovrelapp"))
    parser.add_argument("--cli", default=os.path.join(BUILD, "tools", "pellaro-cli"))
    parser.add_argument("--bare", default=os.path.join(BUILD, "bench", "startup", "startup_bare_webengine"))
    parser.add_argument("--content-id", default="framed-1", help="an item shown through the local player page")
    parser.add_argument("--runs", type=int, default=9)
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
    backend = display = None
    try:
        try:
            backend = Backend(work, port=443, lifetime=3600)
        except RuntimeError as error:
            print("not run: the backend did not start on port 443:", error)
            return 0
        display = Display()
        link = subprocess.run([args.cli, "link", "seal", "startup-timing-key", args.content_id,
                               "https://api.tovrel.localhost"], capture_output=True, text=True,
                              check=True).stdout.strip()
        player_runs, bare_runs, traffic = [], [], []
        log_path = backend.log_file
        print("load average at the start (1, 5, 15 min): %s" % load_average(), flush=True)
        for run in range(args.runs):
            # Alternating spreads the machine's load over both.
            root = tempfile.mkdtemp(prefix="player-", dir=work)
            begin = time.time()
            player = timed_run([args.program, link], fresh_env(base, root, display), PLAYER_STEPS,
                               args.timeout)
            time.sleep(0.5)  # the last requests of the run reach the log
            traffic.append(own_client_traffic(read_backend_log(log_path), begin, time.time()))
            root = tempfile.mkdtemp(prefix="bare-", dir=work)
            env = fresh_env(base, root, display)
            bare = timed_run([args.bare, LESSON, os.path.join(root, "profile")], env, BARE_STEPS, args.timeout)
            player_time = player[0].get(PLAYER_STEPS[-1][0])
            bare_time = bare[0].get(BARE_STEPS[-1][0])
            print("run %d: player %s  bare %s" % (run + 1, seconds(player_time), seconds(bare_time)), flush=True)
            if player_time:
                player_runs.append(player)
            if bare_time:
                bare_runs.append(bare)
        print("load average at the end (1, 5, 15 min): %s" % load_average())
        if not player_runs or not bare_runs:
            print("no complete figures")
            return 0

        print("\nplayer timeline, median seconds since the command line (runs that reached the step):")
        for label, _ in PLAYER_STEPS:
            values = [times[label] for times, _ in player_runs if label in times]
            print("  %-36s %9s  (%d of %d)" % (label, seconds(median_or_none(values)), len(values), len(player_runs)))
        print("  %-36s %9s" % ("bare window loadFinished", seconds(median_or_none(
            [times[BARE_STEPS[-1][0]] for times, _ in bare_runs]))))

        player_median = statistics.median(times[PLAYER_STEPS[-1][0]] for times, _ in player_runs)
        bare_median = statistics.median(times[BARE_STEPS[-1][0]] for times, _ in bare_runs)
        print("\nplayer (command line to pageLoaded), median of %d: %.3f s" % (len(player_runs), player_median))
        print("bare Qt WebEngine window (start to loadFinished), median of %d: %.3f s" %
              (len(bare_runs), bare_median))
        print("ratio player / bare: %.2f" % (player_median / bare_median))

        print("\npeak resident memory, median MiB (the program itself / with every process it started):")
        for name, runs in (("player", player_runs), ("bare window", bare_runs)):
            own = median_or_none([m["own"] for _, m in runs if m.get("own")])
            tree = median_or_none([m["tree"] for _, m in runs if m.get("tree")])
            count = median_or_none([m["processes"] for _, m in runs if m.get("processes")])
            print("  %-12s %7s / %7s  (%s processes)" % (
                name, "%.1f" % (own / 1024) if own else "-", "%.1f" % (tree / 1024) if tree else "-",
                "%g" % count if count else "-"))

        print("\nthe player's own HTTPS client, from the backend's handshake log:")
        one_each, repeated_any = True, False
        for number, (handshakes, requests, unattributed) in enumerate(traffic, 1):
            repeated = sorted({r for r in requests if requests.count(r) > 1})
            repeated_any = repeated_any or bool(repeated)
            one_each = one_each and all(count == 1 for count in handshakes.values())
            print("  run %d: handshakes %s; %d requests%s%s" % (
                number, ", ".join("%s %d" % item for item in sorted(handshakes.items())) or "none",
                len(requests), "; repeated: " + ", ".join(" ".join(r) for r in repeated) if repeated else "",
                "; %d handshakes without a request" % unattributed if unattributed else ""))
        print("one TLS handshake per host per run: %s" % ("yes" if one_each else "NO"))
        print("no request repeated: %s" % ("NO" if repeated_any else "yes"))
        return 0
    finally:
        if display:
            display.stop()
        if backend:
            backend.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
