"""The command `kalendo`, run as a separate process."""

import json
import os
import subprocess
import sys
import sysconfig
from pathlib import Path

import pytest

from kalendo import parse_raw

NOW = "2024-06-05T14:20:10"  # a Wednesday
SCRIPT = Path(sysconfig.get_path("scripts")) / "kalendo"


def kalendo(*args: str | bytes, stdin: str | None = None, env: dict[str, str] | None = None,
            script: bool = False) -> subprocess.CompletedProcess[str]:
    command: list[str | bytes] = [str(SCRIPT)] if script else [sys.executable, "-m", "kalendo"]
    return subprocess.run([*command, *args], input=stdin, capture_output=True, encoding="utf-8",
                          env=env, timeout=60, check=False)


def raw(text: str, now: str = NOW) -> str:
    return parse_raw(text, now, {}, (9, 0, 0), 0, True)


@pytest.fixture
def holiday_file(tmp_path: Path) -> str:
    path = tmp_path / "days.txt"
    # Saved with a byte-order mark first, as some editors do.
    path.write_text("2024-12-25\n# office closed\n\n 2024-12-26 \n2024-12-27\n", encoding="utf-8-sig")
    return str(path)


SKIP = ("Wednesday 2024-06-12 09:00 (next Wednesday — today is Wednesday; skipping today per next_skips_today=true; "
        "confidence 0.9)")
NEXT_SUNDAY_WEEK = "Sunday 2024-06-09 to Saturday 2024-06-15 (the calendar week after this one; confidence 0.9)"
AFTER_LAUNCH = "Sunday 2025-03-16 09:00 (2 days after 2025-03-14; confidence 0.9)"


@pytest.mark.parametrize(("args", "lines"), [
    (["next friday at 5pm"], ["Friday 2024-06-07 17:00 (next Friday, at 17:00; confidence 0.95)"]),
    (["next", "month"],
     ["Monday 2024-07-01 to Wednesday 2024-07-31 (the calendar month after this one; confidence 0.9)"]),
    (["next", "week", "--week-start", "sunday"], [NEXT_SUNDAY_WEEK]),
    (["--week-start", "6", "next week"], [NEXT_SUNDAY_WEEK]),
    (["--default-time", "07:30", "tomorrow"], ["Thursday 2024-06-06 07:30 (tomorrow, default 07:30; confidence 0.95)"]),
    (["next wednesday"], [SKIP]),
    (["--next-skips-today", "next wednesday"], [SKIP]),
    (["--no-next-skips-today", "next wednesday"],
     ["Wednesday 2024-06-05 09:00 (next Wednesday — today is Wednesday; today counts per next_skips_today=false; "
      "confidence 0.9)"]),
    (["--anchor", "launch=2025-03-14", "--anchor", "party=2024-07-01", "2 days after launch"], [AFTER_LAUNCH]),
    (["--anchor", "Go-Live=2025-03-14", "2 days after go-live"], [AFTER_LAUNCH]),
    (["in 3 hours", "--now", NOW + "+02:00"],
     ["Wednesday 2024-06-05 17:20:10 UTC+02:00 (3 hours from now; confidence 0.95)"]),
    (["since", "August"], ["from Tuesday 2023-08-01 on (from 2023-08-01 00:00 on; confidence 0.85)"]),
    (["next weekend"], [
        'ambiguous: "next weekend" said midweek can mean the coming weekend or the one after it',
        "  1. Saturday 2024-06-08 to Sunday 2024-06-09 (the coming weekend (Sat-Sun); confidence 0.65)",
        "  2. Saturday 2024-06-15 to Sunday 2024-06-16 (the weekend after the coming one (Sat-Sun); "
        "confidence 0.55)"]),
])
def test_readable_answer(args: list[str], lines: list[str]) -> None:
    done = kalendo("--now", NOW, *args)
    assert (done.returncode, done.stdout, done.stderr) == (0, "\n".join(lines) + "\n", "")


def test_the_installed_script_and_the_module_agree() -> None:
    by_script = kalendo("--now", NOW, "next friday at 5pm", script=True)
    assert by_script.returncode == 0
    assert by_script.stdout == kalendo("--now", NOW, "next friday at 5pm").stdout


