#!/usr/bin/env python3
"""Mutation check: do the tests notice small faults in the module's code?

Makes small mutants of the code in lists/, dialogs/, comm/, design/, preview/ and module/ (a
comparison flipped, && and || swapped, a constant off by one, a call removed), one at a time;
rebuilds incrementally, runs the tests related to the mutated folder with a time limit, and reports
each mutant as killed (a test failed or ran out of time), survived, or did-not-compile. The sample
depends only on the seed, the count and the code, so a run repeats:

    nice -n 10 scripts/mutate.py --seed 23 --count 48 --report docs/mutation-before.txt
    scripts/mutate.py --seed 23 --count 48 --list        # the sample, without building anything

The build folder must be configured and built (./test.sh or cmake --build build). Every mutated
file is put back, and rebuilt, before the script ends, also on Ctrl-C.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))

# The test programs that pin each folder's behaviour (ctest names are "<program>.<Suite>.<Case>").
RELATED = {
    "lists": ["lists_tests", "hostile_tests"],
    "dialogs": ["write_design_tests", "file_manager_tests", "hostile_tests", "reliability_tests"],
    "comm": ["comm_tests"],
    "design": ["design_tests", "info_command_tests", "preview_tests"],
    "preview": ["preview_tests", "module_tests", "module_parts_tests"],
    "module": ["module_tests", "module_alone_tests", "harness_tests", "write_design_tests", "file_manager_tests"],
}

KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "delete", "new", "case", "else", "do",
            "static_assert", "throw", "catch", "decltype", "alignof", "using", "typedef", "template"}


def code_part(line):
    """The line with string and character literals blanked and any // comment cut off."""
    out, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if c in "\"'":
            q, j = c, i + 1
            while j < n and line[j] != q:
                j += 2 if line[j] == "\\" else 1
            out.append(q + " " * (min(j, n) - i - 1) + (q if j < n else ""))
            i = j + 1
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
            i += 1
    return "".join(out)


def sites_in(path, rel):
    """Every mutation a file offers: (rel, line number, column, kind, old text, new text)."""
    sites = []
    in_block = False
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for no, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_block:
            in_block = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//", "*")) or "static_assert" in stripped:
            continue
        code = code_part(line)
        for m in re.finditer(r"(?<=[ )\w])(==|!=|<=|>=| < | > )(?=[ (\w!-])", code):
            old = m.group(1)
            new = {"==": "!=", "!=": "==", "<=": "<", ">=": ">", " < ": " <= ", " > ": " >= "}[old]
            sites.append((rel, no, m.start(1), "comparison", old, new))
        for m in re.finditer(r"&&|\|\|", code):
            old = m.group(0)
            sites.append((rel, no, m.start(), "logic", old, "||" if old == "&&" else "&&"))
        for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
            # Not in array sizes or case labels: those mostly fail to compile or restate a table.
            before = code[:m.start()].rstrip()
            if before.endswith("[") or before.endswith("case") or before.endswith("<"):
                continue
            v = int(m.group(1))
            sites.append((rel, no, m.start(), "constant", m.group(1), str(v + 1 if v == 0 else v - 1)))
        call = re.match(r"^(\s*)((?:[A-Za-z_][\w]*(?:::|\.|->))*([A-Za-z_]\w*)\s*\(.*\)\s*;)\s*$", code)
        if call and call.group(3) not in KEYWORDS and "=" not in call.group(2).split("(")[0] \
                and not stripped.startswith(("return", "delete", "throw")):
            sites.append((rel, no, len(call.group(1)), "call removed", call.group(2), "(void)0;"))
    return sites


def all_sites(folders):
    sites = []
    for folder in folders:
        base = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(base)):
            if name.endswith(".cpp"):
                sites.extend(sites_in(os.path.join(base, name), f"{folder}/{name}"))
    return sites


