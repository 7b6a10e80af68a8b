"""Time zones written in the text: the zone field of full mode, and aware answers of the typed API."""

import json
from datetime import datetime, timedelta, timezone
from zoneinfo import ZoneInfo

import pytest

import kalendo
from kalendo import _core

NOW = "2024-06-05T14:20:10"
LA = ZoneInfo("America/Los_Angeles")


def full(text, now=NOW, **options):
    return json.loads(_core.parse_full(text, now, {}, (9, 0, 0), 0, False, **options))


# (text, when, zone): the clock and day words on the zone's clock at NOW.
ZONED = [
    (("5pm UTC", "5pm utc", "17:00 GMT", "5pm Z", "17:00 +00:00", "5pm zulu"), "2024-06-05T17:00:00", "UTC"),
    (("5pm AKST", "5pm akdt"), "2024-06-05T17:00:00", "America/Anchorage"),
    (("10:30 pst today", "10:30am PT today", "today 10:30 PDT"), "2024-06-05T10:30:00", "America/Los_Angeles"),
    (("17:00 +02:00", "5pm UTC+2", "17:00 +0200", "5pm GMT+02:00", "17:00+0200", "17:00+02:00"),
     "2024-06-05T17:00:00", "+02:00"),
    # A zone letter or offset written onto a clock, where other letters after a clock are no zone.
    (("17:00Z", "17:00:00z", "17:00:00.250Z", "17:00z", "(17:00Z)", "17:00Z,"), "2024-06-05T17:00:00", "UTC"),
    (("2025-03-14T17:00Z", "2025-03-14T17:00:00Z", "2025-03-14t17:00+00:00"), "2025-03-14T17:00:00", "UTC"),
    (("2025-03-14T17:00+02:00", "2025-03-14T17:00+02", "2025-03-14T17:00:00+0200"), "2025-03-14T17:00:00",
     "+02:00"),
    (("2025-03-14T17:00:00-05:00", "2025-03-14T17:00-0500"), "2025-03-14T17:00:00", "-05:00"),
    (("5pm GMT-5", "5pm -0500", "17:00 UTC-05:00", "17:00-0500", "UTC-5 5pm"), "2024-06-05T17:00:00", "-05:00"),
    (("9am UTC+5:30 tomorrow", "tomorrow 9am +0530"), "2024-06-06T09:00:00", "+05:30"),
    (("tomorrow 9am CET", "9am cest tomorrow"), "2024-06-06T09:00:00", "Europe/Paris"),
    (("noon EST friday",), "2024-06-07T12:00:00", "America/New_York"),
    (("in 2 hours utc",), "2024-06-05T16:20:10", "UTC"),
    (("3pm pacific", "3pm Pacific Time", "3pm PT", "15:00 pacific time"), "2024-06-05T15:00:00",
     "America/Los_Angeles"),
    (("5pm eastern", "5 pm eastern time", "5pm ET", "5pm EST."), "2024-06-05T17:00:00", "America/New_York"),
    (("noon central time", "12pm central", "noon CT"), "2024-06-06T12:00:00", "America/Chicago"),
    (("10am mountain", "10am MT", "tomorrow 10am mountain time"), "2024-06-06T10:00:00", "America/Denver"),
    # Abbreviations of four letters.
    (("5pm nzdt", "17:00 NZDT"), "2024-06-05T17:00:00", "Pacific/Auckland"),
    (("9am akst tomorrow", "tomorrow 9am AKST"), "2024-06-06T09:00:00", "America/Anchorage"),
    (("9am SAST", "9am sast"), "2024-06-06T09:00:00", "Africa/Johannesburg"),
    # Abbreviations of three letters, by their first two and their last.
    (("5pm msk",), "2024-06-05T17:00:00", "Europe/Moscow"),
    (("5pm eest",), "2024-06-05T17:00:00", "Europe/Athens"),
    (("5pm sgt",), "2024-06-05T17:00:00", "Asia/Singapore"),
    (("5pm ndt",), "2024-06-05T17:00:00", "America/St_Johns"),
    (("5pm hst",), "2024-06-05T17:00:00", "Pacific/Honolulu"),
    (("5pm kst",), "2024-06-05T17:00:00", "Asia/Seoul"),
]


