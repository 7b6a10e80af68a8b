"""A weekday picked by its rank in a month: "the 3rd friday of march", "last friday of may 2026"."""

import pytest

from outcomes import MAX, cases, instant, no_parse, resolve, unmatched

NEW_YEARS_EVE, LEAP_DAY = "2024-12-31T16:00:00", "2024-02-29T12:00:00"


def ranked(when, label, confidence=0.85):
    return instant(when, confidence, "the " + label)


def rolled(year):
    return f" (this year's has passed; assuming {year})"


# Wednesday 2024-06-05, default time 09:00
SHAPES = cases(
    # rank of a month, no year: this year's unless it has passed
    ("the 3rd friday of march", ranked("2025-03-21T09:00:00", "3rd Friday of March 2025" + rolled(2025))),
    ("2nd friday of june", ranked("2024-06-14T09:00:00", "2nd Friday of June 2024")),
    ("2th friday of june", ranked("2024-06-14T09:00:00", "2nd Friday of June 2024")),
    ("first wednesday of june", ranked("2024-06-05T09:00:00", "1st Wednesday of June 2024")),
    ("1st tuesday of june", ranked("2025-06-03T09:00:00", "1st Tuesday of June 2025" + rolled(2025))),
    ("fourth thursday of november", ranked("2024-11-28T09:00:00", "4th Thursday of November 2024")),
    ("5th saturday of march", ranked("2025-03-29T09:00:00", "5th Saturday of March 2025" + rolled(2025))),
    ("3rd friday of march at 5pm", ranked("2025-03-21T17:00:00", "3rd Friday of March 2025" + rolled(2025))),
    ("5th thursday of february", {"now": LEAP_DAY}, ranked("2024-02-29T09:00:00", "5th Thursday of February 2024")),
    # rank of a month of a given year: kept even when past
    ("3rd friday of march 2024", ranked("2024-03-15T09:00:00", "3rd Friday of March 2024", 0.9)),
    ("3rd friday of march 2026", ranked("2026-03-20T09:00:00", "3rd Friday of March 2026", 0.9)),
    ("1st monday of january 1", ranked("0001-01-01T09:00:00", "1st Monday of January 1", 0.9)),
    # the last weekday of a month
    ("last friday of may", ranked("2025-05-30T09:00:00", "last Friday of May 2025" + rolled(2025))),
    ("last friday of june", ranked("2024-06-28T09:00:00", "last Friday of June 2024")),
    ("last wednesday of june", {"now": "2024-06-26T18:00:00"},
     ranked("2024-06-26T09:00:00", "last Wednesday of June 2024")),
    ("last friday of december", {"now": NEW_YEARS_EVE},
     ranked("2025-12-26T09:00:00", "last Friday of December 2025" + rolled(2025))),
    ("last friday of may 2026", ranked("2026-05-29T09:00:00", "last Friday of May 2026", 0.9)),
    ("last friday of may 2024", ranked("2024-05-31T09:00:00", "last Friday of May 2024", 0.9)),
    ("last thursday of february 2024", ranked("2024-02-29T09:00:00", "last Thursday of February 2024", 0.9)),
    # this month or next month: never rolled over
    ("2nd tuesday of next month", ranked("2024-07-09T09:00:00", "2nd Tuesday of next month (July 2024)")),
    ("1st monday of this month", ranked("2024-06-03T09:00:00", "1st Monday of the current month (June 2024)")),
    ("5th sunday of this month", ranked("2024-06-30T09:00:00", "5th Sunday of the current month (June 2024)")),
    ("1st friday of next month", {"now": NEW_YEARS_EVE},
     ranked("2025-01-03T09:00:00", "1st Friday of next month (January 2025)")),
    ("5th thursday of this month", {"now": LEAP_DAY},
     ranked("2024-02-29T09:00:00", "5th Thursday of the current month (February 2024)")),
)


@pytest.mark.parametrize("text, options, expected", SHAPES)
def test_ranked_weekdays(text, options, expected):
    assert resolve(text, **options) == expected


MISSING = cases(
    # this year's month lacks the day: no roll-over is tried
    ("5th friday of june", no_parse("June 2024 has no 5th Friday")),
    ("0th friday of july", no_parse("July 2024 has no 0th Friday")),
    # this year's has passed and next year's month lacks it
    ("5th friday of march", no_parse("March 2025 has no 5th Friday")),
    ("5th thursday of february", {"now": "2024-03-01T08:00:00"}, no_parse("February 2025 has no 5th Thursday")),
    ("5th friday of march 2025", no_parse("March 2025 has no 5th Friday")),
    ("5th friday of next month", no_parse("July 2024 has no 5th Friday")),
    # a year that cannot be built keeps the year as written
    ("3rd friday of march 300000", no_parse("March 300000 has no 3rd Friday")),
    ("3rd friday of march 9999999999", no_parse("March 9999999999 has no 3rd Friday")),
    ("1st monday of january", {"now": MAX}, no_parse("January 262143 has no 1st Monday")),
    # the ordinal labels
    ("11th friday of june", no_parse("June 2024 has no 11th Friday")),
    ("12th friday of june", no_parse("June 2024 has no 12th Friday")),
    ("13th friday of june", no_parse("June 2024 has no 13th Friday")),
    ("21st friday of june", no_parse("June 2024 has no 21st Friday")),
    ("22nd friday of june", no_parse("June 2024 has no 22nd Friday")),
    ("23rd friday of june", no_parse("June 2024 has no 23rd Friday")),
    ("101st friday of june", no_parse("June 2024 has no 101st Friday")),
    ("111th friday of june", no_parse("June 2024 has no 111th Friday")),
    ("4294967295th sunday of june", no_parse("June 2024 has no 4294967295th Sunday")),
)


@pytest.mark.parametrize("text, options, expected", MISSING)
def test_days_the_month_lacks(text, options, expected):
    assert resolve(text, **options) == expected


NOT_RANKED = cases(
    ("last friday of may 300000", unmatched("last friday of may 300000")),
    ("last monday of january", {"now": MAX}, unmatched("last monday of january")),
    ("3rd friday of last month", unmatched("3rd friday of last month")),
    ("last friday of next month", unmatched("last friday of next month")),
    ("3rd friday of next week", unmatched("3rd friday of next week")),
    ("3rd friday of this year", unmatched("3rd friday of this year")),
    ("3rd friday march", unmatched("3rd friday march")),
    ("3rd friday in march", unmatched("3rd friday in march")),
    ("the 3rd friday", unmatched("the 3rd friday")),
    ("4294967296th friday of june", unmatched("4294967296th friday of june")),
)


@pytest.mark.parametrize("text, options, expected", NOT_RANKED)
def test_not_a_ranked_weekday(text, options, expected):
    assert resolve(text, **options) == expected
