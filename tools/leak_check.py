#!/usr/bin/env python3
"""A short leak check for the test command: a few hundred thousand calls of parse_raw (the cycle of
bench/soak.py: phrases, hostile callables, arguments that raise) and of kalendo.parse (datetimes, date
anchors, holiday sets and callables), then the same figures as the soak run: live objects, allocated
blocks, resident memory and the reference counts of the arguments must stay flat after a warm-up, and
every call must answer as it did the first time. bench/soak.py runs the long version.

    python3 tools/leak_check.py [--calls N]
"""

import argparse
import sys
import time
from datetime import date, datetime, timedelta, timezone
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "bench"))
import soak  # noqa: E402

import kalendo  # noqa: E402

ZONE = timezone(timedelta(hours=2))
NOW = datetime(2024, 6, 5, 14, 20, 10)
ANCHORS = {"launch": date(2024, 3, 1), "Product Launch": datetime(2025, 1, 15, 8), "go-live": date(2024, 7, 1)}


def raising(day):
    raise ValueError(day)


HOLIDAYS = [None, {date(2024, 6, 7), date(2024, 6, 10)}, [date(2024, 6, 6)], lambda day: day.day % 3 == 0, raising]


def api_cases():
    """Calls of kalendo.parse, as (positional, keyword) arguments."""
    return [((text,), {"now": now, "anchors": ANCHORS, "holidays": HOLIDAYS[n % len(HOLIDAYS)]})
            for n, text in enumerate(soak.TEXTS[:19])
            for now in (NOW, NOW.replace(tzinfo=ZONE))]


def run_api(args, kwargs):
    try:
        return repr(kalendo.parse(*args, **kwargs))
    except (TypeError, ValueError) as error:
        return f"{type(error).__name__}: {error}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--calls", type=int, default=300_000, help="parse_raw calls; a third as many of parse")
    calls = parser.parse_args().calls
    cycle = [(soak.run, case) for case in soak.cases()] + [(run_api, case) for case in api_cases()] * 3
    weights = len(soak.cases()), len(api_cases()) * 3
    calls = calls + calls * weights[1] // (3 * weights[0])  # keep the share of parse at about a third
    expected = [run(*case) for run, case in cycle]
    watched = [obj for _, (args, kwargs) in cycle for obj in (*args, *kwargs.values())
               if isinstance(obj, (str, dict, tuple, list, set, datetime)) or callable(obj)]
    watched = list({id(obj): obj for obj in watched + [True, False, None]}.values())
    warmup = max(calls // 10, len(cycle))
    changed = 0

    def spin(first, last):
        nonlocal changed
        for n in range(first, last):
            run, case = cycle[n % len(cycle)]
            changed += run(*case) != expected[n % len(cycle)]

    started = time.perf_counter()
    spin(0, warmup)
    warm = soak.figures(watched)
    spin(warmup, calls)
    end = soak.figures(watched)
    growth = {key: end[key] - warm[key] for key in ("rss", "objects", "blocks")}
    drifted = [repr(obj)[:40] for obj, before, after in zip(watched, warm["refs"], end["refs"])
               if abs(after - before) > soak.REF_LIMIT]
    print(f"leak check: {calls} calls in {time.perf_counter() - started:.1f} s; after warm-up rss "
          f"{growth['rss'] / 2**10:+.0f} KiB, objects {growth['objects']:+d}, blocks {growth['blocks']:+d}, "
          f"reference counts drifted {len(drifted)} {drifted[:3]}, results changed {changed}")
    failed = (growth["rss"] > soak.RSS_LIMIT or growth["objects"] > soak.OBJECT_LIMIT
              or growth["blocks"] > soak.BLOCK_LIMIT or drifted or changed)
    print("FAIL" if failed else "ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
