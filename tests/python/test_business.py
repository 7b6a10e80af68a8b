"""Business days counted from today, and the first or last day of a period or a quarter."""

import pytest

from outcomes import MAX, SUNDAY, Holidays, cases, days, instant, resolve, unmatched

FRIDAY, SATURDAY = "2024-06-07T10:00:00", "2024-06-08T10:00:00"
NEW_YEARS_EVE, LEAP_DAY = "2024-12-31T16:00:00", "2024-02-29T12:00:00"  # a Tuesday, a Thursday
NEXT = "the next business day (skipping weekends and holidays)"


def counted(when, n):
    return instant(when, 0.9, f"{n} business days from today")


# --- counting business days forward (Wednesday 2024-06-05 unless stated) -------------------------

COUNTS = cases(
    ("next business day", instant("2024-06-06T09:00:00", 0.95, NEXT)),
    ("next business day", {"holidays": Holidays("2024-06-06")}, instant("2024-06-07T09:00:00", 0.95, NEXT)),
    ("next working day at 7:30", instant("2024-06-06T07:30:00", 0.95, NEXT)),
    ("next business day", {"now": FRIDAY}, instant("2024-06-10T09:00:00", 0.95, NEXT)),
    ("next business day", {"now": SATURDAY}, instant("2024-06-10T09:00:00", 0.95, NEXT)),
    ("next business day", {"now": FRIDAY, "holidays": Holidays("2024-06-10")},
     instant("2024-06-11T09:00:00", 0.95, NEXT)),
    ("next business day", {"now": NEW_YEARS_EVE}, instant("2025-01-01T09:00:00", 0.95, NEXT)),
    ("next business day", {"now": NEW_YEARS_EVE, "holidays": Holidays("2025-01-01")},
     instant("2025-01-02T09:00:00", 0.95, NEXT)),
    ("next business day", {"now": LEAP_DAY}, instant("2024-03-01T09:00:00", 0.95, NEXT)),
    # a day before year 1 never counts; 1 January of year 1 is a Monday
    ("next business day", {"now": "0000-12-29T10:00:00"}, instant("0001-01-01T09:00:00", 0.95, NEXT)),
    ("in 3 business days", counted("2024-06-10T09:00:00", 3)),
    ("within 2 working days", counted("2024-06-07T09:00:00", 2)),
    ("3 business days from now", counted("2024-06-10T09:00:00", 3)),
    ("3 working days from now", {"holidays": Holidays("2024-06-07")}, counted("2024-06-11T09:00:00", 3)),
    ("in 1 business day", counted("2024-06-06T09:00:00", 1)),
    ("in 3 business days at 5pm", counted("2024-06-10T17:00:00", 3)),
    ("in 10 business days", {"holidays": Holidays(*(f"2024-06-{d}" for d in range(10, 15)))},
     counted("2024-06-26T09:00:00", 10)),
    ("in 0 business days", counted("2024-06-05T09:00:00", 0)),
    ("in 0 business days", {"holidays": Holidays("2024-06-05")}, counted("2024-06-05T09:00:00", 0)),
    ("in 0 business days", {"now": SATURDAY}, counted("2024-06-08T09:00:00", 0)),
    ("in 5 business days", {"now": FRIDAY}, counted("2024-06-14T09:00:00", 5)),
    ("in 3 business days", {"now": NEW_YEARS_EVE}, counted("2025-01-03T09:00:00", 3)),
    ("in 2 business days", {"now": LEAP_DAY}, counted("2024-03-04T09:00:00", 2)),
    # only "now" closes the "from" form
    ("3 business days from today", unmatched("3 business days from today")),
)


@pytest.mark.parametrize("text, options, expected", COUNTS)
def test_counting_business_days(text, options, expected):
    assert resolve(text, **options) == expected


# --- the first or last month of a quarter --------------------------------------------------------

ROLLED = " (this year's Q{} has passed; assuming 2025)"

