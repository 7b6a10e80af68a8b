import pytest

from kalendo import _core

# The parameters of parse_raw in order, and a valid value for each required one.
PARAMS = ("text", "now", "anchors", "default_time", "week_start", "next_skips_today")
VALID = {
    "text": "blorp",
    "now": "2024-06-05T10:15:30",
    "anchors": {},
    "default_time": (9, 0, 0),
    "week_start": 0,
    "next_skips_today": False,
}


@pytest.fixture
def call():
    """Call parse_raw positionally with VALID, some arguments replaced."""

    def run(**overrides):
        unknown = set(overrides) - set(VALID) - {"holidays"}
        assert not unknown, unknown
        merged = {**VALID, **overrides}
        args = [merged[name] for name in PARAMS]
        if "holidays" in overrides:
            args.append(overrides["holidays"])
        return _core.parse_raw(*args)

    return run


# Hypothesis profiles for the property tests; KALENDO_HYPOTHESIS_PROFILE picks one ("ci" by default).
try:
    import hypothesis_profiles  # noqa: E402,F401
except ModuleNotFoundError as missing:  # without Hypothesis only test_properties.py fails, at import
    if missing.name != "hypothesis":
        raise
