#!/usr/bin/env bash
# Installs the C library to a temporary prefix, builds the examples against it
# with find_package (shared and static) and with pkg-config, runs them on
# examples/texts.txt and compares every answer with the Python package's for
# the same texts. Needs the package installed in the Python that runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if ! command -v make >/dev/null && command -v ninja >/dev/null; then generator=(-G Ninja); fi
build_dir=build/library
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake -S . -B "$build_dir" "${generator[@]}" -DKALENDO_PYTHON=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build_dir" -j 2 --target kalendo_static kalendo_shared
cmake --install "$build_dir" --prefix "$prefix/usr" >/dev/null

# With find_package.
cmake -S examples -B "$prefix/build" "${generator[@]}" -DCMAKE_PREFIX_PATH="$prefix/usr" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$prefix/build" -j 2 >/dev/null

# With pkg-config; the run-time path points into the prefix.
pc_dir=$(dirname "$(find "$prefix/usr" -name kalendo.pc)")
export PKG_CONFIG_PATH=$pc_dir
libdir=$(pkg-config --variable=libdir kalendo)
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -pedantic -Werror examples/example.c -o "$prefix/pc_c" \
  $(pkg-config --cflags --libs kalendo) -Wl,-rpath,"$libdir"
# shellcheck disable=SC2046
c++ -std=c++20 -Wall -Wextra -pedantic -Werror examples/example.cpp -o "$prefix/pc_cpp" \
  $(pkg-config --cflags --libs kalendo) -Wl,-rpath,"$libdir"

python3 - examples/texts.txt >"$prefix/python.txt" <<'PY'
import sys
from datetime import date, datetime

import kalendo

def line(r):
    if isinstance(r, kalendo.Instant):
        return f"instant {r.when.isoformat()} {r.confidence:g} {r.interpretation}"
    start, end = (t.isoformat() if t else "" for t in (r.start, r.end))
    return f"range {start}..{end} {r.confidence:g} {r.interpretation}"

for text in open(sys.argv[1], encoding="utf-8").read().splitlines():
    o = kalendo.parse(text, now=datetime(2024, 6, 5, 14, 20, 10), anchors={"Launch": date(2024, 6, 20)},
                      holidays={date(2024, 6, 7)})
    if isinstance(o, kalendo.NoParse):
        print(f"{text} => no_parse {o.reason}")
    elif isinstance(o, kalendo.Ambiguous):
        print(f"{text} => ambiguous {o.reason}")
        for c in o.candidates:
            print(f"  {line(c)}")
    else:
        print(f"{text} => {line(o)}")
PY

status=0
for program in build/example_c build/example_c_static build/example_cpp pc_c pc_cpp; do
  "$prefix/$program" <examples/texts.txt >"$prefix/out.txt"
  if ! diff -u "$prefix/python.txt" "$prefix/out.txt"; then
    echo "examples: $program answers differently from the Python package" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "examples: 5 programs agree with Python on $(wc -l <examples/texts.txt) texts"
exit "$status"
