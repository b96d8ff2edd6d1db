"""Waiting for something asynchronous with a deadline, shared by the end-to-end
suites: a failure says what was awaited and what was seen last."""
import os
import subprocess
import time

# Generous: two shared cores start Chromium slowly. PELLARO_E2E_WAIT scales it.
WAIT = float(os.environ.get("PELLARO_E2E_WAIT", "45"))


class WaitTimeout(AssertionError):
    """The awaited condition did not hold before the deadline."""


def wait_until(predicate, what, timeout=WAIT, step=0.2, seen=None):
    """Polls `predicate` until it returns something true and returns that.
    After `timeout` seconds raises WaitTimeout naming `what` and the last value
    (or, with `seen`, what that callable describes)."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            last = seen() if seen else value
            raise WaitTimeout("timed out after %gs waiting for %s; last seen: %s" % (timeout, what, last))
        time.sleep(step)


def stop_process(proc, grace):
    """Ends a process the tests started: asked first, killed after `grace` seconds."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
