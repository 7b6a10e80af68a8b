"""The typed API: `parse` and its four outcome classes, over `parse_raw`."""

from __future__ import annotations

import json
import operator
import re
from collections.abc import Callable, Container, Iterable, Mapping
from dataclasses import dataclass
from datetime import date, datetime, time, timedelta, timezone, tzinfo
from functools import partial
from typing import Any, Literal, TypeAlias, Union

from kalendo._core import parse_full, parse_raw, parse_typed, same_objects, typed_classes

__all__ = ["Ambiguous", "DateOrder", "HolidaySource", "Instant", "NoParse", "Outcome", "Range", "Region", "parse"]

WEEKDAYS = ("monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday")


def _clock(moment: datetime) -> str:
    """17:00, or 17:20:10 when the seconds are not zero, and the zone's name for an aware moment."""
    text = moment.strftime("%H:%M:%S" if moment.second else "%H:%M")
    zone = moment.tzname()
    return f"{text} {zone}" if zone else text


def _day(moment: datetime) -> str:
    return f"{WEEKDAYS[moment.weekday()].capitalize()} {moment.date().isoformat()}"


def _note(interpretation: str, confidence: float) -> str:
    return f"({interpretation}; confidence {round(confidence, 2)})"


@dataclass(frozen=True, slots=True)
class Instant:
    """One moment: `when`, with the reading in words and its confidence (0..1)."""

    when: datetime
    confidence: float
    interpretation: str

    def __str__(self) -> str:
        return f"{_day(self.when)} {_clock(self.when)} {_note(self.interpretation, self.confidence)}"


def _open_span(start: datetime | None, end: datetime | None, note: str) -> str:
    """from <start> on, or until <end>: a whole day's bound shows without its clock."""
    if start is not None:
        clock = "" if start.time() == time(0, 0) else f" {_clock(start)}"
        return f"from {_day(start)}{clock} on {note}"
    if end is not None:
        clock = "" if end.time() == time(23, 59, 59) else f" {_clock(end)}"
        return f"until {_day(end)}{clock} {note}"
    return f"at any time {note}"


@dataclass(frozen=True, slots=True)
class Range:
    """A span from `start` to `end`, both included; a span of whole days ends at 23:59:59.

    A span may be open at one end: `start` is None for *before friday* (up to
    the end, with no start), `end` is None for *since August* or *after 5pm*
    (from the start on, with no end). Only full mode gives open spans; the
    JSON of a full-mode answer writes the missing end as null.
    """

    start: datetime | None
    end: datetime | None
    confidence: float
    interpretation: str

    def __str__(self) -> str:
        note = _note(self.interpretation, self.confidence)
        if self.start is None or self.end is None:
            return _open_span(self.start, self.end, note)
        if self.start.time() == time(0, 0) and self.end.time() == time(23, 59, 59):
            if self.start.date() == self.end.date():
                return f"{_day(self.start)}, all day {note}"
            return f"{_day(self.start)} to {_day(self.end)} {note}"
        return f"{_day(self.start)} {_clock(self.start)} to {_day(self.end)} {_clock(self.end)} {note}"


@dataclass(frozen=True, slots=True)
class Ambiguous:
    """Several readings, most likely first, and why the text is ambiguous.

    `candidates` is empty when the text names an anchor that was not given
    (*2 days after launch* without a `launch` anchor); `reason` then says so.
    """

    candidates: tuple[Instant | Range, ...]
    reason: str

    def __str__(self) -> str:
        if not self.candidates:
            return f"ambiguous, with no candidates: {self.reason}"
        lines = [f"ambiguous: {self.reason}"]
        lines += [f"  {n}. {candidate}" for n, candidate in enumerate(self.candidates, 1)]
        return "\n".join(lines)


@dataclass(frozen=True, slots=True)
class NoParse:
    """The text was not understood; `reason` says why."""

    reason: str

    def __str__(self) -> str:
        return f"no parse: {self.reason}"


