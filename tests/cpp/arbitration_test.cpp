// Arbitration between matchers, driven by stand-in matchers: real matchers
// rarely disagree on the same tokens, so these rules are checked here.
#include <gtest/gtest.h>

#include "grammar/mod.h"
#include "locale.h"

namespace kalendo {
namespace {

DateTime on_day(int day) {
  return DateTime{*Date::from_ymd(2024, 6, day), TimeOfDay::hms(9, 0, 0)};
}

// A matcher that answers one instant on 2024-06-<Day> with confidence
// Percent / 100 (the float nearest that decimal).
template <int Day, int Percent>
MatchResult instant(TokenSpan, const Ctx&) {
  return MatchResult::single("day " + std::to_string(Day), Value::instant(on_day(Day)),
                             static_cast<float>(Percent) / 100.0f);
}

template <int Day>
MatchResult whole_day(TokenSpan, const Ctx&) {
  return MatchResult::single("range", Value::range(on_day(Day), on_day(Day)), 0.5f);
}

template <int Tag>
MatchResult reject(TokenSpan, const Ctx&) {
  return MatchResult::reject("reject " + std::to_string(Tag));
}

template <int Tag>
MatchResult ambiguous(TokenSpan, const Ctx&) {
  return MatchResult::ambiguous({Resolution{"a", Value::instant(on_day(1)), 0.7f}},
                                "ambiguous " + std::to_string(Tag));
}

MatchResult nothing(TokenSpan, const Ctx&) {
  return MatchResult::no_match();
}

// (matchers in table order) -> kind, the reason or the first reading's
// interpretation, and the confidences of every reading, in rank order.
struct Case {
  const char* name;
  std::vector<Matcher> matchers;
  Outcome::Kind kind;
  std::string reason_or_first;
  std::vector<float> confidences;
};

using K = Outcome::Kind;
const std::string kTwo = "2 grammar rules matched with comparable confidence";

// clang-format off
const Case kCases[] = {
    {"duplicate value keeps the earlier reading", {instant<7, 70>, instant<7, 90>}, K::Resolved, "day 7", {0.7f}},
    {"an instant never equals a range", {instant<7, 50>, whole_day<7>}, K::Ambiguous, kTwo, {0.4f, 0.4f}},
    // 0.95f - 0.8f is 0.14999998 in single precision, 0.85f - 0.7f is 0.15000004.
    {"gap just below the threshold", {instant<7, 80>, instant<8, 95>}, K::Ambiguous, kTwo, {0.84999996f, 0.7f}},
    {"gap just above the threshold", {instant<7, 70>, instant<8, 85>}, K::Resolved, "day 8", {0.85f}},
    {"penalty grows with the count and is floored", {instant<7, 90>, instant<8, 85>, instant<9, 10>}, K::Ambiguous,
     "3 grammar rules matched with comparable confidence", {0.7f, 0.65000004f, 0.05f}},
    {"a reading beats ambiguities and rejects", {ambiguous<1>, reject<1>, instant<7, 40>}, K::Resolved, "day 7", {0.4f}},
    {"the first ambiguity passes unchanged", {reject<1>, ambiguous<1>, ambiguous<2>, reject<2>}, K::Ambiguous, "ambiguous 1", {0.7f}},
    {"the latest reject wins", {reject<1>, nothing, reject<2>, nothing}, K::NoParse, "reject 2", {}},
};
// clang-format on

class Arbitration : public ::testing::Test {
 protected:
  Outcome run(const std::vector<Matcher>& table, std::string_view text = "text") {
    return resolve_inner(text, {}, ctx_, table);
  }

