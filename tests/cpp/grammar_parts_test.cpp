// Pieces of the grammar that several matchers share.
#include <gtest/gtest.h>

#include "grammar/mod.h"

namespace kalendo {
namespace {

TEST(OrdLabel, Suffixes) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "0th"},   {1, "1st"},     {2, "2nd"},     {3, "3rd"},     {4, "4th"},
      {11, "11th"}, {12, "12th"},   {13, "13th"},   {21, "21st"},   {22, "22nd"},
      {23, "23rd"}, {101, "101st"}, {111, "111th"}, {112, "112th"}, {4294967295u, "4294967295th"},
  };
  for (const auto& [n, text] : cases)
    EXPECT_EQ(ext::ord_label(n), text);
}

struct ThirdCase {
  int64_t days;  // length of the period
  // Expected first and last day of each part, counted from 1.
  int64_t early[2], mid[2], late[2];
};

TEST(ThirdSpan, CutsContiguousThirds) {
  const ThirdCase cases[] = {
      {1, {1, 1}, {1, 1}, {1, 1}},
      {2, {1, 1}, {1, 1}, {2, 2}},
      {3, {1, 1}, {2, 2}, {3, 3}},
      {7, {1, 2}, {3, 4}, {5, 7}},
      {28, {1, 9}, {10, 18}, {19, 28}},
      {29, {1, 9}, {10, 19}, {20, 29}},
      {30, {1, 10}, {11, 20}, {21, 30}},
      {31, {1, 10}, {11, 20}, {21, 31}},
      {366, {1, 122}, {123, 244}, {245, 366}},
  };
  const Date first{1000};
  for (const ThirdCase& c : cases) {
    const Date last{first.days + c.days - 1};
    const std::pair<Keyword, const int64_t*> parts[] = {
        {Keyword::Early, c.early}, {Keyword::Mid, c.mid}, {Keyword::Late, c.late}};
    for (const auto& [part, want] : parts) {
      const ext::Third t = ext::third_span(first, last, part);
      EXPECT_EQ(t.first.days - first.days + 1, want[0]) << c.days;
      EXPECT_EQ(t.last.days - first.days + 1, want[1]) << c.days;
    }
  }
  EXPECT_EQ(ext::third_span(first, first, Keyword::Early).label, "early part of");
  EXPECT_EQ(ext::third_span(first, first, Keyword::Mid).label, "middle part of");
  EXPECT_EQ(ext::third_span(first, first, Keyword::Late).label, "late part of");
}

}  // namespace
}  // namespace kalendo
