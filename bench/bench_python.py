#!/usr/bin/env python3
"""Times kalendo.parse_raw and the typed kalendo.parse (strict mode, like
parse_raw) per phrase, the floor of any such call, and two widely used date
parsers on the same phrases and reference moment.

    python3 bench/bench_python.py [--phrases FILE] [--quick] [--markdown]

The floor is a C function that takes the same seven arguments and does
nothing, built here against the same limited API: no binding can be faster
than calling it. Each figure is the median over rounds of the mean time of
a batch of calls, after warm-up, measured with time.perf_counter_ns.
"""

from __future__ import annotations

import argparse
import os
import statistics
import subprocess
import sys
import sysconfig
import tempfile
import time
from datetime import datetime
from pathlib import Path

import kalendo

HERE = Path(__file__).resolve().parent
NOW = "2024-06-05T14:20:10"
BASE = datetime(2024, 6, 5, 14, 20, 10)

FLOOR_SOURCE = r"""
#define Py_LIMITED_API 0x030A0000
#define PY_SSIZE_T_CLEAN
#include <Python.h>

static PyObject* nothing(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                         PyObject* kwnames) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  Py_RETURN_NONE;
}

static PyMethodDef methods[] = {
    {"nothing", (PyCFunction)(void (*)(void))nothing, METH_FASTCALL | METH_KEYWORDS, ""},
    {NULL, NULL, 0, NULL},
};

static struct PyModuleDef module = {PyModuleDef_HEAD_INIT, "kalendo_floor", "", -1, methods};

PyMODINIT_FUNC PyInit_kalendo_floor(void) { return PyModule_Create(&module); }
"""


def build_floor(folder: Path):
    """Compiles the do-nothing extension and returns its function."""
    source = folder / "kalendo_floor.c"
    source.write_text(FLOOR_SOURCE)
    target = folder / "kalendo_floor.abi3.so"
    include = sysconfig.get_paths()["include"]
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", f"-I{include}", str(source), "-o",
                    str(target)], check=True)
    sys.path.insert(0, str(folder))
    import kalendo_floor  # noqa: E402

    return kalendo_floor.nothing


def per_call_ns(call, batch: int, rounds: int) -> float:
    """Median over rounds of the mean time of one call in a batch."""
    for _ in range(max(1, batch // 10)):
        call()
    samples = []
    for _ in range(rounds):
        start = time.perf_counter_ns()
        for _ in range(batch):
            call()
        samples.append((time.perf_counter_ns() - start) / batch)
    return statistics.median(samples)


def read_phrases(path: Path) -> list[str]:
    lines = path.read_text(encoding="utf-8").splitlines()
    return [line for line in lines if line and not line.startswith("#")]


def peers():
    """The other parsers, when installed: name -> function of a phrase."""
    found = {}
    try:
        import dateparser

        settings = {"RELATIVE_BASE": BASE}
        found["dateparser"] = lambda text: dateparser.parse(text, settings=settings)
    except ImportError:
        pass
    try:
        import parsedatetime

        calendar = parsedatetime.Calendar()
        found["parsedatetime"] = lambda text: calendar.parseDT(text, sourceTime=BASE)
    except ImportError:
        pass
    return found


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--phrases", type=Path, default=HERE / "phrases.txt")
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a smoke run")
    parser.add_argument("--markdown", action="store_true", help="print a Markdown table")
    args = parser.parse_args()

    phrases = read_phrases(args.phrases)
    rounds = 5 if args.quick else 15
    parse_raw = kalendo.parse_raw
    parse = kalendo.parse
    anchors: dict[str, str] = {}
    default_time = (9, 0, 0)

    other = peers()
    with tempfile.TemporaryDirectory() as folder:
        nothing = build_floor(Path(folder))
        # The floor is timed right beside each phrase, so that a slow spell
        # of a shared machine weighs on both alike.
        rows = []
        floors = []
        for text in phrases:
            floor = per_call_ns(
                lambda: nothing(text, NOW, anchors, default_time, 0, False), 2000, rounds)
            ours = per_call_ns(
                lambda: parse_raw(text, NOW, anchors, default_time, 0, False), 2000, rounds)
            typed = per_call_ns(
                lambda: parse(text, now=BASE, week_start=0, next_skips_today=False, strict=True),
                2000, rounds)
            theirs = {name: per_call_ns(lambda f=f: f(text), 20 if name == "dateparser" else 200,
                                        max(3, rounds // 3))
                      for name, f in other.items()}
            floors.append(floor)
            rows.append((text, ours, theirs, floor, typed))

    names = list(other)
    if args.markdown:
        print("| phrase | kalendo (ns) | typed parse (ns) | " + " | ".join(f"{n} (ns)" for n in names)
              + " |")
        print("|---|---:|---:|" + "---:|" * len(names))
        for text, ours, theirs, _, typed in rows:
            print(f"| `{text}` | {ours:.0f} | {typed:.0f} | "
                  + " | ".join(f"{theirs[n]:.0f}" for n in names) + " |")
    else:
        print(f"{'phrase':36} {'kalendo':>9} {'typed':>9} " + " ".join(f"{n:>14}" for n in names))
        for text, ours, theirs, _, typed in rows:
            print(f"{text[:36]:36} {ours:9.0f} {typed:9.0f} "
                  + " ".join(f"{theirs[n]:14.0f}" for n in names))

    median_ours = statistics.median(r[1] for r in rows)
    floor = statistics.median(floors)
    print()
    print(f"phrases: {len(rows)}; Python {sys.version.split()[0]}; {os.cpu_count()} CPUs")
    print(f"floor (do-nothing C call, same 7 arguments): {floor:.0f} ns")
    print(f"kalendo.parse_raw median: {median_ours:.0f} ns; median per-phrase ratio to the floor "
          f"{statistics.median(r[1] / r[3] for r in rows):.1f}x")
    print(f"kalendo.parse (typed, strict) median: {statistics.median(r[4] for r in rows):.0f} ns; "
          f"median per-phrase ratio to parse_raw {statistics.median(r[4] / r[1] for r in rows):.2f}x")
    for name in names:
        median_theirs = statistics.median(r[2][name] for r in rows)
        ratio = statistics.median(r[2][name] / r[1] for r in rows)
        print(f"{name} median: {median_theirs / 1000:.1f} us; median per-phrase ratio "
              f"{ratio:.0f}x slower than kalendo")
    return 0


if __name__ == "__main__":
    sys.exit(main())
