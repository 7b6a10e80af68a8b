#!/usr/bin/env python3
"""Precision and recall of kalendo.search on the marked sentences, and false positives on the prose.

    python3 bench/search_quality.py

Items must match a marked [span] exactly to count. Said on Wednesday 2024-06-05 at 14:20:10.
"""

from __future__ import annotations

import re
from datetime import datetime
from pathlib import Path

import kalendo

DATA = Path(__file__).resolve().parent.parent / "tests" / "python" / "data"
NOW = datetime(2024, 6, 5, 14, 20, 10)


def marked(line: str) -> tuple[str, set[tuple[int, int]]]:
    spans, text = set(), ""
    for piece in re.split(r"(\[[^\]]*\])", line):
        if piece.startswith("["):
            spans.add((len(text), len(text) + len(piece) - 2))
            piece = piece[1:-1]
        text += piece
    return text, spans


def main() -> None:
    hits = found = labelled = 0
    for line in (DATA / "sentences.txt").read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        text, spans = marked(line)
        items = {(f.start, f.end) for f in kalendo.search(text, now=NOW)}
        for start, end in sorted(items - spans):
            print(f"extra   {text[start:end]!r} in {text!r}")
        for start, end in sorted(spans - items):
            print(f"missed  {text[start:end]!r} in {text!r}")
        hits, found, labelled = hits + len(items & spans), found + len(items), labelled + len(spans)
    print(f"sentences: precision {hits / found:.3f} ({hits}/{found}), recall {hits / labelled:.3f} ({hits}/{labelled})")
    text, spans = marked((DATA / "prose.txt").read_text(encoding="utf-8"))
    extra = {(f.start, f.end) for f in kalendo.search(text, now=NOW)} - spans
    words = len(text.split())
    print(f"prose: {len(extra)} false positives in {words} words ({len(extra) / words * 10000:.2f} per 10,000)")


if __name__ == "__main__":
    main()
