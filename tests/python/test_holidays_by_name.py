"""Holidays by name in full mode, said on Wednesday 2024-06-05 at 14:20:10: the forms, each region's
holidays over several years against their published dates, and the names that stay unread. The texts
where a holiday completes an anchored form of the core are in the replacement table of
test_full_mode.py."""

import json
from datetime import date, datetime

import pytest

import kalendo
from kalendo import _core
from kalendo._cli import main
from outcomes import NOW, H, corpus


def full(text, anchors=None, holidays=None, now=NOW, **options):
    return json.loads(_core.parse_full(text, now, anchors or {}, (9, 0, 0), 0, False, holidays, **options))


ROLLED = " (this year's has passed; assuming 2025)"

FORMS = corpus(
    (("christmas", "Christmas", "xmas", "christmas day", "next christmas", "this xmas", "the coming christmas",
      "X-Mas"),
     "2024-12-25T09:00:00 0.9 Christmas Day 2024-12-25, default 09:00"),
    (("christmas eve", "xmas eve", "christmas\u00a0eve"), "2024-12-24T09:00:00 0.9 Christmas Eve 2024-12-24, default 09:00"),
    (("last christmas", "previous xmas"), "2023-12-25T09:00:00 0.9 Christmas Day 2023-12-25, default 09:00"),
    (("christmas 2025", "christmas of 2025", "xmas in 2025"),
     "2025-12-25T09:00:00 0.9 Christmas Day 2025-12-25, default 09:00"),
    (("christmas eve at 5pm", "5pm on christmas eve", "Christmas Eve 5 pm"),
     "2024-12-24T17:00:00 0.9 Christmas Eve 2024-12-24, at 17:00"),
    (("thanksgiving", "Thanksgiving Day", "turkey day"),
     "2024-11-28T09:00:00 0.9 Thanksgiving 2024-11-28, default 09:00"),
    (("easter", "easter sunday"), f"2025-04-20T09:00:00 0.85 Easter Sunday 2025-04-20, default 09:00{ROLLED}"),
    ("next easter", "2025-04-20T09:00:00 0.9 Easter Sunday 2025-04-20, default 09:00"),
    ("last easter", "2024-03-31T09:00:00 0.9 Easter Sunday 2024-03-31, default 09:00"),
    ("labor day", "2024-09-02T09:00:00 0.9 Labor Day 2024-09-02, default 09:00"),
    ("memorial day", f"2025-05-26T09:00:00 0.85 Memorial Day 2025-05-26, default 09:00{ROLLED}"),
    (("father's day", "fathers day", "Father\u2019s Day", "dad's day"),
     "2024-06-16T09:00:00 0.9 Father's Day 2024-06-16, default 09:00"),
    (("new year's eve", "new years eve", "NYE"), "2024-12-31T09:00:00 0.9 New Year's Eve 2024-12-31, default 09:00"),
    (("new year's", "new years day"), f"2025-01-01T09:00:00 0.85 New Year's Day 2025-01-01, default 09:00{ROLLED}"),
    (("new year's day 2025", "next new year"), "2025-01-01T09:00:00 0.9 New Year's Day 2025-01-01, default 09:00"),
    (("st. paddy's day", "St Patrick\u2019s Day", "saint patricks day"),
     f"2025-03-17T09:00:00 0.85 St Patrick's Day 2025-03-17, default 09:00{ROLLED}"),
    (("mlk day", "Martin Luther King Jr. Day"),
     f"2025-01-20T09:00:00 0.85 Martin Luther King Jr. Day 2025-01-20, default 09:00{ROLLED}"),
    # Calendar dates stay dates; only the holiday's name says whose it is.
    (("july 4th", "4th of July", "fourth of july"), "2024-07-04T09:00:00 0.9 2024-07-04, default 09:00"),
    ("independence day", "2024-07-04T09:00:00 0.9 Independence Day 2024-07-04, default 09:00"),
    # A calendar date, read by the words around a day before any holiday name.
    ("2 days after july 4th", "2024-07-06T09:00:00 0.9 2 days after 2024-07-04, default 09:00"),
    ("halloween", "2024-10-31T09:00:00 0.9 Halloween 2024-10-31, default 09:00"),
    ("valentine's day", f"2025-02-14T09:00:00 0.85 Valentine's Day 2025-02-14, default 09:00{ROLLED}"),
    ("black friday", "2024-11-29T09:00:00 0.9 Black Friday 2024-11-29, default 09:00"),
    ("thanksgiving weekend", "2024-11-28..2024-12-01 0.9 Thanksgiving weekend, 2024-11-28 to 2024-12-01"),
    ("easter weekend", "2025-04-18..2025-04-21 0.9 Easter weekend, 2025-04-18 to 2025-04-21"),
    ("labor day weekend", "2024-08-31..2024-09-02 0.9 Labor Day weekend, 2024-08-31 to 2024-09-02"),
    (("christmas week", "the week of christmas"),
     "2024-12-23..2024-12-29 0.9 the week of Christmas Day 2024-12-25, 2024-12-23 to 2024-12-29"),
    # A year named by its distance from this one, passed or not.
    ("christmas next year", "2025-12-25T09:00:00 0.9 Christmas Day 2025-12-25, default 09:00"),
    ("easter this year", "2024-03-31T09:00:00 0.9 Easter Sunday 2024-03-31, default 09:00"),
    ("thanksgiving last year", "2023-11-23T09:00:00 0.9 Thanksgiving 2023-11-23, default 09:00"),
    # Anchored forms the core leaves unmatched (the name holds a unit word, or a year follows it).
    (("1 week after new year's day", "1 week after new year\u2019s day"),
     "2025-01-08T09:00:00 0.9 1 week after 2025-01-01"),
    ("the week after new year\u2019s day",
     "2025-01-06..2025-01-12 0.9 the calendar week after the one containing 2025-01-01"),
    ("2 days after christmas 2025", "2025-12-27T09:00:00 0.9 2 days after 2025-12-25"),
    ("2 days after last christmas", "2023-12-27T09:00:00 0.9 2 days after 2023-12-25"),
    ("the day after labor day at 8am", "2024-09-03T08:00:00 0.95 the day after 2024-09-02"),
    ("juneteenth", "2024-06-19T09:00:00 0.9 Juneteenth 2024-06-19, default 09:00"),
    # A holiday as the day of other families' forms: a part of the day, a bare hour, a count from it.
    ("christmas morning", "2024-12-25T09:00:00 0.9 Christmas Day 2024-12-25, at 09:00 (morning)"),
    ("christmas at 5", "2024-12-25T17:00:00 0.9 Christmas Day 2024-12-25, at 17:00"),
    ("a week from christmas", "2025-01-01T09:00:00 0.9 1 week from Christmas Day 2024-12-25, default 09:00"),
    # Region-dependent names, and names a region does not keep.
    ("mother's day", {"region": "GB"},
     f"2025-03-30T09:00:00 0.85 Mothering Sunday 2025-03-30, default 09:00{ROLLED}"),
    (("mother's day", "mom's day", "mums day"), f"2025-05-11T09:00:00 0.85 Mother's Day 2025-05-11, default 09:00{ROLLED}"),
    ("thanksgiving", {"region": "CA"}, "2024-10-14T09:00:00 0.9 Thanksgiving 2024-10-14, default 09:00"),
    (("thanksgiving", "2 days after thanksgiving"), {"region": "GB"},
     "! Thanksgiving is not a holiday of region GB (it is one in US, CA)"),
    (("boxing day", "boxing day + 2 days"), "! Boxing Day is not a holiday of region US (it is one in GB, CA, AU, IE, NZ)"),
    ("boxing day - 1 week", {"region": "GB"}, "2024-12-19T09:00:00 0.9 1 week before 2024-12-26"),
    # A region that does not keep a name leaves the core's reading of a count beside it.
    ("thanksgiving in 2 days", {"region": "GB"}, "2024-06-07T14:20:10 0.9 2 days from now (ignoring \"thanksgiving\")"),
    # A signed amount after a holiday: "christmas + 5pm" and a bare number are no amount.
    (("christmas + 5pm", "christmas + 2", "christmas plus"), "?"),
    ("labour day", {"region": "AU"}, "! Labour Day falls on different days across region AU; pass its date via anchors"),
    ("july 4th", {"region": "GB"}, "2024-07-04T09:00:00 0.9 2024-07-04, default 09:00"),
    ("boxing day", {"region": "IE"}, "2024-12-26T09:00:00 0.9 Boxing Day 2024-12-26, default 09:00"),
    # Whole words only, and words that merely contain or sit beside a name.
    (("eastern", "xmastime", "christmas party", "good fridays", "christmas carol"), "?"),
    ("2 days after christmas party",
     '! unknown anchor "christmas party" \u2014 pass it via anchors={"christmas party": date(...)}'),
)