QUARTER_EDGES = cases(
    ("end of q3", days("2024-09-01", "2024-09-30", 0.85, "last month of Q3")),
    ("start of q3", days("2024-07-01", "2024-07-31", 0.85, "first month of Q3")),
    ("end of Q3 at 5pm", days("2024-09-01", "2024-09-30", 0.85, "last month of Q3")),
    ("beginning of q4", days("2024-10-01", "2024-10-31", 0.85, "first month of Q4")),
    ("end of q2", days("2024-06-01", "2024-06-30", 0.85, "last month of Q2")),
    # the quarter has not ended, so April stays in 2024 although it has passed
    ("start of q2", days("2024-04-01", "2024-04-30", 0.85, "first month of Q2")),
    ("start of q1", days("2025-01-01", "2025-01-31", 0.85, "first month of Q1" + ROLLED.format(1))),
    ("end of q1", days("2025-03-01", "2025-03-31", 0.85, "last month of Q1" + ROLLED.format(1))),
    ("start of q1", {"now": "2024-03-31T23:00:00"}, days("2024-01-01", "2024-01-31", 0.85, "first month of Q1")),
    ("start of q1", {"now": "2024-04-01T00:00:00"},
     days("2025-01-01", "2025-01-31", 0.85, "first month of Q1" + ROLLED.format(1))),
    ("end of q4", {"now": NEW_YEARS_EVE}, days("2024-12-01", "2024-12-31", 0.85, "last month of Q4")),
    ("start of q3", {"now": NEW_YEARS_EVE},
     days("2025-07-01", "2025-07-31", 0.85, "first month of Q3" + ROLLED.format(3))),
    ("end of q1", {"now": LEAP_DAY}, days("2024-03-01", "2024-03-31", 0.85, "last month of Q1")),
)


@pytest.mark.parametrize("text, options, expected", QUARTER_EDGES)
def test_quarter_edge_months(text, options, expected):
    assert resolve(text, **options) == expected


# --- the first or last day of a period ----------------------------------------------------------


def edge(when, which, label, confidence=0.85):
    return instant(when, confidence, f"the {which} day of {label}")


CURRENT, AFTER, BEFORE = "the current calendar {}", "the calendar {} after this one", "the calendar {} before this one"

PERIOD_EDGES = cases(
    ("end of month", edge("2024-06-30T09:00:00", "last", CURRENT.format("month"))),
    ("eom", edge("2024-06-30T09:00:00", "last", CURRENT.format("month"))),
    ("EOM at 5pm", edge("2024-06-30T17:00:00", "last", CURRENT.format("month"))),
    ("start of month", edge("2024-06-01T09:00:00", "first", CURRENT.format("month"))),
    ("eow", edge("2024-06-09T09:00:00", "last", CURRENT.format("week"))),
    ("start of week", edge("2024-06-03T09:00:00", "first", CURRENT.format("week"))),
    ("eoq", edge("2024-06-30T09:00:00", "last", CURRENT.format("quarter"))),
    ("start of this quarter", edge("2024-04-01T09:00:00", "first", CURRENT.format("quarter"))),
    ("eoy", edge("2024-12-31T09:00:00", "last", CURRENT.format("year"))),
    ("beginning of year", edge("2024-01-01T09:00:00", "first", CURRENT.format("year"))),
    ("start of next week", edge("2024-06-10T09:00:00", "first", AFTER.format("week"))),
    ("end of last month", edge("2024-05-31T09:00:00", "last", BEFORE.format("month"))),
    ("end of next quarter", edge("2024-09-30T09:00:00", "last", AFTER.format("quarter"))),
    ("end of weekend", edge("2024-06-09T09:00:00", "last", "the current weekend (Sat-Sun)")),
    # a named month carries its own lower confidence
    ("beginning of march",
     edge("2025-03-01T09:00:00", "first", "March 2025 (this year's March has passed)", 0.75)),
    ("end of june", edge("2024-06-30T09:00:00", "last", "June of the current year", 0.75)),
    ("end of february", {"now": LEAP_DAY},
     edge("2024-02-29T09:00:00", "last", "February of the current year", 0.75)),
    # weeks starting on Sunday
    ("eow", {"week_start": 6}, edge("2024-06-08T09:00:00", "last", CURRENT.format("week"))),
    ("start of week", {"week_start": 6}, edge("2024-06-02T09:00:00", "first", CURRENT.format("week"))),
    ("start of next week", {"week_start": 6}, edge("2024-06-09T09:00:00", "first", AFTER.format("week"))),
    ("end of last week", {"week_start": 6}, edge("2024-06-01T09:00:00", "last", BEFORE.format("week"))),
    ("eow", {"now": SATURDAY, "week_start": 6}, edge("2024-06-08T09:00:00", "last", CURRENT.format("week"))),
    ("start of weekend", {"now": SUNDAY}, edge("2024-06-08T09:00:00", "first", "the current weekend (Sat-Sun)")),
    ("start of weekend", {"now": SUNDAY, "week_start": 6},
     edge("2024-06-15T09:00:00", "first", "the current weekend (Sat-Sun)")),
    # the turn of a year, a leap day
    ("eow", {"now": NEW_YEARS_EVE}, edge("2025-01-05T09:00:00", "last", CURRENT.format("week"))),
    ("eom", {"now": NEW_YEARS_EVE}, edge("2024-12-31T09:00:00", "last", CURRENT.format("month"))),
    ("start of next year", {"now": NEW_YEARS_EVE}, edge("2025-01-01T09:00:00", "first", AFTER.format("year"))),
    ("eom", {"now": LEAP_DAY}, edge("2024-02-29T09:00:00", "last", CURRENT.format("month"))),
    ("eow", {"now": LEAP_DAY}, edge("2024-03-03T09:00:00", "last", CURRENT.format("week"))),
    ("end of next month", {"now": LEAP_DAY}, edge("2024-03-31T09:00:00", "last", AFTER.format("month"))),
    # no period named
    ("end of day", unmatched("end of day")),
    ("end of", unmatched("end of")),
)


