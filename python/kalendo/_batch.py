"""`parse_many`: a column of texts resolved in one call, answered as an Arrow column."""

from __future__ import annotations

import json
from collections.abc import Iterable, Mapping
from datetime import date, datetime, time, timedelta, timezone, tzinfo
from typing import Any

from kalendo import _core
from kalendo._api import (
    DateOrder,
    HolidaySource,
    NoParse,
    Outcome,
    OutsideYears,
    Prepared,
    Region,
    _HolidayAdapter,
    _type_name,
    outcome_of,
)

__all__ = ["ParsedColumn", "parse_many"]

FIELDS = ("kind", "start", "end", "confidence", "interpretation", "reason", "candidates", "zone")


class ParsedColumn:
    """The answers of `parse_many`: one Arrow struct column with a row per text.

    Its fields are `kind` ("instant", "range", "ambiguous", "no_parse"),
    `start` (the instant, or the range's start) and `end` (the range's end,
    or the instant again) as `timestamp[s]`, `confidence`, `interpretation`,
    `reason`, `candidates` (their number; the first fills the other fields
    of an ambiguous row) and `zone`, the zone the text names or null. With
    an aware `now` the times are instants shown on its zone; with a naive
    one, wall times on the clock of the row's `zone`, or of `now` when it is
    null. A missing or empty text is a null row.
    Exported through the Arrow PyCapsule interface without copying:
    `pyarrow.array(column)`, `polars.from_arrow(...)` and friends take it.
    """

    __slots__ = ("_column", "_prepared")

    def __init__(self, column: object, prepared: Prepared) -> None:
        self._column = column
        self._prepared = prepared

    def __len__(self) -> int:
        return int(_core.column_size(self._column))  # type: ignore[attr-defined]

    def __repr__(self) -> str:
        return f"<kalendo.ParsedColumn of {len(self)} rows>"

    def __arrow_c_schema__(self) -> object:
        return _core.column_arrow(self._column)[0]  # type: ignore[attr-defined]

    def __arrow_c_array__(self, requested_schema: object | None = None) -> tuple[object, object]:
        # The column has one type: a requested one is the consumer's to cast to.
        schema, array = _core.column_arrow(self._column)  # type: ignore[attr-defined]
        return schema, array

    def to_pylist(self) -> list[Outcome | None]:
        """The typed outcome of every row, as `kalendo.parse` gives it; None for a null row.

        A row whose answer lies outside the years 1 to 9999 of a Python datetime (*next 10000
        years*), for which `kalendo.parse` raises ValueError, is a `NoParse` that says so, and
        the other rows keep their outcomes.
        """
        rows = _core.column_rows(self._column)  # type: ignore[attr-defined]
        return [None if raw is None else self._outcome(raw) for raw in rows]

    def _outcome(self, raw: str) -> Outcome:
        try:
            return self._typed(raw)
        except OutsideYears as error:
            return NoParse(str(error))

    def _typed(self, raw: str) -> Outcome:
        prepared = self._prepared
        if '"zone":' not in raw:  # a quote inside a text is escaped, so only the field matches
            return outcome_of(raw, prepared.zone, prepared.moment)
        # A naive `now` is taken to be on the named zone's clock, as parse takes it.
        zone = prepared.zone_named(json.loads(raw)["zone"])
        moment = prepared.moment.astimezone(zone) if prepared.moment.tzinfo else prepared.moment.replace(tzinfo=zone)
        return outcome_of(raw, zone, moment)

    def to_arrow(self) -> Any:
        """A pyarrow StructArray over the same buffers (needs pyarrow)."""
        import pyarrow

        return pyarrow.array(self)

    def to_pandas(self) -> Any:
        """A pandas DataFrame with a column per field (needs pyarrow and pandas).

        The times stay in seconds, which hold every year the column holds. A pandas before 2.0
        counts only nanoseconds: there a time outside about 1677-09-21 to 2262-04-11 is NaT, the
        row's other fields as they are.
        """
        import pandas
        import pyarrow

        table = pyarrow.Table.from_struct_array(self.to_arrow())
        if int(pandas.__version__.split(".")[0]) < 2:
            table = _within_nanoseconds(table)
        return table.to_pandas()

    def to_polars(self) -> Any:
        """A polars DataFrame with a column per field (needs polars)."""
        import polars

        return polars.Series(values=self).struct.unnest()


