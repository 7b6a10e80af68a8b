"""Bare amounts of time counted forward from now, and how they give way to earlier readings
(Wednesday 2024-06-05 14:20:10, default time 09:00)."""

import pytest

from outcomes import H, corpus, resolve

DURATIONS = corpus(
    # exact amounts; a named time replaces the clock for days and longer, not for hours or half days
    (("3 hours", "3 hours at 5pm", "3 hrs"), "2024-06-05T17:20:10 0.95 3 hours from now"),
    (("1 hour", "an hour", "one hour"), "2024-06-05T15:20:10 0.95 1 hour from now"),
    ("0 minutes", "2024-06-05T14:20:10 0.95 0 minutes from now"),
    ("1 month", {"now": "2024-01-31T10:00:00"}, "2024-02-29T10:00:00 0.95 1 month from now"),
    ("3 days at 5pm", "2024-06-08T17:00:00 0.95 3 days from now"),
    ("2 months at 9:30", "2024-08-05T09:30:00 0.95 2 months from now"),
    # vague quantities
    (("couple of hours", "a couple of hours", "a couple hours"),
     "2024-06-05T16:20:10 0.7 approximately 2 hours from now"),
    (("few days", "several days", "a few days"), "2024-06-08T14:20:10 0.7 approximately 3 days from now"),
    ("a couple days", "2024-06-07T14:20:10 0.7 approximately 2 days from now"),
    ("in a few weeks", "2024-06-26T14:20:10 0.7 approximately 3 weeks from now"),
    # halves: exact seconds, except the year, which is six calendar months
    (("half hour", "half an hour", "in half an hour"), "2024-06-05T14:50:10 0.95 half an hour from now"),
    (("half minute", "half a minute"), "2024-06-05T14:20:40 0.95 half a minute from now"),
    (("half day", "half a day", "half day at 5pm"), "2024-06-06T02:20:10 0.95 half a day from now"),
    ("half week", "2024-06-09T02:20:10 0.95 half a week from now"),
    (("half year", "half a year"), "2024-12-05T14:20:10 0.95 half a year from now"),
    ("half year", {"now": "2024-08-31T10:00:00"}, "2025-02-28T10:00:00 0.95 half a year from now"),
    ("half year at 5pm", "2024-12-05T17:00:00 0.95 half a year from now"),
    # business days land on the time of day
    (("3 business days", "3 working days"), "2024-06-10T09:00:00 0.9 3 business days from now"),
    ("3 business days", {"holidays": H("2024-06-07")}, "2024-06-11T09:00:00 0.9 3 business days from now"),
    ("1 business day", "2024-06-06T09:00:00 0.9 1 business day from now"),
    ("0 business days", "2024-06-05T09:00:00 0.9 0 business days from now"),
    ("2 working days at 5pm", "2024-06-07T17:00:00 0.9 2 business days from now"),
    ("a couple of business days", "2024-06-07T09:00:00 0.7 approximately 2 business days from now"),
    # penalties: words ignored, the distant horizon
    (("remind me in 3 hours", "remind\tme\v in\f3\rhours", "remind me" + " " * 60 + "in 3 hours"),
     '2024-06-05T17:20:10 0.9 3 hours from now (ignoring "remind", "me")'),
    # a word across the 64th byte
    ("x" * 70 + " in 3 hours", '2024-06-05T17:20:10 0.9 3 hours from now (ignoring "' + "x" * 70 + '")'),
    ("15 years", "2039-06-05T14:20:10 0.9 15 years from now (distant horizon)"),
    ("3650 days", "2034-06-03T14:20:10 0.95 3650 days from now"),
    ("3651 days", "2034-06-04T14:20:10 0.9 3651 days from now (distant horizon)"),
    ("call mom in 15 years",
     '2039-06-05T14:20:10 0.84999996 15 years from now (distant horizon) (ignoring "call", "mom")'),
    ("roughly a few days", '2024-06-08T14:20:10 0.65 approximately 3 days from now (ignoring "roughly")'),
    ("ship it 3 business days", '2024-06-10T09:00:00 0.84999996 3 business days from now (ignoring "ship", "it")'),
    # the same value from an earlier matcher wins; "1 business days" tells the two readings apart
    ("in 3 hours", "2024-06-05T17:20:10 0.95 3 hours from now"),
    ("in 1 business day", "2024-06-06T09:00:00 0.9 1 business days from today"),
    ("in 0 business days", "2024-06-05T09:00:00 0.9 0 business days from today"),
    ("3 hours ago", "2024-06-05T11:20:10 0.95 3 hours before now"),
)


@pytest.mark.parametrize("text, options, expected", DURATIONS)
def test_durations(text, options, expected):
    assert resolve(text, **options) == expected
