#!/usr/bin/env python3
"""pellaro-cli as a command-line tool: help, usage errors (exit 2, standard
error only), failures (exit 1) and successes (exit 0), text beyond ASCII.

usage: cli_test.py CLI                         the Linux tool's contract
       cli_test.py CLI --wine RUNNER --linux LINUX_CLI [--backend DIR]
           the Windows tool under Wine: every answer compared with the Linux
           tool's for the same arguments; links and codes made by one edition
           opened by the other; the console; with the reference backend's
           fixture folder, the chain both read from its server.
"""
import argparse
import os
import shutil
import subprocess
import sys

KEY = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
REASON = "exception_bad padding \u2014 \u0627\u0644\u0631\u0627\u0628\u0637 \u062a\u0627\u0644\u0641"  # em dash, Arabic
LINK_KEY = "\u0645\u0641\u062a\u0627\u062d-1"  # Arabic
COMMANDS = ("link", "diag", "resolve", "pins", "version-check", "help")
VERSION = "pellaro-cli 4.12.0 (build profile demo)\n"

# (arguments, exit code, text expected on standard output or error)
USAGE_ERRORS = [
    ([], "usage: pellaro-cli [--debug] COMMAND"),
    (["--version", "x"], "--version takes no arguments"),
    (["nope"], "unknown command 'nope'"),
    (["help", "nope"], "unknown command 'nope'"),
    (["link"], "seal or open?"),
    (["link", "open", "--bogus", "Tovrelapp:A:B:C"], "unknown option '--bogus'"),
    (["link", "seal", "--key-hex", "abc", "a", "b", "c"], "--key-hex wants an even number"),
    (["link", "seal", "--key-hex"], "--key-hex needs a value"),
    (["link", "seal", "a", "b"], "seal wants LINKKEY CONTENTID BASEADDRESS"),
    (["link", "open", "--no-mac", "Tovrelapp:A:B:C"], "unknown option '--no-mac'"),
    (["diag", "decode"], "decode wants one CODE"),
    (["diag", "encode", "-x"], "unknown option '-x'"),
    (["diag", "recode", "x"], "unknown subcommand 'recode'"),
    (["resolve"], "resolve wants one LINK"),
    (["resolve", "--verbose", "Tovrelapp:A:B:C"], "unknown option '--verbose'"),
    (["pins"], "pins wants one URL"),
    (["pins", "https://a.localhost", "https://b.localhost"], "pins wants one URL"),
    (["pins", "ftp://api.tovrel.localhost"], "is not an https address"),
    (["pins", "https://api.tovrel.localhost:99999/"], "is not an https address"),
    (["pins", "https://api.tovrel.localhost:44x3/"], "is not an https address"),
    (["pins", "https:///path"], "is not an https address"),
    (["pins", "https://user@api.tovrel.localhost/"], "is not an https address"),
    (["version-check", "--dynamic"], "unknown option '--dynamic'"),
    (["version-check", "javascript:alert(1)"], "is not a base address"),
    (["version-check", "file:///etc/passwd"], "is not a base address"),
    (["version-check", "https://api.tovrel.localhost:0"], "is not a base address"),
    (["version-check", "https://api tovrel.localhost"], "is not a base address"),
    (["version-check", "a.localhost", "b.localhost"], "at most one BASEADDRESS"),
    # Malformed addresses: usage errors wherever an address is taken.
    (["version-check", "https//api.tovrel.localhost"], "is not a base address"),
    (["version-check", "not-an-address!"], "is not a base address"),
    (["version-check", "https://-api.tovrel.localhost"], "is not a base address"),
    (["version-check", "https://api..tovrel.localhost"], "is not a base address"),
    (["version-check", "https://[::1"], "is not a base address"),
    (["pins", "https://%41pi.tovrel.localhost/"], "is not an https address"),
    (["link", "seal", "key-1", "item-5", "not an address"], "is not a base address"),
    (["link", "seal", "key-1", "item-5", "ftp://api.tovrel.localhost"], "is not a base address"),
    (["link", "seal", "key-1", "item-5", "javascript:alert(1)"], "is not a base address"),
    (["link", "seal", "key-1", "item-5", "https//api.tovrel.localhost"], "is not a base address"),
]
# No server listens on port 1 of loopback: each command says it could not do
# its job, with the stack's own text (the only part that differs by edition).
CLOSED = "https://127.0.0.1:1"
NO_CONNECTION = {"curl connect failed: 7", "WinHttpSendRequest failed: 12029"}
UNREACHABLE = [
    (["version-check", CLOSED], ["error: <no connection>"]),
    (["pins", CLOSED + "/"], ["error: <no connection>", "entry: none", "chain: unread", "verdict: unreachable"]),
    (["resolve", "<link to %s>" % CLOSED], ["unreachable_<no connection>"]),
]
# Answers that do not depend on the machine, the clock or chance.
FAILURES = [
    (["link", "open", "Tovrelapp:A:B"], "split_failed_parts_2"),
    (["resolve", "Tovrelapp:A:B"], "split_failed_parts_2"),
    (["link", "open", "--key-hex", KEY, "Tovrelapp:e30=:e30=:e30="], "exception_"),
]


