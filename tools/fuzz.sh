#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time, starting from
# the committed corpus. New inputs go to a scratch folder, so the committed
# corpus stays small. A crash, leak or sanitizer report fails the run.
#   tools/fuzz.sh [SECONDS_PARSE_FULL_AND_SEARCH] [SECONDS_ISO_CAPI_AND_MANY]
set -euo pipefail
cd "$(dirname "$0")/.."
parse_seconds=${1:-40}
iso_seconds=${2:-20}

build_dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DKALENDO_FUZZ=ON -DKALENDO_PYTHON=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build_dir" -j 2 --target parse_fuzz iso_fuzz full_fuzz search_fuzz many_fuzz capi_fuzz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in parse iso full search many capi; do
  case $target in
    iso | capi | many) seconds=$iso_seconds ;;
    *) seconds=$parse_seconds ;;
  esac
  mkdir -p "$scratch/$target"
  echo "fuzzing $target for ${seconds}s"
  "$build_dir/${target}_fuzz" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 "$scratch/$target" "fuzz/corpus/$target" 2>"$scratch/$target.log" ||
    { tail -n 60 "$scratch/$target.log"; exit 1; }
  grep -E '^(Done|stat::number_of_executed_units)' "$scratch/$target.log"
done
