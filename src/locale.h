// The word tables: every word the tokenizer recognises, with its value.
// There is one locale, EN. Tables are scanned linearly in table order and the
// first exact match decides, so the order of entries is part of the meaning.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "words.h"

namespace kalendo {

template <typename V>
struct WordEntry {
  std::string_view word;
  V value;
};

struct TimeValue {
  uint32_t hour;
  uint32_t minute;
};

// One word of the tables the tokenizer classifies whole words by, with what
// it stands for. Rules are listed in the order the tokenizer tries them.
struct Lexeme {
  enum class Rule : uint8_t {
    Filler,
    EndOf,
    NamedTime,
    Ordinal,
    Weekday,
    Month,
    Unit,
    Keyword,
    Number,
    Quantity,
    Half,
  };
  std::string_view word;
  Rule rule;
  int64_t value;        // the entry's value; a named time's hour
  uint32_t minute = 0;  // a named time's minute
};

// Up to sixteen bytes of a word packed into two 64-bit numbers, the first
// byte lowest, the bytes past the word zero: two words of at most sixteen
// bytes are equal when their lengths and keys are.
struct WordKey {
  uint64_t lo = 0;
  uint64_t hi = 0;
  friend constexpr bool operator==(const WordKey&, const WordKey&) = default;
};

// For each word length from 0 to 16, the bits of a key its bytes fill.
inline constexpr std::array<WordKey, 17> kKeyMasks = [] {
  std::array<WordKey, 17> masks{};
  for (std::size_t n = 0; n <= 16; ++n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (i < 8) {
        masks[n].lo |= uint64_t{0xFF} << (8 * i);
      } else {
        masks[n].hi |= uint64_t{0xFF} << (8 * (i - 8));
      }
    }
  }
  return masks;
}();

// Packs `n` (at most 16) bytes at `p`, where 16 bytes may be read.
inline WordKey pack_padded(const char* p, std::size_t n) {
  WordKey k;
  std::memcpy(&k.lo, p, 8);
  std::memcpy(&k.hi, p + 8, 8);
  if constexpr (std::endian::native == std::endian::big) {
    k.lo = __builtin_bswap64(k.lo);
    k.hi = __builtin_bswap64(k.hi);
  }
  k.lo &= kKeyMasks[n].lo;
  k.hi &= kKeyMasks[n].hi;
  return k;
}

// Every lexeme of a locale, grouped by word length and first letter, each
// group in rule order and then table order: a lookup compares only the
// packed words of its own length and first letter, and the first hit is the
// one the rules in order give. Words are lower-case ASCII letters.
struct WordIndex {
  static constexpr std::size_t kMaxLength = 15;
  static constexpr std::size_t kGroups = (kMaxLength + 1) * 26;
  std::span<const Lexeme> lexemes;
  std::span<const WordKey> keys;    // the packed word of each lexeme
  std::span<const uint16_t> start;  // kGroups + 1 offsets into lexemes

  static constexpr std::size_t group(std::size_t length, char first) {
    return length * 26 + static_cast<std::size_t>(first - 'a');
  }
};

// The affixes (ordinal suffixes, quarter prefixes, am and pm words) are
// non-empty lower-case ASCII letters, like the whole words: the tokenizer
// reads a word that starts with a digit as digits and then letters, and
// one that starts with any other byte as at most a quarter.
struct Locale {
  std::string_view code;
  std::span<const WordEntry<uint8_t>> weekdays;
  std::span<const WordEntry<uint32_t>> months;
  std::span<const WordEntry<Unit>> units;
  std::span<const WordEntry<Keyword>> keywords;
  std::span<const WordEntry<int64_t>> numbers;
  std::span<const WordEntry<int64_t>> quantities;
  std::span<const std::string_view> half_words;
  std::span<const WordEntry<uint32_t>> ordinals;
  std::span<const std::string_view> ordinal_suffixes;
  std::span<const std::string_view> quarter_prefixes;
  std::span<const std::string_view> fillers;
  std::span<const WordEntry<Unit>> end_of;
  std::span<const std::string_view> am_words;
  std::span<const std::string_view> pm_words;
  std::span<const WordEntry<TimeValue>> named_times;
  const WordIndex* index;  // the whole-word tables above, indexed
};

extern const Locale EN;

// Returns whether two words of the same length are equal: the first bytes
// are compared in place, so that most entries of a table cost no call.
inline bool same_word(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || (a[0] == b[0] && a == b));
}

// Returns the value of the first entry whose word equals `word`.
template <typename V>
std::optional<V> find_word(std::span<const WordEntry<V>> table, std::string_view word) {
  for (const auto& e : table) {
    if (same_word(e.word, word)) return e.value;
  }
  return std::nullopt;
}

bool contains_word(std::span<const std::string_view> table, std::string_view word);

// Returns the lexeme the whole-word tables give `word` (fillers, end-of
// words, named times, ordinal words, weekdays, months, units, keywords,
// number words, quantities, half), or null.
const Lexeme* find_lexeme(const Locale& locale, std::string_view word);
// The same for the `n` bytes at `p`, where 16 bytes may be read: the
// tokenizer's words lie in a padded buffer and skip the copy. Inline, as
// the tokenizer asks it for nearly every word.
inline const Lexeme* find_lexeme_padded(const Locale& locale, const char* p, std::size_t n) {
  const auto first = static_cast<unsigned char>(p[0] - 'a');
  if (first >= 26 || n - 1 >= WordIndex::kMaxLength) return nullptr;  // n == 0 wraps
  const WordIndex& index = *locale.index;
  const std::size_t g = n * 26 + first;
  std::size_t i = index.start[g];
  const std::size_t end = index.start[g + 1];
  if (i == end) return nullptr;
  const WordKey key = pack_padded(p, n);
  for (; i < end; ++i) {
    if (index.keys[i] == key) return &index.lexemes[i];
  }
  return nullptr;
}

// The named lookups of the tokenizer.
std::optional<int64_t> fuzzy_word(std::span<const WordEntry<int64_t>> table, std::string_view word);
std::optional<uint32_t> month(const Locale& locale, std::string_view word);
std::optional<Unit> unit(const Locale& locale, std::string_view word);
std::optional<Keyword> keyword(const Locale& locale, std::string_view word);
bool is_half(const Locale& locale, std::string_view word);
// Returns 1..4 for a quarter prefix followed by such a number ("q3", "q+2").
std::optional<uint32_t> quarter(const Locale& locale, std::string_view word);

// Reads an optional "+" and one or more ASCII digits as a value of at most
// `max`; returns none for anything else, including a lone "+".
std::optional<uint64_t> read_unsigned(std::string_view s, uint64_t max);
// Reads ASCII digits only (no sign) as a value of at most `max`.
std::optional<uint64_t> read_digits(std::string_view s, uint64_t max);

}  // namespace kalendo
