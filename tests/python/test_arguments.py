import collections
import json

import pytest

from kalendo import _core

PARAMS = ("text", "now", "anchors", "default_time", "week_start", "next_skips_today")
GOOD = ("blorp", "2024-06-05T10:15:30", {}, (9, 0, 0), 0, False)
OUT_OF_RANGE = "out of range integral type conversion attempted"
C_LONG_OVERFLOW = "Python int too large to convert to C long"


def reference(text, now, anchors, default_time, week_start, next_skips_today, holidays=None):
    """A plain function with the signature of parse_raw: its call errors are the wanted ones."""


reference.__name__ = reference.__qualname__ = "parse_raw"


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


# --- binding -----------------------------------------------------------------

BAD_CALLS = [
    pytest.param((), {}, "parse_raw() missing 6 required positional arguments: 'text', 'now', "
                 "'anchors', 'default_time', 'week_start', and 'next_skips_today'", id="no-args"),
    *[pytest.param(GOOD[:n], {}, None, id=f"{n}-positional") for n in range(1, 6)],
    pytest.param(GOOD[:3], {}, "parse_raw() missing 3 required positional arguments: "
                 "'default_time', 'week_start', and 'next_skips_today'", id="3-positional-text"),
    pytest.param(GOOD[:4], {}, "parse_raw() missing 2 required positional arguments: "
                 "'week_start' and 'next_skips_today'", id="4-positional-text"),
    pytest.param((), dict(zip(PARAMS[1:], GOOD[1:])),
                 "parse_raw() missing 1 required positional argument: 'text'", id="keywords-without-text"),
    pytest.param(GOOD[:2], {"next_skips_today": False}, "parse_raw() missing 3 required positional "
                 "arguments: 'anchors', 'default_time', and 'week_start'", id="gap-in-the-middle"),
    pytest.param(GOOD + (None, 1), {}, "parse_raw() takes from 6 to 7 positional arguments but 8 were given",
                 id="8-positional"),
    pytest.param(GOOD, {"foo": 1}, "parse_raw() got an unexpected keyword argument 'foo'", id="unknown-keyword"),
    pytest.param(GOOD, {"text": "x"}, "parse_raw() got multiple values for argument 'text'", id="duplicate-text"),
    pytest.param(GOOD + (None,), {"holidays": None}, None, id="duplicate-holidays"),
    pytest.param(GOOD + (None, 1), {"foo": 1}, None, id="unknown-keyword-before-too-many"),
    pytest.param(GOOD, {"foo": 1, "bar": 2}, None, id="two-unknown-first-reported"),
    pytest.param(GOOD, {"bar": 2, "foo": 1}, None, id="two-unknown-other-order"),
    pytest.param(GOOD, {"week_start": 1, "foo": 1}, None, id="duplicate-before-unknown"),
    pytest.param((), {"foo": 1}, None, id="unknown-before-missing"),
]


@pytest.mark.parametrize("args, kwargs, literal", BAD_CALLS)
def test_call_errors_match_a_plain_function(args, kwargs, literal):
    with pytest.raises(TypeError) as wanted:
        reference(*args, **kwargs)
    with pytest.raises(TypeError) as got:
        _core.parse_raw(*args, **kwargs)
    assert type(got.value) is TypeError
    assert str(got.value) == str(wanted.value)
    if literal is not None:
        assert str(got.value) == literal


def test_keyword_and_positional_binding_agree():
    by_position = _core.parse_raw(*GOOD)
    assert _core.parse_raw(*GOOD, None) == by_position
    assert _core.parse_raw(**dict(reversed(list(zip(PARAMS, GOOD)))), holidays=None) == by_position
    assert _core.parse_raw(*GOOD[:3], next_skips_today=False, week_start=0, default_time=(9, 0, 0)) == by_position


# --- conversions -------------------------------------------------------------

TYPE_ERRORS = [
    ("text", 1), ("text", b"blorp"), ("text", None),
    ("now", 20240605), ("now", b"2024-06-05T10:00:00"),
    ("anchors", None), ("anchors", [("k", "2024-01-01")]), ("anchors", {1: "2024-01-01"}),
    ("anchors", {"k": 1}), ("anchors", {"k": b"2024-01-01"}),
    ("default_time", [9, 0, 0]), ("default_time", None), ("default_time", (9.0, 0, 0)),
    ("default_time", (9, "0", 0)), ("default_time", (9, 0, None)),
    ("week_start", 1.0), ("week_start", "1"), ("week_start", None),
    ("next_skips_today", 1), ("next_skips_today", 0), ("next_skips_today", None), ("next_skips_today", "yes"),
]


@pytest.mark.parametrize("name, value", TYPE_ERRORS, ids=lambda v: repr(v)[:20])
def test_wrong_type_names_the_argument(call, name, value):
    with pytest.raises(TypeError) as got:
        call(**{name: value})
    assert type(got.value) is TypeError
    assert str(got.value).startswith(f"argument '{name}': ")


