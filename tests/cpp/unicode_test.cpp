#include "unicode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace kalendo::uni {
namespace {

// Renders bytes as hex so that a failing comparison shows invalid bytes.
std::string hex_bytes(std::string_view s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}

template <typename Case>
std::string case_name(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

struct LowerCase {
  const char* name;
  std::string in;
  std::string want;
};

class UnicodeToLower : public testing::TestWithParam<LowerCase> {};

TEST_P(UnicodeToLower, LowersWholeText) {
  std::string out;
  to_lower(GetParam().in, out);
  EXPECT_EQ(hex_bytes(out), hex_bytes(GetParam().want)) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeToLower,
    testing::Values(LowerCase{"Ascii", "Next FRIDAY at 5PM", "next friday at 5pm"},
                    // The neighbours of A..Z must not move.
                    LowerCase{"AsciiBoundaries", "@[`{AZ", "@[`{az"},
                    LowerCase{"Latin1", "ÀÉÎÕÜÞ", "àéîõüþ"},
                    LowerCase{"Latin1WithoutLower", "×ß÷ÿ", "×ß÷ÿ"},
                    // Alternating capital/small pairs, then a mapping that goes backwards.
                    LowerCase{"LatinExtendedPairs", "ĀāĂăŸ", "āāăăÿ"},
                    // The title-case digraph and its capital share one small form.
                    LowerCase{"Digraph", "Ǆǅǆ", "ǆǆǆ"},
                    LowerCase{"DottedCapitalI", "\u0130STANBUL", "i\u0307stanbul"},
                    LowerCase{"KelvinSignBecomesAscii", "5\u212A", "5k"},
                    LowerCase{"CapitalSharpS", "\u1E9E", "ß"},
                    LowerCase{"Cherokee", "\u13A0\u13F5\u13F8", "\uAB70\u13FD\u13F8"},
                    LowerCase{"Deseret", "\U00010400\U00010427\U00010428",
                              "\U00010428\U0001044F\U00010428"},
                    LowerCase{"NoCase", "日本 ١٢ 😀", "日本 ١٢ 😀"},
                    LowerCase{"RealReplacementCharacter", "\uFFFDA", "\uFFFDa"},
                    // Invalid bytes pass through unchanged, letters around them are lowered.
                    LowerCase{"InvalidBytes",
                              "A\xC3(\xFF"
                              "B\x80",
                              "a\xC3(\xFF"
                              "b\x80"},
                    LowerCase{"TruncatedAtEnd", "Z\xE2\x82", "z\xE2\x82"},
                    LowerCase{"SurrogateBytes", "\xED\xA0\x80Q", "\xED\xA0\x80q"}),
    case_name<LowerCase>);

// Final sigma: U+03A3 becomes U+03C2 only when a cased character precedes it
// and none follows it, looking through case-ignorable characters both ways.
INSTANTIATE_TEST_SUITE_P(
    FinalSigma, UnicodeToLower,
    testing::Values(LowerCase{"Word", "ΣΟΦΟΣ", "σοφος"}, LowerCase{"Alone", "Σ", "σ"},
                    LowerCase{"EndsText", "ΑΣ", "ας"}, LowerCase{"BeforeDigit", "ΑΣ1", "ας1"},
                    LowerCase{"BeforeSpace", "ΑΣ Β", "ας β"}, LowerCase{"InsideWord", "ΑΣΑ", "ασα"},
                    LowerCase{"AfterDigit", "1Σ", "1σ"}, LowerCase{"AfterSpace", "Α Σ", "α σ"},
                    // '.' is case-ignorable, so the cased letter after it counts.
                    LowerCase{"IgnorableThenCased", "ΟΔΟΣ.ΑΒ", "οδοσ.αβ"},
                    LowerCase{"IgnorableThenEnd", "ΑΣ..", "ας.."},
                    LowerCase{"IgnorableBefore", "Α.'Σ", "α.'ς"},
                    LowerCase{"CombiningMarkBefore", "Α\u0301Σ", "α\u0301ς"},
                    LowerCase{"LatinLetterCounts", "AΣ", "aς"},
                    LowerCase{"SmallSigmaCounts", "σΣ", "σς"},
                    // A four-byte cased letter before the sigma must be read backwards whole.
                    LowerCase{"FourByteCasedBefore", "\U00010400Σ", "\U00010428ς"},
                    LowerCase{"DoubleSigma", "ΑΣΣ", "ασς"},
                    // U+02B0 is both cased and case-ignorable: being cased decides.
                    LowerCase{"CasedIgnorableBefore", "\u02B0Σ", "\u02B0ς"},
                    LowerCase{"CasedIgnorableAfter", "ΑΣ\u02B0", "ασ\u02B0"},
                    // An invalid byte is neither cased nor case-ignorable.
                    LowerCase{"InvalidByteBefore", "Α\xFFΣ", "α\xFFσ"},
                    LowerCase{"InvalidByteAfter",
                              "ΑΣ\xFF"
                              "Α",
                              "ας\xFF"
                              "α"},
                    LowerCase{"InvalidContinuationBefore", "Α\x80Σ", "α\x80σ"}),
    case_name<LowerCase>);

TEST(UnicodeToLowerOutput, AppendsAndTakesContextFromInputOnly) {
  std::string out = "Α";  // a cased letter in the output is no context
  to_lower("Σ", out);
  EXPECT_EQ(out, "Ασ");
}

struct PropertyCase {
  const char* name;
  bool (*has)(char32_t);
  char32_t cp;
  bool want;
};

class UnicodeProperty : public testing::TestWithParam<PropertyCase> {};

TEST_P(UnicodeProperty, MatchesDatabase) {
  EXPECT_EQ(GetParam().has(GetParam().cp), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    WhiteSpace, UnicodeProperty,
    testing::Values(PropertyCase{"Tab", is_white_space, 0x09, true},
                    PropertyCase{"CarriageReturn", is_white_space, 0x0D, true},
                    PropertyCase{"Space", is_white_space, 0x20, true},
                    PropertyCase{"NextLine", is_white_space, 0x85, true},
                    PropertyCase{"NoBreakSpace", is_white_space, 0xA0, true},
                    PropertyCase{"OghamSpace", is_white_space, 0x1680, true},
                    PropertyCase{"HairSpace", is_white_space, 0x200A, true},
                    PropertyCase{"LineSeparator", is_white_space, 0x2028, true},
                    PropertyCase{"IdeographicSpace", is_white_space, 0x3000, true},
                    PropertyCase{"Backspace", is_white_space, 0x08, false},
                    PropertyCase{"ShiftOut", is_white_space, 0x0E, false},
                    PropertyCase{"FileSeparator", is_white_space, 0x1C, false},
                    PropertyCase{"UnitSeparator", is_white_space, 0x1F, false},
                    PropertyCase{"ZeroWidthSpace", is_white_space, 0x200B, false},
                    PropertyCase{"MongolianVowelSeparator", is_white_space, 0x180E, false},
                    PropertyCase{"ByteOrderMark", is_white_space, 0xFEFF, false}),
    case_name<PropertyCase>);

INSTANTIATE_TEST_SUITE_P(
    Printable, UnicodeProperty,
    testing::Values(PropertyCase{"Space", is_printable, 0x20, true},
                    PropertyCase{"Tilde", is_printable, 0x7E, true},
                    PropertyCase{"Delete", is_printable, 0x7F, false},
                    PropertyCase{"Tab", is_printable, 0x09, false},
                    PropertyCase{"NoBreakSpace", is_printable, 0xA0, false},
                    PropertyCase{"SoftHyphen", is_printable, 0xAD, false},
                    PropertyCase{"Unassigned", is_printable, 0x0378, false},
                    PropertyCase{"CombiningAcute", is_printable, 0x0301, true},
                    PropertyCase{"LineSeparator", is_printable, 0x2028, false},
                    PropertyCase{"IdeographicSpace", is_printable, 0x3000, false},
                    PropertyCase{"CjkIdeograph", is_printable, 0x4E00, true},
                    PropertyCase{"HangulFirst", is_printable, 0xAC00, true},
                    PropertyCase{"HangulLast", is_printable, 0xD7A3, true},
                    PropertyCase{"AfterHangul", is_printable, 0xD7A4, false},
                    PropertyCase{"Surrogate", is_printable, 0xD800, false},
                    PropertyCase{"PrivateUse", is_printable, 0xE000, false},
                    PropertyCase{"Emoji", is_printable, 0x1F600, true},
                    PropertyCase{"CjkExtensionHLast", is_printable, 0x323AF, true},
                    PropertyCase{"LanguageTag", is_printable, 0xE0001, false},
                    PropertyCase{"Plane16PrivateUse", is_printable, 0x10FFFD, false},
                    PropertyCase{"Noncharacter", is_printable, 0x10FFFF, false}),
    case_name<PropertyCase>);

INSTANTIATE_TEST_SUITE_P(
    GraphemeExtend, UnicodeProperty,
    testing::Values(PropertyCase{"LetterA", is_grapheme_extend, 'a', false},
                    PropertyCase{"CombiningAcute", is_grapheme_extend, 0x0301, true},
                    // The joiner is its own grapheme class, not Grapheme_Extend.
                    PropertyCase{"ZeroWidthJoiner", is_grapheme_extend, 0x200D, false},
                    PropertyCase{"ZeroWidthNonJoiner", is_grapheme_extend, 0x200C, true},
                    PropertyCase{"VariationSelector16", is_grapheme_extend, 0xFE0F, true},
                    PropertyCase{"BengaliVowelSignAa", is_grapheme_extend, 0x09BE, true},
                    PropertyCase{"DevanagariVisarga", is_grapheme_extend, 0x0903, false}),
    case_name<PropertyCase>);

INSTANTIATE_TEST_SUITE_P(
    CasedAndCaseIgnorable, UnicodeProperty,
    testing::Values(PropertyCase{"CasedA", is_cased, 'A', true},
                    PropertyCase{"CasedZ", is_cased, 'z', true},
                    PropertyCase{"CasedAt", is_cased, '@', false},
                    PropertyCase{"CasedBracket", is_cased, '[', false},
                    PropertyCase{"CasedBrace", is_cased, '{', false},
                    PropertyCase{"CasedDigit", is_cased, '1', false},
                    PropertyCase{"CasedOrdinal", is_cased, 0xAA, true},
                    PropertyCase{"CasedModifierH", is_cased, 0x02B0, true},
                    PropertyCase{"CasedRomanNumeral", is_cased, 0x2160, true},
                    PropertyCase{"CasedIdeograph", is_cased, 0x4E00, false},
                    PropertyCase{"IgnorableApostrophe", is_case_ignorable, '\'', true},
                    PropertyCase{"IgnorableFullStop", is_case_ignorable, '.', true},
                    PropertyCase{"IgnorableColon", is_case_ignorable, ':', true},
                    PropertyCase{"IgnorableCircumflex", is_case_ignorable, '^', true},
                    PropertyCase{"IgnorableGrave", is_case_ignorable, '`', true},
                    PropertyCase{"IgnorableHyphen", is_case_ignorable, '-', false},
                    PropertyCase{"IgnorableComma", is_case_ignorable, ',', false},
                    PropertyCase{"IgnorableLetter", is_case_ignorable, 'a', false},
                    PropertyCase{"IgnorableSoftHyphen", is_case_ignorable, 0xAD, true},
                    PropertyCase{"IgnorableModifierH", is_case_ignorable, 0x02B0, true},
                    PropertyCase{"IgnorableRightQuote", is_case_ignorable, 0x2019, true}),
    case_name<PropertyCase>);

struct DecodeCase {
  const char* name;
  std::string s;
  std::size_t i;
  char32_t cp;
  uint8_t len;
};

class UnicodeDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(UnicodeDecode, DecodesOneCharacter) {
  const Decoded d = decode_utf8(GetParam().s, GetParam().i);
  EXPECT_EQ(d.cp, GetParam().cp);
  EXPECT_EQ(d.len, GetParam().len);
}

INSTANTIATE_TEST_SUITE_P(
    Valid, UnicodeDecode,
    testing::Values(DecodeCase{"Ascii", "A", 0, 0x41, 1},
                    DecodeCase{"TwoBytes", "\xC3\xA9", 0, 0xE9, 2},
                    DecodeCase{"ThreeBytes", "\xE2\x82\xAC", 0, 0x20AC, 3},
                    DecodeCase{"FourBytes", "\xF0\x9F\x98\x80", 0, 0x1F600, 4},
                    DecodeCase{"AtOffset", "ab\xC3\xA9", 2, 0xE9, 2},
                    DecodeCase{"SmallestTwoBytes", "\xC2\x80", 0, 0x80, 2},
                    DecodeCase{"SmallestThreeBytes", "\xE0\xA0\x80", 0, 0x800, 3},
                    DecodeCase{"SmallestFourBytes", "\xF0\x90\x80\x80", 0, 0x10000, 4},
                    DecodeCase{"BeforeSurrogates", "\xED\x9F\xBF", 0, 0xD7FF, 3},
                    DecodeCase{"AfterSurrogates", "\xEE\x80\x80", 0, 0xE000, 3},
                    DecodeCase{"Largest", "\xF4\x8F\xBF\xBF", 0, 0x10FFFF, 4},
                    DecodeCase{"ReplacementCharacter", "\xEF\xBF\xBD", 0, 0xFFFD, 3}),
    case_name<DecodeCase>);

INSTANTIATE_TEST_SUITE_P(
    Invalid, UnicodeDecode,
    testing::Values(DecodeCase{"Continuation", "\x80", 0, 0xFFFD, 1},
                    DecodeCase{"MidCharacter", "\xC3\xA9", 1, 0xFFFD, 1},
                    DecodeCase{"OverlongC0", "\xC0\xAF", 0, 0xFFFD, 1},
                    DecodeCase{"OverlongC1", "\xC1\xBF", 0, 0xFFFD, 1},
                    DecodeCase{"OverlongThreeBytes", "\xE0\x9F\xBF", 0, 0xFFFD, 1},
                    DecodeCase{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", 0, 0xFFFD, 1},
                    DecodeCase{"HighSurrogate", "\xED\xA0\x80", 0, 0xFFFD, 1},
                    DecodeCase{"LowSurrogate", "\xED\xBF\xBF", 0, 0xFFFD, 1},
                    DecodeCase{"AboveMaximum", "\xF4\x90\x80\x80", 0, 0xFFFD, 1},
                    DecodeCase{"LeadF5", "\xF5\x80\x80\x80", 0, 0xFFFD, 1},
                    DecodeCase{"LeadFF", "\xFF", 0, 0xFFFD, 1},
                    DecodeCase{"TruncatedTwo", "\xC3", 0, 0xFFFD, 1},
                    DecodeCase{"TruncatedThree", "x\xE2\x82", 1, 0xFFFD, 1},
                    DecodeCase{"TruncatedFour", "\xF0\x9F\x98", 0, 0xFFFD, 1},
                    DecodeCase{"AsciiAfterLead",
                               "\xC3"
                               "A",
                               0, 0xFFFD, 1},
                    DecodeCase{"AsciiInsideThree",
                               "\xE2\x82"
                               "A",
                               0, 0xFFFD, 1}),
    case_name<DecodeCase>);

// Decoding must stop at the end of the view even when the bytes after it
// would complete the character.
TEST(UnicodeDecodeView, TreatsCharacterCutByViewEndAsInvalid) {
  const std::string whole = "\xF0\x9F\x98\x80";
  for (std::size_t cut = 1; cut < whole.size(); ++cut) {
    const std::string_view view = std::string_view(whole).substr(0, cut);
    const Decoded d = decode_utf8(view, 0);
    EXPECT_EQ(d.cp, char32_t{0xFFFD}) << cut;
    EXPECT_EQ(d.len, 1) << cut;
    std::string out;
    to_lower(view, out);
    EXPECT_EQ(out, view) << cut;
  }
}

// Checks every scalar value: encoding then decoding gives it back with the
// shortest length, and the white-space helpers agree with the property.
TEST(UnicodeCodec, RoundTripsEveryScalarValue) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp == 0xD800) cp = 0xE000;
    std::string s;
    append_utf8(s, cp);
    const std::size_t want_len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    ASSERT_EQ(s.size(), want_len) << std::hex << uint32_t{cp};
    const Decoded d = decode_utf8(s, 0);
    ASSERT_EQ(d.cp, cp);
    ASSERT_EQ(d.len, want_len);
    ASSERT_EQ(white_space_len(s, 0), is_white_space(cp) ? want_len : 0) << std::hex << uint32_t{cp};
    ASSERT_EQ(trim_white_space(s).empty(), is_white_space(cp)) << std::hex << uint32_t{cp};
  }
}

struct TrimCase {
  const char* name;
  std::string in;
  std::string want;
};

class UnicodeTrim : public testing::TestWithParam<TrimCase> {};

TEST_P(UnicodeTrim, StripsWhiteSpaceAtBothEnds) {
  EXPECT_EQ(hex_bytes(trim_white_space(GetParam().in)), hex_bytes(GetParam().want));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeTrim,
    testing::Values(TrimCase{"Empty", "", ""}, TrimCase{"OnlySpaces", " \t\n ", ""},
                    TrimCase{"KeepsInterior", " a  b\t", "a  b"},
                    TrimCase{"NonAscii", "\u3000\u0085a\u00A0\u2028", "a"},
                    TrimCase{"OnlyNonAscii", "\u00A0\u3000", ""},
                    TrimCase{"ZeroWidthSpaceStays", "\u200Ba\u200B", "\u200Ba\u200B"},
                    TrimCase{"SeparatorControlsStay",
                             "\x1C"
                             "a\x1F",
                             "\x1C"
                             "a\x1F"},
                    // A lone A0 byte is the tail of U+00A0's encoding, not the character.
                    TrimCase{"LoneTailByte",
                             "\xA0"
                             "a\xA0",
                             "\xA0"
                             "a\xA0"},
                    TrimCase{"StrayByteBeforeSpace", "a\x80\u3000", "a\x80"},
                    TrimCase{"TruncatedSpace", "a \xE3\x80", "a \xE3\x80"},
                    TrimCase{"InvalidThenSpace", "\xFF ", "\xFF"}),
    case_name<TrimCase>);

struct SpaceLenCase {
  const char* name;
  std::string s;
  std::size_t i;
  std::size_t want;
};

class UnicodeWhiteSpaceLen : public testing::TestWithParam<SpaceLenCase> {};

TEST_P(UnicodeWhiteSpaceLen, MeasuresCharacterAtIndex) {
  EXPECT_EQ(white_space_len(GetParam().s, GetParam().i), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnicodeWhiteSpaceLen,
                         testing::Values(SpaceLenCase{"Space", "a b", 1, 1},
                                         SpaceLenCase{"Letter", "a b", 0, 0},
                                         SpaceLenCase{"NoBreakSpace", "\u00A0x", 0, 2},
                                         SpaceLenCase{"IdeographicSpace", "x\u3000", 1, 3},
                                         SpaceLenCase{"ZeroWidthSpace", "\u200B", 0, 0},
                                         SpaceLenCase{"TruncatedNoBreakSpace", "\xC2", 0, 0},
                                         SpaceLenCase{"LoneTailByte", "\xA0", 0, 0},
                                         SpaceLenCase{"FileSeparator", "\x1C", 0, 0}),
                         case_name<SpaceLenCase>);

}  // namespace
}  // namespace kalendo::uni
