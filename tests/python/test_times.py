"""Clock times, parts of the day and hedged times in full mode, said on Wednesday 2024-06-05 at 14:20:10."""

import json
from datetime import datetime, time

import pytest

import kalendo
from kalendo import _core
from outcomes import NOW, corpus


def full(text, now=NOW, **options):
    return json.loads(_core.parse_full(text, now, {}, (9, 0, 0), 0, False, **options))


def today(hm, reading=None, confidence=0.9):
    return f"2024-06-05T{hm}:00 {confidence} {reading or hm + ' today'}"


def tomorrow(hm):
    return f"2024-06-06T{hm}:00 0.9 {hm} tomorrow (that time has already passed today)"


SPELLINGS = corpus(
    (("5:30 pm", "5:30PM", "5.30pm", "5.30 p.m.", "5:30 p m", "17h30", "half past 5"), today("17:30")),
    (("330 p.m.", "330pm", "3:30 p m", "15h30", "3.30P.M.", "half three", "half 3"), today("15:30")),
    (("7p", "7 pm", "7 p.m."), today("19:00")),
    (("3:15p", "quarter past 3", "a quarter past three pm"), today("15:15")),
    (("15h", "at 15h00", "3 o'clock", "at 3", "at three"), today("15:00")),
    (("ten past six", "10 past 6"), today("18:10")),
    (("quarter to 5", "a quarter to five", "4:45 pm", "quarter til 5"), today("16:45")),
    ("17:30:15", "2024-06-05T17:30:15 0.9 17:30:15 today"),
    (("9:45:30 pm", "9:45:30PM"), "2024-06-05T21:45:30 0.9 21:45:30 today"),
    (("17.30", "at 17.30"), today("17:30")),
    ("09.45", tomorrow("09:45")),
    (("ten to six", "ten til six"), today("17:50")),
    (("twenty five past 4", "25 past four"), today("16:25")),
    ("twenty five to four", today("15:35")),
    (("twenty to eight", "twenty to 8"), tomorrow("07:40")),
    ("five to noon", tomorrow("11:55")),
    ("five to midnight", today("23:55")),
    ("a quarter past noon", tomorrow("12:15")),
    (("11.30am", "1130 a.m.", "11:30 a m"), tomorrow("11:30")),
    (("at 5", "5 o'clock", "at five", "@ 5", "@5pm", "@ 5pm"), today("17:00")),
    (("at 2", "2 o'clock"), tomorrow("14:00")),
    ("at 8", tomorrow("08:00")),
    (("at 12", "midday", "at midday"), tomorrow("12:00")),
)

WITH_DAYS = corpus(
    (("3pm tomorrow", "at 3pm tomorrow", "tomorrow at 3pm", "tomorrow 3:00 p.m."),
     "2024-06-06T15:00:00 0.95 tomorrow, at 15:00"),
    (("5pm tomorrow", "5 pm tomorrow"), "2024-06-06T17:00:00 0.95 tomorrow, at 17:00"),
    (("at 9am on Saturday", "9am saturday"), "2024-06-08T09:00:00 0.7 the upcoming Saturday"),
    (("noon friday", "friday at noon", "at 12 on friday"), "2024-06-07T12:00:00 0.7 the upcoming Friday"),
    ("8pm next friday", "2024-06-07T20:00:00 0.95 next Friday, at 20:00"),
    (("friday @ 3pm", "friday @3pm"), "2024-06-07T15:00:00 0.7 the upcoming Friday"),
    (("17.30 tomorrow", "tomorrow 5:30pm"), "2024-06-06T17:30:00 0.95 tomorrow, at 17:30"),
    ("half three tomorrow", "2024-06-06T15:30:00 0.95 tomorrow, at 15:30"),
    (("midnight tomorrow", "tomorrow at midnight"), "2024-06-06T00:00:00 0.95 tomorrow, at 00:00"),
    ("tomorrow at 8", "2024-06-06T08:00:00 0.95 tomorrow, at 08:00"),
    ("march 14 at 5.30pm",
     "2025-03-14T17:30:00 0.85 2025-03-14, at 17:30 (this year's has passed; assuming 2025)"),
    ("7p on 2025-03-14", "2025-03-14T19:00:00 0.9 2025-03-14, at 19:00"),
    ("the day after tomorrow at quarter to 9", "2024-06-07T08:45:00 0.9 the day after tomorrow, at 08:45"),
)

