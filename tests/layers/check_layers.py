#!/usr/bin/env python3
"""The layer order of the runtime's libraries, and the check that every
#include and every link of ours goes down that order, never up.

    core -> format -> setup -> record -> engine -> integration -> wizard
         -> crash -> uninstall -> driver -> entry

A layer may use itself and every layer before it. The builder stands beside
the runtime and may use only core and format. Headers are found by their
file name (the include folders are flat), so every header name must be
unique across the tree.

Usage: check_layers.py [ROOT]    exit status 1 and one line per violation
"""
import os
import re
import sys

# Layer name, folder (relative to the root); the longest folder that holds a
# file decides its layer. Files named in FILE_LAYERS override their folder.
LAYERS = [
    ("core", "src/core"),
    ("format", "src/setup/format"),
    ("setup", "src/setup"),
    ("record", "src/uninstall/record"),
    ("engine", "src/engine"),
    ("integration", "src/integration"),
    ("wizard", "src/wizard"),
    ("crash", "src/crash"),
    ("uninstall", "src/uninstall"),
    ("driver", "src/setup/driver"),
    ("entry", None),
]
FILE_LAYERS = {"src/setup/entry_win.cpp": "entry"}
# Beside the runtime: allowed layers by name.
SIDE = {"builder": ("builder", {"core", "format"})}
RANK = {name: i for i, (name, _) in enumerate(LAYERS)}
SOURCE = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ADD_LIBRARY = re.compile(r"add_(?:library|executable)\(\s*([\w-]+)")
LINK = re.compile(r"target_link_libraries\(\s*([\w-]+)([^)]*(?:\)[^)]*)*?)\)\s*$", re.M)


def layer_of(rel):
    if rel in FILE_LAYERS:
        return FILE_LAYERS[rel]
    for side, (folder, _) in SIDE.items():
        if rel.startswith(folder + "/"):
            return side
    best = None
    for name, folder in LAYERS:
        if folder and (rel.startswith(folder + "/")) and (best is None or len(folder) > len(best[1])):
            best = (name, folder)
    return best[0] if best else None


def allowed(user, used):
    if user in SIDE:
        return used in SIDE[user][1] or used == user
    if user not in RANK or used not in RANK:
        return False
    return RANK[used] <= RANK[user]


def walk(root, folders):
    for folder in folders:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                path = os.path.join(dirpath, name)
                yield os.path.relpath(path, root).replace(os.sep, "/"), path


def check(root):
    problems = []
    headers = {}
    sources = []
    for rel, path in walk(root, ["src", "builder"]):
        if not rel.endswith(SOURCE):
            continue
        layer = layer_of(rel)
        if layer is None:
            problems.append(f"{rel}: in no layer")
            continue
        sources.append((rel, path, layer))
        if rel.endswith(".h"):
            name = os.path.basename(rel)
            if name in headers:
                problems.append(f"{rel}: header name also used by {headers[name][0]}")
            headers[name] = (rel, layer)
    for rel, path, layer in sources:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for header in INCLUDE.findall(text):
            name = os.path.basename(header)
            if name not in headers:
                continue  # a system or third-party header
            target_rel, target_layer = headers[name]
            if not allowed(layer, target_layer):
                problems.append(f"{rel}: {layer} includes {target_rel} of {target_layer}")

    # Links: which layer each of our targets belongs to, from the folder of
    # the CMake file that adds it.
    target_layer = {}
    links = []
    for rel, path in walk(root, ["src", "builder"]):
        if os.path.basename(rel) != "CMakeLists.txt" and not rel.endswith(".cmake"):
            continue
        with open(path, encoding="utf-8") as f:
            text = re.sub(r"#.*", "", f.read())
        folder_layer = layer_of(os.path.dirname(rel) + "/CMakeLists.txt")
        for target in ADD_LIBRARY.findall(text):
            target_layer[target] = "entry" if target == "tessaline-setup" else folder_layer
        for target, libs in LINK.findall(text):
            names = re.findall(r"[\w-]+", re.sub(r"\$<[^>]*:", " ", libs))
            links.append((rel, target, names))
    for rel, target, names in links:
        user = target_layer.get(target)
        for lib in names:
            if lib not in target_layer or user is None:
                continue
            if not allowed(user, target_layer[lib]):
                problems.append(f"{rel}: {target} ({user}) links {lib} ({target_layer[lib]})")
    return problems


def self_test():
    """A small tree with one upward include and one upward link: both found."""
    import tempfile
    files = {
        "src/core/text.h": "",
        "src/engine/file_install.h": '#include "text.h"\n#include "uninstaller.h"\n',
        "src/uninstall/uninstaller.h": '#include "file_install.h"\n',
        "src/engine/CMakeLists.txt": "add_library(tess_engine STATIC a.cpp)\ntarget_link_libraries(tess_engine PUBLIC tess_uninstall kv_core)\n",
        "src/uninstall/CMakeLists.txt": "add_library(tess_uninstall STATIC b.cpp)\ntarget_link_libraries(tess_uninstall PUBLIC tess_engine)\n",
        "src/core/CMakeLists.txt": "add_library(kv_core STATIC c.cpp)\n",
        "builder/verify.cpp": '#include "file_install.h"\n',
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
        found = check(root)
    expected = [
        "src/engine/file_install.h: engine includes src/uninstall/uninstaller.h of uninstall",
        "builder/verify.cpp: builder includes src/engine/file_install.h of engine",
        "src/engine/CMakeLists.txt: tess_engine (engine) links tess_uninstall (uninstall)",
    ]
    if sorted(found) != sorted(expected):
        print("self-test: found", found)
        return 1
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    problems = check(os.path.abspath(root))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layer violation(s); the order is: " + " -> ".join(n for n, _ in LAYERS))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
