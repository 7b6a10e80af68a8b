"""The typed API `kalendo.parse`, checked against the JSON of `parse_raw`."""

import dataclasses
import json
import re
from collections.abc import Callable
from datetime import date, datetime, time, timedelta, timezone, tzinfo
from importlib import resources
from typing import Any
from zoneinfo import ZoneInfo

import holidays as holiday_calendars
import pytest

import kalendo
from kalendo import Ambiguous, Instant, NoParse, Outcome, Range, parse, parse_raw

NOW = datetime(2024, 6, 5, 14, 20, 10)  # a Wednesday
RAW_NOW = "2024-06-05T14:20:10.000000"
BERLIN = ZoneInfo("Europe/Berlin")


def expected(raw: str, zone: tzinfo | None = None) -> Outcome:
    """The outcome that a JSON text of parse_raw stands for."""

    def moment(text: str) -> datetime:
        return datetime.fromisoformat(text).replace(tzinfo=zone)

    def reading(item: dict[str, Any]) -> Instant | Range:
        if item["kind"] == "instant":
            return Instant(moment(item["when"]), item["confidence"], item["interpretation"])
        return Range(moment(item["start"]), moment(item["end"]), item["confidence"], item["interpretation"])

    item = json.loads(raw)
    if item["kind"] == "no_parse":
        return NoParse(item["reason"])
    if item["kind"] == "ambiguous":
        return Ambiguous(tuple(reading(c) for c in item["candidates"]), item["reason"])
    return reading(item)


# (text, keyword arguments of parse, the same arguments as parse_raw takes them)
PHRASES: list[tuple[str, dict[str, Any], dict[str, Any]]] = [
    ("next friday at 5pm", {}, {}),
    ("tomorrow", {"default_time": time(7, 30, 15)}, {"default_time": (7, 30, 15)}),
    ("next month", {}, {}),
    ("next week", {"week_start": "Sunday"}, {"week_start": 6}),
    ("this friday", {"week_start": " SAT "}, {"week_start": 5}),
    ("this week", {"week_start": "tue"}, {"week_start": 1}),
    ("next week", {"week_start": 2}, {"week_start": 2}),
    ("next wednesday", {"next_skips_today": True}, {"next_skips_today": True}),
    ("next weekend", {}, {}),  # ambiguous between two ranges
    ("wednesday", {}, {}),  # ambiguous between two instants
    ("2 days after launch", {"anchors": {"launch": date(2025, 3, 14)}}, {"anchors": {"launch": "2025-03-14"}}),
    ("the week after Launch", {"anchors": {" LAUNCH ": datetime(2025, 3, 14, 23, 59)}},
     {"anchors": {" LAUNCH ": "2025-03-14"}}),
    ("2 days after launch", {}, {}),  # an anchor not given: ambiguous with no candidates
    ("in 90 minutes", {"now": datetime(2024, 6, 5, 23, 59, 59, 999999)},
     {"now": "2024-06-05T23:59:59.999999"}),
    ("now", {"now": datetime(2024, 6, 5, 10, 15, 30, 250000)}, {"now": "2024-06-05T10:15:30.250000"}),
    ("3000 years ago", {"now": datetime(9999, 12, 31, 23, 59, 59)}, {"now": "9999-12-31T23:59:59.000000"}),
    ("blorp", {}, {}),
]


def raw_call(text: str, now: str = RAW_NOW, anchors: dict[str, str] | None = None,
             default_time: tuple[int, int, int] = (9, 0, 0), week_start: int = 0,
             next_skips_today: bool = False, holidays: Callable[[str], bool] | None = None) -> str:
    return parse_raw(text, now, anchors or {}, default_time, week_start, next_skips_today, holidays)


@pytest.mark.parametrize(("text", "options", "raw_options"), PHRASES,
                         ids=[f"{t} {o}" for t, o, _ in PHRASES])
