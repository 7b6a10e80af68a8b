"""Expressions counted from a caller-supplied anchor date (launch on Friday 2025-03-14 unless a row
passes its own anchors)."""

import pytest

from outcomes import amb, corpus, resolve

BEFORE = "2025-03-13T09:00:00 0.95 the day before 2025-03-14"
AFTER = "2025-03-15T09:00:00 0.95 the day after 2025-03-14"
PRODUCT = {"anchors": {"launch": "2025-03-14", "product launch": "2025-06-02"}}


def missing(name):
    return amb(f'unknown anchor "{name}" — pass it via anchors={{"{name}": date(...)}}')


ANCHORED = corpus(
    (("the day after launch", "day after launch", "The day following launch"), AFTER),
    (("day before launch", "day preceding launch", "the day before launch"), BEFORE),
    # the anchor's own weekday is skipped in both directions
    (("friday after launch", "fri after launch"), "2025-03-21T09:00:00 0.9 first Friday strictly after 2025-03-14"),
    ("friday before launch", "2025-03-07T09:00:00 0.9 first Friday strictly before 2025-03-14"),
    ("saturday after launch", "2025-03-15T09:00:00 0.9 first Saturday strictly after 2025-03-14"),
    ("thursday before launch", "2025-03-13T09:00:00 0.9 first Thursday strictly before 2025-03-14"),
    ("monday following launch", "2025-03-17T09:00:00 0.9 first Monday strictly after 2025-03-14"),
    ("friday before launch at 7:30", "2025-03-07T07:30:00 0.9 first Friday strictly before 2025-03-14"),
    # counts of days, weeks, months and years
    (("3 days after launch", "three days after launch"), "2025-03-17T09:00:00 0.9 3 days after 2025-03-14"),
    ("3 days after launch 5pm", "2025-03-17T17:00:00 0.9 3 days after 2025-03-14"),
    (("1 week before launch", "a week before launch"), "2025-03-07T09:00:00 0.9 1 week before 2025-03-14"),
    (("a week after launch", "1 wk after launch"), "2025-03-21T09:00:00 0.9 1 week after 2025-03-14"),
    ("0 days after launch", "2025-03-14T09:00:00 0.9 0 days after 2025-03-14"),
    ("2 weeks preceding launch", "2025-02-28T09:00:00 0.9 2 weeks before 2025-03-14"),
    ("1 month after launch", "2025-04-14T09:00:00 0.9 1 month after 2025-03-14"),
    ("two months before launch", "2025-01-14T09:00:00 0.9 2 months before 2025-03-14"),
    ("2 years before launch", "2023-03-14T09:00:00 0.9 2 years before 2025-03-14"),
    # month and year counts clamp the day to the target month
    ("1 month after launch", {"anchors": {"launch": "2025-01-31"}}, "2025-02-28T09:00:00 0.9 1 month after 2025-01-31"),
    ("1 month before launch", {"anchors": {"launch": "2025-01-31"}},
     "2024-12-31T09:00:00 0.9 1 month before 2025-01-31"),
    ("13 months after launch", {"anchors": {"launch": "2025-01-31"}},
     "2026-02-28T09:00:00 0.9 13 months after 2025-01-31"),
    ("1 year after launch", {"anchors": {"launch": "2024-02-29"}}, "2025-02-28T09:00:00 0.9 1 year after 2024-02-29"),
    ("4 years before launch", {"anchors": {"launch": "2024-02-29"}},
     "2020-02-29T09:00:00 0.9 4 years before 2024-02-29"),
    ("1 day after launch", {"anchors": {"launch": "2024-02-29"}}, "2024-03-01T09:00:00 0.9 1 day after 2024-02-29"),
    # the bare name is the date itself; names are trimmed and lower-cased
    (("launch", "Launch", "the launch"), "2025-03-14T09:00:00 0.95 the date of \"launch\""),
    ("LAUNCH at noon", "2025-03-14T12:00:00 0.95 the date of \"launch\""),
    ("2 days before Payday", {"anchors": {" Payday ": "2025-03-31"}},
     "2025-03-29T09:00:00 0.9 2 days before 2025-03-31"),
    ("PAYDAY", {"anchors": {" Payday ": "2025-03-31"}}, "2025-03-31T09:00:00 0.95 the date of \"payday\""),
    # an anchor replaces a word of the language; "con" inside "second" stops it reading as an ordinal
    ("friday", {"anchors": {"friday": "2025-05-02"}}, "2025-05-02T09:00:00 0.95 the date of \"friday\""),
    ("the day after friday", {"anchors": {"friday": "2025-05-02"}},
     "2025-05-03T09:00:00 0.95 the day after 2025-05-02"),
    ("2 days after con", {"anchors": {"con": "2025-03-14"}}, "2025-03-16T09:00:00 0.9 2 days after 2025-03-14"),
    ("second friday of june", {"anchors": {"con": "2025-03-14"}}, "?"),
    # the longer name is found first, whatever the order of the mapping
    ("the day after product launch", PRODUCT, "2025-06-03T09:00:00 0.95 the day after 2025-06-02"),
    ("product launch", PRODUCT, "2025-06-02T09:00:00 0.95 the date of \"product launch\""),
    ("2 days after launch party", {"anchors": {"launch": "2025-03-14", "launch party": "2025-03-20"}},
     "2025-03-22T09:00:00 0.9 2 days after 2025-03-20"),
    ("2 days after launch party", "?"),
    # an anchor not supplied is named back, with how to pass it
    (("3 days after christmas", "the day before christmas", "the week after christmas"), missing("christmas")),
    ("after the big offsite", missing("big offsite")),
    ("sometime after the offsite", missing("offsite")),
    # punctuation and hyphens become spaces before anchors are looked for
    ("2 days after kick-off", {"anchors": {"kick-off": "2025-04-01"}}, missing("kick off")),
    anchors={"launch": "2025-03-14"},
)


@pytest.mark.parametrize("text, options, expected", ANCHORED)
def test_anchored(text, options, expected):
    assert resolve(text, **options) == expected
