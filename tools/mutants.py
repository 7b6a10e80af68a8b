#!/usr/bin/env python3
"""A seeded sample of single-token mutants of src/, each built and run against the tests.

A mutant flips one comparison (< and <=, > and >=, == and !=), swaps && and ||, or moves one integer
literal up by one. The sample is drawn with --seed from every such site in src/ (comments, strings,
preprocessor lines and the generated Unicode tables left out), so two runs with the same seed and the
same sources try the same mutants, whatever the tests are.

Each mutant is built in a private copy of the tree under build/mutants (only the core library, the C++
tests, the fuzz replays and the extension, incrementally), then judged by the C++ tests, the fuzz corpus
replay and pytest -x -q over a snapshot of the Python tests taken at start. A mutant that fails any of
them, crashes or times out is killed; one that does not compile is left out of the rate.

    python3 tools/mutants.py --seed 11 --count 60
    python3 tools/mutants.py --seed 11 --count 60 --tests path/to/tests/python   # another suite
    python3 tools/mutants.py --seed 11 --list                                      # the sample only
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FLIPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
OPERATOR = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||<|>)(?= )")
LITERAL = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
TARGETS = ["kalendo_tests", "replay_parse", "replay_iso", "_core"]


def code_only(line):
    """The line with string and character literals blanked and any // comment cut off."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(" " if quote else c)
        elif c in "\"'" and not (c == "'" and i > 0 and line[i - 1].isalnum()):  # 1'000 digit separators
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def sites():
    """Every (file, line number, column, old token, new token) a mutant may change, in a fixed order."""
    found = []
    files = sorted(p for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h"))
    for path in files:
        rel = path.relative_to(ROOT).as_posix()
        in_block = False
        for number, line in enumerate(path.read_text().splitlines(), 1):
            stripped = line.strip()
            if in_block:
                in_block = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block = "*/" not in stripped
                continue
            if stripped.startswith(("#", "//", "static_assert")):
                continue
            code = code_only(line)
            for m in OPERATOR.finditer(code):
                found.append((rel, number, m.start(), m.group(1), FLIPS[m.group(1)]))
            for m in LITERAL.finditer(code):
                found.append((rel, number, m.start(), m.group(1), str(int(m.group(1)) + 1)))
    return found


def run(cmd, cwd, timeout, env=None):
    try:
        done = subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return "timeout", ""


class Workspace:
    def __init__(self, scratch, tests):
        self.tree, self.build = scratch / "tree", scratch / "build"
        # The snapshot keeps the suite's place beside bench/, whose phrases some tests read.
        self.stage, self.tests = scratch / "stage", scratch / "suite/tests/python"
        if self.tree.exists():
            shutil.rmtree(self.tree)
        for part in ("src", "fuzz", "tests/cpp", "tests/capi", "python", "include", "cmake", "third_party",
                     "CMakeLists.txt"):
            source, target = ROOT / part, self.tree / part
            target.parent.mkdir(parents=True, exist_ok=True)
            (shutil.copytree if source.is_dir() else shutil.copy2)(source, target)
        if self.tests.exists():
            shutil.rmtree(self.tests)
        shutil.copytree(tests, self.tests, ignore=shutil.ignore_patterns("__pycache__", ".hypothesis"))
        (scratch / "suite/bench").mkdir(exist_ok=True)
        shutil.copy2(ROOT / "bench/phrases.txt", scratch / "suite/bench/phrases.txt")
        subprocess.run(["cmake", "-S", self.tree, "-B", self.build, "-DKALENDO_TESTS=ON", "-DKALENDO_PYTHON=ON",
                        "-DCMAKE_BUILD_TYPE=None", "-DCMAKE_CXX_FLAGS=-O1",
                        f"-DPython_EXECUTABLE={sys.executable}"], check=True, stdout=subprocess.DEVNULL)
        self.env = {**os.environ, "PYTHONPATH": str(self.stage), "PYTHONDONTWRITEBYTECODE": "1"}

    def make(self):
        code, log = run(["cmake", "--build", self.build, "-j", "2", "--target", *TARGETS], self.tree, 900)
        if code != 0:
            return False
        package = self.stage / "kalendo"
        if package.exists():
            shutil.rmtree(package)
        shutil.copytree(self.tree / "python/kalendo", package)
        for so in self.build.glob("_core*.so"):
            shutil.copy2(so, package / so.name)
        return True

    def judge(self):
        """The first suite that fails, or None when every suite passes."""
        checks = [("cpp", [self.build / "kalendo_tests", "--gtest_brief=1"], 120)]
        for target in ("parse", "iso"):
            checks.append((f"replay_{target}", [self.build / f"replay_{target}", self.tree / "fuzz/corpus" / target],
                           120))
        checks.append(("pytest", [sys.executable, "-m", "pytest", "-x", "-q", "-p", "no:cacheprovider",
                                  self.tests], 600))
        for name, cmd, timeout in checks:
            code, self.log = run(cmd, self.tests.parent, timeout, self.env)
            if code != 0:
                return f"{name}:{code}"
        return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=11)
    parser.add_argument("--count", type=int, default=60)
    parser.add_argument("--tests", type=Path, default=ROOT / "tests/python", help="the Python tests to run")
    parser.add_argument("--scratch", type=Path, default=ROOT / "build/mutants")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--files", nargs="+", metavar="PATH", help="judge only the sample's mutants in these files "
                        "of src/ (the same seeded sample, so two suites compare on the same mutants)")
    parser.add_argument("--reuse", type=Path, help="the log of an earlier run with the same seed, C++ tests and fuzz "
                        "corpus: mutants it shows killed by those are not rebuilt (only the Python tests changed)")
    args = parser.parse_args()

    every = sites()
    sample = random.Random(args.seed).sample(every, min(args.count, len(every)))
    sample.sort(key=lambda s: (s[0], s[1], s[2]))  # one file at a time: fewer rebuilds
    if args.files:
        sample = [site for site in sample if site[0] in args.files]
    print(f"{len(every)} sites, seed {args.seed}, {len(sample)} mutants", flush=True)
    if args.list:
        for site in sample:
            print("{}:{}:{} {} -> {}".format(*site))
        return 0

    reused = {}
    if args.reuse:
        for m in re.finditer(r"\] killed +(\S+):(\d+) (\S+) -> (\S+)  ((?:cpp|replay_\w+):\S+)", args.reuse.read_text()):
            reused.setdefault((m[1], int(m[2]), m[3], m[4]), []).append(m[5])
    ws = Workspace(args.scratch.resolve(), args.tests.resolve())
    if not ws.make() and not ws.make():  # a compiler killed for memory on a busy machine gets a second try
        sys.exit("the unmutated tree does not build")
    failed = ws.judge()
    if failed:
        sys.exit(f"the unmutated tree fails {failed}:\n{ws.log[-3000:]}")
    tally = {"killed": 0, "survived": 0, "uncompilable": 0}
    for index, (rel, number, column, old, new) in enumerate(sample, 1):
        if reused.get((rel, number, old, new)):
            why = reused[(rel, number, old, new)].pop(0)
            tally["killed"] += 1
            print(f"[{index:3d}] killed       {rel}:{number} {old} -> {new}  {why} (as before)", flush=True)
            continue
        path = ws.tree / rel
        original = path.read_text()
        lines = original.split("\n")
        line = lines[number - 1]
        assert line[column:column + len(old)] == old, (rel, number, line)
        lines[number - 1] = line[:column] + new + line[column + len(old):]
        path.write_text("\n".join(lines))
        started = time.monotonic()
        try:
            if not ws.make() and not ws.make():
                verdict, why = "uncompilable", ""
            else:
                why = ws.judge()
                verdict = "killed" if why else "survived"
        finally:
            path.write_text(original)
        tally[verdict] += 1
        print(f"[{index:3d}] {verdict:12s} {rel}:{number} {old} -> {new}  {why or ''} "
              f"({time.monotonic() - started:.0f}s)\n      {line.strip()}", flush=True)
    ws.make()
    judged = tally["killed"] + tally["survived"]
    rate = 100.0 * tally["killed"] / judged if judged else 0.0
    print(f"killed {tally['killed']}, survived {tally['survived']}, uncompilable {tally['uncompilable']}: "
          f"{rate:.1f}% killed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
