"""The typed API `kalendo.parse`, checked against the JSON of `parse_raw`."""

import json
import re
from collections.abc import Callable
from datetime import date, datetime, time, timedelta, timezone, tzinfo
from importlib import resources
from pathlib import Path
from typing import Any
from zoneinfo import ZoneInfo

import holidays as holiday_calendars
import pytest

import kalendo
from kalendo import Ambiguous, Instant, NoParse, Outcome, Range, parse, parse_raw
from kalendo._api import Prepared, outcome_of

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
    ("next wednesday", {"next_skips_today": False}, {"next_skips_today": False}),
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
             next_skips_today: bool = True, holidays: Callable[[str], bool] | None = None) -> str:
    return parse_raw(text, now, anchors or {}, default_time, week_start, next_skips_today, holidays)


@pytest.mark.parametrize(("text", "options", "raw_options"), PHRASES,
                         ids=[f"{t} {o}" for t, o, _ in PHRASES])
def test_outcome_matches_parse_raw(text: str, options: dict[str, Any], raw_options: dict[str, Any]) -> None:
    got = parse(text, **{"now": NOW, **options})
    assert got == expected(raw_call(text, **raw_options))


GO_LIVE = date(2025, 3, 14)  # a Friday
# (anchors, text) -> the day of the answer, or None when the text names no anchor given
ANCHOR_NAMES: list[tuple[dict[str, date], str, date | None]] = [
    ({"go-live": GO_LIVE}, "2 days after go-live", date(2025, 3, 16)),
    ({"Go-Live": GO_LIVE}, "2 days after go live", date(2025, 3, 16)),
    ({"go live": GO_LIVE}, "2 days after GO-LIVE", date(2025, 3, 16)),
    ({" go \t live\u3000": GO_LIVE}, "2 days after go-live", date(2025, 3, 16)),
    ({"(go-live!)": GO_LIVE}, "2 days after go-live", date(2025, 3, 16)),
    ({"Q.A. sign-off": GO_LIVE}, "the day after q.a. sign-off", date(2025, 3, 15)),
    ({"Q.A. sign-off": GO_LIVE}, "the day after q a sign off", date(2025, 3, 15)),
    ({"Q.A. sign-off": GO_LIVE}, "the day after qa sign off", None),
    # two names read the same: the later one wins, as in a dict update
    ({"launch": date(2024, 1, 1), " LAUNCH ": GO_LIVE}, "2 days after launch", date(2025, 3, 16)),
    ({"go-live": date(2024, 1, 1), "go live": GO_LIVE}, "2 days after go-live", date(2025, 3, 16)),
]


@pytest.mark.parametrize(("anchors", "text", "day"), ANCHOR_NAMES, ids=[f"{a} {t}" for a, t, _ in ANCHOR_NAMES])
def test_anchor_names_are_read_as_the_text_is(anchors: dict[str, date], text: str, day: date | None) -> None:
    got = parse(text, now=NOW, anchors=anchors)
    if day is None:
        assert isinstance(got, Ambiguous) and not got.candidates
    else:
        assert isinstance(got, Instant) and got.when == datetime.combine(day, time(9))


# Defaults of the typed API: "next wednesday" said on a Wednesday afternoon is a week ahead, and the hint for
# a missing anchor shows how to pass it.
@pytest.mark.parametrize(("text", "want"), [
    ("next wednesday", Instant(datetime(2024, 6, 12, 9, 0), 0.9,
                               "next Wednesday \u2014 today is Wednesday; skipping today per next_skips_today=true")),
    ("2 days after launch", Ambiguous((), 'unknown anchor "launch" \u2014 pass it via anchors={"launch": date(...)}')),
])
def test_defaults(text: str, want: Outcome) -> None:
    assert parse(text, now=NOW) == want


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


