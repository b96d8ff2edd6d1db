#!/usr/bin/env python3
"""The Linux player's own command line: --help and --version print and exit 0
without starting anything; without a display (none set, or one that cannot be
opened) it says so in one line on standard error and exits 1.

usage: command_line_test.py PROGRAM"""
import os
import subprocess
import sys
import tempfile

PROGRAM = sys.argv[1]
NAME = os.path.basename(PROGRAM)
NO_DISPLAY = NAME + ": no display to show the windows on"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL " + what, flush=True)


def run(args, **variables):
    root = tempfile.mkdtemp(prefix="pellaro-command-line-")
    env = {name: value for name, value in os.environ.items()
           if name not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(HOME=root, XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=os.path.join(root, "config"),
               XDG_RUNTIME_DIR=root, LC_ALL="C.UTF-8")
    env.update(variables)
    proc = subprocess.run([PROGRAM] + args, env=env, capture_output=True, timeout=120)
    # Nothing of the start-up ran: no scheme registration in the private folders.
    check(not os.path.exists(os.path.join(root, "data")), "%s %s left files behind" % (args, variables))
    return proc.returncode, proc.stdout.decode("utf-8"), proc.stderr.decode("utf-8")


def free_display():
    for number in range(180, 400):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
            return ":%d" % number
    raise RuntimeError("no unused display number")


for option in ("--help", "-h"):
    rc, out, err = run([option])
    check(rc == 0 and out.startswith("usage: %s [LINK]\n" % NAME) and "--version" in out and "exit codes" in out
          and not err, "%s: %d %r %r" % (option, rc, out, err))
rc, out, err = run(["--version"])
check((rc, out, err) == (0, "Tovrel Academy 4.12.0 (build profile demo)\n", ""), "--version: %r" % ((rc, out, err),))

for what, variables in (("none set", {}), ("xcb without a display", {"QT_QPA_PLATFORM": "xcb"}),
                        ("a display nobody serves", {"DISPLAY": free_display(), "QT_QPA_PLATFORM": "xcb"})):
    for args in ([], ["Tovrelapp:a:b:c"]):
        rc, out, err = run(args, **variables)
        check(rc == 1 and not out and err.count("\n") == 1 and err.startswith(NO_DISPLAY),
              "%s %s: %d %r %r" % (what, args, rc, out, err))

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