Outcome: TypeAlias = Union[Instant, Range, Ambiguous, NoParse]
# parse_typed builds these classes itself, field by field as their __init__ would: a field added
# here must be added there too.
typed_classes(Instant, Range, Ambiguous, NoParse, datetime)
HolidaySource: TypeAlias = Union[Callable[[date], bool], Container[date], Iterable[date], None]
DateOrder: TypeAlias = Literal["MDY", "DMY", "YMD"]
DATE_ORDERS = ("MDY", "DMY", "YMD")
Region: TypeAlias = Literal["US", "GB", "CA", "AU", "IE", "NZ"]
REGIONS = ("US", "GB", "CA", "AU", "IE", "NZ")

_MOMENT = re.compile(r"([+-]?)(\d{4,})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)")


def _offsets(moment: datetime) -> tuple[timedelta | None, timedelta | None]:
    return moment.replace(fold=0).utcoffset(), moment.replace(fold=1).utcoffset()


def _fold_of(moment: datetime, now: datetime) -> int:
    """The fold of an answer said at `now` (a moment with fold 1).

    The answer at now's own wall time is `now`, and an answer in the same
    repeated (or skipped) stretch of the clock is counted from it, so both
    keep its fold; any other answer takes fold 0.
    """
    if moment.replace(tzinfo=None) == now.replace(tzinfo=None, microsecond=0):
        return now.fold
    if now.tzinfo is None:
        return 0
    shift = _offsets(now)
    if shift[0] is None or shift[1] is None or shift[0] == shift[1] or _offsets(moment) != shift:
        return 0
    # One stretch is as long as its shift: two wall times in the same one lie closer than that.
    apart = abs(moment.replace(tzinfo=None) - now.replace(tzinfo=None))
    return now.fold if apart < abs(shift[0] - shift[1]) else 0


class OutsideYears(ValueError):
    """An answer lies outside the years 1 to 9999 that a Python datetime holds."""


def _moment(text: str, zone: tzinfo | None, now: datetime | None) -> datetime:
    found = _MOMENT.fullmatch(text)
    if found is None:
        raise ValueError(f"unexpected date-time text {text!r} from parse_raw")
    sign, year, month, day, hour, minute, second = found.groups()
    if sign or not 1 <= int(year) <= 9999:
        raise OutsideYears(f"the answer {text} lies outside the years 1 to 9999 that a Python datetime can hold")
    moment = datetime(int(year), int(month), int(day), int(hour), int(minute), int(second), tzinfo=zone)
    return moment if now is None or not now.fold else moment.replace(fold=_fold_of(moment, now))


def _resolution(item: dict[str, Any], zone: tzinfo | None, now: datetime | None) -> Instant | Range:
    if item["kind"] == "instant":
        return Instant(_moment(item["when"], zone, now), item["confidence"], item["interpretation"])
    start, end = item["start"], item["end"]
    return Range(None if start is None else _moment(start, zone, now), None if end is None else _moment(end, zone, now),
                 item["confidence"], item["interpretation"])


def outcome_of(raw: str, zone: tzinfo | None, now: datetime | None = None) -> Outcome:
    """The typed outcome of a JSON text of parse_raw; times get the tzinfo `zone`.

    Their fold is 0 unless `now`, the moment the text was said at, has fold 1
    (see `_fold_of`).
    """
    item = json.loads(raw)
    if item["kind"] == "no_parse":
        return NoParse(item["reason"])
    if item["kind"] == "ambiguous":
        return Ambiguous(tuple(_resolution(c, zone, now) for c in item["candidates"]), item["reason"])
    return _resolution(item, zone, now)


def _type_name(value: object) -> str:
    return type(value).__name__


def _check_utf8(what: str, text: str) -> None:
    try:
        text.encode("utf-8")
    except UnicodeEncodeError as error:
        raise ValueError(
            f"{what} holds {text[error.start]!r} at index {error.start}, which UTF-8 cannot encode"
        ) from None


