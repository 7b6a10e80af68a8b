"""The typed API: `parse` and its four outcome classes, over `parse_raw`."""

from __future__ import annotations

import json
import operator
import re
from collections.abc import Callable, Container, Mapping
from dataclasses import dataclass
from datetime import date, datetime, time, tzinfo
from typing import Any, Literal, TypeAlias, Union

from kalendo._core import parse_full, parse_raw

__all__ = ["Ambiguous", "DateOrder", "HolidaySource", "Instant", "NoParse", "Outcome", "Range", "parse"]

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


@dataclass(frozen=True, slots=True)
class Range:
    """A span from `start` to `end`, both included; a span of whole days ends at 23:59:59."""

    start: datetime
    end: datetime
    confidence: float
    interpretation: str

    def __str__(self) -> str:
        note = _note(self.interpretation, self.confidence)
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
HolidaySource: TypeAlias = Union[Callable[[date], bool], Container[date], None]
DateOrder: TypeAlias = Literal["MDY", "DMY", "YMD"]
DATE_ORDERS = ("MDY", "DMY", "YMD")

_MOMENT = re.compile(r"([+-]?)(\d{4,})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)")


def _moment(text: str, zone: tzinfo | None) -> datetime:
    found = _MOMENT.fullmatch(text)
    if found is None:
        raise ValueError(f"unexpected date-time text {text!r} from parse_raw")
    sign, year, month, day, hour, minute, second = found.groups()
    if sign or not 1 <= int(year) <= 9999:
        raise ValueError(f"the answer {text} lies outside the years 1 to 9999 that a Python datetime can hold")
    return datetime(int(year), int(month), int(day), int(hour), int(minute), int(second), tzinfo=zone)


def _resolution(item: dict[str, Any], zone: tzinfo | None) -> Instant | Range:
    if item["kind"] == "instant":
        return Instant(_moment(item["when"], zone), item["confidence"], item["interpretation"])
    return Range(_moment(item["start"], zone), _moment(item["end"], zone), item["confidence"],
                 item["interpretation"])


def outcome_of(raw: str, zone: tzinfo | None) -> Outcome:
    """The typed outcome of a JSON text of parse_raw; times get the tzinfo `zone` (fold 0)."""
    item = json.loads(raw)
    if item["kind"] == "no_parse":
        return NoParse(item["reason"])
    if item["kind"] == "ambiguous":
        return Ambiguous(tuple(_resolution(c, zone) for c in item["candidates"]), item["reason"])
    return _resolution(item, zone)


def _type_name(value: object) -> str:
    return type(value).__name__


def _check_utf8(what: str, text: str) -> None:
    try:
        text.encode("utf-8")
    except UnicodeEncodeError as error:
        raise ValueError(
            f"{what} holds {text[error.start]!r} at index {error.start}, which UTF-8 cannot encode"
        ) from None


def week_start_number(week_start: object) -> int:
    """0 (Monday) .. 6 (Sunday) from a number in that range or a weekday name (full or 3 letters)."""
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


