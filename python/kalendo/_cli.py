"""The command `kalendo` (also `python -m kalendo`)."""

from __future__ import annotations

import argparse
import io
import json
import os
import re
import shlex
import sys
from collections.abc import Callable, Container, Sequence
from datetime import date, datetime, time, tzinfo

from kalendo._api import DATE_ORDERS, DAY_PARTS, REGIONS, Ambiguous, NoParse, Prepared, anchor_key, outcome_of, week_start_number
from kalendo._core import __version__
from kalendo._search import found_item, found_raw

DESCRIPTION = """\
Resolve an English date expression, such as "next friday at 5pm", and print
the answer: the weekday and date, the time or the range of days, what was
understood, and a confidence from 0 to 1. An ambiguous text lists its
readings, most likely first."""

EPILOG = """\
With TEXT "-" or no TEXT, kalendo reads one phrase per line from standard
input and writes one JSON object per line, in the same order, all relative
to the same moment.

exit status: 0 for an answer (also an ambiguous one), 1 when there is none
(a text not understood, an anchor not given, or, in the readable form, a
year outside 1..9999), 2 for a wrong option. Reading standard input, 0 once
every line is answered.

examples:
  kalendo next friday at 5pm
  kalendo --now 2024-06-05T14:20 "in 3 business days" --holidays-file days.txt
  kalendo --anchor launch=2025-03-14 "2 days after launch"
  kalendo --date-order DMY 3/4/2025
  kalendo --region GB "mother's day"
  printf 'tomorrow\\nq3\\n' | kalendo --now 2024-06-05T14:20
  kalendo --find "let's meet next friday at 5pm, or tomorrow"

With --find, exit status 0 when at least one expression was found, else 1."""


def _clean(text: str) -> str:
    """`text` with the bytes that were not UTF-8 (kept as lone surrogates) replaced by U+FFFD."""
    try:
        return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")
    except UnicodeEncodeError:
        return text.encode("utf-8", "replace").decode("utf-8")


def _now(text: str) -> datetime:
    try:
        return datetime.fromisoformat(text[:-1] + "+00:00" if text.endswith(("Z", "z")) else text)
    except ValueError:
        raise argparse.ArgumentTypeError(
            f"expected an ISO date-time such as 2024-06-05T14:20 or 2024-06-05T14:20+02:00, not {text!r}"
        ) from None


def _iso_date(text: str) -> date:
    try:
        return date.fromisoformat(text.strip())
    except ValueError:
        raise argparse.ArgumentTypeError(f"expected an ISO date such as 2025-03-14, not {text!r}") from None


def _anchor(text: str) -> tuple[str, date]:
    name, equals, day = text.rpartition("=")
    if not equals or not anchor_key(name):
        raise argparse.ArgumentTypeError(f"expected NAME=DATE such as launch=2025-03-14, not {text!r}")
    return _clean(name), _iso_date(day)


def _default_time(text: str) -> time:
    found = re.fullmatch(r"(\d\d?):(\d\d)(?::(\d\d))?", text.strip(), re.ASCII)
    if found is not None:
        hour, minute, second = (int(field or 0) for field in found.groups())
        if hour < 24 and minute < 60 and second < 60:
            return time(hour, minute, second)
    raise argparse.ArgumentTypeError(f"expected HH:MM or HH:MM:SS such as 09:00, not {text!r}")


def _day_part(text: str) -> tuple[str, time]:
    name, equals, at = text.partition("=")
    name = name.strip().lower()
    if not equals or name not in DAY_PARTS:
        raise argparse.ArgumentTypeError(
            f"expected PART=HH:MM with PART one of {', '.join(DAY_PARTS)}, such as morning=08:00, not {text!r}")
    return name, _default_time(at)


def _zone(text: str) -> tuple[str, tzinfo]:
    from zoneinfo import ZoneInfo, ZoneInfoNotFoundError  # only when a zone is given: see _api.zone_named

    name, equals, key = text.partition("=")
    try:
        if equals and name.strip().isalpha():
            return name.strip().upper(), ZoneInfo(key.strip())
    except (ValueError, ZoneInfoNotFoundError):
        pass
    raise argparse.ArgumentTypeError(f"expected ABBR=Area/City such as IST=Asia/Kolkata, not {text!r}")


def _week_start(text: str) -> int:
    try:
        return week_start_number(int(text) if text.strip().isdigit() else text)
    except ValueError as error:
        raise argparse.ArgumentTypeError(str(error)) from None


