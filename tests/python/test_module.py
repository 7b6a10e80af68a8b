"""The extension module itself: its names, its signature, import rules and exported symbols."""

import importlib
import inspect
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

from kalendo import _core


def test_module_attributes():
    assert (_core.__version__, _core.__all__, _core.parse_raw.__module__) == ("0.4.0", ["parse_raw", "__version__"],
                                                                              "kalendo._core")
    params = inspect.signature(_core.parse_raw).parameters
    assert [(name, p.default) for name, p in params.items()][-2:] == [("next_skips_today", inspect.Parameter.empty),
                                                                       ("holidays", None)]
    # An internal error must escape `except Exception` handlers.
    assert not issubclass(_core.InternalError, Exception)


def test_import_again_after_removal(monkeypatch, call):
    for name in ("kalendo._core", "kalendo"):
        monkeypatch.delitem(sys.modules, name)
    again = importlib.import_module("kalendo._core")
    assert again is _core
    assert again.parse_raw("blorp", "2024-06-05T10:15:30", {}, (9, 0, 0), 0, False) == call(text="blorp")


def test_stable_abi_file_exports_only_the_init_function():
    assert _core.__file__.endswith(".abi3.so")
    nm = shutil.which("nm")
    if nm is None:
        pytest.skip("nm is not available")
    listing = subprocess.run([nm, "-D", "--defined-only", _core.__file__],
                             capture_output=True, text=True, check=True).stdout
    functions = [line.split()[-1] for line in listing.splitlines()
                 if len(line.split()) >= 2 and line.split()[-2] in {"T", "W", "i"}]
    assert functions == ["PyInit__core"]


def test_training_corpus_holds_no_benchmark_phrase():
    # The build lays the extension out by what these texts run: a benchmark
    # phrase among them would time the build's own training, not the code.
    root = Path(__file__).resolve().parents[2]

    def lines(path):
        return {line.strip().lower() for line in path.read_text(encoding="utf-8").splitlines()
                if line.strip() and not line.startswith("#")}

    corpus = lines(root / "tools/pgo/train.txt")
    assert len(corpus) > 1000
    for bench in sorted((root / "bench").glob("*.txt")):
        assert not corpus & lines(bench), bench.name
