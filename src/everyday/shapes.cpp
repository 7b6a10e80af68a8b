#include "everyday/shapes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "locale.h"

namespace kalendo::everyday {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Returns the number of digits at s[i...].
std::size_t digits_at(std::string_view s, std::size_t i) {
  std::size_t n = 0;
  while (i + n < s.size() && is_digit(s[i + n]))
    ++n;
  return n;
}

// Reads n digits (n <= 9, so the value fits) at s[i...].
uint32_t value_of(std::string_view s, std::size_t i, std::size_t n) {
  uint32_t v = 0;
  for (std::size_t k = 0; k < n; ++k)
    v = v * 10 + static_cast<uint32_t>(s[i + k] - '0');
  return v;
}

// Returns the length of the zone suffix that ends s at `at`, or 0: Z, or an
// offset +hh:mm, +hhmm, -hhmm, and after a date also -hh:mm and +hh. A
// clock alone takes no -hh:mm, which reads as a range ("17:00-19:00").
std::size_t zone_suffix(std::string_view s, std::size_t at, bool after_date) {
  const std::string_view z = s.substr(at);
  if (z == "Z" || z == "z") return 1;
  if (z.size() < 3 || (z[0] != '+' && z[0] != '-') || digits_at(z, 1) < 2) return 0;
  uint32_t h = value_of(z, 1, 2), m = 0;
  if (z.size() == 6 && z[3] == ':' && digits_at(z, 4) == 2) {
    if (z[0] == '-' && !after_date) return 0;
    m = value_of(z, 4, 2);
  } else if (z.size() == 5 && digits_at(z, 1) == 4) {
    m = value_of(z, 3, 2);
  } else if (!(z.size() == 3 && after_date)) {
    return 0;
  }
  return h <= 14 && m <= 59 ? z.size() : 0;
}

// HH:MM or HH:MM:SS at s[i...] to the end, 1-2 digit hour, within a day,
// and a zone suffix when `zone_ok`: 17:00Z, 17:00:30+02:00.
bool read_clock(std::string_view s, std::size_t i, bool need_seconds, Shape& out,
                bool zone_ok = false, bool after_date = false) {
  const std::size_t h = digits_at(s, i);
  if (h < 1 || h > 2 || i + h >= s.size() || s[i + h] != ':') return false;
  const std::size_t m_at = i + h + 1;
  if (digits_at(s, m_at) != 2) return false;
  out.hour = value_of(s, i, h);
  out.minute = value_of(s, m_at, 2);
  out.second = 0;
  std::size_t end = m_at + 2;
  if (zone_ok && end < s.size() && s[end] != ':') {
    // HH:MM<zone>
    const std::size_t z = zone_suffix(s, end, after_date);
    if (z == 0) return false;
    out.zone = s.substr(end);
    return out.hour < 24 && out.minute < 60;
  }
  if (end < s.size()) {
    if (s[end] != ':' || digits_at(s, end + 1) != 2) return false;
    out.second = value_of(s, end + 1, 2);
    end += 3;
    // A fraction of a second is read and dropped, as results are whole
    // seconds: 17:00:30.250
    if (end < s.size() && (s[end] == '.' || s[end] == ',') && digits_at(s, end + 1) > 0) {
      end += 1 + digits_at(s, end + 1);
    }
    if (zone_ok && end < s.size()) {
      if (zone_suffix(s, end, after_date) == 0) return false;
      out.zone = s.substr(end);
      end = s.size();
    }
    if (end != s.size()) return false;
  } else if (need_seconds) {
    return false;
  }
  return out.hour < 24 && out.minute < 60 && out.second < 60;
}

// Widths a date of two or three digit runs may have: a four-digit year
// first, or one- or two-digit fields with a year of two or four digits last.
bool plausible_widths(char sep, uint8_t count, const uint8_t w[3]) {
  if (count == 3) {
    if (w[0] == 4) return w[1] <= 2 && w[2] <= 2;
    return w[0] <= 2 && w[1] <= 2 && (w[2] == 2 || w[2] == 4);
  }
  // A dotted pair is a decimal number ("2.5"), never a date.
  if (sep == '.') return false;
  const bool year_month = w[0] == 4 && w[1] <= 2;
  const bool month_year = w[0] <= 2 && w[1] == 4;
  // A dashed pair of short fields is left to ranges ("3-4").
  const bool month_day = sep == '/' && w[0] <= 2 && w[1] <= 2;
  return year_month || month_year || month_day;
}

bool is_letter(char c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// [+|-] <digits> [.|:|, <digits>] [<letters and dots>], with a sign or a
// dot: the words whose characters the tokenizer would lose.
bool is_amount(std::string_view w) {
  std::size_t i = 0;
  const bool sign = !w.empty() && (w[0] == '+' || w[0] == '-');
  if (sign) ++i;
  std::size_t n = digits_at(w, i);
  if (n == 0) return false;
  i += n;
  bool dot = false;
  if (i < w.size() && (w[i] == '.' || w[i] == ':' || w[i] == ',')) {
    dot = w[i] == '.';
    n = digits_at(w, i + 1);
    if (n == 0 || (w[i] != '.' && !sign)) return false;
    i += 1 + n;
  }
  for (; i < w.size(); ++i) {
    if (!is_letter(w[i]) && w[i] != '.') return false;
  }
  return sign || dot;
}

// Reads the run of digits at s[i...] into *value and returns its length;
// the value is whole for runs of up to nine digits, the longest read.
std::size_t run_at(std::string_view s, std::size_t i, uint32_t* value) {
  std::size_t n = 0;
  uint32_t v = 0;
  for (; i + n < s.size() && is_digit(s[i + n]); ++n)
    v = v * 10 + static_cast<uint32_t>(s[i + n] - '0');
  *value = v;
  return n;
}

// Reads one word as a date or clock shape into `s`, a shape as built by
// default; returns false, `s` written in part, for none.
bool date_shape_of(std::string_view word, Shape& s) {
  // Punctuation that closes a word ("3/14," "14.03.2025.") or opens it.
  while (!word.empty() &&
         (word.back() == ',' || word.back() == ';' || word.back() == ')' || word.back() == '.')) {
    word.remove_suffix(1);
  }
  while (!word.empty() && word.front() == '(')
    word.remove_prefix(1);
  if (word.empty() || !is_digit(word[0])) return false;
  s.text = word;
  uint32_t first = 0;
  const std::size_t lead = run_at(word, 0, &first);
  // 20250314
  if (lead == 8 && word.size() == 8) {
    s.kind = Shape::Kind::Compact;
    s.parts[0] = first / 10000;
    s.parts[1] = first / 100 % 100;
    s.parts[2] = first % 100;
    s.widths[0] = 4;
    s.widths[1] = s.widths[2] = 2;
    return true;
  }
  // 17:00:30 | 17:00Z | 17:00+0200: a clock without seconds or zone is
  // left to the core
  if (lead <= 2 && lead < word.size() && word[lead] == ':') {
    if (!read_clock(word, 0, true, s, true)) return false;
    s.kind = Shape::Kind::Clock;
    return true;
  }
  // <digits> (<sep> <digits>){1,2}, one separator throughout
  if (lead == 0 || lead > 4 || lead == word.size()) return false;
  const char sep = word[lead];
  if (sep != '/' && sep != '.' && sep != '-') return false;
  // The first run is read already.
  s.parts[0] = first;
  s.widths[0] = static_cast<uint8_t>(lead);
  s.count = 1;
  std::size_t i = lead;
  while (true) {
    if (i == word.size()) break;
    // 2025-03-14T17:00[:30]
    if ((word[i] == 'T' || word[i] == 't') && s.count == 3 && sep == '-' && s.widths[0] == 4 &&
        s.widths[1] == 2 && s.widths[2] == 2) {
      if (!read_clock(word, i + 1, false, s, true, true)) return false;
      s.kind = Shape::Kind::DateTime;
      return true;
    }
    if (word[i] != sep) return false;
    ++i;
    uint32_t v = 0;
    const std::size_t n = run_at(word, i, &v);
    if (n == 0 || n > 4 || s.count == 3) return false;
    s.parts[s.count] = v;
    s.widths[s.count] = static_cast<uint8_t>(n);
    ++s.count;
    i += n;
  }
  s.sep = sep;
  return plausible_widths(sep, s.count, s.widths);
}

// Reads one word as a shape into `s`, a shape as built by default, or
// returns false: a date or clock shape first, else an amount.
bool shape_of(std::string_view word, Shape& s) {
  if (date_shape_of(word, s)) return true;
  // UTC+2, GMT-05:00: an offset whose sign the tokenizer would drop
  if (word.size() > 4 && (word[3] == '+' || word[3] == '-') && is_digit(word[4])) {
    const std::string_view head = word.substr(0, 3);
    bool zone = true;
    for (std::size_t k = 0; k < 3; ++k)
      zone = zone && (head[k] | 0x20) == "utcgmt"[k + ((head[0] | 0x20) == 'g' ? 3 : 0)];
    if (zone) {
      s = Shape{};
      s.kind = Shape::Kind::Amount;
      s.text = word;
      return true;
    }
  }
  while (!word.empty() && (word.back() == ',' || word.back() == ';' || word.back() == ')'))
    word.remove_suffix(1);
  while (!word.empty() && word.front() == '(')
    word.remove_prefix(1);
  if (!is_amount(word)) return false;
  s = Shape{};
  s.kind = Shape::Kind::Amount;
  s.text = word;
  return true;
}

void add_run(std::string_view run, PieceBuffer& out) {
  // A lone hyphen between shapes ("8/10/2012 - 8/15/2012") is a space to
  // the tokenizer: no tokens.
  if (run.empty() || run == "-") return;
  for (Tok& t : tokenize(run, {}, EN))
    out.emplace(false, std::move(t), Shape{});
}

// Returns whether the text has a byte that every shape but the compact date
// has (a sign, dot, slash, dash or colon) or a run of eight digits
// ("20250314"): most texts have none, and one pass over the bytes says so,
// sixteen at a time where the processor has SSE2.
bool has_mark(std::string_view text) {
#if defined(__SSE2__)
  const std::size_t n = text.size();
  // Sixteen bytes at a time, the last sixteen read again for the bytes the
  // whole blocks left (their marks and digits shifted out), so that no byte
  // past the text is read; a shorter text in overlapping loads.
  const auto marks_of = [](__m128i x) {
    const __m128i marks = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('+')), _mm_cmpeq_epi8(x, _mm_set1_epi8('-'))),
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('.')),
                                  _mm_cmpeq_epi8(x, _mm_set1_epi8('/'))),
                     _mm_cmpeq_epi8(x, _mm_set1_epi8(':'))));
    return static_cast<uint32_t>(_mm_movemask_epi8(marks));
  };
  // '0'..'9' as signed bytes: above '0' - 1 and below '9' + 1.
  const auto digits_of = [](__m128i x) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_and_si128(
        _mm_cmpgt_epi8(x, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(x, _mm_set1_epi8('9' + 1)))));
  };
  // Bit k stays set while bits k..k+7 are all digits.
  const auto has_run = [](uint32_t digits) {
    uint32_t run = digits & digits >> 1;
    run &= run >> 2;
    run &= run >> 4;
    return run != 0;
  };
  if (n < 8) {
    // Too short for a run of eight digits: only a mark tells. Four bytes
    // and the last four, which overlap, or for one to three bytes the
    // first, middle and last, which cover them; a zero byte is no mark.
    if (n == 0) return false;
    const auto byte = [&text](std::size_t i) {
      return uint32_t{static_cast<unsigned char>(text[i])};
    };
    uint64_t bytes = 0;
    if (n >= 4) {
      uint32_t lo = 0, hi = 0;
      std::memcpy(&lo, text.data(), 4);
      std::memcpy(&hi, text.data() + n - 4, 4);
      bytes = lo | uint64_t{hi} << 32;
    } else {
      bytes = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
    }
    return marks_of(_mm_set_epi64x(0, static_cast<int64_t>(bytes))) != 0;
  }
  if (n < 16) {
    // The first eight bytes and the last eight, which overlap: the digits
    // of the bytes after the first eight sit right after them.
    uint64_t lo = 0, hi = 0;
    std::memcpy(&lo, text.data(), 8);
    std::memcpy(&hi, text.data() + n - 8, 8);
    const __m128i x = _mm_set_epi64x(static_cast<int64_t>(hi), static_cast<int64_t>(lo));
    if (marks_of(x) != 0) return true;
    const uint32_t d = digits_of(x);
    return has_run((d & 0xFF) | (d >> 8 >> (16 - n)) << 8);
  }
  // Digits of the block before, so that a run across two blocks counts.
  uint32_t digits_before = 0;
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    if (marks_of(x) != 0) return true;
    const uint32_t digits = digits_of(x) << 16 | digits_before;
    if (has_run(digits)) return true;
    digits_before = digits >> 16;
  }
  if (i == n) return false;
  const std::size_t read = 16 - (n - i);  // the bytes of the last sixteen read already
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + n - 16));
  if (marks_of(x) >> read != 0) return true;
  return has_run(digits_of(x) >> read << 16 | digits_before);
