"""The words around a day in full mode, said on Wednesday 2024-06-05 at 14:20:10."""

import json

import pytest

from kalendo import _core
from outcomes import corpus

NOW = "2024-06-05T14:20:10"


def full(text, now=NOW):
    return json.loads(_core.parse_full(text, now, {}, (9, 0, 0), 0, False))


AROUND = corpus(
    ("the day after tomorrow", "2024-06-07T09:00:00 0.9 the day after tomorrow, default 09:00"),
    ("the day before yesterday", "2024-06-03T09:00:00 0.9 the day before yesterday, default 09:00"),
    ("3 days from tomorrow", "2024-06-09T09:00:00 0.9 3 days from tomorrow, default 09:00"),
    (("a week from today", "1 week from today"), "2024-06-12T09:00:00 0.9 1 week from today, default 09:00"),
    ("2 weeks from monday", "2024-06-24T09:00:00 0.7 2 weeks from the upcoming Monday"),
    ("a week after tomorrow", "2024-06-13T09:00:00 0.9 1 week after tomorrow, default 09:00"),
    ("2 months after march 31",
     "2025-05-31T09:00:00 0.85 2 months after 2025-03-14, default 09:00 (this year's has passed; assuming 2025)"
     .replace("03-14", "03-31")),
    ("3 days before 2024-03-01", "2024-02-27T09:00:00 0.9 3 days before 2024-03-01, default 09:00"),
    ("the day after 2024-12-31 at 5pm", "2025-01-01T17:00:00 0.9 the day after 2024-12-31, at 17:00"),
)

FROM_NOW = corpus(
    (("right now", "Right now"), "2024-06-05T14:20:10 1.0 the current moment"),
    (("5 minutes later", "+5 minutes", "+5min", "in 5m"), "2024-06-05T14:25:10 0.95 5 minutes from now"),
    (("2 hours earlier", "-2 hours", "-2h", "2hrs ago", "2 hours before", "2 hours back"),
     "2024-06-05T12:20:10 0.95 2 hours before now"),
    (("in 2 hours time", "in 2h time"), "2024-06-05T16:20:10 0.95 2 hours from now"),
    (("half an hour ago", "half an hour back"), "2024-06-05T13:50:10 0.95 half an hour before now"),
    ("half an hour from now", "2024-06-05T14:50:10 0.95 half an hour from now"),
    ("half a day ago", "2024-06-05T02:20:10 0.95 half a day before now"),
    (("a min before", "the previous minute", "1min ago"), "2024-06-05T14:19:10 0.95 1 minute before now"),
    (("+15min", "+15 mins", "in 15min"), "2024-06-05T14:35:10 0.95 15 minutes from now"),
    (("-3 days", "-3d", "3d ago"), "2024-06-02T14:20:10 0.95 3 days before now"),
    (("in 1h", "in 1hr", "the next hour", "1h later"), "2024-06-05T15:20:10 0.95 1 hour from now"),
    ("1hr ago", "2024-06-05T13:20:10 0.95 1 hour before now"),
    (("in 2.5 hours", "+2.5h"), "2024-06-05T16:50:10 0.95 2.5 hours from now"),
    (("in 90 secs", "in 90s", "90 seconds later"), "2024-06-05T14:21:40 0.95 90 seconds from now"),
    ("in 0.5 days", "2024-06-06T02:20:10 0.95 0.5 days from now"),
    ("-1 month", "2024-05-05T14:20:10 0.95 1 month before now"),
    ("in 10 hours", {"now": "2024-12-31T20:00:00"}, "2025-01-01T06:00:00 0.95 10 hours from now"),
    ("+2 days", {"now": "2024-02-28T23:59:59"}, "2024-03-01T23:59:59 0.95 2 days from now"),
    # Number words past twelve, a fortnight, and counts of several parts.
    (("in thirty minutes", "thirty minutes later"), "2024-06-05T14:50:10 0.95 30 minutes from now"),
    ("thirty minutes ago", "2024-06-05T13:50:10 0.95 30 minutes before now"),
    ("fifteen seconds ago", "2024-06-05T14:19:55 0.95 15 seconds before now"),
    (("3 hrs ago", "3 hr ago"), "2024-06-05T11:20:10 0.95 3 hours before now"),
    ("in 2 wk", "2024-06-19T14:20:10 0.95 2 weeks from now"),
    (("in twenty-five minutes", "twenty five minutes from now"), "2024-06-05T14:45:10 0.95 25 minutes from now"),
    ("a fortnight ago", "2024-05-22T14:20:10 0.95 1 fortnight before now"),
    ("in 1 hour 30 minutes", "2024-06-05T15:50:10 0.95 1 hour 30 minutes from now"),
    ("in an hour and a half", "2024-06-05T15:50:10 0.95 1 hour and a half from now"),
    ("2 days and 3 hours ago", "2024-06-03T11:20:10 0.95 2 days and 3 hours before now"),
    ("in 1 day 2 hours 3 minutes", "2024-06-06T16:23:10 0.95 1 day 2 hours 3 minutes from now"),
    # Vague counts, as the core words "in a few days".
    (("a few days ago", "few days ago", "several days ago"), "2024-06-02T14:20:10 0.7 approximately 3 days before now"),
    (("a couple of days ago", "couple days ago"), "2024-06-03T14:20:10 0.7 approximately 2 days before now"),
    ("a few days from tomorrow", "2024-06-09T09:00:00 0.7 approximately 3 days from tomorrow, default 09:00"),
)

