#!/usr/bin/env python3
"""A small source mutator for springview's unit tests (no sanitizers, Release, incremental ninja).

One mutant at a time: change one token on one line of a file under src/, rebuild only the unit-test
targets (ninja recompiles the changed file and relinks what links it), run the test binaries that were
relinked, and restore the file. A mutant is KILLED when a test binary fails or times out, SURVIVED when
all of them pass, and INVALID when it does not compile (or no test binary links the file).

  mutate.py list   --files src/mesh/Object3D.cpp [--per-file N] [--seed S] > mutants.tsv
  mutate.py run    --mutants mutants.tsv [--ids 3,17,...] [--out results.tsv]
  mutate.py sole    results.tsv                               # per test: kills, and kills no other test makes
  mutate.py compare results-full.tsv results-trimmed.tsv     # kills lost by the trimmed suite
  mutate.py map    --mutants mutants.tsv --commit C > mapped.tsv   # the same mutants on a later tree

The tree is a git clone (default mutate/tree) configured once in --build (default
mutate/build) with -DCMAKE_BUILD_TYPE=Release -DSV_BUILD_TESTS=ON. To judge a trimmed suite, run
the same mutants.tsv in a second clone whose tests/ holds the trimmed tests, then `compare`.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time

def unit_targets(build_dir):
    """Every ninja target whose name ends in _tests (the GoogleTest executables), fuzz targets aside."""
    done = subprocess.run(["ninja", "-C", build_dir, "-t", "targets", "all"], capture_output=True, text=True, errors="replace")
    names = {line.split(":")[0].rsplit("/", 1)[-1] for line in done.stdout.splitlines()}
    return sorted(n for n in names if n.endswith("_tests") and "fuzz" not in n and not n.startswith("cmake_"))

# (name, pattern, replacement). Patterns want blanks around binary operators, which skips templates,
# pointers, includes and most unary uses; whatever still does not compile is counted INVALID.
OPERATORS = [
    ("ror", r"(?<=\s)<(?=\s)", "<="), ("ror", r"(?<=\s)<=(?=\s)", "<"),
    ("ror", r"(?<=\s)>(?=\s)", ">="), ("ror", r"(?<=\s)>=(?=\s)", ">"),
    ("ror", r"(?<=\s)==(?=\s)", "!="), ("ror", r"(?<=\s)!=(?=\s)", "=="),
    ("lcr", r"(?<=\s)&&(?=\s)", "||"), ("lcr", r"(?<=\s)\|\|(?=\s)", "&&"),
    ("aor", r"(?<=\s)\+(?=\s)", "-"), ("aor", r"(?<=\s)-(?=\s)", "+"),
    ("aor", r"(?<=\s)\*(?=\s)", "/"), ("aor", r"(?<=\s)/(?=\s)", "*"),
    ("aor", r"\+=", "-="), ("aor", r"-=", "+="), ("aor", r"\*=", "/="),
    ("aor", r"\+\+(?=\w)|(?<=\w)\+\+", "--"),
    ("neg", r"(?<=\()!(?=[\w(])", ""),
    ("ret", r"\breturn true\b", "return false"), ("ret", r"\breturn false\b", "return true"),
    ("ret", r"\breturn 0;", "return 1;"),
]
FLOAT = re.compile(r"(?<![\w.])(\d+\.\d+)(?:[eE][-+]?\d+)?f?(?![\w.])")
INT = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
CALL_STATEMENT = re.compile(r"^\s*(?!return\b|delete\b|throw\b)[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*\s*\(.*\);\s*$")


def code_lines(text):
    """(number, line) for lines that are code: no comments, preprocessor lines or static_asserts."""
    in_block = False
    for number, line in enumerate(text.split("\n"), 1):
        stripped = line.strip()
        if in_block:
            in_block = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("//", "#")) or "static_assert" in stripped:
            continue
        if '"' in stripped and re.search(r'"[^"]*"', stripped) and "regex" in stripped.lower():
            continue  # the reader's pattern text: mutating regex source is noise
        yield number, line


def strip_comment(line):
    """The line up to a // comment (not inside a string), so mutants never land in comments."""
    in_string = False
    for i, c in enumerate(line):
        if c == '"' and (i == 0 or line[i - 1] != "\\"):
            in_string = not in_string
        if not in_string and line.startswith("//", i):
            return line[:i]
    return line