@pytest.mark.parametrize(("args", "answer"), [
    (["in 3 business days"], "Friday 2024-12-27 09:00"),
    (["--holidays", "US", "in 3 business days"], "Monday 2024-12-30 09:00"),
    (["--holidays", "GB", "in 3 business days"], "Tuesday 2024-12-31 09:00"),
    (["--holidays-file", "FILE", "in 3 business days"], "Wednesday 2025-01-01 09:00"),
    (["--holidays", "US", "--holidays", "GB", "--holidays-file", "FILE", "in 3 business days"],
     "Thursday 2025-01-02 09:00"),
])
def test_holidays(args: list[str], answer: str, holiday_file: str) -> None:
    args = [holiday_file if arg == "FILE" else arg for arg in args]
    done = kalendo("--now", "2024-12-24T10:00", *args)
    assert done.returncode == 0 and done.stdout.startswith(answer + " ("), done.stdout


@pytest.mark.parametrize(("text", "status"), [
    ("next friday at 5pm", 0), ("next weekend", 0), ("blorp", 1), ("2 days after launch", 1),
    ("in 8000 years", 0)])
def test_json(text: str, status: int) -> None:
    done = kalendo("--now", NOW, "--json", text)
    assert (done.returncode, done.stdout, done.stderr) == (status, raw(text) + "\n", "")


@pytest.mark.parametrize(("text", "message"), [
    ("blorp", 'kalendo: no parse: no grammar rule matched "blorp"\n'),
    ("", "kalendo: no parse: empty input\n"),
    ("2 days after launch", 'kalendo: ambiguous, with no candidates: unknown anchor "launch" — pass it via '
     'anchors={"launch": date(...)}\nkalendo: give the date with --anchor launch=YYYY-MM-DD\n'),
    ("2 days after go-live", 'kalendo: ambiguous, with no candidates: unknown anchor "go live" — pass it via '
     'anchors={"go live": date(...)}\nkalendo: give the date with --anchor \'go live=YYYY-MM-DD\'\n'),
    ("in 8000 years", "kalendo: the answer +10024-06-05T14:20:10 lies outside the years 1 to 9999 that a "
     "Python datetime can hold (--json shows it)\n"),
])
def test_no_answer_goes_to_standard_error_with_status_1(text: str, message: str) -> None:
    done = kalendo("--now", NOW, text)
    assert (done.returncode, done.stdout, done.stderr) == (1, "", message)


@pytest.mark.parametrize("args", [[], ["-"], ["-", "--json"]])
def test_standard_input_gives_one_json_object_per_line(args: list[str]) -> None:
    phrases = ["tomorrow", "", "next weekend", "  blorp ", "in 8000 years", "q3"]
    done = kalendo("--now", NOW, *args, stdin="\n".join(phrases[:2]) + "\r\n" + "\n".join(phrases[2:]))
    assert done.returncode == 0 and done.stderr == ""
    assert done.stdout.splitlines() == [raw(phrase) for phrase in phrases]
    assert all(json.loads(line)["kind"] for line in done.stdout.splitlines())


INSTANT = ('"kind":"instant","when":"2024-06-06T09:00:00{}","confidence":0.95,'
           '"interpretation":"tomorrow, default 09:00"')
WEEKENDS = ('{{"kind":"ambiguous","candidates":[{{"kind":"range","start":"2024-06-08T00:00:00{0}",'
            '"end":"2024-06-09T23:59:59{0}","confidence":0.65,"interpretation":"the coming weekend (Sat-Sun)"}},'
            '{{"kind":"range","start":"2024-06-15T00:00:00{0}","end":"2024-06-16T23:59:59{0}","confidence":0.55,'
            '"interpretation":"the weekend after the coming one (Sat-Sun)"}}],"reason":"\\"next weekend\\" said '
            'midweek can mean the coming weekend or the one after it"}}')


# The machine-readable answers carry the offset of --now, as the readable ones do.
@pytest.mark.parametrize(("args", "stdin", "lines"), [
    (["--now", NOW + "+02:00", "--json", "tomorrow"], None, ["{" + INSTANT.format("+02:00") + "}"]),
    (["--now", NOW + "+02:00", "--json", "next weekend"], None, [WEEKENDS.format("+02:00")]),
    (["--now", "2024-06-05T14:20:10.5Z"], "tomorrow\nin 8000 years\nblorp\n",
     ["{" + INSTANT.format("+00:00") + "}",
      '{"kind":"instant","when":"+10024-06-05T14:20:10+00:00","confidence":0.9,'
      '"interpretation":"8000 years from now (distant horizon)"}',
      raw("blorp")]),
    (["--now", NOW + "-05:30", "-"], "next weekend\n", [WEEKENDS.format("-05:30")]),
    (["--now", NOW, "--json", "tomorrow"], None, ["{" + INSTANT.format("") + "}"]),
    # An open end stays null, in batch mode too.
    (["--now", NOW + "+02:00", "-"], "since August\nbefore 5pm\n",
     ['{"kind":"range","start":"2023-08-01T00:00:00+02:00","end":null,"confidence":0.85,'
      '"interpretation":"from 2023-08-01 00:00 on"}',
      '{"kind":"range","start":null,"end":"2024-06-05T17:00:00+02:00","confidence":0.9,'
      '"interpretation":"until 2024-06-05 17:00"}']),
])
def test_json_carries_the_offset_of_now(args: list[str], stdin: str | None, lines: list[str]) -> None:
    done = kalendo(*args, stdin=stdin)
    assert (done.returncode, done.stdout.splitlines(), done.stderr) == (0, lines, "")


