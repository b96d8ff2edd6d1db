#!/usr/bin/env python3
"""The Windows installer as a user meets it, under Wine in a fresh prefix of
its own (deleted at the end, whatever happens):

install silently -> files, Start-menu shortcut, Uninstall entry, link
registration, version resource -> the installed program starts (and, with no
browser runtime, asks for one: answered No) -> install again over an entry of
an older version -> uninstall silently: everything gone but the browser data
folder -> install and uninstall /REMOVEDATA: the data folder goes too.

usage: windows_installer_test.py INSTALLER VERSION COMPANY
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.abspath(os.path.join(HERE, "..", ".."))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PellaroDesktopPlayer"
SCHEME_KEY = r"HKCU\Software\Classes\Tovrelapp"
PROGRAM_DIR = r"C:\users\%s\AppData\Local\Programs\Pellaro Desktop Player"
LONG = 180  # seconds; Wine on a loaded two-core machine is slow to start


def wait_until(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.5)
    return predicate()


class Prefix:
    """A fresh 64-bit Wine prefix and a virtual display, both private to this run."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="pellaro-installer-test-")
        self.path = os.path.join(self.root, "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.path, WINEDEBUG="-all",
                        # No menu entries or file associations leak into the host's desktop.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", LC_ALL="C.UTF-8")
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.env["DISPLAY"] = ":" + self.xvfb.stdout.readline().decode().strip()
        subprocess.run(["bash", os.path.join(SOURCE_DIR, "scripts", "wine-prefix.sh"), self.path],
                       env=self.env, check=True, timeout=600)
        self.user = next(d for d in os.listdir(os.path.join(self.path, "drive_c", "users")) if d != "Public")
        self.local = os.path.join(self.path, "drive_c", "users", self.user, "AppData", "Local")
        self.program_dir = os.path.join(self.local, "Programs", "Pellaro Desktop Player")
        self.shortcut = os.path.join(self.path, "drive_c", "users", self.user, "AppData", "Roaming", "Microsoft",
                                     "Windows", "Start Menu", "Programs", "Tovrel Academy.lnk")
        self.data_dir = os.path.join(self.local, "Tovrel Academy")

    def wine(self, *args, timeout=LONG):
        return subprocess.run(["wine", *args], env=self.env, capture_output=True, timeout=timeout)

    def settle(self):
        """Waits for every process of the prefix (an uninstaller runs from a copy of itself)."""
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=LONG)

    def values(self, key):
        """A registry key's values as {name: data}; None when the key is missing."""
        result = self.wine("reg", "query", key)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
        return values

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60, capture_output=True)
        self.xvfb.kill()
        self.xvfb.wait()
        shutil.rmtree(self.root, ignore_errors=True)


def version_strings(exe):
    """The string table of a program's version resource (UTF-16 name/value pairs)."""
    data = open(exe, "rb").read()
    found = {}
    for name in ("CompanyName", "FileVersion", "ProductVersion", "ProductName", "OriginalFilename"):
        key = (name + "\0").encode("utf-16-le")
        at = data.find(key)
        if at < 0:
            continue
        at += len(key)
        at += (4 - at % 4) % 4  # values start on a 32-bit boundary
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        found[name] = data[at:end].decode("utf-16-le")
    return found


def answer_runtime_question(prefix, proc):
    """The installed program without a browser runtime asks to install one: say No."""
    window = []

    def shown():
        result = subprocess.run(["xdotool", "search", "--name", "Component Required"], env=prefix.env,
                                capture_output=True, text=True, timeout=60)
        window[:] = result.stdout.split()
        return bool(window) or proc.poll() is not None

    assert wait_until(shown, LONG) and window, "no runtime question; program ended with %s" % proc.poll()
    subprocess.run(["xdotool", "windowfocus", "--sync", window[0], "key", "--clearmodifiers", "n"],
                   env=prefix.env, check=True, timeout=60)
    return proc.wait(timeout=LONG)