def test_outcome_matches_parse_raw(text: str, options: dict[str, Any], raw_options: dict[str, Any]) -> None:
    got = parse(text, **{"now": NOW, **options})
    assert got == expected(raw_call(text, **raw_options))


def test_every_kind_is_covered_by_the_table() -> None:
    kinds = {type(parse(text, **{"now": NOW, **options})) for text, options, _ in PHRASES}
    assert kinds == {Instant, Range, Ambiguous, NoParse}
    assert parse("2 days after launch", now=NOW) == Ambiguous(
        (), 'unknown anchor "launch" — pass it via anchors={"launch": date(...)}')


def test_now_defaults_to_the_local_clock() -> None:
    before = datetime.now().replace(microsecond=0)
    got = parse("now")
    assert isinstance(got, Instant) and got.when.tzinfo is None
    assert before <= got.when <= datetime.now()


@pytest.mark.parametrize("zone", [BERLIN, timezone(timedelta(hours=-5))], ids=["zoneinfo", "fixed"])
@pytest.mark.parametrize("text", ["next friday at 5pm", "next weekend", "in 3 hours", "blorp"])
def test_aware_now_keeps_the_wall_clock_and_the_zone(zone: tzinfo, text: str) -> None:
    aware = parse(text, now=NOW.replace(tzinfo=zone, fold=1))
    assert aware == expected(raw_call(text), zone)
    readings = aware.candidates if isinstance(aware, Ambiguous) else [aware]
    for reading in readings:
        assert isinstance(reading, (Instant, Range, NoParse))
        for field in ("when", "start", "end"):
            moment = getattr(reading, field, None)
            assert moment is None or (moment.tzinfo is zone and moment.fold == 0)


def test_a_time_in_the_spring_gap_takes_the_offset_before_the_change() -> None:
    # Berlin skips 02:00..03:00 on 31 March 2024.
    got = parse("tomorrow at 2:30am", now=datetime(2024, 3, 30, 12, 0, tzinfo=BERLIN))
    assert isinstance(got, Instant)
    assert got.when == datetime(2024, 3, 31, 2, 30, tzinfo=BERLIN)
    assert got.when.utcoffset() == timedelta(hours=1)
    assert got.when.astimezone(timezone.utc) == datetime(2024, 3, 31, 1, 30, tzinfo=timezone.utc)


def test_a_time_in_the_autumn_fold_is_the_first_of_the_two() -> None:
    # Berlin goes through 02:00..03:00 twice on 27 October 2024.
    got = parse("tomorrow at 2:30am", now=datetime(2024, 10, 26, 12, 0, tzinfo=BERLIN))
    assert isinstance(got, Instant)
    assert got.when.fold == 0 and got.when.utcoffset() == timedelta(hours=2)
    assert got.when.astimezone(timezone.utc) == datetime(2024, 10, 27, 0, 30, tzinfo=timezone.utc)


def test_durations_are_counted_on_the_wall_clock() -> None:
    got = parse("in 3 hours", now=datetime(2024, 3, 31, 0, 30, tzinfo=BERLIN))
    assert isinstance(got, Instant)
    assert (got.when.hour, got.when.minute) == (3, 30)
    elapsed = got.when.astimezone(timezone.utc) - datetime(2024, 3, 31, 0, 30, tzinfo=BERLIN).astimezone(timezone.utc)
    assert elapsed == timedelta(hours=2)


@pytest.mark.parametrize(("text", "now", "iso"), [
    ("in 8000 years", NOW, "+10024-06-05T14:20:10"),
    ("2030 years ago", NOW, "-0006-06-05T14:20:10"),
    ("2024 years ago", NOW, "0000-06-05T14:20:10"),
    ("next year", datetime(9999, 6, 1), "+10000-01-01T00:00:00"),
])
def test_years_that_datetime_cannot_hold_raise_value_error(text: str, now: datetime, iso: str) -> None:
    with pytest.raises(ValueError, match=f"the answer {re.escape(iso)} lies outside the years 1 to 9999"):
        parse(text, now=now)