def test_a_byte_order_mark_is_not_part_of_the_first_phrase() -> None:
    done = kalendo("--now", NOW, stdin="\ufefftomorrow\r\nq3\n")
    assert done.stdout.splitlines() == [raw("tomorrow"), raw("q3")]


def test_input_and_arguments_that_are_not_utf8_are_replaced() -> None:
    done = subprocess.run([sys.executable, "-m", "kalendo", "--now", NOW], input=b"tomorrow\nnext \xff\n",
                          capture_output=True, timeout=60, check=False)
    assert (done.returncode, done.stdout.decode("utf-8").splitlines()) == (0, [raw("tomorrow"), raw("next \ufffd")])
    done_arg = kalendo("--now", NOW, b"next \xff")
    assert done_arg.returncode == 1 and done_arg.stderr == 'kalendo: no parse: no grammar rule matched "next \ufffd"\n'


@pytest.mark.parametrize(("args", "message"), [
    (["--now", "yesterday"], "argument --now: expected an ISO date-time"),
    (["--now", "2024-13-01T10:00"], "argument --now: expected an ISO date-time"),
    (["--anchor", "launch"], "argument --anchor: expected NAME=DATE"),
    (["--anchor", "=2025-03-14"], "argument --anchor: expected NAME=DATE"),
    (["--anchor=--=2025-03-14"], "argument --anchor: expected NAME=DATE"),
    (["--anchor", "launch=soon"], "argument --anchor: expected an ISO date such as 2025-03-14, not 'soon'"),
    (["--default-time", "25:00"], "argument --default-time: expected HH:MM or HH:MM:SS"),
    (["--default-time", "9"], "argument --default-time: expected HH:MM or HH:MM:SS"),
    (["--week-start", "someday"], "argument --week-start: week_start must be a weekday name"),
    (["--week-start", "7"], "argument --week-start: week_start must be 0 (Monday) .. 6 (Sunday), not 7"),
    (["--holidays-file", "/nonexistent/days.txt"], "argument --holidays-file: cannot read"),
    (["--holidays-file", "BAD"], "line 2: expected an ISO date such as 2025-12-25, not 'xmas'"),
    (["--holidays", "XX"], "argument --holidays: no holiday calendar for 'XX'"),
    (["--holidays", "DE-ZZ"], "argument --holidays: no holiday calendar for 'DE-ZZ'"),
    (["--bogus"], "unrecognized arguments: --bogus"),
])
def test_option_errors_give_usage_and_status_2(args: list[str], message: str, tmp_path: Path) -> None:
    bad = tmp_path / "bad.txt"
    bad.write_text("2024-12-25\nxmas\n", encoding="utf-8")
    done = kalendo(*[str(bad) if arg == "BAD" else arg for arg in args], "next friday")
    assert done.returncode == 2 and done.stdout == ""
    assert done.stderr.startswith("usage: kalendo") and message in done.stderr
    assert "Traceback" not in done.stderr


def test_country_holidays_need_the_optional_package(tmp_path: Path) -> None:
    (tmp_path / "holidays.py").write_text("raise ImportError('not installed')\n", encoding="utf-8")
    env = {**os.environ, "PYTHONPATH": os.pathsep.join([str(tmp_path), os.environ.get("PYTHONPATH", "")])}
    done = kalendo("--holidays", "US", "next business day", env=env)
    assert done.returncode == 2 and "needs the optional holidays package" in done.stderr
    assert "Traceback" not in done.stderr


def test_version() -> None:
    done = kalendo("--version")
    assert (done.returncode, done.stdout) == (0, "kalendo 0.4.0\n")
