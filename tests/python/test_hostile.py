"""Hostile callables, hostile argument subclasses and threads: parse_raw must neither crash nor misbehave."""

import gc
import sys
import threading
import time
import zlib

import pytest

from kalendo import _core

NOW = "2024-06-05T14:20:10"  # a Wednesday
CONTEXT = (NOW, {}, (9, 0, 0), 0, False)
WALK = "in 3 business days"  # asks about Thursday 6, Friday 7 and Monday 10 June, twice


def parse(text, holidays=None, anchors=None, context=CONTEXT):
    now, plain, *options = context
    return _core.parse_raw(text, now, plain if anchors is None else anchors, *options, holidays)


def assert_clean(result, expected):
    """The call returned the expected text and left nothing behind: no exception, and the next call works."""
    assert result == expected
    assert sys.exc_info() == (None, None, None)
    assert parse("tomorrow") == parse("tomorrow")
    assert '"when":"2024-06-06T09:00:00"' in parse("tomorrow")


# --- answers that cannot be read as booleans -----------------------------------------------------


class Raising:
    """Every protocol a truth test or comparison could use raises."""

    def __bool__(self):
        raise RuntimeError("__bool__")

    __len__ = __index__ = __int__ = __hash__ = __bool__

    def __eq__(self, other):
        raise RuntimeError("__eq__")


def numpy_lookalike(name, truth):
    """A type that names itself numpy's boolean; its truth value comes from `truth`."""
    return type(name, (), {"__module__": "numpy", "__bool__": lambda self: truth()})()


def fail():
    raise KeyboardInterrupt("interrupted")


ANSWERS = {"every-dunder-raises": Raising, "numpy-bool_-lookalike-raises": lambda: numpy_lookalike("bool_", fail),
           "numpy-bool-lookalike-raises": lambda: numpy_lookalike("bool", fail),
           "numpy-bool-lookalike-returns-int": lambda: numpy_lookalike("bool", lambda: 1)}
try:
    import numpy
except ImportError:
    pass
else:
    ANSWERS.update({"numpy-0d-array": lambda: numpy.array(True), "numpy-1d-array": lambda: numpy.array([True]),
                    "numpy-int64": lambda: numpy.int64(1)})


@pytest.mark.parametrize("answer", ANSWERS.values(), ids=ANSWERS.keys())
def test_unreadable_answer_counts_as_working_day(answer):
    asked = []

    def holidays(day):
        asked.append(day)
        return answer()

    assert_clean(parse(WALK, holidays), parse(WALK))
    assert asked == ["2024-06-06", "2024-06-07", "2024-06-10"] * 2


# --- callables that call parse_raw ----------------------------------------------------------------


def test_unbounded_recursion_through_the_callable():
    depth = []

    def holidays(day):
        depth.append(day)
        return parse("next business day", holidays) == "never"

    assert_clean(parse("next business day", holidays), parse("next business day"))
    assert len(depth) > 50  # it went deep, until the interpreter refused to go deeper


@pytest.mark.parametrize("inner", [
    pytest.param(lambda day: parse("next business day", lambda d: 1 / 0), id="inner-callable-raises"),
    pytest.param(lambda day: parse("x", context=("bad", {}, (9, 0, 0), 0, False)), id="inner-call-fails"),
    pytest.param(lambda day: parse("x\ud800"), id="inner-text-unencodable"),
])
def test_failures_inside_nested_calls_stay_inside(inner):
    assert_clean(parse(WALK, inner), parse(WALK))


# --- a callable that changes the anchors mapping while parse_raw runs ----------------------------


def fresh(*parts):
    """A new str object, owned only by whoever keeps it, so that dropping it frees it."""
    return "".join(parts)


@pytest.mark.parametrize("text", ["2 business days after product launch", "3 business days before launch",
                                  "10 business days before product launch", "2 business days after launch party"])