@pytest.mark.parametrize("text, when, zone", [(t, w, z) for texts, w, z in ZONED for t in texts])
def test_the_json_names_the_zone_the_text_names(text, when, zone):
    answer = full(text)
    assert (answer["kind"], answer["when"], answer["zone"]) == ("instant", when, zone)


@pytest.mark.parametrize("text", ["3pm IST", "noon CST tomorrow", "5pm bst", "3pm AMT", "5pm ect", "5pm adt",
                                  "5pm gst"])
def test_ambiguous_abbreviations_need_the_callers_map(text):
    name = text.split()[1].upper()
    reason = full(text)["reason"]
    assert f'"{name}" names several zones' in reason and f"--zone {name}=" in reason
    assert full(text, zones=(name,))["zone"] == name


@pytest.mark.parametrize("text", ["5pm", "tomorrow", "march 14 at 5pm", "5pm +2", "at 5 +15", "5pm UTC+15",
                                  "utc", "cat", "east 5pm", "17:00-05:00", "17:00+15:00",
                                  "2025-03-14T17:00+1500"])
@pytest.mark.parametrize("more", [{}, {"zones": ("AMT",)}])
def test_texts_without_a_zone_have_no_zone_field(text, more):
    assert "zone" not in full(text, **more)


# (text, kind, zone, reason): every outcome the rest of a zoned text can have. A day read alone
# and an ambiguity keep the zone; a rejection of the rest is its own reason, before an abbreviation
# of several zones, and carries none.
ZONED_OUTCOMES = [
    ("tomorrow UTC", "instant", "UTC", None),
    ("UTC tomorrow", "instant", "UTC", None),
    ("3/4 UTC", "ambiguous", "UTC", '"3/4" could be March 4 or April 3'),
    ("3/4 - 3/6 UTC", "ambiguous", "UTC", '"3/4" could be March 4 or April 3'),
    ("feb 30 UTC", "no_parse", None, "February 30 does not exist"),
    ("feb 30 IST", "no_parse", None, "February 30 does not exist"),
    ("friday IST", "no_parse", None, 'the zone abbreviation "IST" names several zones'),
    ("3pm IST tomorrow", "no_parse", None, 'the zone abbreviation "IST" names several zones'),
    ("blorp UTC", "no_parse", None, 'no grammar rule matched "blorp UTC"'),
    ("wednesday 5pm UTC", "no_parse", None, 'no grammar rule matched "wednesday 5pm UTC"'),
]


@pytest.mark.parametrize("text, kind, zone, reason", ZONED_OUTCOMES)
def test_each_outcome_of_a_zoned_text(text, kind, zone, reason):
    answer = full(text)
    assert (answer["kind"], answer.get("zone")) == (kind, zone)
    if reason is not None:
        assert answer["reason"].startswith(reason)


def test_an_ambiguous_abbreviation_that_is_no_zone_leaves_the_text_unread():
    assert full("amt due")["reason"] == 'no grammar rule matched "amt due"'
    assert full("ist march 14 at 5pm")["reason"].startswith('the zone abbreviation "IST"')


