"""Bare months and quarters, weekends, weeks of a weekday, periods next to an anchor, doubly hedged
thirds, and business days counted back from today, from an anchor or into a period."""

import pytest

from outcomes import SUNDAY, Holidays, ambiguous, cases, days, instant, no_parse, resolve, unmatched

LAUNCH = {"launch": "2025-03-14"}  # a Friday
SATURDAY = "2024-06-08T10:00:00"
NEXT_WEEK = "the calendar week after this one"
MARCH = "March 2025 (this year's March has passed)"
AFTER_COMING = "the weekend after the coming one (Sat-Sun)"


def on(day, confidence, interpretation, hms="09:00:00"):
    return instant(f"{day}T{hms}", confidence, interpretation)


def this_month(name, year, month, last):
    """A bare month said during that month: this one, or the same month a year later."""
    return ambiguous([days(f"{year}-{month}-01", f"{year}-{month}-{last}", 0.6, f"{name} \u2014 the current month"),
                      days(f"{year + 1}-{month}-01", f"{year + 1}-{month}-{last}", 0.55, f"{name} {year + 1}")],
                     f'"{name.lower()}" said during {name} could mean the current month or {name} {year + 1}')


def coming_or_after(sat, sun, next_sat, next_sun):
    return ambiguous([days(sat, sun, 0.65, "the coming weekend (Sat-Sun)"),
                      days(next_sat, next_sun, 0.55, AFTER_COMING)],
                     '"next weekend" said midweek can mean the coming weekend or the one after it')


# Wednesday 2024-06-05, weeks from Monday, unless the options say otherwise.
CALENDAR = cases(
    # a bare month or quarter
    ("march", days("2025-03-01", "2025-03-31", 0.7, MARCH)),
    ("December", days("2024-12-01", "2024-12-31", 0.7, "December of the current year")),
    ("june", this_month("June", 2024, "06", 30)),
    ("jun", this_month("June", 2024, "06", 30)),
    ("december", {"now": "2024-12-31T23:00:00"}, this_month("December", 2024, "12", 31)),
    ("q3", days("2024-07-01", "2024-09-30", 0.85, "Q3 of the current year")),
    ("q1", days("2025-01-01", "2025-03-31", 0.85, "Q1 2025 (this year's Q1 has passed)")),
    ("q+2", days("2024-04-01", "2024-06-30", 0.85, "Q2 of the current year")),
    # weekends
    ("this weekend", days("2024-06-08", "2024-06-09", 0.9, "the weekend of the current week (Sat-Sun)")),
    ("last weekend", days("2024-06-01", "2024-06-02", 0.9, "the weekend of the previous week (Sat-Sun)")),
    ("next weekend", coming_or_after("2024-06-08", "2024-06-09", "2024-06-15", "2024-06-16")),
    ("next weekends", coming_or_after("2024-06-08", "2024-06-09", "2024-06-15", "2024-06-16")),
    ("next weekend", {"now": SATURDAY}, days("2024-06-15", "2024-06-16", 0.9, "the weekend of next week (Sat-Sun)")),
    ("next weekend", {"now": SUNDAY}, days("2024-06-15", "2024-06-16", 0.9, "the weekend of next week (Sat-Sun)")),
    ("next weekend", {"now": SUNDAY, "week_start": 6},
     coming_or_after("2024-06-15", "2024-06-16", "2024-06-22", "2024-06-23")),
    ("next weekend", {"now": SATURDAY, "week_start": 6},
     days("2024-06-15", "2024-06-16", 0.9, "the weekend of next week (Sat-Sun)")),
    # a weekday of a named week
    ("friday next week", on("2024-06-14", 0.95, "Friday of next week")),
    ("friday last week", on("2024-05-31", 0.95, "Friday of last week")),
    ("monday this week", on("2024-06-03", 0.75, "Monday of the current week (already passed this week)")),
    ("wednesday this week", on("2024-06-05", 0.85, "Wednesday of the current week")),
    ("fri next week at 5pm", on("2024-06-14", 0.95, "Friday of next week", "17:00:00")),
    ("sunday next week", {"week_start": 6}, on("2024-06-09", 0.95, "Sunday of next week")),
    # doubly hedged thirds
    ("sometime early next week", days("2024-06-10", "2024-06-11", 0.7,
                                      "the early part of the calendar week after this one (doubly hedged)")),
    ("around mid next week", days("2024-06-12", "2024-06-13", 0.7,
                                  "the middle part of the calendar week after this one (doubly hedged)")),
    ("sometime late next week", days("2024-06-14", "2024-06-16", 0.7,
                                     "the late part of the calendar week after this one (doubly hedged)")),
    ("sometime mid march", days("2025-03-11", "2025-03-20", 0.7, f"the middle part of {MARCH} (doubly hedged)")),
    ("sometime early in july", days("2024-07-01", "2024-07-10", 0.7,
                                    "the early part of July of the current year (doubly hedged)")),
    ("around late q3", days("2024-08-31", "2024-09-30", 0.7,
                            "the late part of Q3 of the current year (doubly hedged)")),
    # "sometime next week" is the whole period, read by the vague rules
    ("sometime next week", days("2024-06-10", "2024-06-16", 0.8, NEXT_WEEK)),
)


@pytest.mark.parametrize("text, options, expected", CALENDAR)
def test_calendar_phrases(text, options, expected):
    assert resolve(text, **options) == expected


