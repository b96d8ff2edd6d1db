#!/usr/bin/env python3
"""The layer checker: it passes this tree, catches what runs against the order,
and the picture in docs/architecture.md is the one it draws."""
import pathlib
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import check_layers  # noqa: E402


def make_tree(files):
    """A small source tree in a temporary folder: {relative path: text}."""
    folder = tempfile.TemporaryDirectory()
    for rel, text in files.items():
        path = pathlib.Path(folder.name) / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    return folder


BASE = {
    "src/core/DEPS": "# bottom\n",
    "src/core/text.h": "#pragma once\n#include <string>\n",
    "src/net/DEPS": "# middle\ncore\n",
    "src/net/client.h": '#pragma once\n#include "core/text.h"\n',
    "src/app/DEPS": "# top\ncore\nnet\n",
    "src/app/main.cpp": '#include "net/client.h"\n',
}


class CheckLayers(unittest.TestCase):
    def problems(self, changes):
        files = dict(BASE)
        files.update(changes)
        with make_tree(files) as root:
            return check_layers.check(root)

    def test_this_tree_is_layered(self):
        self.assertEqual(check_layers.check(ROOT), [])

    def test_a_layered_fixture_passes(self):
        self.assertEqual(self.problems({}), [])

    def test_what_runs_against_the_order_is_named(self):
        cases = [
            ("include upwards", {"src/core/text.cpp": '#include "net/client.h"\n'},
             'src/core/text.cpp: includes "net/client.h", but core may not include net'),
            ("include of a folder not listed", {"src/net/DEPS": "# middle\n"},
             'src/net/client.h: includes "core/text.h", but net may not include core'),
            ("Windows header in a portable file", {"src/net/client.cpp": "#include <windows.h>\n"},
             "src/net/client.cpp: portable file includes <windows.h> (Windows)"),
            ("Qt header in a portable file", {"src/net/client.cpp": "#include <QWidget>\n"},
             "src/net/client.cpp: portable file includes <QWidget> (Qt)"),
            ("curl header in a portable header", {"src/net/client.h": "#include <curl/curl.h>\n"},
             "src/net/client.h: portable file includes <curl/curl.h> (curl)"),
            ("OpenSSL header in a portable file", {"src/core/sha.cpp": "#include <openssl/evp.h>\n"},
             "src/core/sha.cpp: portable file includes <openssl/evp.h> (OpenSSL)"),
            ("CUPS header in a portable file", {"src/net/printers.cpp": "#include <cups/cups.h>\n"},
             "src/net/printers.cpp: portable file includes <cups/cups.h> (CUPS)"),
            ("cycle", {"src/core/DEPS": "# bottom\napp\n"}, "cycle among the DEPS files"),
            ("folder without DEPS", {"src/print/job.cpp": "int x;\n"}, "print: no DEPS file"),
            ("DEPS naming no folder", {"src/net/DEPS": "# middle\ncore\nprinting\n"},
             "net/DEPS names printing, which is no source folder"),
        ]
        for what, change, expected in cases:
            with self.subTest(what):
                found = self.problems(change)
                self.assertTrue(any(p.startswith(expected) for p in found), found)

    def test_platform_files_may_use_their_os(self):
        self.assertEqual(self.problems({
            "src/net/client_win.cpp": "#include <windows.h>\n#include <winhttp.h>\n",
            "src/net/client_curl.cpp": "#include <curl/curl.h>\n",
            "src/net/client_qt.cpp": "#include <QWidget>\n",
            "src/net/client_linux.cpp": "#include <unistd.h>\n",
        }), [])

    def test_the_command_fails_on_a_wrong_include(self):
        with make_tree(dict(BASE, **{"src/core/text.cpp": '#include "app/main.h"\n'})) as root:
            self.assertEqual(check_layers.main(["check_layers.py", root]), 1)
        with make_tree(BASE) as root:
            self.assertEqual(check_layers.main(["check_layers.py", root]), 0)

    def test_the_architecture_document_shows_the_current_picture(self):
        doc = (ROOT / "docs" / "architecture.md").read_text(encoding="utf-8")
        self.assertIn("```\n" + check_layers.picture(ROOT) + "```", doc,
                      "regenerate the picture: python3 scripts/check_layers.py --picture")


if __name__ == "__main__":
    unittest.main()
