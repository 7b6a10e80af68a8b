"""Business days counted from today or from an anchor, business days of a period, and the first or last
day or month of a period (Wednesday 2024-06-05, launch on Friday 2025-03-14). H(...) names holidays."""

import pytest

from outcomes import SUNDAY, H, corpus, resolve

FRIDAY, SATURDAY = "2024-06-07T10:00:00", "2024-06-08T10:00:00"
EVE, LEAP_DAY = "2024-12-31T16:00:00", "2024-02-29T12:00:00"  # a Tuesday, a Thursday
NEXT = "0.95 the next business day (skipping weekends and holidays)"
MONTH, NEXT_MONTH = "the current calendar month", "the calendar month after this one"
WEEK, LAST_OF = "the current calendar week", "0.85 the last business day of "
ROLLED = " (this year's Q{} has passed; assuming 2025)"

BUSINESS = corpus(
    # the next business day skips weekends and holidays; a day before year 1 never counts
    (("next business day", "next working day", "Next Business Day"), "2024-06-06T09:00:00 " + NEXT),
    ("next business day", {"holidays": H("2024-06-06")}, "2024-06-07T09:00:00 " + NEXT),
    ("next working day at 7:30", "2024-06-06T07:30:00 " + NEXT),
    ("next business day", {"now": FRIDAY}, "2024-06-10T09:00:00 " + NEXT),
    ("next business day", {"now": SATURDAY}, "2024-06-10T09:00:00 " + NEXT),
    ("next business day", {"now": FRIDAY, "holidays": H("2024-06-10")}, "2024-06-11T09:00:00 " + NEXT),
    ("next business day", {"now": EVE, "holidays": H("2025-01-01")}, "2025-01-02T09:00:00 " + NEXT),
    ("next business day", {"now": LEAP_DAY}, "2024-03-01T09:00:00 " + NEXT),
    ("next business day", {"now": "0000-12-29T10:00:00"}, "0001-01-01T09:00:00 " + NEXT),
    # counted forward from today; only "now" closes the "from" form
    (("in 3 business days", "3 business days from now", "in three working days"),
     "2024-06-10T09:00:00 0.9 3 business days from today"),
    ("within 2 working days", "2024-06-07T09:00:00 0.9 2 business days from today"),
    ("3 working days from now", {"holidays": H("2024-06-07")}, "2024-06-11T09:00:00 0.9 3 business days from today"),
    ("in 1 business day", "2024-06-06T09:00:00 0.9 1 business days from today"),
    ("in 3 business days at 5pm", "2024-06-10T17:00:00 0.9 3 business days from today"),
    ("in 10 business days", {"holidays": H(*(f"2024-06-{d}" for d in range(10, 15)))},
     "2024-06-26T09:00:00 0.9 10 business days from today"),
    ("in 0 business days", {"holidays": H("2024-06-05")}, "2024-06-05T09:00:00 0.9 0 business days from today"),
    ("in 0 business days", {"now": SATURDAY}, "2024-06-08T09:00:00 0.9 0 business days from today"),
    ("in 5 business days", {"now": FRIDAY}, "2024-06-14T09:00:00 0.9 5 business days from today"),
    ("in 3 business days", {"now": EVE}, "2025-01-03T09:00:00 0.9 3 business days from today"),
    ("in 2 business days", {"now": LEAP_DAY}, "2024-03-04T09:00:00 0.9 2 business days from today"),
    ("3 business days from today", "?"),
    # counted back from today, and from an anchor; a walk that leaves the calendar does not resolve
    (("3 business days ago", "3 working days ago"), "2024-05-31T09:00:00 0.9 3 business days before today"),
    ("3 working days ago", {"holidays": H("2024-06-03")}, "2024-05-30T09:00:00 0.9 3 business days before today"),
    ("1 business day ago", "2024-06-04T09:00:00 0.9 1 business days before today"),
    ("0 business days ago", {"holidays": H("2024-06-05")}, "2024-06-05T09:00:00 0.9 0 business days before today"),
    ("1 business day ago", {"now": "0001-01-02T10:00:00"}, "0001-01-01T09:00:00 0.9 1 business days before today"),
    ("1 business day ago", {"now": "0001-01-02T10:00:00", "holidays": H("0001-01-01")}, "?"),
    ("2 business days after launch", "2025-03-18T09:00:00 0.9 2 business days after 2025-03-14"),
    ("2 business days after launch", {"holidays": H("2025-03-17")},
     "2025-03-19T09:00:00 0.9 2 business days after 2025-03-14"),
    ("2 business days before launch", "2025-03-12T09:00:00 0.9 2 business days before 2025-03-14"),
    # the n-th business day of a period; 1 June 2024 is a Saturday, July 2024 has 23 business days
    (("first business day of next month", "1st working day of next month"),
     "2024-07-01T09:00:00 0.85 the 1st business day of " + NEXT_MONTH),
    ("first business day of next month", {"holidays": H("2024-07-01")},
     "2024-07-02T09:00:00 0.85 the 1st business day of " + NEXT_MONTH),
    ("first business day of next month at 8am", "2024-07-01T08:00:00 0.85 the 1st business day of " + NEXT_MONTH),
    ("3rd business day of next month", "2024-07-03T09:00:00 0.85 the 3rd business day of " + NEXT_MONTH),
    ("23rd business day of next month", "2024-07-31T09:00:00 0.85 the 23rd business day of " + NEXT_MONTH),
    ("first business day of the month", "2024-06-03T09:00:00 0.85 the 1st business day of the current calendar month"),
    ("first business day of march",
     "2025-03-03T09:00:00 0.75 the 1st business day of March 2025 (this year's March has passed)"),
    ("2nd working day of q3", "2024-07-02T09:00:00 0.85 the 2nd business day of Q3 of the current year"),
    ("25th business day of next month", "! the calendar month after this one has fewer than 25 business days"),
    ("24th business day of next month", {"holidays": H("2024-07-04")},
     "! the calendar month after this one has fewer than 24 business days"),
    # the last business day of a period; 30 June 2024 is a Sunday
    (("last business day of the month", "last working day of this month"), "2024-06-28T09:00:00 " + LAST_OF + MONTH),
    ("last business day of the month", {"holidays": H("2024-06-28")}, "2024-06-27T09:00:00 " + LAST_OF + MONTH),
    ("last working day of this month at 4pm", "2024-06-28T16:00:00 " + LAST_OF + MONTH),
    ("last business day of march",
     "2025-03-31T09:00:00 0.75 the last business day of March 2025 (this year's March has passed)"),
    ("last business day of august", "2024-08-30T09:00:00 0.75 the last business day of August of the current year"),
    ("last business day of february", {"now": "2024-01-10T10:00:00"},
     "2024-02-29T09:00:00 0.75 the last business day of February of the current year"),
    ("last business day of next month", "2024-07-31T09:00:00 " + LAST_OF + NEXT_MONTH),
    ("last business day of the week", "2024-06-07T09:00:00 " + LAST_OF + WEEK),
    ("last business day of next week", {"week_start": 6},
     "2024-06-14T09:00:00 " + LAST_OF + "the calendar week after this one"),
    # no day of a weekend counts, so the walk leaves the period
    ("last business day of the weekend", "2024-06-07T09:00:00 " + LAST_OF + "the current weekend (Sat-Sun)"),
    ("last business day of the month", {"now": LEAP_DAY, "holidays": H("2024-02-29")},
     "2024-02-28T09:00:00 " + LAST_OF + MONTH),
    ("last business day of the month", {"now": EVE, "holidays": H("2024-12-31")},
     "2024-12-30T09:00:00 " + LAST_OF + MONTH),
    # the first or last day of a period
    (("end of month", "eom", "EOM", "end of the month"), "2024-06-30T09:00:00 0.85 the last day of " + MONTH),
    ("EOM at 5pm", "2024-06-30T17:00:00 0.85 the last day of " + MONTH),
    (("start of month", "beginning of the month"), "2024-06-01T09:00:00 0.85 the first day of " + MONTH),
    (("eow", "end of week"), "2024-06-09T09:00:00 0.85 the last day of " + WEEK),
    ("start of week", "2024-06-03T09:00:00 0.85 the first day of " + WEEK),
    (("eoq", "end of quarter"), "2024-06-30T09:00:00 0.85 the last day of the current calendar quarter"),
    ("start of this quarter", "2024-04-01T09:00:00 0.85 the first day of the current calendar quarter"),
    (("eoy", "end of year"), "2024-12-31T09:00:00 0.85 the last day of the current calendar year"),
    ("beginning of year", "2024-01-01T09:00:00 0.85 the first day of the current calendar year"),
    ("start of next week", "2024-06-10T09:00:00 0.85 the first day of the calendar week after this one"),
    ("end of last month", "2024-05-31T09:00:00 0.85 the last day of the calendar month before this one"),
    ("end of next quarter", "2024-09-30T09:00:00 0.85 the last day of the calendar quarter after this one"),
    ("end of weekend", "2024-06-09T09:00:00 0.85 the last day of the current weekend (Sat-Sun)"),
    ("beginning of march", "2025-03-01T09:00:00 0.75 the first day of March 2025 (this year's March has passed)"),
    ("end of june", "2024-06-30T09:00:00 0.75 the last day of June of the current year"),
    ("end of february", {"now": LEAP_DAY}, "2024-02-29T09:00:00 0.75 the last day of February of the current year"),
    ("eow", {"week_start": 6}, "2024-06-08T09:00:00 0.85 the last day of " + WEEK),
    ("start of week", {"week_start": 6}, "2024-06-02T09:00:00 0.85 the first day of " + WEEK),
    ("end of last week", {"week_start": 6},
     "2024-06-01T09:00:00 0.85 the last day of the calendar week before this one"),
    ("eow", {"now": SATURDAY, "week_start": 6}, "2024-06-08T09:00:00 0.85 the last day of " + WEEK),
    ("start of weekend", {"now": SUNDAY}, "2024-06-08T09:00:00 0.85 the first day of the current weekend (Sat-Sun)"),
    ("start of weekend", {"now": SUNDAY, "week_start": 6},
     "2024-06-15T09:00:00 0.85 the first day of the current weekend (Sat-Sun)"),
    ("eow", {"now": EVE}, "2025-01-05T09:00:00 0.85 the last day of " + WEEK),
    ("start of next year", {"now": EVE}, "2025-01-01T09:00:00 0.85 the first day of the calendar year after this one"),
    ("eom", {"now": LEAP_DAY}, "2024-02-29T09:00:00 0.85 the last day of " + MONTH),
    ("end of next month", {"now": LEAP_DAY}, "2024-03-31T09:00:00 0.85 the last day of " + NEXT_MONTH),
    # the first or last month of a quarter; a quarter not yet over stays this year's
    (("end of q3", "end of Q3 at 5pm"), "2024-09-01..2024-09-30 0.85 last month of Q3"),
    ("start of q3", "2024-07-01..2024-07-31 0.85 first month of Q3"),
    ("beginning of q4", "2024-10-01..2024-10-31 0.85 first month of Q4"),
    ("start of q2", "2024-04-01..2024-04-30 0.85 first month of Q2"),
    ("start of q1", "2025-01-01..2025-01-31 0.85 first month of Q1" + ROLLED.format(1)),
    ("end of q1", "2025-03-01..2025-03-31 0.85 last month of Q1" + ROLLED.format(1)),
    ("start of q1", {"now": "2024-03-31T23:00:00"}, "2024-01-01..2024-01-31 0.85 first month of Q1"),
    ("start of q1", {"now": "2024-04-01T00:00:00"}, "2025-01-01..2025-01-31 0.85 first month of Q1" + ROLLED.format(1)),
    ("end of q4", {"now": EVE}, "2024-12-01..2024-12-31 0.85 last month of Q4"),
    ("start of q3", {"now": EVE}, "2025-07-01..2025-07-31 0.85 first month of Q3" + ROLLED.format(3)),
    anchors={"launch": "2025-03-14"},
)

