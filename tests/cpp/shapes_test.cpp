// The shape scan splits a text into its numeric shapes and the core tokens
// of the words between them, kept on the stack for up to eight pieces and
// on the heap past them. Each row gives the order of shapes (s) and tokens
// (t), the shapes as written, and whether a word that is no shape has a
// hyphen; the rows dwell on texts of one to seven bytes, which are looked
// at for a mark in one load, and on texts of more than eight pieces.
#include "everyday/shapes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kalendo::everyday {
namespace {

struct Row {
  std::string_view text;
  bool shaped;
  bool hyphened;
  std::string_view layout;  // s for a shape, t for a token, in order
  std::string_view shapes;  // the shapes' texts, joined by '|'
};

std::string layout_of(std::span<const Piece> pieces) {
  std::string out;
  for (const Piece& p : pieces)
    out += p.is_shape ? 's' : 't';
  return out;
}

std::string shapes_of(std::span<const Piece> pieces) {
  std::string out;
  for (const Piece& p : pieces) {
    if (!p.is_shape) continue;
    if (!out.empty()) out += '|';
    out += p.shape.text;
  }
  return out;
}

constexpr Row kRows[] = {
    // one to seven bytes: a mark first, in the middle, last, or none
    {"3/4", true, false, "s", "3/4"},
    {"-3", true, false, "s", "-3"},
    {"3-", false, true, "", ""},
    {"5.30pm", true, false, "s", "5.30pm"},
    {"+15min", true, false, "s", "+15min"},
    {"12/25", true, false, "s", "12/25"},
    {"x-y", false, true, "", ""},
    {"abc", false, false, "", ""},
    {"7", false, false, "", ""},
    {"", false, false, "", ""},
    // eight bytes and more
    {"20250314", true, false, "s", "20250314"},
    {"1234567", false, false, "", ""},
    {"3/14 at noon", true, false, "st", "3/14"},
    // more than eight pieces, all shapes or shapes among words
    {"1/2/2025 3/4/2025 5/6/2025 7/8/2025 9/10/2025 11/12/2025 1/1/2026 2/2/2026 3/3/2026", true,
     false, "sssssssss",
     "1/2/2025|3/4/2025|5/6/2025|7/8/2025|9/10/2025|11/12/2025|1/1/2026|2/2/2026|3/3/2026"},
    {"3/14 monday 3/15 tuesday 3/16 wednesday 3/17 thursday 3/18 friday", true, false, "ststststst",
     "3/14|3/15|3/16|3/17|3/18"},
};

TEST(Shapes, ScanKeepsTheOrderOfShapesAndTokens) {
  for (const Row& row : kRows) {
    PieceBuffer held;
    const ShapeScan found = scan_shaped(row.text, held);
    EXPECT_EQ(found.shaped, row.shaped) << row.text;
    EXPECT_EQ(found.hyphened, row.hyphened) << row.text;
    if (row.shaped) {
      EXPECT_EQ(layout_of(held.items()), row.layout) << row.text;
      EXPECT_EQ(shapes_of(held.items()), row.shapes) << row.text;
    } else {
      EXPECT_TRUE(held.empty()) << row.text;
    }
    // The whole scan gives the same pieces, and tokens for a text without
    // a shape too.
    const Pieces all = scan(row.text);
    if (row.shaped) {
      EXPECT_EQ(layout_of(all), row.layout) << row.text;
    }
    EXPECT_EQ(shapes_of(all), row.shapes) << row.text;
    EXPECT_EQ(has_shape(row.text), row.shaped) << row.text;
  }
}

}  // namespace
}  // namespace kalendo::everyday