_WEEKDAY_NUMBERS = {**{day: n for n, day in enumerate(WEEKDAYS)}, **{day[:3]: n for n, day in enumerate(WEEKDAYS)}}


def week_start_number(week_start: object) -> int:
    """0 (Monday) .. 6 (Sunday) from a number in that range or a weekday name (full or 3 letters)."""
    if type(week_start) is str and week_start in _WEEKDAY_NUMBERS:
        return _WEEKDAY_NUMBERS[week_start]
    if type(week_start) is int and 0 <= week_start <= 6:
        return week_start
    if isinstance(week_start, str):
        name = week_start.strip().lower()
        for number, day in enumerate(WEEKDAYS):
            if name in (day, day[:3]):
                return number
        raise ValueError(
            f"week_start must be a weekday name such as 'sunday' or 'sun', or 0 (Monday) .. 6 (Sunday), "
            f"not {week_start!r}")
    if isinstance(week_start, bool):
        raise TypeError("week_start must be an int or a weekday name, not bool")
    try:
        number = operator.index(week_start)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"week_start must be an int or a weekday name, not {_type_name(week_start)}") from None
    if not 0 <= number <= 6:
        raise ValueError(f"week_start must be 0 (Monday) .. 6 (Sunday), not {number}")
    return number


def _holiday_date(iso: str) -> date | None:
    """The date of a "YYYY-MM-DD" text of parse_raw, or None for a year that `date` cannot hold.

    parse_raw writes years 0..9999 with four digits and others with a sign.
    """
    if len(iso) != 10 or not iso[:4].isdigit():
        return None
    year = int(iso[:4])
    return date(year, int(iso[5:7]), int(iso[8:10])) if year else None


def _is_numpy(value: object, *names: str) -> bool:
    """Whether `value` is a numpy scalar or array of one of these type names, without importing numpy."""
    kind = type(value)
    return kind.__module__ == "numpy" and kind.__name__ in names


class _HolidayAdapter:
    """A holiday callable or a lazy calendar as the callable parse_raw asks with ISO texts.

    An exception of the source is kept and raised again once parse_raw has
    returned (parse_raw itself would drop it); after one, every date counts
    as a working day. So is an answer that is not a bool (numpy's counts).
    """

    __slots__ = ("ask", "error")

    def __init__(self, ask: Callable[[date], object]) -> None:
        self.ask = ask
        self.error: BaseException | None = None

    def __call__(self, iso: str) -> bool:
        day = _holiday_date(iso)
        if day is None or self.error is not None:
            return False
        try:
            answer = self.ask(day)
        except BaseException as error:  # noqa: B036 -- raised again after the call
            self.error = error
            return False
        if isinstance(answer, bool) or _is_numpy(answer, "bool_", "bool"):
            return bool(answer)
        self.error = TypeError(
            f"the holidays callable must return a bool, not {_type_name(answer)} ({answer!r} for {day})")
        return False


def _holiday_day(item: object) -> date | None:
    """The day a holiday item stands for, or None for one outside the years 1..9999 (never asked).

    A datetime (a pandas.Timestamp too) stands for its date, as an anchor does.
    """
    if isinstance(item, datetime):
        if item != item:  # pandas.NaT, the one datetime unequal to itself
            raise ValueError("holidays hold a missing date (NaT); drop it first")
        return item.date()
    if isinstance(item, date):
        return item
    if _is_numpy(item, "datetime64"):
        day = item.astype("datetime64[D]").item()  # type: ignore[attr-defined]
        if day is None:
            raise ValueError("holidays hold a missing date (NaT); drop it first")
        return day if isinstance(day, date) else None
    hint = "; read ISO texts with date.fromisoformat" if isinstance(item, str) else ""
    raise TypeError(f"holidays must hold dates, not {_type_name(item)} ({item!r}){hint}")


