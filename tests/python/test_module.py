"""The extension module itself: its names, its signature, import rules and exported symbols."""

import importlib
import inspect
import shutil
import subprocess
import sys

import pytest

from kalendo import _core


def test_module_attributes():
    assert _core.__version__ == "0.4.0"
    assert _core.__all__ == ["parse_raw", "__version__"]
    assert _core.__doc__ == ""
    assert _core.parse_raw.__self__ is _core
    assert _core.parse_raw.__module__ == _core.__name__ == "kalendo._core"
    assert _core.parse_raw.__doc__


def test_signature():
    params = inspect.signature(_core.parse_raw).parameters
    assert list(params) == [
        "text", "now", "anchors", "default_time", "week_start", "next_skips_today", "holidays"]
    assert {p.kind for p in params.values()} == {inspect.Parameter.POSITIONAL_OR_KEYWORD}
    assert [name for name, p in params.items() if p.default is not inspect.Parameter.empty] == ["holidays"]
    assert params["holidays"].default is None


def test_internal_error_is_not_an_ordinary_exception():
    assert issubclass(_core.InternalError, BaseException)
    assert not issubclass(_core.InternalError, Exception)
    assert "InternalError" not in _core.__all__


def test_import_again_after_removal(monkeypatch, call):
    for name in ("kalendo._core", "kalendo"):
        monkeypatch.delitem(sys.modules, name)
    again = importlib.import_module("kalendo._core")
    assert again is _core
    assert again.parse_raw("blorp", "2024-06-05T10:15:30", {}, (9, 0, 0), 0, False) == call(text="blorp")


def test_import_in_a_subinterpreter_fails():
    interpreters = pytest.importorskip("_xxsubinterpreters")
    interp = interpreters.create()
    try:
        with pytest.raises(interpreters.RunFailedError) as got:
            interpreters.run_string(interp, "import kalendo._core")
    finally:
        interpreters.destroy(interp)
    assert "ImportError" in str(got.value)
    # The main interpreter's module is unaffected.
    assert _core.parse_raw("", "2024-06-05T10:15:30", {}, (9, 0, 0), 0, False).startswith('{"kind":"no_parse"')


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