NEXT_AND_WEEKS = corpus(
    (("next day", "the following day"), "2024-06-06T09:00:00 0.9 the next day, default 09:00"),
    ("the previous day", "2024-06-04T09:00:00 0.9 the previous day, default 09:00"),
    (("wednesday of next week", "next week's wednesday", "wednesday from next week"),
     "2024-06-12T09:00:00 0.95 Wednesday of next week"),
    (("friday next week", "next week's friday", "next week friday"), "2024-06-14T09:00:00 0.95 Friday of next week"),
    (("friday after next", "the friday after next"),
     "2024-06-14T09:00:00 0.9 2024-06-14, the Friday after next, default 09:00"),
    # Today's weekday after next is three weeks' days away at most, never today.
    ("wednesday after next", "2024-06-19T09:00:00 0.9 2024-06-19, the Wednesday after next, default 09:00"),
    (("this coming friday", "the coming friday", "coming friday"), "2024-06-07T09:00:00 0.7 the upcoming Friday"),
    (("tmrw", "tmr", "2moro", "tomorow"), "2024-06-06T09:00:00 0.95 tomorrow, default 09:00"),
    ("yday", "2024-06-04T09:00:00 0.95 yesterday, default 09:00"),
    ("sunday from last week", "2024-06-02T09:00:00 0.95 Sunday of last week"),
    ("this week's monday", "2024-06-03T09:00:00 0.75 Monday of the current week (already passed this week)"),
    # A day at now's clock.
    (("this time tomorrow", "tomorrow same time", "at this time tomorrow"),
     "2024-06-06T14:20:10 0.9 tomorrow, at 14:20"),
    (("same time next week", "this time next week"), "2024-06-12T14:20:10 0.9 the same time next week, 2024-06-12"),
    ("this time last year", "2023-06-05T14:20:10 0.9 the same time last year, 2023-06-05"),
    # The first or last day of a period, as the core's start and end of it.
    (("the last day of the month", "last day of month"),
     "2024-06-30T09:00:00 0.85 the last day of the current calendar month"),
    ("first day of next month", "2024-07-01T09:00:00 0.85 the first day of the calendar month after this one"),
    # Hedged days: the whole day, or what is left of today or of the period.
    (("sometime tomorrow", "anytime tomorrow"), "2024-06-06..2024-06-06 0.8 sometime on 2024-06-06"),
    ("later today", "2024-06-05T14:20:10..2024-06-05T23:59:59 0.7 later today, until 23:59:59"),
    ("later this week", "2024-06-06..2024-06-09 0.7 later this week, 2024-06-06 to 2024-06-09"),
    ("later this week", {"now": "2024-06-09T10:00:00"}, "?"),
    (("the weekend", "over the weekend", "on the weekend"),
     "2024-06-08..2024-06-09 0.9 the weekend of the current week (Sat-Sun)"),
    ("last day of february",
     "2025-02-28T09:00:00 0.75 the last day of February 2025 (this year's February has passed)"),
)

# Amounts that are no offsets, signs that contradict, fractions a calendar cannot count.
NOT_OFFSETS = corpus(
    (("-3", "+15", "15min", "in 1.5 months", "1.0000001 s later",
      "in 2.5", "3 days from 2 days after tomorrow", "in 5 xyz", "+5 mins later", "friday of next month",
      "next week's", "2 hours time", "in -2 hours time", "in time", "going back", "half a month ago", "half time ago", "coming soon", "coming", "friday after", "after next",
      # parts out of order, of a calendar unit, or half of one second
      "in 3 hours 2 days", "in 1 month and 2 days", "in 1 second and a half", "twenty minutes", "same time",
      "this time"), "?"),
)


@pytest.mark.parametrize("text, options, expected", AROUND + FROM_NOW + NEXT_AND_WEEKS + NOT_OFFSETS)
def test_around_a_day(text, options, expected):
    assert full(text, **options) == expected


def test_long_chains_of_offsets_neither_recurse_nor_crash():
    text = "1 day after " * 2000 + "tomorrow"
    assert full(text)["kind"] == "no_parse"
    assert full("+" + "9" * 30 + " days")["kind"] == "no_parse"
    assert full("in 99999999999 weeks")["kind"] == "no_parse"
