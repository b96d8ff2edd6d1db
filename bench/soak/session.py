#!/usr/bin/env python3
"""Hours of use: keeps the Linux player on one item page against the reference
backend on loopback port 443 for a set time and samples, every minute, the
resident memory of the player and of each engine process, their open file
descriptors and threads. The page works the way a long lesson does: a looping
media element plays, timers tick and redraw, it fetches from the backend every
few seconds, and it takes the watermark away every few seconds so that the
player's watermark script puts it back. At the end it prints the curve and the
growth per hour (least squares over the samples after the warm-up), closes the
window as a user would and checks that nothing is left running.

Not part of CI. Run it in a private network namespace, e.g.
  unshare -n bash -c 'ip link set lo up && python3 bench/soak/session.py \
      build/linux/src/app/tovrelapp build/linux/tools/pellaro-cli --minutes 60'
A quick look: --minutes 3 --every 20. Exit 0 when the page kept working and
the player ended cleanly; 1 otherwise; 77 when port 443 cannot be had."""
import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
E2E = os.path.join(HERE, "..", "..", "tests", "e2e")
for folder in ("failures", ""):
    sys.path.insert(0, os.path.join(E2E, folder))
import failures_e2e as failures  # noqa: E402
from program_run import (SKIP, WaitTimeout, close_window, find_window, port_443_free,  # noqa: E402
                         process_arguments, process_tree, renderer_processes, wait_until)

PAGE_PATH = "/content/report.html"  # the address of the pdf-report-1 item, which gets the watermark
REPORT_EVERY = 10  # seconds between the page's reports
KINDS = ("player", "renderer", "gpu", "other")

