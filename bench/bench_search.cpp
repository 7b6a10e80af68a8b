// Times the scan over running text on one core, without Python:
//   bench_search PROSE_FILE SENTENCES_FILE [ROUNDS]
// - ordinary prose (PROSE_FILE repeated to 10 MB): megabytes a second;
// - dense text (the lines of SENTENCES_FILE, a date every few words, repeated
//   to 0.5, 1 and 2 MB): seconds per text, and the time per megabyte at
//   each size, which stays flat when the scan is linear.
// Marks "[" and "]" and lines starting with "#" are dropped from both files.
// Each figure is the median over ROUNDS runs of the thread's CPU time.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "everyday/mod.h"
#include "locale.h"
#include "search/search.h"

namespace {

using namespace kalendo;

std::string read_clean(const char* path) {
  std::ifstream in(path);
  std::string out, line;
  while (std::getline(in, line)) {
    if (line.starts_with("#")) continue;
    for (char c : line) {
      if (c != '[' && c != ']') out += c;
    }
    out += '\n';
  }
  return out;
}

std::string repeat_to(const std::string& unit, std::size_t bytes) {
  std::string out;
  out.reserve(bytes + unit.size());
  while (out.size() < bytes)
    out += unit;
  return out;
}

// The time this thread has spent on a core: the machine may be shared, and
// the target is a speed on one core.
double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Timing {
  double seconds;
  std::size_t items;
};

Timing time_search(const std::string& text, int rounds) {
  const DateTime now{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  const AnchorMap anchors;
  everyday::FullOptions opts;
  opts.core.default_time = TimeOfDay::hms(9, 0, 0);
  opts.core.locale = &EN;
  const search::Request request{now, anchors, opts, false, {}};
  std::vector<double> runs;
  std::size_t items = 0;
  for (int r = 0; r < rounds; ++r) {
    const double start = cpu_seconds();
    items = search::find_dates(text, request).size();
    runs.push_back(cpu_seconds() - start);
  }
  std::sort(runs.begin(), runs.end());
  return {runs[runs.size() / 2], items};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_search PROSE_FILE SENTENCES_FILE [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  constexpr double kMB = 1024.0 * 1024.0;

  const std::string prose = repeat_to(read_clean(argv[1]), 10 * 1024 * 1024);
  const Timing p = time_search(prose, rounds);
  std::printf("prose  %5.1f MB  %7.3f s  %7.1f MB/s  %zu items\n", prose.size() / kMB, p.seconds,
              prose.size() / kMB / p.seconds, p.items);

  const std::string sentences = read_clean(argv[2]);
  for (const std::size_t bytes : {512 * 1024, 1024 * 1024, 2048 * 1024}) {
    const std::string dense = repeat_to(sentences, bytes);
    const Timing d = time_search(dense, rounds);
    const auto words = static_cast<double>(std::count(dense.begin(), dense.end(), ' ') +
                                           std::count(dense.begin(), dense.end(), '\n'));
    std::printf("dense  %5.1f MB  %7.3f s  %7.3f s/MB  %zu items (one per %.1f words)\n",
                dense.size() / kMB, d.seconds, d.seconds / (dense.size() / kMB), d.items,
                words / static_cast<double>(d.items));
  }
  return 0;
}
