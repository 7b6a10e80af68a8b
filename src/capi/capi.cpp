// The C interface: a thin shell over the parse core. Every entry catches
// everything, so no C++ exception reaches a C caller; a failure becomes a
// status and a message in the calling thread's last-error slot.
#include "kalendo/kalendo.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "config.h"
#include "dates.h"
#include "everyday/mod.h"
#include "iso_parse.h"
#include "locale.h"
#include "parse.h"
#include "quote.h"
#include "search/search.h"
#include "tokenize.h"
#include "types.h"
#include "unicode.h"

struct kalendo_options {
  kalendo::everyday::FullOptions full;
  std::optional<kalendo::DateTime> now;
  // The caller's names by their words, in the order first given: (words one
  // space apart, spelling as the text reads it, date).
  struct Named {
    std::string key;
    std::string spelling;
    kalendo::Date date;
  };
  std::vector<Named> named;
  kalendo::AnchorMap anchors;  // both forms of every name, for the core
  kalendo_holiday_fn is_holiday = nullptr;
  kalendo_stop_fn stop = nullptr;
  void* user = nullptr;
  kalendo_mode mode = KALENDO_MODE_FULL;
};

struct kalendo_result {
  kalendo::Outcome outcome;
  std::string json;
};

struct kalendo_found {
  struct Item {
    std::size_t start = 0;  // bytes
    std::size_t end = 0;
    kalendo_result result;
  };
  std::vector<Item> items;
  std::string json;
};

namespace {

using namespace kalendo;

thread_local std::string t_last_error;

// A failure on its way out: the status and its message.
struct Failure {
  kalendo_status status;
  std::string message;
};

kalendo_status fail(kalendo_status status, std::string_view message) {
  try {
    t_last_error.assign(message);
  } catch (...) {
    t_last_error.clear();
  }
  return status;
}

// Runs one entry: clears the last error, converts whatever escapes the body
// into a status. The body returns KALENDO_OK or a Failure.
template <typename Body>
kalendo_status guarded(Body&& body) {
  t_last_error.clear();
  try {
    std::optional<Failure> failure = body();
    if (!failure) return KALENDO_OK;
    return fail(failure->status, failure->message);
  } catch (const std::bad_alloc&) {
    return fail(KALENDO_OUT_OF_MEMORY, "out of memory");
  } catch (const std::exception& e) {
    return fail(KALENDO_INTERNAL_ERROR, e.what());
  } catch (...) {
    return fail(KALENDO_INTERNAL_ERROR, "unknown internal failure");
  }
}

std::optional<Failure> null_argument(const char* what) {
  return Failure{KALENDO_INVALID_ARGUMENT, std::string(what) + " is NULL"};
}

// The number a C caller passed for an enumeration, read as its bytes: a C
// caller may pass any int, and loading one outside the enumerators as the
// enumeration type is undefined in C++.
template <typename Enum>
int raw_value(const Enum& e) {
  std::underlying_type_t<Enum> v;
  std::memcpy(&v, &e, sizeof v);
  return static_cast<int>(v);
}

bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const uni::Decoded d = uni::decode_utf8(s, i);
    if (d.cp == 0xFFFD && d.len == 1) return false;
    i += d.len;
  }
  return true;
}

// A name as a text reads it: lower-case, the marks , . ! ? ; ( ) " and the
// hyphen as spaces, trimmed; "Q.A. sign-off" reads "q a  sign off".
std::string anchor_spelling(std::string_view name) {
  std::string lowered;
  uni::to_lower(name, lowered);
  for (char& c : lowered) {
    if (std::string_view(",.!?;()\"-").find(c) != std::string_view::npos) c = ' ';
  }
  return std::string(uni::trim_white_space(lowered));
}

// The words of a spelling one space apart: "q a sign off".
std::string anchor_key(std::string_view spelling) {
  std::string key;
  for (std::size_t i = 0; i < spelling.size();) {
    if (const std::size_t n = uni::white_space_len(spelling, i)) {
      if (key.empty() || key.back() != ' ') key += ' ';
      i += n;
    } else {
      key += spelling[i++];
    }
  }
  return key;
}

