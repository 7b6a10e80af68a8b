"""Builders for expected outcomes, and a short way to call parse_raw and read its JSON."""

import json

import pytest

from kalendo import _core

NOW = "2024-06-05T14:20:10"  # a Wednesday
SUNDAY = "2024-06-09T08:00:00"
MAX = "+262142-12-31T23:59:59"  # a Monday, the last supported second
MIN = "-262143-01-01T00:00:00"  # a Thursday, the first supported second


def instant(when, confidence, interpretation):
    return {"kind": "instant", "when": when, "confidence": confidence, "interpretation": interpretation}


def days(first_date, last_date, confidence, interpretation):
    """Whole days from first_date 00:00:00 to last_date 23:59:59, both included."""
    return {"kind": "range", "start": first_date + "T00:00:00", "end": last_date + "T23:59:59",
            "confidence": confidence, "interpretation": interpretation}


def ambiguous(candidates, reason):
    return {"kind": "ambiguous", "candidates": list(candidates), "reason": reason}


def no_parse(reason):
    return {"kind": "no_parse", "reason": reason}


def resolve(text, now=NOW, anchors=None, default_time=(9, 0, 0), week_start=0, next_skips_today=False,
            holidays=None):
    raw = _core.parse_raw(text, now, {} if anchors is None else anchors, default_time, week_start,
                          next_skips_today, holidays)
    return json.loads(raw)


def cases(*rows):
    """(text, expected) or (text, options, expected) rows; the id is the text plus any options."""
    params = []
    for row in rows:
        text, options, expected = row if len(row) == 3 else (row[0], {}, row[1])
        label = " ".join([text] + [f"{k}={v}" for k, v in options.items()])
        params.append(pytest.param(text, options, expected, id=label))
    return params


def unmatched(text):
    """The no-parse outcome of a text that no grammar rule recognises."""
    return no_parse(f'no grammar rule matched "{text}"')


class Holidays:
    """A holiday callable: True for the given YYYY-MM-DD dates. It records every date it is asked about."""

    def __init__(self, *dates):
        self.dates = frozenset(dates)
        self.asked = []

    def __call__(self, day):
        self.asked.append(day)
        return day in self.dates

    def __repr__(self):
        return "+".join(sorted(self.dates)) or "none"
