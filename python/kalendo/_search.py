"""Finding dates in running text: `search` and its items, `Found`."""

from __future__ import annotations

import json
from collections.abc import Mapping
from dataclasses import dataclass
from datetime import date, datetime, time, tzinfo
from typing import Any

from kalendo._api import (
    Ambiguous,
    DateOrder,
    HolidaySource,
    Region,
    NoParse,
    Outcome,
    Prepared,
    _check_utf8,
    _HolidayAdapter,
    _resolution,
)
from kalendo._core import search_full


@dataclass(frozen=True)
class Found:
    """One date expression found in a text: `text[start:end]`, and what it means."""

    start: int
    end: int
    text: str
    outcome: Outcome

    def __str__(self) -> str:
        return f"{self.start}-{self.end} {self.text!r}: {self.outcome}"


def found_raw(prepared: Prepared, text: str) -> list[tuple[int, int, dict[str, Any]]]:
    """The items of `text` under the checked arguments of `prepared`: offsets and JSON outcomes."""
    if not isinstance(text, str):
        raise TypeError(f"text must be a str, not {type(text).__name__}")
    _check_utf8("text", text)
    raw = search_full(text, prepared.now, prepared.anchors, prepared.default_time, prepared.week_start,
                      prepared.next_skips_today, prepared.holidays, date_order=prepared.date_order,
                      strict=prepared.strict, day_parts=prepared.day_parts,
                      zones=tuple(prepared.zones) or None, region=prepared.region)
    if isinstance(prepared.holidays, _HolidayAdapter) and prepared.holidays.error is not None:
        error, prepared.holidays.error = prepared.holidays.error, None
        raise error
    return [(start, end, item) for start, end, item in json.loads(raw)]


def found_item(prepared: Prepared, text: str, start: int, end: int, item: dict[str, Any]) -> Found:
    """The typed item of one JSON outcome; ValueError for a year that `datetime` cannot hold."""
    span = text[start:end]
    if "zone" in item:  # read on the named zone's clock, as parse reads the span alone
        return Found(start, end, span, prepared.outcome(span))
    return Found(start, end, span, _outcome(item, prepared))


def _outcome(item: dict[str, Any], prepared: Prepared) -> Outcome:
    if item["kind"] == "ambiguous":
        return Ambiguous(tuple(_resolution(c, prepared.zone, prepared.moment) for c in item["candidates"]),
                         item["reason"])
    if item["kind"] == "no_parse":  # never found, but typed all the same
        return NoParse(item["reason"])
    return _resolution(item, prepared.zone, prepared.moment)


def search(
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
) -> list[Found]:
    """Find the date expressions in a running text, such as "Let's meet next friday at 5pm".

    Returns one `Found` per expression, in text order and never overlapping:
    `start` and `end` index `text` (so `text[start:end]` is the expression),
    and `outcome` is what `parse` answers for that expression alone with the
    same arguments. Each expression is the longest run of words that
    resolves; words that are dates only in context count only in context
    ("may" needs a day, a year or a word such as "in"; "sun" and "wed" a
    time or a date; a count of units such as "two weeks" needs "in", "ago"
    or the like). Two expressions joined by "and" or a comma are two items.

    The arguments are those of `parse`; `strict=True` reads every
    expression with the core grammar alone.
    """
    prepared = Prepared(now, anchors, default_time, week_start, next_skips_today, holidays, strict,
                        date_order, day_parts, zones, region)
    return [found_item(prepared, text, *raw) for raw in found_raw(prepared, text)]
