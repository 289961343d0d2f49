#!/usr/bin/env python3
"""Checks the direction of the include arrows: a folder includes only from
its own layer and the layers below it, the window folders under ui/ include
none of each other, and no Python program in tools/ imports from tests/.

Layers, lowest first (tools, bench, fuzz and tests may include anything):
framework, resources, base, service, convert, controls, ui/common, the window
folders (ui/<window>), app.

Prints one line a violation and exits 1 when there is any."""
import ast
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LAYERS = ["framework", "resources", "base", "service", "convert", "controls", "ui/common", "ui/*", "app"]
FREE = {"tools", "bench", "fuzz", "tests"}  # may include anything
SOURCES = (".h", ".hpp", ".c", ".cpp", ".rc", ".in")
# Made by the build (the version and the build settings): the resources' layer.
GENERATED = {"version.h": "resources", "build_config.h": "resources"}
INCLUDE_DIRS = ["", "resources"]  # beside the root, what "name.h" may be found in
SKIP_DIRS = {".git", "build", "__pycache__"}
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.M)


def layer_of(path):
    """(rank, folder) of a path relative to the root; rank None: may include anything."""
    parts = path.replace(os.sep, "/").split("/")
    top = parts[0]
    if top == "ui" and len(parts) > 2:
        folder = "ui/" + parts[1]
        return (LAYERS.index("ui/common"), folder) if folder == "ui/common" else (LAYERS.index("ui/*"), folder)
    if top in LAYERS:
        return LAYERS.index(top), top
    return None, top


def resolve(root, including, name):
    """The file an #include "name" in including reads, relative to the root, or None."""
    if name in GENERATED:
        return GENERATED[name]
    for base in [os.path.dirname(including)] + INCLUDE_DIRS:
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate.replace(os.sep, "/")
    return None


def source_files(root):
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS and not d.startswith("build-"))
        for name in sorted(files):
            if name.endswith(SOURCES):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def include_violations(root):
    found = []
    for path in source_files(root):
        rank, folder = layer_of(path)
        if rank is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            target = resolve(root, path, match.group(1))
            where = "%s:%d" % (path, line)
            if target is None:
                found.append("%s: includes \"%s\", which is no file of the project" % (where, match.group(1)))
                continue
            their_rank, their_folder = layer_of(target)
            if their_rank is None or their_rank > rank:
                found.append("%s: %s includes %s from %s, a higher layer" % (where, folder, target, their_folder))
            elif their_rank == rank and their_folder != folder:
                found.append("%s: window folder %s includes %s from %s" % (where, folder, target, their_folder))
    return found


def python_files(folder):
    for at, dirs, files in os.walk(folder):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS)
        for name in sorted(files):
            path = os.path.join(at, name)
            if name.endswith(".py"):
                yield path
            elif "." not in name:
                with open(path, "rb") as f:
                    if b"python" in f.readline():
                        yield path


def test_modules(root):
    names = set()
    for path in python_files(os.path.join(root, "tests")):
        names.add(os.path.splitext(os.path.basename(path))[0])
    return names


def import_violations(root):
    """Python in tools/ that imports a module of tests/ or puts a tests/ folder on its path."""
    found = []
    tools = os.path.join(root, "tools")
    own = {os.path.splitext(os.path.basename(p))[0] for p in python_files(tools)}
    foreign = test_modules(root) - own
    for path in python_files(tools):
        rel = os.path.relpath(path, root).replace(os.sep, "/")
        with open(path, encoding="utf-8", errors="replace") as f:
            try:
                tree = ast.parse(f.read(), rel)
            except SyntaxError as e:
                found.append("%s: does not parse (%s)" % (rel, e))
                continue
        for node in ast.walk(tree):
            names = []
            if isinstance(node, ast.Import):
                names = [alias.name for alias in node.names]
            elif isinstance(node, ast.ImportFrom) and node.module and not node.level:
                names = [node.module]
            for name in names:
                top = name.split(".")[0]
                if top == "tests" or top in foreign:
                    found.append("%s:%d: imports %s from tests/" % (rel, node.lineno, name))
            if isinstance(node, ast.Call) and ast.unparse(node.func).startswith("sys.path."):
                for arg in ast.walk(node):
                    if isinstance(arg, ast.Constant) and isinstance(arg.value, str) \
                            and re.search(r"(^|/)tests(/|$)", arg.value):
                        found.append("%s:%d: puts %r on its import path" % (rel, node.lineno, arg.value))
    return found


def violations(root):
    return include_violations(root) + import_violations(root)


def main(argv):
    root = argv[1] if len(argv) > 1 else ROOT
    found = violations(root)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
