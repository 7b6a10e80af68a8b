// Fuzzes columns resolved on several threads: the input's lines are texts
// (an empty line a null row), repeated with more and more leading blanks so
// that enough texts differ for every thread to take chunks. The column must
// be the same on one thread and on several, and every row must answer as a
// single call does. Under ThreadSanitizer its replay is the race check.
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

constexpr std::size_t kRows = 1100;  // three chunks of different texts

void check(bool ok) {
  if (!ok) std::abort();
}

std::string json_of(Outcome o) {
  o.zone.clear();  // a column keeps times on now's clock, without the zone's name
  std::string json;
  write_json(o, json);
  return json;
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
  in.take(in.u(1));  // room for later options

  std::vector<std::string_view> lines;
  const std::string_view rest = in.rest();
  for (std::size_t at = 0; at <= rest.size() && lines.size() < 64;) {
    const std::size_t end = std::min(rest.find('\n', at), rest.size());
    lines.push_back(rest.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < kRows; ++i) {
    const std::string_view line = lines[i % lines.size()];
    rows.push_back(line.empty() ? std::string() : std::string(i / lines.size() % 40, ' ') += line);
  }
  const std::vector<std::string_view> texts(rows.begin(), rows.end());

  s.threads = 1;
  const batch::Column one = batch::parse_column(texts, s);
  s.threads = 2 + static_cast<unsigned>(flags >> 1 & 1);
  s.layout_rows = 100;  // several threads lay the column out, in runs that meet anywhere
  const batch::Column many = batch::parse_column(texts, s);
  check(one.failure == batch::Failure::None && many.failure == batch::Failure::None);
  check(one.kind == many.kind && one.start == many.start && one.end == many.end &&
        one.confidence == many.confidence && one.candidates == many.candidates &&
        one.interpretation == many.interpretation && one.reason == many.reason &&
        one.interpretation_offsets == many.interpretation_offsets &&
        one.reason_offsets == many.reason_offsets && one.kind_text == many.kind_text &&
        one.kind_offsets == many.kind_offsets && one.row_valid == many.row_valid &&
        one.reading_valid == many.reading_valid && one.start_valid == many.start_valid &&
        one.end_valid == many.end_valid && one.reason_valid == many.reason_valid &&
        one.null_rows == many.null_rows && one.rows_without_reading == many.rows_without_reading &&
        one.rows_without_start == many.rows_without_start &&
        one.rows_without_end == many.rows_without_end &&
        one.rows_without_reason == many.rows_without_reason && one.open_start == many.open_start &&
        one.open_end == many.open_end && one.zones == many.zones &&
        one.ambiguous.size() == many.ambiguous.size());
  for (std::size_t i = 0; i < one.ambiguous.size(); ++i) {
    const int64_t row = one.ambiguous[i].first;
    check(row == many.ambiguous[i].first &&
          one.candidates_of(row)->size() == many.candidates_of(row)->size());
  }
  for (std::size_t row = 0; row < lines.size(); ++row) {
    if (texts[row].empty()) {
      check(many.kind[row] == batch::RowKind::Null);
      continue;
    }
    const Outcome single = s.strict ? parse_str(texts[row], s.now, {}, s.opts.core, {})
                                    : everyday::parse_full(texts[row], s.now, {}, s.opts, {});
    check(json_of(many.outcome(static_cast<int64_t>(row))) == json_of(single));
  }
  return 0;
}
