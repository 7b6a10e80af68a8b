"""Everyday phrases across the whole grammar, on one working morning.

Thursday 2025-10-16 11:45, default time 09:00, weeks from Monday, launch on Monday 2025-11-03 and payday
on Friday 2025-10-31. This week is 13..19 October; October 2025 ends on a Friday, November begins on a
Saturday.
"""

import pytest

from outcomes import ambiguous, days, instant, no_parse, resolve, unmatched

NOW = "2025-10-16T11:45:00"
ANCHORS = {"launch": "2025-11-03", "payday": "2025-10-31"}
PASSED = " tomorrow (that time has already passed today)"
NEXT_WEEK = "the calendar week after this one"
NEXT_MONTH = "the calendar month after this one"


def on(day, confidence, interpretation, hms="09:00:00"):
    return instant(f"{day}T{hms}", confidence, interpretation)


PHRASES = [
    # clock times and day words
    ("10:30", on("2025-10-17", 0.9, "10:30" + PASSED, "10:30:00")),
    ("3pm", on("2025-10-16", 0.9, "15:00 today", "15:00:00")),
    ("noon", on("2025-10-16", 0.9, "12:00 today", "12:00:00")),
    ("now", on("2025-10-16", 1.0, "the current moment", "11:45:00")),
    ("today", on("2025-10-16", 0.95, "today, default 09:00")),
    ("tomorrow at 8:15am", on("2025-10-17", 0.95, "tomorrow, at 08:15", "08:15:00")),
    ("yesterday", on("2025-10-15", 0.95, "yesterday, default 09:00")),
    # named periods and counted offsets
    ("next week", days("2025-10-20", "2025-10-26", 0.9, NEXT_WEEK)),
    ("last month", days("2025-09-01", "2025-09-30", 0.9, "the calendar month before this one")),
    ("this quarter", days("2025-10-01", "2025-12-31", 0.9, "the current calendar quarter")),
    ("in 3 days", on("2025-10-19", 0.95, "3 days from now", "11:45:00")),
    ("2 hours from now", on("2025-10-16", 0.95, "2 hours from now", "13:45:00")),
    ("a week ago", on("2025-10-09", 0.95, "1 week before now", "11:45:00")),
    ("in 2 months at 5pm", on("2025-12-16", 0.95, "2 months from now", "17:00:00")),
    # weekdays
    ("friday", on("2025-10-17", 0.7, "the upcoming Friday")),
    ("thursday", ambiguous([on("2025-10-16", 0.7, "Thursday \u2014 today"),
                            on("2025-10-23", 0.59999996, "Thursday \u2014 a week from today")],
                           'today is Thursday; bare "thursday" could mean today or next week')),
    ("next tuesday", on("2025-10-21", 0.95, "next Tuesday, default 09:00")),
    ("next thursday", on("2025-10-16", 0.9,
                         "next Thursday \u2014 today is Thursday; today counts per next_skips_today=false")),
    ("last friday", on("2025-10-10", 0.95, "the most recent Friday before today")),
    ("this monday", on("2025-10-13", 0.75, "Monday of the current week (already passed this week)")),
    ("friday next week", on("2025-10-24", 0.95, "Friday of next week")),
    # weekdays ranked in a month
    ("the 2nd tuesday of november", on("2025-11-11", 0.85, "the 2nd Tuesday of November 2025")),
    ("last friday of october", on("2025-10-31", 0.85, "the last Friday of October 2025")),
    ("first monday of next month", on("2025-11-03", 0.85, "the 1st Monday of next month (November 2025)")),
    ("3rd friday of march", on("2026-03-20", 0.85,
                               "the 3rd Friday of March 2026 (this year's has passed; assuming 2026)")),
    ("5th friday of november", no_parse("November 2025 has no 5th Friday")),
    # anchors
    ("the day after launch", on("2025-11-04", 0.95, "the day after 2025-11-03")),
    ("2 weeks before launch", on("2025-10-20", 0.9, "2 weeks before 2025-11-03")),
    ("friday before payday", on("2025-10-24", 0.9, "first Friday strictly before 2025-10-31")),
    ("payday", on("2025-10-31", 0.95, 'the date of "payday"')),
    ("the week after launch", days("2025-11-10", "2025-11-16", 0.9,
                                   "the calendar week after the one containing 2025-11-03")),
    ("3 days after the offsite",
     ambiguous([], 'unknown anchor "offsite" \u2014 pass it via anchors={"offsite": date(...)}')),
    # thirds and vague periods
    ("early next week", days("2025-10-20", "2025-10-21", 0.75, "the early part of " + NEXT_WEEK)),
    ("mid november", days("2025-11-11", "2025-11-20", 0.75, "the middle part of November of the current year")),
    ("late this month", days("2025-10-21", "2025-10-31", 0.75, "the late part of the current calendar month")),
    ("sometime next month", days("2025-11-01", "2025-11-30", 0.8, NEXT_MONTH)),
    # business days and the ends of periods
    ("next business day", on("2025-10-17", 0.95, "the next business day (skipping weekends and holidays)")),
    ("in 3 business days", on("2025-10-21", 0.9, "3 business days from today")),
    ("5 working days", on("2025-10-23", 0.9, "5 business days from now")),
    ("3 business days ago", on("2025-10-13", 0.9, "3 business days before today")),
    ("2 business days after launch", on("2025-11-05", 0.9, "2 business days after 2025-11-03")),
    ("last business day of the month", on("2025-10-31", 0.85, "the last business day of the current calendar month")),
    ("first business day of next month", on("2025-11-03", 0.85, "the 1st business day of " + NEXT_MONTH)),
    ("end of month", on("2025-10-31", 0.85, "the last day of the current calendar month")),
    ("start of next week", on("2025-10-20", 0.85, "the first day of " + NEXT_WEEK)),
    ("eoy", on("2025-12-31", 0.85, "the last day of the current calendar year")),
    ("end of q4", days("2025-12-01", "2025-12-31", 0.85, "last month of Q4")),
    # weekends
    ("this weekend", days("2025-10-18", "2025-10-19", 0.9, "the weekend of the current week (Sat-Sun)")),
    ("next weekend", ambiguous([days("2025-10-18", "2025-10-19", 0.65, "the coming weekend (Sat-Sun)"),
                                days("2025-10-25", "2025-10-26", 0.55, "the weekend after the coming one (Sat-Sun)")],
                               '"next weekend" said midweek can mean the coming weekend or the one after it')),
    # durations
    ("couple of hours", on("2025-10-16", 0.7, "approximately 2 hours from now", "13:45:00")),
    ("few days", on("2025-10-19", 0.7, "approximately 3 days from now", "11:45:00")),
    ("half an hour", on("2025-10-16", 0.95, "half an hour from now", "12:15:00")),
    ("remind me in 3 hours", on("2025-10-16", 0.9, '3 hours from now (ignoring "remind", "me")', "14:45:00")),
    # months and quarters
    ("october", ambiguous([days("2025-10-01", "2025-10-31", 0.6, "October \u2014 the current month"),
                           days("2026-10-01", "2026-10-31", 0.55, "October 2026")],
                          '"october" said during October could mean the current month or October 2026')),
    ("march", days("2026-03-01", "2026-03-31", 0.7, "March 2026 (this year's March has passed)")),
    ("Q4", days("2025-10-01", "2025-12-31", 0.85, "Q4 of the current year")),
    # not dates
    ("lunch with sam", unmatched("lunch with sam")),
    ("5 p.m.", unmatched("5 p.m.")),
    ("the", unmatched("the")),
    ("in 3 weekends", unmatched("in 3 weekends")),
    ("Maybe later?", unmatched("Maybe later?")),
]


@pytest.mark.parametrize("text, expected", PHRASES, ids=[text for text, _ in PHRASES])
def test_everyday_phrase(text, expected):
    assert resolve(text, now=NOW, anchors=ANCHORS) == expected
