#include "tokenize.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "locale.h"
#include "unicode.h"

namespace kalendo {
namespace {

constexpr char kMarkerByte = '\x01';
// Texts up to this many bytes are lower-cased into a buffer on the stack.
constexpr std::size_t kStackText = 256;
static_assert(kStackText % 64 == 0, "scan_ascii fills whole words of separator bits");
// The stack copy holds a block of zeros past the text's last block of
// sixteen, so that sixteen bytes may be read from the start of any word.
constexpr std::size_t kStackCopy = kStackText + 16;

// The punctuation the tokenizer drops, and the hyphen: each reads as a space.
constexpr char kMarks[] = {',', '.', '!', '?', ';', '(', ')', '"', '-'};

// Maps each ASCII byte to its lower-case form, and the punctuation the
// tokenizer drops (and the hyphen) to a space.
constexpr std::array<char, 128> make_ascii_map() {
  std::array<char, 128> map{};
  for (int c = 0; c < 128; ++c) {
    map[static_cast<std::size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (char c : kMarks) {
    map[static_cast<std::size_t>(c)] = ' ';
  }
  return map;
}
constexpr std::array<char, 128> kAsciiMap = make_ascii_map();

char map_ascii(char c) {
  return kAsciiMap[static_cast<unsigned char>(c)];
}

// Writes the lower-cased text to `s`, with punctuation and hyphens turned
// into spaces.
void normalise(std::string_view text, std::string& s) {
  s.clear();
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    // ASCII text, nearly every text: one table lookup per byte.
    s.resize(text.size());
    std::transform(text.begin(), text.end(), s.begin(), map_ascii);
    return;
  }
  // Lower-cased text has no ASCII capitals left, so the same map now only
  // turns punctuation into spaces; bytes of other characters stay.
  uni::to_lower(text, s);
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x80) c = map_ascii(c);
  }
}

// One bit a byte of a text of at most kStackText bytes: set for a byte that
// separates words (white space, the dropped punctuation and the hyphen).
using SeparatorBits = std::array<uint64_t, kStackText / 64>;

// Copies n bytes (0 < n <= kStackText) to `out`, which has room for n rounded up
// to sixteen, and zeros from there to sixteen bytes past that: whole blocks
// where the text has them, and for the rest two pieces that may overlap,
// rather than a library call whose set-up costs more than a short text.
void copy_padded(const char* text, std::size_t n, char* out) {
  const std::size_t padded = (n + 15) / 16 * 16;
  std::memset(out + padded - 16, 0, 32);
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16)
    std::memcpy(out + i, text + i, 16);
  const std::size_t rest = n - i;
  if (rest == 0) return;
  if (n >= 16) {
    std::memcpy(out + n - 16, text + n - 16, 16);
  } else if (rest >= 8) {
    std::memcpy(out, text, 8);
    std::memcpy(out + rest - 8, text + rest - 8, 8);
  } else if (rest >= 4) {
    std::memcpy(out, text, 4);
    std::memcpy(out + rest - 4, text + rest - 4, 4);
  } else {
    out[0] = text[0];
    out[rest / 2] = text[rest / 2];
    out[rest - 1] = text[rest - 1];
  }
}

