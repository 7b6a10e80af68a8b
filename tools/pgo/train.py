"""The training run of a build laid out by its own profile.

    python train.py CORPUS

Run by the build with a copy of the package whose extension counts what it
runs: the counts tell the compiler which code is hot and which paths are
taken, so that the code a call runs sits together and falls through. Every
text of the corpus goes through each way a caller reaches the core: the
binding's JSON entries (strict, and full under two sets of options), the
typed API, search in running text and columns. The corpus (train.txt
beside this file) holds texts of every family, read and unread, and none of
the benchmark's phrases.
"""

from __future__ import annotations

import sys
from datetime import datetime
from pathlib import Path

import kalendo
from kalendo import _core

# Enough rounds that the counts of the hot code dwarf those of the first
# calls' setting up.
ROUNDS = 3
NOW = "2024-06-05T14:20:10"
ARGS = (NOW, {}, (9, 0, 0), 0, False)


def main() -> None:
    texts = [line for line in Path(sys.argv[1]).read_text(encoding="utf-8").splitlines()
             if line and not line.startswith("#")]
    if not texts:
        sys.exit(f"train.py: no texts in {sys.argv[1]}")
    now = datetime.fromisoformat(NOW)
    for _ in range(ROUNDS):
        for text in texts:
            _core.parse_raw(text, *ARGS)
            _core.parse_full(text, *ARGS)
            _core.parse_full(text, *ARGS, date_order="DMY", region="GB")
            for strict in (False, True):
                try:
                    kalendo.parse(text, now=now, strict=strict)
                except ValueError:
                    pass  # an answer beyond the years a datetime holds
    found = 0
    for text in texts:
        try:
            found += len(kalendo.search(f"We said {text} and left it there.", now=now))
        except ValueError:
            pass  # an answer beyond the years a datetime holds
    rows = 0
    for strict in (False, True):
        rows += len(kalendo.parse_many(texts + [None], now=now, strict=strict))
    print(f"train.py: {len(texts)} texts, {found} found in prose, {rows} rows")


if __name__ == "__main__":
    main()
