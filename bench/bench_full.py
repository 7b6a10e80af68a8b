#!/usr/bin/env python3
"""Times full mode (parse_full) beside strict mode (parse_raw), phrase by phrase, through Python.

    python3 bench/bench_full.py [--quick]

Six sets: the core grammar's phrases (bench/phrases.txt), where full mode
should cost nothing beyond one check, and calendar dates (bench/dates.txt),
holidays by name (bench/holidays.txt), open ends and windows
(bench/open_ends.txt), clock times (bench/times.txt) and intervals
(bench/intervals.txt), which strict mode answers with its no-parse (or a
missing anchor) and full mode reads. Each figure
is the median over rounds of the mean time of a batch of calls, after
warm-up, measured with time.perf_counter_ns; a set's figure is the median
over its phrases, and the ratio is full over strict.
"""

from __future__ import annotations

import argparse
import statistics
import time
from collections.abc import Callable
from pathlib import Path

from kalendo import _core

HERE = Path(__file__).resolve().parent
NOW = "2024-06-05T14:20:10"
ARGS = (NOW, {}, (9, 0, 0), 0, False)


def phrases(name: str) -> list[str]:
    lines = (HERE / name).read_text(encoding="utf-8").splitlines()
    return [line for line in lines if line and not line.startswith("#")]


def per_call_ns(call: Callable[..., str], text: str, rounds: int, batch: int) -> float:
    for _ in range(batch):
        call(text, *ARGS)
    means = []
    for _ in range(rounds):
        start = time.perf_counter_ns()
        for _ in range(batch):
            call(text, *ARGS)
        means.append((time.perf_counter_ns() - start) / batch)
    return statistics.median(means)


def measure(name: str, rounds: int, batch: int) -> tuple[float, float, float]:
    strict, full, ratios = [], [], []
    for text in phrases(name):
        # Alternate the two modes phrase by phrase so drifts of the machine hit both alike.
        s = per_call_ns(_core.parse_raw, text, rounds, batch)
        f = per_call_ns(_core.parse_full, text, rounds, batch)
        strict.append(s)
        full.append(f)
        ratios.append(f / s)
    return statistics.median(strict), statistics.median(full), statistics.median(ratios)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a smoke run")
    args = parser.parse_args()
    rounds, batch = (5, 200) if args.quick else (15, 1000)
    print("| phrases | strict (parse_raw) | full (parse_full) | full / strict, median per phrase |")
    print("|---|---|---|---|")
    for name, label in (("phrases.txt", "core grammar (bench/phrases.txt)"), ("dates.txt", "calendar dates (bench/dates.txt)"),
                        ("holidays.txt", "holidays by name (bench/holidays.txt)"),
                        ("open_ends.txt", "open ends and windows (bench/open_ends.txt)"),
                        ("times.txt", "times, parts of the day, zones (bench/times.txt)"),
                        ("intervals.txt", "intervals (bench/intervals.txt)")):
        s, f, r = measure(name, rounds, batch)
        print(f"| {label} | {s:.0f} ns | {f:.0f} ns | {r:.2f} |")


if __name__ == "__main__":
    main()