// Rebuilds the core's map: the words one space apart match a text that
// writes them so ("go-live", "go live"); the spelling, when it differs, a
// text that writes the name as given.
void rebuild_anchors(kalendo_options& o) {
  std::vector<std::pair<std::string, Date>> entries;
  entries.reserve(2 * o.named.size());
  for (const auto& n : o.named) {
    entries.emplace_back(n.key, n.date);
    if (n.spelling != n.key) entries.emplace_back(n.spelling, n.date);
  }
  o.anchors = make_anchor_map(std::move(entries));
}

kalendo_datetime to_c(DateTime t) {
  const Civil c = t.date.civil();
  const bool leap = t.time.nanos >= kNanosPerSecond;
  return kalendo_datetime{c.year,
                          static_cast<uint8_t>(c.month),
                          static_cast<uint8_t>(c.day),
                          static_cast<uint8_t>(t.time.hour()),
                          static_cast<uint8_t>(t.time.minute()),
                          static_cast<uint8_t>(t.time.second()),
                          leap ? t.time.nanos - kNanosPerSecond : t.time.nanos};
}

// Builds a moment from fields, as the ISO reader would: second 60 is a leap
// second, carried as 59 with a whole extra second of fraction.
std::optional<DateTime> from_c(const kalendo_datetime& f) {
  if (f.hour > 23 || f.minute > 59 || f.second > 60 || f.nanosecond >= kNanosPerSecond) {
    return std::nullopt;
  }
  const std::optional<Date> d = Date::from_ymd(f.year, f.month, f.day);
  if (!d) return std::nullopt;
  const bool leap = f.second == 60;
  const uint32_t second = leap ? 59u : f.second;
  TimeOfDay tod = TimeOfDay::hms(f.hour, f.minute, second);
  tod.nanos = f.nanosecond + (leap ? kNanosPerSecond : 0);
  return DateTime{*d, tod};
}

// The field of an open end holds the other end, so that no caller ever
// reads a moment the answer does not name.
kalendo_reading reading_of(const Resolution& r) {
  const Value& v = r.value;
  const DateTime start = v.open_start ? v.end : v.start;
  const DateTime end = v.open_end ? v.start : v.end;
  return kalendo_reading{v.is_range() ? 1 : 0, to_c(start), to_c(end), r.confidence,
                         r.interpretation.c_str()};
}

unsigned open_ends_of(const Value& v) {
  return (v.open_start ? KALENDO_OPEN_START : 0u) | (v.open_end ? KALENDO_OPEN_END : 0u);
}

bool single(const kalendo_result* r) {
  return r != nullptr && r->outcome.kind == Outcome::Kind::Resolved;
}

// One parse's bridge from the core's predicate to the caller's callbacks.
// Once the stop function has said stop, it is not asked again.
struct HolidayCall {
  const kalendo_options* options;
  bool stopped = false;
};

bool ask_holiday(void* context, Date d) {
  const auto* call = static_cast<const HolidayCall*>(context);
  const kalendo_options* o = call->options;
  if (call->stopped) return false;
  const Civil c = d.civil();
  return o->is_holiday(o->user, c.year, c.month, c.day) != 0;
}

bool ask_stop(void* context) {
  auto* call = static_cast<HolidayCall*>(context);
  if (!call->stopped && call->options->stop != nullptr) {
    call->stopped = call->options->stop(call->options->user) != 0;
  }
  return call->stopped;
}

// The checks every call that reads a text makes first: the options, the
// moment, the text's encoding, and anchor names that could not be marked.
std::optional<Failure> check_call(const kalendo_options* options, const char* text, size_t length) {
  if (options == nullptr) return null_argument("options");
  if (text == nullptr && length != 0) return null_argument("text");
  if (!options->now) {
    return Failure{KALENDO_NOW_NOT_SET,
                   "the current moment is not set: call kalendo_options_set_now first"};
  }
  const std::string_view view = length == 0 ? std::string_view() : std::string_view(text, length);
  if (!valid_utf8(view)) return Failure{KALENDO_INVALID_ARGUMENT, "text is not valid UTF-8"};
  // Names that match inside one another's markers would grow the text
  // past the tokenizer's bound; refused as the Python module refuses them.
  if (!options->anchors.empty()) {
    std::vector<std::string_view> names;
    names.reserve(options->anchors.size());
    for (const auto& entry : options->anchors)
      names.push_back(entry.first);
    if (!anchor_markers_fit(uni::trim_white_space(view), names)) {
      return Failure{KALENDO_INVALID_ARGUMENT,
                     "anchor names match inside the markers of other anchor names and would "
                     "grow the text without bound; avoid names that begin with a digit"};
    }
  }
  return std::nullopt;
}

