// kalendo for C++: value types over the C interface, header-only.
//
// Needs C++20 (std::chrono calendar types, designated initialisers) and the
// kalendo library (kalendo::kalendo in CMake, `pkg-config kalendo`).
//
//   using namespace std::chrono;
//   kalendo::Options opts{.now = kalendo::DateTime{2024y / June / 5, 14h + 20min}};
//   auto answer = kalendo::parse("next friday at 5pm", opts);
//   if (auto* at = std::get_if<kalendo::Instant>(&answer)) ...
//
// Nothing returned needs freeing: every value owns its texts.
#ifndef KALENDO_KALENDO_HPP
#define KALENDO_KALENDO_HPP

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "kalendo/kalendo.h"

namespace kalendo {
// The library's own C++ code lives in namespace kalendo too: this inline
// namespace keeps the names of these types apart from it, so that a program
// linked with the static library has one definition of each.
inline namespace api_v1 {

// A local date and time, no zone. During a leap second `leap_second` is true
// and `time` shows the second as 59 (23:59:60.5 is 23:59:59.5 and the flag).
struct DateTime {
  std::chrono::year_month_day date{};
  std::chrono::nanoseconds time{};  // since midnight, [0, 24h)
  bool leap_second = false;

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

struct Instant {
  DateTime at{};
  float confidence = 0.0f;
  std::string interpretation{};
  friend bool operator==(const Instant&, const Instant&) = default;
};

// From the start to the end, both included. In full mode one end may be
// open: no start for "before friday", no end for "since August".
struct Range {
  std::optional<DateTime> start{};
  std::optional<DateTime> end{};
  float confidence = 0.0f;
  std::string interpretation{};
  friend bool operator==(const Range&, const Range&) = default;
};

using Reading = std::variant<Instant, Range>;

struct Ambiguous {
  std::vector<Reading> candidates{};  // most likely first
  std::string reason{};
};

struct NoParse {
  std::string reason{};
};

// A call that could not be answered: a bad option, an interrupt from the
// stop function, memory running out.
struct Failure {
  kalendo_status status = KALENDO_INTERNAL_ERROR;
  std::string message{};
};

using Outcome = std::variant<Instant, Range, Ambiguous, NoParse, Failure>;

enum class Mode { full = KALENDO_MODE_FULL, strict = KALENDO_MODE_STRICT };
enum class DateOrder {
  unset = KALENDO_ORDER_UNSET,
  mdy = KALENDO_ORDER_MDY,
  dmy = KALENDO_ORDER_DMY,
  ymd = KALENDO_ORDER_YMD,
};

// The settings of one parse; every field but `now` has a default. Every
// field has an initialiser, so designated initialisers may leave any out.
struct Options {
  std::optional<DateTime> now{};
  std::vector<std::pair<std::string, std::chrono::year_month_day>> anchors{};
  std::chrono::seconds default_time = std::chrono::hours(9);
  std::chrono::weekday week_start = std::chrono::Monday;
  bool next_skips_today = true;
  DateOrder date_order = DateOrder::unset;
  Mode mode = Mode::full;
  // Whose holidays names mean: "US", "GB", "CA", "AU", "IE" or "NZ".
  std::string region = "US";
  // Parts of the day moved from their usual hours: {"evening", 18h}.
  std::vector<std::pair<std::string, std::chrono::seconds>> day_parts{};
  // Zone abbreviations the caller maps itself ("IST").
  std::vector<std::string> zone_names{};
  // Asked for each day a business-day count passes; an exception it throws
  // ends the parse and is thrown again from kalendo::parse.
  std::function<bool(std::chrono::year_month_day)> is_holiday{};
  // Asked after each holiday question; true ends the parse with a Failure.
  std::function<bool()> stop{};
};

inline const char* version() noexcept {
  return kalendo_version();
}

namespace detail {

inline kalendo_datetime to_c(const DateTime& t) {
  using namespace std::chrono;
  const hh_mm_ss<nanoseconds> hms{t.time};
  return kalendo_datetime{static_cast<int32_t>(static_cast<int>(t.date.year())),
                          static_cast<uint8_t>(static_cast<unsigned>(t.date.month())),
                          static_cast<uint8_t>(static_cast<unsigned>(t.date.day())),
                          static_cast<uint8_t>(hms.hours().count()),
                          static_cast<uint8_t>(hms.minutes().count()),
                          static_cast<uint8_t>(hms.seconds().count() + (t.leap_second ? 1 : 0)),
                          static_cast<uint32_t>(hms.subseconds().count())};
}

inline DateTime from_c(const kalendo_datetime& t) {
  using namespace std::chrono;
  const bool leap = t.second == 60;
  return DateTime{
      year{t.year} / month{t.month} / day{t.day},
      hours{t.hour} + minutes{t.minute} + seconds{leap ? 59 : t.second} + nanoseconds{t.nanosecond},
      leap};
}

// std::chrono::year holds -32767 .. 32767; kalendo answers any year of
// -262143 .. 262142.
inline bool fits(const kalendo_reading& r) {
  return r.start.year >= -32767 && r.start.year <= 32767 && r.end.year >= -32767 &&
         r.end.year <= 32767;
}

inline Failure beyond_chrono() {
  return Failure{KALENDO_INVALID_DATE,
                 "the answer lies outside the years -32767 to 32767 of std::chrono::year"};
}

inline Reading reading(const kalendo_reading& r, unsigned open_ends) {
  if (r.is_range) {
    Range range{from_c(r.start), from_c(r.end), r.confidence, r.interpretation};
    if ((open_ends & KALENDO_OPEN_START) != 0) range.start.reset();
    if ((open_ends & KALENDO_OPEN_END) != 0) range.end.reset();
    return range;
  }
  return Instant{from_c(r.start), r.confidence, r.interpretation};
}

// Owns a C handle for the length of one call.
template <typename T, void (*Free)(T*)>
struct Handle {
  T* p = nullptr;
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Free(p); }
};

// The C++ callables behind the C callbacks; an exception is kept and thrown
// again once the C call has returned.
struct Callbacks {
  const Options* options;
  std::exception_ptr error;

  static int holiday(void* user, int32_t y, unsigned m, unsigned d) {
    auto* self = static_cast<Callbacks*>(user);
    if (self->error) return 0;
    try {
      return self->options->is_holiday(std::chrono::year{y} / std::chrono::month{m} /
                                       std::chrono::day{d})
                 ? 1
                 : 0;
    } catch (...) {
      self->error = std::current_exception();
      return 0;
    }
  }
  static int stop(void* user) {
    auto* self = static_cast<Callbacks*>(user);
    if (self->error) return 1;
    if (!self->options->stop) return 0;
    try {
      return self->options->stop() ? 1 : 0;
    } catch (...) {
      self->error = std::current_exception();
      return 1;
    }
  }
};

inline Failure failure(kalendo_status status) {
  return Failure{status, kalendo_last_error()};
}

inline std::string iso_date(std::chrono::year_month_day d) {
  const int y = static_cast<int>(d.year());
  std::string s = y < 0 ? "-" : (y > 9999 ? "+" : "");
  std::string digits = std::to_string(y < 0 ? -y : y);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  s += digits;
  for (unsigned part : {static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day())}) {
    s += '-';
    s += static_cast<char>('0' + part / 10);
    s += static_cast<char>('0' + part % 10);
  }
  return s;
}

}  // namespace detail

// One expression found by kalendo::search: byte offsets into the text
// searched (end one past its last byte) and its answer.
struct Found {
  std::size_t start = 0;
  std::size_t end = 0;
  Outcome outcome{};
};

namespace detail {
using OptionsHandle = Handle<kalendo_options, kalendo_options_free>;

// Fills a C options handle from `options`; KALENDO_OK or the first failure.
inline std::optional<Failure> fill(OptionsHandle& opts, const Options& options,
                                   Callbacks& callbacks) {
  using namespace std::chrono;
  kalendo_status s = kalendo_options_new(&opts.p);
  if (s != KALENDO_OK) return failure(s);
  if (options.now) {
    // The C fields cannot carry a time outside the day, nor a leap second
    // anywhere but at second 59.
    const nanoseconds t = options.now->time;
    if (t < 0ns || t >= days{1} ||
        (options.now->leap_second && hh_mm_ss<nanoseconds>{t}.seconds() != 59s)) {
      return Failure{KALENDO_INVALID_DATE, "invalid `now` datetime: a field is out of range"};
    }
    s = kalendo_options_set_now_fields(opts.p, to_c(*options.now));
  }
  for (const auto& [name, date] : options.anchors) {
    if (s != KALENDO_OK) break;
    s = kalendo_options_set_anchor(opts.p, name.c_str(), iso_date(date).c_str());
  }
  // A time of day as the C setters take it, or none outside the day.
  const auto clock = [](seconds t) -> std::optional<hh_mm_ss<seconds>> {
    if (t < seconds{0} || t >= days{1}) return std::nullopt;
    return hh_mm_ss<seconds>{t};
  };
  const auto hms = clock(options.default_time);
  if (s == KALENDO_OK && !hms) return Failure{KALENDO_INVALID_ARGUMENT, "invalid default_time"};
  if (s == KALENDO_OK) {
    s = kalendo_options_set_default_time(opts.p, static_cast<unsigned>(hms->hours().count()),
                                         static_cast<unsigned>(hms->minutes().count()),
                                         static_cast<unsigned>(hms->seconds().count()));
  }
  if (s == KALENDO_OK)
    s = kalendo_options_set_week_start(opts.p, options.week_start.iso_encoding() - 1);
  if (s == KALENDO_OK) s = kalendo_options_set_next_skips_today(opts.p, options.next_skips_today);
  if (s == KALENDO_OK) {
    s = kalendo_options_set_date_order(opts.p, static_cast<kalendo_date_order>(options.date_order));
  }
  if (s == KALENDO_OK)
    s = kalendo_options_set_mode(opts.p, static_cast<kalendo_mode>(options.mode));
  if (s == KALENDO_OK) s = kalendo_options_set_region(opts.p, options.region.c_str());
  for (const auto& [name, at] : options.day_parts) {
    if (s != KALENDO_OK) break;
    const auto part = clock(at);
    if (!part) return Failure{KALENDO_INVALID_ARGUMENT, "day part time out of range"};
    s = kalendo_options_set_day_part(opts.p, name.c_str(),
                                     static_cast<unsigned>(part->hours().count()),
                                     static_cast<unsigned>(part->minutes().count()),
                                     static_cast<unsigned>(part->seconds().count()));
  }
  for (const std::string& zone : options.zone_names) {
    if (s != KALENDO_OK) break;
    s = kalendo_options_add_zone_name(opts.p, zone.c_str());
  }
  if (s == KALENDO_OK && options.is_holiday) {
    s = kalendo_options_set_holidays(opts.p, Callbacks::holiday, Callbacks::stop, &callbacks);
  }
  if (s != KALENDO_OK) return failure(s);
  return std::nullopt;
}

// The outcome a C result holds, as values.
inline Outcome outcome(const kalendo_result* result) {
  switch (kalendo_result_kind(result)) {
    case KALENDO_INSTANT:
    case KALENDO_RANGE: {
      kalendo_reading r;
      const kalendo_status s = kalendo_result_reading(result, &r);
      if (s != KALENDO_OK) return failure(s);
      if (!fits(r)) return beyond_chrono();
      Reading one = reading(r, kalendo_result_open_ends(result));
      if (auto* i = std::get_if<Instant>(&one)) return std::move(*i);
      return std::get<Range>(std::move(one));
    }
    case KALENDO_AMBIGUOUS: {
      Ambiguous a{{}, kalendo_result_reason(result)};
      const size_t n = kalendo_result_candidate_count(result);
      a.candidates.reserve(n);
      for (size_t i = 0; i < n; ++i) {
        kalendo_reading r;
        const kalendo_status s = kalendo_result_candidate(result, i, &r);
        if (s != KALENDO_OK) return failure(s);
        if (!fits(r)) return beyond_chrono();
        a.candidates.push_back(reading(r, kalendo_result_candidate_open_ends(result, i)));
      }
      return a;
    }
    case KALENDO_NO_PARSE:
      break;
  }
  return NoParse{kalendo_result_reason(result)};
}
}  // namespace detail

// Resolves a UTF-8 text. A text that is not a date is a NoParse, not a
// Failure; a Failure means the call itself could not be answered, or that
// an answer lies beyond the years std::chrono::year holds.
inline Outcome parse(std::string_view text, const Options& options) {
  detail::OptionsHandle opts;
  detail::Callbacks callbacks{&options, nullptr};
  if (auto bad = detail::fill(opts, options, callbacks)) return std::move(*bad);
  detail::Handle<kalendo_result, kalendo_result_free> result;
  const kalendo_status s = kalendo_parse(opts.p, text.data(), text.size(), &result.p);
  if (callbacks.error) std::rethrow_exception(callbacks.error);
  if (s != KALENDO_OK) return detail::failure(s);
  return detail::outcome(result.p);
}

// Finds the date expressions of a running UTF-8 text, in text order. A call
// that cannot be answered gives one Found spanning nothing whose outcome is
// the Failure.
inline std::vector<Found> search(std::string_view text, const Options& options) {
  detail::OptionsHandle opts;
  detail::Callbacks callbacks{&options, nullptr};
  if (auto bad = detail::fill(opts, options, callbacks)) return {Found{0, 0, std::move(*bad)}};
  detail::Handle<kalendo_found, kalendo_found_free> found;
  const kalendo_status s = kalendo_search(opts.p, text.data(), text.size(), &found.p);
  if (callbacks.error) std::rethrow_exception(callbacks.error);
  if (s != KALENDO_OK) return {Found{0, 0, detail::failure(s)}};
  std::vector<Found> items(kalendo_found_count(found.p));
  for (std::size_t i = 0; i < items.size(); ++i) {
    kalendo_found_span(found.p, i, &items[i].start, &items[i].end);
    items[i].outcome = detail::outcome(kalendo_found_result(found.p, i));
  }
  return items;
}
}  // namespace api_v1
}  // namespace kalendo

#endif  // KALENDO_KALENDO_HPP