# The seconds either side of 1970 that a signed 64-bit count of nanoseconds holds.
_NANOSECOND_SPAN = (2**63 - 1) // 10**9


def _within_nanoseconds(table: Any) -> Any:
    """The table with each time that a count of nanoseconds cannot hold made null."""
    import pyarrow
    import pyarrow.compute as pc

    for name in ("start", "end"):
        column = table[name]
        seconds = pc.cast(column, pyarrow.int64())
        fits = pc.less_equal(pc.abs(seconds), _NANOSECOND_SPAN)
        table = table.set_column(table.schema.get_field_index(name), name,
                                 pc.if_else(fits, column, pyarrow.scalar(None, column.type)))
    return table


def _label(zone: tzinfo) -> str:
    """The Arrow zone label of instants shown on `zone`'s clock: its IANA key, an offset, or UTC."""
    key = getattr(zone, "key", None)
    if isinstance(key, str):
        return key
    if isinstance(zone, timezone):
        seconds = int(zone.utcoffset(None).total_seconds())
        if seconds != 0:
            sign, rest = ("-", -seconds) if seconds < 0 else ("+", seconds)
            return f"{sign}{rest // 3600:02d}:{rest // 60 % 60:02d}"
    return "UTC"  # any other tzinfo: the instants are exact, shown in UTC


_EPOCH = datetime(1970, 1, 1)
_DAY = 86400
_WEEK = 7 * _DAY


def _wall_offset(wall: int, zone: tzinfo) -> int:
    """Seconds east of UTC of a wall time (seconds since 1970-01-01) on `zone`, read with fold 0."""
    offset = (_EPOCH + timedelta(seconds=wall)).replace(tzinfo=zone).utcoffset()
    return 0 if offset is None else int(offset.total_seconds())


class _Clocks:
    """How an aware `now` reads on other clocks, for the rows whose text names a zone."""

    def __init__(self, prepared: Prepared) -> None:
        self.prepared = prepared

    def walls(self) -> tuple[tuple[str, str], ...]:
        """The wall clock of `now` in UTC and in every zone a text may name by name."""
        moment = self.prepared.moment
        walls = []
        for name in ("UTC", *_core.zone_names(), *self.prepared.zones):  # type: ignore[attr-defined]
            try:
                zone = self.prepared.zone_named(name)
            except (KeyError, ValueError):  # no rules for it here: parse would fail on it too
                continue
            walls.append((name, moment.astimezone(zone).replace(tzinfo=None).isoformat(timespec="microseconds")))
        return tuple(walls)

    def steps(self, name: str | None, weeks: list[int]) -> list[tuple[int, int]]:
        """(wall time, offset from UTC from then on) pairs that hold on the given weeks of wall time.

        `name` is a zone a row names, or None for `now`'s. A wall time that a clock change skips
        or repeats reads as its tzinfo reads it with fold 0, as in `kalendo.parse`.
        """
        zone = self.prepared.zone if name is None else self.prepared.zone_named(name)
        assert zone is not None
        if isinstance(zone, timezone):
            return [(0, int(zone.utcoffset(None).total_seconds()))]
        steps: list[tuple[int, int]] = []
        known: dict[int, int] = {}

        def offset(wall: int) -> int:
            if wall not in known:
                known[wall] = _wall_offset(wall, zone)
            return known[wall]

        for week in weeks:
            low, high = week * _WEEK, (week + 1) * _WEEK
            try:
                first = offset(low)
                if not steps or steps[-1][1] != first:
                    steps.append((low, first))
                last = offset(high)
            except OverflowError:  # beyond the years of datetime: the nearest offset known holds
                continue
            if first == last:  # one change a week at most
                continue
            while high - low > 1:  # read with fold 0, the offset is a step in the wall time
                middle = (low + high) // 2
                if _wall_offset(middle, zone) == first:
                    low = middle
                else:
                    high = middle
            steps.append((high, last))
        return steps


