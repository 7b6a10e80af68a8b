"""Early, middle and late thirds of a period, and a period said vaguely as a whole."""

import pytest

from outcomes import SUNDAY, cases, days, resolve, unmatched

SATURDAY = "2024-06-08T10:00:00"
NEXT_WEEK, THIS_WEEK = "the calendar week after this one", "the current calendar week"
THIS_MONTH, THIS_YEAR = "the current calendar month", "the current calendar year"
MARCH = "March 2025 (this year's March has passed)"


def early(first, last, label):
    return days(first, last, 0.75, "the early part of " + label)


def mid(first, last, label):
    return days(first, last, 0.75, "the middle part of " + label)


def late(first, last, label):
    return days(first, last, 0.75, "the late part of " + label)


# Wednesday 2024-06-05, weeks from Monday, unless the options say otherwise.
THIRDS = cases(
    # a week of 7 days: 2 + 2 + 3
    ("early next week", early("2024-06-10", "2024-06-11", NEXT_WEEK)),
    ("mid next week", mid("2024-06-12", "2024-06-13", NEXT_WEEK)),
    ("late next week", late("2024-06-14", "2024-06-16", NEXT_WEEK)),
    # 30-day June (not yet over), 31-day March (of next year), 28-day and 29-day February
    ("early june", early("2024-06-01", "2024-06-10", "June of the current year")),
    ("mid june", mid("2024-06-11", "2024-06-20", "June of the current year")),
    ("late june", late("2024-06-21", "2024-06-30", "June of the current year")),
    ("late in the month", late("2024-06-21", "2024-06-30", THIS_MONTH)),
    ("mid month", mid("2024-06-11", "2024-06-20", THIS_MONTH)),
    ("early march", early("2025-03-01", "2025-03-10", MARCH)),
    ("mid-march", mid("2025-03-11", "2025-03-20", MARCH)),
    ("late in march", late("2025-03-21", "2025-03-31", MARCH)),
    ("early feb", early("2025-02-01", "2025-02-09", "February 2025 (this year's February has passed)")),
    ("mid feb", mid("2025-02-10", "2025-02-18", "February 2025 (this year's February has passed)")),
    ("late feb", late("2025-02-19", "2025-02-28", "February 2025 (this year's February has passed)")),
    ("mid february", {"now": "2024-01-10T10:00:00"}, mid("2024-02-10", "2024-02-19", "February of the current year")),
    ("late february", {"now": "2024-01-10T10:00:00"}, late("2024-02-20", "2024-02-29", "February of the current year")),
    # 366 days of 2024: 122 + 122 + 122; 365 days of 2025: 121 + 122 + 122
    ("early this year", early("2024-01-01", "2024-05-01", THIS_YEAR)),
    ("mid this year", mid("2024-05-02", "2024-08-31", THIS_YEAR)),
    ("late this year", late("2024-09-01", "2024-12-31", THIS_YEAR)),
    ("early next year", early("2025-01-01", "2025-05-01", "the calendar year after this one")),
    ("mid next year", mid("2025-05-02", "2025-08-31", "the calendar year after this one")),
    # quarters of 91 and 92 days
    ("early this quarter", early("2024-04-01", "2024-04-30", "the current calendar quarter")),
    ("late in q4", late("2024-12-01", "2024-12-31", "Q4 of the current year")),
    # a weekend of two days: early and mid are both the Saturday
    ("early weekend", early("2024-06-08", "2024-06-08", "the current weekend (Sat-Sun)")),
    ("mid weekend", mid("2024-06-08", "2024-06-08", "the current weekend (Sat-Sun)")),
    ("late weekend", late("2024-06-09", "2024-06-09", "the current weekend (Sat-Sun)")),
    ("early next weekend", early("2024-06-15", "2024-06-15", "the weekend (Sat-Sun) after this one")),
    # weeks from Sunday: on Sunday 9 June the week is 9..15 June
    ("early this week", {"now": SUNDAY, "week_start": 6}, early("2024-06-09", "2024-06-10", THIS_WEEK)),
    ("late this week", {"now": SUNDAY, "week_start": 6}, late("2024-06-13", "2024-06-15", THIS_WEEK)),
)


@pytest.mark.parametrize("text, options, expected", THIRDS)
def test_thirds_of_a_period(text, options, expected):
    assert resolve(text, **options) == expected


# The whole period: the period's own confidence, capped at 0.8.
WHOLE = cases(
    ("sometime next week", days("2024-06-10", "2024-06-16", 0.8, NEXT_WEEK)),
    ("somewhere this month", days("2024-06-01", "2024-06-30", 0.8, THIS_MONTH)),
    ("around next year", days("2025-01-01", "2025-12-31", 0.8, "the calendar year after this one")),
    ("around march", days("2025-03-01", "2025-03-31", 0.75, MARCH)),
    ("sometime in june", days("2024-06-01", "2024-06-30", 0.75, "June of the current year")),
    ("around q2", days("2024-04-01", "2024-06-30", 0.8, "Q2 of the current year")),
    ("around q03", days("2024-07-01", "2024-09-30", 0.8, "Q3 of the current year")),
    ("around q1", days("2025-01-01", "2025-03-31", 0.8, "Q1 2025 (this year's Q1 has passed)")),
    ("around weekend", days("2024-06-08", "2024-06-09", 0.8, "the current weekend (Sat-Sun)")),
    # weekends with weeks from Sunday, said on a Saturday and on a Sunday
    ("sometime this weekend", {"now": SATURDAY, "week_start": 6},
     days("2024-06-08", "2024-06-09", 0.8, "the current weekend (Sat-Sun)")),
    ("around next weekend", {"now": SATURDAY, "week_start": 6},
     days("2024-06-15", "2024-06-16", 0.8, "the weekend (Sat-Sun) after this one")),
    ("sometime this weekend", {"now": SUNDAY, "week_start": 6},
     days("2024-06-15", "2024-06-16", 0.8, "the current weekend (Sat-Sun)")),
    ("sometime last weekend", {"now": SUNDAY, "week_start": 6},
     days("2024-06-08", "2024-06-09", 0.8, "the weekend (Sat-Sun) before this one")),
    ("sometime this weekend", {"now": SUNDAY}, days("2024-06-08", "2024-06-09", 0.8, "the current weekend (Sat-Sun)")),
)


@pytest.mark.parametrize("text, options, expected", WHOLE)
def test_whole_period(text, options, expected):
    assert resolve(text, **options) == expected


@pytest.mark.parametrize("text", ["early", "sometime", "early friday", "around tomorrow", "late 2025",
                                  "middle of next week", "mid next day", "early in", "around next week please"])
def test_not_resolved(text):
    assert resolve(text) == unmatched(text)
