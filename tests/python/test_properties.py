"""Properties of parse_raw over generated texts and contexts (settings: hypothesis_profiles.py)."""

import json
import re
import zlib
from datetime import date, datetime

from hypothesis import given, strategies as st

import kalendo
from kalendo import _core

MIN_YEAR, MAX_YEAR = -262143, 262142
KINDS = {"instant": ["kind", "when", "confidence", "interpretation"],
         "range": ["kind", "start", "end", "confidence", "interpretation"],
         "ambiguous": ["kind", "candidates", "reason"], "no_parse": ["kind", "reason"]}


def month_days(year, month):
    if month == 2:
        return 29 if year % 4 == 0 and (year % 100 != 0 or year % 400 == 0) else 28
    return 30 if month in (4, 6, 9, 11) else 31


def year_text(year):
    return f"{year:04d}" if 0 <= year <= 9999 else f"{'+' if year > 0 else '-'}{abs(year):04d}"


def encodable(text):
    return not re.search("[\ud800-\udfff]", text)


# --- arguments ------------------------------------------------------------------------------------

years = st.one_of(st.sampled_from([MIN_YEAR, MIN_YEAR + 1, -1, 0, 1, 1582, 2024, 9999, 10000, MAX_YEAR - 1, MAX_YEAR]),
                  st.integers(1900, 2100), st.integers(MIN_YEAR, MAX_YEAR))


@st.composite
def dates(draw):
    year, month = draw(years), draw(st.integers(1, 12))
    return year, month, draw(st.integers(1, month_days(year, month)))


def date_text(date):
    return f"{year_text(date[0])}-{date[1]:02d}-{date[2]:02d}"


@st.composite
def moments(draw):
    """(year, month, day, hour, minute, second) and its ISO text; second 60 is a leap second."""
    fields = draw(dates()) + (draw(st.integers(0, 23)), draw(st.integers(0, 59)), draw(st.integers(0, 60)))
    fraction = draw(st.one_of(st.just(""), st.text("0123456789", min_size=1, max_size=12).map(".".__add__)))
    return fields, date_text(fields) + "T{:02d}:{:02d}:{:02d}".format(*fields[3:]) + fraction


ODD = ["\ud800", "\udfff", "\x00", "\x01", "\x1b", "\u2014", "\u0130", "\u03a3", "\u0301", "\u3000", "\x85", "\\",
       '"', "\u2028", "\U0001f600"]
odd_text = st.text(st.one_of(st.characters(), st.sampled_from(ODD)), max_size=30)
NAMES = ["launch", " Launch ", "LAUNCH", "product launch", "friday", "con", "offsite", "the big offsite", "q3",
         "next", "eom", "5pm", "2", "in", "a", "day", "\x01", "\x010\x01", "x\x011\x01", "\u03a3\u0391\u03a3",
         "\u0130", "launch-party", "", " "]

# The phrase families, built from the words the tokenizer knows, with near misses of them.
NUMBERS = ["0", "1", "2", "3", "5", "7", "12", "13", "+3", "007", "-2", "31", "366", "3650", "3651", "9999",
           "10000", "262142", "1000000", "67861683", "2147483648", "4294967296", "9223372036854775807",
           "9223372036854775808", "99999999999999999999"]
COUNTS = NUMBERS + ["a", "an", "one", "two", "twelve", "a couple of", "a few", "several", "half an", "half a"]
UNITS = ["minutes", "min", "hour", "hrs", "day", "days", "week", "wks", "month", "months", "quarter", "quarters",
         "year", "yrs", "weekend", "weekends", "business day", "business days", "working days"]
WEEKDAYS = ["monday", "tue", "Wednesday", "thurs", "friday", "fri", "saturday", "sun"]
MONTHS = ["january", "feb", "march", "may", "june", "sept", "december", "Dec"]
QUARTERS = ["q1", "q2", "Q3", "q4", "q0", "q5", "q+2"]
ORDINALS = ["first", "second", "third", "fifth", "1st", "2nd", "3rd", "4th", "5th", "0th", "31st", "101st",
            "4294967295th", "4294967296th", "+3rd", "last"]
TIMES = [""] * 8 + ["at 5pm", "5pm", "17:30", "at noon", "midnight", "10:30am", "12am", "12pm", "5 pm", "13pm",
                    "25:00", "7:5", "+5pm", "10:+5"]
