"""How parse_raw binds, converts and checks its arguments."""

import collections
import json

import pytest

from kalendo import _core

PARAMS = ("text", "now", "anchors", "default_time", "week_start", "next_skips_today")
GOOD = ("blorp", "2024-06-05T10:15:30", {}, (9, 0, 0), 0, False)


def reference(text, now, anchors, default_time, week_start, next_skips_today, holidays=None):
    """A plain function with the signature of parse_raw: its call errors are the wanted ones."""


reference.__name__ = reference.__qualname__ = "parse_raw"

# (positional, keyword) calls that a plain def refuses: parse_raw must refuse them with the same words
BAD_CALLS = [((), {}), *[(GOOD[:n], {}) for n in range(1, 6)], ((), dict(zip(PARAMS[1:], GOOD[1:]))),
             (GOOD[:2], {"next_skips_today": False}), (GOOD + (None, 1), {}), (GOOD, {"foo": 1}), (GOOD, {"text": "x"}),
             (GOOD + (None,), {"holidays": None}), (GOOD + (None, 1), {"foo": 1}), (GOOD, {"foo": 1, "bar": 2}),
             (GOOD, {"bar": 2, "foo": 1}), (GOOD, {"week_start": 1, "foo": 1}), ((), {"foo": 1})]


@pytest.mark.parametrize("args, kwargs", BAD_CALLS, ids=lambda v: repr(v)[:40])
def test_call_errors_match_a_plain_function(args, kwargs):
    with pytest.raises(TypeError) as wanted:
        reference(*args, **kwargs)
    with pytest.raises(TypeError) as got:
        _core.parse_raw(*args, **kwargs)
    assert type(got.value) is TypeError and str(got.value) == str(wanted.value)


def test_keyword_and_positional_binding_agree():
    by_position = _core.parse_raw(*GOOD)
    assert _core.parse_raw(*GOOD, None) == by_position
    assert _core.parse_raw(**dict(reversed(list(zip(PARAMS, GOOD)))), holidays=None) == by_position
    assert _core.parse_raw(*GOOD[:3], next_skips_today=False, week_start=0, default_time=(9, 0, 0)) == by_position


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


def nameless(name):
    """An instance of a class whose metaclass gives it this __name__ (a property; a non-str, or raising)."""
    return type("Meta", (type,), {"__name__": property(lambda cls: name() if callable(name) else name)})("C", (), {})()


def cannot(name, kind, target):
    return f"argument '{name}': '{kind}' object cannot be {target}"


RANGE, OVERFLOW = "out of range integral type conversion attempted", "Python int too large to convert to C long"
BAD_NOW, NOW_IS, ANCHOR_IS = "2024-05-01 10:00:00", "invalid `now` datetime: ", "invalid anchor date for "
CHARS, PREMATURE, TRAILING, OUT = ("input contains invalid characters", "premature end of input", "trailing input",
                                   "input is out of range")
WEEK_START = "week_start must be 0 (Mon) .. 6 (Sun)"

