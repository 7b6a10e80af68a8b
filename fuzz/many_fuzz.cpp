// Fuzzes columns resolved on several threads: texts split from the input
// (one a line, an empty line a null row), each repeated with more and more
// leading blanks so that there are enough different texts for every thread
// to take chunks. Checks that the column is the same on one thread and on
// several, and that every row answers as a single call does. Built under
// ThreadSanitizer, its replay is the race check of the threaded path.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "everyday/mod.h"
#include "fuzz_input.h"
#include "locale.h"
#include "parse.h"
#include "types.h"

namespace {

using namespace kalendo;

// Enough rows for three chunks of different texts.
constexpr std::size_t kRows = 1100;

void check(bool ok) {
  if (!ok) std::abort();
}

std::string json_of(Outcome o) {
  o.zone.clear();  // a column keeps times on now's clock, without the zone's name
  std::string json;
  write_json(to_wire(std::move(o)), json);
  return json;
}

bool same(const batch::Column& a, const batch::Column& b) {
  return a.failure == b.failure && a.kind == b.kind && a.start == b.start && a.end == b.end &&
         a.confidence == b.confidence && a.candidates == b.candidates &&
         a.interpretation_offsets == b.interpretation_offsets &&
         a.interpretation == b.interpretation && a.reason_offsets == b.reason_offsets &&
         a.reason == b.reason && a.row_valid == b.row_valid && a.reading_valid == b.reading_valid &&
         a.reason_valid == b.reason_valid && a.unfit_rows == b.unfit_rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const uint64_t flags = in.u(1);
  batch::Settings s;
  s.now = DateTime{Date{static_cast<int64_t>(in.u(4) % 80000) - 10000},
                   TimeOfDay{static_cast<uint32_t>(in.u(3) % 86400), 0}};
  s.opts.core.default_time = TimeOfDay::hms(9, 0, 0);
  s.opts.core.locale = &EN;
  s.opts.core.week_start = static_cast<uint8_t>(flags % 7);
  s.opts.core.next_skips_today = (flags & 0x80) != 0;
  s.opts.date_order = static_cast<everyday::DateOrder>((flags >> 3) % 4);
  s.strict = (flags & 0x40) != 0;
  // Up to three holidays near now, for the business-day walks.
  for (uint64_t n = in.u(1) % 4; n > 0; --n)
    s.holidays.push_back(Date{s.now.date.days + static_cast<int64_t>(in.u(1) % 16)});
  std::sort(s.holidays.begin(), s.holidays.end());
  s.holidays.erase(std::unique(s.holidays.begin(), s.holidays.end()), s.holidays.end());

  std::vector<std::string_view> lines;
  const std::string_view rest = in.rest();
  for (std::size_t at = 0; at <= rest.size() && lines.size() < 64;) {
    const std::size_t end = std::min(rest.find('\n', at), rest.size());
    lines.push_back(rest.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::string> rows;
  rows.reserve(kRows);
  for (std::size_t i = 0; i < kRows; ++i) {
    const std::string_view line = lines[i % lines.size()];
    rows.push_back(line.empty() ? std::string() : std::string(i / lines.size() % 40, ' ') += line);
  }
  const std::vector<std::string_view> texts(rows.begin(), rows.end());

  s.threads = 1;
  const batch::Column one = batch::parse_column(texts, s);
  s.threads = 2 + static_cast<unsigned>(flags >> 1 & 1);
  const batch::Column many = batch::parse_column(texts, s);
  check(one.failure == batch::Failure::None && same(one, many));

  // As the column asks: no callable without holidays.
  const HolidayFn holidays =
      s.holidays.empty() ? HolidayFn()
                         : HolidayFn(
                               [](void* days, Date d) {
                                 const auto* v = static_cast<const std::vector<Date>*>(days);
                                 return std::binary_search(v->begin(), v->end(), d);
                               },
                               &s.holidays);
  for (std::size_t row = 0; row < lines.size() && row < kRows; ++row) {
    if (texts[row].empty()) {
      check(many.kind[row] == batch::RowKind::Null);
      continue;
    }
    const Outcome single =
        s.strict ? parse_str(texts[row], s.now, s.anchors, s.opts.core, holidays)
                 : everyday::parse_full(texts[row], s.now, s.anchors, s.opts, holidays);
    check(json_of(many.outcome(static_cast<int64_t>(row))) == json_of(single));
  }
  return 0;
}