@pytest.mark.parametrize("text, options, expected", FORMS)
def test_forms(text, options, expected):
    if expected["kind"] == "no_parse" and expected["reason"].startswith("unknown anchor"):
        expected = {"kind": "ambiguous", "candidates": [], "reason": expected["reason"]}
    assert full(text, **options) == expected


# (region, name, {year: published date}): the rules against the calendars people use.
PUBLISHED = [
    ("US", "thanksgiving", {2023: "11-23", 2024: "11-28", 2025: "11-27", 2026: "11-26"}),
    ("US", "mlk day", {2023: "01-16", 2024: "01-15", 2025: "01-20", 2026: "01-19"}),
    ("US", "presidents day", {2023: "02-20", 2024: "02-19", 2025: "02-17", 2026: "02-16"}),
    ("US", "memorial day", {2023: "05-29", 2024: "05-27", 2025: "05-26", 2026: "05-25"}),
    ("US", "labor day", {2023: "09-04", 2024: "09-02", 2025: "09-01", 2026: "09-07"}),
    ("US", "columbus day", {2023: "10-09", 2024: "10-14", 2025: "10-13", 2026: "10-12"}),
    ("US", "election day", {2022: "11-08", 2023: "11-07", 2024: "11-05", 2026: "11-03"}),
    ("US", "mother's day", {2023: "05-14", 2024: "05-12", 2025: "05-11", 2026: "05-10"}),
    ("US", "father's day", {2023: "06-18", 2024: "06-16", 2025: "06-15", 2026: "06-21"}),
    ("US", "easter", {1818: "03-22", 2000: "04-23", 2019: "04-21", 2023: "04-09", 2024: "03-31",
                      2025: "04-20", 2026: "04-05", 2038: "04-25"}),
    ("US", "good friday", {2023: "04-07", 2024: "03-29", 2025: "04-18", 2026: "04-03"}),
    ("US", "ash wednesday", {2024: "02-14", 2025: "03-05"}),
    ("GB", "early may bank holiday", {2023: "05-01", 2024: "05-06", 2025: "05-05", 2026: "05-04"}),
    ("GB", "spring bank holiday", {2023: "05-29", 2024: "05-27", 2025: "05-26", 2026: "05-25"}),
    ("GB", "summer bank holiday", {2023: "08-28", 2024: "08-26", 2025: "08-25", 2026: "08-31"}),
    ("GB", "easter monday", {2023: "04-10", 2024: "04-01", 2025: "04-21", 2026: "04-06"}),
    ("GB", "mothering sunday", {2023: "03-19", 2024: "03-10", 2025: "03-30", 2026: "03-15"}),
    ("CA", "victoria day", {2023: "05-22", 2024: "05-20", 2025: "05-19", 2026: "05-18"}),
    ("CA", "thanksgiving", {2023: "10-09", 2024: "10-14", 2025: "10-13", 2026: "10-12"}),
    ("CA", "civic holiday", {2024: "08-05", 2025: "08-04"}),
    ("CA", "canada day", {2025: "07-01"}),
    ("AU", "anzac day", {2024: "04-25", 2025: "04-25"}),
    ("AU", "australia day", {2025: "01-26"}),
    ("AU", "king's birthday", {2023: "06-12", 2024: "06-10", 2025: "06-09"}),
    ("AU", "melbourne cup", {2023: "11-07", 2024: "11-05", 2025: "11-04"}),
    ("AU", "father's day", {2024: "09-01", 2025: "09-07"}),
    ("IE", "june bank holiday", {2024: "06-03", 2025: "06-02"}),
    ("IE", "august bank holiday", {2024: "08-05", 2025: "08-04"}),
    ("IE", "october bank holiday", {2024: "10-28", 2025: "10-27"}),
    ("IE", "st stephen's day", {2024: "12-26"}),
    ("IE", "mother's day", {2024: "03-10", 2025: "03-30"}),
    ("NZ", "labour day", {2023: "10-23", 2024: "10-28", 2025: "10-27"}),
    ("NZ", "king's birthday", {2024: "06-03", 2025: "06-02"}),
    ("NZ", "waitangi day", {2025: "02-06"}),
    ("NZ", "anzac day", {2026: "04-25"}),
]


