// Matches the seasons and the halves of a year: summer, this winter, next
// spring, last fall, autumn 2025, in the summer; h1 2025, H2 2025, first
// half of 2025, the second half of next year, the first half of the year.
//
// A season is a meteorological one, three whole months, of the caller's
// region: south of the equator (AU, NZ) the seasons are turned by half a
// year. Winter in the north, and summer in the south, run into the next
// year and are named by the year they begin in.
#include <array>

#include "everyday/mod.h"
#include "locale.h"

namespace kalendo::everyday::seasons {
namespace {

using Kind = Tok::Kind;

enum class Season : uint8_t { Spring, Summer, Autumn, Winter };

constexpr WordEntry<Season> kSeasonWords[5] = {
    {"spring", Season::Spring}, {"summer", Season::Summer}, {"autumn", Season::Autumn},
    {"fall", Season::Autumn},   {"winter", Season::Winter},
};
constexpr WordEnds kSeasonEnds{std::span<const WordEntry<Season>>(kSeasonWords)};
constexpr std::string_view kSeasonNames[4] = {"spring", "summer", "autumn", "winter"};

// The first month of each season north of the equator.
constexpr uint32_t kNorthStart[4] = {3, 6, 9, 12};

// The halves of a year as reports write them.
constexpr WordEntry<uint32_t> kHalfWords[2] = {{"h1", 1}, {"h2", 2}};

// A season or a half of the year with a year named, the one the text
// means: a date range, vaguer for a season than for a half.
constexpr float kSeasonConfidence = 0.75f;
constexpr float kHalfConfidence = 0.9f;

// Returns the days of season `s` that begins in year `y`.
std::optional<DateRange> season_days(Season s, bool south, int64_t y) {
  uint32_t month = kNorthStart[static_cast<std::size_t>(s)];
  if (south) month = (month + 5) % 12 + 1;
  const auto first = Date::from_ymd(y, month, 1);
  const auto after = first ? add_months_checked(*first, 3) : std::nullopt;
  const auto last = after ? add_days(*after, -1) : std::nullopt;
  if (!first || !last) return std::nullopt;
  return DateRange{*first, *last};
}

// Returns the days of half `h` (1 or 2) of year `y`.
std::optional<DateRange> half_days(uint32_t h, int64_t y) {
  const auto first = Date::from_ymd(y, h == 1 ? 1 : 7, 1);
  const auto last = Date::from_ymd(y, h == 1 ? 6 : 12, h == 1 ? 30 : 31);
  if (!first || !last) return std::nullopt;
  return DateRange{*first, *last};
}

// How the text chooses among a period's years: this (the one under way, or
// the coming one), next (the first to begin after today), last (the latest
// to end before today), or a year it names.
enum class Which : uint8_t { This, Next, Last, Year };

MatchResult range(std::optional<DateRange> days, std::string label, float confidence) {
  if (!days) return MatchResult::no_match();
  label += ", ";
  label += format_date(days->first);
  label += " to ";
  label += format_date(days->last);
  return MatchResult::single(std::move(label), Value::days(days->first, days->last), confidence);
}

// Returns the occurrence of a yearly period that `which` chooses, with the
// year it begins in.
template <typename Days>
std::optional<std::pair<DateRange, int64_t>> occurrence(Days days, Which which, int64_t year,
                                                        Date today) {
  if (which == Which::Year) {
    const auto d = days(year);
    if (!d) return std::nullopt;
    return std::pair{*d, year};
  }
  // The candidates begin in the years around today's, in order.
  std::optional<std::pair<DateRange, int64_t>> chosen;
  for (int64_t y = today.year() - 2; y <= today.year() + 1; ++y) {
    const auto d = days(y);
    if (!d) continue;
    if (which == Which::Last && d->last < today) chosen = std::pair{*d, y};
    if (which == Which::This && d->last >= today && !chosen) chosen = std::pair{*d, y};
    if (which == Which::Next && d->first > today && !chosen) chosen = std::pair{*d, y};
  }
  return chosen;
}

// [in|during] [the] [this|next|last] <period> [[of|in] <year>] | <period>
// of next|this|last year: the words around a period's name. Returns the
// choice and the pieces the name takes, or none.
struct Around {
  Which which = Which::This;
  int64_t year = 0;
  std::size_t at = 0;  // the piece of the name
};

std::optional<Around> around(std::span<const Piece> p, std::size_t name_len, Date today) {
  Around a;
  std::size_t i = 0;
  const auto word = [&](std::size_t k) -> const Tok* {
    return k < p.size() && !p[k].is_shape ? &p[k].tok : nullptr;
  };
  if (const Tok* t = word(i); t != nullptr && t->is_kw(Keyword::In)) ++i;
  if (const Tok* t = word(i); t != nullptr && t->is_kw(Keyword::This)) {
    ++i;
  } else if (t != nullptr && t->is_kw(Keyword::Next)) {
    a.which = Which::Next;
    ++i;
  } else if (t != nullptr && t->is_kw(Keyword::Last)) {
    a.which = Which::Last;
    ++i;
  }
  a.at = i;
  i += name_len;
  if (i < p.size() && word(i) != nullptr && word(i)->is_kw(Keyword::Of)) ++i;
  if (i == p.size()) return a;
  if (a.which != Which::This || a.at > 1) return std::nullopt;
  const Tok* t = word(i);
  if (t == nullptr) return std::nullopt;
  if (t->is(Kind::Num) && i + 1 == p.size() && t->value >= 1000 && t->value <= 9999) {
    a.which = Which::Year;
    a.year = t->value;
    return a;
  }
  // next|this|last year
  const Tok* unit = word(i + 1);
  if (i + 2 != p.size() || unit == nullptr || !unit->is_unit(Unit::Year)) return std::nullopt;
  a.which = Which::Year;
  if (t->is_kw(Keyword::Next)) {
    a.year = today.year() + 1;
  } else if (t->is_kw(Keyword::This)) {
    a.year = today.year();
  } else if (t->is_kw(Keyword::Last)) {
    a.year = today.year() - 1;
  } else {
    return std::nullopt;
  }
  return a;
}

// Returns the season a piece names, or none.
std::optional<Season> season_at(std::span<const Piece> p, std::size_t i) {
  if (i >= p.size() || p[i].is_shape || !p[i].tok.is(Kind::Word)) return std::nullopt;
  if (!kSeasonEnds.may_hold(p[i].tok.text)) return std::nullopt;
  return find_word<Season>(kSeasonWords, p[i].tok.text);
}

// Returns the half of the year a name at p[i] gives and the pieces it
// takes: h1 | h2 | first|second|1st|2nd half.
std::optional<uint32_t> half_at(std::span<const Piece> p, std::size_t i, std::size_t* len) {
  if (i >= p.size() || p[i].is_shape) return std::nullopt;
  const Tok& t = p[i].tok;
  *len = 1;
  if (t.is(Kind::Word)) return find_word<uint32_t>(kHalfWords, t.text);
  const bool second = t.is_unit(Unit::Minute) && t.text == "second";
  if (!(t.is(Kind::Ordinal) && (t.value == 1 || t.value == 2)) && !second) return std::nullopt;
  if (i + 1 >= p.size() || p[i + 1].is_shape || !p[i + 1].tok.is(Kind::Half)) return std::nullopt;
  *len = 2;
  return second ? 2u : static_cast<uint32_t>(t.value);
}

MatchResult season(std::span<const Piece> p, const EverydayCtx& ctx) {
  const Date today = ctx.today();
  std::size_t name = 0;
  while (name < p.size() && name < 2 && !season_at(p, name))
    ++name;
  const auto s = season_at(p, name);
  if (!s) return MatchResult::no_match();
  const auto a = around(p, 1, today);
  if (!a || a->at != name) return MatchResult::no_match();
  const bool south = ctx.opts.region == Region::AU || ctx.opts.region == Region::NZ;
  const auto found =
      occurrence([&](int64_t y) { return season_days(*s, south, y); }, a->which, a->year, today);
  if (!found) return MatchResult::no_match();
  const auto& [days, year] = *found;
  std::string label(kSeasonNames[static_cast<std::size_t>(*s)]);
  label += ' ';
  label += std::to_string(year);
  if (days.last.year() != year) {
    label += '-';
    label += std::to_string(days.last.year() % 100 / 10);
    label += std::to_string(days.last.year() % 10);
  }
  return range(days, std::move(label), kSeasonConfidence);
}

MatchResult half(std::span<const Piece> p, const EverydayCtx& ctx) {
  const Date today = ctx.today();
  std::size_t at = p[0].tok.is_kw(Keyword::In) ? 1 : 0;
  std::size_t len = 0;
  const auto h = half_at(p, at, &len);
  if (!h) return MatchResult::no_match();
  // first half [of] [the] year: the current year's.
  std::span<const Piece> rest = p.subspan(at + len);
  if (rest.size() == 2 && !rest[0].is_shape && rest[0].tok.is_kw(Keyword::Of) &&
      !rest[1].is_shape && rest[1].tok.is_unit(Unit::Year)) {
    return range(half_days(*h, today.year()),
                 cat("H", std::to_string(*h), " ", std::to_string(today.year())), kHalfConfidence);
  }
  const auto a = around(p.subspan(at), len, today);
  if (!a || a->at != 0) return MatchResult::no_match();
  // A half alone names no year: "the h1 tag", "in the first half".
  if (a->which == Which::This && rest.empty()) return MatchResult::no_match();
  const auto found =
      occurrence([&](int64_t y) { return half_days(*h, y); }, a->which, a->year, today);
  if (!found) return MatchResult::no_match();
  return range(found->first, cat("H", std::to_string(*h), " ", std::to_string(found->second)),
               kHalfConfidence);
}

}  // namespace

MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (pieces.empty() || pieces.size() > 6) return MatchResult::no_match();
  // Most texts name neither: one look at each word's length, first and
  // last letter, and at "half", rules them out.
  bool named = false;
  for (const Piece& x : pieces) {
    if (x.is_shape) return MatchResult::no_match();
    const std::string_view w = x.tok.text;
    named = named || x.tok.is(Kind::Half) ||
            (x.tok.is(Kind::Word) && ((w.size() == 2 && w[0] == 'h') ||
                                      (w.size() >= 4 && w.size() <= 6 &&
                                       (w[0] == 's' || w[0] == 'w' || w[0] == 'a' || w[0] == 'f') &&
                                       kSeasonEnds.may_hold(w))));
  }
  if (!named) return MatchResult::no_match();
  if (MatchResult m = season(pieces, ctx); m.kind != MatchResult::Kind::NoMatch) return m;
  return half(pieces, ctx);
}

}  // namespace kalendo::everyday::seasons
