"""Open ends, deadlines and rolling windows in full mode, said on Wednesday 2024-06-05 at 14:20:10."""

import json

import pytest

from kalendo import _core
from outcomes import NOW, amb, corpus


def since(start, confidence=0.85):
    return f"{start}.. {confidence} from {start[:10]} {start[11:16]} on"


OPEN_ENDS = corpus(
    ("until 5pm", "2024-06-05T14:20:10..2024-06-05T17:00:00 0.9 from now until 2024-06-05 17:00"),
    (("till friday", "til friday", "'til friday", "Until Friday", "through friday", "thru friday"),
     "2024-06-05T14:20:10..2024-06-07T23:59:59 0.7 from now until 2024-06-07 23:59:59"),
    ("after 5pm", since("2024-06-05T17:00:00", 0.9)),
    ("after 2pm", since("2024-06-06T14:00:00", 0.9)),
    ("after friday", since("2024-06-08T00:00:00", 0.7)),
    (("since August", "since aug"), since("2023-08-01T00:00:00")),
    ("since june", since("2024-06-01T00:00:00")),
    ("since monday", since("2024-06-03T00:00:00")),
    ("since wednesday", since("2024-06-05T00:00:00")),
    (("since 2pm", "since 2:00 pm"), since("2024-06-05T14:00:00", 0.9)),
    ("since half past 1", since("2024-06-05T13:30:00", 0.9)),
    ("since thursday 5pm", '! "since" names a moment after now'),
    (("since march 14", "since 14th march", "since 3/14"), since("2024-03-14T00:00:00")),
    # A numeric date, a leap day or a day of the month looks back to its most recent one, today's included.
    (("since 12/25", "since 25/12"), since("2023-12-25T00:00:00", 0.9)),
    (("since 2/29", "since feb 29"), since("2024-02-29T00:00:00")),
    ("since the 1st", since("2024-06-01T00:00:00")),
    ("since the 10th", since("2024-05-10T00:00:00", 0.9)),
    ("since the 31st", since("2024-05-31T00:00:00")),
    ("since the 5th", since("2024-06-05T00:00:00", 0.9)),
    ("since 3/4", amb('"3/4" could be March 4 or April 3; date_order chooses',
                      since("2024-03-04T00:00:00", 0.75), since("2024-04-03T00:00:00", 0.65000004))),
    ("since 2020", since("2020-01-01T00:00:00")),
    (("since aug 2023", "since August 2023"), since("2023-08-01T00:00:00", 0.9)),
    # A start looked back as after "since", up to now.
    (("2020-present", "from 2020 to present", "2020 to now", "2020 to date"),
     "2020-01-01T00:00:00..2024-06-05T14:20:10 0.85 from 2020-01-01 00:00 until now"),
    ("june 2022 - present", "2022-06-01T00:00:00..2024-06-05T14:20:10 0.9 from 2022-06-01 00:00 until now"),
    ("june to date", "2024-06-01T00:00:00..2024-06-05T14:20:10 0.85 from 2024-06-01 00:00 until now"),
    ("2030 to present", "! the range would start after now"),
    (("ytd", "YTD", "year to date"), "2024-01-01T00:00:00..2024-06-05T14:20:10 0.9 from 2024-01-01 00:00 until now"),
    (("mtd", "month to date"), "2024-06-01T00:00:00..2024-06-05T14:20:10 0.9 from 2024-06-01 00:00 until now"),
    # Through takes in a day or period whole; a moment has no end for it.
    ("through the night", '! no grammar rule matched "through the night"'),
    ("thru 5pm", '! no grammar rule matched "thru 5pm"'),
    ("starting January 7th", since("2025-01-07T00:00:00")),
    (("starting monday", "from monday on", "from monday onwards", "Starting Monday onward", "as of monday"),
     since("2024-06-10T00:00:00", 0.7)),
    (("beginning next week", "starting next week"), since("2024-06-10T00:00:00", 0.9)),
    ("starting tomorrow at 9am", since("2024-06-06T09:00:00", 0.9)),
    (("from now on", "starting now", "as of now", "as from now", "starting from now", "effective now"),
     "2024-06-05T14:20:10.. 0.9 from 2024-06-05 14:20:10 on"),
    (("starting from monday", "effective monday", "effective as of monday"), since("2024-06-10T00:00:00", 0.7)),
    # A holiday is a day of the region's calendar for every lead word; "since" looks back to it.
    (("until christmas", "till next christmas", "Until Xmas"),
     "2024-06-05T14:20:10..2024-12-25T23:59:59 0.9 from now until 2024-12-25 23:59:59"),
    ("until christmas eve at 5pm", "2024-06-05T14:20:10..2024-12-24T17:00:00 0.9 from now until 2024-12-24 17:00"),
    (("since christmas", "since last christmas"), since("2023-12-25T00:00:00", 0.9)),
    ("since easter", since("2024-03-31T00:00:00", 0.9)),
    (("starting thanksgiving", "from thanksgiving on"), since("2024-11-28T00:00:00", 0.9)),
    ("until boxing day", {"region": "GB"}, "2024-06-05T14:20:10..2024-12-26T23:59:59 0.9 from now until 2024-12-26 23:59:59"),
    (("until boxing day", "since boxing day"), "! Boxing Day is not a holiday of region US (it is one in GB, CA, AU, IE, NZ)"),
    ("since christmas 2025", '! "since" names a moment after now'),
    ("since father\u2019s day", since("2023-06-18T00:00:00", 0.9)),
    ("until st. patrick\u2019s day",
     "2024-06-05T14:20:10..2025-03-17T23:59:59 0.85 from now until 2025-03-17 23:59:59"),
    ("before friday", "..2024-06-06T23:59:59 0.7 until 2024-06-06 23:59:59"),
    ("before 5pm", "..2024-06-05T17:00:00 0.9 until 2024-06-05 17:00"),
    ("until 5pm EST", "2024-06-05T14:20:10..2024-06-05T17:00:00 0.9 from now until 2024-06-05 17:00"),
    # A moment on the wrong side of now says so; a word the families cannot read is no open end.
    (("until yesterday", "till 9am today"), '! "until" names a moment already past'),
    (("since tomorrow", "since 2030"), '! "since" names a moment after now'),
    # A lone hour after a lead word is read as after "at"; longer leads and "onwards" after the start.
    (("till 5", "until 5", "up to 5pm", "up until 5pm", "till five"),
     "2024-06-05T14:20:10..2024-06-05T17:00:00 0.9 from now until 2024-06-05 17:00"),
    (("after 5", "any time after 5", "anytime after 5pm", "later than 5pm", "not before 5pm", "no earlier than 5pm",
      "5pm onwards"), since("2024-06-05T17:00:00", 0.9)),
    ("since 9", since("2024-06-05T09:00:00", 0.9)),
    (("monday onwards", "mon onward", "not before monday"), since("2024-06-10T00:00:00", 0.7)),
    ("jan 7 onwards", since("2025-01-07T00:00:00")),
    ("2020 onwards", since("2020-01-01T00:00:00")),
    (("until", "since", "after", "since the dawn of time", "starting soon", "by the way", "by next week",
      "up to 5", "up to 5 people", "5 onwards", "chapter 3 onwards", "onwards", "up to", "until 13", "after 0", "present", "to date", "up to date", "at present"), "?"),
)

