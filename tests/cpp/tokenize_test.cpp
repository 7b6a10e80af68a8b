// The tokenizer reads a short ASCII text without anchors from a padded copy
// on the stack, and every other text from a copy on the heap. Each row is
// read both ways (an anchor name that never matches sends a text the long
// way) and must give the same tokens; the rows dwell on separators, table
// words on either side of eight bytes, and words that start with digits.
#include "tokenize.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "locale.h"

namespace kalendo {

// Shows a failing token as its kind, payload and text.
void PrintTo(const Tok& t, std::ostream* os) {
  *os << "kind " << static_cast<int>(t.kind) << " value " << t.value << " minute " << t.minute
      << " text \"" << t.text << "\"";
}

namespace {

using U = Unit;
using K = Keyword;

Tokens both_ways(std::string_view text) {
  const Tokens fast = tokenize(text, {}, EN);
  const std::string_view unused[] = {"zz zz"};
  const Tokens slow = tokenize(text, unused, EN);
  EXPECT_EQ(fast, slow) << text;
  return fast;
}

struct Row {
  std::string_view text;
  Tokens want;
};

// clang-format off
const Row kRows[] = {
    // Separators: white space, the dropped punctuation and the hyphen; other
    // bytes stay inside words, and capitals are lower-cased, their
    // neighbours "@" and "[" are not.
    {"next,week", {Tok::kw(K::Next), Tok::unit(U::Week)}},
    {"(next)\"week\"!", {Tok::kw(K::Next), Tok::unit(U::Week)}},
    {"next;week?mon.", {Tok::kw(K::Next), Tok::unit(U::Week), Tok::weekday(0)}},
    {"next\vweek\fmon\r", {Tok::kw(K::Next), Tok::unit(U::Week), Tok::weekday(0)}},
    {"next-week", {Tok::kw(K::Next), Tok::unit(U::Week)}},
    {"next\x1Cweek", {Tok::word("next\x1Cweek")}},
    {"next:week next/week", {Tok::word("next:week"), Tok::word("next/week")}},
    {"@NEXT[ Z`", {Tok::word("@next["), Tok::word("z`")}},
    {"a\x01" "b \x01", {Tok::word("a\x01" "b"), Tok::word("\x01")}},
    // Table words of up to eight bytes and beyond, and near misses.
    {"on the first", {Tok::ordinal(1)}},
    {"tomorrow tomorrowx", {Tok::kw(K::Tomorrow), Tok::word("tomorrowx")}},
    {"September wednesday Beginning", {Tok::month(9), Tok::weekday(2), Tok::kw(K::Start)}},
    {"septembers septembe", {Tok::word("septembers"), Tok::word("septembe")}},
    {"abcdefghijklmno abcdefghijklmnop", {Tok::word("abcdefghijklmno"), Tok::word("abcdefghijklmnop")}},
    {"EOM noon", {Tok::kw(K::End), Tok::kw(K::Of), Tok::unit(U::Month), Tok::time(12, 0)}},
    // Numbers: the largest signed value, and one past it.
    {"5 007 9223372036854775807", {Tok::num(5), Tok::num(7), Tok::num(9223372036854775807)}},
    {"9223372036854775808", {Tok::word("9223372036854775808")}},
    {"+5 + ++5 5+", {Tok::num(5), Tok::word("+"), Tok::word("++5"), Tok::word("5+")}},
    // Clock times: the meridiem word must follow the digits exactly.
    {"5pm 12am 12pm 5:30pm", {Tok::time(17, 0), Tok::time(0, 0), Tok::time(12, 0), Tok::time(17, 30)}},
    {"13pm 0am 5xpm 5pmx 99999999999999999999pm",
     {Tok::word("13pm"), Tok::word("0am"), Tok::word("5xpm"), Tok::word("5pmx"),
      Tok::word("99999999999999999999pm")}},
    {"17:30 23:59 24:00 5:3 5:300", {Tok::time(17, 30), Tok::time(23, 59), Tok::word("24:00"),
                                     Tok::word("5:3"), Tok::word("5:300")}},
    {"10:+5 +5pm 13:30pm", {Tok::time(10, 5), Tok::time(17, 0), Tok::word("13:30pm")}},
    // Ordinals in digits fit 32 bits; quarters are 1 to 4.
    {"3rd 21st 0th 3RD", {Tok::ordinal(3), Tok::ordinal(21), Tok::ordinal(0), Tok::ordinal(3)}},
    {"4294967295th 4294967296th 3x 3rdx",
     {Tok::ordinal(4294967295), Tok::word("4294967296th"), Tok::word("3x"), Tok::word("3rdx")}},
    {"q3 Q4 q+2 q5 q qx", {Tok::quarter(3), Tok::quarter(4), Tok::quarter(2), Tok::word("q5"),
                           Tok::word("q"), Tok::word("qx")}},
    // The fixed pairs; a joined token is not joined again.
    {"business days", {Tok::unit(U::BusinessDay)}},
    {"a couple", {Tok::fuzzy(2)}},
    {"half a couple", {Tok::half(), Tok::fuzzy(2)}},
    {"business business day", {Tok::kw(K::Business), Tok::unit(U::BusinessDay)}},
    {"5 pm 13 pm", {Tok::time(17, 0), Tok::num(13), Tok::word("pm")}},
    // Beyond ASCII: lower-cased by character, and its white space separates.
    {"ÉTÉ next\u00A0week", {Tok::word("été"), Tok::kw(K::Next), Tok::unit(U::Week)}},
};
// clang-format on

TEST(Tokenize, CorpusBothWays) {
  for (const Row& row : kRows)
    EXPECT_EQ(both_ways(row.text), row.want) << row.text;
}

// A word at every offset of a text of up to 300 bytes: across the blocks of
// sixteen and the words of 64 separator bits, and past the stack copy.
TEST(Tokenize, WordAtEveryOffset) {
  const Tokens want = {Tok::month(9), Tok::time(17, 0)};
  for (std::size_t k = 0; k <= 300; ++k) {
    const std::string text = std::string(k, '.') + "SEPTEMBER 5pm";
    EXPECT_EQ(both_ways(text), want) << k;
  }
}

// Tokens kept inside are dropped without a pass unless one may own a text:
// each row gives a token a text too long to be held in place (under the
// address sanitizer a text left behind fails the run), by each way a token
// can get one, and the tokens must survive copies and moves with it.
TEST(Tokenize, TokensGivenTextsOwnThem) {
  const std::string long_text(40, 'x');
  using Write = void (*)(Tokens&, const std::string&);
  const Write kWrites[] = {
      [](Tokens& t, const std::string& s) { t[0].text = s; },
      [](Tokens& t, const std::string& s) { t.front().text = s; },
      [](Tokens& t, const std::string& s) { t.back().text = s; },
      [](Tokens& t, const std::string& s) { t.begin()->text = s; },
      [](Tokens& t, const std::string& s) { t.data()[0].text = s; },
      [](Tokens& t, const std::string& s) { t.add_word(s); },
      [](Tokens& t, const std::string& s) { t.push_back(Tok::word(s)); },
  };
  for (std::size_t i = 0; i < std::size(kWrites); ++i) {
    {
      // Dropped where it was given the text.
      Tokens toks;
      toks.add(Tok::Kind::Num, 3);
      kWrites[i](toks, long_text);
      EXPECT_TRUE(toks.front().text == long_text || toks.back().text == long_text) << i;
    }
    Tokens toks;
    toks.add(Tok::Kind::Num, 3);
    kWrites[i](toks, long_text);
    const Tokens copy = toks;
    Tokens assigned;
    assigned = copy;
    const Tokens moved = std::move(toks);
    EXPECT_EQ(copy, moved) << i;
    EXPECT_EQ(assigned, moved) << i;
  }
}

}  // namespace
}  // namespace kalendo