# Tuesday 24 December 2024: Christmas Day is the next weekday, then Boxing Day (a holiday in GB, not in US).
EVE = datetime(2024, 12, 24, 10, 0)
CHRISTMAS = {date(2024, 12, 25)}
HOLIDAY_SOURCES: list[tuple[str, Any, set[date]]] = [
    ("callable", lambda day: day in CHRISTMAS, CHRISTMAS),
    ("set", set(CHRISTMAS), CHRISTMAS),
    ("frozenset", frozenset(CHRISTMAS), CHRISTMAS),
    ("list", list(CHRISTMAS), CHRISTMAS),
    ("dict keys", {date(2024, 12, 25): "Christmas"}.keys(), CHRISTMAS),
    ("country US", holiday_calendars.country_holidays("US"), CHRISTMAS),
    ("country GB", holiday_calendars.country_holidays("GB"), CHRISTMAS | {date(2024, 12, 26)}),
    ("none", None, set()),
]


@pytest.mark.parametrize(("source", "days"), [(s, d) for _, s, d in HOLIDAY_SOURCES],
                         ids=[name for name, _, _ in HOLIDAY_SOURCES])
@pytest.mark.parametrize("text", ["next business day", "in 3 business days", "last business day of the month"])
def test_every_holiday_source(source: Any, days: set[date], text: str) -> None:
    isos = {day.isoformat() for day in days}
    assert parse(text, now=EVE, holidays=source) == expected(
        raw_call(text, now="2024-12-24T10:00:00", holidays=lambda iso: iso in isos))


def test_a_holiday_callable_gets_dates_and_its_answer_is_taken_for_truth() -> None:
    asked: list[object] = []

    def truthy(day: date) -> int:
        asked.append(day)
        return int(day == date(2024, 12, 25))

    got = parse("next business day", now=EVE, holidays=truthy)  # type: ignore[arg-type]  # a truthy answer
    assert isinstance(got, Instant) and got.when.date() == date(2024, 12, 26)
    assert asked == [date(2024, 12, 25), date(2024, 12, 26)]


def test_an_error_of_the_holiday_source_is_raised_after_the_call() -> None:
    calls = 0

    def broken(day: date) -> bool:
        nonlocal calls
        calls += 1
        raise LookupError(f"no calendar for {day}")

    with pytest.raises(LookupError, match="no calendar for 2024-12-25"):
        parse("in 3 business days", now=EVE, holidays=broken)
    assert calls == 1


@pytest.mark.parametrize(("iso", "day"), [
    ("2024-12-25", date(2024, 12, 25)),
    ("0001-01-01", date(1, 1, 1)),
    ("9999-12-31", date(9999, 12, 31)),
    ("0000-01-03", None),
    ("-0001-12-31", None),
    ("+10000-01-01", None),
    ("-262143-01-01", None),
])
def test_holiday_dates_that_date_cannot_hold_are_working_days(iso: str, day: date | None) -> None:
    # The core asks only about years from 1 on today; the adapter must not fail on the others.
    asked: list[date] = []

    def every_day(day: date) -> bool:
        asked.append(day)
        return True

    adapter = kalendo._api._HolidayAdapter(every_day)
    assert adapter(iso) is (day is not None)
    assert asked == ([] if day is None else [day])


