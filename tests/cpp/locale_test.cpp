// The word index must classify every table word as the tables in rule order
// do; the words themselves are read through the whole parse in
// tests/python/test_words.py.
#include "locale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace kalendo
