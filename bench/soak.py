#!/usr/bin/env python3
"""Soak test for kalendo._core.parse_raw: millions of varied calls must not grow memory or leak references.

Runs a fixed cycle of calls (phrases with and without holiday callables, hostile callables, long texts, many
anchors, and arguments that raise) and measures at the start, after a warm-up and at the end:

- resident memory (from /proc/self/statm, or the peak from getrusage where there is no /proc);
- live objects tracked by the collector (len(gc.get_objects()) after gc.collect());
- memory blocks held by the interpreter's allocator (sys.getallocatedblocks(), which also counts strings);
- reference counts of the objects passed in (a lost decref of a callable, a key or True shows there first).

Every call must also give the same result (or the same error) as the first time. Exits 1 when a figure grows
beyond noise after the warm-up, or a result changes.

    python3 bench/soak.py [--calls N]
"""

import argparse
import gc
import os
import resource
import sys
import time
import zlib

from kalendo import _core

NOW = "2024-06-05T14:20:10"
RSS_LIMIT = 2 << 20  # bytes
OBJECT_LIMIT = 1000
BLOCK_LIMIT = 1000
REF_LIMIT = 100  # a lost or extra reference per call moves a count by thousands


def rss():
    try:
        with open("/proc/self/statm") as statm:
            return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
    except OSError:
        return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024


def every_third(day):
    return zlib.crc32(day.encode()) % 3 == 0


def raising(day):
    raise ValueError(day)


def interrupting(day):
    raise KeyboardInterrupt


def not_a_bool(day):
    return [day]


def nested(day):
    return "2024-06-07" in _core.parse_raw("next business day", day + "T08:00:00", {}, (7, 0, 0), 0, False,
                                           every_third)


class Unreadable:
    def __bool__(self):
        raise RuntimeError("no truth value")


def unreadable(day):
    return Unreadable()


CALLABLES = [None, every_third, raising, interrupting, not_a_bool, nested, unreadable, 42]
try:
    import numpy
except ImportError:
    pass
else:
    CALLABLES.append(lambda day: numpy.bool_(day.endswith("7")))

ANCHORS = {"launch": "2024-03-01", " Product Launch ": "+10000-01-01", "friday": "2024-06-14", "con": "-0001-12-31"}
MANY = {f"anchor {n}": f"{2000 + n:04d}-0{1 + n % 9}-1{n % 10}" for n in range(60)}
TEXTS = ["next friday at 5pm", "in 3 business days", "3 days after launch", "2 business days after product launch",
         "last business day of the month", "the 3rd friday of march 2026", "early next week", "q3", "friday", "eom",
         "sometime after the offsite", "half an hour", "a couple of hours ago", "2nd friday after launch", "march",
         "in 300000 years", "blorp", "", "second \x01 \x010\x01 \x0199\x01", "anchor 7",
         "the weekend after anchor 42", "Σ\u0301 \u2014 \x00", "mid-march!", "5 pm", "next week " * 300]
# Counts that a callable would be asked about day by day (tens of millions of times): only without one.
UNCOUNTED = ["in 67861683 business days", "9999999 business days ago", "in 99999999999 business days"]
NOWS = [NOW, "+262142-12-31T23:59:60.999", "-262143-01-01T00:00:00", " 2024-2-29T0:0:0 "]


