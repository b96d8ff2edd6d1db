#!/usr/bin/env python3
"""pellaro-cli pins / version-check against the running reference backend."""
import json
import os
import ssl
import subprocess
import sys
import urllib.request

cli, backend_dir, source_dir = sys.argv[1:4]
port = open(os.path.join(backend_dir, "port")).read().strip()
pins = dict(line.split() for line in open(os.path.join(source_dir, "tests/backend/certs/pins.txt")))


def run(*args):
    proc = subprocess.run([cli, *args], capture_output=True, text=True, timeout=120)
    return proc.returncode, proc.stdout


failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


rc, out = run("pins", "https://api.tovrel.localhost:%s/any" % port)
check(rc == 0, "pinned chain exit code %d" % rc)
for name in ("test-leaf", "test-intermediate", "test-root"):
    check("pin: sha256/" + pins[name] in out.split("entry:")[0], "chain lists the %s pin" % name)
check("entry: tovrel.localhost" in out, "entry named")
check(out.rstrip().endswith("verdict: pass"), "verdict pass:\n" + out)

ctx = ssl._create_unverified_context()


def control(name, body):
    req = urllib.request.Request("https://127.0.0.1:%s/__control/%s" % (port, name),
                                 data=json.dumps(body).encode(), method="POST")
    urllib.request.urlopen(req, context=ctx).read()


# Names of this test's own for the refused chains: the network unit tests,
# which may run at the same time, count the handshakes of the default ones.
refused = {"interceptor": "well-formed", "forged": "malformed", "wronghost": "malformed"}
control("chains", {"cli-%s.tovrel.localhost" % served: served for served in refused})
for served, chain in refused.items():
    host = "cli-%s.tovrel.localhost" % served
    rc, out = run("pins", "https://%s:%s" % (host, port))
    check(rc == 1 and "chain: " + chain in out and "verdict: fail" in out, "%s refused:\n%s" % (host, out))

rc, out = run("pins", "https://localhost:1/")
check(rc == 1 and "error: curl connect failed: 7" in out and "entry: none" in out and
      out.rstrip().endswith("verdict: unreachable"), "closed port, exit code %d:\n%s" % (rc, out))
# A server that answers, for a host without pins: not pinned, and that is no failure.
rc, out = run("pins", "https://127.0.0.1:%s/" % port)
check(rc == 0 and "chain: " in out and out.rstrip().endswith("verdict: not pinned") and "error:" not in out,
      "unpinned host:\n" + out)

def answer(name):
    control("answers", {"version": name})

try:
    answer("required")
    rc, out = run("version-check", "https://api.tovrel.localhost:%s/" % port)
    check(rc == 0 and out.splitlines() == ["hasUpdate: true", "isRequired: true",
                                           "link: https://www.tovrel.localhost/download/pellaro-setup.exe"],
          "required, exit code %d:\n%s" % (rc, out))
finally:
    answer("current")
rc, out = run("version-check", "https://api.tovrel.localhost:%s" % port)
check(rc == 0 and out.splitlines()[:2] == ["hasUpdate: false", "isRequired: false"], "current, exit code %d:\n%s" % (rc, out))
# An answer that cannot be had or read is no "no update": the tool says why and exits 1.
try:
    for name, error in (("error", "status 503"), ("not-json", "the answer is not JSON"),
                        ("no-version", "the answer has no version"), ("not-object", "the answer has no version")):
        answer(name)
        rc, out = run("version-check", "https://api.tovrel.localhost:%s" % port)
        check(rc == 1 and out == "error: %s\n" % error, "%s answer: %d %r" % (name, rc, out))
finally:
    answer("current")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