# Berlin lives 02:00..03:00 twice on 27 October 2024 (fold 1 the second time) and skips it on 31 March.
SECOND_PASS = datetime(2024, 10, 27, 2, 30, 15, 500000, tzinfo=BERLIN, fold=1)
SKIPPED = datetime(2024, 3, 31, 2, 30, tzinfo=BERLIN, fold=1)  # fold 1 in a gap: the offset after it
# (now, text) -> the answer's wall time and fold, and the real moment it names
FOLDS: list[tuple[datetime, str, datetime, int, str]] = [
    (SECOND_PASS, "now", datetime(2024, 10, 27, 2, 30, 15), 1, "2024-10-27T01:30:15"),
    (SECOND_PASS, "in 10 minutes", datetime(2024, 10, 27, 2, 40, 15), 1, "2024-10-27T01:40:15"),
    (SECOND_PASS, "20 minutes ago", datetime(2024, 10, 27, 2, 10, 15), 1, "2024-10-27T01:10:15"),
    (SECOND_PASS, "in 1 hour", datetime(2024, 10, 27, 3, 30, 15), 0, "2024-10-27T02:30:15"),
    (SECOND_PASS.replace(fold=0), "in 10 minutes", datetime(2024, 10, 27, 2, 40, 15), 0, "2024-10-27T00:40:15"),
    (SKIPPED, "now", datetime(2024, 3, 31, 2, 30), 1, "2024-03-31T00:30:00"),
    (SKIPPED, "in 10 minutes", datetime(2024, 3, 31, 2, 40), 1, "2024-03-31T00:40:00"),
    # fold 1 outside any repeated hour: the fold of another day is still the first of its two
    (datetime(2025, 10, 25, 12, 0, tzinfo=BERLIN, fold=1), "tomorrow at 2:30am", datetime(2025, 10, 26, 2, 30), 0,
     "2025-10-26T00:30:00"),
    # a wall time in the spring gap takes the offset before the change; one in the autumn fold, the first pass
    (datetime(2024, 3, 30, 12, 0, tzinfo=BERLIN), "tomorrow at 2:30am", datetime(2024, 3, 31, 2, 30), 0,
     "2024-03-31T01:30:00"),
    (datetime(2024, 10, 26, 12, 0, tzinfo=BERLIN), "tomorrow at 2:30am", datetime(2024, 10, 27, 2, 30), 0,
     "2024-10-27T00:30:00"),
    # durations are counted on the wall clock: three hours across the spring change are two elapsed
    (datetime(2024, 3, 31, 0, 30, tzinfo=BERLIN), "in 3 hours", datetime(2024, 3, 31, 3, 30), 0, "2024-03-31T01:30:00"),
]


@pytest.mark.parametrize(("now", "text", "wall", "fold", "utc"), FOLDS, ids=[f"{n} {t}" for n, t, *_ in FOLDS])
def test_answers_in_now_s_repeated_hour_keep_its_fold(now: datetime, text: str, wall: datetime, fold: int,
                                                    utc: str) -> None:
    got = parse(text, now=now)
    assert isinstance(got, Instant)
    assert (got.when.replace(tzinfo=None), got.when.fold, got.when.tzinfo) == (wall, fold, BERLIN)
    assert got.when.astimezone(timezone.utc) == datetime.fromisoformat(utc).replace(tzinfo=timezone.utc)


def test_naive_now_keeps_its_fold_for_now() -> None:
    got = parse("now", now=datetime(2024, 10, 27, 2, 30, fold=1))
    assert isinstance(got, Instant) and (got.when, got.when.fold) == (datetime(2024, 10, 27, 2, 30), 1)


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
XMAS = "2024-12-25"


def pandas() -> Any:
    return pytest.importorskip("pandas")


def numpy() -> Any:
    return pytest.importorskip("numpy")