def cases():
    """(positional arguments, keyword arguments) of every call in the cycle."""
    good = [((text, now, anchors, (9, 0, 0), week_start, skip, holidays), {})
            for n, text in enumerate(TEXTS)
            for now, anchors, week_start, skip in [(NOW, ANCHORS, 0, False), (NOWS[n % 4], MANY, n % 7, True)]
            for holidays in CALLABLES[n % 3::3]]
    good += [((text, now, ANCHORS, (9, 0, 0), 0, False), {}) for text in UNCOUNTED for now in NOWS]
    keyword = [((), dict(text=text, now=NOW, anchors=ANCHORS, default_time=(8, 30, 0), week_start=6,
                         next_skips_today=True, holidays=every_third)) for text in TEXTS[:6]]
    ok = ("x", NOW, {}, (9, 0, 0), 0, False)
    bad = [ok[:1] + changed + ok[1 + len(changed):] for changed in [
        (5,), ("x\ud800",), ("2024-06-05 10:00",), ("+300000-01-01T00:00:00Z",), (NOW, []), (NOW, {"a": 1}),
        (NOW, {"launch": "2024-13-01", "b": "2024-01-01"}), (NOW, {"k\ud800": "2024-01-01"}), (NOW, {}, (9, 0)),
        (NOW, {}, (9, 0, -1)), (NOW, {}, (2 ** 70, 0, 0)), (NOW, {}, (24, 0, 0)), (NOW, {}, (9, 0, 0), 7),
        (NOW, {}, (9, 0, 0), 256), (NOW, {}, (9, 0, 0), 1.5), (NOW, {}, (9, 0, 0), 0, 1)]]
    calls = [(args, {}) for args in bad] + [(ok[:5], {}), (ok, {"holidays": None, "text": "y"}), (ok, {"foo": 1})]
    return good + keyword + calls


def run(args, kwargs):
    try:
        return _core.parse_raw(*args, **kwargs)
    except (TypeError, ValueError, OverflowError, UnicodeEncodeError, KeyboardInterrupt) as error:
        return f"{type(error).__name__}: {error}"


def figures(watched):
    gc.collect()
    return {"rss": rss(), "objects": len(gc.get_objects()), "blocks": sys.getallocatedblocks(),
            "refs": [sys.getrefcount(obj) for obj in watched]}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--calls", type=int, default=3_000_000, help="number of calls (default: %(default)s)")
    calls = parser.parse_args().calls

    cycle = cases()
    expected = [run(args, kwargs) for args, kwargs in cycle]
    watched = [obj for args, kwargs in cycle for obj in (*args, *kwargs.values())
               if isinstance(obj, (str, dict, tuple)) or callable(obj)]
    watched = list({id(obj): obj for obj in watched + [True, False, None]}.values())
    warmup = max(calls // 10, len(cycle))
    changed = 0

    def spin(first, last):
        nonlocal changed
        for n in range(first, last):
            index = n % len(cycle)
            if run(*cycle[index]) != expected[index]:
                changed += 1

    started = time.perf_counter()
    points = [("start", figures(watched))]
    spin(0, warmup)
    points.append(("after warm-up", figures(watched)))
    spin(warmup, calls)
    points.append(("end", figures(watched)))
    elapsed = time.perf_counter() - started

    print(f"{calls} calls over a cycle of {len(cycle)} in {elapsed:.1f} s ({calls / elapsed:,.0f} calls/s)")
    for name, point in points:
        print(f"  {name:14} rss {point['rss'] / 2**20:8.2f} MiB   objects {point['objects']:8d}   "
              f"blocks {point['blocks']:8d}")
    warm, end = points[1][1], points[2][1]
    growth = {"rss": end["rss"] - warm["rss"], "objects": end["objects"] - warm["objects"],
              "blocks": end["blocks"] - warm["blocks"]}
    drifted = [(repr(obj)[:40], before, after) for obj, before, after in zip(watched, warm["refs"], end["refs"])
               if abs(after - before) > REF_LIMIT]
    print(f"  growth after warm-up: rss {growth['rss'] / 2**10:+.0f} KiB, objects {growth['objects']:+d}, "
          f"blocks {growth['blocks']:+d}; reference counts changed: {len(drifted)}; results changed: {changed}")
    for name, before, after in drifted:
        print(f"    refcount of {name}: {before} -> {after}")
    failed = (growth["rss"] > RSS_LIMIT or growth["objects"] > OBJECT_LIMIT or growth["blocks"] > BLOCK_LIMIT
              or drifted or changed)
    print("FAIL" if failed else "ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