// Without a predicate, business days are counted arithmetically and
// nothing is asked, the stop function included.
HolidayFn predicate_for(const kalendo_options* options, HolidayCall& call) {
  return options->is_holiday != nullptr ? HolidayFn(ask_holiday, &call, ask_stop) : HolidayFn();
}

}  // namespace

extern "C" {

const char* kalendo_version(void) {
  return KALENDO_VERSION_STRING;
}

const char* kalendo_status_text(kalendo_status status) {
  switch (raw_value(status)) {
    case KALENDO_OK:
      return "success";
    case KALENDO_INVALID_ARGUMENT:
      return "invalid argument";
    case KALENDO_INVALID_DATE:
      return "invalid date";
    case KALENDO_NOW_NOT_SET:
      return "the current moment is not set";
    case KALENDO_INTERRUPTED:
      return "interrupted by the stop function";
    case KALENDO_OUT_OF_MEMORY:
      return "out of memory";
    case KALENDO_INTERNAL_ERROR:
      return "internal error";
    case KALENDO_NO_SUCH_END:
      return "the range has no such end";
  }
  return "unknown status";
}

const char* kalendo_last_error(void) {
  return t_last_error.c_str();
}

kalendo_status kalendo_options_new(kalendo_options** out) {
  return guarded([&]() -> std::optional<Failure> {
    if (out == nullptr) return null_argument("out");
    *out = nullptr;
    auto* o = new kalendo_options;
    o->full.core.default_time = TimeOfDay::hms(9, 0, 0);
    o->full.core.locale = &EN;
    o->full.core.next_skips_today = true;
    *out = o;
    return std::nullopt;
  });
}

void kalendo_options_free(kalendo_options* options) {
  delete options;
}

kalendo_status kalendo_options_set_now(kalendo_options* options, const char* iso) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (iso == nullptr) return null_argument("now");
    const IsoResult<DateTime> parsed = parse_iso_date_time(iso);
    if (const auto* e = std::get_if<IsoError>(&parsed)) {
      return Failure{KALENDO_INVALID_DATE,
                     "invalid `now` datetime: " + std::string(iso_error_text(*e))};
    }
    options->now = std::get<DateTime>(parsed);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_now_fields(kalendo_options* options, kalendo_datetime now) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    const std::optional<DateTime> t = from_c(now);
    if (!t) return Failure{KALENDO_INVALID_DATE, "invalid `now` datetime: a field is out of range"};
    options->now = *t;
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_anchor(kalendo_options* options, const char* name,
                                          const char* iso_date) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (name == nullptr) return null_argument("name");
    if (iso_date == nullptr) return null_argument("iso_date");
    if (!valid_utf8(name)) {
      return Failure{KALENDO_INVALID_ARGUMENT, "anchor name is not valid UTF-8"};
    }
    const IsoResult<Date> date = parse_iso_date(iso_date);
    if (const auto* e = std::get_if<IsoError>(&date)) {
      std::string message = "invalid anchor date for ";
      append_quoted(message, name);
      message += ": ";
      message += iso_error_text(*e);
      return Failure{KALENDO_INVALID_DATE, std::move(message)};
    }
    std::string spelling = anchor_spelling(name);
    std::string key = anchor_key(spelling);
    if (key.empty()) {
      std::string message = "the anchor name ";
      append_quoted(message, name);
      message += " has no word that a text could name";
      return Failure{KALENDO_INVALID_ARGUMENT, std::move(message)};
    }
    // Of two names with the same words the later wins, in the place of the first.
    auto same = std::find_if(options->named.begin(), options->named.end(),
                             [&](const kalendo_options::Named& n) { return n.key == key; });
    if (same != options->named.end()) {
      same->spelling = std::move(spelling);
      same->date = std::get<Date>(date);
    } else {
      options->named.push_back({std::move(key), std::move(spelling), std::get<Date>(date)});
    }
    rebuild_anchors(*options);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_clear_anchors(kalendo_options* options) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    options->named.clear();
    options->anchors.clear();
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_default_time(kalendo_options* options, unsigned hour,
                                                unsigned minute, unsigned second) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (hour >= 24 || minute >= 60 || second >= 60) {
      return Failure{KALENDO_INVALID_ARGUMENT, "invalid default_time"};
    }
    options->full.core.default_time = TimeOfDay::hms(hour, minute, second);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_week_start(kalendo_options* options, unsigned weekday) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (weekday >= 7) {
      return Failure{KALENDO_INVALID_ARGUMENT, "week_start must be 0 (Mon) .. 6 (Sun)"};
    }
    options->full.core.week_start = static_cast<uint8_t>(weekday);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_next_skips_today(kalendo_options* options, int skip) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    options->full.core.next_skips_today = skip != 0;
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_holidays(kalendo_options* options, kalendo_holiday_fn is_holiday,
                                            kalendo_stop_fn stop, void* user) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    options->is_holiday = is_holiday;
    options->stop = stop;
    options->user = user;
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_date_order(kalendo_options* options, kalendo_date_order order) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    using everyday::DateOrder;
    switch (raw_value(order)) {
      case KALENDO_ORDER_UNSET:
        options->full.date_order = DateOrder::Unset;
        return std::nullopt;
      case KALENDO_ORDER_MDY:
        options->full.date_order = DateOrder::MDY;
        return std::nullopt;
      case KALENDO_ORDER_DMY:
        options->full.date_order = DateOrder::DMY;
        return std::nullopt;
      case KALENDO_ORDER_YMD:
        options->full.date_order = DateOrder::YMD;
        return std::nullopt;
    }
    return Failure{KALENDO_INVALID_ARGUMENT, "unknown date order"};
  });
}

