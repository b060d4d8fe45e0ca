"""Every #include and #import of the source tree against the folders' order
(docs/ARCHITECTURE.md): each folder includes only itself and what lies
before it, so that any one of them builds and reads without what comes after.
Names the file and line of each include out of order; tests, benchmarks and
examples may include anything.

Usage: LayeringTest.py SOURCE_DIR"""
import os
import re
import sys

LAYERS = [["interface"], ["base"], ["flats", "io", "host"], ["pipeline"], ["cli", "capi", "gimp"]]
MODULE = {"plugin", "engine", "persistence", "ui"}
UNCHECKED = {"tests", "bench", "examples"}

LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
ORDER = " <- ".join(folders[0] if len(folders) == 1 else "{%s}" % ", ".join(folders) for folders in LAYERS)
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp|m|mm)$")
INCLUDE = re.compile(r'\s*#\s*(?:include|import)\s*["<]([^">]+)[">]')


def problem(folder, included):
    """Why `folder` may not include from `included`, or None."""
    if included == folder:
        return None
    if folder == "interface":
        return "interface/ includes nothing of ours but itself"
    if folder in MODULE:
        if included in MODULE or included == "interface":
            return None
        return "the module's folders (%s) include only interface/ and one another" % ", ".join(sorted(MODULE))
    if included in MODULE:
        return "the folders around the module never include the module's folders"
    if included in LEVEL and LEVEL[included] == LEVEL[folder]:
        return "%s never include one another" % ", ".join(LAYERS[LEVEL[folder]])
    if included not in LEVEL or LEVEL[included] > LEVEL[folder]:
        return "%s/ includes only what lies before it: %s" % (folder, ORDER)
    return None


def included_folder(root, source, name):
    """The top folder of the tree that `name`, included by `source`, lies in; None for another project's."""
    top = name.split("/")[0]
    if top not in (".", "..") and os.path.isdir(os.path.join(root, top)):
        return top
    beside = os.path.normpath(os.path.join(os.path.dirname(source), name))
    if not beside.startswith("..") and os.path.exists(os.path.join(root, beside)):
        return beside.split(os.sep)[0]
    return None


def sources(root, folder):
    for directory, subfolders, files in os.walk(os.path.join(root, folder)):
        subfolders.sort()
        for name in sorted(files):
            if SOURCE.search(name):
                yield os.path.relpath(os.path.join(directory, name), root)


def violations(root):
    for folder in sorted(os.listdir(root)):
        path = os.path.join(root, folder)
        if folder.startswith(".") or folder in UNCHECKED or not os.path.isdir(path):
            continue
        if folder not in LEVEL and folder not in MODULE:
            # A build tree inside the sources is no folder of ours.
            first = next(sources(root, folder), None)
            if first and not os.path.exists(os.path.join(path, "CMakeCache.txt")):
                yield "%s: %s/ has no place in the order; give it one here and in docs/ARCHITECTURE.md" % (first, folder)
            continue
        for source in sources(root, folder):
            with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    included = match and included_folder(root, source, match.group(1))
                    why = included and problem(folder, included)
                    if why:
                        yield "%s:%d: %s: %s" % (source, number, line.strip(), why)


if __name__ == "__main__":
    found = list(violations(sys.argv[1]))
    for violation in found:
        print(violation)
    sys.exit(1 if found else 0)
