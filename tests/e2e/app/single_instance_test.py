#!/usr/bin/env python3
"""The single-instance lock and the command-line roads of the Linux player.

usage: single_instance_test.py PLAYER CASE
"""
import os
import subprocess
import sys

from player_process import SKIP, Sandbox, find_window, instance_hash

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


CASES = {f.__name__: f for f in (second_home_instance, link_while_home_runs, non_link_argument,
                                 second_player_instance, empty_first_argument_then_link)}


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
