#include "everyday/shapes.h"

#include <gtest/gtest.h>

#include <string>

#include "everyday/mod.h"
#include "parse.h"

namespace kalendo::everyday {
namespace {

// Describes the pieces compactly: "N/3,14" for a numeric shape, "C" for a
// compact date, "T2025,3,14@17:0:30" for a date-time, "K17:0:30" for a
// clock time with seconds, "A<text>" for an amount, "t<kind>" for a core
// token.
std::string describe(const Pieces& pieces) {
  std::string out;
  const auto num = [&](uint32_t v) { out.append(std::to_string(v)); };
  for (const Piece& p : pieces) {
    if (!out.empty()) out.push_back(' ');
    if (!p.is_shape) {
      out.push_back('t');
      num(static_cast<uint32_t>(p.tok.kind));
      continue;
    }
    const Shape& s = p.shape;
    if (s.kind == Shape::Kind::Amount) {
      out.push_back('A');
      out.append(s.text);
      continue;
    }
    if (s.kind == Shape::Kind::Numeric) {
      out.push_back('N');
      out.push_back(s.sep);
      for (int i = 0; i < s.count; ++i) {
        if (i != 0) out.push_back(',');
        num(s.parts[i]);
        out.push_back(':');
        num(s.widths[i]);
      }
      continue;
    }
    if (s.kind != Shape::Kind::Clock) {
      out.push_back(s.kind == Shape::Kind::Compact ? 'C' : 'T');
      for (int i = 0; i < 3; ++i) {
        if (i != 0) out.push_back(',');
        num(s.parts[i]);
      }
      if (s.kind == Shape::Kind::Compact) continue;
      out.push_back('@');
    } else {
      out.push_back('K');
    }
    num(s.hour);
    out.push_back(':');
    num(s.minute);
    out.push_back(':');
    num(s.second);
  }
  return out;
}

struct Case {
  const char* text;
  const char* want;
};

// Token kinds as numbers: 0 Num, 5 Month, 7 Time, 11 Word.
constexpr Case kCases[] = {
    {"3/14", "N/3:1,14:2"},
    {"14.03.2025", "N.14:2,3:2,2025:4"},
    {"3-14-25", "N-3:1,14:2,25:2"},
    {"2014/12/28", "N/2014:4,12:2,28:2"},
    {"2/2013", "N/2:1,2013:4"},
    {"2014-10", "N-2014:4,10:2"},
    {"(3/14),", "N/3:1,14:2"},
    {"14.03.2025.", "N.14:2,3:2,2025:4"},
    {"20250314", "C2025,3,14"},
    {"2025-03-14T17:00", "T2025,3,14@17:0:0"},
    {"2025-03-14t07:05:09", "T2025,3,14@7:5:9"},
    {"17:00:30", "K17:0:30"},
    {"17:00:30.250", "K17:0:30"},
    {"2025-03-14T17:00:30,5", "T2025,3,14@17:0:30"},
    {"march 3 2025-03-14 5 pm", "t5 t0 N-2025:4,3:2,14:2 t7"},
    // Amounts: signs and dots the tokenizer would turn into spaces.
    {"2.5", "A2.5"},
    {"in 2.5 hours", "t9 A2.5 t8"},
    {"-3 days", "A-3 t8"},
    {"+15min,", "A+15min"},
    {"5.30pm", "A5.30pm"},
    {"5.30p.m.", "A5.30p.m."},
    {"17:00 +02:00", "t7 A+02:00"},
    {"-0500", "A-0500"},
    {"UTC+2 gmt-05:30", "AUTC+2 Agmt-05:30"},
    {"utc+", "t11"},
    {"abc+2", "t11"},
    // Not shapes: short dashed pairs (ranges), mixed separators,
    // wrong widths, versions, addresses, out-of-day clocks.
    {"3-4", "t0 t0"},
    {"2.5x3", "t0 t11"},
    {"1:30", "t7"},
    {"3/14-2025", "t11 t0"},
    {"555-1234", "t0 t0"},
    {"1/2/3", "t11"},
    {"2.5.1", "t0 t0 t0"},
    {"192.168.1.1", "t0 t0 t0 t0"},
    {"12345/1", "t11"},
    {"2025-03-14T25:00", "t0 t0 t11"},
    {"24:00:00", "t11"},
    {"9:5:00", "t11"},
    {"17:00.5", "t7 t0"},
    {"17:00:30.", "K17:0:30"},
    {"17:00:30.x", "t11 t11"},
    {"1234567", "t0"},
    {"202503141", "t0"},
};

class ShapeTable : public ::testing::TestWithParam<Case> {};

TEST_P(ShapeTable, Scans) {
  const Case& c = GetParam();
  EXPECT_EQ(describe(scan(c.text)), c.want) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Words, ShapeTable, ::testing::ValuesIn(kCases));

// Full mode sits on the core: the core's own answers pass through untouched,
// and a text that both grammars leave is the core's no-parse.
TEST(FullMode, KeepsTheCoreAnswer) {
  FullOptions opts;
  const DateTime now{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  for (const char* text : {"next friday", "march", "q3", "blorp", "", "   ", "3/14 2 days"}) {
    std::string core_json, full_json;
    write_json(to_wire(parse_str(text, now, {}, opts.core, {})), core_json);
    write_json(to_wire(parse_full(text, now, {}, opts, {})), full_json);
    EXPECT_EQ(full_json, core_json) << text;
  }
}

}  // namespace
}  // namespace kalendo::everyday
