"""The Spark and Dask recipes answer exactly as parse_many does on one machine."""

import importlib
import os
import shutil
from datetime import datetime, timedelta, timezone
from zoneinfo import ZoneInfo

import pytest

import kalendo

NOW = datetime(2024, 6, 5, 14, 20, 10)
TEXTS = ["next friday", None, "", "3/4/2025", "gibberish", "next week", "in 3 business days",
         "tomorrow at 5pm", "next friday", "5pm UTC", "10:30 pst today"] * 5


def need(name):
    """The module, or a skip where it is missing; where the cluster extra must be there (CI
    sets KALENDO_REQUIRE_CLUSTER), a module that does not import fails the test instead."""
    if os.environ.get("KALENDO_REQUIRE_CLUSTER"):
        return importlib.import_module(name)
    return pytest.importorskip(name)


def test_dask_partitions_answer_as_one_call():
    pd = need("pandas")
    need("pyarrow")
    dd = need("dask.dataframe")
    distributed = need("distributed")
    from kalendo.dask import parse_series

    series = pd.Series(TEXTS, index=range(100, 100 + len(TEXTS)), dtype=object)
    want = kalendo.parse_many(series, now=NOW, date_order="DMY").to_pandas().set_axis(series.index)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        got = parse_series(dd.from_pandas(series, npartitions=3), now=NOW, date_order="DMY").compute()
    pd.testing.assert_frame_equal(got, want)


@pytest.mark.parametrize("now", [NOW, NOW.replace(tzinfo=timezone(timedelta(hours=2))),
                                 NOW.replace(tzinfo=ZoneInfo("America/New_York"))], ids=["naive", "offset", "zone"])
def test_spark_batches_answer_as_one_call(now):
    pa = need("pyarrow")
    need("pyspark")
    if shutil.which("java") is None:
        if os.environ.get("KALENDO_REQUIRE_CLUSTER"):
            pytest.fail("Spark needs a Java runtime")
        pytest.skip("Spark needs a Java runtime")
    from pyspark.sql import SparkSession

    from kalendo.spark import parse_column

    spark = (SparkSession.builder.master("local[2]").config("spark.sql.session.timeZone", "UTC")
             .config("spark.ui.enabled", "false").getOrCreate())
    try:
        df = spark.createDataFrame([(i, t) for i, t in enumerate(TEXTS)], "id long, text string").repartition(2)
        rows = parse_column(df, "text", now=now).orderBy("id").toArrow()
    finally:
        spark.stop()
    want = pa.array(kalendo.parse_many(TEXTS, now=now))
    got = rows.column("when").combine_chunks()
    assert got.is_null().to_pylist() == want.is_null().to_pylist()
    rows = [i for i, null in enumerate(want.is_null().to_pylist()) if not null]  # Spark nulls their fields
    for name in ("kind", "confidence", "interpretation", "reason", "candidates", "zone", "start", "end"):
        values = [got.field(name).cast(pa.int64()) if name in ("start", "end") else got.field(name),
                  want.field(name).cast(pa.int64()) if name in ("start", "end") else want.field(name)]
        scale = 1_000_000 if name in ("start", "end") else 1  # microseconds in Spark
        g, w = (v.to_pylist() for v in values)
        assert [g[i] for i in rows] == [None if w[i] is None else w[i] * scale for i in rows], name
