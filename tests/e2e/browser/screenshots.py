#!/usr/bin/env python3
"""Takes the documentation screenshots: the home window and a PDF item under
its watermark. Usage: screenshots.py OUTPUT_DIR (driver and backend as for the tests)."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Session  # noqa: E402


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    s = Session()
    try:
        home = s.driver(["--mode", "home", "--home", s.backend.url("www.tovrel.localhost", "/")])
        home.wait_line(r"^Navigation completed: ok")
        time.sleep(6)  # the loader fades, the bar settles
        s.display.run("import", "-window", home.window_id(), os.path.join(out, "home-window.png"))
        home.stop()
        pdf = s.player(s.backend.url("www.tovrel.localhost", "/content/sample.pdf"), "pdf",
                       watermark="student@example.com - 2026-12-10")
        time.sleep(12)
        s.display.run("import", "-window", pdf.window_id(), os.path.join(out, "pdf-watermark.png"))
        print("\n".join(pdf.lines[-15:]))
    finally:
        s.close()


if __name__ == "__main__":
    main()
