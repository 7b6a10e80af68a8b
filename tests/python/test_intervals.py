"""Intervals with both ends in full mode, said on Wednesday 2024-06-05 at 14:20:10."""

import json

import pytest

from kalendo import _core
from outcomes import NOW, amb, corpus


def days(first, last, confidence=0.9, note=""):
    return f"{first}..{last} {confidence} {first} to {last}, whole days{note}"


def clock(start, end, reading, confidence=0.9):
    return f"{start}..{end} {confidence} {reading}"


NEXT_WEEK = " (the end moves to the next week: it would come before the start)"
NEXT_YEAR = " (the end moves to the next year: it would come before the start)"
NEXT_MONTH = " (the end moves to the next month: it would come before the start)"

DAYS = corpus(
    (("July 13-15", "13-15 July", "from 13th to 15th July", "july 13 to 15", "july 13 - 15",
      "the 13th to the 15th of july", "JULY 13-15", "july 13-15th", "july 13th-15", "13-15 of july"),
     days("2024-07-13", "2024-07-15")),
    ("april 9th through 17th", days("2025-04-09", "2025-04-17", 0.85)),
    ("Aug 10 - Nov 12", days("2024-08-10", "2024-11-12")),
    ("june 28 - july 2", days("2024-06-28", "2024-07-02")),
    # The last day in the first's month, to its last day in a leap year, and just past it.
    ("2024-02-27 - 2024-02-29", days("2024-02-27", "2024-02-29")),
    ("feb 28 - mar 1", days("2025-02-28", "2025-03-01", 0.85)),
    (("8/10/2012 - 8/15/2012", "2012-08-10 - 2012-08-15", "2012/08/10 - 2012/08/15"),
     days("2012-08-10", "2012-08-15")),
    ("10/8/2012 - 15/8/2012", {"date_order": "DMY"}, days("2012-08-10", "2012-08-15")),
    ("2/30/2024 - 3/2/2024", '! "2/30/2024" is not a valid date in month-day-year order'),
    # A year of three digits is written with four.
    ("0999-12-30 - 0999-12-31", days("0999-12-30", "0999-12-31")),
    (("2024-06-10..2024-06-14", "2024-06-10 – 2024-06-14", "2024-06-10/2024-06-14"), days("2024-06-10", "2024-06-14")),
    (("mon-wed", "mon–wed", "mon - wed", "mon..wed", "between monday and wednesday",
      "from monday thru wednesday"),
     days("2024-06-10", "2024-06-12", 0.7, NEXT_WEEK)),
    (("monday to friday", "Monday TO Friday"), days("2024-06-10", "2024-06-14", 0.7, NEXT_WEEK)),
    ("monday to wednesday", days("2024-06-10", "2024-06-12", 0.7, NEXT_WEEK)),
    (("from today until friday", "from today till friday", "today-friday", "today - friday",
      "FROM today UNTIL friday"),
     days("2024-06-05", "2024-06-07", 0.7)),
    ("yesterday-today", days("2024-06-04", "2024-06-05")),
    ("1st-3rd", days("2024-07-01", "2024-07-03", 0.85)),
    (("from 2024 to 2025", "2024-2025"), days("2024-01-01", "2025-12-31", 0.7)),
    (("from March to May", "march-may"), days("2025-03-01", "2025-05-31", 0.7)),
    # A month alone is this year's or, once passed, next year's; the current one is ambiguous.
    ("from july to september", days("2024-07-01", "2024-09-30", 0.7)),
    ("from january to march", days("2025-01-01", "2025-03-31", 0.7)),
    ("from june to august", amb('"june" said during June could mean the current month or June 2025',
                                days("2024-06-01", "2024-08-31", 0.6),
                                days("2025-06-01", "2025-08-31", 0.55, NEXT_YEAR))),
    # A month and day of today, and of yesterday, which has passed.
    ("june 5 - june 7", days("2024-06-05", "2024-06-07")),
    ("june 4 - june 6", days("2025-06-04", "2025-06-06", 0.85, NEXT_YEAR)),
    ("from march to may 2026", days("2026-03-01", "2026-05-31", 0.7)),
    ("dec 31 - jan 1 2026", days("2025-12-31", "2026-01-01")),
    ("13-15 July 2025", days("2025-07-13", "2025-07-15")),
    (("july 1-7 2025", "july 1 - 7, 2025", "1-7 july 2025"), days("2025-07-01", "2025-07-07")),
    ("march 1 - 15 2026", days("2026-03-01", "2026-03-15")),
    ("dec 30 - 2 2025", "! the interval would end on 2025-12-02, before its start on 2025-12-30"),
    ("mon-wed next week", days("2024-06-10", "2024-06-12", 0.7)),
    # Holidays as ends, by the default region.
    (("christmas to new year's", "between christmas and new year"), days("2024-12-25", "2025-01-01", 0.85)),
    ("from christmas eve to new year's day", days("2024-12-24", "2025-01-01", 0.85)),
    # An order of day and month that one numeric end allows decides the other's.
    ("15/8/2012 - 20/8/2012", days("2012-08-15", "2012-08-20")),
    ("3/4 - 3/6", amb('"3/4" could be March 4 or April 3; date_order chooses',
                      days("2025-03-04", "2025-03-06", 0.75), days("2025-04-03", "2025-06-03", 0.65000004))),
    ("wednesday to friday", amb('today is Wednesday; bare "wednesday" could mean today or next week',
                                days("2024-06-05", "2024-06-07", 0.7),
                                days("2024-06-12", "2024-06-14", 0.59999996, NEXT_WEEK))),
)

