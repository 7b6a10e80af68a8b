#include "unicode.h"

#include <algorithm>
#include <iterator>

namespace kalendo::uni {
namespace {

// Inclusive range of code points that share a property.
struct CodeRange {
  char32_t first;
  char32_t last;
};

// Every `stride`-th code point of [first, last] lower-cases to itself + delta.
struct LowerRun {
  char32_t first;
  char32_t last;
  int32_t delta;
  uint8_t stride;
};

// Keep in step with MAX_LOWER_LEN in tools/gen_unicode.py.
constexpr std::size_t kMaxLowerLen = 3;

// A code point whose lower-case form has several code points.
struct LowerMulti {
  char32_t cp;
  uint8_t len;
  char32_t lower[kMaxLowerLen];
};

}  // namespace

#include "unicode_data.inc"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr Decoded kInvalid{kReplacement, 1};
constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kSmallSigma = 0x03C3;
constexpr char32_t kFinalSigma = 0x03C2;

// Returns true when cp lies in one of the sorted, disjoint ranges of `table`.
template <std::size_t N>
bool in_ranges(const CodeRange (&table)[N], char32_t cp) {
  const CodeRange* after = std::upper_bound(
      table, table + N, cp, [](char32_t c, const CodeRange& r) { return c < r.first; });
  return after != table && cp <= after[-1].last;
}

char ascii_lower(char c) {
  return static_cast<unsigned char>(c - 'A') < 26 ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Decodes the character that ends just before s[end]; requires end > 0 and
// that end is a character boundary of the forward decoding. A valid sequence
// starts at a lead byte, so the last byte belongs to a longer character only
// if the nearest lead byte before it decodes to exactly the bytes up to end;
// otherwise it stands alone.
Decoded decode_before(std::string_view s, std::size_t end) {
  s = s.substr(0, end);
  std::size_t start = end - 1;
  while (start > 0 && end - start < 4 && is_continuation(s[start]))
    --start;
  const Decoded d = decode_utf8(s, start);
  return start + d.len == end ? d : kInvalid;
}

// Appends the lower-case form of a non-ASCII code point other than U+03A3.
void append_lower(std::string& out, char32_t cp) {
  const LowerMulti* multi =
      std::lower_bound(std::begin(kLowerMulti), std::end(kLowerMulti), cp,
                       [](const LowerMulti& m, char32_t c) { return m.cp < c; });
  if (multi != std::end(kLowerMulti) && multi->cp == cp) {
    for (std::size_t k = 0; k < multi->len; ++k)
      append_utf8(out, multi->lower[k]);
    return;
  }
  const LowerRun* after =
      std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), cp,
                       [](char32_t c, const LowerRun& r) { return c < r.first; });
  if (after != std::begin(kLowerRuns)) {
    const LowerRun& run = after[-1];
    if (cp <= run.last && (cp - run.first) % run.stride == 0) {
      cp = static_cast<char32_t>(static_cast<int32_t>(cp) + run.delta);
    }
  }
  append_utf8(out, cp);
}

// Returns true when the capital sigma at in[start, end) ends a word by the
// Final_Sigma condition: a cased character comes before it with only
// case-ignorable characters in between, and no cased character follows it
// with only case-ignorable characters in between. A character can be both
// cased and case-ignorable (U+02B0), so cased is tested first: it ends the
// search either way. The context is the original text, not the lower-cased
// output.
bool is_final_sigma(std::string_view in, std::size_t start, std::size_t end) {
  bool cased_before = false;
  for (std::size_t pos = start; pos > 0;) {
    const Decoded d = decode_before(in, pos);
    if (is_cased(d.cp)) {
      cased_before = true;
      break;
    }
    if (!is_case_ignorable(d.cp)) break;
    pos -= d.len;
  }
  if (!cased_before) return false;
  for (std::size_t pos = end; pos < in.size();) {
    const Decoded d = decode_utf8(in, pos);
    if (is_cased(d.cp)) return false;
    if (!is_case_ignorable(d.cp)) return true;
    pos += d.len;
  }
  return true;
}

}  // namespace