# (name, a function that makes the source, the holidays it stands for)
HOLIDAY_SOURCES: list[tuple[str, Callable[[], Any], set[date]]] = [
    ("callable", lambda: lambda day: day in CHRISTMAS, CHRISTMAS),
    ("callable answering numpy bools", lambda: lambda day: numpy().bool_(day in CHRISTMAS), CHRISTMAS),
    ("set", lambda: set(CHRISTMAS), CHRISTMAS),
    ("frozenset", lambda: frozenset(CHRISTMAS), CHRISTMAS),
    ("list", lambda: list(CHRISTMAS), CHRISTMAS),
    ("generator", lambda: (day for day in CHRISTMAS), CHRISTMAS),
    ("dict keys", lambda: {date(2024, 12, 25): "Christmas"}.keys(), CHRISTMAS),
    ("datetimes, each for its date", lambda: [datetime(2024, 12, 25), datetime(2024, 12, 26, 18, 30)],
     CHRISTMAS | {date(2024, 12, 26)}),
    ("country US", lambda: holiday_calendars.country_holidays("US"), CHRISTMAS),
    ("country GB", lambda: holiday_calendars.country_holidays("GB"), CHRISTMAS | {date(2024, 12, 26)}),
    ("pandas DatetimeIndex", lambda: pandas().DatetimeIndex([XMAS]), CHRISTMAS),
    ("aware pandas DatetimeIndex", lambda: pandas().DatetimeIndex([XMAS]).tz_localize("Europe/Berlin"), CHRISTMAS),
    ("pandas Series", lambda: pandas().Series(pandas().to_datetime([XMAS, "2024-12-26"])),
     CHRISTMAS | {date(2024, 12, 26)}),
    ("pandas Series of dates", lambda: pandas().Series(list(CHRISTMAS), dtype=object), CHRISTMAS),
    ("list of pandas Timestamps", lambda: [pandas().Timestamp(XMAS)], CHRISTMAS),
    ("dict keyed by pandas Timestamps", lambda: {pandas().Timestamp(XMAS): "Christmas"}, CHRISTMAS),
    ("numpy datetime64[ns] array", lambda: numpy().array([XMAS + "T00:00"], dtype="datetime64[ns]"), CHRISTMAS),
    ("numpy datetime64[D] array and a year past 9999",
     lambda: numpy().array([XMAS, "12000-01-01"], dtype="datetime64[D]"), CHRISTMAS),
    ("list of numpy datetime64", lambda: [numpy().datetime64(XMAS)], CHRISTMAS),
    ("none", lambda: None, set()),
]


@pytest.mark.parametrize(("make", "days"), [(m, d) for _, m, d in HOLIDAY_SOURCES],
                         ids=[name for name, _, _ in HOLIDAY_SOURCES])
@pytest.mark.parametrize("text", ["next business day", "in 3 business days", "last business day of the month"])
def test_every_holiday_source(make: Callable[[], Any], days: set[date], text: str) -> None:
    isos = {day.isoformat() for day in days}
    assert parse(text, now=EVE, holidays=make()) == expected(
        raw_call(text, now="2024-12-24T10:00:00", holidays=lambda iso: iso in isos))


# Sources that cannot be read as days are refused, never taken for "no holidays".
@pytest.mark.parametrize(("make", "error", "message"), [
    (lambda: [XMAS], TypeError, r"holidays must hold dates, not str \('2024-12-25'\); read ISO texts with "
                                r"date\.fromisoformat"),
    (lambda: pandas().Series([XMAS]), TypeError, "holidays must hold dates, not str"),
    (lambda: pandas().Series(["Christmas"], index=pandas().DatetimeIndex([XMAS])), TypeError,
     r"not str \('Christmas'\)"),
    (lambda: numpy().array([20241225]), TypeError, "holidays must hold dates, not int64"),
    (lambda: pandas().DatetimeIndex([XMAS, None]), ValueError, r"holidays hold a missing date \(NaT\)"),
    (lambda: numpy().array([XMAS, "NaT"], dtype="datetime64[D]"), ValueError, r"missing date \(NaT\)"),
    (lambda: lambda day: int(day == date(2024, 12, 25)), TypeError,
     r"the holidays callable must return a bool, not int \(1 for 2024-12-25\)"),
    (lambda: lambda day: None, TypeError, r"must return a bool, not NoneType \(None for 2024-12-25\)"),
])
def test_holiday_sources_that_are_refused(make: Callable[[], Any], error: type[Exception], message: str) -> None:
    with pytest.raises(error, match=message):
        parse("in 3 business days", now=EVE, holidays=make())