def _is_pandas_series(texts: object) -> bool:
    kind = type(texts)
    return kind.__module__.startswith("pandas") and kind.__name__ == "Series"


def _texts_arg(texts: object) -> object:
    """The texts as `_core.parse_many` reads them: an Arrow stream or array capsule, or a list."""
    if isinstance(texts, (str, bytes)):
        raise TypeError(f"texts must be an iterable of str, not a single {_type_name(texts)}")
    kind = type(texts)
    if hasattr(kind, "__arrow_c_stream__"):
        return texts.__arrow_c_stream__()  # type: ignore[attr-defined]
    if hasattr(kind, "__arrow_c_array__"):
        return texts.__arrow_c_array__()  # type: ignore[attr-defined]
    if _is_pandas_series(texts):
        # pd.NA and NaN alike: missing values become None.
        return texts.astype(object).where(texts.notna(), None).tolist()  # type: ignore[attr-defined]
    if kind is list:
        return texts  # read as it is: the call holds each str it reads, so a change to the list meanwhile does not matter
    if not isinstance(texts, Iterable):
        raise TypeError(f"texts must be an iterable of str, not {_type_name(texts)}")
    return list(texts)


def parse_many(
    texts: Iterable[str | None] | Any,
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
    threads: int | None = None,
) -> ParsedColumn:
    """Resolve every text of a column, as `kalendo.parse` would one by one.

    texts: an iterable of str or None, a pandas or polars Series, or any
        Arrow string array or stream (the Arrow PyCapsule interface). None,
        NaN and "" give null rows.
    threads: how many threads resolve the rows; None for one per core. The
        interpreter lock is released meanwhile, unless `holidays` is a
        callable (or a mapping asked with `in`): Python must answer it, so
        the rows are then resolved on this thread, under the lock. A
        collection of days is read once.
    The other arguments are those of `kalendo.parse`; `now` is read once for
    the whole column. A text the column repeats is resolved once (a long
    column whose texts hardly repeat resolves its rows one by one, with the
    same answers).
    """
    prepared = Prepared(now, anchors, default_time, week_start, next_skips_today, holidays, strict, date_order,
                        day_parts, zones, region)
    if threads is not None and (isinstance(threads, bool) or not isinstance(threads, int)):
        raise TypeError(f"threads must be an int or None, not {_type_name(threads)}")
    if threads is not None and not 1 <= threads <= 1024:
        raise ValueError(f"threads must be 1 .. 1024 or None, not {threads}")
    callable_holidays = prepared.holidays if isinstance(prepared.holidays, _HolidayAdapter) else None
    days = getattr(prepared.holidays, "__self__", None) if callable_holidays is None else None
    clocks = None if prepared.zone is None else _Clocks(prepared)
    column = _core.parse_many(  # type: ignore[attr-defined]
        _texts_arg(texts), prepared.now, prepared.anchors, prepared.default_time, prepared.week_start,
        prepared.next_skips_today, callable_holidays, prepared.date_order, prepared.strict, threads or 0,
        None if days is None else tuple(days), None if prepared.zone is None else _label(prepared.zone),
        None if clocks is None else clocks.steps, prepared.day_parts, tuple(prepared.zones) or None,
        prepared.region, None if clocks is None else clocks.walls())
    if callable_holidays is not None and callable_holidays.error is not None:
        error, callable_holidays.error = callable_holidays.error, None
        raise error
    return ParsedColumn(column, prepared)
