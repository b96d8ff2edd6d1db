#!/usr/bin/env python3
"""Soak run of the Linux player: a bounded number of consecutive starts on
links against the reference backend on loopback port 443, taking turns among
a good link (closed by a scripted window close once its page reported back),
a tampered link (countdown, then the diagnostic dialog, closed as a user
would), a link the server refuses (its message box answered) and a
mandatory update declined. After every start it checks that nothing is left:
no process carrying the run's environment, no instance lock still held and no
new lock file, no temporary file, no owner of the clipboard. It prints each
start's peak resident memory (VmHWM of the player) and compares the last
starts of each kind with its first ones (medians of five); more than 5 %
apart fails the run.

Not part of CI. Run it in a private network namespace, e.g.
  unshare -n bash -c 'ip link set lo up && python3 bench/soak/soak.py \
      build/linux/src/app/tovrelapp build/linux/tools/pellaro-cli --starts 200'
Exit 0 when every start ended cleanly and memory held; 1 otherwise; 77 when
port 443 cannot be had."""
import argparse
import ctypes
import fcntl
import os
import statistics
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
E2E = os.path.join(HERE, "..", "..", "tests", "e2e")
for folder in ("failures", "browser", "app", "diag", ""):
    sys.path.insert(0, os.path.join(E2E, folder))
import failures_e2e as failures  # noqa: E402
import test_diagnostic_dialog as diag  # noqa: E402
from program_run import SKIP, WaitTimeout, find_window, port_443_free, wait_until  # noqa: E402

KINDS = ("good", "tampered", "refused", "update_declined")
MEMORY_SPREAD = 0.05
WINDOW = 5  # starts of a kind whose median stands for the first and the last
LONG = failures.LONG


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


class X11:
    """The two things the soak asks the X server directly: who owns the
    clipboard, and closing a window the way a window manager's close does."""

    def __init__(self, display_name):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XGetSelectionOwner.restype = ctypes.c_ulong
        self.lib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                        ctypes.c_void_p]
        self.lib.XFlush.argtypes = [ctypes.c_void_p]
        self.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.lib.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)

    def atom(self, name):
        return self.lib.XInternAtom(self.display, name.encode(), 0)

    def clipboard_owner(self):
        return self.lib.XGetSelectionOwner(self.display, self.atom("CLIPBOARD"))

    def close_window(self, window):
        event = XEvent()
        event.client.type = 33  # ClientMessage
        event.client.window = window
        event.client.message_type = self.atom("WM_PROTOCOLS")
        event.client.format = 32
        event.client.data[0] = self.atom("WM_DELETE_WINDOW")
        self.lib.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self.lib.XFlush(self.display)

    def close(self):
        self.lib.XCloseDisplay(self.display)


class PeakMemory:
    """The player's peak resident memory, read from /proc while it runs."""

    def __init__(self, pid):
        self.pid, self.peak_kib = pid, 0
        self.thread = threading.Thread(target=self._follow, daemon=True)
        self.thread.start()

    def _follow(self):
        while True:
            try:
                with open("/proc/%d/status" % self.pid) as f:
                    for line in f:
                        if line.startswith("VmHWM:"):
                            self.peak_kib = max(self.peak_kib, int(line.split()[1]))
            except (OSError, ValueError):
                return
            time.sleep(0.1)

    def result(self):
        self.thread.join(timeout=10)
        return self.peak_kib


def lock_files(run):
    folder = run.env["XDG_RUNTIME_DIR"]
    return sorted(n for n in os.listdir(folder) if n.endswith(".lock"))


def held_locks(run):
    """Lock files some process still holds (the files themselves stay by design)."""
    held = []
    for name in lock_files(run):
        with open(os.path.join(run.env["XDG_RUNTIME_DIR"], name), "rb") as f:
            try:
                fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
                fcntl.flock(f, fcntl.LOCK_UN)
            except BlockingIOError:
                held.append(name)
    return held


def temporary_files(run):
    found = []
    for folder, _, files in os.walk(run.env["TMPDIR"]):
        found += [os.path.join(folder, name) for name in files]
    return found


def launch(run, *args):
    """Starts the player and follows its memory."""
    player = run.start(*args)
    run.soak_memory = PeakMemory(player.proc.pid)
    return player


def good(run, x11):
    reports = len(run.requests("/report", "POST"))
    launch(run, run.seal("report-1", "https://www.tovrel.localhost"))
    wait_until(lambda: len(run.requests("/report", "POST")) > reports, "the content page's report", LONG,
               seen=run.output)
    # Every window it shows, closed as a window manager's close button would.
    x11.close_window(int(find_window(run.player.proc.pid, failures.APP + ".*", LONG)))
    return run.exit_code()


def tampered(run, x11):
    player = launch(run, diag.tampered_link(run.cli, run.env))
    started = set()
    _, dialog = diag.follow_fatal_notice(run.env, player.proc, run.cli, "^Link Error - ", started=started)
    x11.close_window(int(dialog))
    return 1  # follow_fatal_notice checked the player's exit code


def refused(run, x11):
    run.backend.control("override", {"path": failures.CONTENT_PATH, "status": 404,
                                     "body": '{"message": "Content not found"}'})
    launch(run, run.seal("missing-7"))
    run.player.wait_line(lambda line: line.startswith("MessageBox: "), LONG)
    run.answer_box(failures.SERVER_ERROR_CAPTION, "Return")
    return run.exit_code()


