#!/usr/bin/env python3
"""Which sanitizer reports fail the run."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reports  # noqa: E402

TREE = reports.TREE
ALLOC = "    #0 0x7fb1dfab83b7 in __interceptor_calloc ../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:77\n"


def leak(kind, *frames):
    lines = "".join("    #%d %s\n" % (i + 1, f) for i, f in enumerate(frames))
    return "%s leak of 56 byte(s) in 1 object(s) allocated from:\n%s%s\n" % (kind, ALLOC, lines)


def report(*blocks):
    return ("==p==1==ERROR: LeakSanitizer: detected memory leaks\n\n" + "".join(blocks) +
            "SUMMARY: AddressSanitizer: 112 byte(s) leaked in 2 allocation(s).\n")


class Verdicts(unittest.TestCase):
    CASES = [
        ("untraceable indirect leaks", report(leak("Indirect", "0x7fb1cad8ecb3  (/usr/lib/libubsan.so.1+0xc9cb3)"),
                                              leak("Indirect", "0x7fb1cad8ec8f  (/usr/lib/libfoo.so+0x1)")), False),
        ("a direct leak anywhere", report(leak("Direct", "0x1 in FcPatternCreate (/usr/lib/libfontconfig.so.1+0x1)")), True),
        ("an indirect leak from our code", report(leak("Indirect", "0x7 in Make() " + TREE + "/src/browser/x.cpp:3")), True),
        ("a leaked cycle, build-relative path", report(leak("Indirect", "0x5 in QWidget::QWidget() (/lib/libQt6Widgets.so.6+0x1)",
                                                            "0x7 in CreateWindow ../../src/browser/app_windows_qt.cpp:19")), True),
        ("a frame in no function of our binary", report(leak("Indirect", "0x7f66  (" + TREE + "/build/linux-asan/tovrelapp+0x258ecb3)")), False),
        ("a system header's inline code", report(leak("Indirect", "0x9 in std::vector<int>::push_back /usr/include/c++/12/bits/stl_vector.h:1287")), False),
        ("the engine's own leak", report(leak("Direct", "0x3  (/usr/lib/x86_64-linux-gnu/libQt6WebEngineCore.so.6+0x5)",
                                              "0x4 in Start " + TREE + "/src/browser/x.cpp:9")), False),
        ("our leak in a callback the engine calls", report(
            leak("Direct", "0x4 in Filter::interceptRequest " + TREE + "/src/browser/x.cpp:9",
                 "0x3  (/usr/lib/x86_64-linux-gnu/libQt6WebEngineCore.so.6+0x5)")), True),
        ("an address error", "==p==1==ERROR: AddressSanitizer: heap-use-after-free on address 0x1\n", True),
        ("undefined behaviour", "x.cpp:3:5: runtime error: signed integer overflow\n", True),
    ]

    def test_cases(self):
        for name, text, ours in self.CASES:
            with self.subTest(name):
                self.assertEqual(reports.is_ours(text, TREE), ours)


if __name__ == "__main__":
    unittest.main()
