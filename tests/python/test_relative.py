"""Expressions measured from the current moment or the current day."""

import pytest

from outcomes import MAX, MIN, SUNDAY, cases, days, instant, resolve

PASSED = "tomorrow (that time has already passed today)"


# --- bare clock time, now, today/tomorrow/yesterday (Wednesday 2024-06-05 14:20:10) -----------

DAY_WORDS = cases(
    ("17:30", instant("2024-06-05T17:30:00", 0.9, "17:30 today")),
    ("14:21", instant("2024-06-05T14:21:00", 0.9, "14:21 today")),
    ("14:20", instant("2024-06-06T14:20:00", 0.9, "14:20 " + PASSED)),
    ("14:20", {"now": "2024-06-05T14:20:00"}, instant("2024-06-06T14:20:00", 0.9, "14:20 " + PASSED)),
    ("14:20", {"now": "2024-06-05T14:19:59.999"}, instant("2024-06-05T14:20:00", 0.9, "14:20 today")),
    ("noon", instant("2024-06-06T12:00:00", 0.9, "12:00 " + PASSED)),
    ("midnight", instant("2024-06-06T00:00:00", 0.9, "00:00 " + PASSED)),
    ("5 pm", instant("2024-06-05T17:00:00", 0.9, "17:00 today")),
    ("now", instant("2024-06-05T14:20:10", 1.0, "the current moment")),
    ("NOW", {"now": "2024-06-05T14:20:10.999"}, instant("2024-06-05T14:20:10", 1.0, "the current moment")),
    ("today", instant("2024-06-05T09:00:00", 0.95, "today, default 09:00")),
    ("  Tomorrow ", instant("2024-06-06T09:00:00", 0.95, "tomorrow, default 09:00")),
    ("yesterday", instant("2024-06-04T09:00:00", 0.95, "yesterday, default 09:00")),
    ("tomorrow at 5pm", instant("2024-06-06T17:00:00", 0.95, "tomorrow, at 17:00")),
    ("tomorrow 5 am", instant("2024-06-06T05:00:00", 0.95, "tomorrow, at 05:00")),
    ("today at noon", instant("2024-06-05T12:00:00", 0.95, "today, at 12:00")),
    ("yesterday 23:59", instant("2024-06-04T23:59:00", 0.95, "yesterday, at 23:59")),
    ("today", {"default_time": (8, 0, 45)}, instant("2024-06-05T08:00:45", 0.95, "today, default 08:00")),
    ("tomorrow 9:30", {"default_time": (8, 0, 0)}, instant("2024-06-06T09:30:00", 0.95, "tomorrow, at 09:30")),
    ("yesterday", {"default_time": (0, 0, 0)}, instant("2024-06-04T00:00:00", 0.95, "yesterday, default 00:00")),
    # a Sunday morning and the last day of a year
    ("tomorrow", {"now": SUNDAY}, instant("2024-06-10T09:00:00", 0.95, "tomorrow, default 09:00")),
    ("07:59", {"now": SUNDAY}, instant("2024-06-10T07:59:00", 0.9, "07:59 " + PASSED)),
    ("tomorrow", {"now": "2024-12-31T23:30:00"}, instant("2025-01-01T09:00:00", 0.95, "tomorrow, default 09:00")),
    ("23:30", {"now": "2024-12-31T23:30:00"}, instant("2025-01-01T23:30:00", 0.9, "23:30 " + PASSED)),
    ("yesterday", {"now": "2024-03-01T12:00:00"}, instant("2024-02-29T09:00:00", 0.95, "yesterday, default 09:00")),
)


@pytest.mark.parametrize("text, options, expected", DAY_WORDS)
def test_times_and_day_words(text, options, expected):
    assert resolve(text, **options) == expected


# --- named periods --------------------------------------------------------------------------------

AFTER, BEFORE, CURRENT = "the calendar {} after this one", "the calendar {} before this one", "the current calendar {}"

