#!/usr/bin/env python3
"""Generates a search tree for scripts/bench: FOLDERS folders in a tree of
fan-out 10 below ROOT, FILES empty files spread ten to a folder, every
twentieth one an .exe (so FILES/20 of them)."""
import os
import sys


def main():
    root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    paths = [root]
    os.makedirs(root, exist_ok=True)
    for i in range(1, folders + 1):
        parent = paths[(i - 1) // 10] if i > 10 else root
        path = os.path.join(parent, "d%05d" % i)
        os.mkdir(path)
        paths.append(path)
    per_folder = max(1, files // folders)
    for j in range(files):
        folder = paths[1 + (j // per_folder) % folders]
        extension = ".exe" if j % 20 == 0 else ".dat"
        open(os.path.join(folder, "f%06d%s" % (j, extension)), "wb").close()


if __name__ == "__main__":
    main()
