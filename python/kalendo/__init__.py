"""kalendo: resolve English date expressions into exact calendar values.

`parse` is the typed API; `parse_raw` is the low-level call it is built on,
which takes and returns plain text.
"""

from kalendo._api import Ambiguous, HolidaySource, Instant, NoParse, Outcome, Range, parse
from kalendo._core import __version__, parse_raw

__all__ = [
    "parse",
    "Instant",
    "Range",
    "Ambiguous",
    "NoParse",
    "Outcome",
    "HolidaySource",
    "parse_raw",
    "__version__",
]
