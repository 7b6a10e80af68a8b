// The configuration context every matcher reads: the caller's settings, the
// anchors, the holiday predicate, the current moment and the time of day
// that date results carry.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dates.h"

namespace kalendo {

struct Locale;

struct Options {
  TimeOfDay default_time;
  const Locale* locale = nullptr;
  uint8_t week_start = 0;  // 0 Monday .. 6 Sunday
  bool next_skips_today = false;
};

// A borrowed, non-owning "is this date a holiday?" callable: a function
// pointer with its context. The empty state means "no predicate", so that
// business-day walks can count weekdays arithmetically without asking. The
// optional stop function lets the caller end a long walk from outside (an
// interrupt that arrived while the predicate ran).
class HolidayFn {
 public:
  using Fn = bool (*)(void* context, Date d);
  // Returns true once the caller wants the call to end at once (an interrupt
  // arrived); a walk then stops and its answer is discarded by the caller.
  using StopFn = bool (*)(void* context);

  HolidayFn() = default;
  HolidayFn(Fn fn, void* context, StopFn stop = nullptr)
      : fn_(fn), stop_(stop), context_(context) {}

  bool present() const { return fn_ != nullptr; }
  bool operator()(Date d) const { return fn_ != nullptr && fn_(context_, d); }
  bool stop_requested() const { return stop_ != nullptr && stop_(context_); }

 private:
  Fn fn_ = nullptr;
  StopFn stop_ = nullptr;
  void* context_ = nullptr;
};

// The caller's anchors: (name, date) in the caller's order. The names are
// trimmed and lower-case; a handful of entries is scanned linearly.
using AnchorMap = std::vector<std::pair<std::string, Date>>;

// Sets the date of `name`, replacing the date of an equal name in place.
void put_anchor(AnchorMap& anchors, std::string name, Date date);
// Makes a map of entries given in the caller's order, as put_anchor would
// one by one: the first of equal names keeps its place and takes the date
// of the last. Costs O(n log n) compares, so many entries stay cheap.
AnchorMap make_anchor_map(std::vector<std::pair<std::string, Date>> entries);
// Returns the date stored under exactly `name`, or none.
std::optional<Date> anchor_date(const AnchorMap& anchors, std::string_view name);

struct Ctx {
  const Options& opts;
  const AnchorMap& anchors;
  HolidayFn holidays;
  TimeOfDay tod;  // the explicit time of the text, else opts.default_time
  DateTime now;   // carries its fraction of a second
  bool tod_explicit = false;

  Date today() const { return now.date; }
};

// Returns "at HH:MM" for a time the text named, "default HH:MM" otherwise.
std::string tod_label(const Ctx& ctx);

}  // namespace kalendo
