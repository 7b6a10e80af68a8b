"""Calendar dates in full mode, one corpus per form, said on Wednesday 2024-06-05 at 14:20:10."""

import json

import pytest

from kalendo import _core
from outcomes import NOW, amb, corpus

ROLLED = " (this year's has passed; assuming 2025)"
CHOOSES = "date_order chooses"


def full(text, now=NOW, default_time=(9, 0, 0), **options):
    return json.loads(_core.parse_full(text, now, {}, default_time, 0, False, **options))


def on(day, confidence=0.9, note="", hms=None):
    """The instant of one day: at the default 09:00, or at the clock time `hms` the text gave."""
    label = f"at {hms[:5] if hms.endswith(':00') else hms}" if hms else "default 09:00"
    return f"{day}T{hms or '09:00:00'} {confidence} {day}, {label}{note}"


def rolled(day, hms=None):
    return on(day, 0.85, ROLLED, hms)


NAMED = corpus(
    (("March 14", "march 14th", "Mar. 14", "14 March", "14th of march", "the fourteenth of March", "march the 14th"),
     rolled("2025-03-14")),
    (("July 4", "the 4th of july"), on("2024-07-04")),
    ("4th of July at 8pm", on("2024-07-04", hms="20:00:00")),
    ("june 5", on("2024-06-05")),
    ("june 4", rolled("2025-06-04")),
    (("may 5", "5 may"), rolled("2025-05-05")),
    ("Sept. 3rd", on("2024-09-03")),
    ("the twenty-first of june", on("2024-06-21")),
    ("june thirtieth", on("2024-06-30")),
    ("december three", on("2024-12-03")),
    (("March 14, 2025", "14 March 2025", "March 14th, 2025", "the 14th of March, 2025", "march 14 of 2025",
      "14-Mar-2025"), on("2025-03-14")),
    ("Mar 3 '25", on("2025-03-03")),
    ("mar 3 \u201999", on("1999-03-03")),
    ("March 3, 1066", on("1066-03-03")),
    ("dec 31 9999", on("9999-12-31")),
    ("jan 1 12000", "+12000-01-01T09:00:00 0.9 +12000-01-01, default 09:00"),
    ("Feb 29", on("2028-02-29", 0.85, " (this year's has passed; assuming 2028)")),
    ("feb 29 2028", on("2028-02-29")),
)

ISO = corpus(
    (("2025-03-14", "20250314", "2025.03.14"), on("2025-03-14")),
    # Eight digits across the sixteenth byte, and within the second sixteen.
    (("due by dated 20250314", "by by by by by by by by 20250314"), on("2025-03-14")),
    # Eight digits in the second half of a short text, across its halves, filling one block, and
    # across the block and the bytes after it.
    (("by 20250314", "dated 20250314"), on("2025-03-14")),
    (("5pm on 20250314", "at 5pm on 20250314"), on("2025-03-14", hms="17:00:00")),
    ("noon on 20250314", on("2025-03-14", hms="12:00:00")),
    ("2024-06-05", on("2024-06-05")),
    ("2023-01-01", on("2023-01-01")),
    (("2025-03-14T17:00", "2025-03-14 17:00", "2025-03-14 at 5pm"), on("2025-03-14", hms="17:00:00")),
    (("2025-03-14t17:00:30", "2025-03-14 17:00:30", "2025-03-14T17:00:30.250", "2025-03-14T17:00:30,5"),
     on("2025-03-14", hms="17:00:30")),
    ("2014/12/28", on("2014-12-28")),
    ("2014/12/28", {"date_order": "DMY"}, on("2014-12-28")),
    ("0001-01-01", on("0001-01-01")),
)

