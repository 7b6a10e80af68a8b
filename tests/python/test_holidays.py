"""The holiday callable: what it is asked, in which order, and how its answers and failures are read."""

import json
import sys
import time

import pytest

from kalendo import _core
from outcomes import NOW, Holidays, instant, resolve

try:
    import numpy
except ImportError:
    numpy = None

NEXT = "the next business day (skipping weekends and holidays)"
FRIDAY = "2024-06-07T10:00:00"


# --- what is asked: each Monday-to-Friday day of a walk once, in walk order -----------------------

ASKED = [
    # text, now, holidays, dates asked, resolved day
    ("next business day", FRIDAY, ("2024-06-10",), ["2024-06-10", "2024-06-11"], "2024-06-11"),
    ("last business day of the month", NOW, ("2024-06-28",), ["2024-06-28", "2024-06-27"], "2024-06-27"),
    ("3 business days", NOW, ("2024-06-07",), ["2024-06-06", "2024-06-07", "2024-06-10", "2024-06-11"], "2024-06-11"),
    # counted by the business matcher, then again by the duration reading of the same text
    ("in 3 business days", NOW, ("2024-06-07",),
     ["2024-06-06", "2024-06-07", "2024-06-10", "2024-06-11"] * 2, "2024-06-11"),
    ("in 2 business days", "2024-12-27T10:00:00", ("2025-01-01",),
     ["2024-12-30", "2024-12-31"] * 2, "2024-12-31"),
    # walks that need no business day ask nothing
    ("in 0 business days", NOW, ("2024-06-05",), [], "2024-06-05"),
    ("eom", NOW, ("2024-06-30",), [], "2024-06-30"),
    ("in 3 hours", NOW, (), [], None),
    ("next business day", "0987-06-05T10:00:00", ("0987-06-06",), ["0987-06-06", "0987-06-07"], "0987-06-07"),
]


@pytest.mark.parametrize("text, now, off, asked, day", ASKED, ids=[f"{row[0]} @{row[1][:10]}" for row in ASKED])
def test_dates_asked(text, now, off, asked, day):
    holidays = Holidays(*off)
    result = resolve(text, now=now, holidays=holidays)
    assert holidays.asked == asked
    assert all(type(d) is str for d in holidays.asked)
    if day is not None:
        assert result["when"].startswith(day + "T")


# --- answers: only a true boolean marks a holiday -------------------------------------------------


class Boom(Exception):
    pass


NEEDS_NUMPY = pytest.mark.skipif(numpy is None, reason="needs numpy")


def numpy_answer(value):
    return lambda day: numpy.bool_(value and day == "2024-06-06")


ANSWERS = [
    pytest.param(lambda day: day == "2024-06-06", "2024-06-07", id="True"),
    pytest.param(numpy_answer(True), "2024-06-07", id="numpy-True", marks=NEEDS_NUMPY),
    pytest.param(numpy_answer(False), "2024-06-06", id="numpy-False", marks=NEEDS_NUMPY),
    pytest.param(lambda day: 1, "2024-06-06", id="1"),
    pytest.param(lambda day: "yes", "2024-06-06", id="yes"),
    pytest.param(lambda day: None, "2024-06-06", id="None"),
    pytest.param(42, "2024-06-06", id="not-callable"),
    pytest.param(object(), "2024-06-06", id="object"),
]


@pytest.mark.parametrize("holidays, day", ANSWERS)
def test_answers(holidays, day):
    assert resolve("next business day", holidays=holidays) == instant(day + "T09:00:00", 0.95, NEXT)


@pytest.mark.parametrize("kind", [Boom, KeyboardInterrupt, SystemExit], ids=lambda k: k.__name__)
def test_raising_callable_counts_as_working_day(kind):
    calls = []

    def holidays(day):
        calls.append(day)
        raise kind(day)

    try:
        result = resolve("in 3 business days", holidays=holidays)
    except BaseException as error:  # a leaked KeyboardInterrupt would stop the run
        pytest.fail(f"{type(error).__name__} escaped parse_raw")
    assert sys.exc_info() == (None, None, None)
    assert result == resolve("in 3 business days")
    assert calls == ["2024-06-06", "2024-06-07", "2024-06-10"] * 2
    assert resolve("tomorrow")["when"] == "2024-06-06T09:00:00"


def test_callable_may_call_parse_raw():
    inner = []

    def holidays(day):
        inner.append(json.loads(_core.parse_raw("next business day", day + "T08:00:00", {}, (7, 0, 0), 0, False,
                                                lambda d: d == "2024-06-07"))["when"])
        return day == "2024-06-06"

    assert resolve("next business day", holidays=holidays) == instant("2024-06-07T09:00:00", 0.95, NEXT)
    # from Thursday 6 June the inner call skips its own holiday, Friday 7 June; from Friday it reaches Monday
    assert inner == ["2024-06-10T07:00:00", "2024-06-10T07:00:00"]


# --- enormous counts ------------------------------------------------------------------------------

# From Wednesday 2024-06-05 to +262142-12-31 (a Monday) there are 67861683 Monday-to-Friday days.
LAST_COUNT = 67861683
COUNTS = [
    # 9999999 = 1999999 weeks and 4 days: 1999999 weeks on, then Thursday, Friday, Monday, Tuesday
    ("in 9999999 business days", instant("+40355-02-15T09:00:00", 0.9, "9999999 business days from today")),
    (f"in {LAST_COUNT} business days",
     instant("+262142-12-31T09:00:00", 0.9, f"{LAST_COUNT} business days from today")),
    (f"{LAST_COUNT} business days",
     instant("+262142-12-31T09:00:00", 0.84999996, f"{LAST_COUNT} business days from now (distant horizon)")),
]


@pytest.mark.parametrize("text, expected", COUNTS, ids=[row[0] for row in COUNTS])
def test_enormous_count_without_callable(text, expected):
    started = time.perf_counter()
    assert resolve(text) == expected
    assert time.perf_counter() - started < 0.1  # counted, not walked day by day


@pytest.mark.parametrize("text", [
    f"in {LAST_COUNT + 1} business days", f"{LAST_COUNT + 1} business days", "in 9999999999 business days",
    "in 99999999999 business days", "99999999999 business days from now",
])
def test_count_beyond_the_calendar(text):
    holidays = Holidays()
    started = time.perf_counter()
    assert resolve(text)["kind"] == "no_parse"
    assert resolve(text, holidays=holidays)["kind"] == "no_parse"
    assert time.perf_counter() - started < 0.1  # counted, not walked day by day
    assert holidays.asked == []