kalendo_status kalendo_options_set_mode(kalendo_options* options, kalendo_mode mode) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    const int raw = raw_value(mode);
    if (raw != KALENDO_MODE_FULL && raw != KALENDO_MODE_STRICT) {
      return Failure{KALENDO_INVALID_ARGUMENT, "unknown mode"};
    }
    options->mode = static_cast<kalendo_mode>(raw);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_region(kalendo_options* options, const char* region) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (region == nullptr) return null_argument("region");
    const std::optional<everyday::Region> r = everyday::holidays::region_named(region);
    if (!r) {
      std::string message = "region must be one of US, GB, CA, AU, IE or NZ, not ";
      append_quoted(message, region);
      return Failure{KALENDO_INVALID_ARGUMENT, std::move(message)};
    }
    options->full.region = *r;
    return std::nullopt;
  });
}

kalendo_status kalendo_options_set_day_part(kalendo_options* options, const char* name,
                                            unsigned hour, unsigned minute, unsigned second) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (name == nullptr) return null_argument("name");
    const auto* names = std::begin(everyday::kDayPartNames);
    const auto* part = std::find(names, std::end(everyday::kDayPartNames), std::string_view(name));
    if (part == std::end(everyday::kDayPartNames)) {
      std::string message = "unknown part of the day ";
      append_quoted(message, name);
      message += " (known: morning, lunch, afternoon, evening, tonight, night, eod)";
      return Failure{KALENDO_INVALID_ARGUMENT, std::move(message)};
    }
    if (hour >= 24 || minute >= 60 || second >= 60) {
      return Failure{KALENDO_INVALID_ARGUMENT, "day part time out of range"};
    }
    options->full.day_parts[static_cast<std::size_t>(part - names)] =
        TimeOfDay::hms(hour, minute, second);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_add_zone_name(kalendo_options* options, const char* abbreviation) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    if (abbreviation == nullptr) return null_argument("abbreviation");
    const std::string_view name(abbreviation);
    if (!valid_utf8(name)) {
      return Failure{KALENDO_INVALID_ARGUMENT, "zone name is not valid UTF-8"};
    }
    bool spaced = name.empty();
    for (std::size_t i = 0; i < name.size() && !spaced;) {
      spaced = uni::white_space_len(name, i) != 0;
      i += uni::decode_utf8(name, i).len;
    }
    if (spaced) {
      std::string message = "zone name ";
      append_quoted(message, abbreviation);
      message += " must be one word";
      return Failure{KALENDO_INVALID_ARGUMENT, std::move(message)};
    }
    options->full.zone_names.emplace_back(name);
    return std::nullopt;
  });
}