def _holiday_texts(days: Iterable[object]) -> Callable[[str], bool]:
    """Membership of the ISO texts of `days`: parse_raw asks with the same texts."""
    texts = frozenset(day.isoformat() for day in map(_holiday_day, days) if day is not None)
    return texts.__contains__


def _holiday_source(holidays: object) -> Callable[[str], bool] | None:
    """The callable for parse_raw that answers as `holidays` does; never one that ignores it.

    A collection is read once into a set, whatever it holds dates as (date,
    datetime, pandas.Timestamp, numpy.datetime64); a mapping whose keys are
    all dates, such as a country calendar of the holidays package that fills
    in a year when it is first asked about, is asked with `in` instead.
    """
    if holidays is None:
        return None
    if callable(holidays):
        return _HolidayAdapter(holidays)
    if isinstance(holidays, Mapping) and all(
            isinstance(key, date) and not isinstance(key, datetime) for key in holidays):
        return _HolidayAdapter(partial(operator.contains, holidays))
    if isinstance(holidays, Iterable) and not isinstance(holidays, (str, bytes, bytearray)):
        return _holiday_texts(holidays)
    if isinstance(holidays, Container) and not isinstance(holidays, (str, bytes, bytearray)):
        return _HolidayAdapter(partial(operator.contains, holidays))
    raise TypeError(
        "holidays must be a callable taking a date, a collection of dates (a set, a list, a numpy "
        f"datetime64 array, a pandas DatetimeIndex or Series), or None, not {_type_name(holidays)}")


# The text is read lower-cased, with these marks and the hyphen as spaces, and
# anchor names are found in it as read so; a name is read the same way, so
# that "go-live" matches "after go-live".
_MARKS_TO_SPACES = str.maketrans(dict.fromkeys(',.!?;()"-', " "))
# White space as the text's words are split on it (Unicode's White_Space).
_WHITE_SPACE_CHARS = ("\t\n\v\f\r \x85\xa0\u1680" + "".join(map(chr, range(0x2000, 0x200B)))
                      + "\u2028\u2029\u202f\u205f\u3000")
_WHITE_SPACE = re.compile(f"[{re.escape(_WHITE_SPACE_CHARS)}]+")


def anchor_spelling(name: str) -> str:
    """An anchor name as the text would spell it once read ("Q.A. sign-off" -> "q a  sign off")."""
    return name.lower().translate(_MARKS_TO_SPACES).strip(_WHITE_SPACE_CHARS)


def anchor_key(name: str) -> str:
    """The words of an anchor name, one space apart ("Q.A. sign-off" -> "q a sign off")."""
    return _WHITE_SPACE.sub(" ", anchor_spelling(name))


DAY_PARTS = ("morning", "lunch", "afternoon", "evening", "tonight", "night", "eod")


def _day_parts(day_parts: object) -> dict[str, tuple[int, int, int]] | None:
    """The hours of the parts of the day as parse_full takes them: name -> (hour, minute, second)."""
    if day_parts is None:
        return None
    if not isinstance(day_parts, Mapping):
        raise TypeError(f"day_parts must be a mapping of part names to times, not {_type_name(day_parts)}")
    hours: dict[str, tuple[int, int, int]] = {}
    for name, at in day_parts.items():
        if name not in DAY_PARTS:
            raise ValueError(f"day_parts: unknown part of the day {name!r}; known: {', '.join(DAY_PARTS)}")
        if not isinstance(at, time):
            raise TypeError(f"day_parts[{name!r}] must be a datetime.time, not {_type_name(at)}")
        hours[name] = (at.hour, at.minute, at.second)
    return hours


