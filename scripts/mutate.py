#!/usr/bin/env python3
"""A small source mutator for springview's unit tests (no sanitizers, Release, incremental ninja).

One mutant at a time: change one token on one line of a file under src/, rebuild only the unit-test
targets (ninja recompiles the changed file and relinks what links it), run the test binaries that were
relinked, and restore the file. A mutant is KILLED when a test binary fails or times out, SURVIVED when
all of them pass, and INVALID when it does not compile (or no test binary links the file).

  mutate.py all                                              # `make mutate`: the whole run, see below
  mutate.py list   --files src/mesh/Object3D.cpp [--per-file N | --count N] [--seed S] > mutants.tsv
  mutate.py run    --mutants mutants.tsv [--ids 3,17,...] [--out results.tsv] [--e2e | --window-e2e]
  mutate.py summary results.tsv... [--survivors survivors.tsv]
  mutate.py sole    results.tsv                               # per test: kills, and kills no other test makes
  mutate.py compare results-full.tsv results-trimmed.tsv     # kills lost by the trimmed suite
  mutate.py map    --mutants mutants.tsv --commit C > mapped.tsv   # the same mutants on a later tree

The tree is a git clone (default mutate/tree) configured once in --build (default
mutate/build) with -DCMAKE_BUILD_TYPE=Release -DSV_BUILD_TESTS=ON. To judge a trimmed suite, run
the same mutants.tsv in a second clone whose tests/ holds the trimmed tests, then `compare`.

`all` judges the committed HEAD: it lists --count mutants (default 320, seed 19) over every source
file of src/, spread in proportion to each file's mutable lines, every operator included; keeps two
clones and two Release builds (mutate/tree0, mutate/build0, ...) checked out at HEAD; and runs one
worker per clone, each taking the next mutant nobody has claimed. A mutant of the window code (src/app,
src/platform) that the unit tests let live is also judged by the end-to-end test, the real viewer
under Xvfb, when the viewer relinked. Results go to mutate/<commit>/results-<worker>.tsv as each
mutant finishes, so a rerun on the same commit resumes; at the end come the merged results.tsv, the
survivors (survivors.tsv, where the ledger in docs/mutation starts) and a summary.
"""
import argparse
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

def unit_targets(build_dir):
    """Every ninja target whose name ends in _tests (the GoogleTest executables), fuzz targets aside."""
    done = subprocess.run(["ninja", "-C", build_dir, "-t", "targets", "all"], capture_output=True, text=True, errors="replace")
    names = {line.split(":")[0].rsplit("/", 1)[-1] for line in done.stdout.splitlines()}
    unit = lambda n: n.endswith("_tests") or n.endswith("_tests_machine")  # the latter: the reader's own matcher
    return sorted(n for n in names if unit(n) and "fuzz" not in n and not n.startswith("cmake_"))


def ctest_filter(path):
    """The GTEST_FILTER that CTest sets for the binary at path, if any (io_tests_machine runs only the
    tests that go through the line patterns)."""
    name = os.path.basename(path)
    try:
        with open(os.path.join(os.path.dirname(path), "CTestTestfile.cmake")) as f:
            for line in f:
                found = re.search(r'\[=\[%s\]=\] PROPERTIES .*"GTEST_FILTER=([^"]*)"' % re.escape(name), line)
                if found:
                    return found.group(1)
    except FileNotFoundError:
        pass
    return None

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
# The code that reaches the real window: with --window-e2e, a mutant here that the unit tests let live
# (or that no unit test links, as the GLFW backend) is judged by the end-to-end test as well.
WINDOW_CODE = ("src/app/", "src/platform/")
# Compiled only by the Windows cross build: no Linux test can judge a mutant there.
WINDOWS_ONLY = {"src/io/LinePatternStdRegex.cpp"}
STATUSES = ("KILLED", "SURVIVED", "INVALID", "TIMEOUT")
KILLS = ("KILLED", "TIMEOUT")  # a test that hangs is a test that fails


