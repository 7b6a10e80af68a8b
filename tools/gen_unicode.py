#!/usr/bin/env python3
"""Generates src/unicode_data.inc from the Unicode Character Database.

Reads UnicodeData.txt, SpecialCasing.txt, PropList.txt and
DerivedCoreProperties.txt (Debian's unicode-data package installs them in
/usr/share/unicode) and writes the property and lower-case tables that
src/unicode.cpp searches. The output depends only on the input files, so
regenerating from the same database reproduces the committed file byte for
byte; `--check` verifies exactly that.

    python3 tools/gen_unicode.py [--ucd DIR] [--out FILE] [--check]
"""

import argparse
import pathlib
import sys

MAX_CODE_POINT = 0x10FFFF
NON_PRINTABLE_CATEGORIES = {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs"}
VERSIONED_FILES = ("SpecialCasing.txt", "PropList.txt", "DerivedCoreProperties.txt")
LINE_WIDTH = 100
# Room for the lower-case form in LowerMulti (unicode.cpp); no full
# lower-case mapping in the database is longer.
MAX_LOWER_LEN = 3

REPO_ROOT = pathlib.Path(__file__).resolve().parent.parent


def data_lines(path):
    """Yields the fields of each data line of a UCD file, comments removed."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def parse_code_points(text):
    """Returns the inclusive range named by "0041" or "0041..005A"."""
    first, _, last = text.partition("..")
    return int(first, 16), int(last or first, 16)


def header_version(line):
    """Returns "15.0.0" from a first line such as "# PropList-15.0.0.txt", or None."""
    line = line.strip()
    if not (line.startswith("# ") and line.endswith(".txt")):
        return None
    version = line[2:-4].rpartition("-")[2]
    parts = version.split(".")
    if len(parts) != 3 or not all(part.isdigit() for part in parts):
        return None
    return version


def read_version(ucd):
    """Returns the database version named in the headers of the versioned files.

    Fails when the files disagree: tables mixed from two versions would be
    wrong in ways no test of a single property notices.
    """
    versions = {}
    for name in VERSIONED_FILES:
        with open(ucd / name, encoding="utf-8") as f:
            version = header_version(f.readline())
        if version is None:
            sys.exit(f"gen_unicode: no version header in {ucd / name}")
        versions[name] = version
    if len(set(versions.values())) != 1:
        sys.exit(f"gen_unicode: the files come from different versions: {versions}")
    return versions[VERSIONED_FILES[0]]


def read_property(path, name):
    """Returns the set of code points that have binary property `name`."""
    points = set()
    for fields in data_lines(path):
        if len(fields) >= 2 and fields[1] == name:
            first, last = parse_code_points(fields[0])
            points.update(range(first, last + 1))
    if not points:
        sys.exit(f"gen_unicode: property {name} not found in {path}")
    return points


def read_unicode_data(path):
    """Returns (general category by code point, simple lower case by code point).

    Expands the "<..., First>"/"<..., Last>" pairs that stand for large blocks;
    code points absent from the file are unassigned (Cn) and not in the map.
    """
    category = {}
    lower = {}
    range_start = None
    for fields in data_lines(path):
        cp = int(fields[0], 16)
        name, gc = fields[1], fields[2]
        if name.endswith(", First>"):
            range_start = cp
            continue
        if name.endswith(", Last>"):
            if range_start is None:
                sys.exit(f"gen_unicode: {fields[0]} ends a range that never started")
            for point in range(range_start, cp + 1):
                category[point] = gc
            range_start = None
            continue
        category[cp] = gc
        if fields[13]:
            lower[cp] = int(fields[13], 16)
    return category, lower


def read_full_lower(path, simple_lower):
    """Returns the full default lower-case mapping as tuples of code points.

    Starts from the simple mappings and applies the unconditional lines of
    SpecialCasing.txt. Lines with a condition (Final_Sigma, a language) are
    skipped: the final-sigma rule depends on context and lives in code, and
    language-specific rules are not part of the default mapping.
    """
    full = {cp: (lc,) for cp, lc in simple_lower.items()}
    for fields in data_lines(path):
        # A trailing ';' before the comment leaves an empty last field.
        if fields and fields[-1] == "":
            fields = fields[:-1]
        if len(fields) != 4:
            continue
        cp = int(fields[0], 16)
        mapping = tuple(int(part, 16) for part in fields[1].split())
        full[cp] = mapping
    return {cp: m for cp, m in full.items() if m != (cp,)}


def read_database(ucd):
    """Returns every property the tables need, one value per code point."""
    category, simple_lower = read_unicode_data(ucd / "UnicodeData.txt")
    printable = {
        cp
        for cp in range(MAX_CODE_POINT + 1)
        if category.get(cp, "Cn") not in NON_PRINTABLE_CATEGORIES or cp == 0x20
    }
    derived = ucd / "DerivedCoreProperties.txt"
    return {
        "version": read_version(ucd),
        "white_space": read_property(ucd / "PropList.txt", "White_Space"),
        "grapheme_extend": read_property(derived, "Grapheme_Extend"),
        "cased": read_property(derived, "Cased"),
        "case_ignorable": read_property(derived, "Case_Ignorable"),
        "printable": printable,
        "lower": read_full_lower(ucd / "SpecialCasing.txt", simple_lower),
    }


def to_ranges(points):
    """Returns the sorted, maximal inclusive ranges that cover `points`."""
    ranges = []
    for cp in sorted(points):
        if ranges and ranges[-1][1] == cp - 1:
            ranges[-1][1] = cp
        else:
            ranges.append([cp, cp])
    return ranges


def to_lower_runs(single):
    """Packs 1:1 mappings into runs of (first, last, delta, stride).

    Every `stride`-th code point from `first` to `last` maps to itself plus
    `delta`. Capital/small pairs that alternate (U+0100, U+0102, ...) give
    stride 2; blocks of capitals followed by their small forms give stride 1.
    A run only grows over consecutive entries of the sorted mapping, so no
    run's span holds a code point that belongs to another run.
    """
    runs = []
    for cp in sorted(single):
        delta = single[cp] - cp
        if runs:
            run = runs[-1]
            first, last, run_delta, stride = run
            if run_delta == delta:
                if first == last and cp - last in (1, 2):
                    run[1], run[3] = cp, cp - last
                    continue
                if first != last and cp - last == stride:
                    run[1] = cp
                    continue
        runs.append([cp, cp, delta, 1])
    return runs


def hex_cp(cp):
    return f"0x{cp:04X}"


def emit_items(name, ctype, items, out):
    """Writes a constexpr array, packing as many items per line as fit."""
    out.append(f"constexpr {ctype} {name}[] = {{")
    line = " "
    for item in items:
        if len(line) + 1 + len(item) + 1 > LINE_WIDTH:
            out.append(line)
            line = " "
        line += " " + item + ","
    if line.strip():
        out.append(line)
    out.append("};")
    out.append("")


def render(db):
    """Returns the text of unicode_data.inc."""
    ranges = {
        key: to_ranges(db[key])
        for key in ("white_space", "grapheme_extend", "cased", "case_ignorable")
    }
    printable_ranges = to_ranges(db["printable"])
    single = {cp: m[0] for cp, m in db["lower"].items() if len(m) == 1}
    multi = {cp: m for cp, m in db["lower"].items() if len(m) > 1}
    runs = to_lower_runs(single)
    if max(len(m) for m in multi.values()) > MAX_LOWER_LEN:
        sys.exit(f"gen_unicode: a lower-case form is longer than {MAX_LOWER_LEN} code points;"
                 " enlarge LowerMulti in unicode.cpp and MAX_LOWER_LEN here")

    out = [
        "// Generated by tools/gen_unicode.py from the Unicode Character Database.",
        "// Do not edit by hand: run `python3 tools/gen_unicode.py` to regenerate.",
        "//",
        "// Included by unicode.cpp inside namespace kalendo::uni, after the",
        "// definitions of CodeRange, LowerRun and LowerMulti.",
        "",
        "// clang-format off",
        f'const char kUnicodeVersion[] = "{db["version"]}";',
        "",
    ]
    names = {
        "white_space": "kWhiteSpace",
        "grapheme_extend": "kGraphemeExtend",
        "cased": "kCased",
        "case_ignorable": "kCaseIgnorable",
    }
    for key, name in names.items():
        items = [f"{{{hex_cp(a)}, {hex_cp(b)}}}" for a, b in ranges[key]]
        emit_items(name, "CodeRange", items, out)

    out.append("// Ranges of printable code points; every other code point is not.")
    items = [f"{{{hex_cp(a)}, {hex_cp(b)}}}" for a, b in printable_ranges]
    emit_items("kPrintable", "CodeRange", items, out)

    out.append("// Every stride-th code point in [first, last] lower-cases to itself + delta.")
    items = [f"{{{hex_cp(a)}, {hex_cp(b)}, {d}, {s}}}" for a, b, d, s in runs]
    emit_items("kLowerRuns", "LowerRun", items, out)

    out.append("// Code points whose lower-case form has several code points.")
    items = []
    for cp in sorted(multi):
        parts = ", ".join(hex_cp(c) for c in multi[cp])
        items.append(f"{{{hex_cp(cp)}, {len(multi[cp])}, {{{parts}}}}}")
    emit_items("kLowerMulti", "LowerMulti", items, out)
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--ucd", type=pathlib.Path, default=pathlib.Path("/usr/share/unicode"),
                        help="directory with the UCD files (default: %(default)s)")
    parser.add_argument("--out", type=pathlib.Path,
                        default=REPO_ROOT / "src" / "unicode_data.inc",
                        help="file to write (default: src/unicode_data.inc)")
    parser.add_argument("--check", action="store_true",
                        help="write nothing; fail if the output file is not up to date")
    args = parser.parse_args()

    text = render(read_database(args.ucd))
    if args.check:
        current = args.out.read_text(encoding="utf-8") if args.out.exists() else None
        if current != text:
            sys.exit(f"gen_unicode: {args.out} is out of date; rerun tools/gen_unicode.py")
        return
    args.out.write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