# (arguments replaced, the error, its exact message); when two arguments are wrong, the first fault wins
ERRORS = [
    ({"text": 1}, TypeError, cannot("text", "int", "converted to 'str'")),
    ({"text": b"x"}, TypeError, cannot("text", "bytes", "converted to 'str'")),
    # a type whose name cannot be read is named "object"
    ({"text": nameless(5)}, TypeError, cannot("text", "object", "converted to 'str'")),
    ({"now": nameless(lambda: 1 / 0)}, TypeError, cannot("now", "object", "converted to 'str'")),
    ({"now": None}, TypeError, cannot("now", "NoneType", "converted to 'str'")),
    ({"anchors": [("k", "2024-01-01")]}, TypeError, cannot("anchors", "list", "converted to 'dict'")),
    ({"anchors": {1: "2024-01-01"}}, TypeError, cannot("anchors", "int", "converted to 'str'")),
    ({"anchors": {"k": b"2024-01-01"}}, TypeError, cannot("anchors", "bytes", "converted to 'str'")),
    ({"default_time": [9, 0, 0]}, TypeError, cannot("default_time", "list", "converted to 'tuple'")),
    ({"default_time": (9.0, 0, 0)}, TypeError, cannot("default_time", "float", "interpreted as an integer")),
    ({"default_time": (9, 0, None)}, TypeError, cannot("default_time", "NoneType", "interpreted as an integer")),
    ({"week_start": "1"}, TypeError, cannot("week_start", "str", "interpreted as an integer")),
    ({"next_skips_today": 1}, TypeError, cannot("next_skips_today", "int", "converted to 'bool'")),
    ({"next_skips_today": None}, TypeError, cannot("next_skips_today", "NoneType", "converted to 'bool'")),
    *[({"default_time": t}, TypeError, "argument 'default_time': expected tuple of length 3, but got tuple of "
       f"length {len(t)}") for t in ((9, 0), (9, 0, 0, 0), ())],
    ({"default_time": (-1, 0, 0)}, OverflowError, RANGE),
    ({"default_time": (0, 0, 4294967296)}, OverflowError, RANGE),
    ({"default_time": (0, -2**40, 0)}, OverflowError, RANGE),
    ({"default_time": (2**70, 0, 0)}, OverflowError, OVERFLOW),
    ({"week_start": 256}, OverflowError, RANGE),
    ({"week_start": -1}, OverflowError, RANGE),
    ({"week_start": Index(1000)}, OverflowError, RANGE),
    ({"week_start": 2**70}, OverflowError, OVERFLOW),
    *[({"default_time": t}, ValueError, "invalid default_time") for t in ((24, 0, 0), (0, 60, 0), (0, 0, 60),
                                                                          (4294967295, 0, 0))],
    *[({"week_start": n}, ValueError, WEEK_START) for n in (7, 255)],
    # the grammar of now
    *[({"now": now}, ValueError, NOW_IS + why) for now, why in [
        (BAD_NOW, CHARS), ("2024-05-01t10:00:00", CHARS), ("12024-01-01T00:00:00", CHARS), ("x", CHARS),
        ("2024-06-05T100:00:00", CHARS), ("+ 2024-06-05T10:00:00", CHARS), ("2024-06-05T10:00:00.\u00a0", CHARS),
        ("2024/05/01T10:00:00", CHARS), ("2024-05-01T10:00:00.abc", CHARS), ("2024-05-01T10:00", PREMATURE),
        ("2024-06-05T10:00:00.", PREMATURE), ("", PREMATURE), ("+", PREMATURE), ("2024-06-05", PREMATURE),
        ("2024-06-05T", PREMATURE), ("2024-06-05T10:00:", PREMATURE), ("2024-02-30T10:00", PREMATURE),
        ("2024-05-01T10:00:00Z", TRAILING), ("2024-06-05T10:00:00+02:00", TRAILING), ("2024-06-05T10:00:00 .5", TRAILING),
        ("+300000-01-01T10:00:00Z", TRAILING), ("2024-06-05T10:00:00:00", TRAILING), ("2023-02-29T00:00:00", OUT),
        ("2024-13-01T10:00", OUT), ("2024-06-00T10:00:00", OUT), ("2024-00-10T10:00:00", OUT),
        ("2024-06-31T10:00:00", OUT), ("2024-06-05T24:00:00", OUT), ("2024-06-05T10:60:00", OUT),
        ("2024-06-05T10:00:61", OUT), ("+262143-01-01T00:00:00", OUT), ("-262144-12-31T23:59:59", OUT),
        ("+99999999999999999999999-01-01T00:00:00", OUT),
        ("2024-x-05T10:00:00", CHARS), ("2024-06-xT10:00:00", CHARS), ("2024-06-32T10:00:00", OUT)]],
    # anchor dates; the key is quoted with escapes
    *[({"anchors": {"fine": "2024-01-01", key: value}}, ValueError, ANCHOR_IS + why) for key, value, why in [
        ("Payday", "2024-13-01", '"Payday": ' + OUT), (" Payday  ", "2023-02-29", '" Payday  ": ' + OUT),
        ("launch", "2024-05-25T00:00:00", '"launch": ' + TRAILING), ("kickoff", "2024-05", '"kickoff": ' + PREMATURE),
        ("", "someday", '"": ' + CHARS), ('say "hi"', "x", r'"say \"hi\"": ' + CHARS),
        ("back\\slash", "x", r'"back\\slash": ' + CHARS), ("line\nfeed\r\t", "x", r'"line\nfeed\r\t": ' + CHARS),
        ("nul\0", "x", r'"nul\0": ' + CHARS), ("ctl\x01", "x", r'"ctl\u{1}": ' + CHARS),
        ("cafe\u0301", "x", r'"cafe\u{301}": ' + CHARS), ("ÉTÉ's", "x", '"ÉTÉ\'s": ' + CHARS)]],
    # the first fault wins: conversions in argument order, then the checks in argument order
    ({"text": 1, "week_start": 256}, TypeError, cannot("text", "int", "converted to 'str'")),
    ({"text": "\ud800", "now": 1}, UnicodeEncodeError, None),
    ({"week_start": 256, "now": BAD_NOW}, OverflowError, RANGE),
    ({"next_skips_today": 1, "now": BAD_NOW}, TypeError, cannot("next_skips_today", "int", "converted to 'bool'")),
    ({"anchors": {"k": 1}, "now": BAD_NOW}, TypeError, cannot("anchors", "int", "converted to 'str'")),
    ({"anchors": {"\ud800": 1}}, UnicodeEncodeError, None),
    ({"anchors": {"k": 1, "\ud800": "x"}}, TypeError, cannot("anchors", "int", "converted to 'str'")),
    ({"default_time": (9, 0), "anchors": {"k": "x"}}, TypeError,
     "argument 'default_time': expected tuple of length 3, but got tuple of length 2"),
    ({"next_skips_today": 1, "week_start": 7}, TypeError, cannot("next_skips_today", "int", "converted to 'bool'")),
    ({"now": BAD_NOW, "anchors": {"k": "x"}}, ValueError, NOW_IS + CHARS),
    ({"anchors": {"k": "x"}, "default_time": (24, 0, 0)}, ValueError, ANCHOR_IS + '"k": ' + CHARS),
    ({"default_time": (24, 0, 0), "week_start": 7}, ValueError, "invalid default_time"),
    # lone surrogates cannot be encoded
    *[(o, UnicodeEncodeError, None) for o in ({"text": "blorp\ud800"}, {"now": "2024-06-05T10:00:00\udfff"},
                                              {"anchors": {"payday": "2024-06-28\ud800"}})],
]