def mutants_of(path, text):
    found = []
    for number, line in code_lines(text):
        code = strip_comment(line)
        # Skip spans inside string literals.
        strings = [m.span() for m in re.finditer(r'"(?:[^"\\]|\\.)*"', code)]
        inside = lambda pos: any(a <= pos < b for a, b in strings)
        for kind, pattern, replacement in OPERATORS:
            for m in re.finditer(pattern, code):
                if not inside(m.start()):
                    found.append((path, number, m.start(), m.group(0), replacement, kind))
        for m in FLOAT.finditer(code):
            if inside(m.start()):
                continue
            digits = m.group(1)
            last = int(digits[-1])
            tweaked = digits[:-1] + str((last + 1) % 10)
            found.append((path, number, m.start(1), digits, tweaked, "const"))
        for m in INT.finditer(code):
            if inside(m.start()) or FLOAT.match(code, max(0, m.start() - 1)):
                continue
            # Not the pieces of a float literal, hex, or an index in a template argument list.
            before = code[max(0, m.start() - 2):m.start()]
            if "." in before or "0x" in code[max(0, m.start() - 2):m.end()]:
                continue
            found.append((path, number, m.start(), m.group(1), str(int(m.group(1)) + 1), "const"))
        if CALL_STATEMENT.match(code):
            body = code.strip()
            found.append((path, number, code.index(body), body, ";", "del"))
    return found


def apply(text, mutant):
    _, number, column, original, replacement, _ = mutant
    lines = text.split("\n")
    line = lines[number - 1]
    assert line[column:column + len(original)] == original, (mutant, line)
    lines[number - 1] = line[:column] + replacement + line[column + len(original):]
    return "\n".join(lines)


def test_binaries(build, names):
    found = {}
    for root, _, files in os.walk(os.path.join(build, "tests")):
        for name in files:
            if name in names:
                found[name] = os.path.join(root, name)
    return found


# The pixel test of the real scene (Mesa EGL, no display) and, with --e2e, the viewer under Xvfb: the
# trimmed suite hands some fault classes to them. viewer_e2e does not link springview, so it runs
# whenever springview was relinked.
EXTRA_TARGETS = []
E2E_TARGETS = ["springview", "viewer_e2e"]


def build(build_dir, timeout, targets):
    try:
        done = subprocess.run(["ninja", "-C", build_dir] + targets, capture_output=True, text=True, errors="replace",
                              timeout=timeout)
        return done.returncode == 0, done.stdout[-2000:]
    except subprocess.TimeoutExpired:
        return False, "build timed out"


def run_tests(binaries, timeout):
    """Runs every binary in its own directory; returns the failing tests as binary:Suite.Test (a binary
    that times out or dies without naming a test counts as binary:*). timeout is one number for all,
    or a dict with each binary's own."""
    failures = []
    for name, path in sorted(binaries.items()):
        limit = timeout[name] if isinstance(timeout, dict) else timeout
        try:
            done = subprocess.run([path, "--gtest_brief=1"], cwd=os.path.dirname(path), capture_output=True,
                                  text=True, errors="replace", timeout=limit)
        except subprocess.TimeoutExpired:
            failures.append(name + ":*timeout")
            continue
        if done.returncode != 0:
            named = [l[13:].split(" ")[0] for l in done.stdout.split("\n") if l.startswith("[  FAILED  ] ")]
            named = [t for t in named if re.match(r"^[A-Za-z_][\w/]*\.\w", t)]
            failures.extend(name + ":" + t for t in dict.fromkeys(named)) if named else failures.append(name + ":*")
    return failures


