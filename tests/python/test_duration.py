"""Bare amounts of time counted forward from now: "3 hours", "couple of days", "half a year"."""

import pytest

from outcomes import Holidays, cases, instant, resolve, unmatched


def ahead(when, label, confidence=0.95, notes=""):
    return instant(when, confidence, label + " from now" + notes)


# Wednesday 2024-06-05 14:20:10, default time 09:00
AMOUNTS = cases(
    ("3 hours", ahead("2024-06-05T17:20:10", "3 hours")),
    ("1 hour", ahead("2024-06-05T15:20:10", "1 hour")),
    ("0 minutes", ahead("2024-06-05T14:20:10", "0 minutes")),
    ("1 month", {"now": "2024-01-31T10:00:00"}, ahead("2024-02-29T10:00:00", "1 month")),
    # vague quantities
    ("couple of hours", ahead("2024-06-05T16:20:10", "approximately 2 hours", 0.7)),
    ("a couple of hours", ahead("2024-06-05T16:20:10", "approximately 2 hours", 0.7)),
    ("few days", ahead("2024-06-08T14:20:10", "approximately 3 days", 0.7)),
    ("several days", ahead("2024-06-08T14:20:10", "approximately 3 days", 0.7)),
    ("a couple days", ahead("2024-06-07T14:20:10", "approximately 2 days", 0.7)),
    ("in a few weeks", ahead("2024-06-26T14:20:10", "approximately 3 weeks", 0.7)),
    # halves: exact seconds, except the year, which is six calendar months
    ("half hour", ahead("2024-06-05T14:50:10", "half an hour")),
    ("half an hour", ahead("2024-06-05T14:50:10", "half an hour")),
    ("in half an hour", ahead("2024-06-05T14:50:10", "half an hour")),
    ("half minute", ahead("2024-06-05T14:20:40", "half a minute")),
    ("half day", ahead("2024-06-06T02:20:10", "half a day")),
    ("half week", ahead("2024-06-09T02:20:10", "half a week")),
    ("half year", ahead("2024-12-05T14:20:10", "half a year")),
    ("half year", {"now": "2024-08-31T10:00:00"}, ahead("2025-02-28T10:00:00", "half a year")),
    # a named time replaces the time of day for days and longer, not for hours or halves of a day
    ("half year at 5pm", ahead("2024-12-05T17:00:00", "half a year")),
    ("half day at 5pm", ahead("2024-06-06T02:20:10", "half a day")),
    ("3 days at 5pm", ahead("2024-06-08T17:00:00", "3 days")),
    ("3 hours at 5pm", ahead("2024-06-05T17:20:10", "3 hours")),
    ("2 months at 9:30", ahead("2024-08-05T09:30:00", "2 months")),
    # business days land on the time of day
    ("3 business days", ahead("2024-06-10T09:00:00", "3 business days", 0.9)),
    ("3 business days", {"holidays": Holidays("2024-06-07")}, ahead("2024-06-11T09:00:00", "3 business days", 0.9)),
    ("1 business day", ahead("2024-06-06T09:00:00", "1 business day", 0.9)),
    ("0 business days", ahead("2024-06-05T09:00:00", "0 business days", 0.9)),
    ("2 working days at 5pm", ahead("2024-06-07T17:00:00", "2 business days", 0.9)),
    ("a couple of business days", ahead("2024-06-07T09:00:00", "approximately 2 business days", 0.7)),
)


@pytest.mark.parametrize("text, options, expected", AMOUNTS)
def test_amounts(text, options, expected):
    assert resolve(text, **options) == expected


DISTANT = " (distant horizon)"

PENALTIES = cases(
    ("remind me in 3 hours", ahead("2024-06-05T17:20:10", "3 hours", 0.9, ' (ignoring "remind", "me")')),
    ("15 years", ahead("2039-06-05T14:20:10", "15 years", 0.9, DISTANT)),
    ("3650 days", ahead("2034-06-03T14:20:10", "3650 days")),
    ("3651 days", ahead("2034-06-04T14:20:10", "3651 days", 0.9, DISTANT)),
    ("call mom in 15 years",
     ahead("2039-06-05T14:20:10", "15 years", 0.84999996, DISTANT + ' (ignoring "call", "mom")')),
    ("roughly a few days", ahead("2024-06-08T14:20:10", "approximately 3 days", 0.65, ' (ignoring "roughly")')),
    ("ship it 3 business days",
     ahead("2024-06-10T09:00:00", "3 business days", 0.84999996, ' (ignoring "ship", "it")')),
)


@pytest.mark.parametrize("text, options, expected", PENALTIES)
def test_penalties(text, options, expected):
    assert resolve(text, **options) == expected


# the same value from an earlier matcher wins; "in 1 business day" tells the two readings apart
ARBITRATION = cases(
    ("in 3 hours", instant("2024-06-05T17:20:10", 0.95, "3 hours from now")),
    ("in 3 business days", instant("2024-06-10T09:00:00", 0.9, "3 business days from today")),
    ("in 1 business day", instant("2024-06-06T09:00:00", 0.9, "1 business days from today")),
    ("in 0 business days", instant("2024-06-05T09:00:00", 0.9, "0 business days from today")),
    # an amount behind "ago" is the relative reading, not a duration
    ("3 hours ago", instant("2024-06-05T11:20:10", 0.95, "3 hours before now")),
)


@pytest.mark.parametrize("text, options, expected", ARBITRATION)
def test_earlier_matchers_win(text, options, expected):
    assert resolve(text, **options) == expected


@pytest.mark.parametrize("text", [
    "3 weekends", "hours", "next 3 days", "remind me next 3 days", "3 hours later", "half month",
    "half quarter", "half business day", "9999999999 days", "99999999999 business days",
])
def test_not_an_amount(text):
    assert resolve(text) == unmatched(text)
