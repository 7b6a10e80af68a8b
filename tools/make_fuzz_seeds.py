#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets under fuzz/corpus/.

Each parse seed is the fuzz target's header (the context: Wednesday
2024-06-05 14:20:10, default time 09:00, one anchor "launch" on 2025-03-14,
and a few variations of week start, holidays and moment) followed by an
everyday phrase; the C interface's seeds carry their own header (capi_seed).
File names are content hashes, so rerunning is harmless.
"""

import hashlib
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
MIN_DAYS = -96_465_292  # -262143-01-01
MAX_DAYS = 95_026_236   # +262142-12-31

PHRASES = [
    "next friday at 5pm", "tomorrow", "today 09:05", "yesterday", "now", "noon", "17:30",
    "5 pm", "in 3 days", "in 2 hours at 5pm", "3 weeks ago", "2 hours from now",
    "in 10 years", "next week", "last month", "this quarter", "next year", "friday",
    "wednesday", "next wednesday", "last tuesday", "this sunday", "the 3rd friday of march",
    "last friday of may 2026", "2nd tuesday of next month", "5th friday of june",
    "the day after launch", "friday before launch", "3 weeks after launch",
    "2 days after the offsite", "early next week", "mid march", "late in the month",
    "sometime next week", "around q2", "next business day", "in 3 business days",
    "3 business days from now", "end of Q3", "start of next week", "eom", "eoy",
    "last business day of the month", "march", "june", "q3", "launch", "next weekend",
    "this weekend", "friday next week", "the week after launch", "the weekend after launch",
    "2nd friday after launch", "sometime early next week", "3 business days ago",
    "2 business days before launch", "first business day of next month",
    "25th business day of next month", "3 hours", "couple of hours", "half an hour",
    "half year", "5 business days", "remind me in 3 hours", "15 years", "a few days",
    "in 9999999 business days", "in 300000 years", "blorp", "", "   ", "say \"hi\"\t",
    "ΣΟΦΟΣ 3 hours", "İstanbul", "\x01" "0\x01", "cafe\u0301", "4294967296th friday of june",
]


def header(day, secs, week_start=0, predicate=0, anchors=(("launch", 20161),)):
    out = bytes([week_start, predicate])
    out += struct.pack("<I", day - MIN_DAYS)
    out += struct.pack("<I", secs)[:3]
    out += bytes([0])
    out += struct.pack("<H", 9 * 3600 // 2)
    out += bytes([len(anchors)])
    names = ["launch", "product launch", "friday", "con"]
    for name, day_of in anchors:
        out += bytes([names.index(name)])
        out += struct.pack("<I", day_of - MIN_DAYS)
    return out


CONTEXTS = [
    header(19879, 51610),
    header(19879, 51610, week_start=6, predicate=10 | (3 << 4)),
    header(19883, 36000, anchors=(("friday", 19908), ("con", 20161))),
    header(MAX_DAYS, 86399, anchors=()),
    header(MIN_DAYS, 0, predicate=15, anchors=()),
]

ISO_SEEDS = [
    "2024-06-05T14:20:10", " 2024-5-1T10:00:00.123456789999 ", "2016-12-31T23:59:60",
    "+262142-12-31T23:59:59", "-262143-01-01T00:00:00", "2024-02-30T10:00", "2024-05-01 10:00",
    "2025-03-14", " 2025 -03- 14\u3000", "+10000-01-01", "2024-13-01", "12024-01-01T00:00:00",
]


def capi_seed(text, flags=0, year=2024, month=6, day=5, hms=(14, 20, 10), nanos=None,
              default_hm=(9, 0), anchor=(b"", b""), stop_after=0):
    """The C interface target's header: flags (week start, date order, strict, next-skips-today,
    holidays), the moment as raw fields, the default time, one anchor's raw name and date text,
    the ask after which the stop function ends the call (0: never); then the text."""
    out = bytes([flags]) + struct.pack("<h", year) + bytes([month, day, *hms])
    out += bytes([0]) if nanos is None else bytes([1]) + struct.pack("<I", nanos)
    out += bytes([*default_hm, len(anchor[0])]) + anchor[0] + bytes([len(anchor[1])]) + anchor[1]
    return out + bytes([stop_after]) + text.encode()


STRICT, SKIPS, HOLIDAYS = 0x20, 0x40, 0x80
CAPI_SEEDS = [
    *(capi_seed(t) for t in ["next friday at 5pm", "tomorrow", "this week", "3/4/2025",
                             "March 14, 2025", "Q3 2025", "the 14th", "blorp", "", "now",
                             "in 3 business days", "2024-06-05T17:00", "caf\u00e9 \u03a3"]),
    *(capi_seed(t, flags=STRICT | HOLIDAYS) for t in ["next friday at 5pm", "this week",
                                                      "blorp \"x\"", "in 2 business days",
                                                      "3/4/2025"]),
    capi_seed("3/4/2025", flags=(2 << 3) | 6),
    capi_seed("in 3 business days", flags=HOLIDAYS),
    capi_seed("in 100000 business days", flags=HOLIDAYS, stop_after=50),
    capi_seed("2 days after go live", anchor=(b"Go-Live", b"2024-06-20")),
    capi_seed("2 days after 1", anchor=(b"1", b"2024-06-20")),
    capi_seed("now", year=2016, month=12, day=31, hms=(23, 59, 60), nanos=500_000_000),
    capi_seed("tomorrow", flags=STRICT | SKIPS, year=-44, month=3, day=15),
    capi_seed("x", year=2023, month=2, day=29),
    capi_seed("next wednesday", flags=SKIPS | 7, default_hm=(24, 0)),
]


def many_seed(lines, flags=0, day=19879, seconds=51610):
    """The column target's header: flags (week start, date order, threads, strict, next-skips-today),
    the day as days since 1970 plus 10000, the second of the day, a count of reserved bytes (none);
    then the texts, one a line."""
    out = bytes([flags]) + struct.pack("<I", day + 10000) + struct.pack("<I", seconds)[:3] + bytes([0])
    return out + "\n".join(lines).encode()


MANY_SEEDS = [
    many_seed(PHRASES[:30]),
    many_seed(PHRASES[30:60], flags=0x40 | 2),
    many_seed(PHRASES[60:] + ["", "3/4/2025", "14.03.2025", "in 3 business days"], flags=0x80 | (1 << 3) | 1),
    many_seed(["next friday", "", "5pm IST", "March 14", "gibberish", "caf\u00e9 \u03a3"], flags=(2 << 3) | 6),
    many_seed(["in 3 business days", "last business day of the month"], day=-10000),
]


def write(folder, data):
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()[:16]).write_bytes(data)


def main():
    for i, phrase in enumerate(PHRASES):
        write(ROOT / "fuzz/corpus/parse", CONTEXTS[i % len(CONTEXTS)] + phrase.encode())
    for text in ISO_SEEDS:
        write(ROOT / "fuzz/corpus/iso", text.encode())
    for data in CAPI_SEEDS:
        write(ROOT / "fuzz/corpus/capi", data)
    for data in MANY_SEEDS:
        write(ROOT / "fuzz/corpus/many", data)


if __name__ == "__main__":
    main()
