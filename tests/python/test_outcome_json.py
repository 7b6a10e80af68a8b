"""The no-parse outcome, written as JSON text: blank input, and the text quoted back with its escapes."""

import pytest

EMPTY = '{"kind":"no_parse","reason":"empty input"}'


@pytest.mark.parametrize("text", ["", " ", "\t\n\r\f\v ", "\u00a0", "\u3000", "\u0085", " \u2028\u2003\n "],
                         ids=ascii)
def test_blank_text_is_empty_input(call, text):
    assert call(text=text) == EMPTY


# (text, the reason exactly as the JSON text writes it): trimmed, quotes and controls escaped twice over
UNMATCHED = [
    ("  Blorp  ", r'"no grammar rule matched \"Blorp\""'),
    ("\u3000ZZZ qqq\n", r'"no grammar rule matched \"ZZZ qqq\""'),
    ("zzz\tqqq", r'"no grammar rule matched \"zzz\\tqqq\""'),
    ('say "blorp"', r'"no grammar rule matched \"say \\\"blorp\\\"\""'),
    ("a\\b", r'"no grammar rule matched \"a\\\\b\""'),
    ("a\0b", r'"no grammar rule matched \"a\\0b\""'),
    ("a\r\nb", r'"no grammar rule matched \"a\\r\\nb\""'),
    ("a\x1bb", r'"no grammar rule matched \"a\\u{1b}b\""'),
    ("a\x85b", r'"no grammar rule matched \"a\\u{85}b\""'),
    ("a\x01b", r'"no grammar rule matched \"a\\u{1}b\""'),
    ("a\x7fb", r'"no grammar rule matched \"a\\u{7f}b\""'),
    ("a\u00a0b", r'"no grammar rule matched \"a\\u{a0}b\""'),
    ("e\u0301", r'"no grammar rule matched \"e\\u{301}\""'),
    ("a\u200bb", r'"no grammar rule matched \"a\\u{200b}b\""'),
    ("a\u2028b", r'"no grammar rule matched \"a\\u{2028}b\""'),
    ("a\ue000b", r'"no grammar rule matched \"a\\u{e000}b\""'),
    ("\uff76\uff9e", '"no grammar rule matched \\"\uff76\\\\u{ff9e}\\""'),
    ("x\U000e0041", r'"no grammar rule matched \"x\\u{e0041}\""'),
    ("😀🏻 日本語 Crème/brûlée", '"no grammar rule matched \\"😀🏻 日本語 Crème/brûlée\\""'),
    ("it's", '"no grammar rule matched \\"it\'s\\""'),
]


@pytest.mark.parametrize("text, reason_json", UNMATCHED, ids=[ascii(c[0]) for c in UNMATCHED])
def test_unmatched_text_reason(call, text, reason_json):
    assert call(text=text) == '{"kind":"no_parse","reason":' + reason_json + "}"


@pytest.mark.parametrize("text", ["", "   ", "blorp", "zzz\tqqq"], ids=ascii)
def test_holiday_callable_not_consulted(call, text):
    asked = []
    assert call(text=text, holidays=lambda *args, **kwargs: asked.append(args) or True) == call(text=text)
    assert asked == []
