#!/usr/bin/env python3
"""Times parse_raw against the size of its anchors and its text, to show that the work grows
linearly (or n log n) with the input:

- many anchors: n names and a short text;
- a long name in a long text, every position of which begins a near match;
- names that nest inside one another's markers, refused after work bounded by the text.

    python3 bench/scaling.py [--quick]

Each figure is the best of a few calls, measured with time.perf_counter; the last column divides
by the size, and stays flat when the growth is linear.
"""

from __future__ import annotations

import argparse
import time
from collections.abc import Callable

from kalendo import _core

NOW = "2024-06-05T14:20:10"


def call(text: str, anchors: dict[str, str]) -> None:
    try:
        _core.parse_raw(text, NOW, anchors, (9, 0, 0), 0, True)
    except ValueError:
        pass  # the refusal of nesting names is the measured outcome


def best_of(rounds: int, run: Callable[[], None]) -> float:
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def many_anchors(n: int) -> Callable[[], None]:
    anchors = {f"anchor {i}": "2001-01-01" for i in range(n)}
    anchors["launch"] = "2025-03-14"
    return lambda: call("2 days after launch", anchors)


def long_name(n: int) -> Callable[[], None]:
    # A text of n bytes in runs of n/10 "a"s, and a name of n/10 "a"s and a "b".
    run = n // 10
    name = "a" * run + "b"
    text = " ".join(["a" * run] * 10)
    return lambda: call(text, {name: "2025-03-14"})


def nesting(n: int) -> Callable[[], None]:
    # Names "1".."8" whose markers hold the next name twice, over a text of n "1"s.
    names = [f"name {i}" for i in range(100)]
    for digit in range(1, 9):
        names[int(str(digit + 1) * 2) if digit < 8 else 99] = str(digit)
    anchors = dict.fromkeys(names, "2025-01-01")
    return lambda: call("1" * n, anchors)


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true")
    quick = parser.parse_args().quick
    rounds = 2 if quick else 5
    series = [
        ("anchors", "names", many_anchors, [1_000, 10_000, 100_000, 300_000]),
        ("long name", "text bytes", long_name, [300_000, 1_000_000, 3_000_000]),
        ("nesting names", "text bytes", nesting, [10_000, 100_000, 1_000_000]),
    ]
    print("| input | size | unit | seconds | ns per unit |")
    print("|---|---:|---|---:|---:|")
    for label, unit, make, sizes in series:
        for size in sizes[:-1] if quick else sizes:
            seconds = best_of(rounds, make(size))
            print(f"| {label} | {size:,} | {unit} | {seconds:.4f} | {seconds / size * 1e9:.1f} |")


if __name__ == "__main__":
    main()