#else
  std::size_t run = 0;
  for (const char c : text) {
    run = is_digit(c) ? run + 1 : 0;
    if (run == 8 || c == '+' || c == '-' || c == '.' || c == '/' || c == ':') return true;
  }
  return false;
#endif
}

// The classes of a word's bytes that tell a word that is no shape at once:
// digits, letters other than "t", the marks a shape with letters needs (a
// dot, slash, colon or plus, or the "t" of a date-time), any other, and
// the ASCII white space that ends a word (as next_word reads it). A hyphen
// is another byte, with a bit of its own besides.
constexpr uint8_t kDigitBit = 1, kLetterBit = 2, kMarkBit = 4, kOtherBit = 8, kSpaceBit = 16,
                  kHyphenBit = 32;
constexpr std::array<uint8_t, 256> kWordBits = [] {
  std::array<uint8_t, 256> bits{};
  bits.fill(kOtherBit);
  for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
    bits[static_cast<unsigned char>(c)] = kSpaceBit;
  for (int c = '0'; c <= '9'; ++c)
    bits[c] = kDigitBit;
  for (int c = 'a'; c <= 'z'; ++c)
    bits[c] = bits[c - 'a' + 'A'] = kLetterBit;
  bits['t'] = bits['T'] = kMarkBit;
  bits['.'] = bits['/'] = bits[':'] = bits['+'] = kMarkBit;
  bits['-'] = kOtherBit | kHyphenBit;
  return bits;
}();

