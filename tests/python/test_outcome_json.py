import json

import pytest

EMPTY = '{"kind":"no_parse","reason":"empty input"}'


@pytest.mark.parametrize("text", ["", " ", "\t\n\r\f\v ", "\u00a0", "\u3000", "\u0085", " \u2028\u2003\n "],
                         ids=repr)
def test_blank_text_is_empty_input(call, text):
    assert call(text=text) == EMPTY


# (text, its quoted form in the reason, the reason as written in the JSON text)
UNMATCHED = [
    ("  Blorp  ", '"Blorp"', r'"no grammar rule matched \"Blorp\""'),
    ("\u3000ZZZ qqq\n", '"ZZZ qqq"', r'"no grammar rule matched \"ZZZ qqq\""'),
    ("zzz\tqqq", r'"zzz\tqqq"', r'"no grammar rule matched \"zzz\\tqqq\""'),
    ('say "blorp"', r'"say \"blorp\""', r'"no grammar rule matched \"say \\\"blorp\\\"\""'),
    ("a\\b", r'"a\\b"', r'"no grammar rule matched \"a\\\\b\""'),
    ("a\0b", r'"a\0b"', r'"no grammar rule matched \"a\\0b\""'),
    ("a\r\nb", r'"a\r\nb"', r'"no grammar rule matched \"a\\r\\nb\""'),
    ("a\x1bb", r'"a\u{1b}b"', r'"no grammar rule matched \"a\\u{1b}b\""'),
    ("a\x85b", r'"a\u{85}b"', r'"no grammar rule matched \"a\\u{85}b\""'),
    ("a\x01b", r'"a\u{1}b"', r'"no grammar rule matched \"a\\u{1}b\""'),
    ("a\x7fb", r'"a\u{7f}b"', r'"no grammar rule matched \"a\\u{7f}b\""'),
    ("a\u00a0b", r'"a\u{a0}b"', r'"no grammar rule matched \"a\\u{a0}b\""'),
    ("e\u0301", r'"e\u{301}"', r'"no grammar rule matched \"e\\u{301}\""'),
    ("a\u200bb", r'"a\u{200b}b"', r'"no grammar rule matched \"a\\u{200b}b\""'),
    ("a\u2028b", r'"a\u{2028}b"', r'"no grammar rule matched \"a\\u{2028}b\""'),
    ("a\ue000b", r'"a\u{e000}b"', r'"no grammar rule matched \"a\\u{e000}b\""'),
    ("\uff76\uff9e", '"\uff76\\u{ff9e}"', '"no grammar rule matched \\"\uff76\\\\u{ff9e}\\""'),
    ("x\U000e0041", r'"x\u{e0041}"', r'"no grammar rule matched \"x\\u{e0041}\""'),
    ("😀🏻 日本語 Crème/brûlée", '"😀🏻 日本語 Crème/brûlée"', '"no grammar rule matched \\"😀🏻 日本語 Crème/brûlée\\""'),
    ("it's", '"it\'s"', '"no grammar rule matched \\"it\'s\\""'),
]


@pytest.mark.parametrize("text, quoted, reason_json", UNMATCHED, ids=[repr(c[0]) for c in UNMATCHED])
def test_unmatched_text_reason(call, text, quoted, reason_json):
    got = call(text=text)
    assert got == '{"kind":"no_parse","reason":' + reason_json + "}"
    assert json.loads(got) == {"kind": "no_parse", "reason": "no grammar rule matched " + quoted}


def test_result_is_a_plain_str_and_stable(call):
    first = call(text="zzz qqq")
    assert type(first) is str
    assert call(text="zzz qqq") == first


@pytest.mark.parametrize("text", ["", "   ", "blorp", "zzz\tqqq"], ids=repr)
def test_holiday_callable_not_consulted(call, text):
    asked = []

    def holidays(*args, **kwargs):
        asked.append((args, kwargs))
        return True

    assert call(text=text, holidays=holidays) == call(text=text)
    assert asked == []
