"""Corpus rows in a short form, read into the exact outcome parse_raw must answer.

A row is (texts, expected) or (texts, options, expected): texts is one text or a tuple of phrasings that
share the answer; options are keyword arguments of resolve(). The expected answer is written as
    "2024-06-07T09:00:00 0.95 next Friday, default 09:00"      an instant, its confidence, its reading
    "2024-06-10..2024-06-16 0.9 the calendar week after this"  whole days, first and last included
    "2024-06-05T14:20:10..2024-06-05T17:00:00 0.9 ..."          a range between two moments; an empty end is open
    "! June 2024 has no 5th Friday"                            no parse, with this reason
    "?"                                                        no grammar rule matched the text
or amb(reason, reading, ...) for an ambiguous answer.
"""

import json

import pytest

from kalendo import _core

NOW = "2024-06-05T14:20:10"  # a Wednesday
SUNDAY = "2024-06-09T08:00:00"
MAX = "+262142-12-31T23:59:59"  # a Monday, the last supported second
MIN = "-262143-01-01T00:00:00"  # a Thursday, the first supported second


def resolve(text, now=NOW, anchors=None, default_time=(9, 0, 0), week_start=0, next_skips_today=False,
            holidays=None):
    raw = _core.parse_raw(text, now, {} if anchors is None else anchors, default_time, week_start,
                          next_skips_today, holidays)
    return json.loads(raw)


def amb(reason, *readings):
    return ("ambiguous", reason, readings)


def answer(short, text):
    if isinstance(short, tuple):
        return {"kind": "ambiguous", "candidates": [answer(r, text) for r in short[2]], "reason": short[1]}
    if short == "?":
        short = f'! no grammar rule matched "{text}"'
    if short.startswith("! "):
        return {"kind": "no_parse", "reason": short[2:]}
    when, confidence, reading = short.split(" ", 2)
    if ".." not in when:
        return {"kind": "instant", "when": when, "confidence": float(confidence), "interpretation": reading}
    first, last = when.split("..")
    return {"kind": "range", "start": _end(first, "T00:00:00"), "end": _end(last, "T23:59:59"),
            "confidence": float(confidence), "interpretation": reading}


def _end(text, clock):
    """A range's end: a day takes the clock of its whole-day end, an empty end is open (None)."""
    return None if not text else text if "T" in text else text + clock


def corpus(*rows, **common):
    """pytest parameters (text, options, expected) for rows; common options apply to every row."""
    params = []
    for row in rows:
        texts, options, short = row if len(row) == 3 else (row[0], {}, row[1])
        for text in (texts,) if isinstance(texts, str) else texts:
            label = " ".join([repr(text)] + [f"{k}={v}" for k, v in options.items()])
            params.append(pytest.param(text, {**common, **options}, answer(short, text), id=label))
    return params


class H:
    """A holiday callable: True for the given YYYY-MM-DD dates. It records every date it is asked about."""

    def __init__(self, *dates):
        self.dates = frozenset(dates)
        self.asked = []

    def __call__(self, day):
        self.asked.append(day)
        return day in self.dates

    def __repr__(self):
        return "+".join(sorted(self.dates)) or "none"
