// The library through kalendo.hpp: corpora of (text, options) -> answer,
// failures included, and the callbacks. The JSON text is compared with the
// core's by the fuzz target over its corpus; the C failures by
// c_interface_test.c.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "kalendo/kalendo.hpp"

namespace {

using namespace std::chrono;
using kalendo::DateTime;

const DateTime kNow{2024y / June / 5, 14h + 20min + 10s};  // a Wednesday

std::string text_of(const DateTime& t, bool day_only) {
  const hh_mm_ss<nanoseconds> hms{t.time};
  char out[48];
  const int y = static_cast<int>(t.date.year());
  std::snprintf(out, sizeof out, "%s%04d-%02u-%02u", y < 0 ? "-" : "", y < 0 ? -y : y,
                static_cast<unsigned>(t.date.month()), static_cast<unsigned>(t.date.day()));
  std::string s = out;
  if (day_only) return s;
  std::snprintf(out, sizeof out, "T%02d:%02d:%02d", static_cast<int>(hms.hours().count()),
                static_cast<int>(hms.minutes().count()),
                static_cast<int>(hms.seconds().count()) + (t.leap_second ? 1 : 0));
  return s + out;
}

// The short form of the Python corpora: "when conf reading", "first..last
// conf reading" for whole days, "! reason", "? reason | reading | ...".
struct Short {
  std::string operator()(const kalendo::Instant& i) const {
    char c[32];
    std::snprintf(c, sizeof c, " %g ", static_cast<double>(i.confidence));
    return text_of(i.at, false) + c + i.interpretation;
  }
  std::string operator()(const kalendo::Range& r) const {
    // An open end is empty: "2023-08-01T00:00:00..".
    const bool days = r.start && r.end && r.start->time == 0s && r.end->time == 23h + 59min + 59s;
    char c[32];
    std::snprintf(c, sizeof c, " %g ", static_cast<double>(r.confidence));
    return (r.start ? text_of(*r.start, days) : "") + ".." + (r.end ? text_of(*r.end, days) : "") +
           c + r.interpretation;
  }
  std::string operator()(const kalendo::Ambiguous& a) const {
    std::string s = "? " + a.reason;
    for (const auto& r : a.candidates)
      s += " | " + std::visit(*this, r);
    return s;
  }
  std::string operator()(const kalendo::NoParse& n) const { return "! " + n.reason; }
  std::string operator()(const kalendo::Failure& f) const {
    return "failure " + std::to_string(f.status) + ": " + f.message;
  }
};

struct Row {
  const char* text;
  kalendo::Options options;
  const char* want;
};

TEST(Library, OptionsReachTheCore) {
  const Row rows[] = {
      // clang-format off
      {"next friday at 5pm", {.now = kNow}, "2024-06-07T17:00:00 0.95 next Friday, at 17:00"},
      {"tomorrow", {.now = kNow, .default_time = 17h + 30min + 15s},
       "2024-06-06T17:30:15 0.95 tomorrow, default 17:30"},
      {"this week", {.now = kNow, .week_start = Sunday}, "2024-06-02..2024-06-08 0.9 the current calendar week"},
      {"next wednesday", {.now = kNow},
       "2024-06-12T09:00:00 0.9 next Wednesday — today is Wednesday; skipping today per next_skips_today=true"},
      {"next wednesday", {.now = kNow, .next_skips_today = false},
       "2024-06-05T09:00:00 0.9 next Wednesday — today is Wednesday; today counts per next_skips_today=false"},
      {"3/4/2025", {.now = kNow, .date_order = kalendo::DateOrder::dmy},
       "2025-04-03T09:00:00 0.9 2025-04-03, default 09:00"},
      {"3/4/2025", {.now = kNow},
       "? \"3/4/2025\" could be March 4 or April 3; date_order chooses | 2025-03-04T09:00:00 0.8 2025-03-04, "
       "default 09:00 | 2025-04-03T09:00:00 0.7 2025-04-03, default 09:00"},
      {"March 14, 2025", {.now = kNow}, "2025-03-14T09:00:00 0.9 2025-03-14, default 09:00"},
      {"since August", {.now = kNow}, "2023-08-01T00:00:00.. 0.85 from 2023-08-01 00:00 on"},
      {"before friday", {.now = kNow}, "..2024-06-06T23:59:59 0.7 until 2024-06-06 23:59:59"},
      {"since August", {.now = kNow, .mode = kalendo::Mode::strict}, "! no grammar rule matched \"since August\""},
      {"March 14, 2025", {.now = kNow, .mode = kalendo::Mode::strict}, "! no grammar rule matched \"March 14, 2025\""},
      {"2 days after go live", {.now = kNow, .anchors = {{" Go-Live ", 2024y / June / 20}}},
       "2024-06-22T09:00:00 0.9 2 days after 2024-06-20"},
      {"2 days after go-live", {.now = kNow, .anchors = {{"go live", 2024y / June / 1}, {"GO-LIVE", 2024y / June / 20}}},
       "2024-06-22T09:00:00 0.9 2 days after 2024-06-20"},
      {"2 days after launch", {.now = kNow},
       "? unknown anchor \"launch\" — pass it via anchors={\"launch\": date(...)}"},
      {"in 3 business days", {.now = kNow, .is_holiday = [](year_month_day d) { return d == 2024y / June / 7; }},
       "2024-06-11T09:00:00 0.9 3 business days from today"},
      {"in 3 business days", {.now = kNow}, "2024-06-10T09:00:00 0.9 3 business days from today"},
      // Years before the common era and at the end of the supported range.
      {"tomorrow", {.now = DateTime{year{-44} / March / 15, 12h}}, "-0044-03-16T09:00:00 0.95 tomorrow, default 09:00"},
      {"tomorrow", {.now = DateTime{year{32767} / December / 31, 12h}},
       "failure 2: the answer lies outside the years -32767 to 32767 of std::chrono::year"},
      // A leap second in `now` comes back as second 60.
      {"now", {.now = DateTime{2016y / December / 31, 23h + 59min + 59s + 500ms, true}},
       "2016-12-31T23:59:60 1 the current moment"},
      {"", {.now = kNow}, "! empty input"},
      {"tomorrow", {}, "failure 3: the current moment is not set: call kalendo_options_set_now first"},
      {"tomorrow", {.now = DateTime{2023y / February / 29}},
       "failure 2: invalid `now` datetime: a field is out of range"},
      {"tomorrow", {.now = kNow, .anchors = {{"?!", 2024y / June / 1}}},
       "failure 1: the anchor name \"?!\" has no word that a text could name"},
      {"tomorrow", {.now = kNow, .default_time = 24h}, "failure 1: invalid default_time"},
      {"tomorrow", {.now = DateTime{2024y / June / 5, -1h}},
       "failure 2: invalid `now` datetime: a field is out of range"},
      {"tomorrow", {.now = DateTime{2024y / June / 5, 12h + 30s, true}},
       "failure 2: invalid `now` datetime: a field is out of range"},
      {"\xff", {.now = kNow}, "failure 1: text is not valid UTF-8"},
      // Region, parts of the day and the caller's zones.
      {"boxing day", {.now = kNow, .region = "GB"}, "2024-12-26T09:00:00 0.9 Boxing Day 2024-12-26, default 09:00"},
      {"boxing day", {.now = kNow}, "! Boxing Day is not a holiday of region US (it is one in GB, CA, AU, IE, NZ)"},
      {"boxing day", {.now = kNow, .region = "gb "},
       "failure 1: region must be one of US, GB, CA, AU, IE or NZ, not \"gb \""},
      {"tomorrow evening", {.now = kNow, .day_parts = {{"evening", 18h + 30min}}},
       "2024-06-06T18:30:00 0.95 tomorrow, at 18:30 (evening)"},
      {"tomorrow evening", {.now = kNow, .day_parts = {{"dusk", 18h}}},
       "failure 1: unknown part of the day \"dusk\" (known: morning, lunch, afternoon, evening, tonight, night, eod)"},
      {"tomorrow evening", {.now = kNow, .day_parts = {{"evening", 24h}}}, "failure 1: day part time out of range"},
      {"tomorrow at 5pm IST", {.now = kNow, .zone_names = {"IST"}}, "2024-06-06T17:00:00 0.95 tomorrow, at 17:00"},
      {"tomorrow at 5pm IST", {.now = kNow},
       "! the zone abbreviation \"IST\" names several zones; map it to one, e.g. zones={\"IST\": "
       "ZoneInfo(\"Area/City\")} (command: --zone IST=Area/City)"},
      {"tomorrow", {.now = kNow, .zone_names = {"I ST"}}, "failure 1: zone name \"I ST\" must be one word"},
      {"tomorrow", {.now = kNow, .zone_names = {""}}, "failure 1: zone name \"\" must be one word"},
      // clang-format on
  };
  for (const Row& row : rows) {
    EXPECT_EQ(std::visit(Short{}, kalendo::parse(row.text, row.options)), row.want) << row.text;
  }
}

// The leap second keeps its fraction; the fields of an instant's start and
// end agree.
TEST(Library, LeapSecondFraction) {
  const DateTime leap{2016y / December / 31, 23h + 59min + 59s + 500ms, true};
  const kalendo::Outcome outcome = kalendo::parse("now", {.now = leap});
  const auto* i = std::get_if<kalendo::Instant>(&outcome);
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->at, leap);
}

