// The word tables: every word the tokenizer recognises, with its value.
// There is one locale, EN. Tables are scanned linearly in table order and the
// first exact match decides, so the order of entries is part of the meaning.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Every lexeme of a locale, grouped by word length and first letter, each
// group in rule order and then table order: a lookup scans only the words
// of its own length and first letter, and the first hit is the one the
// rules in order give. Words are lower-case ASCII letters.
struct WordIndex {
  static constexpr std::size_t kMaxLength = 15;
  static constexpr std::size_t kGroups = (kMaxLength + 1) * 26;
  std::span<const Lexeme> lexemes;
  std::span<const uint16_t> start;  // kGroups + 1 offsets into lexemes

  static constexpr std::size_t group(std::size_t length, char first) {
    return length * 26 + static_cast<std::size_t>(first - 'a');
  }
};

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
