#!/usr/bin/env python3
"""Starts or stops one reference backend for a CTest fixture.

  fixture.py start DIR [--lifetime S]   starts server.py in the background; DIR/port,
                                        DIR/pid and DIR/log.jsonl appear; returns once it listens
  fixture.py stop DIR                   stops that server (SIGTERM by its pid) and waits
"""
import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def start(state_dir, lifetime):
    os.makedirs(state_dir, exist_ok=True)
    port_file = os.path.join(state_dir, "port")
    for name in ("port", "pid", "log.jsonl"):
        try:
            os.remove(os.path.join(state_dir, name))
        except FileNotFoundError:
            pass
    proc = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "server.py"), "--port", "0", "--port-file", port_file,
         "--log", os.path.join(state_dir, "log.jsonl"), "--lifetime", str(lifetime)],
        stdout=subprocess.DEVNULL, stderr=open(os.path.join(state_dir, "stderr.txt"), "w"),
        start_new_session=True)
    with open(os.path.join(state_dir, "pid"), "w") as f:
        f.write("%d\n" % proc.pid)
    deadline = time.time() + 60
    while time.time() < deadline:
        if os.path.exists(port_file):
            print("backend on port", open(port_file).read().strip())
            return 0
        if proc.poll() is not None:
            print("backend exited early", file=sys.stderr)
            return 1
        time.sleep(0.1)
    proc.terminate()
    return 1


def stop(state_dir):
    try:
        pid = int(open(os.path.join(state_dir, "pid")).read())
    except (FileNotFoundError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    for _ in range(100):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    os.remove(os.path.join(state_dir, "pid"))
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("start", "stop"):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    lifetime = 1800
    if "--lifetime" in sys.argv:
        lifetime = float(sys.argv[sys.argv.index("--lifetime") + 1])
    sys.exit(start(sys.argv[2], lifetime) if sys.argv[1] == "start" else stop(sys.argv[2]))