class _HolidayAdapter:
    """The holiday source as the callable parse_raw asks with ISO texts.

    An exception of the source is kept and raised again once parse_raw has
    returned (parse_raw itself would drop it); after one, every date counts
    as a working day.
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
            return bool(self.ask(day))
        except BaseException as error:  # noqa: B036 -- raised again after the call
            self.error = error
            return False


def _holiday_asker(holidays: object) -> Callable[[date], object] | None:
    if holidays is None:
        return None
    if callable(holidays):
        return holidays
    if isinstance(holidays, (str, bytes)) or not isinstance(holidays, Container):
        raise TypeError(
            "holidays must be a callable taking a date, a container of dates, or None, "
            f"not {_type_name(holidays)}")
    if isinstance(holidays, (set, frozenset, list, tuple)):
        for item in holidays:
            if not isinstance(item, date) or isinstance(item, datetime):
                raise TypeError(f"holidays must hold dates, not {_type_name(item)} ({item!r})")
    return holidays.__contains__


class Prepared:
    """Checked arguments of `parse`, ready to resolve any number of texts."""

    __slots__ = ("now", "zone", "anchors", "default_time", "week_start", "next_skips_today", "holidays",
                 "strict", "date_order")

    def __init__(self, now: datetime | None, anchors: Mapping[str, date] | None, default_time: time,
                 week_start: int | str, next_skips_today: bool, holidays: HolidaySource,
                 strict: bool = False, date_order: DateOrder | None = None) -> None:
        if now is None:
            now = datetime.now()
        elif not isinstance(now, datetime):
            raise TypeError(f"now must be a datetime, not {_type_name(now)}")
        self.zone = now.tzinfo
        self.now = now.replace(tzinfo=None).isoformat(timespec="microseconds")

        self.anchors: dict[str, str] = {}
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
                self.anchors[name] = day.isoformat()

        if not isinstance(default_time, time):
            raise TypeError(f"default_time must be a datetime.time, not {_type_name(default_time)}")
        self.default_time = (default_time.hour, default_time.minute, default_time.second)

        self.week_start = week_start_number(week_start)

        if not isinstance(next_skips_today, bool):
            raise TypeError(f"next_skips_today must be a bool, not {_type_name(next_skips_today)}")
        self.next_skips_today = next_skips_today

        asker = _holiday_asker(holidays)
        self.holidays = None if asker is None else _HolidayAdapter(asker)

        if not isinstance(strict, bool):
            raise TypeError(f"strict must be a bool, not {_type_name(strict)}")
        self.strict = strict
        if date_order is not None and not isinstance(date_order, str):
            raise TypeError(f"date_order must be None or one of {', '.join(DATE_ORDERS)}, not {_type_name(date_order)}")
        if date_order is not None and date_order not in DATE_ORDERS:
            raise ValueError(f"date_order must be None or one of {', '.join(DATE_ORDERS)}, not {date_order!r}")
        self.date_order = date_order

    def raw(self, text: str) -> str:
        """The JSON text of parse_raw for `text`."""
        if not isinstance(text, str):
            raise TypeError(f"text must be a str, not {_type_name(text)}")
        _check_utf8("text", text)
        if self.strict:
            raw = parse_raw(text, self.now, self.anchors, self.default_time, self.week_start,
                            self.next_skips_today, self.holidays)
        else:
            raw = parse_full(text, self.now, self.anchors, self.default_time, self.week_start,
                             self.next_skips_today, self.holidays, date_order=self.date_order)
        if self.holidays is not None and self.holidays.error is not None:
            error, self.holidays.error = self.holidays.error, None
            raise error
        return raw

    def outcome(self, text: str) -> Outcome:
        return outcome_of(self.raw(text), self.zone)


def parse(
    text: str,
    *,
    now: datetime | None = None,
    anchors: Mapping[str, date] | None = None,
    default_time: time = time(9, 0),
    week_start: int | str = "monday",
    next_skips_today: bool = False,
    holidays: HolidaySource = None,
    strict: bool = False,
    date_order: DateOrder | None = None,
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
        tzinfo (fold 0). So arithmetic is clock arithmetic: "in 3 hours"
        said at 00:30 on the night the clocks go forward answers 03:30 on
        the clock, two real hours later. A result that falls in a gap
        (a wall-clock time skipped by a change) or a fold (one that
        happens twice) means what that wall-clock time with fold 0 means to
        its tzinfo: for `zoneinfo`, the offset in force before the change,
        so in a fold the earlier of the two moments, and in a gap 02:30
        names the same moment as 03:30.
    anchors: names the text may refer to ("2 days after launch"), each a
        date or a datetime (its date is used). Names ignore case and
        surrounding white space.
    default_time: the time of day of results that name a day but no time.
        Seconds are kept, a fraction of a second is dropped.
    week_start: the first day of the week, for "this week", "next week",
        "this friday" and weekends: 0 (Monday) .. 6 (Sunday), the numbering
        of `datetime.date.weekday` and `calendar.MONDAY`..`calendar.SUNDAY`,
        or an English weekday name, full or its first three letters, in any
        case ("sunday", "Sun").
    next_skips_today: whether "next friday" said on a Friday means a week
        from today (True) or today (False).
    holidays: days that are not business days, for phrases such as "in 3
        business days": a callable `date -> bool`, a container of dates
        (a set, or a country calendar of the `holidays` package), or None.
        It is asked only about Monday-to-Friday dates. An exception it
        raises is raised again from `parse`.
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

    Raises TypeError or ValueError for a bad argument, and ValueError when a
    result lies outside the years 1 to 9999 that `datetime` can hold (the
    message names the result as ISO text; `parse_raw` gives any year).
    """
    return Prepared(now, anchors, default_time, week_start, next_skips_today, holidays, strict,
                    date_order).outcome(text)