def run_group(command, timeout, **options):
    """subprocess.run in a session of its own; on timeout the whole group goes (the end-to-end test's
    Xvfb and viewer with it). Returns the CompletedProcess, or None on timeout."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace",
                               start_new_session=True, **options)
    try:
        out, _ = process.communicate(timeout=timeout)
        return subprocess.CompletedProcess(command, process.returncode, out, "")
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        if sys.exc_info()[0] is subprocess.TimeoutExpired:
            return None
        raise


def build(build_dir, timeout, targets, jobs=None):
    done = run_group(["ninja", "-C", build_dir] + (["-j", str(jobs)] if jobs else []) + targets, timeout)
    if done is None:
        return False, "build timed out"
    return done.returncode == 0, done.stdout[-2000:]


def failed_tests(name, output):
    named = [l[13:].split(" ")[0] for l in output.split("\n") if l.startswith("[  FAILED  ] ")]
    named = [t for t in named if re.match(r"^[A-Za-z_][\w/]*\.\w", t)]
    return [name + ":" + t for t in dict.fromkeys(named)] if named else [name + ":*"]


def run_tests(binaries, timeout, first_kill=False):
    """Runs every binary in its own directory; returns the failing tests as binary:Suite.Test (a binary
    that times out counts as binary:*timeout, one that dies without naming a test as binary:*). timeout
    is one number for all, or a dict with each binary's own. With first_kill, the binaries run quickest
    first and the first that fails ends the run: the verdict needs no more."""
    failures = []
    limit = lambda name: timeout[name] if isinstance(timeout, dict) else timeout
    for name, path in sorted(binaries.items(), key=lambda item: (limit(item[0]), item[0]) if first_kill else item):
        only = ctest_filter(path)
        done = run_group([path, "--gtest_brief=1"] + (["--gtest_filter=" + only] if only else []), limit(name),
                         cwd=os.path.dirname(path))
        if done is None:
            failures.append(name + ":*timeout")
        elif done.returncode != 0:
            failures.extend(failed_tests(name, done.stdout))
        if failures and first_kill:
            break
    return failures


def run_e2e(build_dir, timeout):
    """The end-to-end test exactly as `make test` runs it (ctest -R '^viewer_e2e$': the Linux viewer
    under a private Xvfb); returns its failures as run_tests does."""
    done = run_group(["ctest", "--test-dir", build_dir, "-R", "^viewer_e2e$", "--output-on-failure"], timeout)
    if done is None:
        return ["viewer_e2e:*timeout"]
    if "No tests were found" in done.stdout:
        sys.exit("no viewer_e2e test in " + build_dir)
    return [] if done.returncode == 0 else failed_tests("viewer_e2e", done.stdout)


def is_window_code(path):
    return path.startswith(WINDOW_CODE)


def judge(args, mutant, binaries, test_timeout, e2e_timeout):
    """Builds the mutated tree and runs the tests it reaches: (status, detail)."""
    window = args.window_e2e and is_window_code(mutant[0])
    viewer = os.path.join(args.build, "springview")
    e2e = args.e2e or window
    stamps = {n: os.path.getmtime(p) for n, p in binaries.items()}
    viewer_stamp = os.path.getmtime(viewer) if e2e else None
    ok, log = build(args.build, args.build_timeout, args.targets + (["springview"] if window else []), args.jobs)
    if not ok:
        return "INVALID", "build timed out" if log == "build timed out" else "does not compile"
    relinked = {n: p for n, p in binaries.items() if os.path.getmtime(p) != stamps[n]}
    viewer_relinked = e2e and os.path.getmtime(viewer) != viewer_stamp
    if args.e2e and viewer_relinked:
        relinked["viewer_e2e"] = binaries["viewer_e2e"]
    if not relinked and not viewer_relinked:
        return "INVALID", "no test links it"
    failing = run_tests(relinked, test_timeout, args.first_kill)
    ran = sorted(relinked)
    if window and not failing and viewer_relinked:
        failing, ran = run_e2e(args.build, e2e_timeout), ran + ["viewer_e2e"]
    if not failing:
        return "SURVIVED", ",".join(ran)
    if all(f.endswith(":*timeout") for f in failing):
        return "TIMEOUT", " ".join(failing)
    return "KILLED", " ".join(failing)


def operator_of(mutant):
    """The tool's operator that made the mutant: a constant tweak, a deleted call, or one pattern."""
    kind = mutant[5]
    return kind if kind in ("const", "del") else (kind, mutant[3], mutant[4])


