"""Inputs at the limits: the ends of the calendar, anchors by the hundred thousand, texts and names
of megabytes, hostile holiday callables, signals, and sub-interpreters."""

import json
import subprocess
import sys
import textwrap

import pytest

from kalendo import _core

WEEKDAYS = ("monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday")


def resolve(text, now="2024-06-05T10:00:00", anchors=None, week_start=0, holidays=None):
    raw = _core.parse_raw(text, now, {} if anchors is None else anchors, (9, 0, 0), week_start, True,
                          holidays)
    return json.loads(raw)


def spans(outcome):
    """The dates each reading covers: (day,) for an instant, (first, last) for a range."""
    readings = outcome["candidates"] if outcome["kind"] == "ambiguous" else [outcome]
    if outcome["kind"] == "no_parse":
        return None
    return [(r["when"][:-9],) if r["kind"] == "instant" else (r["start"][:-9], r["end"][:-9])
            for r in readings]


# The two partial weeks of the calendar: days are counted from an end of the range, which falls on
# `weekday`; `name(offset)` writes a day, or None for a day outside the range.
ENDS = {
    "last": (0, lambda o: f"+262142-12-{31 + o:02d}" if o <= 0 else None, range(-13, 1)),
    "first": (3, lambda o: f"-262143-01-{1 + o:02d}" if o >= 0 else None, range(0, 14)),
}


def week_phrases(today, weekday, week_start):
    """Every week-based phrase said on day `today`, with the days each of its readings names."""
    first = today - (weekday - week_start) % 7  # the first day of the current week
    saturday = first + (5 - week_start) % 7
    for shift, word in ((-1, "last"), (0, "this"), (1, "next")):
        start = first + 7 * shift
        yield f"{word} week", [(start, start + 6)]
        yield f"{word} weekend", [(saturday + 7 * shift, saturday + 7 * shift + 1)]
        for w, name in enumerate(WEEKDAYS):
            yield f"{name} {word} week", [(start + (w - week_start) % 7,)]
    if today < saturday:  # said before Saturday, "next weekend" may mean either
        yield "next weekend", [(saturday, saturday + 1), (saturday + 7, saturday + 8)]
    for w, name in enumerate(WEEKDAYS):
        yield f"this {name}", [(first + (w - week_start) % 7,)]
        yield f"next {name}", [(today + (w - weekday - 1) % 7 + 1,)]
        yield f"last {name}", [(today - (weekday - w - 1) % 7 - 1,)]


@pytest.mark.parametrize("end", ENDS)
def test_partial_weeks_resolve_iff_every_named_day_exists(end):
    base_weekday, name, offsets = ENDS[end]
    wrong = []
    for today in offsets:
        for week_start in range(7):
            for text, readings in week_phrases(today, (base_weekday + today) % 7, week_start):
                if text == "next weekend" and len(readings) == 1:
                    continue  # said on the weekend: the same as "weekend" one week on
                days = [tuple(name(d) for d in reading) for reading in readings]
                want = days if all(all(reading) for reading in days) else None
                got = spans(resolve(text, name(today) + "T10:00:00", week_start=week_start))
                if got != want:
                    wrong.append((name(today), week_start, text, want, got))
    assert wrong == []


# Anchors.

def test_python_code_run_while_converting_may_clear_or_change_the_anchors():
    anchors = {"launch": "2025-03-14"}
    for change in [anchors.clear, lambda: anchors.update({f"k{i}": "2000-01-01" for i in range(999)}),
                   lambda: anchors.__setitem__("launch", "1999-01-01")]:
        anchors.clear()
        anchors["launch"] = "2025-03-14"
        hour = type("Hour", (), {"__index__": lambda self, change=change: change() or 9})()
        raw = _core.parse_raw("the day after launch", "2024-06-05T10:00:00", anchors, (hour, 0, 0), 0, True)
        assert json.loads(raw)["when"] == "2025-03-15T09:00:00"


def test_equal_names_keep_the_first_place_and_the_last_date_among_many():
    # A few entries are compared pairwise; many are sorted (each was compared with every earlier
    # one: 8 s a call for 100,000).
    for filler in (3, 100_000):
        anchors = {"Launch": "2025-01-01", **{f"name {i}": "2000-01-01" for i in range(filler)},
                   " LAUNCH ": "2025-03-14", "launch": "2025-06-30", "Go Live": "2025-02-02"}
        assert resolve("2 days after launch", anchors=anchors)["when"] == "2025-07-02T09:00:00"
        assert resolve("go live", anchors=anchors)["when"] == "2025-02-02T09:00:00"
        assert resolve(f"name {filler - 1}", anchors=anchors)["when"] == "2000-01-01T09:00:00"


# Long names whose start repeats inside them: the search must fall back within a partial match.
LONG_NAMES = [
    ("the the the the the launch", "the day after the the the the the the launch", "2025-03-15"),
    ("ab ab ab ab ab ab ab ac", "the day after ab ab ab ab ab ab ab ab ac", None),
    ("ab ab ab ab ab ab ab ac", "the day after ab ab ab ab ab ab ab ac", "2025-03-15"),
    ("aaaaaaaaaaaaaaaaaaaab", "friday before aaaaaaaaaaaaaaaaaaaab", "2025-03-07"),
    ("aaaaaaaaaaaaaaaaaaaab", "friday before aaaaaaaaaaaaaaaaaaaaab", None),
]