// Returns whether a word is two numbers of one or two digits joined by a
// hyphen ("13-15", "1-7"): the days or hours of a range, which no date
// shape is (a dashed pair of short fields is left to ranges).
bool day_pair(std::string_view w) {
  const std::size_t a = digits_at(w, 0);
  if (a == 0 || a > 2 || a == w.size() || w[a] != '-') return false;
  const std::size_t b = digits_at(w, a + 1);
  return b >= 1 && b <= 2 && a + 1 + b == w.size();
}

// Returns the shape of a word, or none; only a word with a digit may be one.
// A word with a letter but no dot, slash, colon, plus or "t", that begins
// with a digit, or else with neither a sign nor "(" and without a sign
// where a zone's offset begins ("3-4pm", "10pm-2am", "9am-5pm"), is none
// without reading it: a date shape has no letter outside its clock, an
// amount needs a sign or a dot, and a zone's name opens with letters. Of
// the words of digits alone only the compact date of eight is one.
// `seen` holds the kWordBits of the word's bytes; the shape is read into
// `s`, a shape as built by default.
bool shape_of_word(std::string_view word, uint8_t seen, Shape& s) {
  const bool digit = seen & kDigitBit, letter = seen & kLetterBit, mark = seen & kMarkBit;
  if (!digit || (seen == kDigitBit && word.size() != 8)) return false;
  if ((seen & ~kHyphenBit) == (kDigitBit | kOtherBit) && day_pair(word)) return false;
  if (letter && !mark &&
      (is_digit(word[0]) ||
       (word[0] != '-' && word[0] != '(' && !(word.size() > 3 && word[3] == '-')))) {
    return false;
  }
  const std::size_t lead = is_digit(word[0]) ? (word.size() > 1 && is_digit(word[1]) ? 2 : 1) : 0;
  if (lead == 0 || word.size() < lead + 3 || word[lead] != ':' || !is_digit(word[lead + 1]) ||
      !is_digit(word[lead + 2])) {
    return shape_of(word, s);
  }
  // A clock without seconds, alone or with letters ("7:00", "8:00pm"), is
  // the core's to read; only "Z" after it makes a shape.
  const std::string_view rest = word.substr(lead + 3);
  if (std::all_of(rest.begin(), rest.end(), is_letter) && rest != "Z" && rest != "z") return false;
  // "17:00-18:30", "3:30-4:30pm": a clock, a hyphen and more with a colon
  // is a range of clock times; the zone a clock may carry after a hyphen
  // ("17:00-0500") has none.
  if (rest.size() > 1 && rest[0] == '-' && rest.find(':') != std::string_view::npos) return false;
  return shape_of(word, s);
}

