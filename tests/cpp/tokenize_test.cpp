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

Tokens tok(std::string_view text) {
  return tokenize(text, {}, EN);
}

struct Case {
  const char* text;
  Tokens want;
};

// clang-format off
const Case kCases[] = {
    // Words of the tables, punctuation, hyphens and fillers.
    {"Next Friday!", {Tok::kw(K::Next), Tok::weekday(4)}},
    {"mid-march", {Tok::kw(K::Mid), Tok::month(3)}},
    {"eom", {Tok::kw(K::End), Tok::kw(K::Of), Tok::unit(U::Month)}},
    {"end of the month", {Tok::kw(K::End), Tok::kw(K::Of), Tok::unit(U::Month)}},
    {"in 3 working days", {Tok::kw(K::In), Tok::num(3), Tok::unit(U::BusinessDay)}},
    {"a few weeks ago", {Tok::fuzzy(3), Tok::unit(U::Week), Tok::kw(K::Ago)}},
    {"on the at for", {}},
    {"upcoming past working within", {Tok::kw(K::Next), Tok::kw(K::Last), Tok::kw(K::Business), Tok::kw(K::In)}},
    {"sept may thurs", {Tok::month(9), Tok::month(5), Tok::weekday(3)}},
    {"a an one twelve several", {Tok::num(1), Tok::num(1), Tok::num(1), Tok::num(12), Tok::fuzzy(3)}},
    {"zero halves sec", {Tok::word("zero"), Tok::word("halves"), Tok::word("sec")}},
    // Numbers, ordinals and quarters, with and without a sign.
    {"3rd 3 second", {Tok::ordinal(3), Tok::num(3), Tok::ordinal(2)}},
    {"2th 0th 00th +3rd", {Tok::ordinal(2), Tok::ordinal(0), Tok::ordinal(0), Tok::word("+3rd")}},
    {"4294967295th 4294967296th", {Tok::ordinal(4294967295u), Tok::word("4294967296th")}},
    {"q3 quarter q0 q5 qx q q+2 q03", {Tok::quarter(3), Tok::unit(U::Quarter), Tok::word("q0"), Tok::word("q5"), Tok::word("qx"), Tok::word("q"), Tok::quarter(2), Tok::quarter(3)}},
    {"007 +3 ++3", {Tok::num(7), Tok::num(3), Tok::word("++3")}},
    {"9223372036854775807 9223372036854775808", {Tok::num(INT64_MAX), Tok::word("9223372036854775808")}},
    // Words that begin with a byte past 'z' in ASCII are no table's word.
    {"{next |friday }q1 ~noon", {Tok::word("{next"), Tok::word("|friday"), Tok::word("}q1"), Tok::word("~noon")}},
    // Clock times.
    {"5pm 12am 12pm 1am 1pm", {Tok::time(17, 0), Tok::time(0, 0), Tok::time(12, 0), Tok::time(1, 0), Tok::time(13, 0)}},
    {"10:30am 17:30 5:30pm", {Tok::time(10, 30), Tok::time(17, 30), Tok::time(17, 30)}},
    {"noon midnight", {Tok::time(12, 0), Tok::time(0, 0)}},
    {"13pm 25:00 7:5 17:30pm 0pm", {Tok::word("13pm"), Tok::word("25:00"), Tok::word("7:5"), Tok::word("17:30pm"), Tok::word("0pm")}},
    {"am pm 5 p.m.", {Tok::word("am"), Tok::word("pm"), Tok::num(5), Tok::word("p"), Tok::word("m")}},
    {"+5pm 10:+5 :30 10:", {Tok::time(17, 0), Tok::time(10, 5), Tok::word(":30"), Tok::word("10:")}},
    {"00:00 23:59 24:00", {Tok::time(0, 0), Tok::time(23, 59), Tok::word("24:00")}},
    {"5 pm 12 am 13 pm", {Tok::time(17, 0), Tok::time(0, 0), Tok::num(13), Tok::word("pm")}},
    {"5 PM.", {Tok::time(17, 0)}},
    // Joined pairs: a joined token is not joined again with its successor.
    {"a couple", {Tok::fuzzy(2)}},
    {"half an hour", {Tok::half(), Tok::unit(U::Hour)}},
    {"a a couple", {Tok::num(1), Tok::fuzzy(2)}},
    {"2 couple", {Tok::num(2), Tok::fuzzy(2)}},
    {"half one hour", {Tok::half(), Tok::unit(U::Hour)}},
    {"business business days", {Tok::kw(K::Business), Tok::unit(U::BusinessDay)}},
    {"days business", {Tok::unit(U::Day), Tok::kw(K::Business)}},
    // Full lower-casing before lookup: U+0130 becomes two characters.
    {"NEXT FRIDAY", {Tok::kw(K::Next), Tok::weekday(4)}},
    {"FR\u0130DAY", {Tok::word("fri\u0307day")}},
    {"\u03a3\u039f\u03a6\u039f\u03a3", {Tok::word("\u03c3\u03bf\u03c6\u03bf\u03c2")}},
    // Splits at Unicode white space only.
    {"next\u00a0friday\u3000x", {Tok::kw(K::Next), Tok::weekday(4), Tok::word("x")}},
    {"next\u200bfriday", {Tok::word("next\u200bfriday")}},
};
// clang-format on