MODS = ["next", "last", "this", "upcoming", "previous", "past", "current"]
YEARS = [""] * 6 + ["2024", "2026", "0", "9999", "10000", "262142", "262143", "-4"]
SPANS = ["week", "month", "quarter", "year", "weekend", "day"]
PERIODS = MONTHS + QUARTERS + [f"{m} {s}" for m in ("next", "this", "last", "the") for s in SPANS]
HEDGES = ["early", "mid", "late", "middle", "early in", "late in", "sometime", "sometime early", "around",
          "around mid", "sometime late", "somewhere"]
EDGES = ["end of", "start of", "beginning of", "the end of", "first business day of", "last business day of",
         "25th business day of", "last day of", "first day of"]
WORDS = ["the", "on", "at", "for", "of", "in", "from", "now", "today", "tomorrow", "yesterday", "ago", "after",
         "before", "following", "preceding", "sometime", "around", "early", "mid", "late", "end", "start",
         "business", "working", "eow", "eom", "eoq", "eoy", "noon", "blorp", "remind", "me", "party", "and", "é"]
PUNCT = [",", ".", "!", "?", ";", "(", ")", '"', "-", "'", "\x01", "\x011\x01", "\x0199\x01", "\u2014", "\x00"]
SEPARATORS = [" ", " ", " ", "  ", "-", ", ", "\t", "\u00a0", "\u3000", "\n", ""]


def phrase(*slots):
    return st.tuples(*(st.sampled_from(s) for s in slots)).map(" ".join)


def phrases(names):
    """Texts from the phrase families, and word soups of their building blocks."""
    anchor = names + ["offsite", "the big offsite", "launch", "christmas"]
    here = ["", "", "in", "within", "around"]
    families = st.one_of(
        phrase(here, COUNTS, UNITS, TIMES),
        phrase(COUNTS, UNITS, ["ago", "ago", "from now", "from now", "from today", ""], TIMES),
        phrase(MODS, WEEKDAYS + UNITS + PERIODS + ["business day"], TIMES),
        phrase(WEEKDAYS, ["next week", "this week", "last week", "next"], TIMES),
        phrase(["", "the"], ORDINALS, WEEKDAYS + ["business day", "working day"], ["of", "of", "after", "before"],
               PERIODS + anchor, YEARS, TIMES),
        phrase(["", "3", "2", "1", "-1", "9999", "10000000", "first", "2nd", "the"],
               UNITS + WEEKDAYS + SPANS, ["after", "before", "following", "preceding"], anchor, TIMES),
        phrase(HEDGES, PERIODS + anchor, YEARS),
        phrase(EDGES, PERIODS, YEARS, TIMES),
        phrase(["", "the"], anchor + ["now", "today", "tomorrow", "yesterday", "next day", "eom", "eoy", "eow", "eoq",
                                      "next business day", "noon"] + MONTHS + QUARTERS, YEARS, TIMES),
    )
    token = st.sampled_from(COUNTS + UNITS + WEEKDAYS + MONTHS + QUARTERS + ORDINALS + TIMES + MODS + HEDGES + EDGES
                            + WORDS + PUNCT + YEARS + anchor)
    soup = st.lists(st.tuples(token, st.sampled_from(SEPARATORS)).map("".join), min_size=1, max_size=8).map("".join)
    return st.one_of(families, families, families, soup)


def odd_texts(names):
    """Random text, and phrases repeated into very long texts."""
    long = st.tuples(phrases(names), st.integers(100, 4000)).map(lambda p: (p[0] + " ") * p[1])
    return st.one_of(odd_text, odd_text, long)


def every(k):
    return lambda day: zlib.crc32(day.encode()) % k == 0


NEVER = every(1 << 40)


@st.composite
def calls(draw, texts):
    """Several calls in one context: the same arguments but for the text (and the callable, see below)."""
    names = st.one_of(st.sampled_from(NAMES), st.sampled_from(NAMES), st.text(max_size=6), odd_text)
    anchors = dict(draw(st.lists(st.tuples(names, dates().map(date_text)), max_size=3)))
    if draw(st.booleans()):
        anchors.setdefault("launch", date_text(draw(dates())))
    some = draw(st.lists(texts([name for name in anchors if encodable(name)]), min_size=1, max_size=6))
    holidays = draw(st.sampled_from([None, NEVER, every(2), every(5)]))
    options = draw(st.tuples(st.integers(0, 23), st.integers(0, 59), st.integers(0, 59)))
    context = (draw(moments())[1], anchors, options, draw(st.integers(0, 6)), draw(st.booleans()))
    # A callable is asked once per day walked: keep walks short when there is one.
    return [(text, *context, holidays if all(int(n) < 10000 for n in re.findall("[0-9]+", text)) else None)
            for text in some]


