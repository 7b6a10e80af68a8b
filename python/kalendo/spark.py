"""Parse a Spark DataFrame column with `parse_many`, batch by batch through `mapInArrow`.

    from kalendo.spark import parse_column
    parsed = parse_column(df, "text", output="when", now=datetime(2024, 6, 5, 14, 20))

`now` is fixed here, on the driver: every executor resolves against the same
moment. The answers are those of `kalendo.parse_many`, with the times as
Spark timestamps (TIMESTAMP_NTZ for a naive `now`; TIMESTAMP, the instant,
for an aware one) and the zone a text names in `zone`.
"""

from __future__ import annotations

from collections.abc import Iterator
from datetime import datetime
from typing import Any

__all__ = ["parse_column"]


def _spark_struct(aware: bool) -> Any:
    from pyspark.sql import types as T

    stamp = T.TimestampType() if aware else T.TimestampNTZType()
    return T.StructType([
        T.StructField("kind", T.StringType(), True),
        T.StructField("start", stamp, True),
        T.StructField("end", stamp, True),
        T.StructField("confidence", T.FloatType(), True),
        T.StructField("interpretation", T.StringType(), True),
        T.StructField("reason", T.StringType(), True),
        T.StructField("candidates", T.IntegerType(), True),
        T.StructField("zone", T.StringType(), True),
    ])


def parse_column(df: Any, column: str, *, output: str = "when", now: datetime | None = None,
                 **options: Any) -> Any:
    """`df` with a struct column `output` holding the answer to each text of `column`.

    The options are those of `kalendo.parse_many` (threads too: each Python
    worker uses that many threads for its batches).
    """
    from pyspark.sql import types as T

    moment = datetime.now() if now is None else now
    aware = moment.tzinfo is not None
    schema = T.StructType([*df.schema.fields, T.StructField(output, _spark_struct(aware), True)])

    def batches(source: Iterator[Any]) -> Iterator[Any]:
        import pyarrow as pa

        from kalendo import parse_many

        stamp = pa.timestamp("us", tz="UTC" if aware else None)
        for batch in source:
            answers = pa.array(parse_many(batch.column(column), now=moment, **options))
            fields = [answers.field(i) for i in range(answers.type.num_fields)]
            fields[1], fields[2] = fields[1].cast(stamp), fields[2].cast(stamp)
            answers = pa.StructArray.from_arrays(fields, names=[f.name for f in answers.type],
                                                 mask=answers.is_null())
            yield pa.RecordBatch.from_arrays([*batch.columns, answers], names=[*batch.schema.names, output])

    return df.mapInArrow(batches, schema)
