"""kalendo: resolve English date expressions into exact calendar values.

`parse` is the typed API and `search` finds dates in running text; `parse_full` (full mode, the default) and
`parse_raw` (strict mode, the core grammar alone) are the low-level calls it
is built on, which take and return plain text.
"""

from kalendo._api import Ambiguous, DateOrder, HolidaySource, Instant, NoParse, Outcome, Range, Region, parse
from kalendo._batch import ParsedColumn, parse_many
from kalendo._core import __version__, parse_full, parse_raw
from kalendo._search import Found, search

__all__ = [
    "parse",
    "search",
    "Found",
    "parse_many",
    "ParsedColumn",
    "Instant",
    "Range",
    "Ambiguous",
    "NoParse",
    "Outcome",
    "HolidaySource",
    "DateOrder",
    "Region",
    "parse_raw",
    "parse_full",
    "__version__",
]