def cmd_list(args):
    rng = random.Random(args.seed)
    rows = []
    for path in args.files:
        with open(os.path.join(args.tree, path)) as f:
            found = mutants_of(path, f.read())
        if args.per_file and len(found) > args.per_file:
            found = sorted(rng.sample(found, args.per_file), key=lambda m: (m[1], m[2]))
        rows.extend(found)
    for i, (path, number, column, original, replacement, kind) in enumerate(rows):
        print("\t".join([str(i), path, str(number), str(column), kind, original, replacement]))


def read_mutants(path):
    rows = []
    with open(path) as f:
        for line in f:
            i, file, number, column, kind, original, replacement = line.rstrip("\n").split("\t")
            rows.append((int(i), (file, int(number), int(column), original, replacement, kind)))
    return rows


def cmd_run(args):
    # A kill ends the run through the finally below, which puts the mutated file back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("killed"))
    targets = unit_targets(args.build) + EXTRA_TARGETS + (E2E_TARGETS if args.e2e else [])
    ok, log = build(args.build, 1800, targets)
    binaries = test_binaries(args.build, targets)
    viewer = os.path.join(args.build, "springview")
    if not ok:
        sys.exit("baseline build failed:\n" + log)
    # Each binary's own limit: five times its baseline run, at least 10 s. A mutant that makes a test
    # hang then costs seconds, not minutes.
    test_timeout = {}
    for name, path in binaries.items():
        started = time.time()
        failing = run_tests({name: path}, 600)
        if failing:
            sys.exit("baseline tests fail: " + " ".join(failing))
        test_timeout[name] = max(10.0, 5 * (time.time() - started))
    wanted = {int(i) for i in args.ids.split(",")} if args.ids else None
    if args.out and os.path.exists(args.out):  # resume: skip mutants already judged
        with open(args.out) as f:
            done_ids = {int(line.split("\t")[0]) for line in f if line.strip()}
    else:
        done_ids = set()
    out = open(args.out, "a") if args.out else sys.stdout
    for i, mutant in read_mutants(args.mutants):
        if (wanted is not None and i not in wanted) or i in done_ids:
            continue
        path = os.path.join(args.tree, mutant[0])
        with open(path) as f:
            original = f.read()
        stamps = {n: os.path.getmtime(p) for n, p in binaries.items()}
        viewer_stamp = os.path.getmtime(viewer) if args.e2e else None
        t0 = time.time()
        try:
            with open(path, "w") as f:
                f.write(apply(original, mutant))
            ok, log = build(args.build, 900, targets)
            if not ok:
                status, detail = "INVALID", "does not compile"
            else:
                relinked = {n: p for n, p in binaries.items() if os.path.getmtime(p) != stamps[n]}
                if args.e2e and os.path.getmtime(viewer) != viewer_stamp:
                    relinked["viewer_e2e"] = binaries["viewer_e2e"]
                if not relinked:
                    status, detail = "INVALID", "no unit test links it"
                else:
                    failing = run_tests(relinked, test_timeout)
                    status, detail = ("KILLED", " ".join(failing)) if failing else ("SURVIVED", ",".join(sorted(relinked)))
        finally:
            with open(path, "w") as f:
                f.write(original)
        file, number, _, before, after, kind = mutant
        out.write("\t".join([str(i), status, file, str(number), kind, before, after, detail,
                             "%.0fs" % (time.time() - t0)]) + "\n")
        out.flush()