def test_anchors_changed_during_the_call(text):
    original = {fresh("product", " launch"): fresh("2024-", "03-01"), fresh(" LAUNCH"): fresh("2024-", "07-04"),
                fresh("launch", " party"): fresh("2024-", "12-20")}
    expected = parse(text, lambda day: day.endswith("5"), anchors=dict(original))
    anchors = dict(original)
    del original

    def holidays(day):
        anchors.clear()
        garbage = [fresh("x" * 16, str(n)) for n in range(2000)]  # reuse the memory the keys held
        anchors.update({name: "1999-01-01" for name in garbage[:500]})
        for name in garbage[:400]:
            del anchors[name]
        anchors["launch"] = fresh("+262142-12-31")
        gc.collect()
        return day.endswith("5")

    assert_clean(parse(text, holidays, anchors=anchors), expected)
    assert "launch" in anchors  # the callable did run


# --- hostile subclasses of the argument types ------------------------------------------------------


def hostile(base, *names):
    """A subclass of base whose methods of these names raise; its value is still that of base."""
    def refuse(self, *args):
        raise RuntimeError("called")

    return type("Hostile" + base.__name__, (base,), {"__hash__": base.__hash__, **dict.fromkeys(names, refuse)})


HostileStr = hostile(str, "__str__", "__repr__", "__eq__", "__len__", "__iter__", "__getitem__", "encode", "lower",
                     "strip")
HostileDict = hostile(dict, "__iter__", "__len__", "__getitem__", "keys", "items", "values", "get", "copy")
HostileTuple = hostile(tuple, "__iter__", "__len__", "__getitem__")
HostileInt = hostile(int, "__index__", "__int__")


@pytest.mark.parametrize("text", ["3 days after launch", "next friday at 5pm", "blorp", ""])
def test_hostile_subclasses_are_read_as_their_values(text):
    anchors = HostileDict({HostileStr(" Launch"): HostileStr("2024-03-01")})
    got = _core.parse_raw(HostileStr(text), HostileStr(NOW), anchors, HostileTuple((HostileInt(9), 0, 0)),
                          HostileInt(6), False)
    assert_clean(got, _core.parse_raw(text, NOW, {" Launch": "2024-03-01"}, (9, 0, 0), 6, False))


# --- threads ----------------------------------------------------------------------------------------


def every(k):
    return lambda day: zlib.crc32(day.encode()) % k == 0


def yielding(day):
    time.sleep(0)  # lets another thread run in the middle of this call
    return day.endswith("7")


def reentrant(day):
    return '"2024-06-07' in parse("next business day", yielding, context=(day + "T08:00:00", {}, (7, 0, 0), 0, False))


ANCHORS = {"launch": "2024-03-01", "product launch": "2025-01-15", "friday": "2024-06-14"}
CALLS = [(text, holidays, anchors)
         for text in ["next friday at 5pm", "3 days after launch", "2 business days after product launch",
                      "last business day of the month", "in 12 business days", "early next week", "q3", "friday",
                      "the 3rd friday of march 2026", "eom", "sometime after the offsite", "blorp", "   ",
                      "half an hour", "2nd friday after launch"]
         for holidays in [None, every(3), yielding, reentrant, lambda day: 1 // 0, lambda day: Raising()]
         for anchors in [{}, ANCHORS]]
BAD = [("x", ("2024-06-05 10:00:00", {}, (9, 0, 0), 0, False)), ("x", (NOW, {"a": "2024-13-01"}, (9, 0, 0), 0, False)),
       ("x", (NOW, {}, (24, 0, 0), 0, False)), ("x", (NOW, {}, (9, 0, 0), 7, False)), ("x\udc00", CONTEXT)]


def run(index):
    """The outcome of call `index`, or the type and text of the error it raised."""
    if index % 10 == 9:
        text, context = BAD[index // 10 % len(BAD)]
        try:
            return parse(text, context=context)
        except (ValueError, UnicodeEncodeError) as error:
            return type(error).__name__ + str(error)
    text, holidays, anchors = CALLS[index % len(CALLS)]
    return parse(text, holidays, dict(anchors))


def test_threads_see_what_one_thread_sees():
    rounds = 3000
    expected = [run(i) for i in range(rounds)]
    start, mismatches = threading.Barrier(8), []

    def worker(offset):
        start.wait()
        for i in range(rounds):
            index = (i + offset) % rounds
            if run(index) != expected[index]:
                mismatches.append(index)

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-5)
    try:
        threads = [threading.Thread(target=worker, args=(n * 97,)) for n in range(8)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    finally:
        sys.setswitchinterval(interval)
    assert mismatches == []
    assert sys.exc_info() == (None, None, None)
