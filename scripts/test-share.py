#!/usr/bin/env python3
"""Size of the tests against the code: non-blank lines that are not only a comment, in C, C++,
JavaScript and Python files. Tests are tests/ and fuzz/; bench/ and build trees count in neither."""
import os
import re
import sys

SOURCE = re.compile(r"\.(c|cc|cpp|cxx|h|hh|hpp|js|mjs|cjs|py)$")
SKIP = {"bench", ".git", "node_modules"}


def lines(path):
    hash_comments = path.endswith(".py")
    count, in_block = 0, False
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.strip()
            if not line:
                continue
            if hash_comments:
                if not line.startswith("#"):
                    count += 1
                continue
            if in_block:
                if "*/" not in line:
                    continue
                in_block = False
                line = line.split("*/", 1)[1].strip()
                if not line:
                    continue
            if line.startswith("//"):
                continue
            if line.startswith("/*"):
                rest = line[2:]
                if "*/" not in rest:
                    in_block = True
                    continue
                if not rest.split("*/", 1)[1].strip():
                    continue
            count += 1
    return count


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    tests = code = 0
    for top in sorted(os.listdir(root)):
        if top in SKIP or top.startswith("build") or not os.path.isdir(os.path.join(root, top)):
            continue
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if d not in SKIP]
            n = sum(lines(os.path.join(folder, f)) for f in files if SOURCE.search(f))
            if top in ("tests", "fuzz"):
                tests += n
            else:
                code += n
    print(f"tests {tests}  code {code}  share {100.0 * tests / code:.1f} %")


if __name__ == "__main__":
    main()
