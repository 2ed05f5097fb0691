#!/usr/bin/env python3
"""Folder dependencies run one way: each folder of src/ includes only itself
and the folders below it, and nothing in src/ includes veldax-inspect.

Usage: check_layers.py SOURCE_DIR
Prints each include that goes the wrong way and exits 1 when there is one.
"""
import os
import re
import sys

# From the ground up.  core/ holds the record and the plain types it is made
# of; the stage folders stand on it.
LAYERS = ["core", "model", "store", "config", "io", "emit", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')


def main():
    src = os.path.join(sys.argv[1], "src")
    wrong, checked = [], 0
    for folder in sorted(os.listdir(src)):
        if folder not in LAYERS:
            wrong.append("src/%s: a folder outside the layers %s" % (folder, ", ".join(LAYERS)))
            continue
        allowed = set(LAYERS[:LAYERS.index(folder) + 1])
        for name in sorted(os.listdir(os.path.join(src, folder))):
            path = os.path.join(src, folder, name)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    checked += 1
                    if m.group(1) not in allowed:
                        wrong.append("src/%s/%s:%d includes %s/, a folder above %s/"
                                     % (folder, name, number, m.group(1), folder))
    for line in wrong:
        print(line)
    print("%d includes checked, %d going the wrong way" % (checked, len(wrong)))
    return 1 if wrong or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