@pytest.mark.parametrize("text, options, expected", PERIOD_EDGES)
def test_period_edges(text, options, expected):
    assert resolve(text, **options) == expected


# --- the last business day of a period -----------------------------------------------------------


def last_business(when, label, confidence=0.85):
    return instant(when, confidence, f"the last business day of {label}")


LAST_BUSINESS = cases(
    # 30 June 2024 is a Sunday
    ("last business day of the month", last_business("2024-06-28T09:00:00", CURRENT.format("month"))),
    ("last business day of the month", {"holidays": Holidays("2024-06-28")},
     last_business("2024-06-27T09:00:00", CURRENT.format("month"))),
    ("last working day of this month at 4pm", last_business("2024-06-28T16:00:00", CURRENT.format("month"))),
    ("last business day of march",
     last_business("2025-03-31T09:00:00", "March 2025 (this year's March has passed)", 0.75)),
    ("last business day of august", last_business("2024-08-30T09:00:00", "August of the current year", 0.75)),
    ("last business day of february",
     last_business("2025-02-28T09:00:00", "February 2025 (this year's February has passed)", 0.75)),
    ("last business day of february", {"now": "2024-01-10T10:00:00"},
     last_business("2024-02-29T09:00:00", "February of the current year", 0.75)),
    ("last business day of next month", last_business("2024-07-31T09:00:00", AFTER.format("month"))),
    ("last business day of the week", last_business("2024-06-07T09:00:00", CURRENT.format("week"))),
    ("last business day of next week", {"week_start": 6}, last_business("2024-06-14T09:00:00", AFTER.format("week"))),
    # no day of a weekend counts, so the walk leaves the period
    ("last business day of the weekend", last_business("2024-06-07T09:00:00", "the current weekend (Sat-Sun)")),
    ("last business day of the month", {"now": LEAP_DAY},
     last_business("2024-02-29T09:00:00", CURRENT.format("month"))),
    ("last business day of the month", {"now": LEAP_DAY, "holidays": Holidays("2024-02-29")},
     last_business("2024-02-28T09:00:00", CURRENT.format("month"))),
    ("last business day of the month", {"now": NEW_YEARS_EVE, "holidays": Holidays("2024-12-31")},
     last_business("2024-12-30T09:00:00", CURRENT.format("month"))),
)


@pytest.mark.parametrize("text, options, expected", LAST_BUSINESS)
def test_last_business_day(text, options, expected):
    assert resolve(text, **options) == expected


BEYOND = [(MAX, "next business day"), (MAX, "in 1 business day"), (MAX, "eow"), (MAX, "end of next year"),
          (MAX, "end of q1"), ("0000-06-05T10:00:00", "last business day of the month")]


@pytest.mark.parametrize("now, text", BEYOND, ids=[f"{text} @{now[:7]}" for now, text in BEYOND])
def test_beyond_the_calendar_is_no_parse(now, text):
    assert resolve(text, now=now)["kind"] == "no_parse"
