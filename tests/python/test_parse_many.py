"""parse_many: the answers of a loop over kalendo.parse, as a column, whatever holds the texts."""

import gc
import signal
import sys
import threading
import time as time_module
from datetime import date, datetime, time, timedelta, timezone
from pathlib import Path
from zoneinfo import ZoneInfo

import pytest

import kalendo
from test_limits import nesting

NOW = datetime(2024, 6, 5, 14, 20, 10)  # a Wednesday
PHRASES = [line for line in (Path(__file__).parents[2] / "bench" / "phrases.txt").read_text().splitlines()
           if line and not line.startswith("#")]
# Texts whose answers hang on the options below, besides the benchmark's phrases.
EXTRA = ["3/4/2025", "14.03.2025", "in 3 business days", "2 days after launch", "next friday",
         "friday", "this week", "gibberish", "  next   week ", "end of q3", "since august", "before friday",
         "5pm UTC", "10:30 pst today", "5pm utc+5:30", "tomorrow 17:00Z", "9am jst", "noon aest"]
TEXTS = PHRASES + EXTRA

# (options) -> the column must equal a loop over kalendo.parse with them.
OPTIONS = [
    {},
    {"strict": True},
    {"date_order": "DMY", "week_start": "sunday", "next_skips_today": False},
    {"anchors": {"launch": date(2024, 7, 1)}, "default_time": time(17, 30, 5)},
    {"holidays": [date(2024, 6, 6), datetime(2024, 6, 7, 12)]},
    {"holidays": lambda day: day.weekday() == 3},
    {"now": datetime(2024, 6, 5, 14, 20, 10, tzinfo=timezone(timedelta(hours=-5)))},
    {"now": datetime(2024, 6, 5, 14, 20, 10, tzinfo=ZoneInfo("America/New_York"))},
]


def loop(texts, **options):
    options.setdefault("now", NOW)
    return [kalendo.parse(t, **options) if isinstance(t, str) and t else None for t in texts]


@pytest.mark.parametrize("options", OPTIONS, ids=lambda o: ",".join(o) or "defaults")
@pytest.mark.parametrize("threads", [1, 2, None])
def test_same_answers_as_a_loop_over_parse(options, threads):
    texts = TEXTS * 3  # repeats are resolved once and must still land on every row
    got = kalendo.parse_many(texts, **{"now": NOW, **options}, threads=threads).to_pylist()
    assert got == loop(texts, **options)


def test_the_list_may_change_during_the_call_and_every_str_is_given_back():
    def fresh():  # strs that nothing else holds
        return [f"in {n % 50} business days" for n in range(3000)] + [None, "next friday"]

    texts = fresh()

    def holidays(day):  # asked during the call, after the list was read
        texts.clear()
        return False

    got = kalendo.parse_many(texts, now=NOW, holidays=holidays).to_pylist()
    assert texts == [] and got == loop(fresh(), holidays=lambda day: False)

    # A bad item late in a long list fails once the workers have started on the rows before it.
    for texts, error in [(fresh(), None), (fresh()[:5] + [42] + fresh()[:5], TypeError),
                         (fresh() + [42] + fresh()[:5], TypeError), (fresh() + ["\ud800"], ValueError)]:
        counts = [sys.getrefcount(t) for t in texts]
        if error is None:
            kalendo.parse_many(texts, now=NOW)
        else:
            with pytest.raises(error):
                kalendo.parse_many(texts, now=NOW)
        assert [sys.getrefcount(t) for t in texts] == counts


# (texts) -> each row answers as parse answers its own text, however long, in whatever script,
# and however often one str object stands in the list.
@pytest.mark.parametrize("texts", [
    [" " * 150 + f"in {n} days" for n in range(3000)],  # longer than the room first made for a row
    ["in 3 days"] * 5 + [" " * 5000 + "next friday"] + ["in 3 days", "", None] * 3,
    ["15 März 2025", "next friday ✓", "tomorrow at 5pm", "明天", "in 2 days"] * 700,
    [str(n % 7) + " days ago" for n in range(3000)],  # equal texts in distinct strs
    [f"{n % 28 + 1} march {1000 + n // 28}" for n in range(70_000)],  # long enough to be sampled for repeats
], ids=["long", "one-very-long", "non-ascii", "equal-texts", "distinct"])
def test_every_text_lands_on_its_row(texts):
    got = kalendo.parse_many(texts, now=NOW).to_pylist()
    assert got == loop(texts)


