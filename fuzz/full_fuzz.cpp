// Fuzzes full mode: any text, any moment of the supported years, any date
// order and options. Checks the promises every outcome keeps, and that full
// mode gives the core grammar's answer whenever the core read the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "everyday/mod.h"
#include "fuzz_input.h"
#include "locale.h"
#include "parse.h"
#include "types.h"
#include "unicode.h"

namespace {

using namespace kalendo;

void check(bool ok) {
  if (!ok) std::abort();
}

// An open end belongs to a range only, and a range keeps at least one end.
void check_reading(const Resolution& r) {
  check(r.confidence >= 0.05f && r.confidence <= 1.0f);
  check(!r.value.is_range() || r.value.start <= r.value.end);
  check(r.value.is_range() || (!r.value.open_start && !r.value.open_end));
  check(!r.value.open_start || !r.value.open_end);
  check(!r.interpretation.empty());
}

std::string json_of(Outcome o) {
  std::string json;
  write_json(to_wire(std::move(o)), json);
  return json;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::ByteReader in(data, size);
  const uint64_t flags = in.u(1);
  constexpr uint64_t kSpan = static_cast<uint64_t>(kMaxDays - kMinDays) + 1;
  const uint64_t day = in.u(4);
  // The first and last supported days, and the present era, get extra weight.
  const Date today = day == 0            ? Date{kMinDays}
                     : day == 1          ? Date{kMaxDays}
                     : day < 0x80000000u ? Date{static_cast<int64_t>(day % 60000)}
                                         : Date{kMinDays + static_cast<int64_t>(day % kSpan)};
  const DateTime now{today, TimeOfDay{static_cast<uint32_t>(in.u(3) % 86400), 0}};

  everyday::FullOptions opts;
  opts.core.default_time = TimeOfDay{static_cast<uint32_t>(in.u(2) * 2 % 86400), 0};
  opts.core.locale = &EN;
  opts.core.week_start = static_cast<uint8_t>(flags % 7);
  opts.core.next_skips_today = (flags & 0x80) != 0;
  opts.date_order = static_cast<everyday::DateOrder>((flags >> 3) % 4);
  // US, GB, AU or NZ: a fixed, a varying and a missing rule of one name.
  opts.region = static_cast<everyday::Region>((flags >> 5 & 3) * 5 / 3);

  if ((flags & 0x40) != 0) opts.zone_names.push_back("IST");
  opts.day_parts[static_cast<std::size_t>(flags % 7)] =
      TimeOfDay{static_cast<uint32_t>(in.u(2) * 2 % 86400), 0};

  const std::string_view text = in.rest();
  const Outcome o = everyday::parse_full(text, now, {}, opts, {});
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      check(o.candidates.empty());
      check_reading(o.reading);
      break;
    case Outcome::Kind::Ambiguous:
      // No candidates only for an anchor the caller did not pass.
      check(!o.candidates.empty() || o.reason.starts_with("unknown anchor "));
      break;
    case Outcome::Kind::NoParse:
      check(o.candidates.empty() && !o.reason.empty());
      break;
  }
  for (const Resolution& r : o.candidates)
    check_reading(r);
  const std::string full = json_of(o);
  std::string direct;
  write_json(o, direct);
  check(direct == full);
  const Outcome core = parse_str(text, now, {}, opts.core, {});
  // The core grammar never leaves an end open.
  check(core.kind != Outcome::Kind::Resolved ||
        (!core.reading.value.open_start && !core.reading.value.open_end));
  // A word with a sign before a digit ("-3 days", "17:00 +02:00") is the one
  // place where full mode may replace a reading of the core, and a missing
  // anchor that a holiday's name completes the one answer it may complete.
  // Read on the text as full mode reads it, without its white space at
  // either end: a sign after a leading tab or line feed starts the text.
  const std::string_view trimmed = uni::trim_white_space(text);
  bool signed_word = false;
  for (std::size_t i = 0; i + 1 < trimmed.size(); ++i) {
    signed_word = signed_word ||
                  ((trimmed[i] == '-' || trimmed[i] == '+') && (i == 0 || trimmed[i - 1] == ' ') &&
                   trimmed[i + 1] >= '0' && trimmed[i + 1] <= '9');
  }
  // A dash between words or a length ("3:30-4:30pm", "16h for 30 mins")
  // lets a whole interval replace the core's reading of one end.
  const bool joined = everyday::intervals::may_join(text);
  const bool lacks_anchor = core.kind == Outcome::Kind::Ambiguous && core.candidates.empty();
  if (!lacks_anchor && (core.kind != Outcome::Kind::NoParse ||
                        !core.reason.starts_with("no grammar rule matched "))) {
    check(full == json_of(core) || (signed_word && o.kind == Outcome::Kind::Resolved) ||
          (joined && o.kind == Outcome::Kind::Resolved && o.reading.value.is_range()));
  }
  return 0;
}
