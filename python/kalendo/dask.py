"""Parse a Dask Series with `parse_many`, partition by partition (`map_partitions` with its `meta`).

    from kalendo.dask import parse_series
    answers = parse_series(ddf["text"], now=datetime(2024, 6, 5, 14, 20)).compute()

`now` is fixed here, on the client: every worker resolves against the same
moment. Each partition becomes a pandas DataFrame of the fields of
`kalendo.parse_many` on the partition's index (pyarrow reads the column).
"""

from __future__ import annotations

from datetime import datetime
from typing import Any

from kalendo._batch import parse_many

__all__ = ["parse_series"]


def _frame(part: Any, now: datetime, options: dict[str, Any]) -> Any:
    frame = parse_many(part, now=now, **options).to_pandas()
    frame.index = part.index
    return frame


def parse_series(series: Any, *, now: datetime | None = None, **options: Any) -> Any:
    """A Dask DataFrame of the answers to the texts of `series`, a row per text, on its index."""
    import pandas as pd

    moment = datetime.now() if now is None else now
    meta = _frame(pd.Series([], dtype=object), moment, options)
    return series.map_partitions(_frame, moment, options, meta=meta)