def sample(sites, folders, count, seed):
    """count mutants spread evenly over the folders, then over the kinds within a folder."""
    rng = random.Random(seed)
    chosen = []
    per_folder = [count // len(folders) + (1 if i < count % len(folders) else 0) for i in range(len(folders))]
    for folder, n in zip(folders, per_folder):
        mine = [s for s in sites if s[0].startswith(folder + "/")]
        by_kind = {}
        for s in mine:
            by_kind.setdefault(s[3], []).append(s)
        kinds = sorted(by_kind)
        picked = []
        while len(picked) < n and any(by_kind.values()):
            for k in kinds:
                if len(picked) < n and by_kind[k]:
                    picked.append(by_kind[k].pop(rng.randrange(len(by_kind[k]))))
        chosen.extend(picked)
    return chosen


def apply(text, site):
    rel, no, col, kind, old, new = site
    lines = text.split("\n")
    line = lines[no - 1]
    assert line[col:col + len(old)] == old, f"{rel}:{no} changed since the sample was drawn"
    lines[no - 1] = line[:col] + new + line[col + len(old):]
    return "\n".join(lines)


def run(cmd, timeout, env=None):
    try:
        p = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           timeout=timeout, env=env)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        return None, (e.stdout or b"").decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")


def build(build_dir, targets, jobs):
    rc, out = run(["ninja", "-C", build_dir, f"-j{jobs}"] + targets, 1800)
    return rc == 0, out


def test(build_dir, programs, jobs, timeout):
    regex = "^(" + "|".join(re.escape(p) for p in programs) + r")\."
    rc, out = run(["ctest", "--test-dir", build_dir, "-R", regex, "-LE", "soak", f"-j{jobs}",
                   "--stop-on-failure", "--timeout", "120", "--no-tests=error"], timeout)
    if rc is None:
        return "killed", "time limit"
    if rc == 0:
        return "survived", ""
    failed = re.findall(r"\d+ - (\S+) \(", out)
    return "killed", failed[0] if failed else out.strip().splitlines()[-1] if out.strip() else "ctest failed"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=23)
    ap.add_argument("--count", type=int, default=48)
    ap.add_argument("--folders", default="lists,dialogs,comm,design,preview,module")
    ap.add_argument("--build", default="build")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--time-limit", type=int, default=600, help="seconds for one mutant's tests")
    ap.add_argument("--only", help="comma-separated mutant numbers to run (from --list)")
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--report", help="also write the report to this file")
    args = ap.parse_args()
    folders = args.folders.split(",")
    build_dir = os.path.join(ROOT, args.build)

    sites = all_sites(folders)
    chosen = sample(sites, folders, args.count, args.seed)
    header = (f"mutation check: seed {args.seed}, {len(chosen)} mutants of {len(sites)} sites in "
              f"{', '.join(folders)}")
    if args.list:
        print(header)
        for i, (rel, no, col, kind, old, new) in enumerate(chosen, 1):
            print(f"{i:3} {rel}:{no} {kind}: {old.strip()} -> {new.strip()}")
        return 0
    only = {int(x) for x in args.only.split(",")} if args.only else None

    lines = [header]
    print(header, flush=True)
    originals = {}
    counts = {"killed": 0, "survived": 0, "did-not-compile": 0}
    all_programs = sorted({p for f in folders for p in RELATED[f]})
    try:
        for i, site in enumerate(chosen, 1):
            if only and i not in only:
                continue
            rel, no, col, kind, old, new = site
            path = os.path.join(ROOT, rel)
            if rel not in originals:
                with open(path, encoding="utf-8") as f:
                    originals[rel] = f.read()
            with open(path, "w", encoding="utf-8") as f:
                f.write(apply(originals[rel], site))
            programs = RELATED[rel.split("/")[0]]
            t0 = time.time()
            ok, out = build(build_dir, programs, args.jobs)
            if not ok:
                result, why = "did-not-compile", ""
            else:
                result, why = test(build_dir, programs, args.jobs, args.time_limit)
            with open(path, "w", encoding="utf-8") as f:
                f.write(originals[rel])
            counts[result] += 1
            line = (f"{i:3} {result:15} {time.time() - t0:5.0f}s  {rel}:{no} {kind}: "
                    f"{old.strip()} -> {new.strip()}" + (f"  [{why}]" if why else ""))
            lines.append(line)
            print(line, flush=True)
    finally:
        for rel, text in originals.items():
            with open(os.path.join(ROOT, rel), "w", encoding="utf-8") as f:
                f.write(text)
        if originals:
            build(build_dir, all_programs, args.jobs)
    total = sum(counts.values())
    summary = (f"killed {counts['killed']}, survived {counts['survived']}, did not compile "
               f"{counts['did-not-compile']} (of {total}); score {100.0 * counts['killed'] / max(1, total - counts['did-not-compile']):.0f} % of those that compiled")
    lines.append(summary)
    print(summary)
    if args.report:
        with open(os.path.join(ROOT, args.report), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
