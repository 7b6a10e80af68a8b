"""Finding dates in running text: search_full, kalendo.search and `kalendo --find`.

Texts mark each expected item in [brackets]; the expected answers are in the short corpus form of
outcomes.py, one per item, in text order. Said on Wednesday 2024-06-05 at 14:20:10.
"""

import json
import re
from datetime import datetime
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

import kalendo
from kalendo import _core
from outcomes import NOW, amb, answer
from test_cli import kalendo as run_cli

DATA = Path(__file__).parent / "data"
MOMENT = datetime.fromisoformat(NOW)


def marked(line):
    """The text of a marked line, and the (start, end) of each [item]."""
    spans, text = [], ""
    for piece in re.split(r"(\[[^\]]*\])", line):
        if piece.startswith("["):
            spans.append((len(text), len(text) + len(piece) - 2))
            piece = piece[1:-1]
        text += piece
    return text, spans


def find(text, **options):
    return json.loads(_core.search_full(text, NOW, {}, (9, 0, 0), 0, False, **options))


ROLLED = " (this year's has passed; assuming 2025)"

CORPUS = [
    # The kinds of sentences people type.
    ("Let's meet [next friday at 5pm] at the cafe",
     ["2024-06-07T17:00:00 0.95 next Friday, at 17:00"]),
    ("remind me to call mom [tomorrow]", ["2024-06-06T09:00:00 0.95 tomorrow, default 09:00"]),
    # "pm" apart from its clock time belongs to it; "am" alone is a verb.
    ("I am reading [until 5:30 pm].",
     ["2024-06-05T14:20:10..2024-06-05T17:30:00 0.9 from now until 2024-06-05 17:30"]),
    ("The invoice is due [3/14]; the audit starts [March 17]",
     [f"2025-03-14T09:00:00 0.85 2025-03-14, default 09:00{ROLLED}",
      f"2025-03-17T09:00:00 0.85 2025-03-17, default 09:00{ROLLED}"]),
    ("Signed [Monday, March 14, 2025 at 5:30pm] in Berlin",
     ["2025-03-14T17:30:00 0.59999996 2025-03-14, at 17:30 (2025-03-14 is a Friday, not a Monday)"]),
    ("we ship [in two weeks], not [3 days ago]",
     ["2024-06-19T14:20:10 0.95 2 weeks from now", "2024-06-02T14:20:10 0.95 3 days before now"]),
    ("budget for [Q3 2025], [the 4th of july] party",
     ["2025-07-01..2025-09-30 0.9 Q3 2025", "2024-07-04T09:00:00 0.9 2024-07-04, default 09:00"]),
    # Words in front that add nothing are left out when the date reads the same without them.
    ("see you on [friday at 5pm]", ["2024-06-07T17:00:00 0.7 the upcoming Friday"]),
    # Two expressions joined by "and" or a comma stay two; a comma inside one date does not split it.
    ("[monday] and [tuesday], [thursday]",
     ["2024-06-10T09:00:00 0.7 the upcoming Monday", "2024-06-11T09:00:00 0.7 the upcoming Tuesday",
      "2024-06-06T09:00:00 0.7 the upcoming Thursday"]),
    ("[March 14, 2025], then [May 2]", ["2025-03-14T09:00:00 0.9 2025-03-14, default 09:00",
                                        f"2025-05-02T09:00:00 0.85 2025-05-02, default 09:00{ROLLED}"]),
    # Words that are dates only in context.
    ("I may go in [may], or on [May 5]", [
        "2025-05-01..2025-05-31 0.7 May 2025 (this year's May has passed)",
        f"2025-05-05T09:00:00 0.85 2025-05-05, default 09:00{ROLLED}"]),
    ("they used to march; march on; sat on the sun deck; we wed in spring", []),
    ("[sun 5pm] and [wed, march 3]", [
        "2024-06-09T17:00:00 0.7 the upcoming Sunday",
        f"2025-03-03T09:00:00 0.55 2025-03-03, default 09:00{ROLLED[:-1]}) (2025-03-03 is a Monday, not a "
        "Wednesday)"]),
    ("a second time, for two weeks, twice a day, half an hour, the 2nd floor, at first, [a few days ago]",
     ["2024-06-02T14:20:10 0.7 approximately 3 days before now"]),
    ("about 3 people came; the 1975 played; est. 1999; back [around 3].",
     ['2024-06-05T15:00:00 0.7 15:00 today (approximately: "around")']),
    ("meet on [the 3rd]. The 3 of us", ["2024-07-03T09:00:00 0.85 2024-07-03, default 09:00 (this month's has "
                                        "passed; assuming July 2024)"]),
    ("[Now] is the time; [in 2025] or the 2025 plan",
     ["2024-06-05T14:20:10 1.0 the current moment", "2025-01-01..2025-12-31 0.9 the year 2025"]),
    # Offsets count code points of the text as given: quotes, dashes, a capital that lower-cases to two
    # characters, combining marks and characters beyond the Basic Multilingual Plane before the items.
    ("“[Next Friday]” — İİ café\u0301 😀😀 [tomorrow]…",
     ["2024-06-07T09:00:00 0.95 next Friday, default 09:00", "2024-06-06T09:00:00 0.95 tomorrow, default 09:00"]),
    ("", []),
    ("ﬁ [today]", ["2024-06-05T09:00:00 0.95 today, default 09:00"]),
    # "24/7" is a phrase, not a date; an open interval keeps its last word; a holiday ends an open end.
    ("open 24/7 [from 9 to 5], rates change [from monday on], closed [until christmas]",
     ["2024-06-06T09:00:00..2024-06-06T17:00:00 0.85 tomorrow, 09:00 to 17:00 (that time has already passed today)",
      "2024-06-10T00:00:00.. 0.7 from 2024-06-10 00:00 on",
      "2024-06-05T14:20:10..2024-12-25T23:59:59 0.9 from now until 2024-12-25 23:59:59"]),
    # A window never runs across a sentence.
    ("see you [friday]. [Next week] is busy", ["2024-06-07T09:00:00 0.7 the upcoming Friday",
                                              "2024-06-10..2024-06-16 0.9 the calendar week after this one"]),
]