DEADLINES = corpus(
    ("by friday", "2024-06-07T09:00:00 0.7 by the upcoming Friday (a deadline)"),
    (("by 5pm", "by 5", "no later than 5pm"), "2024-06-05T17:00:00 0.9 by 17:00 today (a deadline)"),
    ("no later than friday", "2024-06-07T09:00:00 0.7 by the upcoming Friday (a deadline)"),
    ("by christmas", "2024-12-25T09:00:00 0.9 by Christmas Day 2024-12-25, default 09:00 (a deadline)"),
    # "by" also leads a date, which the dates read before the open ends.
    (("by march 14", "by 3/14"),
     "2025-03-14T09:00:00 0.85 2025-03-14, default 09:00 (this year's has passed; assuming 2025)"),
    ("by the 14th", "2024-06-14T09:00:00 0.9 2024-06-14, default 09:00"),
)

WINDOWS = corpus(
    (("last 2 days", "past 2 days", "the last two days", "over the past 2 days"),
     "2024-06-03..2024-06-04 0.9 the 2 days before today"),
    (("next 3 days", "the next three days", "in the next 3 days", "during the next 3 days"),
     "2024-06-06..2024-06-08 0.9 the 3 days after today"),
    (("last 7 days", "the preceding 7 days"), "2024-05-29..2024-06-04 0.9 the 7 days before today"),
    (("the following 2 days", "following 2 days"), "2024-06-06..2024-06-07 0.9 the 2 days after today"),
    # The core reads these as 7 days from now, skipping "coming": a whole window replaces that.
    (("the coming 7 days", "over the coming 7 days"), "2024-06-06..2024-06-12 0.9 the 7 days after today"),
    ("the last few days", "2024-06-02..2024-06-04 0.9 the 3 days before today"),
    (("the coming week", "coming week"), "2024-06-06..2024-06-12 0.9 the week after today"),
    # "coming" before a day is no window: the core's weekday.
    (("coming monday", "the coming monday"), "2024-06-10T09:00:00 0.7 the upcoming Monday"),
    ("last 3 months", "2024-03-05..2024-06-04 0.9 the 3 months before today"),
    (("next 3 hours", "within the next 3 hours"),
     "2024-06-05T14:20:10..2024-06-05T17:20:10 0.9 the 3 hours from now"),
    (("last 30 minutes", "the last 30 minutes", "the past 30 mins"),
     "2024-06-05T13:50:10..2024-06-05T14:20:10 0.9 the 30 minutes before now"),
    (("past hour", "the past hour", "in the past hour", "in the last hour"),
     "2024-06-05T13:20:10..2024-06-05T14:20:10 0.9 the hour before now"),
    (("within the hour", "within the next hour"), "2024-06-05T14:20:10..2024-06-05T15:20:10 0.9 the hour from now"),
    # Kept as they were: the core's calendar week, the next hour as a moment.
    ("the past week", "2024-05-27..2024-06-02 0.9 the calendar week before this one"),
    ("the next hour", "2024-06-05T15:20:10 0.95 1 hour from now"),
    (("last 0 days", "next 2 quarters", "past 3 weekends"), "?"),
)


@pytest.mark.parametrize(("text", "options", "want"), OPEN_ENDS + DEADLINES + WINDOWS)
def test_open_ends_deadlines_and_windows(text, options, want):
    got = json.loads(_core.parse_full(text, NOW, {}, (9, 0, 0), 0, False, **options))
    got.pop("zone", None)
    assert got == want
