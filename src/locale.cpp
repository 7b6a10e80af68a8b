#include "locale.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace kalendo {
namespace {

using U = Unit;
using K = Keyword;

// Each table: (word, value) in table order; the first exact match wins.
constexpr WordEntry<uint8_t> kWeekdays[17] = {
    {"monday", 0}, {"mon", 0},      {"tuesday", 1}, {"tue", 1},    {"tues", 1},  {"wednesday", 2},
    {"wed", 2},    {"thursday", 3}, {"thu", 3},     {"thur", 3},   {"thurs", 3}, {"friday", 4},
    {"fri", 4},    {"saturday", 5}, {"sat", 5},     {"sunday", 6}, {"sun", 6},
};

constexpr WordEntry<uint32_t> kMonths[24] = {
    {"january", 1},   {"jan", 1},   {"february", 2},  {"feb", 2},      {"march", 3},
    {"mar", 3},       {"april", 4}, {"apr", 4},       {"may", 5},      {"june", 6},
    {"jun", 6},       {"july", 7},  {"jul", 7},       {"august", 8},   {"aug", 8},
    {"september", 9}, {"sep", 9},   {"sept", 9},      {"october", 10}, {"oct", 10},
    {"november", 11}, {"nov", 11},  {"december", 12}, {"dec", 12},
};

constexpr WordEntry<Unit> kUnits[24] = {
    {"minute", U::Minute}, {"minutes", U::Minute},  {"min", U::Minute},
    {"mins", U::Minute},   {"hour", U::Hour},       {"hours", U::Hour},
    {"hr", U::Hour},       {"hrs", U::Hour},        {"day", U::Day},
    {"days", U::Day},      {"week", U::Week},       {"weeks", U::Week},
    {"wk", U::Week},       {"wks", U::Week},        {"month", U::Month},
    {"months", U::Month},  {"quarter", U::Quarter}, {"quarters", U::Quarter},
    {"year", U::Year},     {"years", U::Year},      {"yr", U::Year},
    {"yrs", U::Year},      {"weekend", U::Weekend}, {"weekends", U::Weekend},
};

constexpr WordEntry<Keyword> kKeywords[32] = {
    {"next", K::Next},
    {"upcoming", K::Next},
    {"last", K::Last},
    {"previous", K::Last},
    {"past", K::Last},
    {"this", K::This},
    {"current", K::This},
    {"after", K::After},
    {"following", K::After},
    {"before", K::Before},
    {"preceding", K::Before},
    {"sometime", K::Around},
    {"somewhere", K::Around},
    {"around", K::Around},
    {"early", K::Early},
    {"mid", K::Mid},
    {"middle", K::Mid},
    {"late", K::Late},
    {"end", K::End},
    {"start", K::Start},
    {"beginning", K::Start},
    {"of", K::Of},
    {"in", K::In},
    {"within", K::In},
    {"ago", K::Ago},
    {"from", K::From},
    {"now", K::Now},
    {"today", K::Today},
    {"tomorrow", K::Tomorrow},
    {"yesterday", K::Yesterday},
    {"business", K::Business},
    {"working", K::Business},
};

constexpr WordEntry<int64_t> kNumbers[14] = {
    {"a", 1},    {"an", 1},   {"one", 1},     {"two", 2},     {"three", 3},
    {"four", 4}, {"five", 5}, {"six", 6},     {"seven", 7},   {"eight", 8},
    {"nine", 9}, {"ten", 10}, {"eleven", 11}, {"twelve", 12},
};

constexpr WordEntry<int64_t> kQuantities[3] = {{"couple", 2}, {"few", 3}, {"several", 3}};

constexpr std::string_view kHalfWords[1] = {"half"};

constexpr WordEntry<uint32_t> kOrdinals[5] = {
    {"first", 1}, {"second", 2}, {"third", 3}, {"fourth", 4}, {"fifth", 5},
};

constexpr std::string_view kOrdinalSuffixes[4] = {"st", "nd", "rd", "th"};
constexpr std::string_view kQuarterPrefixes[1] = {"q"};
constexpr std::string_view kFillers[4] = {"the", "on", "at", "for"};

constexpr WordEntry<Unit> kEndOf[4] = {
    {"eow", U::Week},
    {"eom", U::Month},
    {"eoq", U::Quarter},
    {"eoy", U::Year},
};

constexpr std::string_view kAmWords[1] = {"am"};
constexpr std::string_view kPmWords[1] = {"pm"};

constexpr WordEntry<TimeValue> kNamedTimes[2] = {{"noon", {12, 0}}, {"midnight", {0, 0}}};

using Rule = Lexeme::Rule;

constexpr std::size_t kLexemeCount =
    std::size(kFillers) + std::size(kEndOf) + std::size(kNamedTimes) + std::size(kOrdinals) +
    std::size(kWeekdays) + std::size(kMonths) + std::size(kUnits) + std::size(kKeywords) +
    std::size(kNumbers) + std::size(kQuantities) + std::size(kHalfWords);

// Collects the whole-word tables in rule order, then regroups them by word
// length, keeping rule and table order within a length.
constexpr std::array<Lexeme, kLexemeCount> make_lexemes() {
  std::array<Lexeme, kLexemeCount> all{};
  std::size_t n = 0;
  for (auto w : kFillers)
    all[n++] = {w, Rule::Filler, 0};
  for (auto e : kEndOf)
    all[n++] = {e.word, Rule::EndOf, static_cast<int64_t>(e.value)};
  for (auto e : kNamedTimes)
    all[n++] = {e.word, Rule::NamedTime, e.value.hour, e.value.minute};
  for (auto e : kOrdinals)
    all[n++] = {e.word, Rule::Ordinal, e.value};
  for (auto e : kWeekdays)
    all[n++] = {e.word, Rule::Weekday, e.value};
  for (auto e : kMonths)
    all[n++] = {e.word, Rule::Month, e.value};
  for (auto e : kUnits)
    all[n++] = {e.word, Rule::Unit, static_cast<int64_t>(e.value)};
  for (auto e : kKeywords)
    all[n++] = {e.word, Rule::Keyword, static_cast<int64_t>(e.value)};
  for (auto e : kNumbers)
    all[n++] = {e.word, Rule::Number, e.value};
  for (auto e : kQuantities)
    all[n++] = {e.word, Rule::Quantity, e.value};
  for (auto w : kHalfWords)
    all[n++] = {w, Rule::Half, 0};
  std::array<Lexeme, kLexemeCount> out{};
  n = 0;
  for (std::size_t len = 1; len <= WordIndex::kMaxLength; ++len) {
    for (char first = 'a'; first <= 'z'; ++first) {
      for (const Lexeme& e : all) {
        if (e.word.size() == len && e.word[0] == first) out[n++] = e;
      }
    }
  }
  return out;
}

constexpr std::array<Lexeme, kLexemeCount> kLexemes = make_lexemes();

constexpr bool lower_case_letters(std::string_view w) {
  for (char c : w) {
    if (c < 'a' || c > 'z') return false;
  }
  return !w.empty();
}

constexpr std::array<uint16_t, WordIndex::kGroups + 1> make_starts() {
  std::array<uint16_t, WordIndex::kGroups + 1> start{};
  std::size_t i = 0;
  for (std::size_t g = 0; g <= WordIndex::kGroups; ++g) {
    while (i < kLexemes.size() &&
           WordIndex::group(kLexemes[i].word.size(), kLexemes[i].word[0]) < g) {
      ++i;
    }
    start[g] = static_cast<uint16_t>(i);
  }
  return start;
}

constexpr std::array<uint16_t, WordIndex::kGroups + 1> kStarts = make_starts();

// Every word made it into a group: none is empty, too long, or other than
// lower-case letters.
constexpr bool all_grouped() {
  for (const Lexeme& e : kLexemes) {
    if (!lower_case_letters(e.word) || e.word.size() > WordIndex::kMaxLength) return false;
  }
  return true;
}
static_assert(all_grouped());

constexpr WordKey pack(std::string_view w) {
  WordKey k;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const auto b = static_cast<uint64_t>(static_cast<unsigned char>(w[i]));
    if (i < 8) {
      k.lo |= b << (8 * i);
    } else {
      k.hi |= b << (8 * (i - 8));
    }
  }
  return k;
}

