// Reads a time zone the text names: a numeric offset (+02:00, -0500,
// UTC+2, GMT-5), Z, UTC, GMT, an abbreviation that names one zone
// everywhere (PST, ET, CEST), a US zone by its name (5pm pacific, noon
// central time), or one the caller mapped (IST). The core has
// no zone database: it reports the zone's name and reads the rest of the
// text on the clock of the moment it is given, which the caller has
// already turned into that zone's wall clock.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "everyday/mod.h"
#include "locale.h"

namespace kalendo::everyday::zones {
namespace {

using Kind = Tok::Kind;

// Abbreviations that name one zone everywhere, lower-case, and the zone's
// IANA name.
constexpr WordEntry<std::string_view> kAbbreviations[35] = {
    {"utc", "UTC"},
    {"gmt", "UTC"},
    {"z", "UTC"},
    {"zulu", "UTC"},
    {"pst", "America/Los_Angeles"},
    {"pdt", "America/Los_Angeles"},
    {"pt", "America/Los_Angeles"},
    {"est", "America/New_York"},
    {"edt", "America/New_York"},
    {"et", "America/New_York"},
    {"ct", "America/Chicago"},
    {"mst", "America/Denver"},
    {"mdt", "America/Denver"},
    {"mt", "America/Denver"},
    {"akst", "America/Anchorage"},
    {"akdt", "America/Anchorage"},
    {"hst", "Pacific/Honolulu"},
    {"nst", "America/St_Johns"},
    {"ndt", "America/St_Johns"},
    {"cet", "Europe/Paris"},
    {"cest", "Europe/Paris"},
    {"eet", "Europe/Athens"},
    {"eest", "Europe/Athens"},
    {"msk", "Europe/Moscow"},
    {"sast", "Africa/Johannesburg"},
    {"pkt", "Asia/Karachi"},
    {"hkt", "Asia/Hong_Kong"},
    {"sgt", "Asia/Singapore"},
    {"jst", "Asia/Tokyo"},
    {"kst", "Asia/Seoul"},
    {"awst", "Australia/Perth"},
    {"aest", "Australia/Sydney"},
    {"aedt", "Australia/Sydney"},
    {"nzst", "Pacific/Auckland"},
    {"nzdt", "Pacific/Auckland"},
};

// The US zones by name, read after a clock time ("5pm eastern") or before
// "time" ("noon central time"): elsewhere they are ordinary words.
constexpr WordEntry<std::string_view> kZoneWords[4] = {
    {"pacific", "America/Los_Angeles"},
    {"eastern", "America/New_York"},
    {"central", "America/Chicago"},
    {"mountain", "America/Denver"},
};
constexpr std::string_view kTimeWord = "time";
// Their lengths and last letters: most words of seven or eight letters
// ("meeting", "tomorrow") are none of them by one lookup.
constexpr WordEnds kZoneWordEnds{std::span<const WordEntry<std::string_view>>(kZoneWords)};

// Abbreviations that name several zones: read only from the caller's map.
constexpr std::string_view kAmbiguous[10] = {"ist", "cst", "cdt", "bst", "ast",
                                             "adt", "sst", "gst", "ect", "amt"};

// The first two letters and the last of the abbreviations, built in or of
// several zones, by length: a bit per second letter under each first, and
// a bit per last letter. A word whose length and letters no abbreviation
// has ("am", "pm", "eod", "and", "at") skips both tables.
struct Letters {
  std::array<std::array<uint32_t, 26>, 5> second{};  // [length][first - 'a']
  std::array<uint32_t, 5> last{};                    // [length]
};
constexpr Letters kLetters = [] {
  Letters bits;
  const auto add = [&bits](std::string_view w) {
    const std::size_t n = w.size();
    bits.second[n][static_cast<std::size_t>(w[0] - 'a')] |= 1u << (n > 1 ? w[1] - 'a' : 0);
    bits.last[n] |= 1u << (w.back() - 'a');
  };
  for (const auto& entry : kAbbreviations)
    add(entry.word);
  for (std::string_view w : kAmbiguous)
    add(w);
  return bits;
}();

bool may_abbreviate(std::string_view w) {
  const std::size_t n = w.size();
  const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
  if (n == 0 || n >= kLetters.last.size() || !letter(w[0]) || !letter(w.back())) return false;
  if ((kLetters.last[n] >> (w.back() - 'a') & 1u) == 0) return false;
  const uint32_t seconds = kLetters.second[n][static_cast<std::size_t>(w[0] - 'a')];
  return n == 1 ? seconds != 0 : letter(w[1]) && (seconds >> (w[1] - 'a') & 1u) != 0;
}

bool equal_folded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] | 0x20) : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] | 0x20) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string upper(std::string_view w) {
  std::string out(w);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

uint32_t digits(std::string_view s, std::size_t at, std::size_t n) {
  uint32_t v = 0;
  for (std::size_t k = 0; k < n; ++k)
    v = v * 10 + static_cast<uint32_t>(s[at + k] - '0');
  return v;
}

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// [utc|gmt] +|- hh[:mm] | hhmm | h: "+02:00", "-0500", "UTC+2", "GMT-5";
// bare offsets need their minutes, so that "-3" stays a signed count.
std::optional<std::string> offset_of(std::string_view w) {
  bool prefixed = false;
  if (w.size() > 3 &&
      (equal_folded(w.substr(0, 3), "utc") || equal_folded(w.substr(0, 3), "gmt"))) {
    w.remove_prefix(3);
    prefixed = true;
  }
  if (w.size() < 2 || (w[0] != '+' && w[0] != '-')) return std::nullopt;
  const char sign = w[0];
  const std::string_view body = w.substr(1);
  uint32_t h = 0, m = 0;
  if (body.size() == 5 && body[2] == ':' && all_digits(body.substr(0, 2)) &&
      all_digits(body.substr(3))) {
    h = digits(body, 0, 2);
    m = digits(body, 3, 2);
  } else if (body.size() == 4 && all_digits(body)) {
    h = digits(body, 0, 2);
    m = digits(body, 2, 2);
  } else if (prefixed && body.size() <= 2 && all_digits(body)) {
    h = digits(body, 0, body.size());
  } else if (prefixed && body.size() == 4 && body[1] == ':' && all_digits(body.substr(0, 1)) &&
             all_digits(body.substr(2))) {
    h = digits(body, 0, 1);
    m = digits(body, 2, 2);
  } else {
    return std::nullopt;
  }
  if (h > 14 || m > 59) return std::nullopt;
  if (h == 0 && m == 0) return std::string("UTC");
  std::string out;
  out += sign;
  out += static_cast<char>('0' + h / 10);
  out += static_cast<char>('0' + h % 10);
  out += ':';
  out += static_cast<char>('0' + m / 10);
  out += static_cast<char>('0' + m % 10);
  return out;
}

// Returns whether a piece ends a clock time: a shape, a number, a clock
// token, am|pm or a clock word ("330pm").
bool ends_clock(const Piece& p) {
  if (p.is_shape || p.tok.is(Kind::Time) || p.tok.is(Kind::Num)) return true;
  if (!p.tok.is(Kind::Word) || p.tok.text.empty()) return false;
  const std::string_view w = p.tok.text;
  return w == "am" || w == "pm" || w == "m" || (w[0] >= '0' && w[0] <= '9');
}

// Returns whether the text writes the word w (folded) with a full stop and
// more text after it: "est. 1999" abbreviates a word, not a zone.
bool dotted_in(std::string_view text, std::string_view w) {
  for (std::size_t at = 0; at + w.size() + 1 < text.size(); ++at) {
    if (at > 0 && text[at - 1] != ' ') continue;
    if (text[at + w.size()] == '.' && equal_folded(text.substr(at, w.size()), w)) return true;
  }
  return false;
}

}  // namespace

