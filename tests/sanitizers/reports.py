#!/usr/bin/env python3
"""The sanitizer build writes every report to files in one folder (log_path),
so a report from a program that a test only starts, stops or kills still
counts. `clear` empties the folder before the tests, `check` fails after them
when a report shows a fault of ours, and prints every report.

A report is ours unless it is only indirect leaks none of whose frames lies in
this tree: such blocks hang off direct leaks the suppression list already
gave to a system library, and their allocating caller, in code built without
frame pointers, is beyond the fast unwinder. Our code keeps its frame
pointers, so a block of ours (a leaked cycle too) shows a frame in the tree.
Usage: reports.py clear|check FOLDER"""
import os
import re
import shutil
import sys

TREE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LEAK_HEADER = re.compile(r"^(Direct|Indirect) leak of \d+ byte")


def leak_blocks(text):
    """(kind, frames) of each leak block in a report."""
    blocks = []
    for line in text.splitlines():
        header = LEAK_HEADER.match(line)
        if header:
            blocks.append((header.group(1), []))
        elif blocks and line.strip().startswith("#"):
            blocks[-1][1].append(line)
        elif blocks and line.strip() and not line.strip().startswith("#"):
            blocks.append(("", []))  # text after the blocks closes the last one
    return [b for b in blocks if b[0]]


def is_ours(text, tree=TREE):
    if "LeakSanitizer" not in text:
        return True  # an address error or undefined behaviour, wherever it is
    blocks = leak_blocks(text)
    if not blocks:
        return True
    for kind, frames in blocks:
        if kind == "Direct" or any(tree in frame for frame in frames):
            return True
    return False


def main(action, folder):
    if action == "clear":
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        return 0
    reports = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    ours = 0
    for name in reports:
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            text = f.read()
        verdict = "OURS" if is_ours(text) else "system library (indirect, no frame of ours)"
        ours += verdict == "OURS"
        print("=== %s: %s\n%s" % (name, verdict, text))
    print("%d sanitizer report(s) in %s, %d of ours" % (len(reports), folder, ours))
    return 1 if ours else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
