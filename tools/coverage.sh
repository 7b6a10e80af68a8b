#!/usr/bin/env bash
# Line and branch coverage of src/ under the test suites: the C++ unit tests,
# the fuzz corpus replay and pytest, all against one build made with
# gcc --coverage. Branches that only exist for thrown exceptions are left
# out. Needs gcovr (pip install gcovr). Extra arguments go to pytest.
#
#   tools/coverage.sh                # summary on stdout
#   COVERAGE_HTML=1 tools/coverage.sh  # also build/coverage/html/index.html
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=build/coverage
python=${PYTHON:-python3}

cmake -S . -B "$out" -DKALENDO_TESTS=ON -DKALENDO_PYTHON=ON -DCMAKE_BUILD_TYPE=Debug \
  -DPython_EXECUTABLE="$(command -v "$python")" \
  -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$out" -j 2 >/dev/null
find "$out" -name '*.gcda' -delete

ctest --test-dir "$out" -j 2 --output-on-failure >/dev/null

# The Python suite imports this build: the package sources beside the fresh extension.
stage="$out/stage"
rm -rf "$stage" && mkdir -p "$stage"
cp -r python/kalendo "$stage/kalendo"
cp "$out"/_core*.so "$stage/kalendo/"
PYTHONPATH="$root/$stage" "$python" -m pytest -q -p no:cacheprovider "$@" | tail -n 3

report=(--root "$root" --filter "$root/src/" --exclude "$root/src/unicode_data.inc"
        --exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors=all
        --gcov-ignore-errors=all --gcov-exclude-directories ".*CMakeFiles/[0-9.]+.*"
        --object-directory "$out")
gcovr "${report[@]}" --print-summary --txt "$out/coverage.txt" | tail -n 3
if [ -n "${COVERAGE_HTML:-}" ]; then
  gcovr "${report[@]}" --html-details "$out/html/index.html" >/dev/null
fi
echo "per file: $out/coverage.txt"