def test_aware_answers_in_the_named_zone():
    naive = datetime(2024, 6, 5, 14, 20, 10)
    berlin = naive.replace(tzinfo=ZoneInfo("Europe/Berlin"))  # 05:20 in Los Angeles
    r = kalendo.parse("10:30 pst today", now=naive)
    assert r.when == datetime(2024, 6, 5, 10, 30, tzinfo=LA) and r.when.tzinfo is LA
    assert str(r).startswith("Wednesday 2024-06-05 10:30 PDT")
    assert kalendo.parse("10:30 pst today", now=berlin).when == datetime(2024, 6, 5, 10, 30, tzinfo=LA)
    # 14:20 in Berlin is 05:20 in Los Angeles: 9am there has not passed yet.
    assert kalendo.parse("9am PT", now=berlin).when == datetime(2024, 6, 5, 9, 0, tzinfo=LA)
    assert kalendo.parse("9am PT", now=naive).when == datetime(2024, 6, 6, 9, 0, tzinfo=LA)
    # 23:30 UTC is already tomorrow in Tokyo.
    late = datetime(2024, 6, 5, 23, 30, tzinfo=timezone.utc)
    assert kalendo.parse("tomorrow noon JST", now=late).when == datetime(2024, 6, 7, 12, tzinfo=ZoneInfo("Asia/Tokyo"))
    offset = kalendo.parse("17:00 +02:00", now=naive).when
    assert offset.utcoffset() == timedelta(hours=2) and offset.hour == 17
    kolkata = ZoneInfo("Asia/Kolkata")
    assert kalendo.parse("3pm IST", now=naive, zones={"ist": kolkata}).when == datetime(2024, 6, 5, 15, tzinfo=kolkata)
    assert isinstance(kalendo.parse("3pm IST", now=naive), kalendo.NoParse)


def test_across_a_change_of_daylight_saving_time():
    # Said on the evening before the clocks go forward in Los Angeles (2024-03-10 02:00 -> 03:00).
    eve = datetime(2024, 3, 9, 22, 0, tzinfo=LA)
    r = kalendo.parse("tomorrow 9am PT", now=eve)
    assert r.when == datetime(2024, 3, 10, 9, tzinfo=LA) and r.when.utcoffset() == timedelta(hours=-7)
    assert kalendo.parse("9pm PST", now=eve - timedelta(hours=2)).when.utcoffset() == timedelta(hours=-8)
    r = kalendo.parse("8pm PST", now=eve)  # passed today: tomorrow, after the change
    assert (r.when.day, r.when.utcoffset()) == (10, timedelta(hours=-7))
    # Said in UTC just before midnight on the last day of October: in New York it is still the 31st.
    r = kalendo.parse("tomorrow 9am ET", now=datetime(2024, 11, 1, 3, 30, tzinfo=timezone.utc))
    assert r.when == datetime(2024, 11, 1, 9, tzinfo=ZoneInfo("America/New_York"))
    r = kalendo.parse("in 3 days ET", now=datetime(2024, 11, 1, 3, 30, tzinfo=timezone.utc))
    assert r.when.utcoffset() == timedelta(hours=-5) and r.when.day == 3


def test_zones_are_checked_and_reach_the_command(capsys):
    with pytest.raises(TypeError, match="must be a tzinfo"):
        kalendo.parse("3pm IST", zones={"IST": "Asia/Kolkata"})
    with pytest.raises(ValueError, match="not a zone abbreviation"):
        kalendo.parse("3pm IST", zones={"I S T": timezone.utc})
    with pytest.raises(TypeError, match="'list' object cannot be converted to 'tuple'"):
        full("3pm IST", zones=["IST"])
    from kalendo._cli import main
    assert main(["--now", NOW, "--zone", "IST=Asia/Kolkata", "3pm", "IST"]) == 0
    assert "2024-06-05 15:00 IST" in capsys.readouterr().out
    assert main(["--now", NOW + "+02:00", "--json", "5pm", "PST"]) == 0
    assert '"when":"2024-06-05T17:00:00-07:00"' in capsys.readouterr().out
    assert main(["--now", NOW, "3pm", "IST"]) == 1
    assert "--zone IST=" in capsys.readouterr().err
    with pytest.raises(SystemExit):
        main(["--zone", "IST=Nowhere/Else", "3pm IST"])
