// The Unicode operations of the core against the character database: the
// lookups at the edges of their ranges, lower-casing of what Python cannot
// check, and decoding that survives any bytes.
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

struct Pair {
  std::string_view in;
  std::string_view want;
};

// clang-format off
// Lower-casing is checked against Python's str.lower through anchor names
// (test_properties.py); these are the bytes Python cannot pass, and the
// letters both cased and case-ignorable, where the two differ by design.
const Pair kLower[] = {
    {"A\xC3(\xFF" "B\x80", "a\xC3(\xFF" "b\x80"}, {"Z\xE2\x82", "z\xE2\x82"}, {"\xED\xA0\x80Q", "\xED\xA0\x80q"},
    {"\u02B0Σ", "\u02B0ς"}, {"ΑΣ\u02B0", "ασ\u02B0"}, {"Α\xFFΣ", "α\xFFσ"}, {"ΑΣ\xFF" "Α", "ας\xFF" "α"},
    {"Α\x80Σ", "α\x80σ"},
};

const Pair kTrim[] = {
    {"", ""}, {" \t\n ", ""}, {" a  b\t", "a  b"}, {"\u3000\u0085a\u00A0\u2028", "a"},
    {"\u00A0\u3000", ""}, {"\u200Ba\u200B", "\u200Ba\u200B"}, {"\x1C" "a\x1F", "\x1C" "a\x1F"},
    {"\xA0" "a\xA0", "\xA0" "a\xA0"}, {"a\x80\u3000", "a\x80"}, {"a \xE3\x80", "a \xE3\x80"},
    {"\xFF ", "\xFF"}, {"a\r\n", "a"}, {"\va", "a"}, {"!~", "!~"},
};

// Each property at the edges of its ranges: (property, code point, has it).
struct Property {
  bool (*has)(char32_t);
  char32_t cp;
  bool want;
};
const Property kProperties[] = {
    {is_white_space, 0x09, true}, {is_white_space, 0x0D, true}, {is_white_space, 0x85, true},
    {is_white_space, 0xA0, true}, {is_white_space, 0x1680, true}, {is_white_space, 0x200A, true},
    {is_white_space, 0x3000, true}, {is_white_space, 0x08, false}, {is_white_space, 0x0E, false},
    {is_white_space, 0x1C, false}, {is_white_space, 0x200B, false}, {is_white_space, 0x180E, false},
    {is_white_space, 0xFEFF, false}, {is_printable, 0x20, true}, {is_printable, 0x7E, true},
    {is_printable, 0x7F, false}, {is_printable, 0xA0, false}, {is_printable, 0xAD, false},
    {is_printable, 0x0378, false}, {is_printable, 0x0301, true}, {is_printable, 0x2028, false},
    {is_printable, 0xD7A3, true}, {is_printable, 0xD7A4, false}, {is_printable, 0xD800, false},
    {is_printable, 0xE000, false}, {is_printable, 0x1F600, true}, {is_printable, 0x323AF, true},
    {is_printable, 0xE0001, false}, {is_printable, 0x10FFFF, false}, {is_grapheme_extend, 'a', false},
    {is_grapheme_extend, 0x0301, true}, {is_grapheme_extend, 0x200D, false}, {is_grapheme_extend, 0x200C, true},
    {is_grapheme_extend, 0xFE0F, true}, {is_grapheme_extend, 0x09BE, true}, {is_grapheme_extend, 0x0903, false},
    {is_cased, 'A', true}, {is_cased, 'z', true}, {is_cased, '@', false}, {is_cased, '[', false},
    {is_cased, '{', false}, {is_cased, 0xAA, true}, {is_cased, 0x02B0, true}, {is_cased, 0x2160, true},
    {is_cased, 0x4E00, false}, {is_case_ignorable, '\'', true}, {is_case_ignorable, '.', true},
    {is_case_ignorable, '^', true}, {is_case_ignorable, '`', true}, {is_case_ignorable, '-', false},
    {is_case_ignorable, ',', false}, {is_case_ignorable, 'a', false}, {is_case_ignorable, 0xAD, true},
    {is_case_ignorable, 0x02B0, true}, {is_case_ignorable, 0x2019, true},
};