def test_the_everyday_options_as_parse_takes_them():
    texts = ["tonight", "mother's day", "3pm IST", "17:00Z", "2025-03-14T17:00+02:00", None]
    options = {"day_parts": {"tonight": time(22, 15)}, "region": "GB", "zones": {"IST": ZoneInfo("Asia/Kolkata")}}
    assert kalendo.parse_many(texts, now=NOW, **options).to_pylist() == loop(texts, **options)


def test_missing_rows_are_null_and_every_field_lines_up():
    pa = pytest.importorskip("pyarrow")
    texts = ["next friday", None, "", float("nan"), "3/4/2025", "gibberish", "next week", "since August",
             "before friday"]
    array = pa.array(kalendo.parse_many(texts, now=NOW))
    rows = array.to_pylist()
    assert rows[1:4] == [None, None, None]
    # The fields without validity of their own hold no leftover bytes under a null row.
    assert array.field("kind").to_pylist()[:5] == ["instant", "", "", "", "ambiguous"]
    assert array.field("candidates").to_pylist()[:5] == [1, 0, 0, 0, 2]
    assert rows[0] == {"kind": "instant", "start": datetime(2024, 6, 7, 9), "end": datetime(2024, 6, 7, 9),
                       "confidence": pytest.approx(0.95), "interpretation": "next Friday, default 09:00",
                       "reason": None, "candidates": 1, "zone": None}
    assert rows[4]["kind"] == "ambiguous" and rows[4]["candidates"] == 2
    assert rows[4]["start"] == datetime(2025, 3, 4, 9) and "March 4 or April 3" in rows[4]["reason"]
    assert rows[5] == {"kind": "no_parse", "start": None, "end": None, "confidence": None,
                       "interpretation": None, "reason": 'no grammar rule matched "gibberish"', "candidates": 0,
                       "zone": None}
    assert (rows[6]["start"], rows[6]["end"]) == (datetime(2024, 6, 10), datetime(2024, 6, 16, 23, 59, 59))
    # An open end is a null field beside a valid one.
    assert [(r["kind"], r["start"], r["end"]) for r in rows[7:]] == [
        ("range", datetime(2023, 8, 1), None), ("range", None, datetime(2024, 6, 6, 23, 59, 59))]


NEW_YORK = ZoneInfo("America/New_York")


# (now, text) -> the Arrow zone label of the times, and the row's `zone` field. An aware `now`
# gives the instants parse gives, whatever the row's zone or the clock change it crosses.
@pytest.mark.parametrize("now, text, label, zone", [
    (NOW.replace(tzinfo=timezone(timedelta(hours=2))), "tomorrow", "+02:00", None),
    (NOW.replace(tzinfo=NEW_YORK), "5pm UTC", "America/New_York", "UTC"),
    (NOW.replace(tzinfo=NEW_YORK), "10:30 pst today", "America/New_York", "America/Los_Angeles"),
    (NOW.replace(tzinfo=NEW_YORK), "december 1 at 9am", "America/New_York", None),  # EST, not EDT
    (NOW.replace(tzinfo=NEW_YORK), "march 9 2025 2:30am", "America/New_York", None),  # a skipped hour
    (NOW.replace(tzinfo=NEW_YORK), "november 2 2025 1:30am", "America/New_York", None),  # a repeated one
    (NOW.replace(tzinfo=NEW_YORK), "november 2 2025", "America/New_York", None),  # a 25-hour day
    (NOW.replace(tzinfo=timezone.utc), "5pm utc+5:30", "UTC", "+05:30"),
    (NOW, "5pm UTC", None, "UTC"),  # naive: the wall time in the row's zone
])
def test_arrow_times_are_instants_when_now_is_aware(now, text, label, zone):
    pa = pytest.importorskip("pyarrow")
    array = pa.array(kalendo.parse_many([text], now=now))
    assert array.type.field("start").type == pa.timestamp("s", tz=label)
    answer = kalendo.parse(text, now=now)
    start, end = (answer.when, answer.when) if isinstance(answer, kalendo.Instant) else (answer.start, answer.end)
    if label is None:
        start, end = start.replace(tzinfo=None), end.replace(tzinfo=None)
    else:
        start, end = (int(t.timestamp()) for t in (start, end))
    row = array[0]
    got = (row["start"].value, row["end"].value) if label else (row["start"].as_py(), row["end"].as_py())
    assert got == (start, end) and row["zone"].as_py() == zone


def arrow_inputs():
    pa = pytest.importorskip("pyarrow")
    values = ["tomorrow", None, "", "next friday"]
    return [pa.array(values), pa.array(values, pa.large_string()), pa.array(values, pa.string_view()),
            pa.chunked_array([values[:1], values[1:]]), pa.table({"t": values})["t"]]


