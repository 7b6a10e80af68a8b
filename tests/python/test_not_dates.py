"""Texts that must not resolve: no grammar rule may match them (Wednesday 2024-06-05 14:20:10, launch on
Friday 2025-03-14, unless a row says otherwise)."""

import pytest

from outcomes import MAX, MIN, H, corpus, resolve

TEXTS = [
    # words that are not dates, and near misses of every family
    "lunch with sam", "5 p.m.", "the", "Maybe later?", "blorp", "in 3 weekends", "3 weekends", "hours",
    "next 3 days", "remind me next 3 days", "3 hours later", "half month", "half quarter", "half business day",
    "end of day", "end of", "end of month 6", "start of week 2", "3 business days from today",
    "3rd friday of last month", "last friday of next month", "3rd friday of next week", "3rd friday of this year",
    "3rd friday march", "3rd friday in march", "the 3rd friday", "4294967296th friday of june",
    "last friday of may 300000", "early", "sometime", "early friday", "around tomorrow", "late 2025",
    "middle of next week", "mid next day", "early in", "around next week please", "friday next month",
    "first business day of", "0th business day of next month", "sometime early",
    "last business day in june", "2nd business day after launch", "3rd friday of march friday",
    "end of after week", "mid after year", "first business day of in month",
    # anchored shapes that do not exist, and counts that leave the supported years or overflow
    "1 quarter after launch", "3 hours after launch", "10 minutes before launch", "2 weekends after launch",
    "after launch", "before launch", "3 days launch", "the weekend before launch", "2nd friday before launch",
    "0th friday after launch", "the quarter after launch", "2 days after launch party",
    "1000000 years after launch", "300000 years before launch", "99999999999 days after launch",
    "3000000000 months after launch", "9223372036854775807 weeks after launch",
    "9223372036854775807 days before launch", "in 300000 years", "300000 years ago", "in 3200000 months",
    "in 99999999999999999 years", "99999999999999999 quarters ago", "in 9223372036854775807 minutes",
    "9223372036854775807 weeks ago", "in 9223372036854775807 days", "9999999999 days", "99999999999 business days",
    # words that begin just past the letters
    "{tomorrow", "|next week", "}eom", "~friday", "~", "{5} days", "in 3 days |",
]

NOT_DATES = corpus(
    (tuple(TEXTS), "?"),
    # moments past the ends of the supported calendar
    (("tomorrow", "in 1 day", "in 1 minute", "next year", "next month", "next quarter", "next friday", "tuesday",
      "next business day", "in 1 business day", "eow", "end of next year", "end of q1"), {"now": MAX}, "?"),
    (("yesterday", "1 day ago", "1 minute ago", "last year", "last month", "last wednesday", "last thursday"),
     {"now": MIN}, "?"),
    ("last monday of january", {"now": MAX}, "?"),
    ("last business day of the month", {"now": "0000-06-05T10:00:00"}, "?"),
    # an anchor named inside a word of the language hides that word
    ("second friday of june", {"anchors": {"con": "2025-03-14"}}, "?"),
    anchors={"launch": "2025-03-14"}, holidays=H(),
)


@pytest.mark.parametrize("text, options, expected", NOT_DATES)
def test_does_not_resolve(text, options, expected):
    assert resolve(text, **options) == expected