class Tool:
    def __init__(self, path, runner=None):
        self.command = ([runner] if runner else []) + [path]

    def run(self, *args, env=None):
        proc = subprocess.run(self.command + list(args), capture_output=True, timeout=300,
                              env=dict(os.environ, LC_ALL="C.UTF-8", **(env or {})))
        text = lambda b: b.decode("utf-8", "strict").replace("\r\n", "\n")  # noqa: E731
        return proc.returncode, text(proc.stdout), text(proc.stderr)


class Checks:
    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL " + what, flush=True)


def unreachable_answers(tool):
    """(arguments, exit code, standard output with the transport text replaced, standard error) of each case."""
    rc, link, _ = tool.run("link", "seal", "key-1", "lesson-wrapped", CLOSED)
    answers = []
    for args, _ in UNREACHABLE:
        args = [link.strip() if arg.startswith("<link") else arg for arg in args]
        rc, out, err = tool.run(*args)
        for text in NO_CONNECTION:
            out = out.replace(text, "<no connection>")
        answers.append((args[0], rc, out, err))
    return answers


def behaviour(tool, check):
    """The tool's own contract, the same for both editions."""
    rc, out, err = tool.run("help")
    check(rc == 0 and all(name in out for name in COMMANDS) and "exit codes" in out and not err, "help:\n" + out)
    check(tool.run("--help") == (0, out, ""), "--help is help")
    check(tool.run("--version") == (0, VERSION, ""), "--version: %r" % (tool.run("--version"),))
    for name in COMMANDS:
        rc, text, err = tool.run("help", name)
        check(rc == 0 and text.startswith("usage: pellaro-cli " + name) and "exit codes" in text and not err,
              "help %s: %r" % (name, text))
        # Help is asked for, not taken as an address or a link: nothing is contacted.
        for flag in ("--help", "-h"):
            check(tool.run(name, flag) == (0, text, ""), "%s %s prints that command's help" % (name, flag))
    check(tool.run("link", "open", "--help")[1] == tool.run("help", "link")[1], "link open --help")

    for args, expected in USAGE_ERRORS:
        rc, out, err = tool.run(*args)
        check(rc == 2 and not out and expected in err, "usage error %s: %d %r %r" % (args, rc, out, err))
    for args, expected in FAILURES:
        rc, out, err = tool.run(*args)
        check(rc == 1 and out.startswith(expected), "failure %s: %d %r %r" % (args, rc, out, err))
    rc, out, err = tool.run("diag", "decode", "not a code")
    check(rc == 1 and not out and "not a diagnostic code" in err, "undecodable code: %d %r %r" % (rc, out, err))
    for (command, rc, out, err), (_, expected) in zip(unreachable_answers(tool), UNREACHABLE):
        check(rc == 1 and out.splitlines()[-len(expected):] == expected and not err,
              "%s, nothing listening: %d %r %r" % (command, rc, out, err))

    # Debug lines only on request, wherever --debug stands before "--".
    rc, link, _ = tool.run("link", "seal", "key-1", "item-5", "https://api.tovrel.localhost")
    for args in (["link", "open", link.strip()], ["link", "open", "Tovrelapp:A:B"], ["resolve", "Tovrelapp:A:B"]):
        _, _, err = tool.run(*args)
        check(err == "", "%s writes nothing on standard error: %r" % (args[:2], err))
        for debug_args in (["--debug"] + args, args[:-1] + ["--debug"] + args[-1:]):
            rc, out, err = tool.run(*debug_args)
            check("ParseSchemeArgs called with payload length" in err and "ParseSchemeArgs" not in out,
                  "%s: the debug lines on standard error: %r" % (debug_args, err))
    rc, out, _ = tool.run("diag", "encode", "--", "--debug")
    check(rc == 0 and "reason=--debug" in tool.run("diag", "decode", out.strip())[1], "--debug after -- is an operand")

    # Text beyond ASCII survives the command line both ways.
    for options in ([], ["--key-hex", KEY]):
        rc, link, _ = tool.run("link", "seal", *options, LINK_KEY, "item-5", "https://api.tovrel.localhost")
        rc2, opened, _ = tool.run("link", "open", *options, link.strip())
        check(rc == 0 and rc2 == 0 and opened == "%s\nitem-5\nhttps://api.tovrel.localhost\n" % LINK_KEY,
              "seal/open an Arabic link key %s: %r" % (options, opened))
    rc, code, _ = tool.run("diag", "encode", REASON)
    rc2, decoded, _ = tool.run("diag", "decode", code.strip())
    check(rc == 0 and rc2 == 0 and ("reason=" + REASON + "\n") in decoded, "diag reason round trip: %r" % decoded)
    # A code pasted with spaces and line breaks (a mail client's wrapping) reads as the code itself.
    wrapped = " " + code.strip()[:20] + "\r\n" + code.strip()[20:40] + "\n\t" + code.strip()[40:] + " \n"
    check(tool.run("diag", "decode", wrapped)[:2] == (0, decoded), "a wrapped code decodes alike")
    check(tool.run("diag", "decode", " SSL_api.tovrel.localhost\n")[:2] ==
          (0, "kind=pin validation failed\nhost=api.tovrel.localhost\n"), "a connection code with white space")
    rc, code, _ = tool.run("diag", "encode", "--", "-starts with a dash")
    check(rc == 0 and "reason=-starts with a dash" in tool.run("diag", "decode", code.strip())[1],
          "-- ends the options")


