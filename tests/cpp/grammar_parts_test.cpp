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

}  // namespace
}  // namespace kalendo
