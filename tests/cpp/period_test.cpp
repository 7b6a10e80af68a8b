#include <gtest/gtest.h>

#include "grammar/mod.h"
#include "locale.h"

namespace kalendo {
namespace {

using K = Keyword;
using U = Unit;

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

struct Case {
  const char* name;
  Tokens toks;
  Date today;
  uint8_t week_start;
  // Expected: label, first, last, confidence; an empty label means none.
  const char* label;
  Date first;
  Date last;
  float confidence;
};

const Date kWed = ymd(2024, 6, 5);

class PeriodOf : public ::testing::TestWithParam<Case> {};

TEST_P(PeriodOf, NamesThePeriod) {
  const Case& c = GetParam();
  const Options opts{TimeOfDay::hms(9, 0, 0), &EN, c.week_start, false};
  const auto p = period_of(c.toks, opts, c.today);
  if (c.label[0] == '\0') {
    EXPECT_FALSE(p) << p->label;
    return;
  }
  ASSERT_TRUE(p);
  EXPECT_EQ(p->label, c.label);
  EXPECT_EQ(p->first, c.first);
  EXPECT_EQ(p->last, c.last);
  EXPECT_EQ(p->confidence, c.confidence);
}

const Case kCases[] = {
    {"next_week",
     {Tok::kw(K::Next), Tok::unit(U::Week)},
     kWed,
     0,
     "the calendar week after this one",
     ymd(2024, 6, 10),
     ymd(2024, 6, 16),
     0.9f},
    {"last_week_sunday_first",
     {Tok::kw(K::Last), Tok::unit(U::Week)},
     kWed,
     6,
     "the calendar week before this one",
     ymd(2024, 5, 26),
     ymd(2024, 6, 1),
     0.9f},
    {"this_month",
     {Tok::kw(K::This), Tok::unit(U::Month)},
     kWed,
     0,
     "the current calendar month",
     ymd(2024, 6, 1),
     ymd(2024, 6, 30),
     0.9f},
    {"last_month_from_march_31",
     {Tok::kw(K::Last), Tok::unit(U::Month)},
     ymd(2024, 3, 31),
     0,
     "the calendar month before this one",
     ymd(2024, 2, 1),
     ymd(2024, 2, 29),
     0.9f},
    {"next_quarter_in_november",
     {Tok::kw(K::Next), Tok::unit(U::Quarter)},
     ymd(2024, 11, 20),
     0,
     "the calendar quarter after this one",
     ymd(2025, 1, 1),
     ymd(2025, 3, 31),
     0.9f},
    {"last_year",
     {Tok::kw(K::Last), Tok::unit(U::Year)},
     kWed,
     0,
     "the calendar year before this one",
     ymd(2023, 1, 1),
     ymd(2023, 12, 31),
     0.9f},
    {"bare_weekend",
     {Tok::unit(U::Weekend)},
     kWed,
     0,
     "the current weekend (Sat-Sun)",
     ymd(2024, 6, 8),
     ymd(2024, 6, 9),
     0.9f},
    {"this_weekend_on_sunday",
     {Tok::kw(K::This), Tok::unit(U::Weekend)},
     ymd(2024, 6, 9),
     0,
     "the current weekend (Sat-Sun)",
     ymd(2024, 6, 8),
     ymd(2024, 6, 9),
     0.9f},
    {"this_weekend_on_sunday_sunday_first",
     {Tok::kw(K::This), Tok::unit(U::Weekend)},
     ymd(2024, 6, 9),
     6,
     "the current weekend (Sat-Sun)",
     ymd(2024, 6, 15),
     ymd(2024, 6, 16),
     0.9f},
    {"march_passed",
     {Tok::month(3)},
     kWed,
     0,
     "March 2025 (this year's March has passed)",
     ymd(2025, 3, 1),
     ymd(2025, 3, 31),
     0.75f},
    {"june_on_its_last_day",
     {Tok::month(6)},
     ymd(2024, 6, 30),
     0,
     "June of the current year",
     ymd(2024, 6, 1),
     ymd(2024, 6, 30),
     0.75f},
    {"q2",
     {Tok::quarter(2)},
     kWed,
     0,
     "Q2 of the current year",
     ymd(2024, 4, 1),
     ymd(2024, 6, 30),
     0.85f},
    {"q1_passed",
     {Tok::quarter(1)},
     kWed,
     0,
     "Q1 2025 (this year's Q1 has passed)",
     ymd(2025, 1, 1),
     ymd(2025, 3, 31),
     0.85f},
    {"march_in_year_minus_5",
     {Tok::month(3)},
     ymd(-5, 6, 1),
     0,
     "March -4 (this year's March has passed)",
     ymd(-4, 3, 1),
     ymd(-4, 3, 31),
     0.75f},
    {"next_day", {Tok::kw(K::Next), Tok::unit(U::Day)}, kWed, 0, "", {}, {}, 0},
    {"this_hour", {Tok::kw(K::This), Tok::unit(U::Hour)}, kWed, 0, "", {}, {}, 0},
    {"after_week", {Tok::kw(K::After), Tok::unit(U::Week)}, kWed, 0, "", {}, {}, 0},
    {"three_tokens",
     {Tok::kw(K::Next), Tok::unit(U::Week), Tok::unit(U::Week)},
     kWed,
     0,
     "",
     {},
     {},
     0},
    {"empty", {}, kWed, 0, "", {}, {}, 0},
    // At the ends of the years, periods that leave the range are none.
    {"next_year_at_the_end",
     {Tok::kw(K::Next), Tok::unit(U::Year)},
     ymd(kMaxYear, 6, 1),
     0,
     "",
     {},
     {},
     0},
    {"march_passed_in_the_last_year", {Tok::month(3)}, ymd(kMaxYear, 6, 1), 0, "", {}, {}, 0},
    {"next_month_in_the_last_december",
     {Tok::kw(K::Next), Tok::unit(U::Month)},
     ymd(kMaxYear, 12, 31),
     0,
     "",
     {},
     {},
     0},
    {"this_month_in_the_last_december",
     {Tok::kw(K::This), Tok::unit(U::Month)},
     ymd(kMaxYear, 12, 31),
     0,
     "the current calendar month",
     ymd(kMaxYear, 12, 1),
     ymd(kMaxYear, 12, 31),
     0.9f},
    {"last_week_on_the_last_day",
     {Tok::kw(K::Last), Tok::unit(U::Week)},
     ymd(kMaxYear, 12, 31),
     0,
     "the calendar week before this one",
     ymd(kMaxYear, 12, 24),
     ymd(kMaxYear, 12, 30),
     0.9f},
    {"last_week_at_the_start",
     {Tok::kw(K::Last), Tok::unit(U::Week)},
     ymd(kMinYear, 1, 3),
     0,
     "",
     {},
     {},
     0},
};

INSTANTIATE_TEST_SUITE_P(Periods, PeriodOf, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalendo
