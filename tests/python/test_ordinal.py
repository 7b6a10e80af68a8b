"""A weekday picked by its rank in a month: "the 3rd friday of march", "last friday of may 2026"
(Wednesday 2024-06-05)."""

import pytest

from outcomes import MAX, corpus, resolve

EVE, LEAP_DAY = "2024-12-31T16:00:00", "2024-02-29T12:00:00"
ROLLED = " (this year's has passed; assuming 2025)"

ORDINALS = corpus(
    # rank of a month, no year: this year's unless it has passed
    (("the 3rd friday of march", "3rd fri of mar", "third friday of march"),
     "2025-03-21T09:00:00 0.85 the 3rd Friday of March 2025" + ROLLED),
    ("3rd friday of march at 5pm", "2025-03-21T17:00:00 0.85 the 3rd Friday of March 2025" + ROLLED),
    (("2nd friday of june", "2th friday of june", "second friday of june"),
     "2024-06-14T09:00:00 0.85 the 2nd Friday of June 2024"),
    (("first wednesday of june", "1st wed of jun"), "2024-06-05T09:00:00 0.85 the 1st Wednesday of June 2024"),
    ("1st tuesday of june", "2025-06-03T09:00:00 0.85 the 1st Tuesday of June 2025" + ROLLED),
    (("fourth thursday of november", "4th thursday of nov"),
     "2024-11-28T09:00:00 0.85 the 4th Thursday of November 2024"),
    (("the fifth friday of august", "5th friday of aug"), "2024-08-30T09:00:00 0.85 the 5th Friday of August 2024"),
    ("5th saturday of march", "2025-03-29T09:00:00 0.85 the 5th Saturday of March 2025" + ROLLED),
    ("5th thursday of february", {"now": LEAP_DAY}, "2024-02-29T09:00:00 0.85 the 5th Thursday of February 2024"),
    # rank of a month of a given year: kept even when past
    ("3rd friday of march 2024", "2024-03-15T09:00:00 0.9 the 3rd Friday of March 2024"),
    ("3rd friday of march 2026", "2026-03-20T09:00:00 0.9 the 3rd Friday of March 2026"),
    ("fifth friday of may 2026", "2026-05-29T09:00:00 0.9 the 5th Friday of May 2026"),
    ("1st monday of january 1", "0001-01-01T09:00:00 0.9 the 1st Monday of January 1"),
    # the last weekday of a month
    ("last friday of may", "2025-05-30T09:00:00 0.85 the last Friday of May 2025" + ROLLED),
    ("last friday of june", "2024-06-28T09:00:00 0.85 the last Friday of June 2024"),
    ("last wednesday of june", {"now": "2024-06-26T18:00:00"},
     "2024-06-26T09:00:00 0.85 the last Wednesday of June 2024"),
    ("last friday of december", {"now": EVE}, "2025-12-26T09:00:00 0.85 the last Friday of December 2025" + ROLLED),
    ("last friday of may 2026", "2026-05-29T09:00:00 0.9 the last Friday of May 2026"),
    ("last friday of may 2024", "2024-05-31T09:00:00 0.9 the last Friday of May 2024"),
    ("last thursday of february 2024", "2024-02-29T09:00:00 0.9 the last Thursday of February 2024"),
    # this month or next month: never rolled over
    ("2nd tuesday of next month", "2024-07-09T09:00:00 0.85 the 2nd Tuesday of next month (July 2024)"),
    ("1st monday of this month", "2024-06-03T09:00:00 0.85 the 1st Monday of the current month (June 2024)"),
    ("5th sunday of this month", "2024-06-30T09:00:00 0.85 the 5th Sunday of the current month (June 2024)"),
    ("1st friday of next month", {"now": EVE}, "2025-01-03T09:00:00 0.85 the 1st Friday of next month (January 2025)"),
    ("5th thursday of this month", {"now": LEAP_DAY},
     "2024-02-29T09:00:00 0.85 the 5th Thursday of the current month (February 2024)"),
    # the month lacks the day: this year's without a roll-over, else next year's
    (("5th friday of june", "the fifth friday of june"), "! June 2024 has no 5th Friday"),
    ("0th friday of july", "! July 2024 has no 0th Friday"),
    (("5th friday of march", "5th friday of march 2025"), "! March 2025 has no 5th Friday"),
    ("5th thursday of february", {"now": "2024-03-01T08:00:00"}, "! February 2025 has no 5th Thursday"),
    ("5th friday of next month", "! July 2024 has no 5th Friday"),
    # a year that cannot be built keeps the year as written
    ("3rd friday of march 300000", "! March 300000 has no 3rd Friday"),
    ("3rd friday of march 9999999999", "! March 9999999999 has no 3rd Friday"),
    ("1st monday of january", {"now": MAX}, "! January 262143 has no 1st Monday"),
    # the ordinal labels
    ("11th friday of june", "! June 2024 has no 11th Friday"),
    ("12th friday of june", "! June 2024 has no 12th Friday"),
    ("13th friday of june", "! June 2024 has no 13th Friday"),
    ("21st friday of june", "! June 2024 has no 21st Friday"),
    ("22nd friday of june", "! June 2024 has no 22nd Friday"),
    ("23rd friday of june", "! June 2024 has no 23rd Friday"),
    ("101st friday of june", "! June 2024 has no 101st Friday"),
    ("111th friday of june", "! June 2024 has no 111th Friday"),
    ("4294967295th sunday of june", "! June 2024 has no 4294967295th Sunday"),
)


@pytest.mark.parametrize("text, options, expected", ORDINALS)
def test_ranked_weekdays(text, options, expected):
    assert resolve(text, **options) == expected