CLOCKS = corpus(
    (("3-4pm", "3 - 4pm", "3pm-4pm", "3 – 4 pm", "3pm til 4pm", "3pm 'til 4pm"),
     clock("2024-06-05T15:00:00", "2024-06-05T16:00:00", "today, 15:00 to 16:00")),
    ("3:30-4:30pm", clock("2024-06-05T15:30:00", "2024-06-05T16:30:00", "today, 15:30 to 16:30")),
    (("between 4pm and 5pm", "Between 4pm AND 5pm"), clock("2024-06-05T16:00:00", "2024-06-05T17:00:00", "today, 16:00 to 17:00")),
    ("17:00-18:30", clock("2024-06-05T17:00:00", "2024-06-05T18:30:00", "today, 17:00 to 18:30")),
    (("10pm-2am", "10pm–2am", "10pm—2am"),
     clock("2024-06-05T22:00:00", "2024-06-06T02:00:00", "today, 22:00 to 02:00 the next day")),
    # Ends of one word that the tokens alone do not show: a clock time with seconds, a named hour.
    (("17:00:30-18:00", "17:00:30 - 18:00"),
     clock("2024-06-05T17:00:30", "2024-06-05T18:00:00", "today, 17:00:30 to 18:00")),
    ("half past 3-4pm", clock("2024-06-05T15:30:00", "2024-06-05T16:00:00", "today, 15:30 to 16:00")),
    ("5 o'clock-6", clock("2024-06-05T17:00:00", "2024-06-05T18:00:00", "today, 17:00 to 18:00", 0.85)),
    ("midday-2pm", clock("2024-06-06T12:00:00", "2024-06-06T14:00:00",
                         "tomorrow, 12:00 to 14:00 (that time has already passed today)")),
    # A start that has passed today means tomorrow, as for one clock time.
    (("from 9 to 5", "9-5pm", "9 till 5", "from 9:00 to 5:00", "9-5", "9 to 5", "nine to five", "9 til 5"),
     clock("2024-06-06T09:00:00", "2024-06-06T17:00:00",
           "tomorrow, 09:00 to 17:00 (that time has already passed today)", 0.85)),
    (("0900-1700", "from 0900 to 1700"), clock("2024-06-06T09:00:00", "2024-06-06T17:00:00",
                                               "tomorrow, 09:00 to 17:00 (that time has already passed today)")),
    ("Thursday from 9:30 to 11:00", clock("2024-06-06T09:30:00", "2024-06-06T11:00:00",
                                          "2024-06-06, 09:30 to 11:00", 0.7)),
    (("tomorrow from 7:00 to 8:00pm", "tomorrow from 7 to 8pm"),
     clock("2024-06-06T19:00:00", "2024-06-06T20:00:00", "2024-06-06, 19:00 to 20:00")),
    (("tomorrow 3-4pm", "tomorrow 3 - 4pm", "3-4pm tomorrow", "from 3pm to 4pm tomorrow"),
     clock("2024-06-06T15:00:00", "2024-06-06T16:00:00", "2024-06-06, 15:00 to 16:00")),
    (("3pm until 5pm", "3PM Until 5PM"), clock("2024-06-05T15:00:00", "2024-06-05T17:00:00", "today, 15:00 to 17:00")),
    ("9am till noon", clock("2024-06-06T09:00:00", "2024-06-06T12:00:00",
                            "tomorrow, 09:00 to 12:00 (that time has already passed today)")),
    ("tomorrow 9-5", clock("2024-06-06T09:00:00", "2024-06-06T17:00:00", "2024-06-06, 09:00 to 17:00", 0.85)),
    ("friday 10-2", clock("2024-06-07T10:00:00", "2024-06-07T14:00:00", "2024-06-07, 10:00 to 14:00", 0.7)),
    (("monday 9am to friday 5pm", "mon 9am - fri 5pm", "9am monday to 5pm friday", "monday 9am until friday 5pm"),
     clock("2024-06-10T09:00:00", "2024-06-14T17:00:00", "2024-06-10 09:00 to 2024-06-14 17:00" + NEXT_WEEK, 0.7)),
    (("june 13 at 9am to june 15 at 5pm", "jun 13 9:00 - jun 15 17:00"),
     clock("2024-06-13T09:00:00", "2024-06-15T17:00:00", "2024-06-13 09:00 to 2024-06-15 17:00")),
    ("from tomorrow 9am to friday noon",
     clock("2024-06-06T09:00:00", "2024-06-07T12:00:00", "2024-06-06 09:00 to 2024-06-07 12:00", 0.7)),
    # ISO date-times as given; a clock time alone ends on the start's day, or the next.
    (("2025-01-01T09:00 to 2025-01-02T17:00", "from 2025-01-01T09:00 until 2025-01-02T17:00",
      "2025-01-01T09:00/2025-01-02T17:00"),
     clock("2025-01-01T09:00:00", "2025-01-02T17:00:00", "2025-01-01 09:00 to 2025-01-02 17:00")),
    (("2025-01-01T09:00 - 17:00", "2025-01-01T09:00..2025-01-01T17:00", "2025-01-01T09:00 to 5pm"),
     clock("2025-01-01T09:00:00", "2025-01-01T17:00:00", "2025-01-01 09:00 to 2025-01-01 17:00")),
    ("2025-01-01T22:00:30 - 02:00", clock("2025-01-01T22:00:30", "2025-01-02T02:00:00",
                                          "2025-01-01 22:00:30 to 2025-01-02 02:00")),
    ("2025-01-01T17:00 - 3pm", clock("2025-01-01T17:00:00", "2025-01-02T15:00:00", "2025-01-01 17:00 to 2025-01-02 "
                                     "15:00 (the end moves to the next day: it would come before the start)", 0.85)),
    ("2025-01-02T09:00 to 2025-01-01T17:00",
     "! the interval would end at 2025-01-01 17:00, before its start at 2025-01-02 09:00"),
    (("now to 5pm", "now - 5pm", "now until 5pm"),
     clock("2024-06-05T14:20:10", "2024-06-05T17:00:00", "from now until 2024-06-05 17:00")),
    ("from now until friday", clock("2024-06-05T14:20:10", "2024-06-07T23:59:59", "from now until 2024-06-07 23:59:59", 0.7)),
    (("9am-5pm friday", "9am - 5pm friday", "9am-5pm FRIDAY"),
     clock("2024-06-07T09:00:00", "2024-06-07T17:00:00", "2024-06-07, 09:00 to 17:00", 0.7)),
    (("friday 10pm-2am", "friday 10pm - 2am"), clock("2024-06-07T22:00:00", "2024-06-08T02:00:00",
                              "2024-06-07, 22:00 to 02:00 the next day", 0.7)),
    # A part of the day puts a start without am/pm in its half; the end follows the start, and
    # "tonight" and "this ..." name today even once the start has passed.
    (("tonight 8-10", "tonight from 8 to 10", "8-10 tonight"),
     clock("2024-06-05T20:00:00", "2024-06-05T22:00:00", "today, 20:00 to 22:00 (tonight)", 0.85)),
    ("tonight 11-1", clock("2024-06-05T23:00:00", "2024-06-06T01:00:00",
                           "today, 23:00 to 01:00 the next day (tonight)", 0.85)),
    ("this morning 11-1", clock("2024-06-05T11:00:00", "2024-06-05T13:00:00", "today, 11:00 to 13:00 (morning)", 0.85)),
    ("tomorrow afternoon from 2 to 4",
     clock("2024-06-06T14:00:00", "2024-06-06T16:00:00", "2024-06-06, 14:00 to 16:00 (afternoon)", 0.85)),
    ("tomorrow afternoon 2-4pm", clock("2024-06-06T14:00:00", "2024-06-06T16:00:00", "2024-06-06, 14:00 to 16:00 (afternoon)")),
    ("friday evening 7-9pm", clock("2024-06-07T19:00:00", "2024-06-07T21:00:00", "2024-06-07, 19:00 to 21:00 (evening)", 0.7)),
    ("afternoon 2-4", clock("2024-06-06T14:00:00", "2024-06-06T16:00:00",
                            "tomorrow, 14:00 to 16:00 (afternoon) (that time has already passed today)", 0.85)),
    ("last night 8-10", clock("2024-06-04T20:00:00", "2024-06-04T22:00:00", "2024-06-04, 20:00 to 22:00 (last night)", 0.85)),
    # An am/pm written on the end reaches the start before the part does, and a named hour keeps its
    # own: the part is no reason to read 3 in the morning or noon as midnight.
    ("tonight 3-4pm", clock("2024-06-05T15:00:00", "2024-06-05T16:00:00", "today, 15:00 to 16:00 (tonight)")),
    ("3-4pm in the morning", clock("2024-06-05T15:00:00", "2024-06-05T16:00:00", "today, 15:00 to 16:00 (morning)")),
    ("tomorrow night noon-2pm", clock("2024-06-06T12:00:00", "2024-06-06T14:00:00", "2024-06-06, 12:00 to 14:00 (night)")),
    # A night's small hours are the next day's, as for one clock time ("tonight at 1").
    ("tonight 1-3",
     clock("2024-06-06T01:00:00", "2024-06-06T03:00:00", "2024-06-06, 01:00 to 03:00 (tonight, into the next day)", 0.85)),
    ("tonight 1am-3am",
     clock("2024-06-06T01:00:00", "2024-06-06T03:00:00", "2024-06-06, 01:00 to 03:00 (tonight, into the next day)")),
    ("tomorrow night 12-2", clock("2024-06-07T00:00:00", "2024-06-07T02:00:00",
                                  "2024-06-07, 00:00 to 02:00 (night, into the next day)", 0.85)),
    ("tomorrow lunch 12-1", "?"),
    ("wednesday 3-4pm", amb('today is Wednesday; bare "wednesday" could mean today or next week',
                            clock("2024-06-05T15:00:00", "2024-06-05T16:00:00", "2024-06-05, 15:00 to 16:00", 0.7),
                            clock("2024-06-12T15:00:00", "2024-06-12T16:00:00", "2024-06-12, 15:00 to 16:00",
                                  0.59999996))),
)

