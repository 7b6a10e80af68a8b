"""Clock times, day words, named periods and counted offsets, measured from now (Wednesday 2024-06-05
14:20:10 unless a row says otherwise)."""

import pytest

from outcomes import MAX, MIN, SUNDAY, corpus, resolve

PASSED = "tomorrow (that time has already passed today)"
EVE, LEAP_DAY, LEAP = "2024-12-31T23:30:00", "2024-02-29T12:00:00", "2016-12-31T23:59:60"
JAN31, MAR31 = "2024-01-31T10:00:00", "2024-03-31T08:00:00"
NEXT_W, LAST_W, THIS_W = ".9 the calendar week after this one", ".9 the calendar week before this one", \
    ".9 the current calendar week"

RELATIVE = corpus(
    # clock times: today while ahead, tomorrow from the same minute on
    (("17:30", "5:30pm", "at 17:30"), "2024-06-05T17:30:00 0.9 17:30 today"),
    ("14:21", "2024-06-05T14:21:00 0.9 14:21 today"),
    ("14:20", "2024-06-06T14:20:00 0.9 14:20 " + PASSED),
    ("14:20", {"now": "2024-06-05T14:20:00"}, "2024-06-06T14:20:00 0.9 14:20 " + PASSED),
    ("14:20", {"now": "2024-06-05T14:19:59.999"}, "2024-06-05T14:20:00 0.9 14:20 today"),
    (("noon", "12pm", "at 12 pm"), "2024-06-06T12:00:00 0.9 12:00 " + PASSED),
    (("midnight", "12am", "at midnight"), "2024-06-06T00:00:00 0.9 00:00 " + PASSED),
    (("at 1pm", "1 PM", "13:00"), "2024-06-06T13:00:00 0.9 13:00 " + PASSED),
    (("1am", "at 1 am", "01:00"), "2024-06-06T01:00:00 0.9 01:00 " + PASSED),
    (("5 pm", "at 5pm"), "2024-06-05T17:00:00 0.9 17:00 today"),
    ("07:59", {"now": SUNDAY}, "2024-06-10T07:59:00 0.9 07:59 " + PASSED),
    ("23:30", {"now": EVE}, "2025-01-01T23:30:00 0.9 23:30 " + PASSED),
    # now and the day words, at the default time unless a time is said
    (("now", "NOW", " Now "), "2024-06-05T14:20:10 1.0 the current moment"),
    ("now", {"now": "2024-06-05T14:20:10.999"}, "2024-06-05T14:20:10 1.0 the current moment"),
    (("today", "Today"), "2024-06-05T09:00:00 0.95 today, default 09:00"),
    (("tomorrow", "  Tomorrow ", "TOMORROW"), "2024-06-06T09:00:00 0.95 tomorrow, default 09:00"),
    ("yesterday", "2024-06-04T09:00:00 0.95 yesterday, default 09:00"),
    (("tomorrow at 5pm", "tomorrow 5 pm", "tomorrow 17:00"), "2024-06-06T17:00:00 0.95 tomorrow, at 17:00"),
    ("tomorrow 5 am", "2024-06-06T05:00:00 0.95 tomorrow, at 05:00"),
    (("today at noon", "today noon"), "2024-06-05T12:00:00 0.95 today, at 12:00"),
    ("yesterday 23:59", "2024-06-04T23:59:00 0.95 yesterday, at 23:59"),
    ("today", {"default_time": (8, 0, 45)}, "2024-06-05T08:00:45 0.95 today, default 08:00"),
    ("tomorrow 9:30", {"default_time": (8, 0, 0)}, "2024-06-06T09:30:00 0.95 tomorrow, at 09:30"),
    ("yesterday", {"default_time": (0, 0, 0)}, "2024-06-04T00:00:00 0.95 yesterday, default 00:00"),
    ("tomorrow", {"now": EVE}, "2025-01-01T09:00:00 0.95 tomorrow, default 09:00"),
    ("yesterday", {"now": "2024-03-01T12:00:00"}, "2024-02-29T09:00:00 0.95 yesterday, default 09:00"),
    # named periods; a time said with them changes nothing
    (("next week", "next wk"), "2024-06-10..2024-06-16 " + NEXT_W),
    ("last week", "2024-05-27..2024-06-02 " + LAST_W),
    ("this week", "2024-06-03..2024-06-09 " + THIS_W),
    (("next month", "next month at 5pm"), "2024-07-01..2024-07-31 0.9 the calendar month after this one"),
    ("last month", "2024-05-01..2024-05-31 0.9 the calendar month before this one"),
    ("this month", "2024-06-01..2024-06-30 0.9 the current calendar month"),
    ("next quarter", "2024-07-01..2024-09-30 0.9 the calendar quarter after this one"),
    ("last quarter", "2024-01-01..2024-03-31 0.9 the calendar quarter before this one"),
    ("this quarter", "2024-04-01..2024-06-30 0.9 the current calendar quarter"),
    ("next year", "2025-01-01..2025-12-31 0.9 the calendar year after this one"),
    (("last year", "previous year"), "2023-01-01..2023-12-31 0.9 the calendar year before this one"),
    ("this year", "2024-01-01..2024-12-31 0.9 the current calendar year"),
    # weeks from Sunday (2..8 June) and from Wednesday (5..11 June), said midweek and on a Sunday
    ("this week", {"week_start": 6}, "2024-06-02..2024-06-08 " + THIS_W),
    ("next week", {"week_start": 6}, "2024-06-09..2024-06-15 " + NEXT_W),
    ("last week", {"week_start": 6}, "2024-05-26..2024-06-01 " + LAST_W),
    ("this week", {"week_start": 2}, "2024-06-05..2024-06-11 " + THIS_W),
    ("last week", {"week_start": 2}, "2024-05-29..2024-06-04 " + LAST_W),
    ("this week", {"now": SUNDAY}, "2024-06-03..2024-06-09 " + THIS_W),
    ("this week", {"now": SUNDAY, "week_start": 6}, "2024-06-09..2024-06-15 " + THIS_W),
    ("last week", {"now": SUNDAY, "week_start": 6}, "2024-06-02..2024-06-08 " + LAST_W),
    ("this week", {"now": SUNDAY, "week_start": 2}, "2024-06-05..2024-06-11 " + THIS_W),
    # the ends of months, quarters and years
    ("next month", {"now": JAN31}, "2024-02-01..2024-02-29 0.9 the calendar month after this one"),
    ("last month", {"now": MAR31}, "2024-02-01..2024-02-29 0.9 the calendar month before this one"),
    ("last month", {"now": JAN31}, "2023-12-01..2023-12-31 0.9 the calendar month before this one"),
    ("next quarter", {"now": "2024-11-20T10:00:00"}, "2025-01-01..2025-03-31 0.9 the calendar quarter after this one"),
    ("last quarter", {"now": "2024-11-20T10:00:00"}, "2024-07-01..2024-09-30 0.9 the calendar quarter before this one"),
    ("this quarter", {"now": EVE}, "2024-10-01..2024-12-31 0.9 the current calendar quarter"),
    ("next week", {"now": EVE}, "2025-01-06..2025-01-12 " + NEXT_W),
    # counted offsets keep the clock unless a time is said; hours and minutes always keep it
    (("in 3 days", "3 days from now", "within 3 days"), "2024-06-08T14:20:10 0.95 3 days from now"),
    ("in 3 days at 5pm", "2024-06-08T17:00:00 0.95 3 days from now"),
    ("in 2 hours at 5pm", "2024-06-05T16:20:10 0.95 2 hours from now"),
    ("in 90 minutes at 5pm", "2024-06-05T15:50:10 0.95 90 minutes from now"),
    ("3 days ago at 5pm", "2024-06-02T17:00:00 0.95 3 days before now"),
    (("3 weeks ago", "3 wks ago"), "2024-05-15T14:20:10 0.95 3 weeks before now"),
    (("2 hours ago", "two hours ago", "2 hrs ago"), "2024-06-05T12:20:10 0.95 2 hours before now"),
    (("in a week", "in one week", "1 week from now"), "2024-06-12T14:20:10 0.95 1 week from now"),
    (("in 1 day", "1 day from now", "in a day"), "2024-06-06T14:20:10 0.95 1 day from now"),
    (("1 minute ago", "a minute ago", "1 min ago"), "2024-06-05T14:19:10 0.95 1 minute before now"),
    ("in 0 days", "2024-06-05T14:20:10 0.95 0 days from now"),
    ("in 2 months at 9:30", "2024-08-05T09:30:00 0.95 2 months from now"),
    ("in 2 quarters", "2024-12-05T14:20:10 0.95 2 quarters from now"),
    ("in 2 hours", {"now": "2024-06-05T14:20:10.5"}, "2024-06-05T16:20:10 0.95 2 hours from now"),
    # 3651 whole days away or more is the distant horizon
    ("in 3650 days", "2034-06-03T14:20:10 0.95 3650 days from now"),
    ("in 3651 days", "2034-06-04T14:20:10 0.9 3651 days from now (distant horizon)"),
    ("3650 days ago", "2014-06-08T14:20:10 0.95 3650 days before now"),
    ("3651 days ago", "2014-06-07T14:20:10 0.9 3651 days before now (distant horizon)"),
    ("in 9 years", "2033-06-05T14:20:10 0.95 9 years from now"),
    ("in 10 years", "2034-06-05T14:20:10 0.9 10 years from now (distant horizon)"),
    # the day is clamped to the length of the target month
    ("in 1 month", {"now": JAN31}, "2024-02-29T10:00:00 0.95 1 month from now"),
    ("in 1 month at 8am", {"now": JAN31}, "2024-02-29T08:00:00 0.95 1 month from now"),
    ("in 1 quarter", {"now": JAN31}, "2024-04-30T10:00:00 0.95 1 quarter from now"),
    ("1 month ago", {"now": MAR31}, "2024-02-29T08:00:00 0.95 1 month before now"),
    ("in 1 year", {"now": LEAP_DAY}, "2025-02-28T12:00:00 0.95 1 year from now"),
    ("1 year ago", {"now": LEAP_DAY}, "2023-02-28T12:00:00 0.95 1 year before now"),
    ("in 4 years", {"now": LEAP_DAY}, "2028-02-29T12:00:00 0.95 4 years from now"),
    ("in 1 month", {"now": EVE}, "2025-01-31T23:30:00 0.95 1 month from now"),
    # a leap second in now: shown as second 60, dropped before adding, carried before subtracting
    ("now", {"now": LEAP}, "2016-12-31T23:59:60 1.0 the current moment"),
    ("in 0 minutes", {"now": LEAP}, "2016-12-31T23:59:60 0.95 0 minutes from now"),
    ("in 1 hour", {"now": LEAP}, "2017-01-01T00:59:59 0.95 1 hour from now"),
    ("in 1 day", {"now": LEAP}, "2017-01-01T23:59:59 0.95 1 day from now"),
    ("1 hour ago", {"now": LEAP}, "2016-12-31T23:00:00 0.95 1 hour before now"),
    ("23:59", {"now": LEAP}, "2017-01-01T23:59:00 0.9 23:59 " + PASSED),
    ("today", {"now": LEAP}, "2016-12-31T09:00:00 0.95 today, default 09:00"),
    # the last and first supported days still resolve
    ("yesterday", {"now": MAX}, "+262142-12-30T09:00:00 0.95 yesterday, default 09:00"),
    ("today", {"now": MAX}, "+262142-12-31T09:00:00 0.95 today, default 09:00"),
    ("1 day ago", {"now": MAX}, "+262142-12-30T23:59:59 0.95 1 day before now"),
    ("this year", {"now": MAX}, "+262142-01-01..+262142-12-31 0.9 the current calendar year"),
    ("last week", {"now": MAX}, "+262142-12-24..+262142-12-30 " + LAST_W),
    ("tomorrow", {"now": MIN}, "-262143-01-02T09:00:00 0.95 tomorrow, default 09:00"),
    ("in 1 day", {"now": MIN}, "-262143-01-02T00:00:00 0.95 1 day from now"),
    ("this year", {"now": MIN}, "-262143-01-01..-262143-12-31 0.9 the current calendar year"),
    ("next week", {"now": MIN, "week_start": 3}, "-262143-01-08..-262143-01-14 " + NEXT_W),
)


@pytest.mark.parametrize("text, options, expected", RELATIVE)
def test_relative(text, options, expected):
    assert resolve(text, **options) == expected