def spread(found_by_file, count, rng):
    """count mutants over the files in proportion to their mutable lines (lines with at least one
    candidate; largest remainders round up), each on a line of its own while lines last; then one more
    for every operator the sample has missed, so that each operator the code offers is tried."""
    lines = {path: sorted({m[1] for m in found}) for path, found in found_by_file.items() if found}
    total = sum(len(numbers) for numbers in lines.values())
    share = {path: count * len(numbers) / total for path, numbers in lines.items()}
    quota = {path: int(share[path]) for path in lines}
    for path in sorted(lines, key=lambda p: (int(share[p]) - share[p], p))[:count - sum(quota.values())]:
        quota[path] += 1
    chosen = []
    for path in sorted(lines):
        found = found_by_file[path]
        on_line = {}
        for m in found:
            on_line.setdefault(m[1], []).append(m)
        picked = [rng.choice(on_line[n]) for n in rng.sample(lines[path], min(quota[path], len(lines[path])))]
        rest = [m for m in found if m not in picked]
        chosen += picked + rng.sample(rest, min(len(rest), quota[path] - len(picked)))
    everything = sorted((m for found in found_by_file.values() for m in found), key=lambda m: (m[0], m[1], m[2]))
    missing = sorted({operator_of(m) for m in everything} - {operator_of(m) for m in chosen}, key=str)
    for operator in missing:
        chosen.append(rng.choice([m for m in everything if operator_of(m) == operator]))
    return sorted(set(chosen), key=lambda m: (m[0], m[1], m[2], m[4]))


def list_rows(files, read, per_file, count, seed):
    rng = random.Random(seed)
    found_by_file = {path: mutants_of(path, read(path)) for path in files}
    if count:
        return spread(found_by_file, count, rng)
    rows = []
    for path in files:
        found = found_by_file[path]
        if per_file and len(found) > per_file:
            found = sorted(rng.sample(found, per_file), key=lambda m: (m[1], m[2]))
        rows.extend(found)
    return rows


def mutant_line(i, mutant):
    path, number, column, original, replacement, kind = mutant
    return "\t".join([str(i), path, str(number), str(column), kind, original, replacement])


def cmd_list(args):
    def read(path):
        with open(os.path.join(args.tree, path)) as f:
            return f.read()
    for i, mutant in enumerate(list_rows(args.files, read, args.per_file, args.count, args.seed)):
        print(mutant_line(i, mutant))


class SavedObjects:
    """Copies of the clean build's objects and archives (a few MB), times included. Putting them back
    after a mutant, with the source's own time, leaves ninja nothing to recompile: only the programs the
    mutant relinked are linked again."""

    def __init__(self, build_dir):
        self.build_dir, self.copies = build_dir, build_dir.rstrip("/") + ".saved"
        shutil.rmtree(self.copies, ignore_errors=True)
        self.saved = {}
        for root, _, files in os.walk(build_dir):
            for name in (n for n in files if n.endswith((".o", ".a"))):
                path = os.path.join(root, name)
                copy = os.path.join(self.copies, os.path.relpath(path, build_dir))
                os.makedirs(os.path.dirname(copy), exist_ok=True)
                shutil.copy2(path, copy)
                self.saved[path] = (copy, os.stat(copy).st_mtime_ns)

    def put_back(self, programs, since_ns):
        for path, (copy, mtime) in self.saved.items():
            if not os.path.exists(path) or os.stat(path).st_mtime_ns != mtime:
                shutil.copy2(copy, path + ".tmp")
                os.replace(path + ".tmp", path)
        for path in programs:
            if os.path.exists(path) and os.stat(path).st_mtime_ns >= since_ns:
                os.remove(path)


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def read_mutants(path):
    rows = []
    with open(path) as f:
        for line in f:
            i, file, number, column, kind, original, replacement = line.rstrip("\n").split("\t")
            rows.append((int(i), (file, int(number), int(column), original, replacement, kind)))
    return rows


def read_done(paths):
    done = set()
    for path in paths:
        if os.path.exists(path):
            with open(path) as f:
                done |= {int(line.split("\t")[0]) for line in f if line.strip()}
    return done


def claim(claims, i):
    """Whether this worker takes mutant i: the first to create its claim file does."""
    if claims is None:
        return True
    try:
        os.close(os.open(os.path.join(claims, str(i)), os.O_CREAT | os.O_EXCL | os.O_WRONLY))
        return True
    except FileExistsError:
        return False