def _zones(zones: object) -> dict[str, tzinfo]:
    """The caller's zone abbreviations, upper-cased, each to its tzinfo."""
    if zones is None:
        return {}
    if not isinstance(zones, Mapping):
        raise TypeError(f"zones must be a mapping of abbreviations to tzinfo, not {_type_name(zones)}")
    named: dict[str, tzinfo] = {}
    for name, zone in zones.items():
        if not isinstance(name, str) or not name.isascii() or not name.isalpha():
            raise ValueError(f"zones: {name!r} is not a zone abbreviation (letters only, such as 'IST')")
        if not isinstance(zone, tzinfo):
            raise TypeError(f"zones[{name!r}] must be a tzinfo such as ZoneInfo('Asia/Kolkata'), "
                            f"not {_type_name(zone)}")
        named[name.upper()] = zone
    return named


# The last `now` and its wall-clock text: callers pass one moment call after call.
_last_now: tuple[datetime | None, str] = (None, "")


def _wall_text(now: datetime) -> str:
    """The wall clock of `now` as parse_raw reads it."""
    global _last_now
    last = _last_now
    if last[0] is now:
        return last[1]
    text = (now if now.tzinfo is None else now.replace(tzinfo=None)).isoformat(timespec="microseconds")
    _last_now = (now, text)
    return text


def _refold(outcome: Outcome, now: datetime) -> Outcome:
    """The outcome with the fold of each time as `_fold_of` gives it for an answer said at `now`."""
    def moment(value: datetime | None) -> datetime | None:
        return None if value is None else value.replace(fold=_fold_of(value, now))

    def resolution(item: Instant | Range) -> Instant | Range:
        if isinstance(item, Instant):
            return Instant(moment(item.when), item.confidence, item.interpretation)  # type: ignore[arg-type]
        return Range(moment(item.start), moment(item.end), item.confidence,
                     item.interpretation)

    if isinstance(outcome, Ambiguous):
        return Ambiguous(tuple(map(resolution, outcome.candidates)), outcome.reason)
    return outcome if isinstance(outcome, NoParse) else resolution(outcome)