PERIODS = cases(
    ("next week", days("2024-06-10", "2024-06-16", 0.9, AFTER.format("week"))),
    ("last week", days("2024-05-27", "2024-06-02", 0.9, BEFORE.format("week"))),
    ("this week", days("2024-06-03", "2024-06-09", 0.9, CURRENT.format("week"))),
    ("next month", days("2024-07-01", "2024-07-31", 0.9, AFTER.format("month"))),
    ("last month", days("2024-05-01", "2024-05-31", 0.9, BEFORE.format("month"))),
    ("this month", days("2024-06-01", "2024-06-30", 0.9, CURRENT.format("month"))),
    ("next quarter", days("2024-07-01", "2024-09-30", 0.9, AFTER.format("quarter"))),
    ("last quarter", days("2024-01-01", "2024-03-31", 0.9, BEFORE.format("quarter"))),
    ("this quarter", days("2024-04-01", "2024-06-30", 0.9, CURRENT.format("quarter"))),
    ("next year", days("2025-01-01", "2025-12-31", 0.9, AFTER.format("year"))),
    ("last year", days("2023-01-01", "2023-12-31", 0.9, BEFORE.format("year"))),
    ("this year", days("2024-01-01", "2024-12-31", 0.9, CURRENT.format("year"))),
    ("next month at 5pm", days("2024-07-01", "2024-07-31", 0.9, AFTER.format("month"))),
    # the week follows week_start: Sunday-first 2..8 June, Wednesday-first 5..11 June
    ("this week", {"week_start": 6}, days("2024-06-02", "2024-06-08", 0.9, CURRENT.format("week"))),
    ("next week", {"week_start": 6}, days("2024-06-09", "2024-06-15", 0.9, AFTER.format("week"))),
    ("last week", {"week_start": 6}, days("2024-05-26", "2024-06-01", 0.9, BEFORE.format("week"))),
    ("this week", {"week_start": 2}, days("2024-06-05", "2024-06-11", 0.9, CURRENT.format("week"))),
    ("next week", {"week_start": 2}, days("2024-06-12", "2024-06-18", 0.9, AFTER.format("week"))),
    ("last week", {"week_start": 2}, days("2024-05-29", "2024-06-04", 0.9, BEFORE.format("week"))),
    ("this week", {"now": SUNDAY}, days("2024-06-03", "2024-06-09", 0.9, CURRENT.format("week"))),
    ("next week", {"now": SUNDAY}, days("2024-06-10", "2024-06-16", 0.9, AFTER.format("week"))),
    ("this week", {"now": SUNDAY, "week_start": 6}, days("2024-06-09", "2024-06-15", 0.9, CURRENT.format("week"))),
    ("last week", {"now": SUNDAY, "week_start": 6}, days("2024-06-02", "2024-06-08", 0.9, BEFORE.format("week"))),
    ("this week", {"now": SUNDAY, "week_start": 2}, days("2024-06-05", "2024-06-11", 0.9, CURRENT.format("week"))),
    # month ends and year ends
    ("next month", {"now": "2024-01-31T10:00:00"}, days("2024-02-01", "2024-02-29", 0.9, AFTER.format("month"))),
    ("last month", {"now": "2024-03-31T08:00:00"}, days("2024-02-01", "2024-02-29", 0.9, BEFORE.format("month"))),
    ("last month", {"now": "2024-01-31T10:00:00"}, days("2023-12-01", "2023-12-31", 0.9, BEFORE.format("month"))),
    ("next quarter", {"now": "2024-11-20T10:00:00"}, days("2025-01-01", "2025-03-31", 0.9, AFTER.format("quarter"))),
    ("last quarter", {"now": "2024-11-20T10:00:00"}, days("2024-07-01", "2024-09-30", 0.9, BEFORE.format("quarter"))),
    ("next month", {"now": "2024-12-31T23:30:00"}, days("2025-01-01", "2025-01-31", 0.9, AFTER.format("month"))),
    ("next quarter", {"now": "2024-12-31T23:30:00"}, days("2025-01-01", "2025-03-31", 0.9, AFTER.format("quarter"))),
    ("this quarter", {"now": "2024-12-31T23:30:00"}, days("2024-10-01", "2024-12-31", 0.9, CURRENT.format("quarter"))),
    ("next year", {"now": "2024-12-31T23:30:00"}, days("2025-01-01", "2025-12-31", 0.9, AFTER.format("year"))),
    ("next week", {"now": "2024-12-31T23:30:00"}, days("2025-01-06", "2025-01-12", 0.9, AFTER.format("week"))),
    ("last year", {"now": "2024-02-29T12:00:00"}, days("2023-01-01", "2023-12-31", 0.9, BEFORE.format("year"))),
)