HEDGED = corpus(
    ("around 1pm", '2024-06-06T13:00:00 0.7 13:00 tomorrow (that time has already passed today) '
                   '(approximately: "around")'),
    ("about noon", '2024-06-06T12:00:00 0.7 12:00 tomorrow (that time has already passed today) '
                   '(approximately: "about")'),
    ("3pm approximately", '2024-06-05T15:00:00 0.7 15:00 today (approximately: "approximately")'),
    (("3pm-ish", "3ish", "3 ish", "3pmish"), '2024-06-05T15:00:00 0.7 15:00 today (approximately: "ish")'),
    ("about 3", '2024-06-05T15:00:00 0.7 15:00 today (approximately: "about")'),
    ("around 8", '2024-06-06T08:00:00 0.7 08:00 tomorrow (that time has already passed today) '
                 '(approximately: "around")'),
    ("3ish tomorrow", '2024-06-06T15:00:00 0.75 tomorrow, at 15:00 (approximately: "ish")'),
    ("roughly 5pm tomorrow", '2024-06-06T17:00:00 0.75 tomorrow, at 17:00 (approximately: "roughly")'),
)

PARTS = corpus(
    ("this morning", "2024-06-05T09:00:00 0.9 today, at 09:00 (morning)"),
    ("in the morning today", "2024-06-05T09:00:00 0.95 today, at 09:00 (morning)"),
    ("8 tomorrow morning", "2024-06-06T08:00:00 0.95 tomorrow, at 08:00 (morning)"),
    ("at 7 o'clock in the evening", "2024-06-05T19:00:00 0.9 today, at 19:00 (evening)"),
    ("morning", "2024-06-06T09:00:00 0.9 tomorrow, at 09:00 (morning; that time has already passed today)"),
    (("tomorrow morning", "morning tomorrow"), "2024-06-06T09:00:00 0.95 tomorrow, at 09:00 (morning)"),
    ("friday evening", "2024-06-07T19:00:00 0.7 the upcoming Friday (evening)"),
    # am|pm after a day word is its morning or afternoon; after a number it stays the clock's.
    ("friday pm", "2024-06-07T15:00:00 0.7 the upcoming Friday (afternoon)"),
    ("tomorrow am", "2024-06-06T09:00:00 0.95 tomorrow, at 09:00 (morning)"),
    ("friday 12 am", "2024-06-07T00:00:00 0.7 the upcoming Friday"),
    (("this evening", "evening"), "2024-06-05T19:00:00 0.9 today, at 19:00 (evening)"),
    (("tonight", "tonite"), "2024-06-05T20:00:00 0.9 today, at 20:00 (tonight)"),
    (("tmrw 5pm", "tmr at 5pm"), "2024-06-06T17:00:00 0.95 tomorrow, at 17:00"),
    (("tonight at 11", "11 tonight"), "2024-06-05T23:00:00 0.9 today, at 23:00 (tonight)"),
    ("11:30 tonight", "2024-06-05T23:30:00 0.9 today, at 23:30 (tonight)"),
    (("tonight at 1:30", "1:30 tonight"), "2024-06-06T01:30:00 0.9 tomorrow, at 01:30 (tonight)"),
    ("at 2 tonight", "2024-06-06T02:00:00 0.9 tomorrow, at 02:00 (tonight)"),
    ("tonight at 6", "2024-06-05T18:00:00 0.9 today, at 18:00 (tonight)"),
    (("12:30 tonight", "tonight at 12:30"), "2024-06-06T00:30:00 0.9 tomorrow, at 00:30 (tonight)"),
    (("12 tonight", "12am tonight", "tonight at midnight"), "2024-06-06T00:00:00 0.9 tomorrow, at 00:00 (tonight)"),
    (("1am tonight", "tonight at 1 a.m.", "tonight at 1"), "2024-06-06T01:00:00 0.9 tomorrow, at 01:00 (tonight)"),
    (("last night at 2am", "last night at 2"), "2024-06-05T02:00:00 0.9 today, at 02:00 (night)"),
    (("friday night at 1am", "friday night at 1"),
     "2024-06-08T01:00:00 0.7 the upcoming Friday (night, into the next day)"),
    ("last night", "2024-06-04T21:00:00 0.9 yesterday, at 21:00 (night)"),
    ("last night at 10:30", "2024-06-04T22:30:00 0.9 yesterday, at 22:30 (night)"),
    ("this afternoon at 2", "2024-06-05T14:00:00 0.9 today, at 14:00 (afternoon)"),
    # An hour of an evening is in the afternoon's half of the clock, however early; a morning's stays.
    ("this evening at 1", "2024-06-05T13:00:00 0.9 today, at 13:00 (evening)"),
    ("this morning at 9", "2024-06-05T09:00:00 0.9 today, at 09:00 (morning)"),
    ("3 in the morning", "2024-06-06T03:00:00 0.9 tomorrow, at 03:00 (morning; that time has already passed today)"),
    (("eod", "end of day", "close of business", "COB"), "2024-06-05T17:00:00 0.9 today, at 17:00 (end of day)"),
    ("eod friday", "2024-06-07T17:00:00 0.7 the upcoming Friday (end of day)"),
    ("lunch tomorrow", "2024-06-06T12:00:00 0.95 tomorrow, at 12:00 (lunch)"),
    # The number beside a month is the date's day, not an hour of the part.
    (("july 4 evening", "the evening of July 4", "July 4 in the evening"),
     "2024-07-04T19:00:00 0.9 2024-07-04, at 19:00 (evening)"),
    ("4 july in the morning", "2024-07-04T09:00:00 0.9 2024-07-04, at 09:00 (morning)"),
    # Shapes far into a text: past the first sixteen bytes the scan looks at.
    (("the evening of 14.03.2025", "in the evening on 2025-03-14"),
     "2025-03-14T19:00:00 0.9 2025-03-14, at 19:00 (evening)"),
    ("the day after tomorrow at 17:30:15", "2024-06-07T17:30:15 0.9 the day after tomorrow, at 17:30"),
    ("tomorrow night", "2024-06-06T21:00:00 0.95 tomorrow, at 21:00 (night)"),
    ("first thing tomorrow", "2024-06-06T09:00:00 0.85 tomorrow, at 09:00 (first thing in the morning)"),
    ("first thing monday", "2024-06-10T09:00:00 0.6 the upcoming Monday (first thing in the morning)"),
    ("first thing in the morning on the fifteenth of next month",
     "2024-07-15T09:00:00 0.8 2024-07-15, at 09:00 (first thing in the morning)"),
    (("first thing", "first thing in the morning"), "2024-06-06T09:00:00 0.8 tomorrow, at 09:00 "
                                                    "(first thing in the morning; that time has already passed today)"),
    ("evening", {"now": "2024-06-05T20:30:00"},
     "2024-06-06T19:00:00 0.9 tomorrow, at 19:00 (evening; that time has already passed today)"),
    ("this evening", {"now": "2024-06-05T20:30:00"}, "2024-06-05T19:00:00 0.9 today, at 19:00 (evening)"),
    ("tonight at 1", {"now": "2024-06-05T23:59:59"}, "2024-06-06T01:00:00 0.9 tomorrow, at 01:00 (tonight)"),
    ("tomorrow morning", {"day_parts": {"morning": (8, 0, 0)}},
     "2024-06-06T08:00:00 0.95 tomorrow, at 08:00 (morning)"),
    ("eod", {"day_parts": {"eod": (18, 30, 15), "night": (23, 0, 0)}},
     "2024-06-05T18:30:15 0.9 today, at 18:30:15 (end of day)"),
)