constexpr std::array<WordKey, kLexemeCount> make_keys() {
  std::array<WordKey, kLexemeCount> keys{};
  for (std::size_t i = 0; i < kLexemes.size(); ++i)
    keys[i] = pack(kLexemes[i].word);
  return keys;
}

constexpr std::array<WordKey, kLexemeCount> kKeys = make_keys();

constexpr WordIndex kIndex{kLexemes, kKeys, kStarts};

// The affixes the tokenizer reads after digits, or before them for a
// quarter, are letters: no word of digits or of punctuation holds one.
constexpr bool all_letters(std::span<const std::string_view> words) {
  for (std::string_view w : words) {
    if (!lower_case_letters(w)) return false;
  }
  return true;
}
static_assert(all_letters(kOrdinalSuffixes) && all_letters(kQuarterPrefixes) &&
              all_letters(kAmWords) && all_letters(kPmWords));

}  // namespace

const Locale EN = {
    "en",        kWeekdays,  kMonths,   kUnits,           kKeywords,        kNumbers,
    kQuantities, kHalfWords, kOrdinals, kOrdinalSuffixes, kQuarterPrefixes, kFillers,
    kEndOf,      kAmWords,   kPmWords,  kNamedTimes,      &kIndex,
};

const Lexeme* find_lexeme(const Locale& locale, std::string_view word) {
  if (word.empty() || word.size() > WordIndex::kMaxLength) return nullptr;
  char padded[16] = {};
  std::memcpy(padded, word.data(), word.size());
  return find_lexeme_padded(locale, padded, word.size());
}

bool contains_word(std::span<const std::string_view> table, std::string_view word) {
  for (std::string_view w : table) {
    if (same_word(w, word)) return true;
  }
  return false;
}

std::optional<int64_t> fuzzy_word(std::span<const WordEntry<int64_t>> table,
                                  std::string_view word) {
  return find_word(table, word);
}

std::optional<uint32_t> month(const Locale& locale, std::string_view word) {
  return find_word(locale.months, word);
}

std::optional<Unit> unit(const Locale& locale, std::string_view word) {
  return find_word(locale.units, word);
}

std::optional<Keyword> keyword(const Locale& locale, std::string_view word) {
  return find_word(locale.keywords, word);
}

bool is_half(const Locale& locale, std::string_view word) {
  return contains_word(locale.half_words, word);
}

std::optional<uint32_t> quarter(const Locale& locale, std::string_view word) {
  for (std::string_view prefix : locale.quarter_prefixes) {
    if (word.size() <= prefix.size() || !word.starts_with(prefix)) continue;
    const auto q = read_unsigned(word.substr(prefix.size()), UINT32_MAX);
    if (q && *q >= 1 && *q <= 4) return static_cast<uint32_t>(*q);
  }
  return std::nullopt;
}

std::optional<uint64_t> read_digits(std::string_view s, uint64_t max) {
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (v > (max - digit) / 10) return std::nullopt;
    v = v * 10 + digit;
  }
  return v;
}

std::optional<uint64_t> read_unsigned(std::string_view s, uint64_t max) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return read_digits(s, max);
}

}  // namespace kalendo