NUMERIC = corpus(
    (("3/14", "(3/14),"), rolled("2025-03-14")),
    ("12/25", on("2024-12-25")),
    (("14/3/2025", "14.03.2025", "14.3.25", "3/14/25", "3-14-2025", "3.14.2025", "on 3/14/2025,",
      "14.03.2025."), on("2025-03-14")),
    ("12/25/99", on("1999-12-25")),
    ("12/25/73", on("2073-12-25")),
    ("12/25/74", on("1974-12-25")),
    ("3/4/2025", amb('"3/4/2025" could be March 4 or April 3; ' + CHOOSES, on("2025-03-04", 0.79999995),
                     on("2025-04-03", 0.7))),
    ("3.4.2025", amb('"3.4.2025" could be April 3 or March 4; ' + CHOOSES, on("2025-04-03", 0.79999995),
                     on("2025-03-04", 0.7))),
    ("6/7", amb('"6/7" could be June 7 or July 6; ' + CHOOSES, on("2024-06-07", 0.79999995), on("2024-07-06", 0.7))),
    ("4/4/2025", on("2025-04-04")),
    ("3/4/2025", {"date_order": "DMY"}, on("2025-04-03")),
    ("3/4/2025", {"date_order": "MDY"}, on("2025-03-04")),
    ("25/03/14", {"date_order": "YMD"}, on("2025-03-14")),
    ("14/3/2025", {"date_order": "MDY"}, '! "14/3/2025" is not a valid date in month-day-year order'),
    ("3/14/2025", {"date_order": "DMY"}, '! "3/14/2025" is not a valid date in day-month-year order'),
    ("3/14/2025", {"date_order": "YMD"}, '! "3/14/2025" is not a valid date in year-month-day order'),
)

PERIODS = corpus(
    ("March 2025", "2025-03-01..2025-03-31 0.9 March 2025"),
    ("june of 1992", "1992-06-01..1992-06-30 0.9 June 1992"),
    ("feb, 2024", "2024-02-01..2024-02-29 0.9 February 2024"),
    ("in sept '25", "2025-09-01..2025-09-30 0.9 September 2025"),
    ("2/2013", "2013-02-01..2013-02-28 0.9 February 2013"),
    (("2014-10", "2014/10"), "2014-10-01..2014-10-31 0.9 October 2014"),
    (("Q3 2025", "2025 Q3", "the third quarter of 2025"), "2025-07-01..2025-09-30 0.9 Q3 2025"),
    ("q1 of 2026", "2026-01-01..2026-03-31 0.9 Q1 2026"),
    ("4th quarter 2024", "2024-10-01..2024-12-31 0.9 Q4 2024"),
    (("the third quarter", "3rd quarter"), "2024-07-01..2024-09-30 0.85 Q3 of the current year"),
    ("the first quarter", "2025-01-01..2025-03-31 0.85 Q1 2025 (this year's Q1 has passed)"),
    (("in 2025", "the year 2025", "during 2025", "in '25", "year '25"), "2025-01-01..2025-12-31 0.9 the year 2025"),
    ("during july", "2024-07-01..2024-07-31 0.7 July of the current year"),
    ("the year 325", "0325-01-01..0325-12-31 0.9 the year 325"),
    ("2025", "2025-01-01..2025-12-31 0.7 the year 2025"),
    ("13/2025", '! "13/2025" is not a valid month'),
    # Seasons of the region (the one under way, the next to begin, the last to end), halves of a year.
    (("summer", "this summer", "in the summer"), "2024-06-01..2024-08-31 0.75 summer 2024, 2024-06-01 to 2024-08-31"),
    (("next winter", "winter 2024"), "2024-12-01..2025-02-28 0.75 winter 2024-25, 2024-12-01 to 2025-02-28"),
    (("last fall", "autumn of 2023"), "2023-09-01..2023-11-30 0.75 autumn 2023, 2023-09-01 to 2023-11-30"),
    ("summer", {"region": "AU"}, "2024-12-01..2025-02-28 0.75 summer 2024-25, 2024-12-01 to 2025-02-28"),
    (("h1 2025", "first half of 2025", "1st half of next year"),
     "2025-01-01..2025-06-30 0.9 H1 2025, 2025-01-01 to 2025-06-30"),
    ("the second half of the year", "2024-07-01..2024-12-31 0.9 H2 2024, 2024-07-01 to 2024-12-31"),
    (("h1", "first half", "this h2"), "?"),
)

DAY_OF_MONTH = corpus(
    (("the 14th", "14th", "the fourteenth", "friday the 14th"), on("2024-06-14")),
    ("on the 5th", on("2024-06-05")),
    # Ordinal words past the core's fifth are plain words: the day must still be found in them.
    (("the tenth", "tenth"), on("2024-06-10")),
    ("the 3rd", on("2024-07-03", 0.85, " (this month's has passed; assuming July 2024)")),
    ("the 31st", on("2024-07-31", 0.85, " (June has no 31st; assuming July 2024)")),
    ("friday the 13th", on("2024-09-13", 0.85, " (the next Friday the 13th; assuming September 2024)")),
    ("the 14th at 5pm", on("2024-06-14", hms="17:00:00")),
    # A month named by next|this|last holds the day even when it has passed.
    (("the 15th of next month", "15th of next month", "the fifteenth of next month"), on("2024-07-15")),
    (("the 3rd of this month",), on("2024-06-03")),
    ("the 10th of last month", on("2024-05-10")),
    ("the 31st of this month", "! June 2024 has no 31st"),
)