@pytest.mark.parametrize("region, name, dates", PUBLISHED, ids=[f"{r}-{n}" for r, n, _ in PUBLISHED])
def test_published_dates(region, name, dates):
    for year, day in dates.items():
        assert full(f"{name} {year}", region=region)["when"] == f"{year}-{day}T09:00:00", (name, year)
    # Every region keeps the region-free names, and the one-word forms agree with the rules above.
    assert full(f"christmas {min(dates)}", region=region)["when"].startswith(f"{min(dates)}-12-25")


def test_caller_anchors_and_business_days_stay_the_callers():
    mine = {"christmas": "2024-12-01"}
    assert full("2 days after christmas", anchors=mine)["when"] == "2024-12-03T09:00:00"
    assert full("christmas", anchors=mine)["when"] == "2024-12-01T09:00:00"
    assert full("until christmas", anchors=mine)["end"] == "2024-12-01T23:59:59"
    # A holiday name is never a day off: only the caller's holidays are.
    assert full("3 business days after thanksgiving")["when"] == "2024-12-03T09:00:00"
    assert full("3 business days before christmas", holidays=H("2024-12-23"))["when"] == "2024-12-19T09:00:00"


def test_region_reaches_every_entry_point(capsys):
    now = datetime(2024, 6, 5, 14, 20)
    assert kalendo.parse("boxing day", now=now, region="NZ").when == datetime(2024, 12, 26, 9, 0)
    assert kalendo.parse("thanksgiving", now=now).when.date() == date(2024, 11, 28)
    with pytest.raises(ValueError, match="'US', 'GB', 'CA', 'AU', 'IE' or 'NZ', not 'FR'"):
        _core.parse_full("x", NOW, {}, (9, 0, 0), 0, False, region="FR")
    with pytest.raises(TypeError, match="argument 'region'"):
        _core.parse_full("x", NOW, {}, (9, 0, 0), 0, False, region=None)
    with pytest.raises(ValueError, match="US, GB, CA, AU, IE, NZ"):
        kalendo.parse("x", region="gb")
    assert main(["--now", "2024-06-05T14:20:10", "--region", "GB", "--json", "mother's day"]) == 0
    assert json.loads(capsys.readouterr().out)["when"] == "2025-03-30T09:00:00"
    with pytest.raises(SystemExit):
        main(["--region", "XX", "christmas"])
    assert "invalid choice" in capsys.readouterr().err


