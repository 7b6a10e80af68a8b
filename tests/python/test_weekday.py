"""Weekday names, alone or after next / last / this (Wednesday 2024-06-05; SUNDAY is 2024-06-09)."""

import pytest

from outcomes import MAX, MIN, SUNDAY, amb, corpus, resolve

COUNTS = "today counts per next_skips_today=false"
SKIPS = "skipping today per next_skips_today=true"
PASSED, TODAY = " (already passed this week)", " (that is today)"


def today_or_week(name, today, week_later, hms="09:00:00"):
    return amb(f'today is {name}; bare "{name.lower()}" could mean today or next week',
               f"{today}T{hms} 0.7 {name} — today", f"{week_later}T{hms} 0.59999996 {name} — a week from today")


WEEKDAYS = corpus(
    # bare names and abbreviations: the first such day after today
    (("friday", "FRI", "Fri.", "fri"), "2024-06-07T09:00:00 0.7 the upcoming Friday"),
    (("thurs", "thursday", "thu"), "2024-06-06T09:00:00 0.7 the upcoming Thursday"),
    (("tues", "tue"), "2024-06-11T09:00:00 0.7 the upcoming Tuesday"),
    (("monday", "mon"), "2024-06-10T09:00:00 0.7 the upcoming Monday"),
    ("saturday", {"now": SUNDAY}, "2024-06-15T09:00:00 0.7 the upcoming Saturday"),
    (("friday noon", "friday at 12pm"), "2024-06-07T12:00:00 0.7 the upcoming Friday"),
    ("friday 5 pm", {"default_time": (8, 0, 45)}, "2024-06-07T17:00:00 0.7 the upcoming Friday"),
    ("friday", {"default_time": (8, 0, 45)}, "2024-06-07T08:00:45 0.7 the upcoming Friday"),
    # the bare name of today's weekday: today or a week later, whatever next_skips_today says
    (("wednesday", "wed"), today_or_week("Wednesday", "2024-06-05", "2024-06-12")),
    ("Wednesday", {"next_skips_today": True}, today_or_week("Wednesday", "2024-06-05", "2024-06-12")),
    ("wednesday at 7:45", today_or_week("Wednesday", "2024-06-05", "2024-06-12", "07:45:00")),
    ("sunday", {"now": SUNDAY}, today_or_week("Sunday", "2024-06-09", "2024-06-16")),
    # next W: the first W after today, whatever the week
    # any ASCII white space separates words, \t and \r (the ends of its control range) included
    (("next friday", "next fri", "Next Friday", "next\tfriday", "next\rfri"),
     "2024-06-07T09:00:00 0.95 next Friday, default 09:00"),
    ("next friday", {"next_skips_today": True}, "2024-06-07T09:00:00 0.95 next Friday, default 09:00"),
    ("next thursday", "2024-06-06T09:00:00 0.95 next Thursday, default 09:00"),
    ("next tuesday", "2024-06-11T09:00:00 0.95 next Tuesday, default 09:00"),
    (("next sun", "next sunday"), "2024-06-09T09:00:00 0.95 next Sunday, default 09:00"),
    (("next monday", "next mon"), {"week_start": 6}, "2024-06-10T09:00:00 0.95 next Monday, default 09:00"),
    (("next friday at 5pm", "next fri 17:00"), "2024-06-07T17:00:00 0.95 next Friday, at 17:00"),
    ("next fri 9:30", {"default_time": (8, 0, 0)}, "2024-06-07T09:30:00 0.95 next Friday, at 09:30"),
    ("next friday", {"default_time": (8, 0, 45)}, "2024-06-07T08:00:45 0.95 next Friday, default 08:00"),
    ("next monday", {"now": SUNDAY}, "2024-06-10T09:00:00 0.95 next Monday, default 09:00"),
    # next W said on a W: today, or a week ahead when next_skips_today
    ("next wednesday", "2024-06-05T09:00:00 0.9 next Wednesday — today is Wednesday; " + COUNTS),
    (("next wednesday", "next wed"), {"next_skips_today": True},
     "2024-06-12T09:00:00 0.9 next Wednesday — today is Wednesday; " + SKIPS),
    ("next wednesday at 5pm", {"next_skips_today": True},
     "2024-06-12T17:00:00 0.9 next Wednesday — today is Wednesday; " + SKIPS),
    (("next sunday", "next sun"), {"now": SUNDAY},
     "2024-06-09T09:00:00 0.9 next Sunday — today is Sunday; " + COUNTS),
    ("next sunday", {"now": SUNDAY, "next_skips_today": True},
     "2024-06-16T09:00:00 0.9 next Sunday — today is Sunday; " + SKIPS),
    # last W: strictly before today, a week back for today's weekday
    (("last tuesday", "last tue", "previous tuesday"), "2024-06-04T09:00:00 0.95 the most recent Tuesday before today"),
    ("last thursday", "2024-05-30T09:00:00 0.95 the most recent Thursday before today"),
    ("last wednesday", "2024-05-29T09:00:00 0.95 the most recent Wednesday before today"),
    ("last tuesday 7:15", {"week_start": 6}, "2024-06-04T07:15:00 0.95 the most recent Tuesday before today"),
    ("last sunday", {"now": SUNDAY}, "2024-06-02T09:00:00 0.95 the most recent Sunday before today"),
    ("last saturday", {"now": SUNDAY}, "2024-06-08T09:00:00 0.95 the most recent Saturday before today"),
    # this W: the W of the configured week that holds today
    ("this monday", "2024-06-03T09:00:00 0.75 Monday of the current week" + PASSED),
    ("this wednesday", "2024-06-05T09:00:00 0.9 Wednesday of the current week" + TODAY),
    ("this thursday", "2024-06-06T09:00:00 0.85 Thursday of the current week"),
    (("this sunday", "this sun"), "2024-06-09T09:00:00 0.85 Sunday of the current week"),
    ("this sunday at 18:45", "2024-06-09T18:45:00 0.85 Sunday of the current week"),
    ("this sunday", {"week_start": 6}, "2024-06-02T09:00:00 0.75 Sunday of the current week" + PASSED),
    ("this saturday", {"week_start": 6}, "2024-06-08T09:00:00 0.85 Saturday of the current week"),
    ("this monday", {"week_start": 2}, "2024-06-10T09:00:00 0.85 Monday of the current week"),
    ("this tuesday", {"week_start": 2}, "2024-06-11T09:00:00 0.85 Tuesday of the current week"),
    ("this wednesday", {"week_start": 2}, "2024-06-05T09:00:00 0.9 Wednesday of the current week" + TODAY),
    ("this saturday", {"now": SUNDAY}, "2024-06-08T09:00:00 0.75 Saturday of the current week" + PASSED),
    ("this sunday", {"now": SUNDAY}, "2024-06-09T09:00:00 0.9 Sunday of the current week" + TODAY),
    ("this saturday", {"now": SUNDAY, "week_start": 6}, "2024-06-15T09:00:00 0.85 Saturday of the current week"),
    ("this monday", {"now": SUNDAY, "week_start": 6}, "2024-06-10T09:00:00 0.85 Monday of the current week"),
    ("this wednesday", {"now": SUNDAY, "week_start": 2},
     "2024-06-05T09:00:00 0.75 Wednesday of the current week" + PASSED),
    # the ends of the calendar: MAX is a Monday, MIN a Thursday
    ("last friday", {"now": MAX}, "+262142-12-28T09:00:00 0.95 the most recent Friday before today"),
    ("friday", {"now": MIN}, "-262143-01-02T09:00:00 0.7 the upcoming Friday"),
    ("next thursday", {"now": MIN}, "-262143-01-01T09:00:00 0.9 next Thursday — today is Thursday; " + COUNTS),
)


@pytest.mark.parametrize("text, options, expected", WEEKDAYS)
def test_weekdays(text, options, expected):
    assert resolve(text, **options) == expected
