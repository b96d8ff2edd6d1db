#!/usr/bin/env python3
"""The verdict of scripts/test.sh from each phase's CTest results (JUnit XML)
and exit status: names every failed step, failed and skipped test, and ends
with the line "ctest: N passed, N failed, N skipped".

A test counts as skipped when CTest did not run it on purpose (a skip code or
pattern, disabled), and also when it passed but reported a skipped case of its
own (GoogleTest's "[  SKIPPED ]" lines, Python unittest's "OK (skipped=N)"):
under Wine one CTest entry runs a whole GoogleTest program, and a Python suite
is one entry. A skip fails the run unless the test is on the expected list.
A phase fails when CTest failed, wrote no results, or ran no test.

Usage: test_summary.py EXPECTED_SKIPS [--failed-step NAME]... [PHASE STATUS JUNIT]..."""
import re
import sys
import xml.etree.ElementTree as ElementTree

# What CTest writes when it did not run a test on purpose.
SKIP_MESSAGES = ("SKIP_RETURN_CODE", "SKIP_REGULAR_EXPRESSION_MATCHED", "Disabled")
CASE_SKIPPED = re.compile(r"^\[  SKIPPED \] |^OK \(.*\bskipped=\d+", re.MULTILINE)


def expected_skips(path):
    """name -> reason, from lines "NAME: REASON" ('#' starts a comment)."""
    listed = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, _, reason = line.partition(":")
            if not reason.strip():
                raise SystemExit("%s: an entry without its reason: %s" % (path, line))
            listed[name.strip()] = reason.strip()
    return listed


def outcomes(junit):
    """(name, "passed" | "failed" | "skipped", why) for each test of a JUnit file."""
    for case in ElementTree.parse(junit).getroot().iter("testcase"):
        name, status = case.get("name"), case.get("status")
        skipped = case.find("skipped")
        message = skipped.get("message", "") if skipped is not None else ""
        output = case.findtext("system-out") or ""
        if status == "run":
            if CASE_SKIPPED.search(output):
                yield name, "skipped", "passed, but skipped a case of its own"
            else:
                yield name, "passed", ""
        elif status == "disabled" or (status == "notrun" and message.startswith(SKIP_MESSAGES)):
            yield name, "skipped", message or status
        else:  # failed, timed out, or not run because something it needs failed
            yield name, "failed", message or status


def main(argv):
    listed = expected_skips(argv[0])
    args = argv[1:]
    failed_steps = []
    while args[:1] == ["--failed-step"]:
        failed_steps.append(args[1])
        args = args[2:]
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    problems = ["step failed: %s" % step for step in failed_steps]
    notes = []
    seen_skips = set()
    for phase, status, junit in zip(args[0::3], args[1::3], args[2::3]):
        try:
            results = list(outcomes(junit))
        except (OSError, ElementTree.ParseError) as error:
            problems.append("%s: no test results (%s)" % (phase, error))
            continue
        if not results:
            problems.append("%s: ran no test" % phase)
        for name, outcome, why in results:
            counts[outcome] += 1
            if outcome == "failed":
                problems.append("%s: failed: %s (%s)" % (phase, name, why))
            elif outcome == "skipped":
                seen_skips.add(name)
                if name in listed:
                    notes.append("%s: skipped (expected): %s -- %s" % (phase, name, listed[name]))
                else:
                    problems.append("%s: skipped, not on the expected list: %s (%s)" % (phase, name, why))
        if status != "0":
            problems.append("%s: ctest ended with status %s" % (phase, status))
    for name in sorted(set(listed) - seen_skips):
        notes.append("expected to skip but did not: %s (still on %s)" % (name, argv[0]))
    for line in notes + problems:
        print(line)
    print("ctest: %d passed, %d failed, %d skipped" % (counts["passed"], counts["failed"], counts["skipped"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
