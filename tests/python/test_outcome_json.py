"""The no-parse outcome, written as JSON text: blank input, and the text quoted back with its escapes."""

import pytest

EMPTY = '{"kind":"no_parse","reason":"empty input"}'


@pytest.mark.parametrize("text", ["", " ", "\t\n\r\f\v ", "\u00a0", "\u3000", "\u0085", " \u2028\u2003\n "],
                         ids=ascii)
def test_blank_text_is_empty_input(call, text):
    assert call(text=text) == EMPTY


# (text, the text as the reason's JSON writes it): trimmed, quotes and controls escaped twice over
UNMATCHED = [
    ("  Blorp  ", "Blorp"), ("\u3000ZZZ qqq\n", "ZZZ qqq"), ("zzz\tqqq", r"zzz\\tqqq"), ("a\0b", r"a\\0b"),
    ('say "blorp"', r'say \\\"blorp\\\"'), ("a\\b", r"a\\\\b"), ("a\x1bb", r"a\\u{1b}b"), ("e\u0301", r"e\\u{301}"),
    ("a\u2028b", r"a\\u{2028}b"), ("a\ue000b", r"a\\u{e000}b"), ("\uff76\uff9e", "\uff76\\\\u{ff9e}"),
    ("😀🏻 日本語 Crème/brûlée", "😀🏻 日本語 Crème/brûlée"), ("it's", "it's"),
]


@pytest.mark.parametrize("text, quoted", UNMATCHED, ids=[ascii(c[0]) for c in UNMATCHED])
def test_unmatched_text_reason(call, text, quoted):
    assert call(text=text) == '{"kind":"no_parse","reason":"no grammar rule matched \\"' + quoted + '\\""}'


@pytest.mark.parametrize("text", ["", "   ", "blorp", "zzz\tqqq"], ids=ascii)
def test_holiday_callable_not_consulted(call, text):
    asked = []
    assert call(text=text, holidays=lambda *args, **kwargs: asked.append(args) or True) == call(text=text)
    assert asked == []
