// Times full mode (parse_full) beside strict mode (parse_str) in C++, with
// no binding around them: the median of many rounds per phrase, and the
// median ratio over a phrase file.
//   bench_full [PHRASES_FILE] [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "everyday/mod.h"
#include "locale.h"
#include "parse.h"

namespace {

using namespace kalendo;
using Clock = std::chrono::steady_clock;

std::vector<std::string> read_phrases(const char* path) {
  std::vector<std::string> out;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') out.push_back(line);
  }
  return out;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <typename Call>
double per_call_ns(Call call, int rounds) {
  constexpr int kInner = 2000;
  std::vector<double> means;
  for (int r = 0; r < rounds; ++r) {
    const auto t0 = Clock::now();
    for (int i = 0; i < kInner; ++i)
      call();
    means.push_back(std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / kInner);
  }
  return median(means);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> phrases = read_phrases(argc > 1 ? argv[1] : "bench/dates.txt");
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
  if (phrases.empty()) {
    std::fprintf(stderr, "no phrases\n");
    return 1;
  }
  const DateTime now{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  const AnchorMap anchors;
  everyday::FullOptions opts;
  opts.core = Options{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  std::size_t sink = 0;
  std::vector<double> strict_ns, full_ns, ratios;
  for (const std::string& p : phrases) {
    const double s = per_call_ns(
        [&] {
          sink += static_cast<std::size_t>(parse_str(p, now, anchors, opts.core, {}).kind);
        },
        rounds);
    const double f = per_call_ns(
        [&] {
          sink += static_cast<std::size_t>(everyday::parse_full(p, now, anchors, opts, {}).kind);
        },
        rounds);
    strict_ns.push_back(s);
    full_ns.push_back(f);
    ratios.push_back(f / s);
    std::printf("%8.0f ns %8.0f ns %5.2f  %s\n", s, f, f / s, p.c_str());
  }
  std::printf("median over %zu phrases: strict %.0f ns, full %.0f ns, full/strict %.2f (sink %zu)\n",
              phrases.size(), median(strict_ns), median(full_ns), median(ratios), sink % 10);
  return 0;
}