@pytest.mark.parametrize("make", [
    list, tuple, iter, lambda v: (t for t in v),
    lambda v: pytest.importorskip("pandas").Series(v, dtype=object),
    lambda v: pytest.importorskip("pandas").Series(v, dtype="string"),
    lambda v: pytest.importorskip("polars").Series(v),
    *[(lambda i: lambda v: arrow_inputs()[i])(i) for i in range(5)],
], ids=["list", "tuple", "iterator", "generator", "pandas-object", "pandas-string", "polars",
        "arrow-utf8", "arrow-large", "arrow-view", "arrow-chunked", "arrow-table-column"])
def test_every_input_type(make):
    values = ["tomorrow", None, "", "next friday"]
    assert kalendo.parse_many(make(values), now=NOW).to_pylist() == loop(values)


def test_a_row_beyond_python_years_is_a_no_parse_and_the_others_survive():
    column = kalendo.parse_many(["next 10000 years", "tomorrow"], now=NOW)
    with pytest.raises(ValueError, match="outside the years 1 to 9999") as refused:
        kalendo.parse("next 10000 years", now=NOW)
    assert column.to_pylist() == [kalendo.NoParse(str(refused.value)), *loop(["tomorrow"])]
    pytest.importorskip("pandas"), pytest.importorskip("polars")
    assert list(column.to_pandas()["end"].dt.year) == list(column.to_polars()["end"].dt.year()) == [12024, 2024]


@pytest.mark.parametrize("texts, error, message", [
    (["ok", 3], TypeError, r"texts\[1\] must be a str or None, not int"),
    ("next friday", TypeError, "not a single str"),
    (5, TypeError, "must be an iterable"),
    (["\ud800"], ValueError, "UTF-8 cannot encode"),
    (["tomorrow", "1" * 10_000], ValueError, r"texts\[1\]: anchor names match inside the markers"),
])
def test_refused_texts(texts, error, message):
    anchors = dict.fromkeys(nesting(100, 2), date(2025, 1, 1)) if "anchor" in message else None
    with pytest.raises(error, match=message):
        kalendo.parse_many(texts, now=NOW, anchors=anchors)


def test_refused_arrow_types_and_threads():
    pa = pytest.importorskip("pyarrow")
    with pytest.raises(TypeError, match="Arrow array of strings"):
        kalendo.parse_many(pa.array([1, 2]), now=NOW)
    for threads, error in [(0, ValueError), (True, TypeError), (1.5, TypeError)]:
        with pytest.raises(error, match="threads"):
            kalendo.parse_many(["x"], now=NOW, threads=threads)


def test_a_failing_holiday_callable_raises_again():
    def broken(day):
        raise LookupError("calendar down")

    with pytest.raises(LookupError, match="calendar down"):
        kalendo.parse_many(["in 3 business days"] * 3, now=NOW, holidays=broken)


def test_the_lock_is_released_during_a_long_call():
    texts = [f"{n % 28 + 1} march {1000 + n // 28}" for n in range(200_000)]  # no repeats
    ticks = 0
    running = threading.Event()
    done = threading.Event()

    def count():
        nonlocal ticks
        running.set()
        while not done.is_set():
            ticks += 1

    counter = threading.Thread(target=count)
    counter.start()
    running.wait()
    try:
        before = ticks
        kalendo.parse_many(texts, now=NOW, threads=1)
        during = ticks - before
    finally:
        done.set()
        counter.join()
    assert during > 1000


@pytest.mark.parametrize("options", [{"threads": 2}, {"holidays": lambda day: False}], ids=["workers", "callable"])
def test_ctrl_c_stops_a_long_call_promptly(options):
    # Uninterrupted, a million different texts take seconds; the interrupt comes after 50 ms.
    texts = [f"{n % 28 + 1} march {1000 + n // 28}" for n in range(1_000_000)]

    def interrupt(signum, frame):
        raise KeyboardInterrupt

    previous = signal.signal(signal.SIGALRM, interrupt)
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.05)
        start = time_module.monotonic()
        with pytest.raises(KeyboardInterrupt):
            kalendo.parse_many(texts, now=NOW, **options)
        assert time_module.monotonic() - start < 1.0
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)


def test_exports_share_buffers_that_outlive_the_column():
    pa = pytest.importorskip("pyarrow")
    column = kalendo.parse_many(["tomorrow", "next week"] * 1000, now=NOW)
    first, second = pa.array(column), pa.array(column)
    del column
    gc.collect()
    assert first.equals(second) and first.field("kind")[1].as_py() == "range"
    assert first.field("interpretation").buffers()[2].address == second.field("interpretation").buffers()[2].address