// Copies the text (1 to kStackText bytes) lower-cased to `out`, which
// has room for kStackCopy bytes, and sets the bits of its separators; the
// separators themselves are copied as they are, since no word holds one.
// Returns false, with `out` and `bits` unspecified, when the text is not
// all ASCII.
bool scan_ascii(std::string_view text, char* out, SeparatorBits& bits) {
  const std::size_t n = text.size();
  copy_padded(text.data(), n, out);
  bits.fill(0);
#if defined(__SSE2__)
  // Sixteen bytes at once; the zeros past the text are neither capitals
  // nor separators. A byte lies in [lo, hi] when, moved by 0x80 - lo, it
  // is below -128 + (hi - lo) + 1 as a signed byte.
  const auto in_range = [](__m128i x, char lo, char hi) {
    const __m128i moved = _mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(0x80 - lo)));
    return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(-128 + (hi - lo) + 1)));
  };
  __m128i seen = _mm_setzero_si128();
  for (std::size_t i = 0; i < n; i += 16) {
    auto* block = reinterpret_cast<__m128i*>(out + i);
    __m128i x = _mm_loadu_si128(block);
    seen = _mm_or_si128(seen, x);
    x = _mm_or_si128(x, _mm_and_si128(in_range(x, 'A', 'Z'), _mm_set1_epi8(0x20)));
    _mm_storeu_si128(block, x);
    // White space: tab to carriage return, and the space with "!" and the
    // double quote; then the marks "(", ")", ",", "-", ".", ";" and "?".
    const __m128i separator = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(in_range(x, '\t', '\r'), in_range(x, ' ', '"')),
                     _mm_or_si128(in_range(x, '(', ')'), in_range(x, ',', '.'))),
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(';')), _mm_cmpeq_epi8(x, _mm_set1_epi8('?'))));
    const auto mask = static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(separator)));
    bits[i / 64] |= mask << (i % 64);
  }
  return _mm_movemask_epi8(seen) == 0;
#else
  unsigned char seen = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    seen |= c;
    const char mapped = kAsciiMap[c & 0x7F];
    if (mapped == ' ' || uni::is_ascii_white_space(c)) {
      bits[i / 64] |= uint64_t{1} << (i % 64);
    } else {
      out[i] = mapped;
    }
  }
  return seen < 0x80;
#endif
}

// Returns the first position at or after i, below n, whose bit is `set`; n
// when there is none.
std::size_t next_bit(const SeparatorBits& bits, std::size_t n, std::size_t i, bool set) {
  while (i < n) {
    uint64_t word = bits[i / 64];
    if (!set) word = ~word;
    word >>= i % 64;
    if (word != 0) return std::min(n, i + static_cast<std::size_t>(std::countr_zero(word)));
    i = (i / 64 + 1) * 64;
  }
  return n;
}

void append_marker(std::string& out, std::size_t index) {
  out.push_back(' ');
  out.push_back(kMarkerByte);
  out += std::to_string(index);
  out.push_back(kMarkerByte);
  out.push_back(' ');
}

// Finds a name in the text. Short names use the library search, whose cost
// per position is bounded by the name's length; long names use the prefix
// function, so that a search costs O(text + name) whatever the bytes.
class NameSearch {
 public:
  explicit NameSearch(std::string_view name) : name_(name) {
    if (name.size() <= kPlainSearchMax) return;
    fail_.assign(name.size(), 0);
    std::size_t k = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
      while (k > 0 && name[i] != name[k])
        k = fail_[k - 1];
      if (name[i] == name[k]) ++k;
      fail_[i] = k;  // [0, i]
    }
  }

  // Returns the first position at or after `from` where the name starts.
  std::size_t find(std::string_view s, std::size_t from) const {
    if (fail_.empty()) return s.find(name_, from);
    std::size_t k = 0;  // bytes of the name matched so far, [0, size)
    for (std::size_t i = from; i < s.size(); ++i) {
      while (k > 0 && s[i] != name_[k])
        k = fail_[k - 1];
      if (s[i] == name_[k] && ++k == name_.size()) return i + 1 - k;
    }
    return std::string_view::npos;
  }

 private:
  static constexpr std::size_t kPlainSearchMax = 16;
  std::string_view name_;
  std::vector<std::size_t> fail_;
};

// Returns the most bytes the text may reach while markers replace names.
std::size_t marker_budget(std::size_t text_size) {
  return kMarkerGrowth * text_size + kMarkerSlack;
}