def editions(windows, linux, check):
    """The same arguments give the same answers; what one edition makes, the other reads."""
    # Every help text and failure, and one usage error of each kind (Wine starts
    # slowly, and the parsing is the same portable code in both). Help and usage
    # errors: every stream alike; failures: code and answer alike (standard
    # error carries the debug lines on Linux only).
    sample = [[], ["nope"], ["link", "open", "--bogus", "Tovrelapp:A:B:C"], ["diag", "encode", "-x"], ["resolve"],
              ["pins", "ftp://api.tovrel.localhost"], ["version-check", "javascript:alert(1)"]]
    cases = [(["help"], True), (["--version"], True)] + [(["help", name], True) for name in COMMANDS] + \
        [(["resolve", "--help"], True)] + [(args, True) for args in sample] + [(args, False) for args, _ in FAILURES]
    for args, whole in cases:
        answers = [tool.run(*args) if whole else tool.run(*args)[:2] for tool in (windows, linux)]
        check(answers[0] == answers[1], "the editions differ on %s:\n%r\n%r" % (args, *answers))
    # A server that cannot be reached: the same answers but for the stack's text.
    answers = [[answer[:3] for answer in unreachable_answers(tool)] for tool in (windows, linux)]
    check(answers[0] == answers[1], "the editions differ when nothing listens:\n%r\n%r" % tuple(answers))
    for command, rc, out in answers[0]:
        check(rc == 1 and "<no connection>" in out, "%s under Wine, nothing listening: %d %r" % (command, rc, out))
    for maker, reader in ((windows, linux), (linux, windows)):
        for options in ([], ["--key-hex", KEY, "--no-mac"]):
            _, link, _ = maker.run("link", "seal", *options, LINK_KEY, "item-\u00e9", "https://api.tovrel.localhost")
            open_options = options[:2]
            answers = [tool.run("link", "open", *open_options, link.strip())[:2] for tool in (reader, maker)]
            check(answers[0] == answers[1] == (0, "%s\nitem-\u00e9\nhttps://api.tovrel.localhost\n" % LINK_KEY),
                  "a link sealed by one edition %s opens alike in both: %r" % (options, answers))
        _, code, _ = maker.run("diag", "encode", REASON)
        answers = [tool.run("diag", "decode", code.strip())[:2] for tool in (reader, maker)]
        check(answers[0] == answers[1] and ("reason=" + REASON + "\n") in answers[0][1],
              "a diagnostic code made by one edition decodes alike in both: %r" % answers)