kalendo_status kalendo_options_clear_zone_names(kalendo_options* options) {
  return guarded([&]() -> std::optional<Failure> {
    if (options == nullptr) return null_argument("options");
    options->full.zone_names.clear();
    return std::nullopt;
  });
}

kalendo_status kalendo_parse(const kalendo_options* options, const char* text, size_t length,
                             kalendo_result** out) {
  return guarded([&]() -> std::optional<Failure> {
    if (out == nullptr) return null_argument("out");
    *out = nullptr;
    if (auto bad = check_call(options, text, length)) return bad;
    const std::string_view view = length == 0 ? std::string_view() : std::string_view(text, length);
    HolidayCall call{options};
    const HolidayFn predicate = predicate_for(options, call);
    auto result = std::make_unique<kalendo_result>();
    result->outcome =
        options->mode == KALENDO_MODE_STRICT
            ? parse_str(view, *options->now, options->anchors, options->full.core, predicate)
            : everyday::parse_full(view, *options->now, options->anchors, options->full, predicate);
    // The answer of a stopped walk is not an answer.
    if (call.stopped) {
      return Failure{KALENDO_INTERRUPTED, "the stop function ended the parse"};
    }
    write_json(to_wire(result->outcome), result->json);
    *out = result.release();
    return std::nullopt;
  });
}

kalendo_status kalendo_search(const kalendo_options* options, const char* text, size_t length,
                              kalendo_found** out) {
  return guarded([&]() -> std::optional<Failure> {
    if (out == nullptr) return null_argument("out");
    *out = nullptr;
    if (auto bad = check_call(options, text, length)) return bad;
    const std::string_view view = length == 0 ? std::string_view() : std::string_view(text, length);
    HolidayCall call{options};
    const search::Request request{*options->now, options->anchors, options->full,
                                  options->mode == KALENDO_MODE_STRICT,
                                  predicate_for(options, call)};
    std::vector<search::Found> items = search::find_dates(view, request);
    // A stopped scan ends early: what it found is not the whole answer.
    if (call.stopped) {
      return Failure{KALENDO_INTERRUPTED, "the stop function ended the search"};
    }
    auto found = std::make_unique<kalendo_found>();
    found->items.reserve(items.size());
    found->json += '[';
    for (search::Found& f : items) {
      kalendo_found::Item& item = found->items.emplace_back();
      item.start = f.byte_start;
      item.end = f.byte_end;
      item.result.outcome = std::move(f.outcome);
      write_json(to_wire(item.result.outcome), item.result.json);
      if (found->json.size() > 1) found->json += ',';
      found->json += '[';
      found->json += std::to_string(item.start);
      found->json += ',';
      found->json += std::to_string(item.end);
      found->json += ',';
      found->json += item.result.json;
      found->json += ']';
    }
    found->json += ']';
    *out = found.release();
    return std::nullopt;
  });
}

void kalendo_found_free(kalendo_found* found) {
  delete found;
}

size_t kalendo_found_count(const kalendo_found* found) {
  return found == nullptr ? 0 : found->items.size();
}

kalendo_status kalendo_found_span(const kalendo_found* found, size_t index, size_t* start,
                                  size_t* end) {
  return guarded([&]() -> std::optional<Failure> {
    if (found == nullptr) return null_argument("found");
    if (start == nullptr) return null_argument("start");
    if (end == nullptr) return null_argument("end");
    if (index >= found->items.size()) {
      return Failure{KALENDO_INVALID_ARGUMENT, "item index out of range"};
    }
    *start = found->items[index].start;
    *end = found->items[index].end;
    return std::nullopt;
  });
}