// Replaces every occurrence of each anchor name by its marker, longest names
// first, so that "product launch" wins over "launch". Later names search the
// text as earlier replacements left it. Returns false, leaving the names
// replaced so far, when the text would outgrow `budget` bytes.
bool substitute_anchors(std::string& s, std::span<const std::string_view> names,
                        std::size_t budget) {
  // Orders the indices by name length, longest first, keeping list order
  // among equal lengths; a few names sort in place without a heap buffer.
  constexpr std::size_t kInline = 16;
  std::size_t inline_order[kInline];
  std::vector<std::size_t> heap_order;
  std::span<std::size_t> order;
  if (names.size() <= kInline) {
    order = std::span<std::size_t>(inline_order, names.size());
  } else {
    heap_order.resize(names.size());
    order = heap_order;
  }
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto longer = [&](std::size_t a, std::size_t b) {
    return names[a].size() > names[b].size();
  };
  if (names.size() <= kInline) {
    for (std::size_t i = 1; i < order.size(); ++i) {
      for (std::size_t j = i; j > 0 && longer(order[j], order[j - 1]); --j) {
        std::swap(order[j], order[j - 1]);
      }
    }
  } else {
    std::stable_sort(order.begin(), order.end(), longer);
  }
  std::string out;
  for (std::size_t index : order) {
    const std::string_view name = names[index];
    if (name.empty()) continue;
    const NameSearch search(name);
    std::size_t pos = search.find(s, 0);
    if (pos == std::string::npos) continue;
    out.clear();
    std::size_t from = 0;
    while (pos != std::string::npos) {
      out.append(s, from, pos - from);
      append_marker(out, index);
      if (out.size() > budget) return false;
      from = pos + name.size();
      pos = search.find(s, from);
    }
    if (out.size() + (s.size() - from) > budget) return false;
    out.append(s, from, std::string::npos);
    s.swap(out);
  }
  return true;
}

// Returns whether the name could match inside a marker: only a name that
// begins with a digit or a space, ends with a space, or holds the marker
// byte can overlap one, so only such names can make the text grow again.
bool may_nest(std::string_view name) {
  if (name.empty()) return false;
  const char first = name.front();
  return (first >= '0' && first <= '9') || first == ' ' || name.back() == ' ' ||
         name.find(kMarkerByte) != std::string_view::npos;
}

bool ends_with_any(std::string_view word, std::span<const std::string_view> table,
                   std::string_view* suffix) {
  for (std::string_view entry : table) {
    // The last byte first: it rules out nearly every word without a call.
    if (entry.size() <= word.size() && (entry.empty() || entry.back() == word.back()) &&
        word.ends_with(entry)) {
      *suffix = entry;
      return true;
    }
  }
  return false;
}

// Reads a clock time: "5pm", "12am", "10:30am", "17:30". Returns none when
// the word is not one, so that it goes on to the later rules.
std::optional<Tok> clock_time(std::string_view word, const Locale& loc) {
  std::string_view suffix;
  uint32_t offset = 0;
  bool has_suffix = false;
  if (ends_with_any(word, loc.pm_words, &suffix)) {
    has_suffix = true;
    offset = 12;
  } else if (ends_with_any(word, loc.am_words, &suffix)) {
    has_suffix = true;
  }
  const std::string_view stem = word.substr(0, word.size() - suffix.size());
  if (stem.empty()) return std::nullopt;

  const std::size_t colon = stem.find(':');
  if (colon != std::string_view::npos) {
    const std::string_view hour_part = stem.substr(0, colon);
    const std::string_view minute_part = stem.substr(colon + 1);
    const auto hour = read_unsigned(hour_part, UINT32_MAX);
    if (!hour || minute_part.size() != 2) return std::nullopt;
    const auto minute = read_unsigned(minute_part, 59);
    if (!minute) return std::nullopt;
    const auto m = static_cast<uint32_t>(*minute);
    if (has_suffix) {
      if (*hour < 1 || *hour > 12) return std::nullopt;
      return Tok::time(static_cast<uint32_t>(*hour % 12) + offset, m);
    }
    if (*hour >= 24) return std::nullopt;
    return Tok::time(static_cast<uint32_t>(*hour), m);
  }
  if (!has_suffix) return std::nullopt;
  const auto hour = read_unsigned(stem, UINT32_MAX);
  if (!hour || *hour < 1 || *hour > 12) return std::nullopt;
  return Tok::time(static_cast<uint32_t>(*hour % 12) + offset, 0);
}