def cmd_run(args):
    # A kill ends the run through the finally below, which puts the mutated file back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("killed"))
    os.environ.setdefault("OMP_WAIT_POLICY", "passive")  # two workers share the cores; no spinning threads
    args.targets = unit_targets(args.build) + EXTRA_TARGETS
    e2e_wanted = args.e2e or args.window_e2e
    if args.e2e:
        args.targets += E2E_TARGETS
    ok, log = build(args.build, 3600, args.targets + (E2E_TARGETS if e2e_wanted else []), args.jobs)
    binaries = test_binaries(args.build, args.targets)
    if not ok:
        sys.exit("baseline build failed:\n" + log)
    # Each binary's own limit: a few times its clean run, at least 10 s. A mutant that makes a test hang
    # then costs seconds, not minutes.
    clean, test_timeout = {}, {}
    for name, path in binaries.items():
        started = time.time()
        failing = run_tests({name: path}, 600)
        if failing:
            sys.exit("baseline tests fail: " + " ".join(failing))
        clean[name] = time.time() - started
        test_timeout[name] = max(10.0, args.timeout_factor * clean[name])
    e2e_timeout = None
    if args.window_e2e:
        started = time.time()
        failing = run_e2e(args.build, 600)
        if failing:
            sys.exit("baseline end-to-end test fails: " + " ".join(failing))
        clean["viewer_e2e"] = time.time() - started
        e2e_timeout = max(30.0, args.timeout_factor * clean["viewer_e2e"])
    if args.progress:
        print("%s clean runs: %s" % (args.progress, ", ".join("%s %.1fs" % item for item in sorted(clean.items()))),
              file=sys.stderr, flush=True)
    saved = SavedObjects(args.build)
    programs = list(binaries.values()) + [os.path.join(args.build, "springview")]
    wanted = {int(i) for i in args.ids.split(",")} if args.ids else None
    done_ids = read_done(([args.out] if args.out else []) + (args.done or []))  # resume: skip mutants judged
    out = open(args.out, "a") if args.out else sys.stdout
    for i, mutant in read_mutants(args.mutants):
        if (wanted is not None and i not in wanted) or i in done_ids or not claim(args.claims, i):
            continue
        path = os.path.join(args.tree, mutant[0])
        with open(path) as f:
            original = f.read()
        t0, cpu0 = time.time(), children_cpu()
        stamp = os.stat(path)
        time.sleep(0.05)
        since = time.time_ns() - 20_000_000  # file times come from a coarser clock
        try:
            with open(path, "w") as f:
                f.write(apply(original, mutant))
            status, detail = judge(args, mutant, binaries, test_timeout, e2e_timeout)
        finally:
            # The clean objects come back, and the file with its old time; this order leaves a tree that
            # builds right wherever a kill stops it.
            saved.put_back(programs, since)
            with open(path, "w") as f:
                f.write(original)
            os.utime(path, ns=(stamp.st_atime_ns, stamp.st_mtime_ns))
        # Rebuilt at once, so that the next mutant's build holds only its own change and a binary relinks
        # only when that change reaches it.
        window = args.window_e2e and is_window_code(mutant[0])
        ok, log = build(args.build, 3600, args.targets + (["springview"] if window else []), args.jobs)
        if not ok:
            sys.exit("the restored tree does not build:\n" + log)
        file, number, _, before, after, kind = mutant
        # Wall time, and the processor time of the builds and tests, which a quiet machine's wall time
        # comes close to (one job per worker).
        row = [str(i), status, file, str(number), kind, before, after, detail, "%.0fs" % (time.time() - t0),
               "cpu %.0fs" % (children_cpu() - cpu0)]
        out.write("\t".join(row) + "\n")
        out.flush()
        if args.progress:
            print("%s %4d %-8s %s:%d %s, %s" % (args.progress, i, status, file, number, row[-2], row[-1]),
                  file=sys.stderr, flush=True)


def read_results(paths):
    rows = {}
    for path in paths:
        with open(path) as f:
            for line in f:
                if line.strip():
                    row = line.rstrip("\n").split("\t")
                    rows[int(row[0])] = row
    return [rows[i] for i in sorted(rows)]