Decoded decode_utf8(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {lead, 1};
  // Bounds for the second byte exclude overlong forms (E0, F0), surrogates
  // (ED) and values above U+10FFFF (F4); C0, C1 and F5..FF never start a
  // valid sequence.
  uint8_t len;
  char32_t cp;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (lead < 0xC2) {
    return kInvalid;
  } else if (lead < 0xE0) {
    len = 2;
    cp = lead & 0x1F;
  } else if (lead < 0xF0) {
    len = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
  } else if (lead < 0xF5) {
    len = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    return kInvalid;
  }
  if (s.size() - i < len) return kInvalid;
  for (std::size_t k = 1; k < len; ++k) {
    const unsigned char b = byte(i + k);
    if (b < lo || b > hi) return kInvalid;
    cp = (cp << 6) | (b & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  return {cp, len};
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool is_white_space(char32_t cp) {
  if (cp < 0x80) return is_ascii_white_space(static_cast<unsigned char>(cp));
  return in_ranges(kWhiteSpace, cp);
}

bool is_grapheme_extend(char32_t cp) {
  if (cp < 0x80) return false;
  return in_ranges(kGraphemeExtend, cp);
}

bool is_printable(char32_t cp) {
  if (cp < 0x80) return cp >= 0x20 && cp < 0x7F;
  return in_ranges(kPrintable, cp);
}

bool is_cased(char32_t cp) {
  if (cp < 0x80) return (cp | 0x20) >= 'a' && (cp | 0x20) <= 'z';
  return in_ranges(kCased, cp);
}

bool is_case_ignorable(char32_t cp) {
  if (cp < 0x80) return cp == '\'' || cp == '.' || cp == ':' || cp == '^' || cp == '`';
  return in_ranges(kCaseIgnorable, cp);
}

void to_lower(std::string_view in, std::string& out) {
  out.reserve(out.size() + in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    // Lower a run of ASCII bytes with a plain byte loop and no decoding: date
    // expressions are almost always ASCII, so this is the common path.
    std::size_t run_end = i;
    while (run_end < in.size() && static_cast<unsigned char>(in[run_end]) < 0x80)
      ++run_end;
    if (run_end > i) {
      const std::size_t from = out.size();
      const std::size_t n = run_end - i;
      out.resize(from + n);
      char* dst = out.data() + from;
      const char* src = in.data() + i;
      for (std::size_t k = 0; k < n; ++k)
        dst[k] = ascii_lower(src[k]);
      i = run_end;
      if (i == in.size()) break;
    }
    const Decoded d = decode_utf8(in, i);
    if (d.cp == kReplacement && d.len == 1) {
      out.push_back(in[i]);  // an invalid byte: a real U+FFFD takes 3 bytes
    } else if (d.cp == kCapitalSigma) {
      append_utf8(out, is_final_sigma(in, i, i + d.len) ? kFinalSigma : kSmallSigma);
    } else {
      append_lower(out, d.cp);
    }
    i += d.len;
  }
}

std::string_view trim_white_space_by_chars(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size()) {
    const std::size_t len = white_space_len(s, begin);
    if (len == 0) break;
    begin += len;
  }
  std::size_t end = s.size();
  while (end > begin) {
    const unsigned char last = static_cast<unsigned char>(s[end - 1]);
    if (last < 0x80) {
      if (!is_ascii_white_space(last)) break;
      --end;
      continue;
    }
    const Decoded d = decode_before(s, end);
    if (!is_white_space(d.cp)) break;
    end -= d.len;
  }
  return s.substr(begin, end - begin);
}

std::size_t white_space_len_beyond_ascii(std::string_view s, std::size_t i) {
  const Decoded d = decode_utf8(s, i);
  return is_white_space(d.cp) ? d.len : 0;
}

}  // namespace kalendo::uni
