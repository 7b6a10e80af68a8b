"""Early, middle and late thirds of a period, hedged once or twice, and a period said vaguely as a whole
(Wednesday 2024-06-05, weeks from Monday)."""

import pytest

from outcomes import SUNDAY, corpus, resolve

SATURDAY, JANUARY = "2024-06-08T10:00:00", "2024-01-10T10:00:00"
NEXT_WEEK, THIS_WEEK = "the calendar week after this one", "the current calendar week"
MARCH, FEB = "March 2025 (this year's March has passed)", "February 2025 (this year's February has passed)"
WEEKEND = "the current weekend (Sat-Sun)"

VAGUE = corpus(
    # a week of 7 days: 2 + 2 + 3
    (("early next week", "early in next week"), "2024-06-10..2024-06-11 0.75 the early part of " + NEXT_WEEK),
    (("mid next week", "mid-next week"), "2024-06-12..2024-06-13 0.75 the middle part of " + NEXT_WEEK),
    ("late next week", "2024-06-14..2024-06-16 0.75 the late part of " + NEXT_WEEK),
    # 30-day June (not yet over), 31-day March (of next year), 28-day and 29-day February
    ("early june", "2024-06-01..2024-06-10 0.75 the early part of June of the current year"),
    (("mid june", "middle june"), "2024-06-11..2024-06-20 0.75 the middle part of June of the current year"),
    (("late june", "late in june"), "2024-06-21..2024-06-30 0.75 the late part of June of the current year"),
    (("late in the month", "late this month"),
     "2024-06-21..2024-06-30 0.75 the late part of the current calendar month"),
    ("mid month", "2024-06-11..2024-06-20 0.75 the middle part of the current calendar month"),
    ("early march", "2025-03-01..2025-03-10 0.75 the early part of " + MARCH),
    (("mid-march", "mid march"), "2025-03-11..2025-03-20 0.75 the middle part of " + MARCH),
    ("late in march", "2025-03-21..2025-03-31 0.75 the late part of " + MARCH),
    ("early feb", "2025-02-01..2025-02-09 0.75 the early part of " + FEB),
    ("mid feb", "2025-02-10..2025-02-18 0.75 the middle part of " + FEB),
    ("late feb", "2025-02-19..2025-02-28 0.75 the late part of " + FEB),
    ("mid february", {"now": JANUARY}, "2024-02-10..2024-02-19 0.75 the middle part of February of the current year"),
    ("late february", {"now": JANUARY}, "2024-02-20..2024-02-29 0.75 the late part of February of the current year"),
    # 366 days of 2024: 122 + 122 + 122; 365 days of 2025: 121 + 122 + 122
    ("early this year", "2024-01-01..2024-05-01 0.75 the early part of the current calendar year"),
    ("mid this year", "2024-05-02..2024-08-31 0.75 the middle part of the current calendar year"),
    ("late this year", "2024-09-01..2024-12-31 0.75 the late part of the current calendar year"),
    ("early next year", "2025-01-01..2025-05-01 0.75 the early part of the calendar year after this one"),
    ("mid next year", "2025-05-02..2025-08-31 0.75 the middle part of the calendar year after this one"),
    # quarters of 91 and 92 days
    ("early this quarter", "2024-04-01..2024-04-30 0.75 the early part of the current calendar quarter"),
    ("late in q4", "2024-12-01..2024-12-31 0.75 the late part of Q4 of the current year"),
    # a weekend of two days: early and mid are both the Saturday
    ("early weekend", "2024-06-08..2024-06-08 0.75 the early part of " + WEEKEND),
    ("mid weekend", "2024-06-08..2024-06-08 0.75 the middle part of " + WEEKEND),
    ("late weekend", "2024-06-09..2024-06-09 0.75 the late part of " + WEEKEND),
    ("early next weekend", "2024-06-15..2024-06-15 0.75 the early part of the weekend (Sat-Sun) after this one"),
    # weeks from Sunday: on Sunday 9 June the week is 9..15 June
    ("early this week", {"now": SUNDAY, "week_start": 6}, "2024-06-09..2024-06-10 0.75 the early part of " + THIS_WEEK),
    ("late this week", {"now": SUNDAY, "week_start": 6}, "2024-06-13..2024-06-15 0.75 the late part of " + THIS_WEEK),
    # doubly hedged thirds
    ("sometime early next week", "2024-06-10..2024-06-11 0.7 the early part of " + NEXT_WEEK + " (doubly hedged)"),
    ("around mid next week", "2024-06-12..2024-06-13 0.7 the middle part of " + NEXT_WEEK + " (doubly hedged)"),
    ("sometime late next week", "2024-06-14..2024-06-16 0.7 the late part of " + NEXT_WEEK + " (doubly hedged)"),
    ("sometime mid march", "2025-03-11..2025-03-20 0.7 the middle part of " + MARCH + " (doubly hedged)"),
    ("sometime early in july", "2024-07-01..2024-07-10 0.7 the early part of July of the current year (doubly hedged)"),
    ("around late q3", "2024-08-31..2024-09-30 0.7 the late part of Q3 of the current year (doubly hedged)"),
    # the whole period: the period's own confidence, capped at 0.8
    (("sometime next week", "around next week"), "2024-06-10..2024-06-16 0.8 " + NEXT_WEEK),
    ("somewhere this month", "2024-06-01..2024-06-30 0.8 the current calendar month"),
    ("around next year", "2025-01-01..2025-12-31 0.8 the calendar year after this one"),
    ("around march", "2025-03-01..2025-03-31 0.75 " + MARCH),
    ("sometime in june", "2024-06-01..2024-06-30 0.75 June of the current year"),
    ("around q2", "2024-04-01..2024-06-30 0.8 Q2 of the current year"),
    ("around q03", "2024-07-01..2024-09-30 0.8 Q3 of the current year"),
    ("around q1", "2025-01-01..2025-03-31 0.8 Q1 2025 (this year's Q1 has passed)"),
    ("around weekend", "2024-06-08..2024-06-09 0.8 " + WEEKEND),
    # weekends with weeks from Sunday, said on a Saturday and on a Sunday
    ("sometime this weekend", {"now": SATURDAY, "week_start": 6}, "2024-06-08..2024-06-09 0.8 " + WEEKEND),
    ("around next weekend", {"now": SATURDAY, "week_start": 6},
     "2024-06-15..2024-06-16 0.8 the weekend (Sat-Sun) after this one"),
    ("sometime this weekend", {"now": SUNDAY, "week_start": 6}, "2024-06-15..2024-06-16 0.8 " + WEEKEND),
    ("sometime last weekend", {"now": SUNDAY, "week_start": 6},
     "2024-06-08..2024-06-09 0.8 the weekend (Sat-Sun) before this one"),
    ("sometime this weekend", {"now": SUNDAY}, "2024-06-08..2024-06-09 0.8 " + WEEKEND),
)


@pytest.mark.parametrize("text, options, expected", VAGUE)
def test_vague(text, options, expected):
    assert resolve(text, **options) == expected