@pytest.mark.parametrize("text, options, expected", PERIODS)
def test_named_periods(text, options, expected):
    assert resolve(text, **options) == expected


# --- counted offsets --------------------------------------------------------------------------------

DISTANT = " (distant horizon)"

OFFSETS = cases(
    ("in 3 days", instant("2024-06-08T14:20:10", 0.95, "3 days from now")),
    ("in 3 days at 5pm", instant("2024-06-08T17:00:00", 0.95, "3 days from now")),
    ("in 2 hours at 5pm", instant("2024-06-05T16:20:10", 0.95, "2 hours from now")),
    ("in 90 minutes at 5pm", instant("2024-06-05T15:50:10", 0.95, "90 minutes from now")),
    ("3 days from now", instant("2024-06-08T14:20:10", 0.95, "3 days from now")),
    ("3 days ago at 5pm", instant("2024-06-02T17:00:00", 0.95, "3 days before now")),
    ("3 weeks ago", instant("2024-05-15T14:20:10", 0.95, "3 weeks before now")),
    ("2 hours ago", instant("2024-06-05T12:20:10", 0.95, "2 hours before now")),
    ("in a week", instant("2024-06-12T14:20:10", 0.95, "1 week from now")),
    ("in 1 day", instant("2024-06-06T14:20:10", 0.95, "1 day from now")),
    ("1 day from now", instant("2024-06-06T14:20:10", 0.95, "1 day from now")),
    ("1 minute ago", instant("2024-06-05T14:19:10", 0.95, "1 minute before now")),
    ("within 2 wks", instant("2024-06-19T14:20:10", 0.95, "2 weeks from now")),
    ("in 0 days", instant("2024-06-05T14:20:10", 0.95, "0 days from now")),
    ("in 2 months at 9:30", instant("2024-08-05T09:30:00", 0.95, "2 months from now")),
    ("in 2 quarters", instant("2024-12-05T14:20:10", 0.95, "2 quarters from now")),
    ("in 2 hours", {"now": "2024-06-05T14:20:10.5"}, instant("2024-06-05T16:20:10", 0.95, "2 hours from now")),
    # 3651 whole days away or more is the distant horizon
    ("in 3650 days", instant("2034-06-03T14:20:10", 0.95, "3650 days from now")),
    ("in 3651 days", instant("2034-06-04T14:20:10", 0.9, "3651 days from now" + DISTANT)),
    ("3650 days ago", instant("2014-06-08T14:20:10", 0.95, "3650 days before now")),
    ("3651 days ago", instant("2014-06-07T14:20:10", 0.9, "3651 days before now" + DISTANT)),
    ("in 9 years", instant("2033-06-05T14:20:10", 0.95, "9 years from now")),
    ("in 10 years", instant("2034-06-05T14:20:10", 0.9, "10 years from now" + DISTANT)),
    # the day is clamped to the length of the target month
    ("in 1 month", {"now": "2024-01-31T10:00:00"}, instant("2024-02-29T10:00:00", 0.95, "1 month from now")),
    ("in 1 month at 8am", {"now": "2024-01-31T10:00:00"}, instant("2024-02-29T08:00:00", 0.95, "1 month from now")),
    ("in 1 quarter", {"now": "2024-01-31T10:00:00"}, instant("2024-04-30T10:00:00", 0.95, "1 quarter from now")),
    ("1 month ago", {"now": "2024-03-31T08:00:00"}, instant("2024-02-29T08:00:00", 0.95, "1 month before now")),
    ("in 1 year", {"now": "2024-02-29T12:00:00"}, instant("2025-02-28T12:00:00", 0.95, "1 year from now")),
    ("1 year ago", {"now": "2024-02-29T12:00:00"}, instant("2023-02-28T12:00:00", 0.95, "1 year before now")),
    ("in 4 years", {"now": "2024-02-29T12:00:00"}, instant("2028-02-29T12:00:00", 0.95, "4 years from now")),
    ("in 1 month", {"now": "2024-12-31T23:30:00"}, instant("2025-01-31T23:30:00", 0.95, "1 month from now")),
)


