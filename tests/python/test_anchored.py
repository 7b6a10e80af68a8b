"""Expressions counted from a caller-supplied anchor date."""

import pytest

from outcomes import ambiguous, cases, instant, resolve, unmatched

LAUNCH = {"launch": "2025-03-14"}  # a Friday


def on(day, confidence, interpretation, hms="09:00:00"):
    return instant(f"{day}T{hms}", confidence, interpretation)


def missing(phrase):
    return ambiguous([], f'unknown anchor "{phrase}" \u2014 pass it via anchors={{"{phrase}": date(...)}}')


# --- with launch on Friday 2025-03-14 -------------------------------------------------------------

FROM_LAUNCH = cases(
    ("the day after launch", on("2025-03-15", 0.95, "the day after 2025-03-14")),
    ("day before launch", on("2025-03-13", 0.95, "the day before 2025-03-14")),
    ("day preceding launch", on("2025-03-13", 0.95, "the day before 2025-03-14")),
    # the anchor's own weekday is skipped in both directions
    ("friday after launch", on("2025-03-21", 0.9, "first Friday strictly after 2025-03-14")),
    ("friday before launch", on("2025-03-07", 0.9, "first Friday strictly before 2025-03-14")),
    ("saturday after launch", on("2025-03-15", 0.9, "first Saturday strictly after 2025-03-14")),
    ("thursday before launch", on("2025-03-13", 0.9, "first Thursday strictly before 2025-03-14")),
    ("monday following launch", on("2025-03-17", 0.9, "first Monday strictly after 2025-03-14")),
    ("3 days after launch", on("2025-03-17", 0.9, "3 days after 2025-03-14")),
    ("1 week before launch", on("2025-03-07", 0.9, "1 week before 2025-03-14")),
    ("a week after launch", on("2025-03-21", 0.9, "1 week after 2025-03-14")),
    ("0 days after launch", on("2025-03-14", 0.9, "0 days after 2025-03-14")),
    ("2 weeks preceding launch", on("2025-02-28", 0.9, "2 weeks before 2025-03-14")),
    ("1 month after launch", on("2025-04-14", 0.9, "1 month after 2025-03-14")),
    ("two months before launch", on("2025-01-14", 0.9, "2 months before 2025-03-14")),
    ("2 years before launch", on("2023-03-14", 0.9, "2 years before 2025-03-14")),
    ("3 days after launch 5pm", on("2025-03-17", 0.9, "3 days after 2025-03-14", "17:00:00")),
    ("friday before launch at 7:30", on("2025-03-07", 0.9, "first Friday strictly before 2025-03-14", "07:30:00")),
    # the bare name is the date itself
    ("launch", on("2025-03-14", 0.95, 'the date of "launch"')),
    ("LAUNCH at noon", on("2025-03-14", 0.95, 'the date of "launch"', "12:00:00")),
)


@pytest.mark.parametrize("text, options, expected", FROM_LAUNCH)
def test_counts_from_launch(text, options, expected):
    assert resolve(text, anchors=LAUNCH, **options) == expected


# --- month and year counts clamp the day to the target month --------------------------------------

CLAMPED = [
    ("2025-01-31", "1 month after launch", on("2025-02-28", 0.9, "1 month after 2025-01-31")),
    ("2025-01-31", "1 month before launch", on("2024-12-31", 0.9, "1 month before 2025-01-31")),
    ("2025-01-31", "13 months after launch", on("2026-02-28", 0.9, "13 months after 2025-01-31")),
    ("2024-02-29", "1 year after launch", on("2025-02-28", 0.9, "1 year after 2024-02-29")),
    ("2024-02-29", "4 years before launch", on("2020-02-29", 0.9, "4 years before 2024-02-29")),
    ("2024-02-29", "1 day after launch", on("2024-03-01", 0.9, "1 day after 2024-02-29")),
]


@pytest.mark.parametrize("launch, text, expected", CLAMPED, ids=[f"{t} @{a}" for a, t, _ in CLAMPED])
def test_month_and_year_counts_clamp(launch, text, expected):
    assert resolve(text, anchors={"launch": launch}) == expected


# --- anchors that are not supplied -------------------------------------------------------------------

MISSING = cases(
    ("3 days after christmas", missing("christmas")),
    ("the day before christmas", missing("christmas")),
    ("after the big offsite", missing("big offsite")),
    ("sometime after the offsite", missing("offsite")),
    # punctuation and hyphens become spaces before anchors are looked for
    ("2 days after kick-off", {"anchors": {"kick-off": "2025-04-01"}}, missing("kick off")),
)


@pytest.mark.parametrize("text, options, expected", MISSING)
def test_missing_anchor_says_how_to_pass_it(text, options, expected):
    assert resolve(text, **{"anchors": LAUNCH, **options}) == expected


# --- anchor names and the words around them ----------------------------------------------------------

PAYDAY = {"anchors": {" Payday ": "2025-03-31"}}

NAMES = cases(
    # an anchor replaces a word of the language
    ("friday", {"anchors": {"friday": "2025-05-02"}}, on("2025-05-02", 0.95, 'the date of "friday"')),
    ("the day after friday", {"anchors": {"friday": "2025-05-02"}}, on("2025-05-03", 0.95, "the day after 2025-05-02")),
    # "con" is found inside "second", which no longer reads as an ordinal
    ("2 days after con", {"anchors": {"con": "2025-03-14"}}, on("2025-03-16", 0.9, "2 days after 2025-03-14")),
    ("second friday of june", {"anchors": {"con": "2025-03-14"}}, unmatched("second friday of june")),
    ("second friday of june", on("2024-06-14", 0.85, "the 2nd Friday of June 2024")),
    # the longer name is found first, whatever the order of the mapping
    ("the day after product launch", {"anchors": {"launch": "2025-03-14", "product launch": "2025-06-02"}},
     on("2025-06-03", 0.95, "the day after 2025-06-02")),
    ("product launch", {"anchors": {"launch": "2025-03-14", "product launch": "2025-06-02"}},
     on("2025-06-02", 0.95, 'the date of "product launch"')),
    ("2 days after launch party", {"anchors": {"launch": "2025-03-14", "launch party": "2025-03-20"}},
     on("2025-03-22", 0.9, "2 days after 2025-03-20")),
    ("2 days after launch party", {"anchors": LAUNCH}, unmatched("2 days after launch party")),
    # keys are trimmed and lower-cased
    ("2 days before Payday", PAYDAY, on("2025-03-29", 0.9, "2 days before 2025-03-31")),
    ("PAYDAY", PAYDAY, on("2025-03-31", 0.95, 'the date of "payday"')),
)


@pytest.mark.parametrize("text, options, expected", NAMES)
def test_anchor_names(text, options, expected):
    assert resolve(text, **options) == expected


# --- shapes that do not resolve -----------------------------------------------------------------------

NOT_RESOLVED = [
    "1 quarter after launch", "3 hours after launch", "10 minutes before launch", "2 weekends after launch",
    "after launch", "before launch", "3 days launch",
    # counts that leave the supported years or overflow: never the anchor date itself
    "1000000 years after launch", "300000 years before launch", "99999999999 days after launch",
    "3000000000 months after launch", "9223372036854775807 weeks after launch",
    "9223372036854775807 days before launch",
]


@pytest.mark.parametrize("text", NOT_RESOLVED)
def test_not_resolved(text):
    assert resolve(text, anchors=LAUNCH) == unmatched(text)