AFTER_LAUNCH = "the calendar {} after the one containing {}"
BEFORE_LAUNCH = "the calendar {} before the one containing {}"

NEXT_TO_ANCHOR = cases(
    ("the week after launch", days("2025-03-17", "2025-03-23", 0.9, AFTER_LAUNCH.format("week", "2025-03-14"))),
    ("week before launch", days("2025-03-03", "2025-03-09", 0.9, BEFORE_LAUNCH.format("week", "2025-03-14"))),
    ("the week after launch", {"week_start": 6},
     days("2025-03-16", "2025-03-22", 0.9, AFTER_LAUNCH.format("week", "2025-03-14"))),
    ("the month after launch", days("2025-04-01", "2025-04-30", 0.9, AFTER_LAUNCH.format("month", "2025-03-14"))),
    ("the month before launch", days("2025-02-01", "2025-02-28", 0.9, BEFORE_LAUNCH.format("month", "2025-03-14"))),
    ("the month after launch", {"anchors": {"launch": "2025-01-31"}},
     days("2025-02-01", "2025-02-28", 0.9, AFTER_LAUNCH.format("month", "2025-01-31"))),
    ("the month before launch", {"anchors": {"launch": "2025-01-31"}},
     days("2024-12-01", "2024-12-31", 0.9, BEFORE_LAUNCH.format("month", "2025-01-31"))),
    ("the week after launch", {"anchors": {"launch": "2025-01-31"}},
     days("2025-02-03", "2025-02-09", 0.9, AFTER_LAUNCH.format("week", "2025-01-31"))),
    ("the weekend after launch", days("2025-03-15", "2025-03-16", 0.9, "the first weekend (Sat-Sun) after 2025-03-14")),
    ("the weekend after launch", {"anchors": {"launch": "2025-03-15"}},
     days("2025-03-22", "2025-03-23", 0.9, "the first weekend (Sat-Sun) after 2025-03-15")),
    # an unknown name is reported by the anchored rules
    ("the week after christmas",
     ambiguous([], 'unknown anchor "christmas" \u2014 pass it via anchors={"christmas": date(...)}')),
    ("2nd friday after launch", on("2025-03-28", 0.9, "the 2nd Friday strictly after 2025-03-14")),
    ("first friday after launch", on("2025-03-21", 0.9, "the 1st Friday strictly after 2025-03-14")),
    ("3rd monday following launch", on("2025-03-31", 0.9, "the 3rd Monday strictly after 2025-03-14")),
)


@pytest.mark.parametrize("text, options, expected", NEXT_TO_ANCHOR)
def test_periods_next_to_an_anchor(text, options, expected):
    assert resolve(text, **{"anchors": LAUNCH, **options}) == expected


IN_NEXT_MONTH = "business day of the calendar month after this one"

BUSINESS = cases(
    ("3 business days ago", on("2024-05-31", 0.9, "3 business days before today")),
    ("3 working days ago", {"holidays": Holidays("2024-06-03")}, on("2024-05-30", 0.9, "3 business days before today")),
    ("1 business day ago", on("2024-06-04", 0.9, "1 business days before today")),
    ("0 business days ago", {"holidays": Holidays("2024-06-05")},
     on("2024-06-05", 0.9, "0 business days before today")),
    ("2 business days after launch", on("2025-03-18", 0.9, "2 business days after 2025-03-14")),
    ("2 business days after launch", {"holidays": Holidays("2025-03-17")},
     on("2025-03-19", 0.9, "2 business days after 2025-03-14")),
    ("2 business days before launch", on("2025-03-12", 0.9, "2 business days before 2025-03-14")),
    ("first business day of next month", on("2024-07-01", 0.85, f"the 1st {IN_NEXT_MONTH}")),
    ("first business day of next month", {"holidays": Holidays("2024-07-01")},
     on("2024-07-02", 0.85, f"the 1st {IN_NEXT_MONTH}")),
    ("3rd business day of next month", on("2024-07-03", 0.85, f"the 3rd {IN_NEXT_MONTH}")),
    ("23rd business day of next month", on("2024-07-31", 0.85, f"the 23rd {IN_NEXT_MONTH}")),
    # 1 June 2024 is a Saturday; the Monday after it has passed and stands
    ("first business day of the month", on("2024-06-03", 0.85, "the 1st business day of the current calendar month")),
    ("first business day of march", on("2025-03-03", 0.75, f"the 1st business day of {MARCH}")),
    ("2nd working day of q3", on("2024-07-02", 0.85, "the 2nd business day of Q3 of the current year")),
    ("first business day of next month at 8am",
     on("2024-07-01", 0.85, f"the 1st {IN_NEXT_MONTH}", "08:00:00")),
    # July 2024 has 23 business days
    ("25th business day of next month", no_parse("the calendar month after this one has fewer than 25 business days")),
    ("24th business day of next month", {"holidays": Holidays("2024-07-04")},
     no_parse("the calendar month after this one has fewer than 24 business days")),
)


@pytest.mark.parametrize("text, options, expected", BUSINESS)
def test_business_days(text, options, expected):
    assert resolve(text, anchors=LAUNCH, **options) == expected


@pytest.mark.parametrize("text", [
    "the weekend before launch", "2nd friday before launch", "0th friday after launch",
    "0th business day of next month", "first business day of", "sometime early", "friday next month",
    "the quarter after launch",
])
def test_not_resolved(text):
    assert resolve(text, anchors=LAUNCH) == unmatched(text)