TEST(Tokenize, Classifies) {
  for (const Case& c : kCases)
    EXPECT_EQ(tok(c.text), c.want) << c.text;
}

// Anchor names are replaced before any table is read, longest first (in
// bytes), list order among equal lengths; a name the normalised text cannot
// contain is never found, and marker lookalikes never read outside the list.
struct AnchorCase {
  const char* text;
  std::vector<std::string_view> names;
  Tokens want;
};

// clang-format off
const AnchorCase kAnchorCases[] = {
    {"2 days after launch", {"launch"}, {Tok::num(2), Tok::unit(U::Day), Tok::kw(K::After), Tok::anchor("launch")}},
    {"friday", {"friday"}, {Tok::anchor("friday")}},
    {"Product Launch", {"launch", "product launch"}, {Tok::anchor("product launch")}},
    {"second", {"con"}, {Tok::word("se"), Tok::anchor("con"), Tok::word("d")}},
    {"launch launch", {"launch"}, {Tok::anchor("launch"), Tok::anchor("launch")}},
    {"go-live", {"go-live"}, {Tok::word("go"), Tok::word("live")}},
    {"big day", {"big  day"}, {Tok::word("big"), Tok::unit(U::Day)}},
    {"big  day", {"big  day"}, {Tok::anchor("big  day")}},
    {"tomorrow", {""}, {Tok::kw(K::Tomorrow)}},
    {"theéé", {"eé", "éé"}, {Tok::anchor("éé")}},  // what is left is the filler "the"
    {"xyz", {"xy", "yz"}, {Tok::anchor("xy"), Tok::word("z")}},
    {"xyz", {"yz", "xy"}, {Tok::word("x"), Tok::anchor("yz")}},
    {"\x01+0\x01", {"launch"}, {Tok::anchor("launch")}},
    {"\x01" "1\x01", {"launch"}, {Tok::word("\x01" "1\x01")}},
    {"\x01\x01", {"launch"}, {Tok::word("\x01\x01")}},
    {"\x01" "99999999999999999999\x01", {"launch"}, {Tok::word("\x01" "99999999999999999999\x01")}},
    {"\x01" "0\x01", {}, {Tok::word("\x01" "0\x01")}},
};
// clang-format on

TEST(Tokenize, Anchors) {
  for (const AnchorCase& c : kAnchorCases)
    EXPECT_EQ(tokenize(c.text, c.names, EN), c.want) << c.text;
}

TEST(Tokenize, SurvivesBytesThatAreNotUtf8) {
  const Tokens t = tok("next \xff\xfe friday \xc3");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], Tok::kw(K::Next));
  EXPECT_EQ(t[2], Tok::weekday(4));
}

}  // namespace
}  // namespace kalendo