class Prepared:
    """Checked arguments of `parse`, ready to resolve any number of texts."""

    __slots__ = ("now", "moment", "zone", "anchors", "default_time", "week_start", "next_skips_today",
                 "holidays", "strict", "date_order", "day_parts", "zones", "region", "adapter", "zone_names",
                 "settings")

    def __init__(self, now: datetime | None, anchors: Mapping[str, date] | None, default_time: time,
                 week_start: int | str, next_skips_today: bool, holidays: HolidaySource,
                 strict: bool = False, date_order: DateOrder | None = None,
                 day_parts: Mapping[str, time] | None = None,
                 zones: Mapping[str, tzinfo] | None = None, region: Region = "US") -> None:
        if now is None:
            now = datetime.now()
        elif not isinstance(now, datetime):
            raise TypeError(f"now must be a datetime, not {_type_name(now)}")
        self.moment = now
        self.zone = now.tzinfo
        self.now = _wall_text(now)

        # key -> (spelling, ISO date); of two names with one key the later wins, as in a dict update.
        named: dict[str, tuple[str, str]] = {}
        if anchors is not None:
            if not isinstance(anchors, Mapping):
                raise TypeError(f"anchors must be a mapping of names to dates, not {_type_name(anchors)}")
            for name, day in anchors.items():
                if not isinstance(name, str):
                    raise TypeError(f"anchor names must be str, not {_type_name(name)} ({name!r})")
                _check_utf8(f"the anchor name {name!r}", name)
                if isinstance(day, datetime):
                    day = day.date()
                elif not isinstance(day, date):
                    raise TypeError(f"anchor {name!r} must be a date or datetime, not {_type_name(day)}")
                key = anchor_key(name)
                if not key:
                    raise ValueError(f"the anchor name {name!r} has no word that a text could name")
                named[key] = (anchor_spelling(name), day.isoformat())
        # The words one space apart match a text that writes them so ("go-live", "go live"); the
        # spelling, when it differs, a text that writes the name as given ("Q.A. sign-off").
        self.anchors: dict[str, str] = {}
        for key, (spelling, iso) in named.items():
            self.anchors[key] = iso
            self.anchors[spelling] = iso

        if not isinstance(default_time, time):
            raise TypeError(f"default_time must be a datetime.time, not {_type_name(default_time)}")
        self.default_time = (default_time.hour, default_time.minute, default_time.second)

        self.week_start = week_start_number(week_start)

        if not isinstance(next_skips_today, bool):
            raise TypeError(f"next_skips_today must be a bool, not {_type_name(next_skips_today)}")
        self.next_skips_today = next_skips_today

        self.holidays = _holiday_source(holidays)
        self.adapter = self.holidays if isinstance(self.holidays, _HolidayAdapter) else None

        if not isinstance(strict, bool):
            raise TypeError(f"strict must be a bool, not {_type_name(strict)}")
        self.strict = strict
        if date_order is not None and not isinstance(date_order, str):
            raise TypeError(f"date_order must be None or one of {', '.join(DATE_ORDERS)}, not {_type_name(date_order)}")
        if date_order is not None and date_order not in DATE_ORDERS:
            raise ValueError(f"date_order must be None or one of {', '.join(DATE_ORDERS)}, not {date_order!r}")
        self.date_order = date_order
        self.day_parts = None if day_parts is None else _day_parts(day_parts)
        self.zones = {} if zones is None else _zones(zones)
        self.zone_names = tuple(self.zones) or None
        if not isinstance(region, str):
            raise TypeError(f"region must be one of {', '.join(REGIONS)}, not {_type_name(region)}")
        if region not in REGIONS:
            raise ValueError(f"region must be one of {', '.join(REGIONS)}, not {region!r}")
        self.region = region
        # What parse_typed reads besides the text and the clocks, in its order: one argument for ten.
        self.settings = (self.anchors, self.default_time, self.week_start, self.next_skips_today,
                         self.holidays, self.date_order, self.day_parts, self.zone_names, self.region,
                         self.strict)

    def raw(self, text: str, now: str | None = None) -> str:
        """The JSON text of parse_raw for `text` (said at `now`, the wall clock as ISO text, if given)."""
        if not isinstance(text, str):
            raise TypeError(f"text must be a str, not {_type_name(text)}")
        _check_utf8("text", text)
        if self.strict:
            raw = parse_raw(text, now or self.now, self.anchors, self.default_time, self.week_start,
                            self.next_skips_today, self.holidays)
        else:
            raw = parse_full(text, now or self.now, self.anchors, self.default_time, self.week_start,
                             self.next_skips_today, self.holidays, date_order=self.date_order,
                             day_parts=self.day_parts, zones=tuple(self.zones) or None,
                             region=self.region)
        if isinstance(self.holidays, _HolidayAdapter) and self.holidays.error is not None:
            error, self.holidays.error = self.holidays.error, None
            raise error
        return raw

    def outcome(self, text: str) -> Outcome:
        """The typed outcome for `text`, read as `zoned` says: parse_typed (see the binding) asked
        at `now`, and asked again on the zone's wall clock when the text names a zone."""
        if not isinstance(text, str):
            raise TypeError(f"text must be a str, not {_type_name(text)}")
        now, tz, zone_tz, moment = self.now, self.zone, None, self.moment
        while True:
            try:
                built, zone = parse_typed(text, now, self.settings, tz, zone_tz)
            except UnicodeEncodeError:
                _check_utf8("text", text)
                raise
            adapter = self.adapter
            if adapter is not None and adapter.error is not None:
                error, adapter.error = adapter.error, None
                raise error
            if built is not None or zone_tz is not None:  # asked on the zone's clock: the answer
                break
            tz = zone_tz = self.zone_named(zone)
            moment = moment.astimezone(tz) if moment.tzinfo else moment.replace(tzinfo=tz)
            now = _wall_text(moment)
        result: Outcome = built
        return _refold(result, moment) if moment.fold else result

    def zoned(self, text: str) -> tuple[str, tzinfo | None, datetime]:
        """The JSON text for `text`, the tzinfo of its times and the moment it was said at.

        A text that names a zone is read on that zone's wall clock at the moment `now` (a naive
        `now` is taken to be in that zone), so the core is asked again with `now` on that clock.
        """
        raw = self.raw(text)
        if '"zone":' not in raw:  # a quote inside a text is escaped, so only the field matches
            return raw, self.zone, self.moment
        zone = self.zone_named(json.loads(raw)["zone"])
        moment = self.moment.astimezone(zone) if self.moment.tzinfo else self.moment.replace(tzinfo=zone)
        wall = moment.replace(tzinfo=None).isoformat(timespec="microseconds")
        if wall != self.now:
            raw = self.raw(text, wall)
        return raw, zone, moment

    def zone_named(self, name: str) -> tzinfo:
        """The tzinfo of a zone the core reported: a caller's abbreviation, an offset or an IANA name."""
        if name in self.zones:
            return self.zones[name]
        if name[0] in "+-":
            minutes = int(name[1:3]) * 60 + int(name[4:6])
            return timezone(timedelta(minutes=-minutes if name[0] == "-" else minutes))
        if name == "UTC":
            return timezone.utc
        # Imported here, not with the package: the zone module keeps state per process, which a
        # sub-interpreter that imported it would clear when it ends.
        from zoneinfo import ZoneInfo
        return ZoneInfo(name)