// Returns the rank of "3rd", "21st", "0th": digits (no sign) followed by an
// ordinal suffix, the digits fitting 32 bits.
std::optional<uint32_t> ordinal_digits(std::string_view word, const Locale& loc) {
  std::size_t n = 0;
  while (n < word.size() && word[n] >= '0' && word[n] <= '9')
    ++n;
  if (n == 0 || !contains_word(loc.ordinal_suffixes, word.substr(n))) return std::nullopt;
  const auto v = read_digits(word.substr(0, n), UINT32_MAX);
  if (!v) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

// Returns the anchor index of a marker word, when it names an anchor.
std::optional<std::size_t> marker_index(std::string_view word, std::size_t anchor_count) {
  if (word.size() < 3 || word.front() != kMarkerByte || word.back() != kMarkerByte) {
    return std::nullopt;
  }
  const auto index = read_unsigned(word.substr(1, word.size() - 2), UINT64_MAX);
  if (!index || *index >= anchor_count) return std::nullopt;
  return static_cast<std::size_t>(*index);
}

// The kind of token each rule of the whole-word tables gives, for the rules
// that give one token of the entry's value (and minute).
constexpr std::array<Tok::Kind, 11> make_lexeme_kinds() {
  using Rule = Lexeme::Rule;
  using Kind = Tok::Kind;
  std::array<Tok::Kind, 11> kinds{};
  kinds[static_cast<std::size_t>(Rule::NamedTime)] = Kind::Time;
  kinds[static_cast<std::size_t>(Rule::Ordinal)] = Kind::Ordinal;
  kinds[static_cast<std::size_t>(Rule::Weekday)] = Kind::Weekday;
  kinds[static_cast<std::size_t>(Rule::Month)] = Kind::Month;
  kinds[static_cast<std::size_t>(Rule::Unit)] = Kind::Unit;
  kinds[static_cast<std::size_t>(Rule::Keyword)] = Kind::Kw;
  kinds[static_cast<std::size_t>(Rule::Number)] = Kind::Num;
  kinds[static_cast<std::size_t>(Rule::Quantity)] = Kind::Fuzzy;
  kinds[static_cast<std::size_t>(Rule::Half)] = Kind::Half;
  return kinds;
}
constexpr std::array<Tok::Kind, 11> kLexemeKinds = make_lexeme_kinds();
static_assert(static_cast<std::size_t>(Lexeme::Rule::Half) + 1 == kLexemeKinds.size());

// Adds the tokens a whole-word table gives: none for a filler, three for an
// end-of word ("eom" reads as "end of month"), one for the others, whose
// entries hold the token's value (a half's is zero).
[[gnu::always_inline]] inline void add_lexeme(const Lexeme& e, Tokens& out) {
  using Rule = Lexeme::Rule;
  if (e.rule > Rule::EndOf) {
    out.add(kLexemeKinds[static_cast<std::size_t>(e.rule)], e.value, e.minute);
  } else if (e.rule == Rule::EndOf) {
    out.add(Tok::Kind::Kw, static_cast<int64_t>(Keyword::End));
    out.add(Tok::Kind::Kw, static_cast<int64_t>(Keyword::Of));
    out.add(Tok::Kind::Unit, e.value);
  }
}

// The rules after the word tables, for a word none of them holds.
[[gnu::noinline]] void classify_other(std::string_view word, const Locale& loc, Tokens& out) {
  if (auto t = clock_time(word, loc)) {
    out.push_back(std::move(*t));
    return;
  }
  if (const auto n = read_unsigned(word, INT64_MAX)) {
    out.push_back(Tok::num(static_cast<int64_t>(*n)));
    return;
  }
  if (const auto n = ordinal_digits(word, loc)) {
    out.push_back(Tok::ordinal(*n));
    return;
  }
  if (const auto q = quarter(loc, word)) {
    out.push_back(Tok::quarter(*q));
    return;
  }
  out.add_word(word);
}

// classify_other for a word that starts with a digit, read in one pass. The
// affixes are letters, so after the digits the rules narrow down: nothing
// more makes a number; a colon makes a clock time or nothing; letters make
// "5pm" when they are exactly the meridiem word the word ends with, or
// "3rd" when they are an ordinal suffix. Any other word stays a word.
void classify_digits(std::string_view word, const Locale& loc, Tokens& out) {
  constexpr uint64_t kMax = INT64_MAX;
  uint64_t v = 0;
  bool fits = true;  // the digits read so far are at most kMax
  std::size_t d = 0;
  while (d < word.size() && word[d] >= '0' && word[d] <= '9') {
    const auto digit = static_cast<uint64_t>(word[d] - '0');
    if (fits && v > (kMax - digit) / 10) fits = false;
    if (fits) v = v * 10 + digit;
    ++d;
  }
  if (d == word.size()) {
    if (fits) {
      out.add(Tok::Kind::Num, static_cast<int64_t>(v));
    } else {
      out.add_word(word);
    }
    return;
  }
  const std::string_view rest = word.substr(d);
  if (rest.front() == ':') {
    if (auto t = clock_time(word, loc)) {
      out.push_back(std::move(*t));
    } else {
      out.add_word(word);
    }
    return;
  }
  std::string_view suffix;
  uint32_t offset = 12;
  bool meridiem = ends_with_any(word, loc.pm_words, &suffix);
  if (!meridiem) {
    meridiem = ends_with_any(word, loc.am_words, &suffix);
    offset = 0;
  }
  if (meridiem && suffix.size() == rest.size()) {
    if (fits && v >= 1 && v <= 12) {
      out.add(Tok::Kind::Time, static_cast<int64_t>(v % 12 + offset));
      return;
    }
  }
  if (fits && v <= UINT32_MAX && contains_word(loc.ordinal_suffixes, rest)) {
    out.add(Tok::Kind::Ordinal, static_cast<int64_t>(v));
    return;
  }
  out.add_word(word);
}

// The rules after the word tables, for a word none of them holds, by its
// first byte: digits are read once; a word that starts with any other byte
// but the plus sign is a quarter or a plain word.
void classify_rest(std::string_view word, const Locale& loc, Tokens& out) {
  const char first = word.front();
  if (first >= '0' && first <= '9') {
    classify_digits(word, loc, out);
    return;
  }
  if (first == '+') {
    classify_other(word, loc, out);
    return;
  }
  for (std::string_view prefix : loc.quarter_prefixes) {
    if (prefix.front() != first) continue;
    if (const auto q = quarter(loc, word)) {
      out.add(Tok::Kind::Quarter, *q);
      return;
    }
    break;
  }
  out.add_word(word);
}

// Classifies one word by the rules in order; the first that applies decides.
// The words of the whole-word tables are lower-case letters only, so no
// clock time, number, ordinal in digits or quarter is ever one of them: one
// lookup in the word index answers all the table rules at once, in their
// order, and the rules that read digits follow.
void classify(std::string_view word, std::span<const std::string_view> anchor_names,
              const Locale& loc, Tokens& out) {
  if (word.front() == kMarkerByte) {
    if (const auto index = marker_index(word, anchor_names.size())) {
      out.push_back(Tok::anchor(anchor_names[*index]));
      return;
    }
  }
  if (const Lexeme* e = find_lexeme(loc, word)) {
    add_lexeme(*e, out);
    return;
  }
  classify_rest(word, loc, out);
}

// The same for the n bytes at p in the stack copy, where sixteen bytes may
// be read and no anchor marker stands.
[[gnu::always_inline]] inline void classify_padded(const char* p, std::size_t n, const Locale& loc,
                                                   Tokens& out) {
  if (const Lexeme* e = find_lexeme_padded(loc, p, n)) {
    add_lexeme(*e, out);
    return;
  }
  classify_rest(std::string_view(p, n), loc, out);
}

// Returns the hour of "5 pm" when `a` is a number 1..12 and `b` a meridiem
// word, or none.
std::optional<uint32_t> meridiem_hour(const Tok& a, const Tok& b, const Locale& loc) {
  if (!a.is(Tok::Kind::Num) || a.value < 1 || a.value > 12 || !b.is(Tok::Kind::Word)) {
    return std::nullopt;
  }
  const auto h = static_cast<uint32_t>(a.value % 12);
  if (contains_word(loc.pm_words, b.text)) return h + 12;
  if (contains_word(loc.am_words, b.text)) return h;
  return std::nullopt;
}

// Returns whether a token may open one of the fixed pairs below.
bool may_join(const Tok& a) {
  return a.is(Tok::Kind::Num) || a.is(Tok::Kind::Half) || a.is_kw(Keyword::Business);
}

// The token a fixed pair joins into.
struct Joined {
  Tok::Kind kind;
  int64_t value;
};

// Returns the token that `a` (which may_join) and `b` join into: "business
// days", "a couple", "half an", "5 pm"; none when they stay apart.
[[gnu::always_inline]] inline std::optional<Joined> join(const Tok& a, const Tok& b,
                                                         const Locale& loc) {
  if (a.is_kw(Keyword::Business) && b.is_unit(Unit::Day)) {
    return Joined{Tok::Kind::Unit, static_cast<int64_t>(Unit::BusinessDay)};
  }
  if (a.is(Tok::Kind::Num) && a.value == 1 && b.is(Tok::Kind::Fuzzy)) {
    return Joined{Tok::Kind::Fuzzy, b.value};
  }
  if (a.is(Tok::Kind::Half) && b.is(Tok::Kind::Num) && b.value == 1) {
    return Joined{Tok::Kind::Half, 0};
  }
  if (const auto h = meridiem_hour(a, b, loc)) return Joined{Tok::Kind::Time, *h};
  return std::nullopt;
}

// Joins the fixed pairs in one left-to-right pass; a joined token is not
// joined again. Works in place: the write position never passes the read
// position. Starts at toks[i], the first pair that joins.
[[gnu::noinline]] void merge_pairs_from(Tokens& toks, std::size_t i, const Locale& loc) {
  const std::size_t n = toks.size();
  std::size_t w = i;
  while (i < n) {
    if (i + 1 < n && may_join(toks[i])) {
      if (const auto j = join(toks[i], toks[i + 1], loc)) {
        Tok& t = toks[w];
        t.kind = j->kind;
        t.value = j->value;
        t.minute = 0;
        t.text.clear();
        ++w;
        i += 2;
        continue;
      }
    }
    if (w != i) toks[w] = std::move(toks[i]);
    ++w;
    ++i;
  }
  if (w != n) toks.resize(w);
}

// Joins the fixed pairs. Nothing moves before the first pair that joins, and
// most texts have none: it is looked for here, in line.
[[gnu::always_inline]] inline void merge_pairs(Tokens& toks, const Locale& loc) {
  const Tok* t = std::as_const(toks).data();
  const std::size_t n = toks.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (may_join(t[i]) && join(t[i], t[i + 1], loc)) {
      merge_pairs_from(toks, i, loc);
      return;
    }
  }
}

}  // namespace

