// Fuzzes the C interface: raw fields for every setter (so the checks that
// refuse them are fuzzed too), an anchor with a raw name and date text, a
// holiday predicate with a stop after some asks, any text. Checks that each
// setter accepts exactly the valid values, that a result's accessors agree
// with its JSON text, and that the JSON text is the core's own.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "everyday/mod.h"
#include "fuzz_input.h"
#include "kalendo/kalendo.h"
#include "locale.h"
#include "parse.h"
#include "types.h"

namespace {

using namespace kalendo;

void check(bool ok) {
  if (!ok) std::abort();
}

struct Asks {
  uint32_t count = 0;
  uint32_t stop_after = 0;  // 0: never
};

bool holiday_rule(int64_t y, unsigned m, unsigned d) {
  return (y + m + d) % 5 == 0;
}

int c_holiday(void* user, int32_t y, unsigned m, unsigned d) {
  ++static_cast<Asks*>(user)->count;
  return holiday_rule(y, m, d) ? 1 : 0;
}

int c_stop(void* user) {
  const auto* a = static_cast<const Asks*>(user);
  return a->stop_after != 0 && a->count >= a->stop_after;
}

bool core_holiday(void*, Date d) {
  const Civil c = d.civil();
  return holiday_rule(c.year, c.month, c.day);
}

// Compares field by field: the padding of the record is never written.
bool same_moment(const kalendo_datetime& a, const kalendo_datetime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second && a.nanosecond == b.nanosecond;
}

void check_reading(const kalendo_reading& r) {
  check(r.confidence >= 0.05f && r.confidence <= 1.0f);
  check(r.interpretation != nullptr && r.interpretation[0] != '\0');
  check(r.is_range || same_moment(r.start, r.end));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const uint64_t flags = in.u(1);
  kalendo_datetime now{static_cast<int16_t>(in.u(2)),
                       static_cast<uint8_t>(in.u(1) % 14),
                       static_cast<uint8_t>(in.u(1) % 33),
                       static_cast<uint8_t>(in.u(1) % 25),
                       static_cast<uint8_t>(in.u(1) % 61),
                       static_cast<uint8_t>(in.u(1) % 62),
                       static_cast<uint32_t>(in.u(1) == 0 ? 0 : in.u(4) % 1'100'000'000)};
  const unsigned h = static_cast<unsigned>(in.u(1) % 26), m = static_cast<unsigned>(in.u(1) % 62);
  const unsigned week_start = static_cast<unsigned>(flags % 8);
  const std::string name(in.take(in.u(1) % 12));
  const std::string anchor_date(in.take(in.u(1) % 12));
  Asks asks;
  asks.stop_after = static_cast<uint32_t>(in.u(1));
  const std::string_view text = in.rest();

  kalendo_options* o = nullptr;
  check(kalendo_options_new(&o) == KALENDO_OK);
  const std::optional<Date> day = Date::from_ymd(now.year, now.month, now.day);
  const bool now_ok =
      day && now.hour < 24 && now.minute < 60 && now.second <= 60 && now.nanosecond < 1'000'000'000;
  check((kalendo_options_set_now_fields(o, now) == KALENDO_OK) == now_ok);
  check((kalendo_options_set_default_time(o, h, m, 0) == KALENDO_OK) == (h < 24 && m < 60));
  check((kalendo_options_set_week_start(o, week_start) == KALENDO_OK) == (week_start < 7));
  check(kalendo_options_set_date_order(o, static_cast<kalendo_date_order>((flags >> 3) % 4)) ==
        KALENDO_OK);
  const bool strict = (flags & 0x20) != 0;
  check(kalendo_options_set_mode(o, strict ? KALENDO_MODE_STRICT : KALENDO_MODE_FULL) ==
        KALENDO_OK);
  check(kalendo_options_set_next_skips_today(o, (flags & 0x40) != 0) == KALENDO_OK);
  const bool holidays = (flags & 0x80) != 0;
  if (holidays) check(kalendo_options_set_holidays(o, c_holiday, c_stop, &asks) == KALENDO_OK);
  const bool anchored = !name.empty() && kalendo_options_set_anchor(
                                             o, name.c_str(), anchor_date.c_str()) == KALENDO_OK;

  kalendo_result* r = nullptr;
  const kalendo_status status = kalendo_parse(o, text.data(), text.size(), &r);
  check((status == KALENDO_OK) == (r != nullptr));
  if (!now_ok) check(status == KALENDO_NOW_NOT_SET);
  if (status == KALENDO_INTERRUPTED) check(holidays && asks.stop_after != 0);
  if (status == KALENDO_OK) {
    size_t json_size = 0;
    const char* json_text = kalendo_result_json(r, &json_size);
    const std::string_view json(json_text, json_size);
    const kalendo_kind kind = kalendo_result_kind(r);
    const size_t n = kalendo_result_candidate_count(r);
    kalendo_reading reading;
    switch (kind) {
      case KALENDO_INSTANT:
      case KALENDO_RANGE:
        check(json.starts_with(kind == KALENDO_INSTANT ? "{\"kind\":\"instant\""
                                                       : "{\"kind\":\"range\""));
        check(kalendo_result_reading(r, &reading) == KALENDO_OK);
        check_reading(reading);
        check((reading.is_range != 0) == (kind == KALENDO_RANGE) && n == 0);
        check(kalendo_result_confidence(r) == reading.confidence);
        break;
      case KALENDO_AMBIGUOUS:
        check(json.starts_with("{\"kind\":\"ambiguous\""));
        for (size_t i = 0; i < n; ++i) {
          check(kalendo_result_candidate(r, i, &reading) == KALENDO_OK);
          check_reading(reading);
        }
        check(kalendo_result_candidate(r, n, &reading) == KALENDO_INVALID_ARGUMENT);
        break;
      case KALENDO_NO_PARSE:
        check(json.starts_with("{\"kind\":\"no_parse\"") && n == 0);
        check(kalendo_result_reason(r)[0] != '\0');
        break;
    }
    // Without an anchor or a stop, the core answers the same options with
    // the same JSON text.
    if (!anchored && !(holidays && asks.stop_after != 0) && h < 24 && m < 60 && week_start < 7) {
      everyday::FullOptions full;
      full.core.default_time = TimeOfDay::hms(h, m, 0);
      full.core.locale = &EN;
      full.core.week_start = static_cast<uint8_t>(week_start);
      full.core.next_skips_today = (flags & 0x40) != 0;
      full.date_order = static_cast<everyday::DateOrder>((flags >> 3) % 4);
      const bool leap = now.second == 60;
      TimeOfDay tod = TimeOfDay::hms(now.hour, now.minute, leap ? 59 : now.second);
      tod.nanos = now.nanosecond + (leap ? kNanosPerSecond : 0);
      const DateTime moment{*day, tod};
      const HolidayFn predicate = holidays ? HolidayFn(core_holiday, nullptr) : HolidayFn();
      const Outcome core = strict ? parse_str(text, moment, {}, full.core, predicate)
                                  : everyday::parse_full(text, moment, {}, full, predicate);
      std::string want;
      write_json(to_wire(core), want);
      check(json == want);
    }
  }
  kalendo_result_free(r);

  // The scan of the same text: a list exactly when it succeeds, items in
  // text order inside the text, never overlapping, each with its answer.
  kalendo_found* found = nullptr;
  const kalendo_status searched = kalendo_search(o, text.data(), text.size(), &found);
  check((searched == KALENDO_OK) == (found != nullptr));
  if (!now_ok) check(searched == KALENDO_NOW_NOT_SET);
  if (searched == KALENDO_OK) {
    std::size_t last_end = 0;
    for (std::size_t i = 0; i < kalendo_found_count(found); ++i) {
      std::size_t start = 0, end = 0;
      check(kalendo_found_span(found, i, &start, &end) == KALENDO_OK);
      check(last_end <= start && start < end && end <= text.size());
      last_end = end;
      check(kalendo_found_result(found, i) != nullptr);
      check(kalendo_result_json(kalendo_found_result(found, i), nullptr)[0] == '{');
    }
    check(kalendo_found_result(found, kalendo_found_count(found)) == nullptr);
    check(kalendo_found_json(found, nullptr)[0] == '[');
  }
  kalendo_found_free(found);
  kalendo_options_free(o);
  return 0;
}