def chain_lines(out):
    """What `pins` decided about a server: each certificate's pin, the entry, the
    chain and the verdict (names are each platform's own rendering)."""
    return [line.strip() for line in out.splitlines()
            if line.strip().startswith(("pin: ", "entry: ", "chain: ", "verdict: "))]


def same_chain(windows, linux, backend_dir, check):
    """Both editions read the same chain from the reference backend's server."""
    with open(os.path.join(backend_dir, "port")) as f:
        address = "https://127.0.0.1:%s/" % f.read().strip()
    answers = [tool.run("pins", address)[:2] for tool in (windows, linux)]
    lines = [chain_lines(out) for _, out in answers]
    check(answers[0][0] == answers[1][0] == 0 and lines[0] == lines[1] and
          len([line for line in lines[0] if line.startswith("pin: ")]) == 3,
          "the editions read the backend's chain differently:\n%s\n%s" % (answers[0][1], answers[1][1]))


def console(windows, check):
    """On a console (a terminal behind Wine) the text shows as the pipe gets it."""
    if not shutil.which("script"):
        check(False, "script(1) is needed for the console check")
        return
    _, code, _ = windows.run("diag", "encode", REASON)
    command = " ".join("'%s'" % part for part in windows.command + ["diag", "decode", code.strip()])
    proc = subprocess.run(["script", "-q", "-e", "-c", command, "/dev/null"], capture_output=True, timeout=300,
                          env=dict(os.environ, LC_ALL="C.UTF-8"))
    shown = proc.stdout.decode("utf-8", "replace")
    check(("reason=" + REASON) in shown, "the console shows the reason: %r" % shown[-300:])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--wine")
    parser.add_argument("--linux")
    parser.add_argument("--backend")
    options = parser.parse_args()
    check = Checks()
    tool = Tool(options.cli, options.wine)
    if not options.wine:
        behaviour(tool, check)
    else:
        # Each Windows answer must equal the Linux tool's, whose contract the
        # native run checks (Wine starts slowly: each case runs once here).
        console(tool, check)
        if options.linux and os.path.exists(options.linux):
            editions(tool, Tool(options.linux), check)
            if options.backend:
                same_chain(tool, Tool(options.linux), options.backend, check)
        else:
            check(False, "the Linux tool to compare with is missing: %s (build the linux preset first)"
                  % options.linux)
    print("%d failed" % len(check.failures))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
