"""kalendo: resolve English date expressions into exact calendar values."""

from kalendo._core import __version__, parse_raw

__all__ = ["parse_raw", "__version__"]