LENGTHS = corpus(
    (("4pm for 30 mins", "16h for 30 mins", "4pm for 30min", "4pm for 30m"),
     clock("2024-06-05T16:00:00", "2024-06-05T16:30:00", "today, 16:00 for 30 minutes")),
    ("from 2pm for 2 hours", clock("2024-06-06T14:00:00", "2024-06-06T16:00:00",
                                   "tomorrow, 14:00 for 2 hours (that time has already passed today)")),
    ("tomorrow at 10am for an hour", clock("2024-06-06T10:00:00", "2024-06-06T11:00:00", "2024-06-06, 10:00 for 1 hour")),
    ("friday 9am for 90 minutes", clock("2024-06-07T09:00:00", "2024-06-07T10:30:00",
                                        "2024-06-07, 09:00 for 90 minutes", 0.7)),
    ("for 3 days starting monday", "2024-06-10..2024-06-12 0.7 3 days from 2024-06-10 to 2024-06-12, whole days"),
    ("for 3 days starting tomorrow", "2024-06-06..2024-06-08 0.9 3 days from 2024-06-06 to 2024-06-08, whole days"),
    ("for 2 weeks beginning july 1",
     "2024-07-01..2024-07-14 0.9 2 weeks from 2024-07-01 to 2024-07-14, whole days"),
    ("wednesday for 2 weeks", amb('today is Wednesday; bare "wednesday" could mean today or next week',
                                  "2024-06-05..2024-06-18 0.7 2 weeks from 2024-06-05 to 2024-06-18, whole days",
                                  "2024-06-12..2024-06-25 0.59999996 2 weeks from 2024-06-12 to 2024-06-25, "
                                  "whole days")),
    ("monday for 2 weeks", "2024-06-10..2024-06-23 0.7 2 weeks from 2024-06-10 to 2024-06-23, whole days"),
    # The length makes it an interval, not a start with no end.
    (("starting 5pm for 2 days", "from 5pm for 2 days"),
     clock("2024-06-05T17:00:00", "2024-06-07T17:00:00", "today, 17:00 for 2 days")),
    ("starting july 1 for 3 days", "2024-07-01..2024-07-03 0.9 3 days from 2024-07-01 to 2024-07-03, whole days"),
    (("from now for 2 hours", "now for 2 hours", "starting now for 2 hours"),
     "2024-06-05T14:20:10..2024-06-05T16:20:10 0.9 from now for 2 hours"),
    ("4 pm for half an hour", clock("2024-06-05T16:00:00", "2024-06-05T16:30:00", "today, 16:00 for 30 minutes")),
    ("tomorrow 4pm for 2h", clock("2024-06-06T16:00:00", "2024-06-06T18:00:00", "2024-06-06, 16:00 for 2 hours")),
    (("now for 2 months", "4pm for 30x", "4pm for 0h", "4pm for half a week"), "?"),
    ("thanksgiving for 4 days", "2024-11-28..2024-12-01 0.9 4 days from 2024-11-28 to 2024-12-01, whole days"),
)

