from datetime import tzinfo
from typing import Any, Callable, Literal, TypeAlias

__version__: str
__all__: list[str]

class InternalError(BaseException):
    """A broken invariant inside kalendo; never caused by input."""

def parse_raw(
    text: str,
    now: str,
    anchors: dict[str, str],
    default_time: tuple[int, int, int],
    week_start: int,
    next_skips_today: bool,
    holidays: Callable[[str], bool] | None = None,
) -> str:
    """Resolve `text` and return the outcome as a compact JSON text.

    `now` is a local ISO date-time ("2024-06-05T14:20:10"), anchor values are
    ISO dates, `default_time` is (hour, minute, second), `week_start` is
    0 (Monday) .. 6 (Sunday), and `holidays` is called with an ISO date and
    answers whether that day is a holiday.
    """
    ...

def parse_full(
    text: str,
    now: str,
    anchors: dict[str, str],
    default_time: tuple[int, int, int],
    week_start: int,
    next_skips_today: bool,
    holidays: Callable[[str], bool] | None = None,
    *,
    date_order: Literal["MDY", "DMY", "YMD"] | None = None,
    day_parts: dict[str, tuple[int, int, int]] | None = None,
    zones: tuple[str, ...] | None = None,
    region: Literal["US", "GB", "CA", "AU", "IE", "NZ"] = "US",
) -> str:
    """Resolve `text` in full mode (the core grammar, then the everyday grammar).

    The arguments and the JSON text are those of `parse_raw`; `date_order`
    fixes the order of day and month in numeric dates ("3/4/2025"); `region`
    chooses whose holidays the names mean ("thanksgiving", "boxing day").
    """
    ...

def search_full(
    text: str,
    now: str,
    anchors: dict[str, str],
    default_time: tuple[int, int, int],
    week_start: int,
    next_skips_today: bool,
    holidays: Callable[[str], bool] | None = None,
    *,
    date_order: Literal["MDY", "DMY", "YMD"] | None = None,
    strict: bool = False,
    day_parts: dict[str, tuple[int, int, int]] | None = None,
    zones: tuple[str, ...] | None = None,
    region: Literal["US", "GB", "CA", "AU", "IE", "NZ"] = "US",
) -> str:
    """Find the date expressions of a running text.

    Returns a JSON array of [start, end, outcome] in text order, offsets in
    code points; each outcome is the JSON text `parse_full` (or with
    `strict`, `parse_raw`) gives for that span alone.
    """
    ...

TypedSettings: TypeAlias = tuple[
    dict[str, str],  # anchors
    tuple[int, int, int],  # default_time
    int,  # week_start
    bool,  # next_skips_today
    Callable[[str], bool] | None,  # holidays
    Literal["MDY", "DMY", "YMD"] | None,  # date_order
    dict[str, tuple[int, int, int]] | None,  # day_parts
    tuple[str, ...] | None,  # zones
    Literal["US", "GB", "CA", "AU", "IE", "NZ"],  # region
    bool,  # strict
]

def parse_typed(
    text: str,
    now: str,
    settings: TypedSettings,
    tzinfo: tzinfo | None,
    zone_tzinfo: tzinfo | None,
    /,
) -> tuple[Any, Any]:
    """Resolve `text` as `parse_full` (or with `strict`, `parse_raw`) does, into the typed API's objects.

    `settings` holds the other arguments of `parse_full` in its order, then `strict`: made once
    for many texts.

    Returns (outcome, zone): the outcome built from the classes given to
    `typed_classes`, its times carrying `tzinfo`, or `zone_tzinfo` when the
    text names a zone; with a zone named and `zone_tzinfo` None, the outcome
    is None and `zone` names the zone.
    """
    ...

def typed_classes(instant: type, range: type, ambiguous: type, no_parse: type, datetime: type, /) -> None:
    """Give `parse_typed` the classes it builds."""
    ...

def same_objects(a: tuple[object, ...], b: tuple[object, ...], /) -> bool:
    """Whether the tuples hold the very same objects, in order."""
    ...
