#!/usr/bin/env python3
"""The demo as a new user meets it: `bash scripts/run.sh [ITEM]` with the
build as it is, without a display, in a folder of its own. Each item must
show what the run command says it shows (the backend's log and the player's
lines tell), and the run ends with the player's exit code and outcome.

usage: demo_run_test.py SOURCE_DIR ITEM   (ITEM "home" runs it without an argument)"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

SOURCE_DIR, ITEM = sys.argv[1:3]
APP = "Tovrel Academy"


def requested(log, host, path):
    return any(e.get("event") == "request" and e.get("host") == host and e.get("path", "").startswith(path)
               for e in log)


# ITEM -> (host and path the engine must have asked for, or None; lines the run must end with)
EXPECTED = {
    "home": (("www.tovrel.localhost", "/"), ["Outcome: the window showed the home page."]),
    "framed": (("www.tovrel.localhost", "/content/lesson.html"), ["Outcome: the window showed the item 'framed'."]),
    "pdf": (("www.tovrel.localhost", "/content/sample.pdf"), ["Outcome: the window showed the item 'pdf'."]),
    "page": (("www.tovrel.localhost", "/content/lesson.html"), ["Outcome: the window showed the item 'page'."]),
    "video": (("www.vidshare.localhost", "/embed/abc123"), ["Outcome: the window showed the item 'video'."]),
    "meeting": (("meet.localhost", "/j/123456"), ["Outcome: the window showed the item 'meeting'."]),
    "not-found": (None, ["The player ended with exit code 1.",
                         "Outcome: a message box \"%s - \u062e\u0637\u0623\": Content not found" % APP]),
    "tampered": (None, ["The player ended with exit code 1.",
                        "Outcome: the diagnostic dialog \"Link Error - \u062e\u0637\u0623 \u0641\u064a "
                        "\u0627\u0644\u0631\u0627\u0628\u0637\"; its code reads:",
                        "reason=exception_MAC verification failed \u2014 data may be tampered"]),
}


def main():
    folder = tempfile.mkdtemp(prefix="pellaro-demo-")
    try:
        env = {name: value for name, value in os.environ.items() if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(PELLARO_RUN_DIR=os.path.join(folder, "run"), PELLARO_RUN_BUILD="0", LC_ALL="C.UTF-8")
        args = [] if ITEM == "home" else [ITEM]
        # A session of its own: should the run not end in time, it goes as a
        # whole, backend included (port 443 is the next test's).
        proc = subprocess.Popen(["bash", os.path.join(SOURCE_DIR, "scripts", "run.sh")] + args, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        try:
            stdout, stderr = proc.communicate(timeout=400)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            stdout, stderr = proc.communicate()
        out = stdout.decode("utf-8", "replace")
        run = os.path.join(folder, "run")
        failures = []
        if proc.returncode != 0:
            failures.append("run.sh ended with %d:\n%s\n%s" % (proc.returncode, out,
                                                                stderr.decode("utf-8", "replace")))
        where, lines = EXPECTED[ITEM]
        shown = [line.strip() for line in out.splitlines()]
        for line in lines:
            if line not in shown:
                failures.append("missing line %r in:\n%s" % (line, out))
        if where:
            with open(os.path.join(run, "backend-requests.jsonl"), encoding="utf-8") as f:
                log = [json.loads(line) for line in f if line.strip()]
            if not requested(log, *where):
                failures.append("the engine never asked for https://%s%s; it asked for %s" % (
                    where[0], where[1], sorted({(e["host"], e["path"]) for e in log if e.get("event") == "request"})))
            with open(os.path.join(run, "player.log"), encoding="utf-8", errors="replace") as f:
                refused = [line for line in f if line.startswith("Certificate not trusted by the engine") and
                           line.rstrip().endswith(": refused")]
            if refused:
                failures.append("the engine refused a certificate: %s" % refused)
        if not os.path.getsize(os.path.join(run, "screenshot.png")):
            failures.append("no screenshot")
        # The user's own home folder stays untouched: the handler went to the run's own.
        if not os.path.exists(os.path.join(run, "data", "applications", "tovrelapp.desktop")):
            failures.append("the player did not register itself in the run's private folder")
        for failure in failures:
            print("FAIL " + failure)
        if failures:
            with open(os.path.join(run, "player.log"), encoding="utf-8", errors="replace") as f:
                sys.stderr.write("--- player.log (end) ---\n" + f.read()[-4000:])
        return 1 if failures else 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