# Walks counted by weeks without a callable must land where the day-by-day walk with one lands; counts past
# the calendar are refused before any day is asked about, and days before year 1 never count.
FROM, AGO = "0.9 {} business days from today", "0.9 {} business days before today"
WALKS = [
    ("in 3 business days", "2024-06-05", "2024-06-10T09:00:00 " + FROM.format(3)),
    ("3 business days ago", "2024-06-05", "2024-05-31T09:00:00 " + AGO.format(3)),
    ("in 0 business days", "2024-06-08", "2024-06-08T09:00:00 " + FROM.format(0)),
    ("in 1 business day", "2024-06-08", "2024-06-10T09:00:00 " + FROM.format(1)),
    ("1 business day ago", "2024-06-09", "2024-06-07T09:00:00 " + AGO.format(1)),
    ("in 1 business day", "+262142-12-28", "+262142-12-31T09:00:00 " + FROM.format(1)),
    (("in 1 business day", "in 2 business days"), "+262142-12-31", "?"),
    ("in 1 business day", "0000-06-05", "0001-01-01T09:00:00 " + FROM.format(1)),
    ("in 1 business day", "-262143-01-01", "0001-01-01T09:00:00 " + FROM.format(1)),
    ("2 business days ago", "0001-01-03", "0001-01-01T09:00:00 " + AGO.format(2)),
    (("1 business day ago", "2 business days ago"), "0001-01-01", "?"),
    ("3 business days ago", "0001-01-03", "?"),
    (("in 9223372036854775807 business days", "9223372036854775807 business days ago",
      "in 100000000 business days"), "2024-06-05", "?"),
    ("last business day of the month", "2024-02-10", "2024-02-29T09:00:00 " + LAST_OF + MONTH),
    ("last business day of the month", "+262142-12-10", "+262142-12-31T09:00:00 " + LAST_OF + MONTH),
    ("last business day of the month", "0000-12-10", "?"),
]


@pytest.mark.parametrize("text, options, expected",
                         [row for text, day, want in WALKS for holidays in (None, H()) for row in
                          corpus((text, {"now": day + "T10:00:00", "holidays": holidays}, want))])
def test_walks_with_and_without_a_callable(text, options, expected):
    assert resolve(text, **options) == expected


@pytest.mark.parametrize("text, options, expected", BUSINESS)
def test_business_days_and_edges(text, options, expected):
    assert resolve(text, **options) == expected