WEEKDAY = corpus(
    ("Friday, March 14, 2025", on("2025-03-14")),
    ("Monday, March 14, 2025", on("2025-03-14", 0.59999996, " (2025-03-14 is a Friday, not a Monday)")),
    ("Monday, Feb 18", on("2025-02-18", 0.55, ROLLED + " (2025-02-18 is a Tuesday, not a Monday)")),
    ("Friday 7/6", on("2024-06-07")),
    ("saturday 7/6", on("2024-07-06")),
    ("thu 6/7", amb('"6/7" could be June 7 or July 6; ' + CHOOSES,
                    on("2024-06-07", 0.49999997, " (2024-06-07 is a Friday, not a Thursday)"),
                    on("2024-07-06", 0.39999998, " (2024-07-06 is a Saturday, not a Thursday)"))),
    ("fri 2025-03-14 at 17:00", on("2025-03-14", hms="17:00:00")),
    ("Fri, 14 Mar 2025 17:45:00", on("2025-03-14", hms="17:45:00")),
    ("on Friday, the 14th of March", rolled("2025-03-14")),
)

IMPOSSIBLE = corpus(
    ("Feb 30", "! February 30 does not exist"),
    (("April 31", "the 31st of april"), "! April 31 does not exist"),
    ("feb 29 2025", "! February 29, 2025 does not exist"),
    ("march 45", "! March 45 does not exist"),
    *[(text, f'! "{text}" is not a valid date') for text in ("13/13/2024", "2025-02-30", "20250230", "2025-13-01T10:00",
                                                          "31.02.2024")],
)

WITH_TIME = corpus(
    (("March 3 at 5pm", "at 5pm on March 3"), rolled("2025-03-03", "17:00:00")),
    ("March 14, 2025 at 5:30pm", on("2025-03-14", hms="17:30:00")),
    ("14 march 2025 17:45", on("2025-03-14", hms="17:45:00")),
    ("noon on july 4", on("2024-07-04", hms="12:00:00")),
    ("july 4 5 pm", on("2024-07-04", hms="17:00:00")),
    ("12/25 at 10:30am", on("2024-12-25", hms="10:30:00")),
    ("june 5 at 8am", on("2024-06-05", hms="08:00:00")),
    ("july 4", {"default_time": (7, 30, 15)}, "2024-07-04T07:30:15 0.9 2024-07-04, default 07:30"),
    (("17:00:30", "17:00:30.", "17:00:30.250"), "2024-06-05T17:00:30 0.9 17:00:30 today"),
)

LEADING = corpus(
    ("on March 14", rolled("2025-03-14")),
    ("by July 4", on("2024-07-04")),
    (("due 2025-03-14", "dated 14.03.2025"), on("2025-03-14")),
    ("for the 14th", on("2024-06-14")),
)


@pytest.mark.parametrize("text, options, expected",
                         NAMED + ISO + NUMERIC + PERIODS + DAY_OF_MONTH + WEEKDAY + IMPOSSIBLE + WITH_TIME
                         + LEADING)
def test_dates(text, options, expected):
    assert full(text, **options) == expected


EDGES = corpus(
    # Nothing is built outside the supported years: such texts stay unread, and nothing crashes.
    ("march 14", {"now": "+262142-06-01T00:00:00"}, "?"),
    (("the 3rd", "friday the 13th"), {"now": "+262142-12-31T00:00:00"}, "?"),
    ("march 14 999999", "?"),
    ("dec 31", {"now": "+262142-06-01T00:00:00"}, "+262142-12-31T09:00:00 0.9 +262142-12-31, default 09:00"),
    # Two-digit years follow the moment: from 50 years before it to 49 after.
    ("1/2/73", {"now": "2024-06-05T00:00:00", "date_order": "MDY"}, on("2073-01-02")),
    ("1/2/73", {"now": "2124-06-05T00:00:00", "date_order": "MDY"}, on("2173-01-02")),
    ("1/2/00", {"now": "0010-06-05T00:00:00", "date_order": "MDY"}, on("0000-01-02")),
)


@pytest.mark.parametrize("text, options, expected", EDGES)
def test_edges(text, options, expected):
    assert full(text, **options) == expected
