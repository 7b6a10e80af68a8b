"""Weekday names, alone or after next / last / this."""

import pytest

from outcomes import MAX, MIN, SUNDAY, ambiguous, cases, instant, resolve

COUNTS = "today counts per next_skips_today=false"
SKIPS = "skipping today per next_skips_today=true"
PASSED, TODAY = " (already passed this week)", " (that is today)"


def this(name, when, suffix=""):
    """The reading of "this <name>": later this week, today, or already passed."""
    confidence = {"": 0.85, TODAY: 0.9, PASSED: 0.75}[suffix]
    return instant(when, confidence, f"{name} of the current week{suffix}")


def two_weeks(name, today, week_later, hms="09:00:00"):
    return ambiguous([instant(f"{today}T{hms}", 0.7, f"{name} \u2014 today"),
                      instant(f"{week_later}T{hms}", 0.59999996, f"{name} \u2014 a week from today")],
                     f'today is {name}; bare "{name.lower()}" could mean today or next week')


# Wednesday 2024-06-05 unless the options say otherwise; SUNDAY is 2024-06-09.
READINGS = cases(
    # bare names and abbreviations
    ("friday", instant("2024-06-07T09:00:00", 0.7, "the upcoming Friday")),
    ("FRI", instant("2024-06-07T09:00:00", 0.7, "the upcoming Friday")),
    ("thurs", instant("2024-06-06T09:00:00", 0.7, "the upcoming Thursday")),
    ("tues", instant("2024-06-11T09:00:00", 0.7, "the upcoming Tuesday")),
    ("monday", instant("2024-06-10T09:00:00", 0.7, "the upcoming Monday")),
    ("saturday", {"now": SUNDAY}, instant("2024-06-15T09:00:00", 0.7, "the upcoming Saturday")),
    ("friday noon", instant("2024-06-07T12:00:00", 0.7, "the upcoming Friday")),
    ("friday 5 pm", {"default_time": (8, 0, 45)}, instant("2024-06-07T17:00:00", 0.7, "the upcoming Friday")),
    ("friday", {"default_time": (8, 0, 45)}, instant("2024-06-07T08:00:45", 0.7, "the upcoming Friday")),
    # bare name of today's weekday: today or a week later
    ("wednesday", two_weeks("Wednesday", "2024-06-05", "2024-06-12")),
    ("Wednesday", {"next_skips_today": True}, two_weeks("Wednesday", "2024-06-05", "2024-06-12")),
    ("wednesday at 7:45", two_weeks("Wednesday", "2024-06-05", "2024-06-12", "07:45:00")),
    ("sunday", {"now": SUNDAY}, two_weeks("Sunday", "2024-06-09", "2024-06-16")),
    # next W: the first W after today, whatever the week
    ("next friday", instant("2024-06-07T09:00:00", 0.95, "next Friday, default 09:00")),
    ("next thursday", instant("2024-06-06T09:00:00", 0.95, "next Thursday, default 09:00")),
    ("next tuesday", instant("2024-06-11T09:00:00", 0.95, "next Tuesday, default 09:00")),
    ("next monday", {"week_start": 6}, instant("2024-06-10T09:00:00", 0.95, "next Monday, default 09:00")),
    ("next friday", {"next_skips_today": True}, instant("2024-06-07T09:00:00", 0.95, "next Friday, default 09:00")),
    ("next friday at 5pm", instant("2024-06-07T17:00:00", 0.95, "next Friday, at 17:00")),
    ("next fri 9:30", {"default_time": (8, 0, 0)}, instant("2024-06-07T09:30:00", 0.95, "next Friday, at 09:30")),
    ("next friday", {"default_time": (8, 0, 45)}, instant("2024-06-07T08:00:45", 0.95, "next Friday, default 08:00")),
    ("next monday", {"now": SUNDAY}, instant("2024-06-10T09:00:00", 0.95, "next Monday, default 09:00")),
    # next W said on a W
    ("next wednesday", instant("2024-06-05T09:00:00", 0.9, "next Wednesday \u2014 today is Wednesday; " + COUNTS)),
    ("next wednesday", {"next_skips_today": True},
     instant("2024-06-12T09:00:00", 0.9, "next Wednesday \u2014 today is Wednesday; " + SKIPS)),
    ("next wednesday at 5pm", {"next_skips_today": True},
     instant("2024-06-12T17:00:00", 0.9, "next Wednesday \u2014 today is Wednesday; " + SKIPS)),
    ("next sunday", {"now": SUNDAY},
     instant("2024-06-09T09:00:00", 0.9, "next Sunday \u2014 today is Sunday; " + COUNTS)),
    ("next sunday", {"now": SUNDAY, "next_skips_today": True},
     instant("2024-06-16T09:00:00", 0.9, "next Sunday \u2014 today is Sunday; " + SKIPS)),
    # last W: strictly before today, a week back for today's weekday
    ("last tuesday", instant("2024-06-04T09:00:00", 0.95, "the most recent Tuesday before today")),
    ("last thursday", instant("2024-05-30T09:00:00", 0.95, "the most recent Thursday before today")),
    ("last wednesday", instant("2024-05-29T09:00:00", 0.95, "the most recent Wednesday before today")),
    ("last tuesday 7:15", {"week_start": 6},
     instant("2024-06-04T07:15:00", 0.95, "the most recent Tuesday before today")),
    ("last sunday", {"now": SUNDAY}, instant("2024-06-02T09:00:00", 0.95, "the most recent Sunday before today")),
    ("last saturday", {"now": SUNDAY}, instant("2024-06-08T09:00:00", 0.95, "the most recent Saturday before today")),
    # this W: the W of the configured week containing today
    ("this monday", this("Monday", "2024-06-03T09:00:00", PASSED)),
    ("this wednesday", this("Wednesday", "2024-06-05T09:00:00", TODAY)),
    ("this thursday", this("Thursday", "2024-06-06T09:00:00")),
    ("this sunday", this("Sunday", "2024-06-09T09:00:00")),
    ("this sunday at 18:45", this("Sunday", "2024-06-09T18:45:00")),
    ("this sunday", {"week_start": 6}, this("Sunday", "2024-06-02T09:00:00", PASSED)),
    ("this saturday", {"week_start": 6}, this("Saturday", "2024-06-08T09:00:00")),
    ("this monday", {"week_start": 6}, this("Monday", "2024-06-03T09:00:00", PASSED)),
    ("this monday", {"week_start": 2}, this("Monday", "2024-06-10T09:00:00")),
    ("this tuesday", {"week_start": 2}, this("Tuesday", "2024-06-11T09:00:00")),
    ("this wednesday", {"week_start": 2}, this("Wednesday", "2024-06-05T09:00:00", TODAY)),
    ("this saturday", {"now": SUNDAY}, this("Saturday", "2024-06-08T09:00:00", PASSED)),
    ("this monday", {"now": SUNDAY}, this("Monday", "2024-06-03T09:00:00", PASSED)),
    ("this sunday", {"now": SUNDAY}, this("Sunday", "2024-06-09T09:00:00", TODAY)),
    ("this saturday", {"now": SUNDAY, "week_start": 6}, this("Saturday", "2024-06-15T09:00:00")),
    ("this monday", {"now": SUNDAY, "week_start": 6}, this("Monday", "2024-06-10T09:00:00")),
    ("this sunday", {"now": SUNDAY, "week_start": 6}, this("Sunday", "2024-06-09T09:00:00", TODAY)),
    ("this wednesday", {"now": SUNDAY, "week_start": 2}, this("Wednesday", "2024-06-05T09:00:00", PASSED)),
    ("this tuesday", {"now": SUNDAY, "week_start": 2}, this("Tuesday", "2024-06-11T09:00:00")),
    # the ends of the calendar: MAX is a Monday, MIN a Thursday
    ("last friday", {"now": MAX}, instant("+262142-12-28T09:00:00", 0.95, "the most recent Friday before today")),
    ("friday", {"now": MIN}, instant("-262143-01-02T09:00:00", 0.7, "the upcoming Friday")),
    ("next thursday", {"now": MIN},
     instant("-262143-01-01T09:00:00", 0.9, "next Thursday \u2014 today is Thursday; " + COUNTS)),
)


@pytest.mark.parametrize("text, options, expected", READINGS)
def test_weekday_readings(text, options, expected):
    assert resolve(text, **options) == expected


@pytest.mark.parametrize("now, text", [(MAX, "next friday"), (MAX, "tuesday"), (MIN, "last wednesday"),
                                       (MIN, "last thursday")],
                         ids=["next@max", "bare@max", "last@min", "last-today@min"])
def test_weekday_beyond_the_calendar_is_no_parse(now, text):
    assert resolve(text, now=now)["kind"] == "no_parse"


def test_leading_time_is_not_split_off():
    # "noon friday" keeps its clock time as a token, so it is not the Friday-at-noon reading
    assert resolve("noon friday") != resolve("friday noon")