Tokens::Tokens(std::initializer_list<Tok> toks) {
  reserve(toks.size());
  for (const Tok& t : toks)
    push_back(t);
}

Tokens::Tokens(const Tokens& other) {
  reserve(other.size());
  for (const Tok& t : other)
    push_back(t);
}

Tokens::Tokens(Tokens&& other) noexcept {
  if (other.on_heap_) {
    heap_ = std::move(other.heap_);
    on_heap_ = true;
    other.heap_.clear();
    other.on_heap_ = false;
    return;
  }
  for (Tok& t : other)
    push_back(std::move(t));
  other.destroy_inline();
}

Tokens& Tokens::operator=(const Tokens& other) {
  if (this != &other) *this = Tokens(other);
  return *this;
}

Tokens& Tokens::operator=(Tokens&& other) noexcept {
  if (this == &other) return *this;
  destroy_inline();
  heap_.clear();
  on_heap_ = false;
  if (other.on_heap_) {
    heap_ = std::move(other.heap_);
    on_heap_ = true;
    other.heap_.clear();
    other.on_heap_ = false;
    return *this;
  }
  for (Tok& t : other)
    push_back(std::move(t));
  other.destroy_inline();
  return *this;
}

void Tokens::push_back_slow(Tok t) {
  if (!on_heap_) spill(2 * kInline);
  heap_.push_back(std::move(t));
}