# Every position of a long text began a near match of a long name: the search took O(text x name).
LONG = "a" * 300_000 + "b"
LONG_NAMES += [(LONG, " ".join(["a" * 300_000] * 10) + " 2 days after " + LONG, None),
               (LONG, "2 days after " + LONG, "2025-03-16")]


@pytest.mark.parametrize("name, text, day", LONG_NAMES, ids=range(len(LONG_NAMES)))
def test_long_names_are_found_after_partial_matches(name, text, day):
    outcome = resolve(text, anchors={name: "2025-03-14"})
    assert (outcome["when"][:10] if "when" in outcome else None) == day


def nesting(entries, width):
    """Names "1".."7" at indices 22, 33 .. 88 (or 222 .. 888): each marker holds the next name
    twice (or three times), so every round of replacement multiplies the text."""
    names = [f"name {i}" for i in range(entries)]
    for digit in range(1, 9):
        names[int(str(digit + 1) * width) if digit < 8 else entries - 1] = str(digit)
    return dict.fromkeys(names, "2025-01-01")


# 13 MB of text and 300 MB in all for the first; the second ran out of memory.
@pytest.mark.parametrize("entries, width", [(100, 2), (1000, 3)])
def test_names_nesting_inside_markers_are_refused(entries, width):
    with pytest.raises(ValueError, match="markers of other anchor names"):
        resolve("1" * 10_000, anchors=nesting(entries, width))


def test_names_that_begin_with_a_digit_still_work_when_they_do_not_nest():
    anchors = {"1st release": "2025-03-14", "2nd release": "2025-06-01", "3": "2025-01-01"}
    assert resolve("the day after 2nd release", anchors=anchors)["when"] == "2025-06-02T09:00:00"
    assert resolve("3", anchors=anchors)["when"] == "2025-01-01T09:00:00"


# Sub-interpreters.

SUBINTERPRETERS = textwrap.dedent("""
    import os, sys
    try:
        import _interpreters as subs
    except ImportError:
        import _xxsubinterpreters as subs
    read, write = os.pipe()
    script = '''
    import os
    try:
        import kalendo._core as core
    except ImportError:
        answer = "refused"
    else:
        answer = "live" if callable(getattr(core, "parse_raw", None)) else "dead"
    os.write(%d, answer.encode() + b" ")
    ''' % write
    for _ in range(6):
        interpreter = subs.create()
        (getattr(subs, "run_string", None) or subs.exec)(interpreter, script)
        subs.destroy(interpreter)
    os.close(write)
    print(os.read(read, 1000).decode().strip())
""")


def test_a_later_interpreter_is_refused_even_at_a_reused_address():
    pytest.importorskip("_xxsubinterpreters" if sys.version_info < (3, 13) else "_interpreters")
    done = subprocess.run([sys.executable, "-c", SUBINTERPRETERS], capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["live"] + ["refused"] * 5


# Holiday callables that stretch a walk, and calls that must end at once.

class Counting:
    def __init__(self, answer):
        self.answer, self.asks = answer, 0

    def __call__(self, day):
        self.asks += 1
        return self.answer


TOO_MANY_ASKS = [
    ("next business day", True),  # every day a holiday: the walk never ends in the calendar
    ("in 67000000 business days", False),
    ("30000000 business days before far", False),
]


@pytest.mark.parametrize("text, answer", TOO_MANY_ASKS)
def test_a_holiday_calendar_is_asked_about_at_most_a_million_days(text, answer):
    holidays = Counting(answer)
    outcome = resolve(text, anchors={"far": "+200000-01-01"}, holidays=holidays)
    assert outcome["kind"] == "no_parse"
    assert "holiday calendar would be asked about more than 1000000 days" in outcome["reason"]
    assert holidays.asks <= 2_000_000


@pytest.mark.parametrize("error", [KeyboardInterrupt, SystemExit])
def test_an_interrupt_or_exit_from_the_callable_ends_the_call(error):
    holidays = Counting(False)

    def raising(day):
        holidays(day)
        raise error

    with pytest.raises(error):
        resolve("in 5 business days", holidays=raising)
    assert holidays.asks == 1


def test_a_signal_during_a_long_walk_raises_keyboard_interrupt():
    signal = pytest.importorskip("signal")
    if not hasattr(signal, "setitimer"):
        pytest.skip("no interval timer here")
    # A callable written in C runs no Python code, so only the walk itself can notice the signal;
    # list.append answers None (a working day) and keeps every day it was asked about.
    asked: list[str] = []
    previous = signal.signal(signal.SIGALRM, signal.default_int_handler)
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.005)
        with pytest.raises(KeyboardInterrupt):
            resolve("in 67000000 business days", holidays=asked.append)
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
    assert 0 < len(asked) < 500_000  # the walk ended at the signal, not at the cap