def _holidays_file(path: str) -> frozenset[date]:
    try:
        with open(path, encoding="utf-8-sig") as lines:
            content = lines.read().splitlines()
    except (OSError, UnicodeDecodeError) as error:
        raise argparse.ArgumentTypeError(f"cannot read {path!r}: {error}") from None
    days = set()
    for number, line in enumerate(content, 1):
        line = line.strip()
        if line and not line.startswith("#"):
            try:
                days.add(date.fromisoformat(line))
            except ValueError:
                raise argparse.ArgumentTypeError(
                    f"{path}, line {number}: expected an ISO date such as 2025-12-25, not {line!r}") from None
    return frozenset(days)


def _country(code: str) -> Container[date]:
    try:
        import holidays
    except ImportError:
        raise argparse.ArgumentTypeError(
            "needs the optional holidays package: pip install holidays") from None
    country, _, subdivision = code.strip().partition("-")
    try:
        return holidays.country_holidays(country.upper(), subdiv=subdivision.upper() or None)
    except (NotImplementedError, KeyError, ValueError) as error:
        raise argparse.ArgumentTypeError(f"no holiday calendar for {code!r}: {error}") from None


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="kalendo", description=DESCRIPTION, epilog=EPILOG,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("text", nargs="*", metavar="TEXT",
                        help="the phrase, quoted or as several words")
    parser.add_argument("--now", type=_now, metavar="DATETIME",
                        help="the moment the phrase is relative to, as ISO text; with an offset "
                             "(+02:00 or Z) the answers carry it; default: the current local time")
    parser.add_argument("--anchor", type=_anchor, action="append", default=[], metavar="NAME=DATE",
                        help="a name the phrase may refer to, such as launch=2025-03-14 for "
                             "\"2 days after launch\"; repeatable")
    parser.add_argument("--default-time", type=_default_time, default=time(9, 0), metavar="HH:MM",
                        help="the time of day of answers that name a day but no time (default 09:00)")
    parser.add_argument("--week-start", type=_week_start, default=0, metavar="DAY",
                        help="the first day of the week, for \"this week\", \"next week\", \"this friday\" "
                             "and weekends: a name (sunday or sun) or 0 (Monday) .. 6 (Sunday); "
                             "default monday")
    parser.add_argument("--next-skips-today", action=argparse.BooleanOptionalAction, default=True,
                        help="whether \"next friday\" said on a Friday means a week from today (the "
                             "default) or, with --no-next-skips-today, today")
    parser.add_argument("--holidays-file", type=_holidays_file, action="append", default=[],
                        metavar="FILE",
                        help="days that are not business days: one ISO date per line (blank lines and "
                             "lines starting with # are skipped); repeatable")
    parser.add_argument("--holidays", type=_country, action="append", default=[], metavar="COUNTRY",
                        help="the public holidays of a country, such as US or DE-BY with a subdivision, "
                             "from the optional holidays package; repeatable")
    parser.add_argument("--strict", action="store_true",
                        help="read the phrase with the core grammar alone, as parse_raw does; by "
                             "default calendar dates such as \"March 14\" or \"2025-03-14\" are read too")
    parser.add_argument("--date-order", choices=DATE_ORDERS, metavar="{MDY,DMY,YMD}",
                        help="the order of day and month in numeric dates such as 3/4/2025; by default "
                             "both are tried and a text that makes a date either way is ambiguous")
    parser.add_argument("--find", action="store_true",
                        help="find the date expressions in a running text (TEXT, or all of standard "
                             "input) and print one line per expression: its offsets, the words and "
                             "the answer")
    parser.add_argument("--day-part", type=_day_part, action="append", default=[], metavar="PART=HH:MM",
                        help="the hour a part of the day names (repeatable): morning, lunch, afternoon, "
                             "evening, tonight, night or eod, e.g. morning=08:00")
    parser.add_argument("--zone", type=_zone, action="append", default=[], metavar="ABBR=Area/City",
                        help="the zone a zone abbreviation of several zones means (repeatable), "
                             "e.g. IST=Asia/Kolkata")
    parser.add_argument("--region", choices=REGIONS, default="US", metavar="{" + ",".join(REGIONS) + "}",
                        help="whose holidays the names in a phrase mean (\"thanksgiving\", \"boxing day\"); "
                             "default US")
    parser.add_argument("--json", action="store_true",
                        help="print the outcome as one JSON object (the form batch mode writes)")
    parser.add_argument("--version", action="version", version=f"kalendo {__version__}")
    return parser


def _holiday_source(days: frozenset[date], calendars: list[Container[date]]) -> Callable[[date], bool] | None:
    if not days and not calendars:
        return None
    return lambda day: day in days or any(day in calendar for calendar in calendars)