@pytest.mark.parametrize("overrides, error, message", ERRORS, ids=lambda v: ascii(v)[:40])
def test_bad_arguments(call, overrides, error, message):
    with pytest.raises(error) as got:
        call(**overrides)
    assert type(got.value) is error
    assert message is None or str(got.value) == message


Point = collections.namedtuple("Point", "hour minute second")


class Text(str):
    pass


ACCEPTED = [
    {"week_start": True}, {"week_start": Index(6)}, {"default_time": (True, Index(59), 0)},
    {"default_time": Point(23, 59, 59)}, {"text": Text("blorp"), "now": Text("2024-06-05T10:15:30")},
    {"anchors": type("Anchors", (dict,), {})({Text(" Payday "): Text("2024-06-28")})},
    {"anchors": collections.OrderedDict(launch="2024-03-01", Launch="+10000-01-01")},
    {"holidays": 42}, {"holidays": lambda day: True},
    *[{"now": now} for now in (" 2024-5-1T10:00:00.123456789999 ", "2024-06-05T10:00:60", "+262142-12-31T23:59:59",
                               "-262143-01-01T00:00:00", "0-01-01T00:00:00", " 2024 -\t06 - 05\nT 10 : 00 : 00 ",
                               "2024-06-05T10:00:00\u3000")],
    *[{"anchors": {"launch": value}} for value in (" 2024 - 5 - 25 ", "2024-02-29", "-0001-12-31\n")],
]


@pytest.mark.parametrize("overrides", ACCEPTED, ids=lambda o: ascii(o)[:40])
def test_accepted_values(call, overrides):
    assert json.loads(call(**overrides)) == {"kind": "no_parse", "reason": 'no grammar rule matched "blorp"'}


@pytest.mark.parametrize("value", [True, False], ids=str)
def test_numpy_bool_accepted_for_next_skips_today(call, value):
    numpy = pytest.importorskip("numpy")
    assert call(next_skips_today=numpy.bool_(value)) == call(next_skips_today=value)


def test_every_call_reads_its_own_now():
    # Calls repeat one `now` object, which is read once; any other object, of equal text or not, a
    # str subclass, or a text that fails between two good ones, must be read anew.
    same_text = "".join(["2024-06-05", "T10:15:30"])
    calls = [("2024-06-05T10:15:30", "2024-06-06"), ("2030-01-31T08:00:00", "2030-02-01"), (same_text, "2024-06-06"),
             (Text("1999-12-31T23:00:00"), "2000-01-01"), ("2024-13-01T00:00:00", None),
             ("2024-06-05T10:15:30", "2024-06-06")]
    for _ in range(2):
        for now, day in calls:
            if day is None:
                with pytest.raises(ValueError):
                    _core.parse_raw("tomorrow", now, {}, (9, 0, 0), 0, False)
                continue
            assert json.loads(_core.parse_raw("tomorrow", now, {}, (9, 0, 0), 0, False))["when"] == day + "T09:00:00"
            assert json.loads(_core.parse_full("tomorrow", now, {}, (9, 0, 0), 0, False))["when"] == day + "T09:00:00"