# Words that look like times but name none: each stays a no-parse.
NOT_TIMES = corpus(
    (("5", "at", "around", "am", "pm", "pm me", "midday meal", "about 5 apples", "at five apples", "5 past", "3 past 25", "10 to 5", "2.30", "5.30", "last morning", "25h",
      "13pm", "0am", "9.5pm", "12:60pm", "half past", "quarter to", "quarter past 13", "night night", "7x"), "?"),
    # A count to an hour in digits or not in fives, a dotted pair that may be a date or a sum, a hedge
    # on no hour, and names that hold a zone's or a year's word.
    (("three to four", "twenty to 13", "9.45", "10.15", "14.03", "24.00", "13ish", "about 13", "@home tomorrow",
      "half an apple", "the 1975", "est. 1999", "Acme est. 1999", "pacific", "5pm central park", "eastern europe",
      "first things"), "?"),
    ("this evening at 3 tomorrow", "?"),
)


@pytest.mark.parametrize("text, options, expected", SPELLINGS + WITH_DAYS + HEDGED + PARTS + NOT_TIMES)
def test_clock_times_and_parts_of_the_day(text, options, expected):
    assert full(text, **options) == expected


@pytest.mark.parametrize("day_parts, error, message", [
    ({"brunch": (10, 0, 0)}, ValueError, "unknown part of the day 'brunch'"),
    ({"morning": (24, 0, 0)}, ValueError, "time out of range"),
    ({"morning": (8, 0)}, TypeError, "expected a tuple"),
    ({"morning": (8.5, 0, 0)}, TypeError, "float"),
    ([("morning", (8, 0, 0))], TypeError, "'list' object cannot be converted to 'dict'"),
])
def test_day_parts_are_checked(day_parts, error, message):
    with pytest.raises(error, match=message):
        full("tonight", day_parts=day_parts)


def test_day_parts_through_the_typed_api_and_the_command(capsys):
    said = datetime.fromisoformat(NOW)
    assert kalendo.parse("tonight", now=said, day_parts={"tonight": time(22, 15)}).when == datetime(2024, 6, 5, 22, 15)
    with pytest.raises(ValueError, match="unknown part of the day 'dawn'"):
        kalendo.parse("tonight", now=said, day_parts={"dawn": time(5)})
    with pytest.raises(TypeError, match="must be a datetime.time"):
        kalendo.parse("tonight", now=said, day_parts={"tonight": "22:00"})
    from kalendo._cli import main
    assert main(["--now", NOW, "--day-part", "morning=07:45", "--day-part", "eod=18:00", "tomorrow morning"]) == 0
    assert "2024-06-06 07:45" in capsys.readouterr().out
    with pytest.raises(SystemExit):
        main(["--day-part", "dawn=05:00", "tonight"])
    assert "PART=HH:MM" in capsys.readouterr().err