void Tokens::add_slow(Tok::Kind kind, int64_t value, uint32_t minute) {
  push_back_slow(Tok{kind, value, minute, {}});
}

void Tokens::spill(std::size_t n) {
  heap_.reserve(std::max(n, inline_size_));
  for (std::size_t i = 0; i < inline_size_; ++i)
    heap_.push_back(std::move(inline_data()[i]));
  destroy_inline();
  on_heap_ = true;
}

void Tokens::reserve(std::size_t n) {
  if (on_heap_) {
    heap_.reserve(n);
  } else if (n > kInline) {
    spill(n);
  }
}

void Tokens::resize(std::size_t n) {
  if (!on_heap_ && n > kInline) spill(n);
  if (on_heap_) {
    heap_.resize(n);
    return;
  }
  while (inline_size_ > n)
    inline_data()[--inline_size_].~Tok();
  while (inline_size_ < n)
    new (inline_data() + inline_size_++) Tok();
}

bool operator==(const Tokens& a, const Tokens& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool anchor_markers_fit(std::string_view text, std::span<const std::string_view> anchor_names) {
  if (std::none_of(anchor_names.begin(), anchor_names.end(), may_nest)) return true;
  std::string s;
  normalise(text, s);
  return substitute_anchors(s, anchor_names, marker_budget(s.size()));
}

Tokens tokenize(std::string_view text, std::span<const std::string_view> anchor_names,
                const Locale& locale) {
  Tokens toks;
  if (text.empty()) return toks;
  // A short ASCII text without anchors, nearly every text, is read from a
  // copy on the stack, its words found by the bits of its separators.
  char stack_copy[kStackCopy];
  SeparatorBits separators;
  if (anchor_names.empty() && text.size() <= kStackText &&
      scan_ascii(text, stack_copy, separators)) {
    const std::size_t n = text.size();
    if (n < 64) {
      // One word of bits: the bits from n on count as separators, so that
      // every word ends at a set bit.
      const uint64_t separator = separators[0] | (~uint64_t{0} << n);
      uint64_t starts = ~separator;
      while (starts != 0) {
        const auto i = static_cast<std::size_t>(std::countr_zero(starts));
        const auto j = static_cast<std::size_t>(std::countr_zero(separator >> i << i));
        classify_padded(stack_copy + i, j - i, locale, toks);
        starts &= ~uint64_t{0} << j;
      }
      merge_pairs(toks, locale);
      return toks;
    }
    std::size_t i = next_bit(separators, n, 0, false);
    while (i < n) {
      const std::size_t j = next_bit(separators, n, i, true);
      classify_padded(stack_copy + i, j - i, locale, toks);
      i = next_bit(separators, n, j, false);
    }
    merge_pairs(toks, locale);
    return toks;
  }

  // The others from a copy on the heap, which the anchor markers may grow,
  // and whose white space may be beyond ASCII.
  std::string sv;
  normalise(text, sv);
  if (!anchor_names.empty()) substitute_anchors(sv, anchor_names, marker_budget(sv.size()));
  std::size_t i = 0;
  while (i < sv.size()) {
    if (const std::size_t ws = uni::white_space_len(sv, i)) {
      i += ws;
      continue;
    }
    std::size_t j = i + 1;
    while (j < sv.size() && uni::white_space_len(sv, j) == 0)
      ++j;
    classify(std::string_view(sv).substr(i, j - i), anchor_names, locale, toks);
    i = j;
  }
  merge_pairs(toks, locale);
  return toks;
}

}  // namespace kalendo
