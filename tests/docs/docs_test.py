#!/usr/bin/env python3
"""The documents checked against the program, so they cannot drift:

- every example session in docs/support-tool.md and docs/diagnostics.md runs
  against the reference backend (on port 443, as the demo profile's addresses
  want) and prints what the document shows;
- the step numbers of docs/startup.md are the ones the start-up logs;
- docs/demo.md's table says of each item what `scripts/run.sh --help` says.

usage: docs_test.py SOURCE_DIR CLI"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE_DIR, CLI = sys.argv[1:3]
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "e2e", "browser"))
from harness import Backend  # noqa: E402

ELLIPSIS = "\u2026"
END = "@@@ end of a documented command @@@"
failures = []


def fail(what):
    failures.append(what)
    print("FAIL " + what, flush=True)


def read(relative):
    with open(os.path.join(SOURCE_DIR, relative), encoding="utf-8") as f:
        return f.read()


# --- example sessions ---------------------------------------------------------

def sessions(document):
    """Each fenced block that starts with a command: [(command, [expected lines])]."""
    found = []
    for block in re.findall(r"^```\n(.*?)^```", read(document), re.S | re.M):
        lines = block.splitlines()
        if not lines or not lines[0].startswith("$ "):
            continue
        steps = []
        for line in lines:
            if line.startswith("$ "):
                steps.append((line[2:], []))
            else:
                steps[-1][1].append(line)
        found.append(steps)
    return found


def line_matches(expected, actual):
    expected, actual = expected.rstrip(), actual.rstrip()
    if ELLIPSIS not in expected:
        return expected == actual
    head, tail = expected.split(ELLIPSIS, 1)
    return actual.startswith(head) and actual.endswith(tail) and len(actual) >= len(head) + len(tail)


def lines_match(expected, actual):
    """A line "…" alone stands for any number of lines; "…" in a line for any text."""
    if not expected:
        return not actual
    if expected[0].strip() == ELLIPSIS:
        return any(lines_match(expected[1:], actual[skip:]) for skip in range(len(actual) + 1))
    return bool(actual) and line_matches(expected[0], actual[0]) and lines_match(expected[1:], actual[1:])


def run_session(steps, folder):
    """Runs the commands in one shell, as a reader would type them; each one's output (both streams)."""
    script = ["cd %s" % folder, "exec 2>&1"]
    for command, _ in steps:
        script += [command, "__status=$?; printf '%%s\\n' '%s'; (exit $__status)" % END]
    env = dict(os.environ, PATH=os.path.dirname(os.path.abspath(CLI)) + os.pathsep + os.environ["PATH"],
               LC_ALL="C.UTF-8")
    proc = subprocess.run(["bash", "-c", "\n".join(script)], env=env, capture_output=True, timeout=300)
    outputs = proc.stdout.decode("utf-8", "replace").split(END + "\n")
    return [output.splitlines() for output in outputs[:len(steps)]]


def check_sessions(folder):
    for document in ("docs/support-tool.md", "docs/diagnostics.md"):
        found = sessions(document)
        if not found:
            fail("%s shows no example session" % document)
        for steps in found:
            outputs = run_session(steps, folder)
            for (command, expected), actual in zip(steps, outputs):
                if not lines_match(expected, actual):
                    fail("%s: `%s` prints:\n%s\nbut the document shows:\n%s" % (
                        document, command, "\n".join(actual), "\n".join(expected)))


# --- start-up steps -------------------------------------------------------------

def check_startup_steps():
    """Every "Step N: ..." text the start-up logs stands in the row numbered N of docs/startup.md."""
    logged = re.findall(r'"(Step ([0-9]+[A-Z]?): [^"]*)"', read("src/app/startup.cpp"))
    if not logged:
        fail("no Step lines found in src/app/startup.cpp")
    order = read("docs/startup.md").split("## The order", 1)[-1].split("\n## ", 1)[0]
    rows = {}
    for line in order.splitlines():
        cells = [cell.strip() for cell in line.split("|")]
        if len(cells) > 2 and re.fullmatch(r"[0-9]+[A-Za-z]?", cells[1]):
            rows[cells[1]] = line
    for text, step in logged:
        if step not in rows:
            fail("docs/startup.md has no step %s, which the log names (%r)" % (step, text))
        elif text not in rows[step]:
            fail("docs/startup.md's step %s does not show the log line %r:\n%s" % (step, text, rows[step]))


# --- the demo's items -----------------------------------------------------------

def check_demo_items():
    usage = subprocess.run(["bash", os.path.join(SOURCE_DIR, "scripts", "run.sh"), "--help"],
                           capture_output=True, text=True, timeout=60).stdout
    items = re.findall(r"^  (\S+) +(.+)$", usage, re.M)
    if len(items) < 7:
        fail("run.sh --help lists %d items:\n%s" % (len(items), usage))
    table = read("docs/demo.md")
    for name, look in items:
        row = next((line for line in table.splitlines() if line.startswith("| `%s` |" % name)), None)
        if row is None:
            fail("docs/demo.md has no row for the item %s" % name)
        elif look not in row or "images/demo-%s.png" % name not in row:
            fail("docs/demo.md's row for %s does not say %r with its screenshot:\n%s" % (name, look, row))
        elif not os.path.exists(os.path.join(SOURCE_DIR, "docs", "images", "demo-%s.png" % name)):
            fail("docs/images/demo-%s.png is missing" % name)


def main():
    check_startup_steps()
    check_demo_items()
    folder = tempfile.mkdtemp(prefix="pellaro-docs-")
    backend = None
    try:
        backend = Backend(folder, port=443)  # the documents' addresses have no port
        check_sessions(folder)
    except RuntimeError as error:
        fail("the reference backend could not take port 443: %s" % error)
    finally:
        if backend:
            backend.stop()
        shutil.rmtree(folder, ignore_errors=True)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
