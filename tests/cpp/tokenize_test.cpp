#include "tokenize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "locale.h"

namespace kalendo {
// Shows a token as its kind, value and text when an expectation fails.
void PrintTo(const Tok& t, std::ostream* os) {
  *os << "Tok(" << static_cast<int>(t.kind) << ", " << t.value << ", " << t.minute << ", \""
      << t.text << "\")";
}

namespace {

using K = Keyword;

using U = Unit;

Tokens tok(std::string_view text, std::vector<std::string_view> anchors = {}) {
  return tokenize(text, anchors, EN);
}

struct Case {
  const char* text;
  Tokens want;
};

class TokenizeTable : public ::testing::TestWithParam<Case> {};

TEST_P(TokenizeTable, Classifies) {
  const Case& c = GetParam();
  EXPECT_EQ(tok(c.text), c.want) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Words, TokenizeTable,
    ::testing::Values(
        Case{"Next Friday!", {Tok::kw(K::Next), Tok::weekday(4)}},
        Case{"mid-march", {Tok::kw(K::Mid), Tok::month(3)}},
        Case{"eom", {Tok::kw(K::End), Tok::kw(K::Of), Tok::unit(U::Month)}},
        Case{"end of the month", {Tok::kw(K::End), Tok::kw(K::Of), Tok::unit(U::Month)}},
        Case{"in 3 working days", {Tok::kw(K::In), Tok::num(3), Tok::unit(U::BusinessDay)}},
        Case{"a few weeks ago", {Tok::fuzzy(3), Tok::unit(U::Week), Tok::kw(K::Ago)}},
        Case{"a couple", {Tok::fuzzy(2)}},
        Case{"3rd 3 second", {Tok::ordinal(3), Tok::num(3), Tok::ordinal(2)}},
        Case{"2th 0th 00th", {Tok::ordinal(2), Tok::ordinal(0), Tok::ordinal(0)}},
        Case{"+3rd", {Tok::word("+3rd")}},
        Case{"4294967295th 4294967296th", {Tok::ordinal(4294967295u), Tok::word("4294967296th")}},
        Case{"q3 quarter q0 q5 qx q q+2 q03",
             {Tok::quarter(3), Tok::unit(U::Quarter), Tok::word("q0"), Tok::word("q5"),
              Tok::word("qx"), Tok::word("q"), Tok::quarter(2), Tok::quarter(3)}},
        Case{"5 p.m.", {Tok::num(5), Tok::word("p"), Tok::word("m")}},
        Case{"007 +3 ++3", {Tok::num(7), Tok::num(3), Tok::word("++3")}},
        Case{"9223372036854775807 9223372036854775808",
             {Tok::num(INT64_MAX), Tok::word("9223372036854775808")}},
        Case{"half an hour", {Tok::half(), Tok::unit(U::Hour)}},
        Case{"zero halves sec", {Tok::word("zero"), Tok::word("halves"), Tok::word("sec")}},
        Case{"on the at for", {}},
        Case{"upcoming past working within",
             {Tok::kw(K::Next), Tok::kw(K::Last), Tok::kw(K::Business), Tok::kw(K::In)}},
        Case{"sept may thurs", {Tok::month(9), Tok::month(5), Tok::weekday(3)}},
        Case{"a an one twelve", {Tok::num(1), Tok::num(1), Tok::num(1), Tok::num(12)}},
        Case{"several couple", {Tok::fuzzy(3), Tok::fuzzy(2)}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    ClockTimes, TokenizeTable,
    ::testing::Values(
        Case{"5pm 12am 12pm", {Tok::time(17, 0), Tok::time(0, 0), Tok::time(12, 0)}},
        Case{"10:30am 17:30 5:30pm", {Tok::time(10, 30), Tok::time(17, 30), Tok::time(17, 30)}},
        Case{"noon midnight", {Tok::time(12, 0), Tok::time(0, 0)}},
        Case{"13pm 25:00 7:5 17:30pm 0pm",
             {Tok::word("13pm"), Tok::word("25:00"), Tok::word("7:5"), Tok::word("17:30pm"),
              Tok::word("0pm")}},
        Case{"am pm", {Tok::word("am"), Tok::word("pm")}},
        Case{"+5pm 10:+5 :30 10:",
             {Tok::time(17, 0), Tok::time(10, 5), Tok::word(":30"), Tok::word("10:")}},
        Case{"00:00 23:59 24:00", {Tok::time(0, 0), Tok::time(23, 59), Tok::word("24:00")}},
        Case{"5 pm 12 am 13 pm",
             {Tok::time(17, 0), Tok::time(0, 0), Tok::num(13), Tok::word("pm")}},
        Case{"5 PM.", {Tok::time(17, 0)}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(MergeOnce, TokenizeTable,
                         ::testing::Values(
                             // A merged token is not merged again with its successor.
                             Case{"a a couple", {Tok::num(1), Tok::fuzzy(2)}},
                             Case{"2 couple", {Tok::num(2), Tok::fuzzy(2)}},
                             Case{"half one hour", {Tok::half(), Tok::unit(U::Hour)}},
                             Case{"business business days",
                                  {Tok::kw(K::Business), Tok::unit(U::BusinessDay)}},
                             Case{"business", {Tok::kw(K::Business)}},
                             Case{"days business", {Tok::unit(U::Day), Tok::kw(K::Business)}}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Tokenize, LowerCasesFullyBeforeLookup) {
  EXPECT_EQ(tok("NEXT FRIDAY"), (Tokens{Tok::kw(K::Next), Tok::weekday(4)}));
  // U+0130 lower-cases to two characters, so the word is no longer "friday".
  EXPECT_EQ(tok("FR\u0130DAY"), Tokens{Tok::word("fri\u0307day")});
  EXPECT_EQ(tok("\u03a3\u039f\u03a6\u039f\u03a3"),
            Tokens{Tok::word("\u03c3\u03bf\u03c6\u03bf\u03c2")});
}

TEST(Tokenize, SplitsAtUnicodeWhiteSpaceOnly) {
  EXPECT_EQ(tok("next\u00a0friday\u3000x"),
            (Tokens{Tok::kw(K::Next), Tok::weekday(4), Tok::word("x")}));
  EXPECT_EQ(tok("next\u200bfriday"), Tokens{Tok::word("next\u200bfriday")});
}

TEST(Tokenize, AnchorsAreReplacedBeforeAnyTable) {
  EXPECT_EQ(tok("2 days after launch", {"launch"}),
            (Tokens{Tok::num(2), Tok::unit(U::Day), Tok::kw(K::After), Tok::anchor("launch")}));
  EXPECT_EQ(tok("friday", {"friday"}), Tokens{Tok::anchor("friday")});
  EXPECT_EQ(tok("Product Launch", {"launch", "product launch"}),
            Tokens{Tok::anchor("product launch")});
  // Substring match: "con" inside "second" splits the word.
  EXPECT_EQ(tok("second", {"con"}), (Tokens{Tok::word("se"), Tok::anchor("con"), Tok::word("d")}));
  EXPECT_EQ(tok("launch launch", {"launch"}),
            (Tokens{Tok::anchor("launch"), Tok::anchor("launch")}));
}

TEST(Tokenize, AnchorsThatCannotBeFound) {
  EXPECT_EQ(tok("go-live", {"go-live"}), (Tokens{Tok::word("go"), Tok::word("live")}));
  EXPECT_EQ(tok("big day", {"big  day"}), (Tokens{Tok::word("big"), Tok::unit(U::Day)}));
  EXPECT_EQ(tok("big  day", {"big  day"}), Tokens{Tok::anchor("big  day")});
  EXPECT_EQ(tok("tomorrow", {""}), Tokens{Tok::kw(K::Tomorrow)});
}

TEST(Tokenize, EqualLengthNamesKeepListOrderAndSortByBytes) {
  // "éé" is four bytes and "eé" three: the longer in bytes is searched first.
  // What is left of "theéé" is the filler "the".
  EXPECT_EQ(tok("theéé", {"eé", "éé"}), Tokens{Tok::anchor("éé")});
  EXPECT_EQ(tok("xyz", {"xy", "yz"}), (Tokens{Tok::anchor("xy"), Tok::word("z")}));
  EXPECT_EQ(tok("xyz", {"yz", "xy"}), (Tokens{Tok::word("x"), Tok::anchor("yz")}));
}

TEST(Tokenize, MarkerLookalikesNeverReadOutsideTheList) {
  const std::vector<std::string_view> one = {"launch"};
  EXPECT_EQ(tokenize("\x01+0\x01", one, EN), Tokens{Tok::anchor("launch")});
  EXPECT_EQ(tokenize("\x01"
                     "1\x01",
                     one, EN),
            Tokens{Tok::word("\x01"
                             "1\x01")});
  EXPECT_EQ(tokenize("\x01\x01", one, EN), Tokens{Tok::word("\x01\x01")});
  EXPECT_EQ(tokenize("\x01"
                     "99999999999999999999\x01",
                     one, EN),
            Tokens{Tok::word("\x01"
                             "99999999999999999999\x01")});
  EXPECT_EQ(tokenize("\x01"
                     "0\x01",
                     {}, EN),
            Tokens{Tok::word("\x01"
                             "0\x01")});
}

TEST(Tokenize, SurvivesBytesThatAreNotUtf8) {
  const std::string bad = "next \xff\xfe friday \xc3";
  const Tokens t = tok(bad);
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], Tok::kw(K::Next));
  EXPECT_EQ(t[2], Tok::weekday(4));
}

TEST(TokEquality, ComparesTagAndPayload) {
  EXPECT_EQ(Tok::num(1), Tok::num(1));
  EXPECT_NE(Tok::num(1), Tok::fuzzy(1));
  EXPECT_NE(Tok::time(12, 0), Tok::time(12, 30));
  EXPECT_EQ(Tok::half(), Tok::half());
  EXPECT_NE(Tok::word("launch"), Tok::anchor("launch"));
  EXPECT_EQ(tok("a"), tok("one"));
}

}  // namespace
}  // namespace kalendo
