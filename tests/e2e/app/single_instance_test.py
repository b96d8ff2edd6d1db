#!/usr/bin/env python3
"""The single-instance lock and the command-line roads of the Linux player.

usage: single_instance_test.py PLAYER CASE
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from program_run import SKIP, Sandbox, find_window  # noqa: E402


def instance_hash(key):
    """The instance lock's hash of a key (UTF-16 units, ASCII lower-casing)."""
    value = 0x14650FB0739D0383
    data = key.encode("utf-16-le")
    for i in range(0, len(data), 2):
        unit = data[i] | (data[i + 1] << 8)
        if 0x41 <= unit <= 0x5A:
            unit += 0x20
        value = ((value ^ unit) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%x" % value



ALREADY_RUNNING = "MessageBox: Tovrel Academy | The application is already running."
HOME_LOCK = "Instance mutex: Local\\PellaroPlayer.WebView2." + instance_hash("Tovrel Academy|init")
PLAYER_LOCK = "Instance mutex: Local\\PellaroPlayer.WebView2." + instance_hash("Tovrel Academy|player")
LINK = "Tovrelapp:c2VhbGVk:ZmllbGRz:dGhyZWU="


def start_home(sandbox, player):
    home = sandbox.start(player)
    home.wait_text(HOME_LOCK)
    home.wait_text("Step 9: hasSchemeArgs=0")
    find_window(home.proc.pid, "Tovrel Academy V 4.12.0")
    return home


def second_home_instance(sandbox, player):
    home = start_home(sandbox, player)
    second = sandbox.start(player)
    second.wait_text(ALREADY_RUNNING)
    box = find_window(second.proc.pid, "Tovrel Academy")
    subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "--clearmodifiers", "Return"], check=True)
    assert second.wait_exit(timeout=60) == 0, "second instance exit code %s" % second.proc.returncode
    assert not second.has("Step 9:"), "the second instance went on starting"
    assert home.proc.poll() is None, "the first instance ended"


def link_while_home_runs(sandbox, player):
    home = start_home(sandbox, player)
    linked = sandbox.start(player, LINK)
    linked.wait_text(PLAYER_LOCK)
    linked.wait_text("Step 9: hasSchemeArgs=1")
    assert not linked.has(ALREADY_RUNNING)
    assert home.proc.poll() is None


def non_link_argument(sandbox, player):
    other = sandbox.start(player, "notes.pdf")
    other.wait_text(PLAYER_LOCK)  # a non-empty command line gives the player key
    other.wait_text("Step 9: hasSchemeArgs=0")
    find_window(other.proc.pid, "Tovrel Academy V 4.12.0")


def second_player_instance(sandbox, player):
    first = sandbox.start(player, "notes.pdf")  # player key, home road: stays open
    first.wait_text(PLAYER_LOCK)
    find_window(first.proc.pid, "Tovrel Academy V 4.12.0")
    linked = sandbox.start(player, LINK)
    linked.wait_text(ALREADY_RUNNING)
    box = find_window(linked.proc.pid, "Tovrel Academy")
    subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "--clearmodifiers", "Return"], check=True)
    assert linked.wait_exit(timeout=60) == 0
    assert not linked.has("Step 9:")


def empty_first_argument_then_link(sandbox, player):
    # argv[1] is empty, so only the whole command line can carry the link.
    linked = sandbox.start(player, "", LINK)
    linked.wait_text(PLAYER_LOCK)
    linked.wait_text("Step 9: hasSchemeArgs=1")


LOCK_FAILED = "Instance mutex could not be created"
HOME_LOCK_FILE = HOME_LOCK.split("\\", 1)[1] + ".lock"


def refused_lock(sandbox, player):
    """Something other than our own lock file sits at the lock path: the player
    ends as on any lock failure."""
    refused = sandbox.start(player)
    refused.wait_text(LOCK_FAILED)
    assert refused.proc.wait(timeout=60) == 1, "exit code %s" % refused.proc.returncode
    assert not refused.has("Step 9:"), "the player went on starting"


def symlinked_lock_file(sandbox, player):
    """Another user's link at the lock path, to an existing file or to none:
    never followed, so nothing is written, truncated or created there."""
    lock = os.path.join(sandbox.runtime, HOME_LOCK_FILE)
    victim = os.path.join(sandbox.root, "victim")
    with open(victim, "w") as f:
        f.write("keep")
    missing = os.path.join(sandbox.root, "created-through-link")
    for target in (victim, missing):
        if os.path.lexists(lock):
            os.remove(lock)
        os.symlink(target, lock)
        refused_lock(sandbox, player)
        assert os.path.islink(lock), "the link was replaced"
        with open(victim) as f:
            assert f.read() == "keep", "the link's target changed"
        assert not os.path.exists(missing), "a file was created through the link"


def foreign_owned_lock_file(sandbox, player):
    if os.geteuid() != 0:
        print("skipped: handing a file to another user needs root")
        sys.exit(SKIP)

    lock = os.path.join(sandbox.runtime, HOME_LOCK_FILE)
    with open(lock, "w") as f:
        f.write("theirs")
    os.chown(lock, 65534, 65534)
    os.chmod(lock, 0o644)
    before = os.stat(lock)
    refused_lock(sandbox, player)
    after = os.stat(lock)
    assert (after.st_uid, after.st_mode, after.st_size, after.st_mtime_ns) == \
        (before.st_uid, before.st_mode, before.st_size, before.st_mtime_ns), "the file was touched"


def private_folder_without_runtime_dir(sandbox, player):
    """No XDG_RUNTIME_DIR: the lock goes into a 0700 folder of the user's cache,
    never into the shared temp folder."""
    sandbox.env.pop("XDG_RUNTIME_DIR")
    start_home(sandbox, player)
    folder = os.path.join(sandbox.env["HOME"], ".cache", "PellaroPlayer")
    assert os.stat(folder).st_mode & 0o777 == 0o700, oct(os.stat(folder).st_mode)
    assert os.path.isfile(os.path.join(folder, HOME_LOCK_FILE)), os.listdir(folder)
    second = sandbox.start(player)
    second.wait_text(ALREADY_RUNNING)  # the same lock, found by the second start


CASES = {f.__name__: f for f in (second_home_instance, link_while_home_runs, non_link_argument,
                                 second_player_instance, empty_first_argument_then_link, symlinked_lock_file,
                                 foreign_owned_lock_file, private_folder_without_runtime_dir)}


def main():
    player, case = sys.argv[1], sys.argv[2]
    if not os.environ.get("DISPLAY"):
        print("no X display: run under xvfb-run")
        return SKIP
    sandbox = Sandbox()
    try:
        CASES[case](sandbox, player)
    finally:
        sandbox.close()
    print("ok:", case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
