// Fuzzes the scan over running text: any text, any moment of the supported
// years, either mode. Checks that items are in text order, never overlap,
// lie on character boundaries inside the text, count code points as the
// bytes do, and that each item's outcome is what its span resolves to alone.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "everyday/mod.h"
#include "fuzz_input.h"
#include "locale.h"
#include "parse.h"
#include "search/search.h"
#include "types.h"

namespace {

using namespace kalendo;

void check(bool ok) {
  if (!ok) std::abort();
}

std::string json_of(Outcome o) {
  std::string json;
  write_json(to_wire(std::move(o)), json);
  return json;
}

bool continuation(std::string_view s, std::size_t i) {
  return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

std::size_t code_points(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const uint64_t flags = in.u(1);
  const Date today{static_cast<int64_t>(in.u(4) % 120000) - 60000};
  const DateTime now{today, TimeOfDay{static_cast<uint32_t>(in.u(3) % 86400), 0}};

  everyday::FullOptions opts;
  opts.core.default_time = TimeOfDay::hms(9, 0, 0);
  opts.core.locale = &EN;
  opts.core.week_start = static_cast<uint8_t>(flags % 7);
  opts.core.next_skips_today = (flags & 0x80) != 0;
  opts.date_order = static_cast<everyday::DateOrder>((flags >> 3) % 4);
  const bool strict = (flags & 0x40) != 0;

  const std::string_view text = in.rest();
  const AnchorMap anchors;
  const search::Request request{now, anchors, opts, strict, {}};
  const std::vector<search::Found> items = search::find_dates(text, request);
  std::size_t end = 0;
  for (const search::Found& f : items) {
    check(end <= f.byte_start && f.byte_start < f.byte_end && f.byte_end <= text.size());
    check(!continuation(text, f.byte_start) && !continuation(text, f.byte_end));
    check(f.start == code_points(text.substr(0, f.byte_start)));
    check(f.end == code_points(text.substr(0, f.byte_end)));
    check(f.outcome.kind != Outcome::Kind::NoParse);
    const std::string_view span = text.substr(f.byte_start, f.byte_end - f.byte_start);
    const Outcome alone = strict ? parse_str(span, now, anchors, opts.core, {})
                                 : everyday::parse_full(span, now, anchors, opts, {});
    check(json_of(alone) == json_of(f.outcome));
    end = f.byte_end;
  }
  return 0;
}