# A date-time of a JSON outcome, the value of "when", "start" or "end" (a
# quote inside a text is escaped, so none can end such a value).
_DATE_TIME = re.compile(r'("(?:when|start|end)":"[+-]?\d{4,}-\d\d-\d\dT\d\d:\d\d:\d\d)"')


def _json(prepared: Prepared, text: str, offset: str) -> str:
    """The JSON outcome of `text`; its date-times carry the offset of --now, as the readable answers do."""
    raw, zone, moment = prepared.zoned(text)
    if zone is not prepared.zone:  # the text named a zone: its times carry that zone's offset
        offset = moment.isoformat(timespec="seconds")[19:]
    return _DATE_TIME.sub(rf'\1{offset}"', raw) if offset else raw


def _batch(prepared: Prepared, offset: str) -> int:
    if sys.stdin.isatty():
        print("kalendo: reading one phrase per line (end with Ctrl-D)", file=sys.stderr)
    # utf-8-sig: a byte-order mark that an editor put first is not part of the first phrase.
    for line in io.TextIOWrapper(sys.stdin.buffer, encoding="utf-8-sig", errors="replace", newline=None):
        print(_json(prepared, line.rstrip("\n"), offset), flush=True)
    return 0


def _single(prepared: Prepared, text: str, as_json: bool, offset: str) -> int:
    if as_json:
        raw = _json(prepared, text, offset)
        print(raw)
        kind = json.loads(raw)
        return 1 if kind["kind"] == "no_parse" or kind.get("candidates") == [] else 0
    try:
        outcome = outcome_of(*prepared.zoned(text))
    except ValueError as error:
        print(f"kalendo: {error} (--json shows it)", file=sys.stderr)
        return 1
    if isinstance(outcome, NoParse) or (isinstance(outcome, Ambiguous) and not outcome.candidates):
        print(f"kalendo: {outcome}", file=sys.stderr)
        if isinstance(outcome, Ambiguous):
            missing = re.match(r'unknown anchor "(.*)" \u2014 ', outcome.reason)
            name = missing.group(1) if missing else "NAME"
            option = shlex.quote(f"{name}=YYYY-MM-DD")  # a name of several words, quoted for the shell
            print(f"kalendo: give the date with --anchor {option}", file=sys.stderr)
        return 1
    print(outcome)
    return 0


def _find(prepared: Prepared, text: str, as_json: bool, offset: str) -> int:
    items = found_raw(prepared, text)
    for start, end, item in items:
        if as_json:
            raw = _DATE_TIME.sub(rf'\1{offset}"', json.dumps(item, separators=(",", ":"))) if offset else \
                json.dumps(item, separators=(",", ":"))
            print(f'{{"start":{start},"end":{end},"text":{json.dumps(text[start:end])},"outcome":{raw}}}')
            continue
        try:
            answer = str(found_item(prepared, text, start, end, item).outcome)
        except ValueError as error:
            answer = f"{error} (--json shows it)"
        print(f"{start}-{end}\t{text[start:end]}\t{answer}")
    return 0 if items else 1


def main(argv: Sequence[str] | None = None) -> int:
    """Run the command with `argv` (default: the process's arguments); return the exit status."""
    for stream in (sys.stdout, sys.stderr):
        if isinstance(stream, io.TextIOWrapper):
            stream.reconfigure(errors="backslashreplace")
    args = _parser().parse_intermixed_args(argv)
    prepared = Prepared(
        now=args.now,
        anchors=dict(args.anchor),
        default_time=args.default_time,
        week_start=args.week_start,
        next_skips_today=args.next_skips_today,
        holidays=_holiday_source(frozenset[date]().union(*args.holidays_file), args.holidays),
        strict=args.strict,
        date_order=args.date_order,
        day_parts=dict(args.day_part),
        zones=dict(args.zone),
        region=args.region,
    )
    # The offset of --now, which every answer carries ("+02:00"), or none.
    aware = args.now is not None and args.now.tzinfo is not None
    offset = args.now.isoformat(timespec="seconds")[19:] if aware else ""
    try:
        if args.find:
            text = " ".join(args.text) if args.text not in ([], ["-"]) else io.TextIOWrapper(
                sys.stdin.buffer, encoding="utf-8-sig", errors="replace").read()
            return _find(prepared, _clean(text), args.json, offset)
        if args.text in ([], ["-"]):
            return _batch(prepared, offset)
        return _single(prepared, _clean(" ".join(args.text)), args.json, offset)
    except BrokenPipeError:
        # The reader went away (kalendo ... | head): stop quietly.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 1
    except KeyboardInterrupt:
        return 130
