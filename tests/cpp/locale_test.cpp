// The word tables and the small word-shaped helpers: the word index must
// classify every table word as the tables in rule order do, and numbers,
// quarters and ordinal labels keep to their widths.
#include "locale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grammar/mod.h"
#include "tokenize.h"

namespace kalendo {
namespace {

// Classifies a table word the slow way: each table in the tokenizer's rule
// order, first exact match.
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
  std::vector<std::string_view> words(EN.fillers.begin(), EN.fillers.end());
  const auto add = [&](const auto& table) {
    for (const auto& e : table)
      words.push_back(e.word);
  };
  add(EN.end_of);
  add(EN.named_times);
  add(EN.ordinals);
  add(EN.weekdays);
  add(EN.months);
  add(EN.units);
  add(EN.keywords);
  add(EN.numbers);
  add(EN.quantities);
  words.insert(words.end(), EN.half_words.begin(), EN.half_words.end());
  for (std::string_view w : words) {
    EXPECT_EQ(tokenize(w, {}, EN), by_tables(w)) << w;
    EXPECT_EQ(find_lexeme(EN, std::string(w) + "x"), nullptr) << w;  // near misses
  }
  EXPECT_EQ(find_lexeme(EN, ""), nullptr);
  EXPECT_EQ(find_lexeme(EN, "Friday"), nullptr);
}

TEST(Words, QuartersNeedAPrefixAndANumberFromOneToFour) {
  for (const auto& [w, q] : {std::pair{"q1", 1u}, {"q4", 4u}, {"q+2", 2u}, {"q004", 4u}})
    EXPECT_EQ(quarter(EN, w), q) << w;
  for (const char* w : {"q", "q0", "q5", "qx", "quarter", "q+", "q++1", "q4294967297", "q-1"})
    EXPECT_EQ(quarter(EN, w), std::nullopt) << w;
}

TEST(Words, NumbersFitTheirWidth) {
  EXPECT_EQ(read_unsigned("+42", 100), 42u);
  EXPECT_EQ(read_unsigned("18446744073709551615", UINT64_MAX), UINT64_MAX);
  for (const char* s : {"+", "", "101", "++1", "1a"})
    EXPECT_EQ(read_unsigned(s, 100), std::nullopt) << s;
  EXPECT_EQ(read_unsigned("18446744073709551616", UINT64_MAX), std::nullopt);
  EXPECT_EQ(read_digits("+1", 100), std::nullopt);
}

TEST(Words, OrdinalLabels) {
  // clang-format off
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "0th"}, {1, "1st"}, {2, "2nd"}, {3, "3rd"}, {4, "4th"}, {11, "11th"}, {12, "12th"},
      {13, "13th"}, {21, "21st"}, {22, "22nd"}, {23, "23rd"}, {101, "101st"}, {111, "111th"},
      {112, "112th"}, {4294967295u, "4294967295th"},
  };
  // clang-format on
  for (const auto& [n, text] : cases)
    EXPECT_EQ(ext::ord_label(n), text);
}

// Thirds of a period of `days` days: first and last day of each part,
// counted from 1.
TEST(Words, ThirdsOfAPeriodAreContiguous) {
  // clang-format off
  const int64_t cases[][7] = {
      {1, 1, 1, 1, 1, 1, 1}, {2, 1, 1, 1, 1, 2, 2}, {3, 1, 1, 2, 2, 3, 3}, {7, 1, 2, 3, 4, 5, 7},
      {28, 1, 9, 10, 18, 19, 28}, {29, 1, 9, 10, 19, 20, 29}, {30, 1, 10, 11, 20, 21, 30},
      {31, 1, 10, 11, 20, 21, 31}, {366, 1, 122, 123, 244, 245, 366},
  };
  // clang-format on
  const Date first{1000};
  const Keyword parts[] = {Keyword::Early, Keyword::Mid, Keyword::Late};
  for (const auto& c : cases) {
    for (int k = 0; k < 3; ++k) {
      const ext::Third t = ext::third_span(first, Date{first.days + c[0] - 1}, parts[k]);
      EXPECT_EQ(t.first.days - first.days + 1, c[1 + 2 * k]) << c[0] << " " << k;
      EXPECT_EQ(t.last.days - first.days + 1, c[2 + 2 * k]) << c[0] << " " << k;
    }
  }
  EXPECT_EQ(ext::third_span(first, first, Keyword::Mid).label, "middle part of");
}

}  // namespace
}  // namespace kalendo