@pytest.mark.parametrize(("line", "expected"), CORPUS, ids=[row[0] for row in CORPUS])
def test_corpus(line, expected):
    text, spans = marked(line)
    got = find(text)
    assert [(start, end) for start, end, _ in got] == spans, [text[s:e] for s, e, _ in got]
    assert [item for _, _, item in got] == [answer(short, "") for short in expected]


@pytest.mark.parametrize(("line", "options", "expected"), [
    ("due [3/4/2025]", {}, [amb('"3/4/2025" could be March 4 or April 3; date_order chooses',
                                "2025-03-04T09:00:00 0.79999995 2025-03-04, default 09:00",
                                "2025-04-03T09:00:00 0.7 2025-04-03, default 09:00")]),
    ("due [3/4/2025]", {"date_order": "DMY"}, ["2025-04-03T09:00:00 0.9 2025-04-03, default 09:00"]),
    ("call me [tonight] or [mothers day]", {"day_parts": {"tonight": (22, 15, 0)}, "region": "GB"},
     ["2024-06-05T22:15:00 0.9 today, at 22:15 (tonight)",
      "2025-03-30T09:00:00 0.85 Mothering Sunday 2025-03-30, default 09:00 (this year's has passed; assuming 2025)"]),
    # The core grammar alone: calendar dates are not read.
    ("due 3/4/2025 or [next week]", {"strict": True},
     ["2024-06-10..2024-06-16 0.9 the calendar week after this one"]),
])
def test_options(line, options, expected):
    text, spans = marked(line)
    got = find(text, **options)
    assert [(s, e) for s, e, _ in got] == spans
    assert [item for _, _, item in got] == [answer(short, "") for short in expected]