// A long business-day walk ends when the stop function says so, and what
// the holiday predicate throws comes out of kalendo::parse.
TEST(Library, StopAndThrowEndTheWalk) {
  int asks = 0;
  kalendo::Options options{
      .now = kNow,
      .is_holiday = [&](year_month_day) { return ++asks, false; },
      .stop = [&] { return asks >= 100; },
  };
  const kalendo::Outcome stopped = kalendo::parse("in 100000 business days", options);
  const auto* f = std::get_if<kalendo::Failure>(&stopped);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->status, KALENDO_INTERRUPTED);
  EXPECT_EQ(asks, 100);

  options.stop = nullptr;
  options.is_holiday = [](year_month_day d) -> bool {
    if (d == 2024y / June / 7) throw std::runtime_error("calendar unavailable");
    return false;
  };
  EXPECT_THROW(kalendo::parse("in 3 business days", options), std::runtime_error);
}

// The scan through kalendo::search: byte offsets (past a two-byte letter),
// each item's answer, and a failed call as one item.
TEST(Library, SearchFindsEachExpression) {
  std::string got;
  for (const auto& f : kalendo::search("Café tomorrow, or next friday at 5pm IST?",
                                       {.now = kNow, .zone_names = {"IST"}})) {
    got += std::to_string(f.start) + "-" + std::to_string(f.end) + " " +
           std::visit(Short{}, f.outcome) + "\n";
  }
  EXPECT_EQ(got,
            "6-14 2024-06-06T09:00:00 0.95 tomorrow, default 09:00\n"
            "19-41 2024-06-07T17:00:00 0.95 next Friday, at 17:00\n");
  const auto none = kalendo::search("nothing here", {.now = kNow});
  EXPECT_TRUE(none.empty());
  const auto failed = kalendo::search("tomorrow", {});
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(std::visit(Short{}, failed[0].outcome),
            "failure 3: the current moment is not set: call kalendo_options_set_now first");
}

}  // namespace
