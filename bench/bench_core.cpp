// Times parse_str alone (and with the JSON text the binding returns) over
// the phrases of bench/phrases.txt: the median of many rounds per phrase.
//   bench_core [PHRASES_FILE] [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "locale.h"
#include "parse.h"
#include "types.h"

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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> phrases = read_phrases(argc > 1 ? argv[1] : "bench/phrases.txt");
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 31;
  if (phrases.empty()) {
    std::fprintf(stderr, "no phrases\n");
    return 1;
  }
  const DateTime now{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  // The same setting as the Python benchmark: no anchors, no holidays.
  const AnchorMap anchors;
  const Options opts{TimeOfDay::hms(9, 0, 0), &EN, 0, false};

  constexpr int kInner = 2000;
  std::vector<double> core_ns, json_ns;
  std::string json;
  std::size_t sink = 0;
  for (const std::string& p : phrases) {
    std::vector<double> core, with_json;
    for (int r = 0; r < rounds; ++r) {
      auto t0 = Clock::now();
      for (int i = 0; i < kInner; ++i) {
        sink += static_cast<std::size_t>(parse_str(p, now, anchors, opts, HolidayFn()).kind);
      }
      auto t1 = Clock::now();
      for (int i = 0; i < kInner; ++i) {
        json.clear();
        write_json(to_wire(parse_str(p, now, anchors, opts, HolidayFn())), json);
        sink += json.size();
      }
      auto t2 = Clock::now();
      core.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / kInner);
      with_json.push_back(std::chrono::duration<double, std::nano>(t2 - t1).count() / kInner);
    }
    core_ns.push_back(median(core));
    json_ns.push_back(median(with_json));
    std::printf("%8.0f ns %8.0f ns  %s\n", core_ns.back(), json_ns.back(), p.c_str());
  }
  std::printf("median over %zu phrases: parse_str %.0f ns, with JSON %.0f ns (sink %zu)\n",
              phrases.size(), median(core_ns), median(json_ns), sink % 10);
  return 0;
}