def parse(
    text: str,
    *,
    now: datetime | None = None,
    anchors: Mapping[str, date] | None = None,
    default_time: time = time(9, 0),
    week_start: int | str = "monday",
    next_skips_today: bool = True,
    holidays: HolidaySource = None,
    strict: bool = False,
    date_order: DateOrder | None = None,
    day_parts: Mapping[str, time] | None = None,
    zones: Mapping[str, tzinfo] | None = None,
    region: Region = "US",
) -> Outcome:
    """Resolve an English date expression such as "next friday at 5pm" or "March 14, 2025".

    Returns an `Instant`, a `Range` (both ends included), an `Ambiguous` with
    the candidate readings, most likely first, or a `NoParse` with a reason.
    Text that is not understood never raises; an `Ambiguous` whose
    `candidates` is empty means that the text names an anchor missing from
    `anchors`.

    now: the moment the text is relative to; by default the current local
        time. Results are whole seconds. With an aware `now` the text is
        resolved on its wall clock, and every result carries the same
        tzinfo. So arithmetic is clock arithmetic: "in 3 hours" said at
        00:30 on the night the clocks go forward answers 03:30 on the clock,
        two real hours later. Results have fold 0, except that with a
        `now` of fold 1 (the second time a repeated hour is lived) a result
        at now's wall time ("now") or in that same repeated hour ("in 10
        minutes") keeps fold 1, and so names the moment counted from `now`.
        A result with fold 0 that falls in a gap (a wall-clock time skipped
        by a change) or a fold (one that happens twice) means what that
        wall-clock time with fold 0 means to its tzinfo: for `zoneinfo`,
        the offset in force before the change, so in a fold the earlier of
        the two moments, and in a gap 02:30 names the same moment as 03:30.
    anchors: names the text may refer to ("2 days after launch"), each a
        date or a datetime (its date is used). A name is read as the text
        is: lower-cased, with the marks , . ! ? ; ( ) " and the hyphen as
        spaces, and a run of white space as one space, so "Go-Live" names
        "go-live" and "go live" in a text. Of two names read the same, the
        later one wins, as in a dict update; a name with no word left is a
        ValueError.
    default_time: the time of day of results that name a day but no time.
        Seconds are kept, a fraction of a second is dropped.
    week_start: the first day of the week, for "this week", "next week",
        "this friday" and weekends: 0 (Monday) .. 6 (Sunday), the numbering
        of `datetime.date.weekday` and `calendar.MONDAY`..`calendar.SUNDAY`,
        or an English weekday name, full or its first three letters, in any
        case ("sunday", "Sun").
    next_skips_today: whether "next friday" said on a Friday means a week
        from today (True, the default) or today (False).
    holidays: days that are not business days, for phrases such as "in 3
        business days": a callable `date -> bool`, a collection of days, or
        None. The days may be `date`s, `datetime`s or pandas `Timestamp`s
        (each stands for its date) or numpy `datetime64` values: a set, a
        list, a numpy array, a pandas `DatetimeIndex` or `Series` (its
        values). A mapping whose keys are dates, such as a country calendar
        of the `holidays` package, is asked with `in`, so it can fill in
        years as it is asked. Anything else, ISO texts included, is a
        TypeError, and a missing date (NaT) a ValueError. The callable is
        asked only about Monday-to-Friday dates; an exception it raises is
        raised again from `parse`, and so is a TypeError when it answers
        something other than a bool (a numpy bool counts).
    strict: False (the default) for full mode: the core grammar first, and
        the everyday grammar (calendar dates such as "March 14",
        "2025-03-14T17:00", "14.03.2025", "Q3 2025", "the 14th") for the
        texts the core grammar does not read. True for the core grammar
        alone, exactly as `parse_raw` answers.
    date_order: the order of day and month in numeric dates ("3/4/2025"):
        "MDY", "DMY" or "YMD". None (the default) tries month first and day
        first; when both make a date the answer is `Ambiguous`, month first
        ranked first for "/" and "-", day first for ".". A four-digit
        year written first always means year, month, day.
    day_parts: the hours that parts of the day name, replacing the
        conventional ones: a mapping from "morning" (09:00), "lunch"
        (12:00), "afternoon" (15:00), "evening" (19:00), "tonight" (20:00),
        "night" (21:00) or "eod" (end of day, close of business: 17:00) to a
        `datetime.time`, e.g. {"morning": time(8, 0)}.
    zones: zone abbreviations that name several zones ("IST", "CST",
        "BST"), each mapped to the `tzinfo` the caller means, e.g.
        {"IST": ZoneInfo("Asia/Kolkata")}. A text that names a zone
        ("5pm PST", "17:00 +02:00", "noon UTC") is read on that zone's
        clock at the moment `now` (a naive `now` is taken to be in that
        zone), and the answer is aware, in that zone.
    region: whose holidays the names in a text mean: "US" (the default),
        "GB", "CA", "AU", "IE" or "NZ". Christmas, Christmas Eve, New
        Year's Day and Eve, Easter, Good Friday, Halloween, Valentine's Day
        and St Patrick's Day are known in every region; a name the region
        does not keep ("thanksgiving" in "GB") is a `NoParse` that says so.
        Holiday names never change which days are business days: only
        `holidays` does.

    Raises TypeError or ValueError for a bad argument, and ValueError when a
    result lies outside the years 1 to 9999 that `datetime` can hold (the
    message names the result as ISO text; `parse_raw` gives any year).
    """
    global _last_call
    args = (now, anchors, default_time, week_start, next_skips_today, holidays, strict, date_order, day_parts,
            zones, region)
    last = _last_call
    if last is not None and same_objects(last[0], args):
        return last[1].outcome(text)
    prepared = Prepared(now, anchors, default_time, week_start, next_skips_today, holidays, strict,
                        date_order, day_parts, zones, region)
    if now is not None and anchors is None and holidays is None and day_parts is None and zones is None:
        _last_call = (args, prepared)
    return prepared.outcome(text)


# The arguments of the last call of `parse` and their checked form: a caller that passes the very
# same objects call after call, such as one `now` for many texts, skips the checks. Only a call
# with a given `now` and no mutable argument (anchors, holidays, day_parts, zones all None) is
# kept, so nothing can change behind it.
_last_call: tuple[tuple[object, ...], Prepared] | None = None