# An end before its start moves on; the ends are never swapped. An am/pm on the end alone reaches the
# start only when that keeps the interval forward and shorter than 12 hours.
BACKWARDS_AND_SHARED = corpus(
    (("July 15-13", "15-13 july"), days("2024-07-15", "2025-07-13", 0.85, NEXT_YEAR)),
    (("july 13-1", "july 13 - 1"), days("2024-07-13", "2025-07-01", 0.85, NEXT_YEAR)),
    ("Dec 30 - Jan 2", days("2024-12-30", "2025-01-02", 0.85)),
    ("feb 29 - mar 1", days("2028-02-29", "2028-03-01", 0.85, NEXT_YEAR)),
    ("from may to february", days("2025-05-01", "2026-02-28", 0.7, NEXT_YEAR)),
    ("friday to monday", days("2024-06-07", "2024-06-10", 0.7)),
    # Bare day numbers: the 3rd has passed this month, the 5th is today; the end comes back
    # next month, and the 30th of July would still come before the 31st.
    (("from the 3rd to the 5th", "3rd to 5th"), days("2024-07-03", "2024-07-05", 0.85, NEXT_MONTH)),
    ("the 31st to the 30th", days("2024-07-31", "2024-08-30", 0.85, NEXT_MONTH)),
    # This year's first quarter has passed: the second comes back a year on, as a month does.
    ("Q1-Q2", days("2025-01-01", "2025-06-30", 0.85, NEXT_YEAR)),
    ("from the 3rd at 5pm to the 5th at 9am",
     clock("2024-07-03T17:00:00", "2024-07-05T09:00:00", "2024-07-03 17:00 to 2024-07-05 09:00" + NEXT_MONTH,
           0.85)),
    ("11-1pm", clock("2024-06-06T11:00:00", "2024-06-06T13:00:00",
                     "tomorrow, 11:00 to 13:00 (that time has already passed today)", 0.85)),
    ("8-9pm", clock("2024-06-05T20:00:00", "2024-06-05T21:00:00", "today, 20:00 to 21:00")),
    ("8:30-7pm", clock("2024-06-06T08:30:00", "2024-06-06T19:00:00",
                       "tomorrow, 08:30 to 19:00 (that time has already passed today)")),
    (("5-8am", "from 5 to 8am"), clock("2024-06-06T05:00:00", "2024-06-06T08:00:00",
                                      "tomorrow, 05:00 to 08:00 (that time has already passed today)")),
    ("1-2am", clock("2024-06-06T01:00:00", "2024-06-06T02:00:00",
                    "tomorrow, 01:00 to 02:00 (that time has already passed today)")),
    (("12-12:30pm", "between 12 and 12:30pm"), clock("2024-06-06T12:00:00", "2024-06-06T12:30:00",
                                                     "tomorrow, 12:00 to 12:30 (that time has already passed today)")),
    ("from 12 to 1", clock("2024-06-06T12:00:00", "2024-06-06T13:00:00",
                           "tomorrow, 12:00 to 13:00 (that time has already passed today)", 0.85)),
    ("11am-12", clock("2024-06-06T11:00:00", "2024-06-06T12:00:00",
                      "tomorrow, 11:00 to 12:00 (that time has already passed today)", 0.85)),
    ("5am-8pm", clock("2024-06-06T05:00:00", "2024-06-06T20:00:00",
                      "tomorrow, 05:00 to 20:00 (that time has already passed today)")),
    ("11:30pm-12:30", clock("2024-06-05T23:30:00", "2024-06-06T00:30:00",
                            "today, 23:30 to 00:30 the next day")),
    ("5pm-3pm", clock("2024-06-05T17:00:00", "2024-06-06T15:00:00", "today, 17:00 to 15:00 the next day (the end "
                      "moves to the next day: it would come before the start)", 0.85)),
    ("22:00-06:00", clock("2024-06-05T22:00:00", "2024-06-06T06:00:00", "today, 22:00 to 06:00 the next day")),
    ("tomorrow 5pm to tomorrow 9am", "! the interval would end at 2024-06-06 09:00, before its start at 2024-06-06 17:00"),
    ("3pm-1", clock("2024-06-05T15:00:00", "2024-06-06T01:00:00", "today, 15:00 to 01:00 the next day", 0.85)),
    ("9:30-10", clock("2024-06-06T09:30:00", "2024-06-06T10:00:00",
                      "tomorrow, 09:30 to 10:00 (that time has already passed today)", 0.85)),
    ("7pm-9", clock("2024-06-05T19:00:00", "2024-06-05T21:00:00", "today, 19:00 to 21:00", 0.85)),
    ("8/15/2012 - 8/10/2012", "! the interval would end on 2012-08-10, before its start on 2012-08-15"),
    ("from friday to tomorrow", "! the interval would end on 2024-06-06, before its start on 2024-06-07"),
    ("feb 30 - mar 2", "! February 30 does not exist"),
    # Joined in look, but read whole by another family: a date said with its weekday, an open end up to
    # now, a weekday of a week.
    ("friday - july 13", "2024-07-13T09:00:00 0.59999996 2024-07-13, default 09:00 "
                         "(2024-07-13 is a Saturday, not a Friday)"),
    ("june to now", "2024-06-01T00:00:00..2024-06-05T14:20:10 0.85 from 2024-06-01 00:00 until now"),
    ("next week - friday", "2024-06-14T09:00:00 0.95 Friday of next week"),
    # Two bare numbers are no interval without "from" or "between"; "and" alone joins two dates.
    (("3-4", "10-12", "10 to 5", "13-15", "march 3 and 4", "july 13-32", "4pm for 30", "back to school",
      "from 9 to 5 to 6", "call 555-1234", "from 0 to 99", "3/14-15", "8/10-12", "mon -- wed", "July 13 -15",
      "wait till 5", "1-7 2025", "in 3-4 days"), "?"),
)


