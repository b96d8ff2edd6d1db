#!/usr/bin/env python3
"""Keeps the source folders layered.

Each folder of src/ (and tools/) has a DEPS file: a comment line saying what
lives there, then the folders it may include, one a line. This checker fails
on an include of a folder not listed, on a cycle among the DEPS files, and on
a portable file (one without a platform suffix such as _win or _qt) that
includes a Windows, Qt, curl, OpenSSL, CUPS or POSIX header.

  check_layers.py [ROOT]             check the tree (default: this checkout)
  check_layers.py --picture [ROOT]   print the layer picture docs/architecture.md shows
"""
import pathlib
import re
import sys

FOLDERS = ("src", "tools")
SOURCE_SUFFIXES = (".h", ".cpp")
PLATFORM_SUFFIXES = ("_win", "_qt", "_linux", "_posix", "_curl", "_winhttp", "_cng", "_openssl", "_cups")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
WINDOWS_HEADERS = {
    "windows.h", "winhttp.h", "bcrypt.h", "wincrypt.h", "wintrust.h", "softpub.h", "winspool.h",
    "shlobj.h", "shellapi.h", "shlwapi.h", "objbase.h", "ole2.h", "commctrl.h", "dwmapi.h",
    "gdiplus.h", "urlmon.h", "tlhelp32.h", "winternl.h", "winreg.h", "winuser.h", "combaseapi.h",
}
POSIX_HEADERS = {"unistd.h", "fcntl.h", "dlfcn.h", "pwd.h"}


def os_header(name):
    """The OS or library a system header belongs to, or None when portable."""
    lower = name.lower()
    if lower in WINDOWS_HEADERS:
        return "Windows"
    if re.match(r"^Q[A-Za-z]+$", name) or name.startswith(("Qt", "QtCore/", "QtWidgets/")):
        return "Qt"
    if lower.startswith("curl/"):
        return "curl"
    if lower.startswith("openssl/"):
        return "OpenSSL"
    if lower.startswith("cups/"):
        return "CUPS"
    if lower in POSIX_HEADERS or lower.startswith("sys/"):
        return "POSIX"
    return None


def read_deps(root):
    """{folder: (about, [allowed folders])} for every folder with sources."""
    layers = {}
    for top in FOLDERS:
        base = root / top
        if not base.is_dir():
            continue
        folders = [base] if top == "tools" else sorted(p for p in base.iterdir() if p.is_dir())
        for folder in folders:
            if not any(f.suffix in SOURCE_SUFFIXES for f in folder.iterdir()):
                continue
            deps_file = folder / "DEPS"
            name = folder.name
            if not deps_file.is_file():
                layers[name] = (None, [])
                continue
            lines = deps_file.read_text(encoding="utf-8").splitlines()
            about = next((l[1:].strip() for l in lines if l.startswith("#")), "")
            allowed = [l.strip() for l in lines if l.strip() and not l.startswith("#")]
            layers[name] = (about, allowed)
    return layers


def folder_of(root, path):
    rel = path.relative_to(root)
    return "tools" if rel.parts[0] == "tools" else rel.parts[1]


def find_cycle(layers):
    """One cycle among the allowed folders as a list, or None."""
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for dep in layers.get(node, (None, []))[1]:
            if state.get(dep) == "open":
                return trail[trail.index(dep):] + [dep] if dep in trail else [node, dep]
            if dep not in state:
                found = visit(dep, trail + [dep])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in layers:
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def layer_order(layers):
    """Folders lowest first: each after everything it may include."""
    order, placed = [], set()
    while len(order) < len(layers):
        ready = [n for n in layers if n not in placed and all(d in placed or d not in layers for d in layers[n][1])]
        if not ready:
            break
        for name in ready:  # keep the order the folders first appear in
            order.append(name)
            placed.add(name)
    return order


def check(root):
    """Every violation as a line of text; none means the tree is layered."""
    root = pathlib.Path(root)
    layers = read_deps(root)
    problems = []
    for name, (about, _) in layers.items():
        if about is None:
            problems.append(f"{name}: no DEPS file")
    for name, (_, allowed) in layers.items():
        for dep in allowed:
            if dep not in layers:
                problems.append(f"{name}/DEPS names {dep}, which is no source folder")
    cycle = find_cycle(layers)
    if cycle:
        problems.append("cycle among the DEPS files: " + " -> ".join(cycle))
    for top in FOLDERS:
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            own = folder_of(root, path)
            allowed = layers.get(own, (None, []))[1]
            portable = not path.stem.endswith(PLATFORM_SUFFIXES)
            text = path.read_text(encoding="utf-8", errors="replace")
            for quote, target in INCLUDE.findall(text):
                rel = path.relative_to(root)
                if quote == '"' and "/" in target:
                    other = target.split("/", 1)[0]
                    if other != own and other in layers and other not in allowed:
                        problems.append(f"{rel}: includes \"{target}\", but {own} may not include {other}")
                elif quote == "<" and portable:
                    kind = os_header(target)
                    if kind:
                        problems.append(f"{rel}: portable file includes <{target}> ({kind}); "
                                        f"move it to a platform file (x_win.cpp, x_qt.cpp, x_linux.cpp, ...)")
    return problems


def picture(root):
    """The layers as text, lowest last, each with what it may include."""
    layers = read_deps(pathlib.Path(root))
    order = layer_order(layers)
    width = max(len(n) for n in order)
    lines = []
    for name in reversed(order):
        about, allowed = layers[name]
        below = ", ".join(d for d in order if d in allowed) or "nothing"
        lines.append(f"{name:<{width}}  may include: {below}")
        lines.append(f"{'':<{width}}  {about}")
    return "\n".join(lines) + "\n"


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    root = pathlib.Path(args[0]) if args else pathlib.Path(__file__).resolve().parent.parent
    if "--picture" in argv:
        sys.stdout.write(picture(root))
        return 0
    problems = check(root)
    for line in problems:
        print(line)
    if problems:
        print(f"layers: {len(problems)} problem(s)")
        return 1
    print("layers: " + " -> ".join(layer_order(read_deps(root))) + ": no include runs against the order")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
