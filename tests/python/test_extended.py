"""Bare months and quarters, weekends, a weekday of a named week, and periods next to an anchor
(Wednesday 2024-06-05, weeks from Monday, launch on Friday 2025-03-14)."""

import pytest

from outcomes import SUNDAY, amb, corpus, resolve

SATURDAY = "2024-06-08T10:00:00"
MARCH = "March 2025 (this year's March has passed)"
NEXT_WEEKEND = '"next weekend" said midweek can mean the coming weekend or the one after it'
OF_NEXT_WEEK = "0.9 the weekend of next week (Sat-Sun)"
AFTER, BEFORE = "0.9 the calendar {} after the one containing {}", "0.9 the calendar {} before the one containing {}"


def this_month(name, year, month, last):
    """A bare month said during that month: this one, or the same month a year later."""
    return amb(f'"{name.lower()}" said during {name} could mean the current month or {name} {year + 1}',
               f"{year}-{month}-01..{year}-{month}-{last} 0.6 {name} — the current month",
               f"{year + 1}-{month}-01..{year + 1}-{month}-{last} 0.55 {name} {year + 1}")


def coming_or_after(sat, sun, next_sat, next_sun):
    return amb(NEXT_WEEKEND, f"{sat}..{sun} 0.65 the coming weekend (Sat-Sun)",
               f"{next_sat}..{next_sun} 0.55 the weekend after the coming one (Sat-Sun)")


EXTENDED = corpus(
    # a bare month or quarter
    (("march", "Mar"), "2025-03-01..2025-03-31 0.7 " + MARCH),
    (("December", "dec"), "2024-12-01..2024-12-31 0.7 December of the current year"),
    (("june", "jun"), this_month("June", 2024, "06", 30)),
    ("december", {"now": "2024-12-31T23:00:00"}, this_month("December", 2024, "12", 31)),
    (("q3", "Q3"), "2024-07-01..2024-09-30 0.85 Q3 of the current year"),
    ("q1", "2025-01-01..2025-03-31 0.85 Q1 2025 (this year's Q1 has passed)"),
    ("q+2", "2024-04-01..2024-06-30 0.85 Q2 of the current year"),
    # weekends: "next weekend" said midweek is either of two
    ("this weekend", "2024-06-08..2024-06-09 0.9 the weekend of the current week (Sat-Sun)"),
    ("last weekend", "2024-06-01..2024-06-02 0.9 the weekend of the previous week (Sat-Sun)"),
    (("next weekend", "next weekends"), coming_or_after("2024-06-08", "2024-06-09", "2024-06-15", "2024-06-16")),
    ("next weekend", {"now": SATURDAY}, "2024-06-15..2024-06-16 " + OF_NEXT_WEEK),
    ("next weekend", {"now": SUNDAY}, "2024-06-15..2024-06-16 " + OF_NEXT_WEEK),
    ("next weekend", {"now": SUNDAY, "week_start": 6}, coming_or_after("2024-06-15", "2024-06-16", "2024-06-22",
     "2024-06-23")),
    ("next weekend", {"now": SATURDAY, "week_start": 6}, "2024-06-15..2024-06-16 " + OF_NEXT_WEEK),
    # a weekday of a named week
    (("friday next week", "fri next week"), "2024-06-14T09:00:00 0.95 Friday of next week"),
    ("friday last week", "2024-05-31T09:00:00 0.95 Friday of last week"),
    ("sunday last week", "2024-06-02T09:00:00 0.95 Sunday of last week"),  # the last day of that week
    ("monday this week", "2024-06-03T09:00:00 0.75 Monday of the current week (already passed this week)"),
    ("wednesday this week", "2024-06-05T09:00:00 0.85 Wednesday of the current week"),
    ("fri next week at 5pm", "2024-06-14T17:00:00 0.95 Friday of next week"),
    ("sunday next week", {"week_start": 6}, "2024-06-09T09:00:00 0.95 Sunday of next week"),
    # the period next to an anchor's
    (("the week after launch", "week after launch"), "2025-03-17..2025-03-23 " + AFTER.format("week", "2025-03-14")),
    ("week before launch", "2025-03-03..2025-03-09 " + BEFORE.format("week", "2025-03-14")),
    ("the week after launch", {"week_start": 6}, "2025-03-16..2025-03-22 " + AFTER.format("week", "2025-03-14")),
    ("the month after launch", "2025-04-01..2025-04-30 " + AFTER.format("month", "2025-03-14")),
    ("the month before launch", "2025-02-01..2025-02-28 " + BEFORE.format("month", "2025-03-14")),
    ("the month after launch", {"anchors": {"launch": "2025-01-31"}},
     "2025-02-01..2025-02-28 " + AFTER.format("month", "2025-01-31")),
    ("the month before launch", {"anchors": {"launch": "2025-01-31"}},
     "2024-12-01..2024-12-31 " + BEFORE.format("month", "2025-01-31")),
    ("the week after launch", {"anchors": {"launch": "2025-01-31"}},
     "2025-02-03..2025-02-09 " + AFTER.format("week", "2025-01-31")),
    ("the weekend after launch", "2025-03-15..2025-03-16 0.9 the first weekend (Sat-Sun) after 2025-03-14"),
    ("the weekend after launch", {"anchors": {"launch": "2025-03-15"}},
     "2025-03-22..2025-03-23 0.9 the first weekend (Sat-Sun) after 2025-03-15"),
    # the n-th weekday after an anchor
    (("2nd friday after launch", "second friday after launch"),
     "2025-03-28T09:00:00 0.9 the 2nd Friday strictly after 2025-03-14"),
    ("first friday after launch", "2025-03-21T09:00:00 0.9 the 1st Friday strictly after 2025-03-14"),
    ("3rd monday following launch", "2025-03-31T09:00:00 0.9 the 3rd Monday strictly after 2025-03-14"),
    anchors={"launch": "2025-03-14"},
)


@pytest.mark.parametrize("text, options, expected", EXTENDED)
def test_extended(text, options, expected):
    assert resolve(text, **options) == expected
