#include "locale.h"

#include <string>
#include <vector>

#include "tokenize.h"

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

namespace kalendo {
namespace {

// Classifies a table word the slow way: each table in the tokenizer's rule
// order, first exact match. The word index must give the same token.
Tokens by_tables(std::string_view w) {
  if (contains_word(EN.fillers, w)) return {};
  if (const auto u = find_word(EN.end_of, w)) {
    return {Tok::kw(Keyword::End), Tok::kw(Keyword::Of), Tok::unit(*u)};
  }
  if (const auto t = find_word(EN.named_times, w)) return {Tok::time(t->hour, t->minute)};
  if (const auto n = find_word(EN.ordinals, w)) return {Tok::ordinal(*n)};
  if (const auto d = find_word(EN.weekdays, w)) return {Tok::weekday(*d)};
  if (const auto m = month(EN, w)) return {Tok::month(*m)};
  if (const auto u = unit(EN, w)) return {Tok::unit(*u)};
  if (const auto k = keyword(EN, w)) return {Tok::kw(*k)};
  if (const auto n = fuzzy_word(EN.numbers, w)) return {Tok::num(*n)};
  if (const auto n = fuzzy_word(EN.quantities, w)) return {Tok::fuzzy(*n)};
  if (is_half(EN, w)) return {Tok::half()};
  return {Tok::word(w)};
}

TEST(WordIndex, AgreesWithTheTablesInRuleOrder) {
  std::vector<std::string_view> words;
  for (auto w : EN.fillers)
    words.push_back(w);
  for (const auto& e : EN.end_of)
    words.push_back(e.word);
  for (const auto& e : EN.named_times)
    words.push_back(e.word);
  for (const auto& e : EN.ordinals)
    words.push_back(e.word);
  for (const auto& e : EN.weekdays)
    words.push_back(e.word);
  for (const auto& e : EN.months)
    words.push_back(e.word);
  for (const auto& e : EN.units)
    words.push_back(e.word);
  for (const auto& e : EN.keywords)
    words.push_back(e.word);
  for (const auto& e : EN.numbers)
    words.push_back(e.word);
  for (const auto& e : EN.quantities)
    words.push_back(e.word);
  for (auto w : EN.half_words)
    words.push_back(w);
  for (std::string_view w : words) {
    EXPECT_EQ(tokenize(w, {}, EN), by_tables(w)) << w;
    // Near misses are no table's word.
    const std::string longer = std::string(w) + "x";
    EXPECT_EQ(find_lexeme(EN, longer), nullptr) << longer;
  }
  EXPECT_EQ(find_lexeme(EN, ""), nullptr);
  EXPECT_EQ(find_lexeme(EN, "Friday"), nullptr);
}

}  // namespace
}  // namespace kalendo