@pytest.mark.parametrize("text, options, expected", OFFSETS)
def test_counted_offsets(text, options, expected):
    assert resolve(text, **options) == expected


# --- a leap second in now: shown as second 60, dropped before adding, carried before subtracting ----

LEAP = "2016-12-31T23:59:60"

LEAP_CASES = cases(
    ("now", instant("2016-12-31T23:59:60", 1.0, "the current moment")),
    ("in 0 minutes", instant("2016-12-31T23:59:60", 0.95, "0 minutes from now")),
    ("in 1 hour", instant("2017-01-01T00:59:59", 0.95, "1 hour from now")),
    ("in 1 day", instant("2017-01-01T23:59:59", 0.95, "1 day from now")),
    ("1 hour ago", instant("2016-12-31T23:00:00", 0.95, "1 hour before now")),
    ("23:59", instant("2017-01-01T23:59:00", 0.9, "23:59 " + PASSED)),
    ("today", instant("2016-12-31T09:00:00", 0.95, "today, default 09:00")),
)


@pytest.mark.parametrize("text, options, expected", LEAP_CASES)
def test_leap_second_now(text, options, expected):
    assert resolve(text, now=LEAP, **options) == expected


# --- the ends of the supported calendar ---------------------------------------------------------------

INSIDE = cases(
    ("yesterday", {"now": MAX}, instant("+262142-12-30T09:00:00", 0.95, "yesterday, default 09:00")),
    ("today", {"now": MAX}, instant("+262142-12-31T09:00:00", 0.95, "today, default 09:00")),
    ("1 day ago", {"now": MAX}, instant("+262142-12-30T23:59:59", 0.95, "1 day before now")),
    ("this year", {"now": MAX}, days("+262142-01-01", "+262142-12-31", 0.9, CURRENT.format("year"))),
    ("this month", {"now": MAX}, days("+262142-12-01", "+262142-12-31", 0.9, CURRENT.format("month"))),
    ("last week", {"now": MAX}, days("+262142-12-24", "+262142-12-30", 0.9, BEFORE.format("week"))),
    ("tomorrow", {"now": MIN}, instant("-262143-01-02T09:00:00", 0.95, "tomorrow, default 09:00")),
    ("in 1 day", {"now": MIN}, instant("-262143-01-02T00:00:00", 0.95, "1 day from now")),
    ("this year", {"now": MIN}, days("-262143-01-01", "-262143-12-31", 0.9, CURRENT.format("year"))),
    ("next week", {"now": MIN, "week_start": 3}, days("-262143-01-08", "-262143-01-14", 0.9, AFTER.format("week"))),
)


@pytest.mark.parametrize("text, options, expected", INSIDE)
def test_last_and_first_supported_days_resolve(text, options, expected):
    assert resolve(text, **options) == expected


BEYOND = [
    *[(MAX, text) for text in ("tomorrow", "in 1 day", "in 1 minute", "next year", "next month",
                               "next quarter", "in 300000 years")],
    *[(MIN, text) for text in ("yesterday", "1 day ago", "1 minute ago", "last year", "last month",
                               "300000 years ago")],
    *[("2024-06-05T14:20:10", text) for text in (
        "in 300000 years", "300000 years ago", "in 3200000 months", "in 99999999999999999 years",
        "99999999999999999 quarters ago", "in 9223372036854775807 minutes", "9223372036854775807 weeks ago",
        "in 9223372036854775807 days")],
]


@pytest.mark.parametrize("now, text", BEYOND, ids=[f"{text} @{now[:7]}" for now, text in BEYOND])
def test_moments_beyond_the_calendar_are_no_parse(now, text):
    assert resolve(text, now=now)["kind"] == "no_parse"
