#include "locale.h"

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

}  // namespace

const Locale EN = {
    "en",        kWeekdays,  kMonths,   kUnits,           kKeywords,        kNumbers,
    kQuantities, kHalfWords, kOrdinals, kOrdinalSuffixes, kQuarterPrefixes, kFillers,
    kEndOf,      kAmWords,   kPmWords,  kNamedTimes,
};

bool contains_word(std::span<const std::string_view> table, std::string_view word) {
  for (std::string_view w : table) {
    if (w.size() == word.size() && w == word) return true;
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