def check(condition, what, failures):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def main():
    installer, version, company = sys.argv[1:4]
    failures = []
    prefix = Prefix()
    try:
        staged = os.path.join(prefix.root, os.path.basename(installer))
        shutil.copy(installer, staged)

        # Install.
        result = prefix.wine(staged, "/S")
        prefix.settle()
        check(result.returncode == 0, "setup /S exits 0 (got %d)" % result.returncode, failures)
        for name in ("Tovrelapp.exe", "pellaro-cli.exe", "uninstall.exe"):
            check(os.path.isfile(os.path.join(prefix.program_dir, name)), "installed " + name, failures)
        check(os.path.isfile(prefix.shortcut), "Start-menu shortcut", failures)
        entry = prefix.values(UNINSTALL_KEY) or {}
        location = PROGRAM_DIR % prefix.user
        check(entry.get("DisplayVersion") == version, "Uninstall entry version %r" % entry.get("DisplayVersion"),
              failures)
        check(entry.get("Publisher") == company, "Uninstall entry publisher", failures)
        check(entry.get("DisplayName", "").startswith("Tovrel Academy"), "Uninstall entry name", failures)
        check(entry.get("DisplayIcon") == location + r"\Tovrelapp.exe,0", "Uninstall entry icon", failures)
        check(entry.get("UninstallString") == '"%s\\uninstall.exe"' % location, "Uninstall command", failures)
        check(int(entry.get("EstimatedSize", "0"), 16) > 1000, "Uninstall entry size in KiB", failures)
        command = prefix.values(SCHEME_KEY + r"\shell\open\command") or {}
        check(command.get("(Default)") == '"%s\\Tovrelapp.exe" "%%1"' % location, "link registration", failures)
        for name in ("Tovrelapp.exe", "pellaro-cli.exe"):
            strings = version_strings(os.path.join(prefix.program_dir, name))
            check(strings.get("FileVersion") == version and strings.get("ProductVersion") == version
                  and strings.get("CompanyName") == company and strings.get("OriginalFilename") == name,
                  "version resource of %s: %s" % (name, strings), failures)

        # The installed program starts: with no browser runtime it asks for one.
        proc = subprocess.Popen(["wine", location + r"\Tovrelapp.exe"], env=prefix.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            code = answer_runtime_question(prefix, proc)
            check(code == 1, "installed program asked for the runtime and ended with 1 (got %s)" % code, failures)
        finally:
            if proc.poll() is None:
                proc.kill()
        prefix.settle()

        # Upgrade over an entry that says an older version; the user's data stays put.
        prefix.wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/d", "4.0.0", "/f")
        os.makedirs(os.path.join(prefix.data_dir, "WebView2Data"), exist_ok=True)
        with open(os.path.join(prefix.data_dir, "WebView2Data", "Cookies"), "w") as f:
            f.write("kept")
        result = prefix.wine(staged, "/S")
        prefix.settle()
        entry = prefix.values(UNINSTALL_KEY) or {}
        check(result.returncode == 0 and entry.get("DisplayVersion") == version,
              "upgrade over 4.0.0 gives %r" % entry.get("DisplayVersion"), failures)
        check(entry.get("InstallLocation") == location, "upgrade stays in the same folder", failures)

        # Uninstall: everything of the installation goes, the browser data stays.
        result = prefix.wine(location + r"\uninstall.exe", "/S")
        prefix.settle()
        check(result.returncode == 0, "uninstall /S exits 0", failures)
        check(not os.path.exists(prefix.program_dir), "program folder removed", failures)
        check(not os.path.exists(prefix.shortcut), "shortcut removed", failures)
        check(prefix.values(UNINSTALL_KEY) is None, "Uninstall entry removed", failures)
        check(prefix.values(SCHEME_KEY) is None, "link registration removed", failures)
        check(os.path.isfile(os.path.join(prefix.data_dir, "WebView2Data", "Cookies")), "browser data kept",
              failures)

        # Asked to, the uninstaller removes the browser data as well.
        prefix.wine(staged, "/S")
        prefix.settle()
        result = prefix.wine(location + r"\uninstall.exe", "/S", "/REMOVEDATA")
        prefix.settle()
        check(result.returncode == 0 and not os.path.exists(prefix.program_dir), "second uninstall", failures)
        check(not os.path.exists(prefix.data_dir), "browser data removed with /REMOVEDATA", failures)
    finally:
        prefix.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
