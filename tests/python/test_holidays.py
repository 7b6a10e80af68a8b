"""The holiday callable: which days it is asked about, in which order, and how its answers and failures
are read (Wednesday 2024-06-05 unless a row says otherwise)."""

import json
import sys

import pytest

from kalendo import _core
from outcomes import NOW, H, answer, corpus, resolve

NEXT = "0.95 the next business day (skipping weekends and holidays)"
LAST = 67861683  # Monday-to-Friday days from 2024-06-05 to +262142-12-31, the last supported day

# (text, now, holidays, the days asked in order, the day resolved): each weekday of a walk once, in walk order
ASKED = [
    ("next business day", "2024-06-07T10:00:00", ("2024-06-10",), ["2024-06-10", "2024-06-11"], "2024-06-11"),
    ("last business day of the month", NOW, ("2024-06-28",), ["2024-06-28", "2024-06-27"], "2024-06-27"),
    ("3 business days", NOW, ("2024-06-07",), ["2024-06-06", "2024-06-07", "2024-06-10", "2024-06-11"], "2024-06-11"),
    ("3 business days ago", NOW, ("2024-06-03",), ["2024-06-04", "2024-06-03", "2024-05-31", "2024-05-30"], "2024-05-30"),
    # counted by the business matcher, then again by the duration reading of the same text
    ("in 2 business days", "2024-12-27T10:00:00", ("2025-01-01",), ["2024-12-30", "2024-12-31"] * 2, "2024-12-31"),
    ("next business day", "0987-06-05T10:00:00", ("0987-06-06",), ["0987-06-06", "0987-06-07"], "0987-06-07"),
    ("in 1 business day", "0000-06-05T10:00:00", (), ["0001-01-01"] * 2, "0001-01-01"),
    ("last business day of the month", "2024-06-30T10:00:00", ("2024-06-28",), ["2024-06-28", "2024-06-27"],
     "2024-06-27"),
    ("1 business day ago", "0001-01-02T10:00:00", ("0001-01-01",), ["0001-01-01"], None),
    # walks that need no business day, and counts past the calendar, ask nothing
    ("in 0 business days", NOW, ("2024-06-05",), [], "2024-06-05"),
    ("eom", NOW, ("2024-06-30",), [], "2024-06-30"),
    ("in 3 hours", NOW, (), [], "2024-06-05"),
    *[(text, NOW, (), [], None) for text in (f"in {LAST + 1} business days", f"{LAST + 1} business days",
                                             "in 99999999999 business days", "99999999999 business days from now")],
]


@pytest.mark.parametrize("text, now, off, asked, day", ASKED, ids=[f"{row[0]} @{row[1][:10]}" for row in ASKED])
def test_days_asked(text, now, off, asked, day):
    holidays = H(*off)
    result = resolve(text, now=now, holidays=holidays)
    assert holidays.asked == asked and all(type(d) is str for d in holidays.asked)
    assert result.get("when", "")[:10] == (day or "")


# Enormous counts are counted by weeks, not walked day by day: 9999999 is 1999999 weeks and 4 days
COUNTS = corpus(
    ("in 9999999 business days", "+40355-02-15T09:00:00 0.9 9999999 business days from today"),
    (f"in {LAST} business days", f"+262142-12-31T09:00:00 0.9 {LAST} business days from today"),
    (f"{LAST} business days", f"+262142-12-31T09:00:00 0.84999996 {LAST} business days from now (distant horizon)"),
)


@pytest.mark.parametrize("text, options, expected", COUNTS)
def test_enormous_counts(text, options, expected):
    assert resolve(text, **options) == expected


class Boom(Exception):
    pass


def numpy_answer(value):
    numpy = pytest.importorskip("numpy")
    return lambda day: numpy.bool_(value and day == "2024-06-06")


# Only a true boolean (Python's or numpy's) marks a holiday; anything else, or no callable, is a working day
ANSWERS = [(lambda: lambda day: day == "2024-06-06", "2024-06-07"), (lambda: numpy_answer(True), "2024-06-07"),
           (lambda: numpy_answer(False), "2024-06-06"), (lambda: lambda day: 1, "2024-06-06"),
           (lambda: lambda day: "yes", "2024-06-06"), (lambda: lambda day: None, "2024-06-06"),
           (lambda: 42, "2024-06-06"), (lambda: object(), "2024-06-06")]


@pytest.mark.parametrize("make, day", ANSWERS, ids=["True", "numpy-True", "numpy-False", "1", "yes", "None",
                                                     "not-callable", "object"])
def test_answers(make, day):
    assert resolve("next business day", holidays=make()) == answer(day + "T09:00:00 " + NEXT, "")


# An ordinary error counts the day as a working day; an interrupt or an exit
# ends the call instead (see test_limits.py).
def test_raising_callable_counts_as_working_day():
    calls = []

    def holidays(day):
        calls.append(day)
        raise Boom(day)

    result = resolve("in 3 business days", holidays=holidays)
    assert sys.exc_info() == (None, None, None)
    assert result == resolve("in 3 business days")
    assert calls == ["2024-06-06", "2024-06-07", "2024-06-10"] * 2


def test_callable_may_call_parse_raw():
    inner = []

    def holidays(day):
        inner.append(json.loads(_core.parse_raw("next business day", day + "T08:00:00", {}, (7, 0, 0), 0, False,
                                                lambda d: d == "2024-06-07"))["when"])
        return day == "2024-06-06"

    assert resolve("next business day", holidays=holidays)["when"] == "2024-06-07T09:00:00"
    # from Thursday 6 June the inner call skips its own holiday, Friday 7 June; from Friday it reaches Monday
    assert inner == ["2024-06-10T07:00:00", "2024-06-10T07:00:00"]
