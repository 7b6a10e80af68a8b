// period_of: the period a few tokens name, said on a given day, with the
// configured first day of the week; none outside the supported years.
#include <gtest/gtest.h>

#include "grammar/mod.h"
#include "locale.h"

namespace kalendo {
namespace {

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

const Date kWed = ymd(2024, 6, 5);
const Date kLast = ymd(kMaxYear, 12, 31);  // a Monday

struct Case {
  const char* text;
  Date today;
  uint8_t week_start;
  const char* label;  // empty: no period
  Date first, last;
  float confidence;
};

// clang-format off
const Case kCases[] = {
    {"next week", kWed, 0, "the calendar week after this one", ymd(2024, 6, 10), ymd(2024, 6, 16), 0.9f},
    {"last week", kWed, 6, "the calendar week before this one", ymd(2024, 5, 26), ymd(2024, 6, 1), 0.9f},
    {"this month", kWed, 0, "the current calendar month", ymd(2024, 6, 1), ymd(2024, 6, 30), 0.9f},
    {"last month", ymd(2024, 3, 31), 0, "the calendar month before this one", ymd(2024, 2, 1), ymd(2024, 2, 29), 0.9f},
    {"next quarter", ymd(2024, 11, 20), 0, "the calendar quarter after this one", ymd(2025, 1, 1), ymd(2025, 3, 31), 0.9f},
    {"last year", kWed, 0, "the calendar year before this one", ymd(2023, 1, 1), ymd(2023, 12, 31), 0.9f},
    {"weekend", kWed, 0, "the current weekend (Sat-Sun)", ymd(2024, 6, 8), ymd(2024, 6, 9), 0.9f},
    {"this weekend", ymd(2024, 6, 9), 0, "the current weekend (Sat-Sun)", ymd(2024, 6, 8), ymd(2024, 6, 9), 0.9f},
    {"this weekend", ymd(2024, 6, 9), 6, "the current weekend (Sat-Sun)", ymd(2024, 6, 15), ymd(2024, 6, 16), 0.9f},
    {"march", kWed, 0, "March 2025 (this year's March has passed)", ymd(2025, 3, 1), ymd(2025, 3, 31), 0.75f},
    {"june", ymd(2024, 6, 30), 0, "June of the current year", ymd(2024, 6, 1), ymd(2024, 6, 30), 0.75f},
    {"q2", kWed, 0, "Q2 of the current year", ymd(2024, 4, 1), ymd(2024, 6, 30), 0.85f},
    {"q1", kWed, 0, "Q1 2025 (this year's Q1 has passed)", ymd(2025, 1, 1), ymd(2025, 3, 31), 0.85f},
    {"march", ymd(-5, 6, 1), 0, "March -4 (this year's March has passed)", ymd(-4, 3, 1), ymd(-4, 3, 31), 0.75f},
    {"this month", kLast, 0, "the current calendar month", ymd(kMaxYear, 12, 1), kLast, 0.9f},
    {"last week", kLast, 0, "the calendar week before this one", ymd(kMaxYear, 12, 24), ymd(kMaxYear, 12, 30), 0.9f},
    // Not periods, and periods that leave the supported years.
    {"next day", kWed, 0, "", {}, {}, 0}, {"this hour", kWed, 0, "", {}, {}, 0},
    {"after week", kWed, 0, "", {}, {}, 0}, {"next week week", kWed, 0, "", {}, {}, 0},
    {"", kWed, 0, "", {}, {}, 0}, {"next year", ymd(kMaxYear, 6, 1), 0, "", {}, {}, 0},
    {"march", ymd(kMaxYear, 6, 1), 0, "", {}, {}, 0}, {"next month", kLast, 0, "", {}, {}, 0},
    {"this week", kLast, 0, "", {}, {}, 0}, {"last week", ymd(kMinYear, 1, 3), 0, "", {}, {}, 0},
};
// clang-format on

TEST(PeriodOf, NamesThePeriod) {
  for (const Case& c : kCases) {
    const Options opts{TimeOfDay::hms(9, 0, 0), &EN, c.week_start, false};
    const Tokens toks = tokenize(c.text, {}, EN);
    const auto p = period_of(toks, opts, c.today);
    const std::string where = std::string(c.text) + " on " + format_date(c.today);
    if (c.label[0] == '\0') {
      EXPECT_FALSE(p) << where << ": " << p->label;
      continue;
    }
    ASSERT_TRUE(p) << where;
    EXPECT_EQ(p->label, c.label) << where;
    EXPECT_EQ(p->first, c.first) << where;
    EXPECT_EQ(p->last, c.last) << where;
    EXPECT_EQ(p->confidence, c.confidence) << where;
  }
}

}  // namespace
}  // namespace kalendo
