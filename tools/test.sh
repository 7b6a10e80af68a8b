#!/usr/bin/env bash
# Runs both test suites: the C++ unit tests through CTest (plainly, then
# under the sanitizers), then pytest against the installed package, a short
# leak check, then mypy, then the C library's examples against the package.
# Installs GoogleTest from Debian's packages when its headers are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f /usr/include/gtest/gtest.h ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq libgtest-dev
fi

# The test extra (pip install ".[test]") brings CMake and Ninja: the scripts of
# the Python that runs the tests come first on PATH, so that they win over an
# older CMake of the system, and Ninja builds where make is missing.
PATH="$(python3 -c 'import sysconfig; print(sysconfig.get_path("scripts"))'):$PATH"
generator=()
if ! command -v make >/dev/null && command -v ninja >/dev/null; then generator=(-G Ninja); fi

build_dir=build/tests
cmake -S . -B "$build_dir" "${generator[@]}" -DKALENDO_TESTS=ON -DKALENDO_PYTHON=OFF \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build_dir" -j 2
ctest --test-dir "$build_dir" --output-on-failure -j 2

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer: any
# report, leak included, fails the run.
asan_dir=build/tests-asan
cmake -S . -B "$asan_dir" "${generator[@]}" -DKALENDO_TESTS=ON -DKALENDO_PYTHON=OFF -DKALENDO_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$asan_dir" -j 2
ctest --test-dir "$asan_dir" --output-on-failure -j 2

# The threaded column path under ThreadSanitizer: the column fuzz target
# replays its corpus on one thread and on several. Only that target is built.
tsan_dir=build/tests-tsan
cmake -S . -B "$tsan_dir" "${generator[@]}" -DKALENDO_TESTS=ON -DKALENDO_PYTHON=OFF -DKALENDO_TSAN=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$tsan_dir" -j 2 --target replay_many
TSAN_OPTIONS=halt_on_error=1 "$tsan_dir/replay_many" fuzz/corpus/many

# The package under test is the installed one: python/ is not on sys.path.
python3 -m pytest -q "$@"

# A few hundred thousand calls of parse_raw and kalendo.parse: live objects, allocated blocks, resident
# memory and the arguments' reference counts must stay flat (bench/soak.py is the long run).
python3 tools/leak_check.py

# Static types of the package and of its typed tests ([tool.mypy] in pyproject.toml).
python3 -m mypy

# The C library installed to a temporary prefix; its examples, built with
# find_package and with pkg-config, answer as the Python package does.
tools/examples.sh
