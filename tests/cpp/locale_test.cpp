#include "locale.h"

#include <gtest/gtest.h>

namespace kalendo {
namespace {

TEST(Locale, TablesHaveTheirFullSize) {
  EXPECT_EQ(EN.code, "en");
  EXPECT_EQ(EN.weekdays.size(), 17u);
  EXPECT_EQ(EN.months.size(), 24u);
  EXPECT_EQ(EN.units.size(), 24u);
  EXPECT_EQ(EN.keywords.size(), 32u);
  EXPECT_EQ(EN.numbers.size(), 14u);
  EXPECT_EQ(EN.quantities.size(), 3u);
  EXPECT_EQ(EN.ordinals.size(), 5u);
  EXPECT_EQ(EN.fillers.size(), 4u);
  EXPECT_EQ(EN.end_of.size(), 4u);
  EXPECT_EQ(EN.named_times.size(), 2u);
}

TEST(Locale, EveryWordIsLowerCaseAscii) {
  auto check = [](std::string_view w) {
    for (char c : w)
      EXPECT_TRUE((c >= 'a' && c <= 'z')) << w;
  };
  for (const auto& e : EN.weekdays)
    check(e.word);
  for (const auto& e : EN.months)
    check(e.word);
  for (const auto& e : EN.units)
    check(e.word);
  for (const auto& e : EN.keywords)
    check(e.word);
  for (const auto& e : EN.numbers)
    check(e.word);
}

TEST(Locale, NamedLookups) {
  EXPECT_EQ(fuzzy_word(EN.numbers, "a"), 1);
  EXPECT_EQ(fuzzy_word(EN.numbers, "zero"), std::nullopt);
  EXPECT_EQ(fuzzy_word(EN.quantities, "several"), 3);
  EXPECT_EQ(unit(EN, "second"), std::nullopt);
  EXPECT_EQ(unit(EN, "sec"), std::nullopt);
  EXPECT_EQ(unit(EN, "min"), Unit::Minute);
  EXPECT_EQ(unit(EN, "weekends"), Unit::Weekend);
  EXPECT_EQ(keyword(EN, "upcoming"), Keyword::Next);
  EXPECT_EQ(keyword(EN, "past"), Keyword::Last);
  EXPECT_EQ(keyword(EN, "working"), Keyword::Business);
  EXPECT_EQ(keyword(EN, "beginning"), Keyword::Start);
  EXPECT_EQ(month(EN, "sept"), 9u);
  EXPECT_EQ(month(EN, "may"), 5u);
  EXPECT_EQ(month(EN, "ma"), std::nullopt);
  EXPECT_TRUE(is_half(EN, "half"));
  EXPECT_FALSE(is_half(EN, "halves"));
}

TEST(Locale, QuarterNeedsAPrefixAndANumberFromOneToFour) {
  EXPECT_EQ(quarter(EN, "q1"), 1u);
  EXPECT_EQ(quarter(EN, "q4"), 4u);
  EXPECT_EQ(quarter(EN, "q+2"), 2u);
  EXPECT_EQ(quarter(EN, "q004"), 4u);
  for (const char* w : {"q", "q0", "q5", "qx", "quarter", "q+", "q++1", "q4294967297", "q-1"}) {
    EXPECT_EQ(quarter(EN, w), std::nullopt) << w;
  }
}

TEST(Locale, NumbersFitTheirWidth) {
  EXPECT_EQ(read_unsigned("+42", 100), 42u);
  EXPECT_EQ(read_unsigned("+", 100), std::nullopt);
  EXPECT_EQ(read_unsigned("", 100), std::nullopt);
  EXPECT_EQ(read_unsigned("101", 100), std::nullopt);
  EXPECT_EQ(read_unsigned("18446744073709551615", UINT64_MAX), UINT64_MAX);
  EXPECT_EQ(read_unsigned("18446744073709551616", UINT64_MAX), std::nullopt);
  EXPECT_EQ(read_digits("+1", 100), std::nullopt);
  EXPECT_EQ(read_digits("1a", 100), std::nullopt);
}

}  // namespace
}  // namespace kalendo