std::span<const std::string_view> zone_names() {
  // Built once: the abbreviations of one zone sit together in the table.
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out;
    for (const auto& entry : kAbbreviations) {
      if (std::find(out.begin(), out.end(), entry.value) == out.end()) out.push_back(entry.value);
    }
    return out;
  }();
  return names;
}

namespace {

// pacific|eastern|central|mountain: the zone the word names, or none; most
// words of seven or eight letters are ruled out by one lookup.
inline std::optional<std::string_view> zone_word(std::string_view w) {
  if ((w.size() != 7 && w.size() != 8) || !kZoneWordEnds.may_hold(w)) return std::nullopt;
  return find_word<std::string_view>(kZoneWords, w);
}

// Built-in names have at most four letters, and an offset has its sign
// first or after "utc": a longer word without one names no zone.
inline bool beyond_names(std::string_view w) {
  return w.size() > 4 && w[0] != '+' && w[0] != '-' && w[3] != '+' && w[3] != '-';
}

// An offset opens with its sign, or with "utc" or "gmt" before it: a word
// of four letters that opens with neither ("next", "soon") is none.
inline bool may_offset(std::string_view w) {
  return (!w.empty() && (w[0] == '+' || w[0] == '-')) ||
         (w.size() > 3 && ((w[0] | 0x20) == 'u' || (w[0] | 0x20) == 'g'));
}

// Returns whether a piece may name a zone, by its looks alone: a shape
// with a zone or a sign, or a word that is a caller's name, a US zone's
// name, an offset or an abbreviation of a length and letters that one has.
// Most pieces are none ("monday", "to", "3pm"), and only the others are
// read, apart.
inline bool may_name(const Piece& p, std::span<const std::string> caller) {
  if (p.is_shape) return !p.shape.zone.empty() || p.shape.kind == Shape::Kind::Amount;
  if (!p.tok.is(Kind::Word)) return false;
  const std::string_view w = p.tok.text;
  if (!caller.empty() || zone_word(w)) return true;
  if (beyond_names(w)) return false;
  return may_offset(w) || may_abbreviate(w);
}

// Reads the zone that pieces[i] names, or none, for a piece that may_name
// lets through: apart, and compiled with every call in place.
[[gnu::noinline, gnu::flatten]] std::optional<Named> zone_at(std::span<const Piece> pieces,
                                                             std::size_t i,
                                                             std::span<const std::string> caller,
                                                             std::string_view text) {
  const Piece& p = pieces[i];
  if (p.is_shape && !p.shape.zone.empty()) {
    // 17:00Z | 2025-03-14T17:00+02:00 | 17:00+0200 | ...T17:00+02
    const std::string_view z = p.shape.zone;
    std::optional<std::string> named;
    if (z.size() == 1) {
      named = "UTC";
    } else {
      named = offset_of(z.size() == 3 ? std::string(z) + "00" : std::string(z));
    }
    if (named) return Named{std::move(*named), i, {}, true};
    return std::nullopt;
  }
  if (p.is_shape) {
    if (p.shape.kind != Shape::Kind::Amount) return std::nullopt;
    if (auto off = offset_of(p.shape.text)) return Named{std::move(*off), i, {}};
    return std::nullopt;
  }
  if (!p.tok.is(Kind::Word)) return std::nullopt;
  const std::string_view w = p.tok.text;
  for (const std::string& name : caller) {
    if (equal_folded(name, w)) return Named{upper(w), i, {}};
  }
  // pacific|eastern|central|mountain [time]
  if (const auto zone = zone_word(w)) {
    const bool time_after = i + 1 < pieces.size() && !pieces[i + 1].is_shape &&
                            pieces[i + 1].tok.is(Kind::Word) && pieces[i + 1].tok.text == kTimeWord;
    if (time_after || (i > 0 && ends_clock(pieces[i - 1]))) {
      return Named{std::string(*zone), i, {}, false, time_after ? 2u : 1u};
    }
    return std::nullopt;
  }
  if (beyond_names(w)) return std::nullopt;
  if (auto off = may_offset(w) ? offset_of(w) : std::nullopt) return Named{std::move(*off), i, {}};
  if (!may_abbreviate(w)) return std::nullopt;
  if (const auto zone = find_word<std::string_view>(kAbbreviations, w)) {
    // "est. 1999": a word's abbreviation, unless a clock time precedes it.
    if (!(i > 0 && ends_clock(pieces[i - 1])) && dotted_in(text, w)) return std::nullopt;
    return Named{std::string(*zone), i, {}};
  }
  if (contains_word(std::span(kAmbiguous), w)) {
    const std::string name = upper(w);
    return Named{{},
                 i,
                 cat("the zone abbreviation \"", name,
                     "\" names several zones; map it to one, e.g. zones={\"", name,
                     "\": ZoneInfo(\"Area/City\")} (command: --zone ", name, "=Area/City)")};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Named> find(std::span<const Piece> pieces, std::span<const std::string> caller,
                          std::string_view text) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (!may_name(pieces[i], caller)) continue;
    if (auto named = zone_at(pieces, i, caller, text)) return named;
  }
  return std::nullopt;
}

}  // namespace kalendo::everyday::zones
