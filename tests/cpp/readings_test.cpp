// The pieces readings are made of: numbers and ranks written in place,
// interpretations joined from pieces, the days of the period words, and the
// amount rule's agreement with the relative rule on the counts both read.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "grammar/mod.h"
#include "locale.h"

namespace kalendo {
namespace {

// number -> its text, as std::to_string writes it
const int64_t kNumbers[] = {
    0, 1, 9, 10, 99, 100, 2024, -1, -10, -262143, 999'999'999'999, INT64_MAX, INT64_MIN,
};

TEST(Readings, NumbersAreWrittenAsToStringWritesThem) {
  for (const int64_t n : kNumbers)
    EXPECT_EQ(std::string_view(number_text(n)), std::to_string(n)) << n;
}

// rank -> its text
const std::pair<uint32_t, const char*> kRanks[] = {
    {0, "0th"},
    {1, "1st"},
    {2, "2nd"},
    {3, "3rd"},
    {4, "4th"},
    {11, "11th"},
    {12, "12th"},
    {13, "13th"},
    {21, "21st"},
    {22, "22nd"},
    {23, "23rd"},
    {101, "101st"},
    {111, "111th"},
    {112, "112th"},
    {113, "113th"},
    {1002, "1002nd"},
    {4294967295u, "4294967295th"},
};

TEST(Readings, RanksTakeTheirEnglishSuffix) {
  for (const auto& [n, text] : kRanks) {
    EXPECT_EQ(std::string_view(ord_text(n)), text) << n;
    EXPECT_EQ(ext::ord_label(n), text) << n;
  }
}

// Every piece length from empty to past the longest short copy, next to
// pieces of other lengths, so that each size class of the copy is checked
// at its bounds and at every offset into the result.
TEST(Readings, JoinedPiecesEqualTheirConcatenation) {
  const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (std::size_t a = 0; a <= 24; ++a) {
    for (std::size_t b = 0; b <= 24; ++b) {
      const std::string_view x(source.data(), a);
      const std::string_view y(source.data() + 3, b);
      const std::string joined = cat(x, y, "!", x);
      EXPECT_EQ(joined, std::string(x) + std::string(y) + "!" + std::string(x)) << a << " " << b;
    }
  }
}

// The days of next|last|this <unit> as the calendar functions find them,
// end by end: the reference the period words must agree with.
std::optional<DateRange> reference_period(Unit u, int k, uint32_t ws, Date today) {
  switch (u) {
    case Unit::Week: {
      const auto first = weekday_in_week(today, ws, k, ws);
      const auto last = weekday_in_week(today, ws, k, (ws + 6) % 7);
      if (!first || !last) return std::nullopt;
      return DateRange{*first, *last};
    }
    case Unit::Weekend: {
      const auto sat = weekday_in_week(today, ws, k, kSaturday);
      const auto sun = sat ? add_days(*sat, 1) : std::nullopt;
      if (!sun) return std::nullopt;
      return DateRange{*sat, *sun};
    }
    case Unit::Month:
    case Unit::Quarter: {
      const Civil c = today.civil();
      const int months = u == Unit::Month ? k : 3 * k;
      const auto m = add_months_checked(*Date::from_ymd(c.year, c.month, 1), months);
      if (!m) return std::nullopt;
      return u == Unit::Month ? month_range(m->year(), m->month())
                              : quarter_range(m->year(), (m->month() - 1) / 3 + 1);
    }
    case Unit::Year: {
      const auto first = Date::from_ymd(static_cast<int64_t>(today.year()) + k, 1, 1);
      const auto last = Date::from_ymd(static_cast<int64_t>(today.year()) + k, 12, 31);
      if (!first || !last) return std::nullopt;
      return DateRange{*first, *last};
    }
    default:
      return std::nullopt;
  }
}

// Days at both ends of the supported range, around year zero, on a leap
// day and on an ordinary day: each meets every week start.
std::vector<Date> period_days() {
  std::vector<Date> days;
  for (int64_t i = 0; i < 9; ++i) {
    days.push_back(Date{kMinDays + i});
    days.push_back(Date{kMaxDays - i});
  }
  for (const auto& [y, m, d] : {std::tuple<int64_t, uint32_t, uint32_t>{0, 1, 1},
                                {-1, 12, 31},
                                {2024, 2, 29},
                                {2024, 6, 5},
                                {1970, 1, 1},
                                {2023, 12, 31}})
    days.push_back(*Date::from_ymd(y, m, d));
  return days;
}

TEST(Readings, PeriodWordsNameTheDaysTheCalendarFinds) {
  const std::pair<Keyword, int> kWhich[] = {
      {Keyword::Last, -1}, {Keyword::This, 0}, {Keyword::Next, 1}};
  for (const Date today : period_days()) {
    for (uint8_t ws = 0; ws < 7; ++ws) {
      const Options opts{TimeOfDay{}, &EN, ws, false};
      for (int u = 0; u <= static_cast<int>(Unit::BusinessDay); ++u) {
        for (const auto& [kw, k] : kWhich) {
          const Tok toks[] = {Tok::kw(kw), Tok::unit(static_cast<Unit>(u))};
          const auto got = period_of(toks, opts, today);
          const auto want = reference_period(static_cast<Unit>(u), k, ws, today);
          ASSERT_EQ(got.has_value(), want.has_value())
              << today.days << " ws " << int{ws} << " unit " << u << " k " << k;
          if (!want) continue;
          EXPECT_EQ(got->first, want->first) << today.days << " unit " << u << " k " << k;
          EXPECT_EQ(got->last, want->last) << today.days << " unit " << u << " k " << k;
        }
      }
    }
  }
}

// The amount rule leaves "in <n> <unit>" to the relative rule because both
// land on the same moment or both fail; the amount rule still reads
// "<n> <unit>" with the same count, so the two must agree there, for every
// unit, count and time of day, up to the ends of the range.
TEST(Readings, AmountsAndRelativeCountsLandOnTheSameMoment) {
  const Options opts{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  const AnchorMap anchors;
  const int64_t counts[] = {0, 1, 3, 12, 1000, 3651, 100'000'000, INT64_MAX / 2, INT64_MAX};
  const DateTime nows[] = {
      DateTime{*Date::from_ymd(2024, 1, 31), TimeOfDay::hms(14, 20, 10)},
      DateTime{Date{kMaxDays - 1}, TimeOfDay::hms(23, 59, 59)},
      DateTime{Date{kMinDays}, TimeOfDay{}},
      DateTime{*Date::from_ymd(2016, 12, 31), TimeOfDay{59 * 60 + 23 * 3600 + 59, kNanosPerSecond}},
  };
  for (const DateTime now : nows) {
    for (const bool tod_explicit : {false, true}) {
      const Ctx ctx{opts, anchors, HolidayFn(), TimeOfDay::hms(17, 30, 0), now, tod_explicit};
      for (int u = 0; u < static_cast<int>(Unit::BusinessDay); ++u) {
        for (const int64_t n : counts) {
          const Tok in_count[] = {Tok::kw(Keyword::In), Tok::num(n),
                                  Tok::unit(static_cast<Unit>(u))};
          const MatchResult rel = relative::try_match(in_count, ctx);
          const MatchResult amount = duration::try_match(TokenSpan(in_count).subspan(1), ctx);
          ASSERT_EQ(rel.kind, amount.kind) << "unit " << u << " n " << n;
          if (rel.kind == MatchResult::Kind::Single) {
            EXPECT_EQ(rel.reading.value, amount.reading.value) << "unit " << u << " n " << n;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kalendo