@pytest.mark.parametrize("value, length", [((9, 0), 2), ((9, 0, 0, 0), 4), ((), 0)], ids=str)
def test_default_time_tuple_length(call, value, length):
    with pytest.raises(TypeError) as got:
        call(default_time=value)
    assert str(got.value) == (
        f"argument 'default_time': expected tuple of length 3, but got tuple of length {length}")


@pytest.mark.parametrize("name, value, message", [
    ("default_time", (-1, 0, 0), OUT_OF_RANGE),
    ("default_time", (0, 0, 4294967296), OUT_OF_RANGE),
    ("default_time", (0, -2**40, 0), OUT_OF_RANGE),
    ("default_time", (2**70, 0, 0), C_LONG_OVERFLOW),
    ("week_start", 256, OUT_OF_RANGE),
    ("week_start", -1, OUT_OF_RANGE),
    ("week_start", Index(1000), OUT_OF_RANGE),
    ("week_start", 2**70, C_LONG_OVERFLOW),
], ids=["hour-1", "second-2**32", "minute-2**40", "hour-2**70", "256", "-1", "index-1000", "2**70"])
def test_integer_out_of_field(call, name, value, message):
    with pytest.raises(OverflowError) as got:
        call(**{name: value})
    assert type(got.value) is OverflowError
    assert str(got.value) == message


Point = collections.namedtuple("Point", "hour minute second")


class Text(str):
    pass


class Anchors(dict):
    pass


@pytest.mark.parametrize("overrides", [
    {"week_start": True}, {"week_start": False}, {"week_start": Index(6)},
    {"default_time": (True, Index(59), 0)}, {"default_time": Point(23, 59, 59)},
    {"text": Text("blorp"), "now": Text("2024-06-05T10:15:30")},
    {"anchors": Anchors({Text(" Payday "): Text("2024-06-28")})},
    {"anchors": collections.OrderedDict(launch="2024-03-01", Launch="+10000-01-01")},
    {"next_skips_today": True}, {"holidays": 42}, {"holidays": lambda day: True},
], ids=lambda o: ",".join(f"{k}={type(v).__name__}" for k, v in o.items()))
def test_accepted_values(call, overrides):
    result = call(**overrides)
    assert type(result) is str
    assert json.loads(result)["kind"] == "no_parse"


@pytest.mark.parametrize("value", [True, False], ids=str)
def test_numpy_bool_accepted_for_next_skips_today(call, value):
    numpy = pytest.importorskip("numpy")
    assert call(next_skips_today=numpy.bool_(value)) == call(next_skips_today=value)


@pytest.mark.parametrize("overrides", [
    {"text": "blorp\ud800"}, {"now": "2024-06-05T10:00:00\udfff"},
    {"anchors": {"pay\ud800day": "2024-06-28"}}, {"anchors": {"payday": "2024-06-28\ud800"}},
], ids=["text", "now", "anchor-key", "anchor-value"])
def test_lone_surrogates_fail_to_encode(call, overrides):
    with pytest.raises(UnicodeEncodeError):
        call(**overrides)


# --- checks ------------------------------------------------------------------

INVALID_CHARS = "input contains invalid characters"
PREMATURE = "premature end of input"
TRAILING = "trailing input"
RANGE = "input is out of range"

NOW_CASES = [
    ("2024-05-01 10:00:00", INVALID_CHARS),
    ("2024-05-01t10:00:00", INVALID_CHARS),
    ("2024/05/01T10:00:00", INVALID_CHARS),
    ("12024-01-01T00:00:00", INVALID_CHARS),
    ("2024-06-05T100:00:00", INVALID_CHARS),
    ("+ 2024-06-05T10:00:00", INVALID_CHARS),
    ("2024-06-05T10:00:00.\u00a0", INVALID_CHARS),
    ("2024-05-01T10:00", PREMATURE),
    ("2024-06-05T10:00:00.", PREMATURE),
    ("", PREMATURE),
    ("2024-02-30T10:00", PREMATURE),
    ("2024-05-01T10:00:00Z", TRAILING),
    ("2024-06-05T10:00:00+02:00", TRAILING),
    ("2024-06-05T10:00:00 .5", TRAILING),
    ("+300000-01-01T10:00:00Z", TRAILING),
    ("2024-02-30T10:00:00", RANGE),
    ("2023-02-29T00:00:00", RANGE),
    ("2024-13-01T10:00", RANGE),
    ("2024-06-00T10:00:00", RANGE),
    ("2024-06-05T24:00:00", RANGE),
    ("2024-06-05T10:60:00", RANGE),
    ("2024-06-05T10:00:61", RANGE),
    ("+262143-01-01T00:00:00", RANGE),
    ("-262144-12-31T23:59:59", RANGE),
    (" 2024-5-1T10:00:00.123456789999 ", None),
    ("2024-02-29T00:00:00", None),
    ("2024-06-05T10:00:60", None),
    ("+262142-12-31T23:59:59", None),
    ("-262143-01-01T00:00:00", None),
    ("0-01-01T00:00:00", None),
    (" 2024 -\t06 - 05\nT 10 : 00 : 00 ", None),
    (" +2024-06-05T1:2:3", None),
    ("2024-06-05T10:00:00\u3000", None),
]


@pytest.mark.parametrize("now, reason", NOW_CASES, ids=[repr(c[0]) for c in NOW_CASES])
def test_now_grammar(call, now, reason):
    if reason is None:
        assert json.loads(call(now=now))["kind"] == "no_parse"
    else:
        with pytest.raises(ValueError) as got:
            call(now=now)
        assert str(got.value) == f"invalid `now` datetime: {reason}"


ANCHOR_CASES = [
    ("Payday", "2024-13-01", '"Payday": ' + RANGE),
    (" Payday  ", "2023-02-29", '" Payday  ": ' + RANGE),
    ("launch", "2024-05-25T00:00:00", '"launch": ' + TRAILING),
    ("kickoff", "2024-05", '"kickoff": ' + PREMATURE),
    ("release", "2024/05/25", '"release": ' + INVALID_CHARS),
    ("", "someday", '"": ' + INVALID_CHARS),
    ('say "hi"', "x", r'"say \"hi\"": ' + INVALID_CHARS),
    ("back\\slash", "x", r'"back\\slash": ' + INVALID_CHARS),
    ("tab\there", "x", r'"tab\there": ' + INVALID_CHARS),
    ("line\nfeed\r", "x", r'"line\nfeed\r": ' + INVALID_CHARS),
    ("nul\0", "x", r'"nul\0": ' + INVALID_CHARS),
    ("ctl\x01", "x", r'"ctl\u{1}": ' + INVALID_CHARS),
    ("cafe\u0301", "x", r'"cafe\u{301}": ' + INVALID_CHARS),
    ("boss's day", "x", '"boss\'s day": ' + INVALID_CHARS),
    ("ÉTÉ", "x", '"ÉTÉ": ' + INVALID_CHARS),
]


@pytest.mark.parametrize("key, value, message", ANCHOR_CASES, ids=[ascii(c[0]) for c in ANCHOR_CASES])
def test_bad_anchor_date(call, key, value, message):
    with pytest.raises(ValueError) as got:
        call(anchors={"fine": "2024-01-01", key: value})
    assert str(got.value) == "invalid anchor date for " + message


@pytest.mark.parametrize("value", [" 2024 - 5 - 25 ", "2024-02-29", "+10000-01-01", "-0001-12-31\n"])
def test_good_anchor_dates(call, value):
    assert json.loads(call(anchors={"launch": value}))["kind"] == "no_parse"


@pytest.mark.parametrize("value", [(24, 0, 0), (0, 60, 0), (0, 0, 60), (4294967295, 0, 0)], ids=str)
def test_default_time_out_of_day(call, value):
    with pytest.raises(ValueError) as got:
        call(default_time=value)
    assert str(got.value) == "invalid default_time"


@pytest.mark.parametrize("value", [7, 100, 255])
def test_week_start_above_sunday(call, value):
    with pytest.raises(ValueError) as got:
        call(week_start=value)
    assert str(got.value) == "week_start must be 0 (Mon) .. 6 (Sun)"


# --- order of failures -------------------------------------------------------

BAD_NOW = "2024-05-01 10:00:00"
ORDER = [
    ("text-type-before-week-start", dict(text=1, week_start=256), TypeError, "argument 'text': "),
    ("text-encoding-before-now-type", dict(text="\ud800", now=1), UnicodeEncodeError, ""),
    ("week-start-overflow-before-now", dict(week_start=256, now=BAD_NOW), OverflowError, OUT_OF_RANGE),
    ("flag-type-before-now", dict(next_skips_today=1, now=BAD_NOW), TypeError, "argument 'next_skips_today': "),
    ("anchor-type-before-now", dict(anchors={"k": 1}, now=BAD_NOW), TypeError, "argument 'anchors': "),
    ("anchor-key-before-value", dict(anchors={"\ud800": 1}), UnicodeEncodeError, ""),
    ("anchor-entries-in-order", dict(anchors={"k": 1, "\ud800": "x"}), TypeError, "argument 'anchors': "),
    ("tuple-length-before-now", dict(default_time=(9, 0), now=BAD_NOW), TypeError, "argument 'default_time': "),
    ("tuple-length-before-anchor", dict(default_time=(9, 0), anchors={"k": "x"}), TypeError, "argument 'default"),
    ("flag-type-before-week-start-check", dict(next_skips_today=1, week_start=7), TypeError, "argument 'next"),
    ("now-before-anchors", dict(now=BAD_NOW, anchors={"k": "x"}), ValueError, "invalid `now` datetime: "),
    ("anchors-before-default-time", dict(anchors={"k": "x"}, default_time=(24, 0, 0)), ValueError,
     'invalid anchor date for "k": '),
    ("default-time-before-week-start", dict(default_time=(24, 0, 0), week_start=7), ValueError,
     "invalid default_time"),
]


@pytest.mark.parametrize("overrides, error, prefix", [c[1:] for c in ORDER], ids=[c[0] for c in ORDER])
def test_first_fault_wins(call, overrides, error, prefix):
    with pytest.raises(error) as got:
        call(**overrides)
    assert type(got.value) is error
    assert str(got.value).startswith(prefix)