# Words the tokens do not hold one for one: dropped ("at", "the", "on", "for"), joined ("9 am"), parted
# by punctuation, or made three ("eom"); the ends are the same with them as without.
WORDS = corpus(
    (("monday at 9am to friday at 5pm", "Monday AT 9am TO Friday AT 5pm"),
     clock("2024-06-10T09:00:00", "2024-06-14T17:00:00", "2024-06-10 09:00 to 2024-06-14 17:00" + NEXT_WEEK,
           0.7)),
    (("from 9 am to 5 pm", "between 9 am and 5 pm"),
     clock("2024-06-06T09:00:00", "2024-06-06T17:00:00",
           "tomorrow, 09:00 to 17:00 (that time has already passed today)")),
    (("from 3 pm for 2 hours", "for 2 hours starting at 3pm"),
     clock("2024-06-05T15:00:00", "2024-06-05T17:00:00", "today, 15:00 for 2 hours")),
    ("2pm FOR 2 hours", clock("2024-06-06T14:00:00", "2024-06-06T16:00:00",
                              "tomorrow, 14:00 for 2 hours (that time has already passed today)")),
    (("the 3rd-the 5th", "between the 3rd and the 5th"), days("2024-07-03", "2024-07-05", 0.85, NEXT_MONTH)),
    (("on monday to on friday", "monday, to friday"), days("2024-06-10", "2024-06-14", 0.7, NEXT_WEEK)),
    (("mon-wed!", "(mon-wed)"), days("2024-06-10", "2024-06-12", 0.7, NEXT_WEEK)),
    (("july 13..15", "13..15 july"), days("2024-07-13", "2024-07-15")),
    # A dash beyond ASCII parts no words to the tokenizer, as a hyphen does.
    (("13th–the 15th", "13th-the 15th"), days("2024-06-13", "2024-06-15")),
    ("From 11–at 6", clock("2024-06-06T11:00:00", "2024-06-06T18:00:00",
                           "tomorrow, 11:00 to 18:00 (that time has already passed today)", 0.85)),
    ("today to eom", days("2024-06-05", "2024-06-30", 0.85)),
    ("today - eow", days("2024-06-05", "2024-06-09", 0.85)),
    ("the - friday", "2024-06-07T09:00:00 0.7 the upcoming Friday"),
    (("monday to friday eom", "monday to the", "at 5 to 6", "business days to friday"), "?"),
)


