"""How the words of a text are read before any grammar rule sees them: spellings, signs and widths of
numbers, clock times, joined pairs, case and white space, and anchor names replaced longest first
(Wednesday 2024-06-05 14:20:10)."""

import pytest

from outcomes import corpus, resolve

A, B = "2025-03-14", "2025-01-01"
NEXT_FRIDAY = "2024-06-07T09:00:00 0.95 next Friday, default 09:00"
TOMORROW_AT = "0.9 {} tomorrow (that time has already passed today)"
NO_FRIDAY = "! June 2024 has no {} Friday"

WORDS = corpus(
    (("Next Friday!", "NEXT FRIDAY", "upcoming fri", "next\u00a0friday", "next\u3000friday", "next\tfri."), NEXT_FRIDAY),
    (("october", "oct", "Oct."), "2024-10-01..2024-10-31 0.7 October of the current year"),
    (("september", "sept", "sep"), "2024-09-01..2024-09-30 0.7 September of the current year"),
    ("past friday", "2024-05-31T09:00:00 0.95 the most recent Friday before today"),
    (("eom", "end of the month"), "2024-06-30T09:00:00 0.85 the last day of the current calendar month"),
    ("in 3 working days", "2024-06-10T09:00:00 0.9 3 business days from today"),
    (("in several weeks", "within a few wks"), "2024-06-26T14:20:10 0.7 approximately 3 weeks from now"),
    (("in a couple days", "within a couple of days"), "2024-06-07T14:20:10 0.7 approximately 2 days from now"),
    (("in twelve days", "in 012 days"), "2024-06-17T14:20:10 0.95 12 days from now"),
    (("in +3 days", "in three days"), "2024-06-08T14:20:10 0.95 3 days from now"),
    (("in half an hour", "in half one hour", "in half a hr"), "2024-06-05T14:50:10 0.95 half an hour from now"),
    # ordinals keep their width and take any suffix; the label is the right one for the number
    (("the 2th friday of june", "the second friday of june"), "2024-06-14T09:00:00 0.85 the 2nd Friday of June 2024"),
    (("the 0th friday of june", "the 00th friday of june"), NO_FRIDAY.format("0th")),
    *[(f"the {n} friday of june", NO_FRIDAY.format(n)) for n in ("11th", "12th", "13th", "21st", "22nd", "23rd",
                                                                 "101st", "111th", "112th", "4294967295th")],
    # quarters need a number from one to four after the q
    (("q+2", "q02"), "2024-04-01..2024-06-30 0.85 Q2 of the current year"),
    # clock times: 12am is midnight, 12pm noon; a sign is read as part of the number
    (("5pm", "5 PM.", "at +5pm"), "2024-06-05T17:00:00 0.9 17:00 today"),
    (("12am", "00:00", "0:00"), "2024-06-06T00:00:00 " + TOMORROW_AT.format("00:00")),
    (("12pm", "12 pm"), "2024-06-06T12:00:00 " + TOMORROW_AT.format("12:00")),
    ("10:+5", "2024-06-06T10:05:00 " + TOMORROW_AT.format("10:05")),
    ("23:59", "2024-06-05T23:59:00 0.9 23:59 today"),
    (("13pm", "25:00", "7:5", "17:30pm", "0pm", "13 pm", "at 5 p.m.", ":30", "10:", "24:00", "in ++3 days",
      "the +3rd friday of june", "q0", "q5", "qx", "in zero days", "in 2 halves", "in 5 sec", "in a a couple days",
      "in 2 couple days", "in 2 business business days", "2 days business", "in 9223372036854775808 days"), "?"),
    # lower-casing is full (U+0130 becomes two characters), and only white space splits words
    (("FR\u0130DAY", "\u03a3\u039f\u03a6\u039f\u03a3"), "?"),
    ("next\u200bfriday", '! no grammar rule matched "next\\u{200b}friday"'),
    # anchor names: replaced before any word table is read, longest first, list order among equal lengths
    ("friday", {"anchors": {"friday": A}}, f'{A}T09:00:00 0.95 the date of "friday"'),
    ("Product Launch", {"anchors": {"launch": B, "product launch": A}},
     f'{A}T09:00:00 0.95 the date of "product launch"'),
    ("the\u00e9\u00e9", {"anchors": {"e\u00e9": B, "\u00e9\u00e9": A}}, f'{A}T09:00:00 0.95 the date of "\u00e9\u00e9"'),
    ("the day after onxyat", {"anchors": {"onxy": A, "xyat": B}}, "2025-03-15T09:00:00 0.95 the day after 2025-03-14"),
    ("the day after onxyat", {"anchors": {"xyat": B, "onxy": A}}, "2025-01-02T09:00:00 0.95 the day after 2025-01-01"),
    ("the day after big  day", {"anchors": {"big  day": A}}, "2025-03-15T09:00:00 0.95 the day after 2025-03-14"),
    (("the day after big day", "launch launch", "second friday of june"),
     {"anchors": {"big  day": A, "launch": A, "con": A}}, "?"),
    ("tomorrow", {"anchors": {"": A}}, "2024-06-06T09:00:00 0.95 tomorrow, default 09:00"),
    # a marker written into the text names the first anchor only when it is a marker's exact spelling
    ("\x01+0\x01", {"anchors": {"launch": A}}, f'{A}T09:00:00 0.95 the date of "launch"'),
    *[(text, {"anchors": anchors}, f'! no grammar rule matched "{shown}"') for text, anchors, shown in [
        ("\x011\x01", {"launch": A}, "\\u{1}1\\u{1}"), ("\x01\x01", {"launch": A}, "\\u{1}\\u{1}"),
        ("\x010\x01", {}, "\\u{1}0\\u{1}"),
        ("\x0199999999999999999999\x01", {"launch": A}, "\\u{1}99999999999999999999\\u{1}")]],
)


@pytest.mark.parametrize("text, options, expected", WORDS)
def test_words(text, options, expected):
    assert resolve(text, **options) == expected