// Invalid sequences decode as U+FFFD of one byte.
const std::string_view kInvalid[] = {
    "\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
    "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xC3", "\xE2\x82",
    "\xF0\x9F\x98", "\xC3" "A", "\xE2\x82" "A",
};
// clang-format on

TEST(Unicode, LowerCasesWholeTexts) {
  for (const Pair& c : kLower) {
    std::string out;
    to_lower(c.in, out);
    EXPECT_EQ(hex_bytes(out), hex_bytes(c.want)) << c.in;
  }
  // Only the input gives context: a cased letter already in `out` does not.
  std::string out = "Α";
  to_lower("Σ", out);
  EXPECT_EQ(out, "Ασ");
}

TEST(Unicode, TrimsWhiteSpaceAtBothEnds) {
  for (const Pair& c : kTrim)
    EXPECT_EQ(hex_bytes(trim_white_space(c.in)), hex_bytes(c.want)) << c.in;
}

TEST(Unicode, PropertiesAtTheEdgesOfTheirRanges) {
  for (const Property& c : kProperties)
    EXPECT_EQ(c.has(c.cp), c.want) << std::hex << uint32_t{c.cp};
}

TEST(Unicode, InvalidSequencesDecodeAsOneReplacementByte) {
  for (std::string_view s : kInvalid) {
    const Decoded d = decode_utf8(s, 0);
    EXPECT_EQ(d.cp, char32_t{0xFFFD}) << hex_bytes(s);
    EXPECT_EQ(d.len, 1) << hex_bytes(s);
  }
  EXPECT_EQ(decode_utf8("\xC3\xA9", 1).len, 1);  // the middle of a character
  // A character cut by the end of the view is invalid, whatever follows it.
  const std::string whole = "\xF0\x9F\x98\x80";
  for (std::size_t cut = 1; cut < whole.size(); ++cut) {
    const std::string_view view = std::string_view(whole).substr(0, cut);
    EXPECT_EQ(decode_utf8(view, 0).len, 1) << cut;
    std::string out;
    to_lower(view, out);
    EXPECT_EQ(out, view) << cut;
  }
}

// A run of plain ASCII ends at the first byte that needs escaping, wherever
// it falls in the blocks tested at once: every byte value at every position of
// a 20-byte text and at the end of its prefixes, only plain bytes before.
TEST(Unicode, PlainAsciiRunsEndAtTheFirstOtherByte) {
  for (unsigned b = 0; b < 256; ++b) {
    for (std::size_t at = 0; at < 20; ++at) {
      std::string s(20, 'a');
      s[at] = static_cast<char>(b);
      const std::size_t want = is_plain_ascii(static_cast<unsigned char>(b)) ? 20 : at;
      for (const auto end : {plain_ascii_end, plain_ascii_end_by_words}) {
        ASSERT_EQ(end(s, 0), want) << b << " at " << at;
        ASSERT_EQ(end(s, at), want) << b << " at " << at;
        ASSERT_EQ(end(std::string_view(s).substr(0, at + 1), 0), at + (want > at ? 1 : 0));
      }
    }
  }
}

// Every scalar value encodes with the shortest length, decodes back, and the
// white-space helpers agree with the property.
TEST(Unicode, RoundTripsEveryScalarValue) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp == 0xD800) cp = 0xE000;
    std::string s;
    append_utf8(s, cp);
    const std::size_t want_len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    ASSERT_EQ(s.size(), want_len) << std::hex << uint32_t{cp};
    const Decoded d = decode_utf8("x" + s, 1);
    ASSERT_EQ(d.cp, cp);
    ASSERT_EQ(d.len, want_len);
    ASSERT_EQ(white_space_len(s, 0), is_white_space(cp) ? want_len : 0) << std::hex << uint32_t{cp};
    ASSERT_EQ(trim_white_space(s).empty(), is_white_space(cp)) << std::hex << uint32_t{cp};
  }
  EXPECT_EQ(white_space_len("\xC2", 0), 0u);  // a truncated U+00A0
  EXPECT_EQ(white_space_len("a", 1), 0u);     // past the end
}

}  // namespace
}  // namespace kalendo::uni
