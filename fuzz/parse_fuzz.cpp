// Fuzzes the whole parse core: any text, any moment of the supported years,
// up to three anchors whose names may collide with words, any options, and
// a holiday predicate that is absent, marks a few fixed days near today, or
// stops the call part way as an interrupt would. Checks the promises every
// outcome keeps. A predicate that marks every day sends business phrases to
// the ask cap on every input, so that case is a test of its own.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "locale.h"
#include "parse.h"
#include "types.h"
#include "unicode.h"

namespace {

using namespace kalendo;

// Anchor names worth colliding with: words of the grammar, substrings of
// them, the marker character, and the empty name.
// clang-format off
constexpr std::string_view kNames[] = {"launch", "product launch", "friday", "con", "q1", "next", "day", "",
                                       "\x01" "0\x01", "a", "2", "é", "the"};
// clang-format on

Date date_in_range(uint64_t v) {
  constexpr uint64_t kSpan = static_cast<uint64_t>(kMaxDays - kMinDays) + 1;
  if (v == 0) return Date{kMinDays};
  if (v == 0xFFFFFFFF) return Date{kMaxDays};
  return Date{kMinDays + static_cast<int64_t>(v % kSpan)};
}

// A calendar of a few holidays, as a real one has near today, and a count
// of asks after which the caller interrupts the call (0: never).
constexpr uint64_t kFuzzAsks = 2000;

struct Calendar {
  int64_t days[4] = {};
  uint64_t stop_after = 0;
  uint64_t asks = 0;
  bool stopped = false;
};

bool on_calendar(void* context, Date d) {
  auto* c = static_cast<Calendar*>(context);
  if (c->stop_after != 0 && ++c->asks >= c->stop_after) c->stopped = true;
  return std::find(std::begin(c->days), std::end(c->days), d.days) != std::end(c->days);
}
bool interrupted(void* context) {
  return static_cast<Calendar*>(context)->stopped;
}

void check(bool ok) {
  if (!ok) std::abort();
}

bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const uni::Decoded d = uni::decode_utf8(s, i);
    if (d.len == 1 && static_cast<unsigned char>(s[i]) >= 0x80) return false;
    i += d.len;
  }
  return true;
}

void check_reading(const Resolution& r) {
  check(r.confidence >= 0.05f && r.confidence <= 1.0f);
  check(!r.value.is_range() || r.value.start <= r.value.end);
  check(!r.interpretation.empty());
}

std::string run(std::string_view text, DateTime now, const AnchorMap& anchors, const Options& opts,
                HolidayFn holidays) {
  const Outcome o = parse_str(text, now, anchors, opts, holidays);
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      check(o.candidates.empty());
      check_reading(o.reading);
      break;
    case Outcome::Kind::Ambiguous:
      check(!o.candidates.empty() || o.reason.starts_with("unknown anchor \""));
      break;
    case Outcome::Kind::NoParse:
      check(o.candidates.empty() && !o.reason.empty());
      break;
  }
  for (const Resolution& r : o.candidates)
    check_reading(r);
  std::string json;
  write_json(to_wire(Outcome(o)), json);
  check(json.starts_with("{\"kind\":\"") && json.ends_with("}"));
  return json;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const uint64_t flags = in.u(1);
  const uint64_t predicate = in.u(1);
  const Date today = date_in_range(in.u(4));
  const auto secs = static_cast<uint32_t>(in.u(3) % 86400);
  const uint64_t fraction = in.u(1);
  uint32_t nanos = static_cast<uint32_t>(fraction >> 1) * 1000;
  // A leap second is second 59 carrying one extra second.
  if ((fraction & 1) != 0 && secs % 60 == 59) nanos += kNanosPerSecond;
  const DateTime now{today, TimeOfDay{secs, nanos}};

  Options opts;
  opts.default_time = TimeOfDay{static_cast<uint32_t>(in.u(2) * 2 % 86400), 0};
  opts.locale = &EN;
  opts.week_start = static_cast<uint8_t>(flags % 7);
  opts.next_skips_today = (flags & 0x80) != 0;

  AnchorMap anchors;
  const uint64_t count = in.u(1) % 4;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t choice = in.u(1);
    std::string name = choice < 200 ? std::string(kNames[choice % std::size(kNames)])
                                    : std::string(in.take(in.u(1) % 24));
    // Keys reach the core trimmed and lower-case.
    std::string key;
    uni::to_lower(uni::trim_white_space(name), key);
    put_anchor(anchors, std::move(key), date_in_range(in.u(4)));
  }

  HolidayFn holidays;
  Calendar calendar;
  const uint64_t mode = predicate & 0x0F;
  if (mode >= 10) {
    for (int64_t& day : calendar.days)
      day = today.days + static_cast<int64_t>(in.u(1) % 40) - 5;
    // One mode in six interrupts after its first few asks; the others after
    // kFuzzAsks, so that a count in the millions costs the fuzzer no more
    // than a short walk (the ask cap itself is a test of its own).
    calendar.stop_after = mode == 15 ? 1 + (predicate >> 4) : kFuzzAsks;
    holidays = HolidayFn(on_calendar, &calendar, interrupted);
  }

  const std::string_view text = in.rest();
  const std::string first = run(text, now, anchors, opts, holidays);
  calendar.asks = 0;
  calendar.stopped = false;
  // The text is valid UTF-8 whatever bytes came in, and the same call gives
  // the same text.
  check(valid_utf8(first));
  check(run(text, now, anchors, opts, holidays) == first);
  return 0;
}