# The item page. The media is a two-second tone built in the page (a WAV in a
# blob), so no codec or file beyond the page is needed.
SOAK_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Soak lesson</title></head>
<body><h1>Soak lesson</h1>
<video id="media" loop muted autoplay width="320" height="40"></video>
<p>Ticks: <span id="ticks">0</span></p>
<canvas id="clock" width="320" height="40"></canvas>
<script>
(function () {
  function tone(seconds, rate) {
    var samples = seconds * rate, bytes = new DataView(new ArrayBuffer(44 + samples * 2));
    function text(at, s) { for (var i = 0; i < s.length; i++) bytes.setUint8(at + i, s.charCodeAt(i)); }
    text(0, 'RIFF'); bytes.setUint32(4, 36 + samples * 2, true); text(8, 'WAVEfmt ');
    bytes.setUint32(16, 16, true); bytes.setUint16(20, 1, true); bytes.setUint16(22, 1, true);
    bytes.setUint32(24, rate, true); bytes.setUint32(28, rate * 2, true); bytes.setUint16(32, 2, true);
    bytes.setUint16(34, 16, true); text(36, 'data'); bytes.setUint32(40, samples * 2, true);
    for (var n = 0; n < samples; n++) bytes.setInt16(44 + n * 2, Math.sin(n * 2 * Math.PI * 440 / rate) * 8000, true);
    return bytes.buffer;
  }
  var stats = {tag: 'soak', played: 0, loops: 0, ticks: 0, frames: 0, fetches: 0, failedFetches: 0,
               watermarkBack: 0, watermarkMissing: 0, mediaError: null};
  var media = document.getElementById('media'), last = 0;
  media.src = URL.createObjectURL(new Blob([tone(2, 8000)], {type: 'audio/wav'}));
  media.addEventListener('timeupdate', function () {
    var now = media.currentTime;
    if (now < last) { stats.loops++; stats.played += now; } else { stats.played += now - last; }
    last = now;
  });
  media.addEventListener('error', function () { stats.mediaError = media.error ? media.error.code : 'error'; });
  media.play().catch(function (e) { stats.mediaError = String(e); });

  var ticks = document.getElementById('ticks');
  setInterval(function () { stats.ticks++; ticks.textContent = stats.ticks; }, 100);
  var clock = document.getElementById('clock').getContext('2d');
  (function draw() {
    stats.frames++;
    clock.clearRect(0, 0, 320, 40);
    clock.fillText(new Date().toISOString() + ' ' + stats.frames, 4, 24);
    requestAnimationFrame(draw);
  })();

  setInterval(function () {
    fetch('/echo?n=' + stats.fetches).then(function (r) { return r.json(); })
      .then(function () { stats.fetches++; }, function () { stats.failedFetches++; });
  }, 3000);

  setInterval(function () {
    var mark = document.getElementById('pellaro-watermark');
    if (!mark) { stats.watermarkMissing++; return; }
    mark.remove();
    setTimeout(function () {
      if (document.getElementById('pellaro-watermark')) stats.watermarkBack++; else stats.watermarkMissing++;
    }, 500);
  }, 4000);

  function report() {
    fetch('/report', {method: 'POST', headers: {'Content-Type': 'application/json'}, body: JSON.stringify(stats)});
  }
  report();
  setInterval(report, %d);
})();
</script>
</body></html>
""" % (REPORT_EVERY * 1000)


def _status(pid):
    fields = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            name, _, value = line.partition(":")
            fields[name] = value.split()
    return fields


def _pss_kib(pid):
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Pss:"):
                return int(line.split()[1])
    return 0


def _kind(pid, player, renderers):
    if pid == player:
        return "player"
    if pid in renderers:
        return "renderer"
    return "gpu" if b"--type=gpu-process" in process_arguments(pid) else "other"


def sample(player):
    """{kind: resident KiB}, plus total PSS, descriptors, threads and the pids
    of the player and every process below it."""
    pids = [player, *process_tree(player)]
    renderers = set(renderer_processes(player))
    result = {kind: 0 for kind in KINDS}
    result.update(pss=0, fds=0, threads=0, pids={})
    for pid in pids:
        try:
            status = _status(pid)
            kind = _kind(pid, player, renderers)
            result[kind] += int(status["VmRSS"][0])
            result["threads"] += int(status["Threads"][0])
            result["fds"] += len(os.listdir("/proc/%d/fd" % pid))
            result["pss"] += _pss_kib(pid)
            result["pids"][pid] = kind
        except (OSError, KeyError, IndexError):
            continue  # ended between the listing and the reading
    return result


def growth_per_hour(points):
    """Least-squares slope of (minutes, value) points, per hour."""
    if len(points) < 2:
        return 0.0
    n = len(points)
    mean_x = sum(x for x, _ in points) / n
    mean_y = sum(y for _, y in points) / n
    spread = sum((x - mean_x) ** 2 for x, _ in points)
    if spread == 0:
        return 0.0
    return sum((x - mean_x) * (y - mean_y) for x, y in points) / spread * 60


COLUMNS = ("player", "renderer", "gpu", "other", "pss", "fds", "threads")
HEADER = "%6s %8s %9s %8s %8s %9s %6s %8s %9s %6s %8s %10s" % (
    "minute", "player", "renderer", "gpu", "other", "total PSS", "fds", "threads", "played s", "loops", "fetches",
    "watermark")


def print_row(minute, row, page):
    mib = lambda kib: kib / 1024  # noqa: E731
    print("%6.1f %8.1f %9.1f %8.1f %8.1f %9.1f %6d %8d %9.0f %6d %8d %10d" % (
        minute, mib(row["player"]), mib(row["renderer"]), mib(row["gpu"]), mib(row["other"]), mib(row["pss"]),
        row["fds"], row["threads"], page.get("played", 0), page.get("loops", 0), page.get("fetches", 0),
        page.get("watermarkBack", 0)), flush=True)


def summarize(rows, warm_up):
    """Prints the growth per hour of each column over the samples after the warm-up."""
    steady = [(minute, row) for minute, row in rows if minute >= warm_up] or rows
    print("\ngrowth per hour, least squares over minutes %.1f to %.1f (%d samples):" % (
        steady[0][0], steady[-1][0], len(steady)))
    for column in COLUMNS:
        slope = growth_per_hour([(minute, row[column]) for minute, row in steady])
        first, last = steady[0][1][column], steady[-1][1][column]
        if column in ("fds", "threads"):
            print("  %-9s %+8.1f per hour (from %d to %d)" % (column, slope, first, last))
        else:
            print("  %-9s %+8.1f MiB per hour (from %.1f to %.1f MiB)" % (
                column, slope / 1024, first / 1024, last / 1024))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("cli")
    parser.add_argument("--minutes", type=float, default=60, help="how long the page stays on screen")
    parser.add_argument("--every", type=float, default=60, help="seconds between samples")
    parser.add_argument("--warm-up", type=float, default=5, help="minutes left out of the growth figures")
    args = parser.parse_args()
    if args.every < 2 * REPORT_EVERY:
        parser.error("--every must be at least %d s: the page reports every %d s" % (2 * REPORT_EVERY, REPORT_EVERY))
    if not port_443_free():
        print("skipped: port 443 is taken")
        return SKIP
    run = failures.Run(os.path.abspath(args.program), os.path.abspath(args.cli),
                       backend_lifetime=int(args.minutes * 60) + 900)
    problems, rows = [], []
    try:
        run.backend.page(PAGE_PATH, SOAK_PAGE)
        player = run.start(run.seal("pdf-report-1", "https://www.tovrel.localhost")).proc.pid
        first = run.backend.wait_report("soak", failures.LONG)
        started = time.monotonic()
        print("page shown; media error: %s" % first.get("mediaError"))
        print(HEADER, flush=True)
        renderers = None
        previous = None
        while True:
            minute = (time.monotonic() - started) / 60
            if run.player.proc.poll() is not None:
                problems.append("the player ended (exit status %s) at minute %.1f" % (run.player.proc.poll(), minute))
                break
            row = sample(player)
            reports = run.backend.reports("soak")
            page = reports[-1] if reports else {}
            rows.append((minute, row))
            print_row(minute, row, page)
            now_renderers = sorted(pid for pid, kind in row["pids"].items() if kind == "renderer")
            if renderers is not None and now_renderers != renderers:
                problems.append("renderer processes changed at minute %.1f: %s -> %s" % (
                    minute, renderers, now_renderers))
            renderers = now_renderers
            if previous is not None:
                for counter in ("ticks", "fetches", "watermarkBack", "loops"):
                    if page.get(counter, 0) <= previous.get(counter, 0):
                        problems.append("the page's %s stopped at minute %.1f" % (counter, minute))
            previous = page
            if minute >= args.minutes:
                break
            time.sleep(max(0.0, started + (len(rows)) * args.every - time.monotonic()))
        if previous:
            for counter in ("failedFetches", "watermarkMissing"):
                if previous.get(counter):
                    problems.append("the page counted %d %s" % (previous[counter], counter))
            if previous.get("mediaError"):
                problems.append("media error: %s" % previous["mediaError"])
        if run.player.proc.poll() is None:
            close_window(run.env, int(find_window(player, failures.APP + ".*", failures.LONG)))
            code = run.exit_code()
            if code != 0:
                problems.append("the player ended with exit status %s after its window was closed" % code)
            try:
                wait_until(lambda: not run.own_processes(), "every process of the run to end", failures.LONG,
                           seen=lambda: [failures.describe(pid) for pid in run.own_processes()])
            except WaitTimeout as error:
                problems.append(str(error))
    finally:
        output = run.output()
        run.close()
    if rows:
        summarize(rows, min(args.warm_up, rows[-1][0] / 2))
    for problem in problems:
        print("problem: " + problem)
    if problems:
        print("--- program output (end) ---\n" + output[-3000:])
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