def update_declined(run, x11):
    run.backend.control("answers", {"version": "required"})
    launch(run, run.seal("report-1", "https://www.tovrel.localhost"))
    run.player.wait_text(failures.UPDATE_REQUIRED, LONG)
    run.answer_box(failures.APP + " - Update Required", "Escape")
    return run.exit_code()


EXPECTED_EXIT = {"good": 0, "tampered": 1, "refused": 1, "update_declined": 0}


def one_start(run, x11, kind, locks_before):
    """Runs one start and checks what it left; returns (peak KiB, problems)."""
    run.soak_memory = None
    problems = []
    try:
        run.backend.control("reset")
        code = globals()[kind](run, x11)
        if code != EXPECTED_EXIT[kind]:
            problems.append("exit code %s, expected %s" % (code, EXPECTED_EXIT[kind]))
    except Exception as error:  # noqa: BLE001 - any failure of one start is reported, the run goes on
        problems.append("%s: %s" % (type(error).__name__, str(error)[:2000]))
    try:
        wait_until(lambda: not run.own_processes(), "every process of the start to end", LONG,
                   seen=lambda: [failures.describe(pid) for pid in run.own_processes()])
    except WaitTimeout as error:
        problems.append(str(error))
    if held_locks(run):
        problems.append("lock still held: %s" % held_locks(run))
    if locks_before is not None and lock_files(run) != locks_before:
        problems.append("lock files changed: %s -> %s" % (locks_before, lock_files(run)))
    leftovers = temporary_files(run)
    if leftovers:
        problems.append("temporary files left: %s" % leftovers)
    try:
        wait_until(lambda: x11.clipboard_owner() == 0, "the clipboard to have no owner", 20,
                   seen=lambda: hex(x11.clipboard_owner()))
    except WaitTimeout as error:
        problems.append(str(error))
    if problems and run.player:
        problems.append("--- program output ---\n" + run.output()[-3000:])
    peak = run.soak_memory.result() if run.soak_memory else 0
    if run.player:
        run.player.kill()
    run.player = None
    return peak, problems


def summarize(peaks):
    """Prints the memory table; true when the last starts of each kind stay
    within the spread of its first ones. One start's peak varies by a few per
    cent with the engine's timing, so the median of the first few starts of a
    kind is compared with the median of its last few."""
    print("%-16s %6s %9s %9s %9s %9s %11s %12s %12s %10s" % (
        "kind", "starts", "first", "last", "min", "max", "last/first", "median 1-%d" % WINDOW,
        "median last %d" % WINDOW, "change"))
    held = True
    for kind in KINDS:
        values = [v / 1024 for v in peaks.get(kind, []) if v]
        if not values:
            continue
        window = min(WINDOW, len(values))
        early, late = statistics.median(values[:window]), statistics.median(values[-window:])
        change = late / early - 1
        held = held and abs(change) <= MEMORY_SPREAD
        print("%-16s %6d %9.1f %9.1f %9.1f %9.1f %+10.1f%% %12.1f %12.1f %+9.1f%%" % (
            kind, len(values), values[0], values[-1], min(values), max(values), (values[-1] / values[0] - 1) * 100,
            early, late, change * 100))
    print("(MiB of peak resident memory of the player per start)")
    print("memory: the last %d starts of each kind within %d %% of its first %d: %s" % (
        WINDOW, MEMORY_SPREAD * 100, WINDOW, "yes" if held else "NO"))
    return held


def peaks_from_log(path):
    """The per-start figures of an earlier run's output."""
    peaks = {kind: [] for kind in KINDS}
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 5 and fields[0] == "start" and fields[2] in peaks and fields[4] == "MiB":
                peaks[fields[2]].append(float(fields[3]) * 1024)
    return peaks


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("cli")
    parser.add_argument("--starts", type=int, default=200)
    parser.add_argument("--stop-on-failure", action="store_true")
    parser.add_argument("--summarize", metavar="LOG", help="only print the memory table of an earlier run's output")
    args = parser.parse_args()
    if args.summarize:
        return 0 if summarize(peaks_from_log(args.summarize)) else 1
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP
    # The backend ends itself after its lifetime: long enough for every start.
    run = failures.Run(os.path.abspath(args.program), os.path.abspath(args.cli),
                       backend_lifetime=600 + 120 * args.starts)
    run.env["TMPDIR"] = os.path.join(run.root, "tmp")
    os.makedirs(run.env["TMPDIR"])
    x11 = X11(run.display.name)
    peaks = {kind: [] for kind in KINDS}
    failed = []
    locks = None
    started = time.monotonic()
    try:
        for number in range(1, args.starts + 1):
            kind = KINDS[(number - 1) % len(KINDS)]
            began = time.monotonic()
            peak, problems = one_start(run, x11, kind, locks)
            if locks is None and not problems:
                locks = lock_files(run)
            peaks[kind].append(peak)
            print("start %3d %-16s %7.1f MiB peak %5.1fs %s" % (
                number, kind, peak / 1024, time.monotonic() - began, "ok" if not problems else "FAILED"), flush=True)
            for problem in problems:
                print("    " + problem.replace("\n", "\n    "), flush=True)
            if problems:
                failed.append(number)
                if args.stop_on_failure:
                    break
    finally:
        x11.close()
        run.close()

    print("\n%d starts in %.0f s; %d failed%s" % (sum(len(p) for p in peaks.values()), time.monotonic() - started,
                                                  len(failed), (": " + ", ".join(map(str, failed))) if failed else ""))
    memory_held = summarize(peaks)
    return 0 if not failed and memory_held else 1


if __name__ == "__main__":
    sys.exit(main())