@pytest.mark.parametrize(("options", "error", "message"), [
    ({"now": "2024-06-05T14:20:10"}, TypeError, "now must be a datetime, not str"),
    ({"now": date(2024, 6, 5)}, TypeError, "now must be a datetime, not date"),
    ({"anchors": [("launch", date(2025, 3, 14))]}, TypeError, "anchors must be a mapping"),
    ({"anchors": {1: date(2025, 3, 14)}}, TypeError, "anchor names must be str, not int"),
    ({"anchors": {"launch": "2025-03-14"}}, TypeError, "anchor 'launch' must be a date or datetime, not str"),
    ({"anchors": {"la\udc80nch": date(2025, 3, 14)}}, ValueError, "which UTF-8 cannot encode"),
    ({"default_time": (9, 0, 0)}, TypeError, "default_time must be a datetime.time, not tuple"),
    ({"week_start": "someday"}, ValueError, "week_start must be a weekday name .* not 'someday'"),
    ({"week_start": "su"}, ValueError, "not 'su'"),
    ({"week_start": 7}, ValueError, r"week_start must be 0 \(Monday\) .. 6 \(Sunday\), not 7"),
    ({"week_start": -1}, ValueError, "not -1"),
    ({"week_start": True}, TypeError, "week_start must be an int or a weekday name, not bool"),
    ({"week_start": 1.0}, TypeError, "not float"),
    ({"next_skips_today": 1}, TypeError, "next_skips_today must be a bool, not int"),
    ({"holidays": "2024-12-25"}, TypeError, "holidays must be a callable .* not str"),
    ({"holidays": 20241225}, TypeError, "not int"),
    ({"holidays": {"2024-12-25"}}, TypeError, r"holidays must hold dates, not str \('2024-12-25'\)"),
    ({"holidays": [datetime(2024, 12, 25)]}, TypeError, "holidays must hold dates, not datetime"),
])
def test_bad_arguments_are_reported_in_the_callers_terms(options: dict[str, Any], error: type[Exception],
                                                         message: str) -> None:
    with pytest.raises(error, match=message) as raised:
        parse("next friday", **options)
    assert "parse_raw" not in str(raised.value) and "argument '" not in str(raised.value)


@pytest.mark.parametrize(("text", "error", "message"), [
    (b"next friday", TypeError, "text must be a str, not bytes"),
    ("next fr\udcffiday", ValueError, "text holds '\\\\udcff' at index 7"),
])
def test_bad_text(text: Any, error: type[Exception], message: str) -> None:
    with pytest.raises(error, match=message):
        parse(text)


# The command's tests show the other forms.
@pytest.mark.parametrize(("outcome", "text"), [
    (Instant(datetime(2024, 6, 5, 17, 20, 10, tzinfo=BERLIN), 0.95, "3 hours from now"),
     "Wednesday 2024-06-05 17:20:10 CEST (3 hours from now; confidence 0.95)"),
    (Range(datetime(2024, 6, 6), datetime(2024, 6, 6, 23, 59, 59), 0.95, "tomorrow"),
     "Thursday 2024-06-06, all day (tomorrow; confidence 0.95)"),
    (Range(datetime(2024, 6, 6, 8), datetime(2024, 6, 6, 12), 0.5, "the morning"),
     "Thursday 2024-06-06 08:00 to Thursday 2024-06-06 12:00 (the morning; confidence 0.5)"),
    (Ambiguous((Instant(datetime(2024, 6, 12, 9), 0.59999996, "a week from today"),), "why"),
     "ambiguous: why\n  1. Wednesday 2024-06-12 09:00 (a week from today; confidence 0.6)"),
])
def test_readable_text(outcome: Outcome, text: str) -> None:
    assert str(outcome) == text


def test_outcomes_are_frozen() -> None:
    got = parse("next friday", now=NOW)
    assert isinstance(got, Instant)
    with pytest.raises(dataclasses.FrozenInstanceError):
        got.confidence = 1.0  # type: ignore[misc]


def test_public_names() -> None:
    assert set(kalendo.__all__) == {"parse", "Instant", "Range", "Ambiguous", "NoParse", "Outcome",
                                    "HolidaySource", "DateOrder", "parse_raw", "parse_full", "__version__"}
    assert all(hasattr(kalendo, name) for name in kalendo.__all__)
    assert resources.files("kalendo").joinpath("py.typed").is_file()
