#!/usr/bin/env python3
"""The sanitizer build writes every report to files in one folder (log_path),
so a report from a program that a test only starts, stops or kills still
counts. `clear` empties the folder before the tests, `check` fails after them
when a report shows a fault of ours, and prints every report.

A report is ours unless each of its leaks is one of these:
- an indirect leak none of whose frames is a function of this tree (a frame
  symbolized to one of its source files): such blocks hang off direct leaks
  the suppression list already gave to a system library, and their allocating
  caller, in code built without frame pointers, is beyond the fast unwinder,
  which then reports an address in no function (inside whichever module lies
  there, ours included);
- a leak of the browser engine: a frame in the engine's library with no
  function of this tree between it and the allocator. The engine leaves
  objects to the process's end on purpose; a block our own code allocates,
  also in a callback the engine calls, shows our function first and counts.
  (A suppression cannot say this: it matches a library anywhere in the stack.)
Our code keeps its frame pointers and its line tables, so a block of ours (a
leaked cycle too) shows a frame with a source file of the tree.
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


SOURCE_OF_FRAME = re.compile(r" in .+? (\S+):\d+(?::\d+)?$")
TREE_FOLDERS = ("src/", "tests/", "tools/", "bench/")


def frame_is_ours(frame, tree):
    """A frame symbolized to a source file of the tree; paths are absolute or,
    with the build's prefix maps, relative to a build folder."""
    source = SOURCE_OF_FRAME.search(frame.strip())
    if not source:
        return False
    path = source.group(1)
    if path.startswith(tree + "/"):
        return True
    if path.startswith("/"):
        return False
    while path.startswith("../"):
        path = path[3:]
    # The sanitizer runtime's own frames are relative too (its build's paths).
    return path.startswith(TREE_FOLDERS) and os.path.isfile(os.path.join(tree, path))


ENGINE_LIBRARY = "/libQt6WebEngineCore.so"


def leak_is_ours(kind, frames, tree):
    engine = next((i for i, frame in enumerate(frames) if ENGINE_LIBRARY in frame), None)
    if engine is not None:
        return any(frame_is_ours(frame, tree) for frame in frames[:engine])
    return kind == "Direct" or any(frame_is_ours(frame, tree) for frame in frames)


def is_ours(text, tree=TREE):
    if "LeakSanitizer" not in text:
        return True  # an address error or undefined behaviour, wherever it is
    blocks = leak_blocks(text)
    if not blocks:
        return True
    return any(leak_is_ours(kind, frames, tree) for kind, frames in blocks)


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
        verdict = "OURS" if is_ours(text) else "not ours (a system library's or the engine's own leaks)"
        ours += verdict == "OURS"
        print("=== %s: %s\n%s" % (name, verdict, text))
    print("%d sanitizer report(s) in %s, %d of ours" % (len(reports), folder, ours))
    return 1 if ours else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
