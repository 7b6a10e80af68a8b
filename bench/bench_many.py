"""parse_many over a million rows: rows a second with one thread and all, beside a Python loop over
kalendo.parse and pandas' to_datetime, and the answer's bytes a row.

    python3 bench/bench_many.py [--rows N] [--markdown]
"""

import argparse
import os
import random
import time
from datetime import datetime
from pathlib import Path

import kalendo

NOW = datetime(2024, 6, 5, 14, 20, 10)
MONTHS = ["january", "february", "march", "april", "may", "june", "july", "august", "september",
          "october", "november", "december"]


def corpus_rows(n, rng):
    path = Path(__file__).with_name("phrases.txt")
    phrases = [p for p in path.read_text().splitlines() if p and not p.startswith("#")]
    return [phrases[rng.randrange(len(phrases))] for _ in range(n)]


def distinct_rows(n, rng):
    """n different texts in the shapes people type: calendar dates and counted days. Each shape
    writes a different day, date or count for each i, so that no text comes twice."""
    shapes = [
        lambda i: f"{i % 28 + 1} {MONTHS[i // 28 % 12]} {1000 + i // 336}",
        lambda i: f"{i // 28 % 12 + 1}/{i % 28 + 1}/{1000 + i // 336}",
        lambda i: f"in {i + 1} days",
        lambda i: f"{i + 1} days ago",
    ]
    rows = [shapes[i % 4](i // 4) for i in range(n)]
    rng.shuffle(rows)
    return rows


def rate(call, rows, rounds=3):
    best = min(timed(call) for _ in range(rounds))
    return rows / best


def timed(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def answer_bytes(column):
    """Bytes of the answer's buffers a row, without the interpretation and reason texts."""
    import pyarrow as pa

    array = pa.array(column)
    total = sum(b.size for b in array.buffers() if b is not None)
    texts = sum(array.field(name).buffers()[2].size for name in ("interpretation", "reason"))
    return (total - texts) / len(array), texts / len(array)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--markdown", action="store_true")
    args = parser.parse_args()
    rng = random.Random(17)
    cores = os.cpu_count()
    lines = [f"parse_many over {args.rows:,} rows, {cores} cores; rows a second (best of 3)", ""]
    lines.append(f"{'rows':<34} {'1 thread':>12} {'all threads':>12} {'Python loop':>12} {'to_datetime':>12}")
    columns = [("benchmark phrases, shuffled", corpus_rows(args.rows, rng)),
               ("all different", distinct_rows(args.rows, rng))]
    timed_rows = []
    for name, rows in columns:
        one = rate(lambda: kalendo.parse_many(rows, now=NOW, threads=1), len(rows))
        every = rate(lambda: kalendo.parse_many(rows, now=NOW), len(rows))
        sample = rows[:20_000]
        loop = rate(lambda: [kalendo.parse(t, now=NOW) for t in sample], len(sample), rounds=1)
        try:
            import pandas as pd

            series = pd.Series(rows)
            pandas = rate(lambda: pd.to_datetime(series, errors="coerce", format="mixed"), len(rows), 1)
        except ImportError:
            pandas = float("nan")
        timed_rows.append((one, every, loop, pandas))
    # The answer's bytes only once everything is timed: with the first column read into pyarrow
    # just before, the second column's Python loop was seen to run at half its speed.
    for (name, rows), (one, every, loop, pandas) in zip(columns, timed_rows):
        lines.append(f"{name:<34} {one:>12,.0f} {every:>12,.0f} {loop:>12,.0f} {pandas:>12,.0f}")
        lines.append(f"{'':<34} all threads / Python loop: {every / loop:.0f}x")
        try:
            fixed, texts = answer_bytes(kalendo.parse_many(rows, now=NOW))
            lines.append(f"{'':<34} answer: {fixed:.1f} B a row + {texts:.1f} B of texts a row")
        except ImportError:
            pass
    text = "\n".join(lines)
    print(f"```text\n{text}\n```" if args.markdown else text)


if __name__ == "__main__":
    main()
