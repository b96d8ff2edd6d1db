#!/usr/bin/env python3
"""The sanitizer build writes every report to files in one folder (log_path),
so a report from a program that a test only starts, stops or kills still
counts. `clear` empties the folder before the tests, `check` fails after them
when any report is there and prints it.
Usage: reports.py clear|check FOLDER"""
import os
import shutil
import sys


def main(action, folder):
    if action == "clear":
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        return 0
    reports = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    for name in reports:
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            print("=== %s\n%s" % (name, f.read()))
    print("%d sanitizer report(s) in %s" % (len(reports), folder))
    return 1 if reports else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