const kalendo_result* kalendo_found_result(const kalendo_found* found, size_t index) {
  if (found == nullptr || index >= found->items.size()) return nullptr;
  return &found->items[index].result;
}

const char* kalendo_found_json(const kalendo_found* found, size_t* length) {
  if (found == nullptr) {
    if (length != nullptr) *length = 0;
    return "";
  }
  if (length != nullptr) *length = found->json.size();
  return found->json.c_str();
}

void kalendo_result_free(kalendo_result* result) {
  delete result;
}

kalendo_kind kalendo_result_kind(const kalendo_result* result) {
  if (result == nullptr) return KALENDO_NO_PARSE;
  switch (result->outcome.kind) {
    case Outcome::Kind::Resolved:
      return result->outcome.reading.value.is_range() ? KALENDO_RANGE : KALENDO_INSTANT;
    case Outcome::Kind::Ambiguous:
      return KALENDO_AMBIGUOUS;
    case Outcome::Kind::NoParse:
      break;
  }
  return KALENDO_NO_PARSE;
}

kalendo_status kalendo_result_reading(const kalendo_result* result, kalendo_reading* out) {
  return guarded([&]() -> std::optional<Failure> {
    if (out == nullptr) return null_argument("out");
    if (!single(result)) {
      return Failure{KALENDO_INVALID_ARGUMENT, "the result is not an instant or a range"};
    }
    *out = reading_of(result->outcome.reading);
    return std::nullopt;
  });
}

kalendo_status kalendo_result_start(const kalendo_result* result, kalendo_datetime* out) {
  if (out == nullptr) return fail(KALENDO_INVALID_ARGUMENT, "out is NULL");
  kalendo_reading r;
  const kalendo_status status = kalendo_result_reading(result, &r);
  if (status != KALENDO_OK) return status;
  if (result->outcome.reading.value.open_start) {
    return fail(KALENDO_NO_SUCH_END, "the range has no start");
  }
  *out = r.start;
  return status;
}

kalendo_status kalendo_result_end(const kalendo_result* result, kalendo_datetime* out) {
  if (out == nullptr) return fail(KALENDO_INVALID_ARGUMENT, "out is NULL");
  kalendo_reading r;
  const kalendo_status status = kalendo_result_reading(result, &r);
  if (status != KALENDO_OK) return status;
  if (result->outcome.reading.value.open_end)
    return fail(KALENDO_NO_SUCH_END, "the range has no end");
  *out = r.end;
  return status;
}

unsigned kalendo_result_open_ends(const kalendo_result* result) {
  return single(result) ? open_ends_of(result->outcome.reading.value) : 0u;
}

unsigned kalendo_result_candidate_open_ends(const kalendo_result* result, size_t index) {
  if (result == nullptr || index >= result->outcome.candidates.size()) return 0u;
  return open_ends_of(result->outcome.candidates[index].value);
}

float kalendo_result_confidence(const kalendo_result* result) {
  return single(result) ? result->outcome.reading.confidence : 0.0f;
}

const char* kalendo_result_interpretation(const kalendo_result* result) {
  return single(result) ? result->outcome.reading.interpretation.c_str() : "";
}

const char* kalendo_result_reason(const kalendo_result* result) {
  return result == nullptr ? "" : result->outcome.reason.c_str();
}

size_t kalendo_result_candidate_count(const kalendo_result* result) {
  return result == nullptr ? 0 : result->outcome.candidates.size();
}

kalendo_status kalendo_result_candidate(const kalendo_result* result, size_t index,
                                        kalendo_reading* out) {
  return guarded([&]() -> std::optional<Failure> {
    if (out == nullptr) return null_argument("out");
    if (result == nullptr) return null_argument("result");
    if (index >= result->outcome.candidates.size()) {
      return Failure{KALENDO_INVALID_ARGUMENT, "candidate index out of range"};
    }
    *out = reading_of(result->outcome.candidates[index]);
    return std::nullopt;
  });
}

const char* kalendo_result_json(const kalendo_result* result, size_t* length) {
  if (result == nullptr) {
    if (length != nullptr) *length = 0;
    return "";
  }
  if (length != nullptr) *length = result->json.size();
  return result->json.c_str();
}

}  // extern "C"