// Splits the text into `out`: its shapes, and each run of other words
// through the core tokenizer. With `only_shaped`, a text without a shape is
// left untokenized, `out` empty. Returns whether the text has a shape, and
// sets *hyphened when a word that is none has a hyphen.
bool split(std::string_view text, PieceBuffer& out, bool only_shaped, bool* hyphened = nullptr) {
  std::size_t run_start = 0, run_end = 0;
  bool in_run = false;
  bool shaped = false;
  uint8_t other_bits = 0;  // the bytes of the words that are no shape
  for (std::size_t at = 0;;) {
    // The next word, and the classes of its bytes in the same pass.
    while (at < text.size() && (kWordBits[static_cast<unsigned char>(text[at])] & kSpaceBit))
      ++at;
    if (at == text.size()) break;
    const std::size_t start = at;
    uint8_t seen = 0;
    for (; at < text.size(); ++at) {
      const uint8_t bits = kWordBits[static_cast<unsigned char>(text[at])];
      if (bits & kSpaceBit) break;
      seen |= bits;
    }
    const std::string_view word = text.substr(start, at - start);
    // Only a word with a digit may be a shape: most words are none without
    // a call, or a shape built to read them into.
    bool is_shape = false;
    if ((seen & kDigitBit) != 0) {
      Shape s;
      is_shape = shape_of_word(word, seen, s);
      if (is_shape) {
        shaped = true;
        if (in_run) add_run(text.substr(run_start, run_end - run_start), out);
        in_run = false;
        out.emplace(true, Tok{}, s);
      }
    }
    if (!is_shape) {
      other_bits |= seen;
      if (!in_run) run_start = at - word.size();
      in_run = true;
      run_end = at;
    }
  }
  if (hyphened != nullptr) *hyphened = (other_bits & kHyphenBit) != 0;
  if (!shaped && only_shaped) return false;
  if (in_run) add_run(text.substr(run_start, run_end - run_start), out);
  return shaped;
}

}  // namespace

Pieces scan(std::string_view text) {
  PieceBuffer out;
  split(text, out, false);
  return out.take();
}

ShapeScan scan_shaped(std::string_view text, PieceBuffer& out) {
  ShapeScan found;
  if (has_mark(text)) found.shaped = split(text, out, true, &found.hyphened);
  return found;
}

bool has_shape(std::string_view text) {
  if (!has_mark(text)) return false;
  for (std::size_t at = 0;;) {
    const std::string_view word = next_word(text, at);
    if (word.empty()) return false;
    uint8_t seen = 0;
    for (const char c : word)
      seen |= kWordBits[static_cast<unsigned char>(c)];
    Shape s;
    if (shape_of_word(word, seen, s)) return true;
  }
}

}  // namespace kalendo::everyday