def test_rules_hold_every_year():
    # Easter Sunday is a Sunday from March 22 to April 25, and the days counted from it and the n-th
    # weekday rules keep their weekdays and windows, in every year of the Gregorian computus.
    for year in range(1583, 4100):
        easter = date.fromisoformat(full(f"easter {year}")["when"][:10])
        assert easter.weekday() == 6 and date(year, 3, 22) <= easter <= date(year, 4, 25), year
        assert full(f"good friday {year}")["when"][:10] == date.fromordinal(easter.toordinal() - 2).isoformat()
        thanksgiving = date.fromisoformat(full(f"thanksgiving {year}")["when"][:10])
        assert thanksgiving.weekday() == 3 and 22 <= thanksgiving.day <= 28 and thanksgiving.month == 11
        victoria = date.fromisoformat(full(f"victoria day {year}", region="CA")["when"][:10])
        assert victoria.weekday() == 0 and 18 <= victoria.day <= 24 and victoria.month == 5


# Said on the holiday itself, the day after it, and the day before it.
EDGES = corpus(
    (("christmas", "this christmas", "next christmas"), {"now": "2024-12-25T18:00:00"},
     "2024-12-25T09:00:00 0.9 Christmas Day 2024-12-25, default 09:00"),
    ("last christmas", {"now": "2024-12-25T18:00:00"}, "2023-12-25T09:00:00 0.9 Christmas Day 2023-12-25, default 09:00"),
    ("christmas", {"now": "2024-12-26T08:00:00"},
     f"2025-12-25T09:00:00 0.85 Christmas Day 2025-12-25, default 09:00{ROLLED}"),
    ("last christmas", {"now": "2024-12-26T08:00:00"}, "2024-12-25T09:00:00 0.9 Christmas Day 2024-12-25, default 09:00"),
    ("new year's day", {"now": "2024-12-31T23:00:00"},
     f"2025-01-01T09:00:00 0.85 New Year's Day 2025-01-01, default 09:00{ROLLED}"),
)


@pytest.mark.parametrize("text, options, expected", EDGES)
def test_edges(text, options, expected):
    assert full(text, **options) == expected
