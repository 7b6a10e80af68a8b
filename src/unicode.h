// Unicode character properties and text operations that the parse core needs:
// full lower-casing (with the final-sigma rule), White_Space trimming and
// splitting, and the properties used to quote text back to the caller.
//
// The property tables are generated from the Unicode Character Database by
// tools/gen_unicode.py into unicode_data.inc; nothing here reads the C locale.
// Every lookup takes an ASCII fast path before a binary search over ranges.
//
// Text is UTF-8. Input that is not valid UTF-8 never reaches the core from
// Python, but the core must survive it: an invalid byte decodes as U+FFFD
// with length 1, is never white space, and is copied unchanged by to_lower.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kalendo::uni {

// Version of the Unicode Character Database the tables were built from.
extern const char kUnicodeVersion[];

struct Decoded {
  char32_t cp;  // U+FFFD for an invalid or truncated sequence
  uint8_t len;  // bytes consumed, [1, 4]
};

// Decodes the UTF-8 sequence that starts at s[i]; requires i < s.size().
// Rejects overlong forms, surrogates and values above U+10FFFF (as one byte).
Decoded decode_utf8(std::string_view s, std::size_t i);

// Appends the UTF-8 form of cp (cp must be a scalar value).
void append_utf8(std::string& out, char32_t cp);

bool is_white_space(char32_t cp);
bool is_grapheme_extend(char32_t cp);
// Printable: not Cc, Cf, Cs, Co, Cn, Zl, Zp or Zs, except that U+0020 is.
bool is_printable(char32_t cp);
bool is_cased(char32_t cp);
bool is_case_ignorable(char32_t cp);

// Appends the default full lower-case form of `in` to `out`: one character
// may become several (U+0130 becomes "i" and U+0307), and a capital sigma
// becomes the final form when it ends a word by the Final_Sigma condition.
void to_lower(std::string_view in, std::string& out);

// Returns `s` without leading and trailing White_Space characters, reading
// it character by character.
std::string_view trim_white_space_by_chars(std::string_view s);

// The same, answering in line for a text that starts and ends with a
// ASCII byte above the space, nearly every text: there is nothing to trim.
inline std::string_view trim_white_space(std::string_view s) {
  if (!s.empty()) {
    const auto first = static_cast<unsigned char>(s.front());
    const auto last = static_cast<unsigned char>(s.back());
    if (first > ' ' && first < 0x80 && last > ' ' && last < 0x80) return s;
  }
  return trim_white_space_by_chars(s);
}

// The White_Space characters of ASCII: space, and tab to carriage return.
constexpr bool is_ascii_white_space(unsigned char b) {
  return b == ' ' || (b >= '\t' && b <= '\r');
}

// Returns the byte length of the White_Space character that starts at s[i]
// (i < s.size()), a character beyond ASCII; 0 when it is not one.
std::size_t white_space_len_beyond_ascii(std::string_view s, std::size_t i);

// Returns the byte length of the White_Space character at s[i], or 0. The
// tokenizer and the date reader ask at every byte, so ASCII is answered here.
inline std::size_t white_space_len(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return is_ascii_white_space(b) ? 1 : 0;
  return white_space_len_beyond_ascii(s, i);
}

inline constexpr char kHexDigits[] = "0123456789abcdef";

// True for the bytes that both quoted forms (the caller's text shown back,
// and JSON strings) copy as they are: printable ASCII other than the double
// quote and the backslash.
constexpr bool is_plain_ascii(unsigned char c) {
  return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
}

// Returns the end of the run of plain ASCII bytes that starts at s[i],
// eight bytes at a time in a 64-bit word: a byte is plain unless its high
// bit is set, it is below 0x20 (the subtraction borrows only from such a
// byte), or it is the double quote, the backslash or DEL.
inline std::size_t plain_ascii_end_by_words(std::string_view s, std::size_t i) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const auto has_byte = [](uint64_t x, uint64_t b) {
    const uint64_t v = x ^ (b * kOnes);
    return (v - kOnes) & ~v;
  };
  while (i + 8 <= s.size()) {
    uint64_t x = 0;
    std::memcpy(&x, s.data() + i, 8);
    const uint64_t special =
        (x - 0x20 * kOnes) | x | has_byte(x, '"') | has_byte(x, '\\') | has_byte(x, 0x7F);
    if ((special & kHigh) != 0) break;
    i += 8;
  }
  while (i < s.size() && is_plain_ascii(static_cast<unsigned char>(s[i])))
    ++i;
  return i;
}

// Returns the same end, sixteen bytes at a time where the processor has
// SSE2. Texts are mostly such runs: interpretations and reasons.
inline std::size_t plain_ascii_end(std::string_view s, std::size_t i) {
#if defined(__SSE2__)
  // As signed bytes, the plain ones are those from 0x20 to 0x7E.
  const auto special_mask = [](__m128i x) {
    const __m128i outside = _mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20)),
                                         _mm_cmpgt_epi8(x, _mm_set1_epi8(0x7E)));
    const __m128i quote_or_backslash =
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\\')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(outside, quote_or_backslash)));
  };
  while (i + 16 <= s.size()) {
    const unsigned mask =
        special_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i)));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    i += 16;
  }
  if (i == s.size()) return i;
  // The tail, padded with zeros to a block: a zero is special, so the run
  // stops at the end of the text at the latest.
  alignas(16) char tail[16] = {};
  std::memcpy(tail, s.data() + i, s.size() - i);
  const unsigned mask = special_mask(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)));
  return i + static_cast<std::size_t>(__builtin_ctz(mask));
#else
  return plain_ascii_end_by_words(s, i);
#endif
}

// Appends `s` to `out`, copying each run of plain ASCII in one piece and
// handing every other character to `escape(out, decoded, bytes)`, where
// `bytes` are the character's bytes as they stand in `s` (one byte for an
// invalid sequence, which decodes as U+FFFD).
template <typename Escape>
void append_escaped(std::string& out, std::string_view s, Escape&& escape) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t run = plain_ascii_end(s, i);
    out.append(s.data() + i, run - i);
    i = run;
    if (i == s.size()) break;
    const Decoded d = decode_utf8(s, i);
    escape(out, d, s.substr(i, d.len));
    i += d.len;
  }
}

}  // namespace kalendo::uni
