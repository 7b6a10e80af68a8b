// Reads one text per line from standard input and prints what each means,
// said on Wednesday 5 June 2024 at 14:20:10, with 7 June 2024 a holiday and
// "launch" on 20 June 2024: the C example's answers, through kalendo.hpp.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <kalendo/kalendo.hpp>
#include <string>
#include <variant>

namespace {

using namespace std::chrono;

void print(const kalendo::DateTime& t) {
  const hh_mm_ss<nanoseconds> hms{t.time};
  std::printf("%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(t.date.year()),
              static_cast<unsigned>(t.date.month()), static_cast<unsigned>(t.date.day()),
              static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
              static_cast<int>(hms.seconds().count()) + (t.leap_second ? 1 : 0));
}

struct Printer {
  void operator()(const kalendo::Instant& i) const {
    std::printf("instant ");
    print(i.at);
    std::printf(" %g %s\n", static_cast<double>(i.confidence), i.interpretation.c_str());
  }
  void operator()(const kalendo::Range& r) const {
    // An open end prints as nothing: "range 2023-08-01T00:00:00..".
    std::printf("range ");
    if (r.start) print(*r.start);
    std::printf("..");
    if (r.end) print(*r.end);
    std::printf(" %g %s\n", static_cast<double>(r.confidence), r.interpretation.c_str());
  }
  void operator()(const kalendo::Ambiguous& a) const {
    std::printf("ambiguous %s\n", a.reason.c_str());
    for (const kalendo::Reading& r : a.candidates) {
      std::printf("  ");
      std::visit(*this, r);
    }
  }
  void operator()(const kalendo::NoParse& n) const {
    std::printf("no_parse %s\n", n.reason.c_str());
  }
  void operator()(const kalendo::Failure& f) const {
    std::fprintf(stderr, "kalendo: %s\n", f.message.c_str());
  }
};

}  // namespace

int main() {
  const kalendo::Options options{
      .now = kalendo::DateTime{2024y / June / 5, 14h + 20min + 10s},
      .anchors = {{"Launch", 2024y / June / 20}},
      .is_holiday = [](year_month_day d) { return d == 2024y / June / 7; },
  };
  std::string line;
  while (std::getline(std::cin, line)) {
    const kalendo::Outcome outcome = kalendo::parse(line, options);
    if (std::holds_alternative<kalendo::Failure>(outcome)) {
      std::visit(Printer{}, outcome);
      return 1;
    }
    std::printf("%s => ", line.c_str());
    std::visit(Printer{}, outcome);
  }
  return 0;
}