  Options opts_{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  AnchorMap anchors_;
  Ctx ctx_{opts_, anchors_, HolidayFn(), opts_.default_time, on_day(5), false};
};

TEST_F(Arbitration, Corpus) {
  for (const Case& c : kCases) {
    const Outcome o = run(c.matchers);
    ASSERT_EQ(o.kind, c.kind) << c.name;
    std::vector<float> confidences;
    if (o.kind == K::Resolved) {
      EXPECT_EQ(o.reading.interpretation, c.reason_or_first) << c.name;
      confidences.push_back(o.reading.confidence);
    } else {
      EXPECT_EQ(o.reason, c.reason_or_first) << c.name;
      for (const auto& r : o.candidates)
        confidences.push_back(r.confidence);
    }
    EXPECT_EQ(confidences, c.confidences) << c.name;
  }
}

TEST_F(Arbitration, NothingMatchedQuotesTheText) {
  const Outcome o = run({nothing, nothing}, "say \"hi\"\t");
  EXPECT_EQ(o.kind, Outcome::Kind::NoParse);
  EXPECT_EQ(o.reason, "no grammar rule matched \"say \\\"hi\\\"\\t\"");
}

TEST_F(Arbitration, EqualConfidencesKeepTableOrder) {
  const Outcome o = run({instant<9, 60>, instant<7, 60>, instant<8, 60>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  std::vector<std::string> order;
  for (const auto& r : o.candidates)
    order.push_back(r.interpretation);
  EXPECT_EQ(order, (std::vector<std::string>{"day 9", "day 7", "day 8"}));
}

// Tokens of every kind, keyword and unit, with the values the matchers
// single out: today's weekday and month (2024-06-05 is a Wednesday), a
// known and an unknown anchor, a plain word.
std::vector<Tok> alphabet() {
  std::vector<Tok> a = {
      Tok::num(0),       Tok::num(1),       Tok::num(3),           Tok::num(2024),
      Tok::fuzzy(2),     Tok::half(),       Tok::ordinal(1),       Tok::ordinal(3),
      Tok::weekday(2),   Tok::weekday(4),   Tok::month(6),         Tok::month(3),
      Tok::quarter(2),   Tok::time(17, 30), Tok::anchor("launch"), Tok::anchor("offsite"),
      Tok::word("lunch")};
  for (int u = 0; u <= static_cast<int>(Unit::BusinessDay); ++u)
    a.push_back(Tok::unit(static_cast<Unit>(u)));
  for (int k = 0; k <= static_cast<int>(Keyword::Business); ++k)
    a.push_back(Tok::kw(static_cast<Keyword>(k)));
  return a;
}

// Checks that every matcher of the table that the gates skip for `toks`
// answers no match; returns false at the first that does not.
bool gates_hold(TokenSpan toks, const Ctx& ctx) {
  const TokenSummary s = summarise(toks);
  for (std::size_t i = 0; i < std::size(kMatchers); ++i) {
    if (kMatcherGates[i].admits(s)) continue;
    if (kMatchers[i](toks, ctx).kind != MatchResult::Kind::NoMatch) {
      ADD_FAILURE() << "matcher " << i << " answers a text its gate skips, of " << toks.size()
                    << " tokens, first kind " << static_cast<int>(toks[0].kind);
      return false;
    }
  }
  return true;
}

// Every sequence of up to three tokens of the alphabet, and four and five
// tokens of the kinds the longer shapes are made of.
TEST_F(Arbitration, GatesSkipOnlyMatchersThatWouldNotAnswer) {
  anchors_.emplace_back("launch", *Date::from_ymd(2024, 6, 20));
  const std::vector<Tok> all = alphabet();
  const std::vector<Tok> shapes = {Tok::num(3),
                                   Tok::ordinal(3),
                                   Tok::weekday(4),
                                   Tok::month(3),
                                   Tok::unit(Unit::Day),
                                   Tok::unit(Unit::Month),
                                   Tok::unit(Unit::BusinessDay),
                                   Tok::kw(Keyword::Of),
                                   Tok::kw(Keyword::Next),
                                   Tok::kw(Keyword::After),
                                   Tok::kw(Keyword::From),
                                   Tok::kw(Keyword::Now),
                                   Tok::anchor("launch"),
                                   Tok::word("lunch")};
  std::vector<Tok> toks;
  const auto each = [&](const std::vector<Tok>& from, std::size_t n, auto&& self) -> bool {
    if (toks.size() == n) return gates_hold(toks, ctx_);
    for (const Tok& t : from) {
      toks.push_back(t);
      const bool ok = self(from, n, self);
      toks.pop_back();
      if (!ok) return false;
    }
    return true;
  };
  for (std::size_t n = 1; n <= 3; ++n)
    ASSERT_TRUE(each(all, n, each));
  for (std::size_t n = 4; n <= 5; ++n)
    ASSERT_TRUE(each(shapes, n, each));
  // The keywords, amounts and periods of the longer shapes of the edges,
  // the hedges, the business days and the amounts of time.
  const std::vector<Tok> longer = {Tok::num(2),
                                   Tok::fuzzy(3),
                                   Tok::half(),
                                   Tok::quarter(3),
                                   Tok::ordinal(1),
                                   Tok::unit(Unit::Week),
                                   Tok::unit(Unit::BusinessDay),
                                   Tok::kw(Keyword::Last),
                                   Tok::kw(Keyword::This),
                                   Tok::kw(Keyword::In),
                                   Tok::kw(Keyword::Of),
                                   Tok::kw(Keyword::End),
                                   Tok::kw(Keyword::Around),
                                   Tok::kw(Keyword::Early),
                                   Tok::word("me")};
  for (std::size_t n = 4; n <= 5; ++n)
    ASSERT_TRUE(each(longer, n, each));
}

}  // namespace
}  // namespace kalendo