# --- outcomes -------------------------------------------------------------------------------------

STAMP = re.compile(r"([+-]?)([0-9]{4,})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})")


def moment(text):
    """The fields of a date-time text, checked to name a real second of the supported years."""
    sign, digits, *rest = STAMP.fullmatch(text).groups()
    year = int(sign + digits)
    month, day, hour, minute, second = map(int, rest)
    assert year_text(year) == sign + digits, text
    assert MIN_YEAR <= year <= MAX_YEAR and 1 <= month <= 12 and 1 <= day <= month_days(year, month), text
    assert hour < 24 and minute < 60 and second <= 60, text
    return year, month, day, hour, minute, second


def check_reading(reading):
    assert list(reading) == KINDS[reading["kind"]]
    assert type(reading["confidence"]) is float and 0.05 <= reading["confidence"] <= 1, reading
    assert type(reading["interpretation"]) is str and reading["interpretation"]
    if reading["kind"] == "instant":
        moment(reading["when"])
    else:
        assert moment(reading["start"]) <= moment(reading["end"]), reading


def check_outcome(raw):
    outcome = json.loads(raw)
    # Compact, in field order, and written exactly as a JSON writer writes these values.
    assert raw == json.dumps(outcome, ensure_ascii=False, separators=(",", ":"))
    assert list(outcome) == KINDS[outcome["kind"]]
    if outcome["kind"] in ("instant", "range"):
        check_reading(outcome)
    elif outcome["kind"] == "ambiguous":
        assert outcome["candidates"] or outcome["reason"].startswith('unknown anchor "'), outcome
        for candidate in outcome["candidates"]:
            assert candidate["kind"] in ("instant", "range")
            check_reading(candidate)


@given(st.one_of(calls(phrases), calls(phrases), calls(odd_texts)))
def test_every_text_gives_a_well_formed_outcome(calls):
    for args in calls:
        check_call(args)


def check_call(args):
    text, now, anchors = args[:3]
    if not all(map(encodable, [text, *anchors])):
        try:
            _core.parse_raw(*args)
        except UnicodeEncodeError:
            return
        raise AssertionError("a str with lone surrogates was accepted")
    raw = _core.parse_raw(*args)
    check_outcome(raw)
    assert _core.parse_raw(*args) == raw
    # An anchor that the text does not name, and a callable that names no holiday, change nothing.
    if "\u2603" not in text.lower():
        assert _core.parse_raw(text, now, {**anchors, "\u2603": "2020-01-01"}, *args[3:]) == raw
    if args[6] is NEVER:
        assert _core.parse_raw(*args[:6]) == raw


# --- anchors ---------------------------------------------------------------------------------------

@given(st.dictionaries(st.one_of(st.sampled_from(NAMES), odd_text), dates(), min_size=1, max_size=1),
       moments(), st.tuples(st.integers(0, 23), st.integers(0, 59), st.integers(0, 59)))
def test_a_bare_anchor_name_gives_its_date(anchor, now, default_time):
    (name, date), = anchor.items()
    if not name.strip() or re.search('[,.!?;()"-]', name) or not encodable(name):
        return
    when = json.loads(_core.parse_raw(name, now[1], {name: date_text(date)}, default_time, 0, False))["when"]
    assert when == date_text(date) + "T{:02d}:{:02d}:{:02d}".format(*default_time)


# Letters with special lower-case rules (final sigma, dotted capital I, Kelvin sign, capital sharp s, title
# case, beyond the Basic Multilingual Plane), case-ignorable marks, and letters of no case. Python's
# str.lower lower-cases anchor names in the typed API, the core lower-cases the text: the name is found only
# where the two agree. Letters both cased and case-ignorable are left out: there the two differ by design.
CASES = "ZzΣσςΑΟΔΒ'.^`\u0301\U00010400\U00010428\u0130IKk\u212a\u1e9eßǄǅǆ\u13a0\u13f5\u13f8\uab70ÀÞÿŸ\u2160ª\xad’日"


@given(st.text(st.sampled_from(CASES), min_size=1, max_size=6))
def test_the_text_is_lower_cased_as_python_lower_cases_anchor_names(word):
    if word.lower().replace(".", " ").strip():
        got = kalendo.parse("the day after " + word, now=datetime(2024, 6, 5), anchors={word: date(2025, 3, 14)})
        assert getattr(got, "when", None) == datetime(2025, 3, 15, 9), (word, got)
