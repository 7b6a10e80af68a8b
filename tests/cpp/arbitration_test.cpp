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

class Arbitration : public ::testing::Test {
 protected:
  Outcome run(std::initializer_list<Matcher> matchers, std::string_view text = "text") {
    const std::vector<Matcher> table(matchers);
    return resolve_inner(text, {}, ctx_, table);
  }

  // Returns the confidences of an ambiguous outcome's candidates.
  std::vector<float> confidences(const Outcome& o) {
    std::vector<float> out;
    for (const auto& r : o.candidates)
      out.push_back(r.confidence);
    return out;
  }

  Options opts_{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  AnchorMap anchors_;
  Ctx ctx_{opts_, anchors_, HolidayFn(), opts_.default_time, on_day(5), false};
};

TEST_F(Arbitration, NothingMatchedQuotesTheText) {
  const Outcome o = run({nothing, nothing}, "say \"hi\"\t");
  EXPECT_EQ(o.kind, Outcome::Kind::NoParse);
  EXPECT_EQ(o.reason, "no grammar rule matched \"say \\\"hi\\\"\\t\"");
}

TEST_F(Arbitration, DuplicateValueKeepsTheEarlierReading) {
  const Outcome o = run({instant<7, 70>, instant<7, 90>});
  ASSERT_EQ(o.kind, Outcome::Kind::Resolved);
  EXPECT_EQ(o.reading.confidence, 0.7f);
  EXPECT_EQ(o.reading.interpretation, "day 7");
}

TEST_F(Arbitration, InstantNeverEqualsRange) {
  const Outcome o = run({instant<7, 50>, whole_day<7>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  EXPECT_EQ(o.candidates.size(), 2u);
}

TEST_F(Arbitration, GapJustBelowThresholdIsAmbiguous) {
  // 0.95f - 0.8f is 0.14999998 in single precision.
  const Outcome o = run({instant<7, 80>, instant<8, 95>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  EXPECT_EQ(o.reason, "2 grammar rules matched with comparable confidence");
  EXPECT_EQ(confidences(o), (std::vector<float>{0.84999996f, 0.7f}));
  EXPECT_EQ(o.candidates[0].interpretation, "day 8");
}

TEST_F(Arbitration, GapJustAboveThresholdResolves) {
  // 0.85f - 0.7f is 0.15000004 in single precision.
  const Outcome o = run({instant<7, 70>, instant<8, 85>});
  ASSERT_EQ(o.kind, Outcome::Kind::Resolved);
  EXPECT_EQ(o.reading.confidence, 0.85f);
}

TEST_F(Arbitration, PenaltyGrowsWithCountAndIsFloored) {
  const Outcome o = run({instant<7, 90>, instant<8, 85>, instant<9, 10>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  EXPECT_EQ(o.reason, "3 grammar rules matched with comparable confidence");
  EXPECT_EQ(confidences(o), (std::vector<float>{0.7f, 0.65000004f, 0.05f}));
}

TEST_F(Arbitration, EqualConfidencesKeepTableOrder) {
  const Outcome o = run({instant<9, 60>, instant<7, 60>, instant<8, 60>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  EXPECT_EQ(o.candidates[0].interpretation, "day 9");
  EXPECT_EQ(o.candidates[1].interpretation, "day 7");
  EXPECT_EQ(o.candidates[2].interpretation, "day 8");
}

TEST_F(Arbitration, SingleBeatsMatcherAmbiguityAndReject) {
  const Outcome o = run({ambiguous<1>, reject<1>, instant<7, 40>});
  ASSERT_EQ(o.kind, Outcome::Kind::Resolved);
  EXPECT_EQ(o.reading.confidence, 0.4f);
}

TEST_F(Arbitration, FirstMatcherAmbiguityIsPassedThroughUnchanged) {
  const Outcome o = run({reject<1>, ambiguous<1>, ambiguous<2>, reject<2>});
  ASSERT_EQ(o.kind, Outcome::Kind::Ambiguous);
  EXPECT_EQ(o.reason, "ambiguous 1");
  EXPECT_EQ(confidences(o), std::vector<float>{0.7f});
}

TEST_F(Arbitration, LatestRejectReasonWins) {
  const Outcome o = run({reject<1>, nothing, reject<2>, nothing});
  ASSERT_EQ(o.kind, Outcome::Kind::NoParse);
  EXPECT_EQ(o.reason, "reject 2");
}

TEST_F(Arbitration, EveryMatcherIsCalled) {
  static int calls = 0;
  calls = 0;
  auto counting = [](TokenSpan t, const Ctx& c) {
    ++calls;
    return instant<7, 90>(t, c);
  };
  run({counting, counting, counting});
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace kalendo