def prose_items(path):
    text, spans = marked(path.read_text(encoding="utf-8"))
    return text, spans, len(text.split())


def test_prose_has_no_false_positives():
    # Fewer than 1 per 10,000 words: over these few thousand words, none beyond the labelled ones.
    text, spans, words = prose_items(DATA / "prose.txt")
    assert words > 3000
    found = [(f.start, f.end) for f in kalendo.search(text, now=MOMENT)]
    assert found == spans, [text[s:e] for s, e in found if (s, e) not in spans]


def quality():
    """Precision and recall of exact spans over the labelled sentences."""
    hits = found_total = labelled = 0
    for line in (DATA / "sentences.txt").read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        text, spans = marked(line)
        found = {(f.start, f.end) for f in kalendo.search(text, now=MOMENT)}
        hits += len(found & set(spans))
        found_total += len(found)
        labelled += len(spans)
    return hits / found_total, hits / labelled


def test_precision_and_recall():
    precision, recall = quality()
    assert precision >= 0.9 and recall >= 0.85, (precision, recall)


def test_found_items():
    items = kalendo.search("call me tomorrow or on friday", now=MOMENT)
    assert [(f.start, f.end, f.text) for f in items] == [(8, 16, "tomorrow"), (23, 29, "friday")]
    assert items[0].outcome == kalendo.parse("tomorrow", now=MOMENT)
    with pytest.raises(AttributeError):
        items[0].start = 0  # type: ignore[misc]
    with pytest.raises(TypeError, match="text must be a str"):
        kalendo.search(b"tomorrow", now=MOMENT)  # type: ignore[arg-type]
    with pytest.raises(ValueError, match="UTF-8 cannot encode"):
        kalendo.search("tomorrow \ud800", now=MOMENT)
    # An error of the holiday callable is raised again, as parse raises it.
    with pytest.raises(ZeroDivisionError):
        kalendo.search("in 3 business days", now=MOMENT, holidays=lambda day: 1 / 0)


WORDS = ["next", "friday", "at", "5pm", "the", "3rd", "of", "may", "march", "sun", "wed", "second", "a", "week",
         "in", "2", "days", "ago", "tomorrow", "now", "and", ",", ".", "3/14", "2025-03-14", "Q3", "2025", "on",
         "between", "to", "İ", "é\u0301", "😀", "“", "—", "cat", "sat", "june", "14th", "noon", "last", "year"]


@given(st.lists(st.sampled_from(WORDS), max_size=14), st.lists(st.sampled_from(["", " ", "  ", "\n"]),
                                                                    min_size=14, max_size=14))
def test_every_item_resolves_alone(words, gaps):
    text = "".join(w + g for w, g in zip(words, gaps))
    items = kalendo.search(text, now=MOMENT)
    end = 0
    for item in items:
        assert end <= item.start < item.end <= len(text)
        assert item.text == text[item.start:item.end] == item.text.strip()
        assert kalendo.parse(item.text, now=MOMENT) == item.outcome
        end = item.end


def test_command():
    done = run_cli("--now", NOW, "--find", "meet", "next", "friday", "or", "tomorrow")
    assert done.returncode == 0
    assert done.stdout.splitlines() == [
        "5-16\tnext friday\tFriday 2024-06-07 09:00 (next Friday, default 09:00; confidence 0.95)",
        "20-28\ttomorrow\tThursday 2024-06-06 09:00 (tomorrow, default 09:00; confidence 0.95)"]
    done = run_cli("--now", NOW + "+02:00", "--find", "--json", stdin="line one\nand tomorrow\n")
    assert [json.loads(line) for line in done.stdout.splitlines()] == [
        {"start": 13, "end": 21, "text": "tomorrow", "outcome": {
            "kind": "instant", "when": "2024-06-06T09:00:00+02:00", "confidence": 0.95,
            "interpretation": "tomorrow, default 09:00"}}]
    assert run_cli("--now", NOW, "--find", "nothing here").returncode == 1
