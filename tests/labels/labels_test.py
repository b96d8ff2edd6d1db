#!/usr/bin/env python3
"""The labels and fixtures the suites carry, as CTest sees them: scripts/test.sh
and the presets pick tests by label, and the sanitizer build's report check
covers a test only through the sanitizer_reports fixture.

Usage: labels_test.py CTEST BUILD_DIR --plain|--sanitizer"""
import json
import os
import subprocess
import sys
import unittest

CTEST, BUILD, KIND = sys.argv[1:4]

# A GoogleTest program (its cases are named after their suites) or a test name
# (a prefix ending in "."), with the labels and fixtures each of its tests carries.
SUITES = [
    ("program", "print_tests", {"unit", "print"}, set()),
    ("program", "print_results_table_tests", {"unit", "print"}, set()),
    ("program", "print_qt_tests", {"gui", "print"}, set()),
    ("program", "net_backend_tests", {"integration"}, {"reference_backend"}),
    ("program", "core_tests", {"unit"}, set()),
    ("name", "cli_pins_and_version_check", {"integration"}, {"reference_backend"}),
    ("name", "links_resolve_backend", {"e2e"}, {"reference_backend"}),
    ("name", "print_e2e", {"e2e", "print"}, set()),
    ("name", "print_e2e_program", {"e2e", "print"}, set()),
    # The browser-host suites stay out of the sanitizer run by their label.
    ("name", "browser_e2e.", {"e2e", "browser"}, set()),
    ("name", "security_e2e.", {"e2e", "browser"}, set()),
    ("name", "recovery_e2e.", {"e2e", "browser"}, set()),
    ("name", "browser_e2e_program", {"e2e", "browser"}, set()),
]
FIXTURE_OWN = {"sanitizer_reports_cleared", "sanitizer_reports_none"}


def listed_tests():
    shown = subprocess.run([CTEST, "--show-only=json-v1"], cwd=BUILD, capture_output=True, text=True,
                           timeout=100, check=True)
    tests = []
    for test in json.loads(shown.stdout)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        as_set = lambda value: set(value if isinstance(value, list) else [value]) if value else set()  # noqa: E731
        tests.append({"name": test["name"], "program": os.path.basename(test.get("command", [""])[0]),
                      "labels": as_set(properties.get("LABELS")),
                      "fixtures": as_set(properties.get("FIXTURES_REQUIRED"))})
    return tests


def matches(test, kind, key):
    if kind == "program":
        return test["program"] == key
    return test["name"] == key or (key.endswith(".") and test["name"].startswith(key))


class LabelsAndFixtures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tests = listed_tests()

    def test_each_suite_carries_its_labels_and_fixtures(self):
        for kind, key, labels, fixtures in SUITES:
            with self.subTest(suite=key):
                found = [t for t in self.tests if matches(t, kind, key)]
                self.assertTrue(found, "no test of %s" % key)
                for test in found:
                    self.assertLessEqual(labels, test["labels"], test["name"])
                    self.assertLessEqual(fixtures, test["fixtures"], test["name"])

    def test_the_report_check_covers_every_test_of_the_sanitizer_build(self):
        watched = {t["name"] for t in self.tests if "sanitizer_reports" in t["fixtures"]}
        if KIND == "--sanitizer":
            self.assertEqual(sorted({t["name"] for t in self.tests} - watched - FIXTURE_OWN), [])
        else:  # no such fixture here
            self.assertEqual(sorted(watched), [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