def summarize(rows, survivors=None, out=sys.stdout):
    counts = {s: sum(r[1] == s for r in rows) for s in STATUSES}
    killed, survived = counts["KILLED"] + counts["TIMEOUT"], counts["SURVIVED"]
    print("%d mutants: killed %d, survived %d, invalid %d, timed out %d" %
          (len(rows), counts["KILLED"], survived, counts["INVALID"], counts["TIMEOUT"]), file=out)
    if killed + survived:
        print("killed / (killed + survived) = %d / %d = %.3f (a test that hangs counts as killing)" %
              (killed, killed + survived, killed / (killed + survived)), file=out)
    seconds = lambda column: [float(r[column].split()[-1].rstrip("s")) for r in rows if len(r) > column]
    wall, cpu = seconds(8), seconds(9)
    if wall:
        print("per mutant: %.0f s wall on average%s" % (sum(wall) / len(wall), ", %.0f s of processor time" %
              (sum(cpu) / len(cpu)) if cpu else ""), file=out)
    if survivors:
        with open(survivors, "w") as f:
            f.writelines("\t".join(r) + "\n" for r in rows if r[1] == "SURVIVED")
        print("survivors: " + survivors, file=out)


def cmd_summary(args):
    summarize(read_results(args.results), args.survivors)


def git(tree, *words):
    return subprocess.run(["git", "-C", tree] + list(words), check=True, capture_output=True, text=True).stdout.strip()


def prepare_clone(root, commit, tree, build_dir):
    """A clone of the repository at `commit`, mutations of an interrupted run undone, and a Release
    build folder with the tests configured for it."""
    if not os.path.isdir(os.path.join(tree, ".git")):
        subprocess.run(["git", "clone", "--quiet", "--no-checkout", root, tree], check=True)
    git(tree, "fetch", "--quiet", root, commit)
    git(tree, "reset", "--quiet", "--hard", commit)
    git(tree, "clean", "--quiet", "-fdx")
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        # Most of a mutant's time is building: lld links faster, and ccache (when there is one) turns the
        # rebuild after the file is put back into cache hits.
        speedups = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
        if shutil.which("ccache"):
            speedups.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(["cmake", "-G", "Ninja", "-S", tree, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                        "-DSV_BUILD_TESTS=ON"] + speedups, check=True, stdout=subprocess.DEVNULL)


def cmd_all(args):
    root = git(".", "rev-parse", "--show-toplevel")
    commit = git(root, "rev-parse", "HEAD")
    if git(root, "status", "--porcelain", "--untracked-files=no", "src"):
        print("note: src/ has uncommitted changes; the run judges the commit " + commit[:12], file=sys.stderr)
    base = os.path.join(root, args.dir)
    run_dir = os.path.join(base, commit[:12])
    os.makedirs(run_dir, exist_ok=True)
    mutants = os.path.join(run_dir, "mutants.tsv")
    if not os.path.exists(mutants):
        files = [f for f in git(root, "ls-tree", "-r", "--name-only", commit, "src").split("\n")
                 if f.endswith((".cpp", ".h")) and f not in WINDOWS_ONLY]
        texts = {f: subprocess.run(["git", "-C", root, "show", "%s:%s" % (commit, f)], check=True, capture_output=True,
                                   text=True).stdout for f in files}
        rows = list_rows(files, lambda f: texts[f], 0, args.count, args.seed)
        with open(mutants + ".tmp", "w") as f:
            f.writelines(mutant_line(i, m) + "\n" for i, m in enumerate(rows))
        os.rename(mutants + ".tmp", mutants)
    claims = os.path.join(run_dir, "claims")
    subprocess.run(["rm", "-rf", claims], check=True)
    os.makedirs(claims)
    results = [os.path.join(run_dir, "results-%d.tsv" % k) for k in range(args.workers)]
    total = len(read_mutants(mutants))
    print("commit %s: %d mutants, %d already judged; results in %s" %
          (commit[:12], total, len(read_done(results)), os.path.relpath(run_dir, root)), flush=True)
    workers = []
    try:
        for k in range(args.workers):
            tree, build_dir = os.path.join(base, "tree%d" % k), os.path.join(base, "build%d" % k)
            prepare_clone(root, commit, tree, build_dir)
            command = [sys.executable, os.path.abspath(__file__), "--tree", tree, "--build", build_dir, "run",
                       "--mutants", mutants, "--out", results[k], "--done"] + results + [
                       "--claims", claims, "--window-e2e", "--first-kill", "--progress", "[%d]" % k,
                       "--timeout-factor", str(args.timeout_factor), "--build-timeout", str(args.build_timeout)]
            if args.ids:
                command += ["--ids", args.ids]
            # Each worker builds its clone with one job: the workers fill the cores.
            workers.append(subprocess.Popen(command + ["--jobs", "1"]))
        failed = [w.wait() for w in workers]
    except KeyboardInterrupt:
        for w in workers:
            w.terminate()
        for w in workers:
            w.wait()
        sys.exit("interrupted; `make mutate` resumes where this stopped")
    rows = read_results([r for r in results if os.path.exists(r)])
    with open(os.path.join(run_dir, "results.tsv"), "w") as f:
        f.writelines("\t".join(r) + "\n" for r in rows)
    with open(os.path.join(run_dir, "summary.txt"), "w") as f:
        for out in (sys.stdout, f):
            print("commit %s, seed %d, %d mutants listed" % (commit[:12], args.seed, total), file=out)
            summarize(rows, os.path.join(run_dir, "survivors.tsv"), out)
    wanted = len(args.ids.split(",")) if args.ids else total
    if any(failed) or len(rows) < wanted:
        sys.exit("%d of %d mutants judged; a worker failed (see above)" % (len(rows), wanted))