@pytest.mark.parametrize("text, options, expected", DAYS + CLOCKS + LENGTHS + BACKWARDS_AND_SHARED + WORDS)
def test_intervals(text, options, expected):
    assert json.loads(_core.parse_full(text, NOW, {}, (9, 0, 0), 0, False, **options)) == expected


@pytest.mark.parametrize("text, start, end, zone", [
    ("3-4pm UTC", "2024-06-05T15:00:00", "2024-06-05T16:00:00", "UTC"),
    ("from 9 to 5 PST", "2024-06-06T09:00:00", "2024-06-06T17:00:00", "America/Los_Angeles"),
])
def test_a_zone_after_the_second_end_is_the_intervals(text, start, end, zone):
    answer = json.loads(_core.parse_full(text, NOW, {}, (9, 0, 0), 0, False))
    assert (answer["start"], answer["end"], answer["zone"]) == (start, end, zone)


# Labels write years as dates do: four digits with leading zeros, and a sign outside 0..9999.
@pytest.mark.parametrize("now, text, start, label", [
    ("0999-02-27T08:00:00", "monday to friday", "0999-03-04T00:00:00",
     "0999-03-04 to 0999-03-08, whole days" + NEXT_WEEK),
    ("9999-12-30T10:00:00", "july 13-15", "+10000-07-13T00:00:00", "+10000-07-13 to +10000-07-15, whole days"),
    ("-0044-03-15T12:00:00", "9am-5pm friday", "-0044-03-16T09:00:00", "-0044-03-16, 09:00 to 17:00"),
    ("-0044-03-15T12:00:00", "monday for 2 weeks", "-0044-03-19T00:00:00",
     "2 weeks from -0044-03-19 to -0044-04-01, whole days"),
])
def test_labels_write_years_beyond_four_digits(now, text, start, label):
    answer = json.loads(_core.parse_full(text, now, {}, (9, 0, 0), 0, False))
    assert (answer["start"], answer["interpretation"]) == (start, label)