def cmd_compare(args):
    def load(path):
        with open(path) as f:
            return {line.split("\t")[0]: line.rstrip("\n").split("\t") for line in f if line.strip()}
    full, trimmed = load(args.full), load(args.trimmed)
    lost = [row for i, row in full.items() if row[1] == "KILLED" and trimmed.get(i, [None, None])[1] == "SURVIVED"]
    for row in lost:
        print("lost:", "\t".join(row[:8]))
    killed = lambda rows: sum(r[1] == "KILLED" for r in rows.values())
    valid = lambda rows: sum(r[1] in ("KILLED", "SURVIVED") for r in rows.values())
    print("full: %d/%d killed; trimmed: %d/%d killed; lost: %d" %
          (killed(full), valid(full), killed(trimmed), valid(trimmed), len(lost)))
    sys.exit(1 if lost else 0)


def cmd_sole(args):
    """For each test: the mutants it kills and those only it kills. A test that is never the sole killer
    of any mutant adds nothing to the suite's power over this mutant set."""
    kills, sole = {}, {}
    for path in args.results:
        with open(path) as f:
            for line in f:
                row = line.rstrip("\n").split("\t")
                if len(row) < 8 or row[1] != "KILLED":
                    continue
                killers = row[7].split(" ")
                for t in killers:
                    kills[t] = kills.get(t, 0) + 1
                if len(killers) == 1:
                    sole.setdefault(killers[0], []).append(row[0])
    for t in sorted(kills, key=lambda t: (-len(sole.get(t, [])), t)):
        print("%4d kills %4d sole  %s  %s" % (kills[t], len(sole.get(t, [])), t, ",".join(sole.get(t, [])[:12])))


def cmd_map(args):
    """Carries mutants listed on an older commit over to the tree: same file, a line with the very same
    text (the neighbouring lines break ties, then the distance). Mutants whose line is gone are listed on
    standard error; the rest keep their ids, so results on the two trees compare mutant by mutant."""
    def lines_at(commit, path):
        shown = subprocess.run(["git", "-C", args.tree, "show", "%s:%s" % (commit, path)], capture_output=True,
                               text=True, errors="replace")
        return shown.stdout.split("\n")

    def lines_now(path):
        try:
            with open(os.path.join(args.tree, path)) as f:
                return f.read().split("\n")
        except FileNotFoundError:
            return []

    gone = 0
    for i, (path, number, column, original, replacement, kind) in read_mutants(args.mutants):
        old, new = lines_at(args.commit, path), lines_now(path)
        text = old[number - 1]
        near = lambda lines, k: (lines[k - 2] if k > 1 else None, lines[k] if k < len(lines) else None)
        hits = sorted((k for k, line in enumerate(new, 1) if line == text),
                      key=lambda k: (-sum(a == b for a, b in zip(near(new, k), near(old, number))), abs(k - number)))
        if not hits:
            gone += 1
            print("gone\t%d\t%s:%d\t%s" % (i, path, number, text.strip()), file=sys.stderr)
            continue
        print("\t".join([str(i), path, str(hits[0]), str(column), kind, original, replacement]))
    print("%d gone" % gone, file=sys.stderr)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--tree", default="mutate/tree")
    p.add_argument("--build", default="mutate/build")
    sub = p.add_subparsers(dest="command", required=True)
    l = sub.add_parser("list")
    l.add_argument("--files", nargs="+", required=True)
    l.add_argument("--per-file", type=int, default=0)
    l.add_argument("--seed", type=int, default=1)
    r = sub.add_parser("run")
    r.add_argument("--mutants", required=True)
    r.add_argument("--ids")
    r.add_argument("--out")
    r.add_argument("--e2e", action="store_true", help="also build springview and run viewer_e2e when it changes")
    o = sub.add_parser("sole")
    o.add_argument("results", nargs="+")
    c = sub.add_parser("compare")
    c.add_argument("full")
    c.add_argument("trimmed")
    m = sub.add_parser("map")
    m.add_argument("--mutants", required=True)
    m.add_argument("--commit", required=True)
    args = p.parse_args()
    {"list": cmd_list, "run": cmd_run, "compare": cmd_compare, "sole": cmd_sole, "map": cmd_map}[args.command](args)


if __name__ == "__main__":
    main()
