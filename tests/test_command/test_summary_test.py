#!/usr/bin/env python3
"""The verdict of scripts/test.sh (scripts/test_summary.py) on CTest results."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "test_summary.py")


def case(name, status, skipped=None, failure=False, output=""):
    inner = ""
    if skipped is not None:
        inner += '<skipped message="%s"/>' % skipped
    if failure:
        inner += '<failure message=""/>'
    return '<testcase name="%s" classname="%s" time="0" status="%s">%s<system-out>%s</system-out></testcase>' % (
        name, name, status, inner, output)


class Verdicts(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.expected = self.write("expected.txt", "# comment\nlisted.case: the engine cannot do it\n")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def junit(self, name, *cases):
        return self.write(name, '<?xml version="1.0"?><testsuite tests="%d">%s</testsuite>' % (len(cases), "".join(cases)))

    def verdict(self, *args):
        ran = subprocess.run([sys.executable, SCRIPT, self.expected, *args], capture_output=True, text=True,
                             timeout=60)
        return ran.returncode, ran.stdout.splitlines()

    CASES = [
        # name, cases of one phase, its ctest status, passes?, closing line
        ("all passed", [case("a", "run"), case("b", "run")], "0", True, "ctest: 2 passed, 0 failed, 0 skipped"),
        ("a listed skip", [case("a", "run"), case("listed.case", "notrun", "SKIP_RETURN_CODE=77")], "0", True,
         "ctest: 1 passed, 0 failed, 1 skipped"),
        ("an unlisted skip", [case("a", "notrun", "SKIP_REGULAR_EXPRESSION_MATCHED")], "0", False,
         "ctest: 0 passed, 0 failed, 1 skipped"),
        ("a disabled test", [case("a", "disabled")], "0", False, "ctest: 0 passed, 0 failed, 1 skipped"),
        ("a case skipped inside GoogleTest", [case("a", "run", output="[  SKIPPED ] A.B\n")], "0", False,
         "ctest: 0 passed, 0 failed, 1 skipped"),
        ("a case skipped inside unittest", [case("a", "run", output="Ran 3 tests\n\nOK (skipped=1)\n")], "0",
         False, "ctest: 0 passed, 0 failed, 1 skipped"),
        ("a failure", [case("a", "fail", failure=True), case("b", "run")], "8", False,
         "ctest: 1 passed, 1 failed, 0 skipped"),
        ("not run for a failed fixture", [case("a", "notrun", "Fixture dependency failed")], "8", False,
         "ctest: 0 passed, 1 failed, 0 skipped"),
        ("no test at all", [], "8", False, "ctest: 0 passed, 0 failed, 0 skipped"),
        ("ctest failed though every test passed", [case("a", "run")], "8", False,
         "ctest: 1 passed, 0 failed, 0 skipped"),
    ]

    def test_cases(self):
        for name, cases, status, passes, closing in self.CASES:
            with self.subTest(name):
                code, lines = self.verdict("phase", status, self.junit(name.replace(" ", "_") + ".xml", *cases))
                self.assertEqual(code == 0, passes, lines)
                self.assertEqual(lines[-1], closing)

    def test_failed_steps_and_missing_results_are_named(self):
        code, lines = self.verdict("--failed-step", "build windows", "windows", "0",
                                   os.path.join(self.folder.name, "missing.xml"))
        self.assertEqual(code, 1)
        self.assertIn("step failed: build windows", lines)
        self.assertTrue(any(line.startswith("windows: no test results") for line in lines), lines)

    def test_skips_are_named_and_phases_add_up(self):
        code, lines = self.verdict("one", "0", self.junit("one.xml", case("a", "run"), case("x", "disabled")),
                                   "two", "0", self.junit("two.xml", case("listed.case", "notrun", "SKIP_RETURN_CODE=77")))
        self.assertEqual(code, 1)
        self.assertIn("one: skipped, not on the expected list: x (disabled)", lines)
        self.assertIn("two: skipped (expected): listed.case -- the engine cannot do it", lines)
        self.assertEqual(lines[-1], "ctest: 1 passed, 0 failed, 2 skipped")


if __name__ == "__main__":
    unittest.main()
