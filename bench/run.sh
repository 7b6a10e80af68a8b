#!/usr/bin/env bash
# Runs both benchmarks and writes bench/RESULTS.md: parse_str in C++ alone,
# then parse_raw through Python beside the floor of any such call and two
# widely used date parsers (installed from PyPI when missing). Takes a few
# minutes; nothing here gates CI.
#   bench/run.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
quick=${1:-}

python3 -m pip install -q dateparser parsedatetime
cmake -S . -B build/bench -DKALENDO_BENCH=ON -DKALENDO_PYTHON=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= >/dev/null
cmake --build build/bench -j 2 --target bench_core >/dev/null

rounds=31
[ "$quick" = "--quick" ] && rounds=5
core=$(build/bench/bench_core bench/phrases.txt "$rounds")
python=$(python3 bench/bench_python.py --markdown $quick)

{
  echo "# Benchmark results"
  echo
  echo "Written by \`bench/run.sh\` on $(date -u +%Y-%m-%d), $(nproc) CPUs ($(uname -m)), $(python3 --version)."
  echo "Reference moment Wednesday 2024-06-05 14:20:10, default time 09:00, empty anchors, no"
  echo "holiday callable. Each figure is the median over rounds of the mean of a batch of calls."
  echo
  echo "## parse_str in C++"
  echo
  echo "Columns: parse_str alone, and parse_str with the JSON text the binding returns."
  echo
  echo '```text'
  echo "$core"
  echo '```'
  echo
  echo "## parse_raw through Python"
  echo
  echo "$python"
  echo
  cat bench/profile.md
} > bench/RESULTS.md
tail -n 8 bench/RESULTS.md