def cmd_compare(args):
    def load(path):
        with open(path) as f:
            return {line.split("\t")[0]: line.rstrip("\n").split("\t") for line in f if line.strip()}
    full, trimmed = load(args.full), load(args.trimmed)
    lost = [row for i, row in full.items() if row[1] in KILLS and trimmed.get(i, [None, None])[1] == "SURVIVED"]
    for row in lost:
        print("lost:", "\t".join(row[:8]))
    killed = lambda rows: sum(r[1] in KILLS for r in rows.values())
    valid = lambda rows: sum(r[1] in KILLS + ("SURVIVED",) for r in rows.values())
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
                if len(row) < 8 or row[1] not in KILLS:
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
    l.add_argument("--count", type=int, default=0, help="this many over all the files, by their mutable lines")
    l.add_argument("--seed", type=int, default=1)
    r = sub.add_parser("run")
    r.add_argument("--mutants", required=True)
    r.add_argument("--ids")
    r.add_argument("--out")
    r.add_argument("--e2e", action="store_true", help="also build springview and run viewer_e2e when it changes")
    r.add_argument("--window-e2e", action="store_true",
                   help="judge window-code mutants the unit tests let live by ctest -R '^viewer_e2e$' as well")
    r.add_argument("--done", nargs="*", help="result files whose mutants count as judged")
    r.add_argument("--claims", help="a folder of claim files shared by the workers")
    r.add_argument("--jobs", type=int, help="ninja's -j")
    r.add_argument("--timeout-factor", type=float, default=5, help="a test's limit: its clean run times this")
    r.add_argument("--build-timeout", type=float, default=900)
    r.add_argument("--progress", help="print each verdict on standard error with this prefix")
    r.add_argument("--first-kill", action="store_true", help="stop at the first failing test binary")
    a = sub.add_parser("all")
    a.add_argument("--dir", default="mutate", help="clones, builds and results, under the repository")
    a.add_argument("--count", type=int, default=320)
    a.add_argument("--seed", type=int, default=19)
    a.add_argument("--workers", type=int, default=2)
    a.add_argument("--ids", help="only these mutants (a smoke run)")
    a.add_argument("--timeout-factor", type=float, default=3)
    a.add_argument("--build-timeout", type=float, default=600)
    y = sub.add_parser("summary")
    y.add_argument("results", nargs="+")
    y.add_argument("--survivors")
    o = sub.add_parser("sole")
    o.add_argument("results", nargs="+")
    c = sub.add_parser("compare")
    c.add_argument("full")
    c.add_argument("trimmed")
    m = sub.add_parser("map")
    m.add_argument("--mutants", required=True)
    m.add_argument("--commit", required=True)
    args = p.parse_args()
    args.tree, args.build = os.path.abspath(args.tree), os.path.abspath(args.build)
    commands = {"all": cmd_all, "list": cmd_list, "run": cmd_run, "summary": cmd_summary, "compare": cmd_compare,
                "sole": cmd_sole, "map": cmd_map}
    commands[args.command](args)


if __name__ == "__main__":
    main()
