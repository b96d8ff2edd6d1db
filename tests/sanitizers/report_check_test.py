#!/usr/bin/env python3
"""The report check of the sanitizer build against real reports: the test
preset sends every report into the folder the check reads, and the check fails
on an address error, undefined behaviour and a leak that a helper program
plants, and on a leak our own callback makes while the browser engine calls it.

Usage: report_check_test.py REPORTS_FOLDER PLANTED_FAULTS [ENGINE_CALLBACK_LEAK]
(run by CTest with the sanitizer preset's environment)."""
import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER, PLANTED = sys.argv[1:3]
ENGINE = sys.argv[3] if len(sys.argv) > 3 else ""
OPTION_VARIABLES = ("ASAN_OPTIONS", "UBSAN_OPTIONS")


def log_path(variable):
    match = re.search(r"(?:^|:)log_path=([^:]*)", os.environ.get(variable, ""))
    return match.group(1) if match else None


def check(folder):
    return subprocess.run([sys.executable, os.path.join(HERE, "reports.py"), "check", folder],
                          capture_output=True, text=True, timeout=120)


class ReportCheck(unittest.TestCase):
    def run_into_own_folder(self, command, timeout=120):
        """Runs the command with the preset's options, its reports sent to a
        folder of this test (the same file names), and checks that folder."""
        folder = tempfile.mkdtemp(prefix="pellaro-planted-")
        env = dict(os.environ)
        for variable in OPTION_VARIABLES:
            path = log_path(variable)
            env[variable] = env[variable].replace("log_path=" + path,
                                                  "log_path=" + os.path.join(folder, os.path.basename(path)))
        ran = subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout)
        return ran, os.listdir(folder), check(folder)

    def test_the_preset_writes_reports_where_the_check_reads(self):
        for variable in OPTION_VARIABLES:
            with self.subTest(variable=variable):
                path = log_path(variable)
                self.assertIsNotNone(path, "%s has no log_path: %r" % (variable, os.environ.get(variable)))
                self.assertEqual(os.path.realpath(os.path.dirname(path)), os.path.realpath(FOLDER))

    def test_planted_faults_fail_the_check(self):
        for mode, words in (("use-after-free", "heap-use-after-free"), ("overflow", "signed integer overflow"),
                            ("leak", "LeakABlock")):
            with self.subTest(mode=mode):
                ran, reports, checked = self.run_into_own_folder([PLANTED, mode])
                self.assertNotEqual(ran.returncode, 0, "the fault did not end the program")
                self.assertTrue(reports, "no report written; the program said:\n" + ran.stderr[-2000:])
                self.assertEqual(checked.returncode, 1, checked.stdout[-3000:])
                self.assertIn(words, checked.stdout)
                self.assertIn(": OURS", checked.stdout)

    def test_a_clean_run_passes_the_check(self):
        ran, reports, checked = self.run_into_own_folder([PLANTED, "clean"])
        self.assertEqual((ran.returncode, reports, checked.returncode), (0, [], 0), checked.stdout[-3000:])

    if ENGINE:  # the builds with the player
        def test_a_leak_of_ours_under_engine_frames_fails_and_the_engines_own_do_not(self):
            ran, _, checked = self.run_into_own_folder([ENGINE], timeout=240)
            self.assertEqual(ran.returncode, 0, ran.stderr[-3000:])
            self.assertEqual(checked.returncode, 0, checked.stdout[-5000:])
            ran, reports, checked = self.run_into_own_folder([ENGINE, "--leak"], timeout=240)
            self.assertTrue(reports, "no report written; the program said:\n" + ran.stderr[-2000:])
            self.assertEqual(checked.returncode, 1, checked.stdout[-5000:])
            # The path is relative or absolute, as the build's compiler was called.
            self.assertRegex(checked.stdout, r"in interceptRequest \S*tests/sanitizers/engine_callback_leak\.cpp")
            self.assertIn("libQt6WebEngineCore", checked.stdout)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
