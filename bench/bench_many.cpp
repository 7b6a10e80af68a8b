// Times parse_column in full mode over a column without repeated texts, the
// "all different" column of bench_many.py (calendar dates and counted days),
// in C++ with no binding around it: the best of several calls, or one call
// under callgrind to see where a row's time goes.
//   bench_many [ROWS] [THREADS] [CALLS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "batch/arrow.h"
#include "batch/batch.h"
#include "locale.h"

namespace {

using namespace kalendo;

constexpr const char* kMonths[12] = {"january",   "february", "march",    "april",
                                     "may",       "june",     "july",     "august",
                                     "september", "october",  "november", "december"};

// The shapes of bench_many.py, row k of shape k % 4.
std::vector<std::string> distinct_rows(std::size_t n) {
  std::vector<std::string> rows;
  rows.reserve(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = k / 4;
    switch (k % 4) {
      case 0:
        rows.push_back(std::to_string(i % 28 + 1) + " " + kMonths[i / 28 % 12] + " " +
                       std::to_string(1000 + i / 336));
        break;
      case 1:
        rows.push_back(std::to_string(i / 28 % 12 + 1) + "/" + std::to_string(i % 28 + 1) + "/" +
                       std::to_string(1000 + i / 336));
        break;
      case 2:
        rows.push_back("in " + std::to_string(i + 1) + " days");
        break;
      default:
        rows.push_back(std::to_string(i + 1) + " days ago");
        break;
    }
  }
  std::shuffle(rows.begin(), rows.end(), std::mt19937(17));
  return rows;
}

// Seconds of CPU of the process, every thread and the kernel's work for it.
double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 400000;
  batch::Settings s;
  s.now = DateTime{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  s.opts.core.default_time = TimeOfDay::hms(9, 0, 0);
  s.opts.core.locale = &EN;
  s.threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 0;
  const int calls = argc > 3 ? std::atoi(argv[3]) : 5;
  const std::vector<std::string> rows = distinct_rows(n);
  const std::vector<std::string_view> texts(rows.begin(), rows.end());
  double best = 1e300;
  double best_cpu = 1e300;  // of every thread: on a shared machine, what waiting for a core hides
  std::size_t bytes = 0;
  for (int call = 0; call < calls; ++call) {
    const double cpu_start = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    // The column as the binding keeps it, freed within the timing as there.
    auto held = batch::hold(batch::parse_column(texts, s), "", {}, {});
    bytes = held->column.interpretation.size();
    held.reset();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best_cpu = std::min(best_cpu, cpu_seconds() - cpu_start);
  }
  std::printf(
      "%zu rows, %u threads (0: one per core): best of %d calls %.1f ms, %.0f rows a second,"
      " %.1f ms of CPU (%zu B of interpretations)\n",
      n, s.threads, calls, best * 1e3, static_cast<double>(n) / best, best_cpu * 1e3, bytes);
}
