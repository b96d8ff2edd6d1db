#!/usr/bin/env python3
"""`pellaro-cli resolve` against the reference backend (the real client, pins
and content-data call): descriptors, backend refusals and direct addresses.
Usage: resolve_backend_test.py PELLARO_CLI BACKEND_DIR
"""
import json
import os
import subprocess
import sys

CLI, BACKEND_DIR = sys.argv[1], sys.argv[2]
LESSON = "https://www.tovrel.localhost/content/lesson.html"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def cli(*args):
    return subprocess.run([CLI] + list(args), capture_output=True, timeout=120)


def backend_log():
    with open(os.path.join(BACKEND_DIR, "log.jsonl"), encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def content_requests():
    return [e for e in backend_log() if e.get("event") == "request" and e.get("path") == "/api/app/content-data"]


def main():
    with open(os.path.join(BACKEND_DIR, "port"), encoding="utf-8") as f:
        port = f.read().strip()
    base = "https://api.tovrel.localhost:%s" % port

    # The fixture's backend is shared with other tests: this run's requests carry their own key.
    own_key = "lk-e2e-%d" % os.getpid()

    def resolve(content_id, link_key=own_key):
        sealed = cli("link", "seal", link_key, content_id, base + "/")
        check(sealed.returncode == 0, "seal " + content_id)
        return cli("resolve", sealed.stdout.decode().strip())

    expected = {
        "lesson-wrapped": {"contentType": "url_direct", "contentUrl": LESSON, "watermarkText": "student@example.com",
                           "itemNumber": 7},
        "pdf-1": {"contentType": "pdf", "contentUrl": "https://www.tovrel.localhost/content/sample.pdf",
                  "itemNumber": 8},
        "vidshare-1": {"contentType": "url_direct", "itemNumber": 11,
                       "contentUrl": "https://www.vidshare.localhost/embed/abc123?origin=https%3a%2f%2fapi.tovrel.localhost%3a" + port},
        "meeting-1": {"contentType": "url_direct", "contentUrl": "https://meet.localhost/j/123456", "itemNumber": 12},
    }
    for content_id, fields in expected.items():
        result = resolve(content_id)
        check(result.returncode == 0, content_id + " resolves")
        if result.returncode != 0:
            print(result.stdout.decode() + result.stderr.decode()[-1000:])
        try:
            descriptor = json.loads(result.stdout)
        except ValueError:
            descriptor = {}
        check(descriptor.get("baseAddress") == base, "%s keeps the base address without its slash" % content_id)
        for name, value in fields.items():
            check(descriptor.get(name) == value, "%s: %s = %r (got %r)" % (content_id, name, value, descriptor.get(name)))

    refusals = {"forbidden": "server:Your subscription has ended", "not-found": "server:Content not found",
                "plain-error": "api_content_data_failed", "not-json": "api_content_data_failed"}
    for content_id, code in refusals.items():
        result = resolve(content_id)
        check(result.returncode == 1 and result.stdout.decode().splitlines() == [code], "%s gives %s" % (content_id, code))

    put = [r for r in content_requests()
           if "content_link_id=lesson-wrapped" in r.get("body", "") and own_key in r.get("body", "")]
    check(len(put) == 1 and put[0]["method"] == "PUT",
          "the backend received the link key and item of the link")

    def own_requests():
        return len([r for r in content_requests() if own_key in r.get("body", "")])

    before = own_requests()
    result = resolve("https://lessons.example/course/1")
    check(result.returncode == 0 and json.loads(result.stdout).get("contentType") == "url_direct",
          "a direct address resolves")
    check(own_requests() == before, "a direct address does not ask the backend")

    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
