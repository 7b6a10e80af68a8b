"""Everyday phrases across the whole grammar on one working morning: Thursday 2025-10-16 11:45, launch on
Monday 2025-11-03, payday on Friday 2025-10-31. October 2025 ends on a Friday; November begins on a
Saturday."""

import pytest

from outcomes import amb, corpus, resolve

EVERYDAY = corpus(
    ("10:30", "2025-10-17T10:30:00 0.9 10:30 tomorrow (that time has already passed today)"),
    (("3pm", "at 3 pm", "15:00"), "2025-10-16T15:00:00 0.9 15:00 today"),
    ("tomorrow at 8:15am", "2025-10-17T08:15:00 0.95 tomorrow, at 08:15"),
    ("this quarter", "2025-10-01..2025-12-31 0.9 the current calendar quarter"),
    (("a week ago", "1 week ago"), "2025-10-09T11:45:00 0.95 1 week before now"),
    ("in 2 months at 5pm", "2025-12-16T17:00:00 0.95 2 months from now"),
    ("thursday", amb('today is Thursday; bare "thursday" could mean today or next week',
                     "2025-10-16T09:00:00 0.7 Thursday — today",
                     "2025-10-23T09:00:00 0.59999996 Thursday — a week from today")),
    ("next thursday",
     "2025-10-16T09:00:00 0.9 next Thursday — today is Thursday; today counts per next_skips_today=false"),
    ("this monday", "2025-10-13T09:00:00 0.75 Monday of the current week (already passed this week)"),
    ("the 2nd tuesday of november", "2025-11-11T09:00:00 0.85 the 2nd Tuesday of November 2025"),
    ("last friday of october", "2025-10-31T09:00:00 0.85 the last Friday of October 2025"),
    ("first monday of next month", "2025-11-03T09:00:00 0.85 the 1st Monday of next month (November 2025)"),
    ("5th friday of november", "! November 2025 has no 5th Friday"),
    ("2 weeks before launch", "2025-10-20T09:00:00 0.9 2 weeks before 2025-11-03"),
    ("friday before payday", "2025-10-24T09:00:00 0.9 first Friday strictly before 2025-10-31"),
    ("the week after launch", "2025-11-10..2025-11-16 0.9 the calendar week after the one containing 2025-11-03"),
    ("mid november", "2025-11-11..2025-11-20 0.75 the middle part of November of the current year"),
    ("sometime next month", "2025-11-01..2025-11-30 0.8 the calendar month after this one"),
    ("in 3 business days", "2025-10-21T09:00:00 0.9 3 business days from today"),
    ("5 working days", "2025-10-23T09:00:00 0.9 5 business days from now"),
    ("3 business days ago", "2025-10-13T09:00:00 0.9 3 business days before today"),
    ("2 business days after launch", "2025-11-05T09:00:00 0.9 2 business days after 2025-11-03"),
    ("last business day of the month", "2025-10-31T09:00:00 0.85 the last business day of the current calendar month"),
    ("first business day of next month",
     "2025-11-03T09:00:00 0.85 the 1st business day of the calendar month after this one"),
    ("end of q4", "2025-12-01..2025-12-31 0.85 last month of Q4"),
    ("next weekend", amb('"next weekend" said midweek can mean the coming weekend or the one after it',
                         "2025-10-18..2025-10-19 0.65 the coming weekend (Sat-Sun)",
                         "2025-10-25..2025-10-26 0.55 the weekend after the coming one (Sat-Sun)")),
    ("half an hour", "2025-10-16T12:15:00 0.95 half an hour from now"),
    ("october", amb('"october" said during October could mean the current month or October 2026',
                    "2025-10-01..2025-10-31 0.6 October — the current month",
                    "2026-10-01..2026-10-31 0.55 October 2026")),
    now="2025-10-16T11:45:00", anchors={"launch": "2025-11-03", "payday": "2025-10-31"},
)


@pytest.mark.parametrize("text, options, expected", EVERYDAY)
def test_everyday(text, options, expected):
    assert resolve(text, **options) == expected