def test_a_holiday_callable_is_asked_with_dates_and_its_error_is_raised_after_the_call() -> None:
    asked: list[date] = []

    def christmas(day: date) -> bool:
        asked.append(day)
        return day == date(2024, 12, 25)

    def broken(day: date) -> bool:
        asked.append(day)
        raise LookupError(f"no calendar for {day}")

    got = parse("next business day", now=EVE, holidays=christmas)
    assert isinstance(got, Instant) and got.when.date() == date(2024, 12, 26)
    assert asked == [date(2024, 12, 25), date(2024, 12, 26)]
    with pytest.raises(LookupError, match="no calendar for 2024-12-25"):
        parse("in 3 business days", now=EVE, holidays=broken)
    assert len(asked) == 3
    # The core asks only about years from 1 on today; the adapter must not fail on the others.
    adapter, asked[:] = kalendo._api._HolidayAdapter(lambda day: not christmas(day) or True), []
    for iso in ("2024-12-25", "0001-01-01", "9999-12-31", "0000-01-03", "-0001-12-31", "+10000-01-01", "-262143-01-01"):
        assert adapter(iso) is (iso[:4] in ("2024", "0001", "9999")), iso
    assert asked == [date(2024, 12, 25), date(1, 1, 1), date(9999, 12, 31)]


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
    ({"anchors": {" -- ": date(2025, 3, 14)}}, ValueError, "the anchor name ' -- ' has no word"),
    ({"text": b"next friday"}, TypeError, "text must be a str, not bytes"),
    ({"text": "next fr\udcffiday"}, ValueError, "text holds '\\\\udcff' at index 7"),
])
def test_bad_arguments_are_reported_in_the_callers_terms(options: dict[str, Any], error: type[Exception],
                                                         message: str) -> None:
    with pytest.raises(error, match=message) as raised:
        parse(options.pop("text", "next friday"), **options)
    assert "parse_raw" not in str(raised.value) and "argument '" not in str(raised.value)


# The command's tests show the other forms.
@pytest.mark.parametrize(("outcome", "text"), [
    (Instant(datetime(2024, 6, 5, 17, 20, 10, tzinfo=BERLIN), 0.95, "3 hours from now"),
     "Wednesday 2024-06-05 17:20:10 CEST (3 hours from now; confidence 0.95)"),
    (Range(datetime(2024, 6, 6), datetime(2024, 6, 6, 23, 59, 59), 0.95, "tomorrow"),
     "Thursday 2024-06-06, all day (tomorrow; confidence 0.95)"),
    (Range(datetime(2024, 6, 6, 8), datetime(2024, 6, 6, 12), 0.5, "the morning"),
     "Thursday 2024-06-06 08:00 to Thursday 2024-06-06 12:00 (the morning; confidence 0.5)"),
    (Range(datetime(2023, 8, 1), None, 0.85, "since"), "from Tuesday 2023-08-01 on (since; confidence 0.85)"),
    (Range(datetime(2024, 6, 5, 17), None, 0.9, "after"), "from Wednesday 2024-06-05 17:00 on (after; confidence 0.9)"),
    (Range(None, datetime(2024, 6, 6, 23, 59, 59), 0.7, "before"), "until Thursday 2024-06-06 (before; confidence 0.7)"),
    (Range(None, datetime(2024, 6, 5, 17), 0.9, "before"), "until Wednesday 2024-06-05 17:00 (before; confidence 0.9)"),
    (Ambiguous((Instant(datetime(2024, 6, 12, 9), 0.59999996, "a week from today"),), "why"),
     "ambiguous: why\n  1. Wednesday 2024-06-12 09:00 (a week from today; confidence 0.6)"),
])
def test_readable_text(outcome: Outcome, text: str) -> None:
    assert str(outcome) == text


def test_public_names() -> None:
    assert all(hasattr(kalendo, name) for name in kalendo.__all__)
    assert resources.files("kalendo").joinpath("py.typed").is_file()



BENCH = Path(__file__).resolve().parents[2] / "bench"
TEXTS = [line for name in ("phrases.txt", "dates.txt", "times.txt", "holidays.txt")
         for line in (BENCH / name).read_text(encoding="utf-8").splitlines() if line and line[0] != "#"]


@pytest.mark.parametrize("options", [
    {"now": NOW}, {"now": NOW, "strict": True}, {"now": NOW.replace(tzinfo=BERLIN), "date_order": "DMY"},
    {"now": datetime(2024, 10, 27, 2, 30, fold=1, tzinfo=BERLIN), "zones": {"IST": ZoneInfo("Asia/Kolkata")}},
], ids=["full", "strict", "aware", "fold"])
def test_objects_built_in_the_binding_match_the_json_path(options: dict[str, Any]) -> None:
    prepared = Prepared(options["now"], None, time(9), 0, True, None, **{k: v for k, v in options.items() if k != "now"})
    for text in TEXTS + ["until 5pm", "in 8000 years", "\ud800"]:
        assert shown(lambda: outcome_of(*prepared.zoned(text))) == shown(lambda: parse(text, **options)), text


def shown(call: Callable[[], Outcome]) -> str:
    try:
        return repr(call())
    except ValueError as error:
        return str(error)
