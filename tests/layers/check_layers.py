#!/usr/bin/env python3
"""The layering rule: every file includes only files of its own layer or of
layers below it.

Each source file of the setup program, of the platform seam and of kvpack is
placed in one layer by the table below, which follows the README's list
(section "Layers", bottom to top). Fails on an include that goes up, on a
source file that no layer claims, and on a README list that names other
libraries than the table does, so that the list and the check move together.

Usage: check_layers.py SOURCE_DIR
"""

import fnmatch
import pathlib
import re
import sys

# Bottom to top: (README item, its libraries, the files it holds).
LAYERS = [
    (1, {"kv_platform", "kv_digest"}, ["platform/*"]),
    (2, {"kv_package", "kv_package_build"},
     ["package/bytes.*", "package/package_format.*", "package/package_walk.*",
      "package/scramble.*", "package/package_build.*"]),
    (3, {"kv_app"},
     ["app/app_state.*", "app/app_state_instance.*", "app/options.*",
      "app/parse_options.*", "app/commands.h", "app/bounded_text.*",
      "app/setup_log.*", "app/product.h", "app/results.h"]),
    (4, {"kv_probe", "kv_package_files"},
     ["probe/*", "package/load_table.*", "package/extract.*",
      "package/extract_result.h"]),
    (5, {"kv_setup"}, ["setup/*"]),
    (6, {"kv_worker"}, ["app/worker.*"]),
    (7, {"kv_ui"}, ["ui/*"]),
    (8, {"kv_startup"},
     ["app/application_main.*", "app/winmain.cpp", "app/heap_operators.cpp"]),
]
# kvpack stands beside the program on layers 1 and 2: it may include those
# and itself, and nothing of the program includes it.
KVPACK = ("kvpack", 2.5, ["tools/kvpack/*"])
# Includes the README's list allows by name: (the including files, the file).
# kvpack prints an extraction's result as the program would answer it; the
# header holding those codes includes nothing of ours.
EXCEPTIONS = [("tools/kvpack/*", "package/extract_result.h")]

SOURCE_FOLDERS = ["app", "ui", "probe", "package", "setup", "platform", "tools/kvpack"]
SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def readme_layers(readme):
    """The README's numbered list under "### Layers": item -> libraries named."""
    section = re.search(r"^### Layers\n(.*?)^#", readme, re.MULTILINE | re.DOTALL)
    if not section:
        return {}, ""
    items = {}
    for number, text in re.findall(r"^(\d+)\. (.*?)(?=^\d+\. |^\S|\Z)",
                                   section.group(1), re.MULTILINE | re.DOTALL):
        items[int(number)] = set(re.findall(r"`(kv_\w+)`", text))
    return items, section.group(1)


def layer_of(path):
    """(name, rank) of the layer holding path, or None."""
    for number, _, patterns in LAYERS:
        if any(fnmatch.fnmatch(path, pattern) for pattern in patterns):
            return (str(number), number)
    name, rank, patterns = KVPACK
    if any(fnmatch.fnmatch(path, pattern) for pattern in patterns):
        return (name, rank)
    return None


def may_include(path, user, included, used):
    if any(fnmatch.fnmatch(path, users) and included == file for users, file in EXCEPTIONS):
        return True
    if user[0] == used[0]:
        return True
    if used[0] == KVPACK[0]:
        return False
    return used[1] < user[1]


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1])
    faults = []

    listed, section = readme_layers((root / "README.md").read_text(encoding="utf-8"))
    table = {number: libraries for number, libraries, _ in LAYERS}
    if listed != table:
        faults.append(f"README.md's layer list names {listed}, the check's table {table}")
    for _, file in EXCEPTIONS:
        if f"`{file}`" not in section:
            faults.append(f"README.md's layer list does not name the exception {file}")

    files = sorted(str(p.relative_to(root)) for folder in SOURCE_FOLDERS
                   for p in (root / folder).rglob("*")
                   if p.is_file() and p.suffix in SOURCE_SUFFIXES)
    for path in files:
        user = layer_of(path)
        if user is None:
            faults.append(f"{path}: in no layer; place it in the table of {sys.argv[0]}")
            continue
        text = (root / path).read_text(encoding="utf-8")
        for line_number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match or not (root / match.group(1)).is_file():
                continue
            used = layer_of(match.group(1))
            if used is None:
                faults.append(f"{path}:{line_number}: includes {match.group(1)}, in no layer")
            elif not may_include(path, user, match.group(1), used):
                faults.append(f"{path}:{line_number}: layer {user[0]} includes "
                              f"{match.group(1)} of layer {used[0]}")

    for fault in faults:
        print(fault)
    print(f"{len(files)} files checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
