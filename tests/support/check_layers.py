#!/usr/bin/env python3
"""Fails when an include goes against the tree's layering.

  check_layers.py SOURCE_DIR

Checked in every source file (.cc, .h, .in, .rc) of the tree:
- a product file includes nothing from a layer above its own, nothing of a
  sibling at its own level, no test code and none of the fakes in
  platform/testing/;
- the toolkit folders of platform/ serve only the views that run on them;
- a Qt header is included only in a file inside a qt/ folder, windows.h
  and the other Windows headers only in a Win32 file (inside a win32/
  folder, or with _win32 in its name);
- no include cycle, however long.
Tests, fuzz targets and benchmarks may include any layer.
"""

import os
import re
import subprocess
import sys

# Bottom to top. Folders at one level are siblings: neither includes the
# other.
LEVELS = {
    "platform": 0,
    "platform/qt": 1,
    "platform/testing": 1,
    "platform/wayland": 1,
    "platform/win32": 1,
    "platform/x11": 1,
    "core": 2,
    "transfer": 3,
    "engine": 4,
    "ui/logic": 5,
    "ui/headless": 6,
    "ui/qt": 7,
    "ui/win32": 7,
    "ui/launcher": 8,
}

# Who may include the platform's toolkit folders, beside the folder itself.
TOOLKIT_USERS = {
    "platform/qt": {"ui/qt"},
    "platform/wayland": {"ui/qt", "ui/launcher"},
    "platform/win32": {"ui/win32"},
    "platform/x11": {"ui/qt", "ui/launcher"},
}

# Where a folder may include only some headers of a lower one: the launcher
# knows of the Qt view no more than the module's entry contract, and
# nothing of the Win32 view.
ONLY = {
    ("ui/launcher", "ui/qt"): {"ui/qt/window_module.h"},
    ("ui/launcher", "ui/win32"): set(),
}

TEST_FOLDERS = ("tests", "fuzz", "bench")
SOURCE_SUFFIXES = (".cc", ".h", ".in", ".rc")
WINDOWS_HEADERS = {
    "windows.h", "windowsx.h", "commctrl.h", "commdlg.h", "shellapi.h",
    "shlobj.h", "shlwapi.h", "winbase.h", "wingdi.h", "winuser.h", "winver.h",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
QT_HEADER = re.compile(r"^(Q[A-Za-z0-9_]*|Qt[A-Za-z]*/.*|qpa/.*)$")
WIN32_NAME = re.compile(r"(^|_)win32(_|\.|$)")


def source_files(top):
    """The files git knows of, tracked or new, when |top| is a git
    checkout's top; else every file outside hidden and build folders."""
    try:
        inside = subprocess.run(
            ["git", "-C", top, "rev-parse", "--show-toplevel"],
            capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        inside = ""
    if inside and os.path.realpath(inside) == os.path.realpath(top):
        listed = subprocess.run(
            ["git", "-C", top, "ls-files", "-z", "--cached", "--others",
             "--exclude-standard"],
            capture_output=True, text=True, check=True).stdout.split("\0")
        # A file deleted but not yet committed is listed still.
        return sorted(set(f for f in listed if f.endswith(SOURCE_SUFFIXES)
                          and os.path.isfile(os.path.join(top, f))))
    found = []
    for folder, subfolders, names in os.walk(top):
        subfolders[:] = [s for s in subfolders
                         if not s.startswith((".", "build"))]
        for name in names:
            if name.endswith(SOURCE_SUFFIXES):
                found.append(os.path.relpath(os.path.join(folder, name), top))
    return sorted(f.replace(os.sep, "/") for f in found)


def group_of(path):
    """The library folder |path| belongs to, as LEVELS names it."""
    parts = path.split("/")
    if parts[0] in TEST_FOLDERS:
        return parts[0]
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    if parts[0] == "ui" and len(parts) > 2:
        return "ui/" + parts[1]
    return parts[0]


def is_test(path):
    return group_of(path) in TEST_FOLDERS


def in_folder(path, folder):
    return folder in path.split("/")[:-1]


def is_win32_file(path):
    name = path.split("/")[-1]
    return in_folder(path, "win32") or bool(WIN32_NAME.search(name))


def layer_problem(path, included):
    """Why |path| may not include |included| (both in the tree), or None."""
    if is_test(path):
        return None
    group = group_of(path)
    target = group_of(included)
    if group not in LEVELS:
        return "is in %s, a folder of no known layer" % group
    if target in TEST_FOLDERS:
        return "is product code and includes test code"
    if target == group:
        return None
    if target == "platform/testing":
        return "is product code and includes a fake of platform/testing/"
    if target not in LEVELS:
        return "includes from %s, a folder of no known layer" % target
    if (group, target) in ONLY:
        if included in ONLY[(group, target)]:
            return None
        return "includes from %s more than %s may" % (target, group)
    if LEVELS[target] > LEVELS[group]:
        return "includes from %s, a layer above %s" % (target, group)
    if LEVELS[target] == LEVELS[group]:
        return "includes from %s, a sibling of %s" % (target, group)
    if target in TOOLKIT_USERS and group not in TOOLKIT_USERS[target]:
        return "includes from %s, which serves only %s" % (
            target, ", ".join(sorted(TOOLKIT_USERS[target])))
    return None


def header_problem(path, header):
    """Why |path| may not include the system header |header|, or None."""
    if QT_HEADER.match(header) and not in_folder(path, "qt"):
        return "includes the Qt header <%s> outside a qt/ folder" % header
    if header.lower() in WINDOWS_HEADERS and not is_win32_file(path):
        return "includes <%s> but is no Win32 file" % header
    return None


def cycles(graph):
    """Every include cycle: the strongly connected parts of |graph| that
    hold more than one file, or a file that includes itself."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(start):
        # Tarjan's algorithm, iterative: the include chains can be long.
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    part.append(member)
                    if member == node:
                        break
                if len(part) > 1 or node in graph.get(node, ()):
                    found.append(sorted(part))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main(argv):
    if len(argv) != 2:
        print("usage: check_layers.py SOURCE_DIR", file=sys.stderr)
        return 2
    top = argv[1]
    files = source_files(top)
    known = set(files)
    problems = []
    graph = {}
    for path in files:
        with open(os.path.join(top, path), encoding="utf-8",
                  errors="replace") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            quoted, name = match.group(1) == '"', match.group(2)
            line = text.count("\n", 0, match.start()) + 1
            where = "%s:%d: " % (path, line)
            if not quoted:
                problem = header_problem(path, name)
                if problem:
                    problems.append(where + problem)
                continue
            # Our includes name the file from the top of the tree; a
            # generated header stands as its template.
            included = name if name in known else (
                name + ".in" if name + ".in" in known else None)
            if included is None:
                if "/" in name:
                    problems.append(where + "includes %s, which is not in "
                                    "the tree" % name)
                continue
            problem = layer_problem(path, included)
            if problem:
                problems.append(where + problem + " (%s)" % name)
            graph.setdefault(path, set()).add(included)
    for part in cycles(graph):
        problems.append("include cycle among: " + ", ".join(part))
    for problem in problems:
        print(problem)
    if problems:
        print("check_layers: %d problem(s) in %d files" % (len(problems),
                                                           len(files)))
        return 1
    print("check_layers: %d files, includes point down" % len(files))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
