// Matches holidays by name: christmas, xmas eve, new year's, st. paddy's
// day, mlk day, thanksgiving (by region); next|last|this <holiday>,
// <holiday> [of|in] <year>, <holiday> next|this|last year, <holiday> at
// 5pm, <holiday> weekend, <holiday> week; and the holiday as an anchor
// wherever the core takes one ("2 days after christmas", "the week after
// thanksgiving", "3 business days before christmas").
//
// A holiday name is found as whole words of the text, then written back as
// an anchor of the core's own kind, so that every anchored form of the core
// reads it with the holiday's date.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "everyday/mod.h"
#include "locale.h"
#include "parse.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::everyday::holidays {
namespace {

using Kind = Tok::Kind;

// The holidays, whatever the region: several rules may share one (Labour
// Day, Thanksgiving, Mother's Day), one per set of regions.
enum class H : uint8_t {
  NewYearsDay,
  NewYearsEve,
  ChristmasDay,
  ChristmasEve,
  Easter,
  GoodFriday,
  HolySaturday,
  EasterMonday,
  PalmSunday,
  AshWednesday,
  ShroveTuesday,
  Pentecost,
  Halloween,
  Valentines,
  StPatricks,
  MlkDay,
  PresidentsDay,
  MemorialDay,
  Juneteenth,
  IndependenceDay,
  LabourDay,
  ColumbusDay,
  VeteransDay,
  ElectionDay,
  Thanksgiving,
  BlackFriday,
  CyberMonday,
  MothersDay,
  FathersDay,
  BoxingDay,
  StStephens,
  EarlyMay,
  SpringBank,
  SummerBank,
  JuneBank,
  OctoberBank,
  RemembranceDay,
  RemembranceSunday,
  BonfireNight,
  StGeorges,
  StAndrews,
  StDavids,
  VictoriaDay,
  CanadaDay,
  CivicHoliday,
  FamilyDay,
  TruthAndReconciliation,
  AustraliaDay,
  AnzacDay,
  KingsBirthday,
  MelbourneCup,
  WaitangiDay,
};

// Region bits, in the order of Region.
constexpr uint8_t US = 1, GB = 2, CA = 4, AU = 8, IE = 16, NZ = 32, ALL = 63;

enum class Rule : uint8_t {
  Fixed,       // month, day
  Nth,         // the n-th (or, n = -1, the last) weekday of month
  Easter,      // Easter Sunday plus offset days
  OnOrBefore,  // the last weekday on or before month/day ("the Monday before May 25")
  OnOrAfter,   // the first weekday on or after month/day ("the Tuesday after the first Monday")
  Varies,      // kept, but on different days across the region
};

// One rule: which holiday, where, its name as the answer spells it, and
// how its day falls; `offset` days are added to the day the rule finds.
struct HolidayRule {
  H key;
  uint8_t regions;
  std::string_view name;
  Rule rule;
  uint8_t month;
  int8_t n;         // Fixed, OnOrBefore, OnOrAfter: the day of the month; Nth: the rank
  uint8_t weekday;  // 0 Monday .. 6 Sunday
  int16_t offset;
};

constexpr uint8_t kMon = 0, kTue = 1, kThu = 3, kSun = 6;

// The rules, region-free ones first; the first rule of a key that covers
// the region is its holiday there.
constexpr HolidayRule kRules[] = {
    {H::NewYearsDay, ALL, "New Year's Day", Rule::Fixed, 1, 1, 0, 0},
    {H::NewYearsEve, ALL, "New Year's Eve", Rule::Fixed, 12, 31, 0, 0},
    {H::ChristmasDay, ALL, "Christmas Day", Rule::Fixed, 12, 25, 0, 0},
    {H::ChristmasEve, ALL, "Christmas Eve", Rule::Fixed, 12, 24, 0, 0},
    {H::Easter, ALL, "Easter Sunday", Rule::Easter, 0, 0, 0, 0},
    {H::GoodFriday, ALL, "Good Friday", Rule::Easter, 0, 0, 0, -2},
    {H::HolySaturday, ALL, "Holy Saturday", Rule::Easter, 0, 0, 0, -1},
    {H::PalmSunday, ALL, "Palm Sunday", Rule::Easter, 0, 0, 0, -7},
    {H::AshWednesday, ALL, "Ash Wednesday", Rule::Easter, 0, 0, 0, -46},
    {H::ShroveTuesday, ALL, "Shrove Tuesday", Rule::Easter, 0, 0, 0, -47},
    {H::Pentecost, ALL, "Pentecost", Rule::Easter, 0, 0, 0, 49},
    {H::Halloween, ALL, "Halloween", Rule::Fixed, 10, 31, 0, 0},
    {H::Valentines, ALL, "Valentine's Day", Rule::Fixed, 2, 14, 0, 0},
    {H::StPatricks, ALL, "St Patrick's Day", Rule::Fixed, 3, 17, 0, 0},
    {H::EasterMonday, GB | AU | IE | NZ, "Easter Monday", Rule::Easter, 0, 0, 0, 1},
    {H::MlkDay, US, "Martin Luther King Jr. Day", Rule::Nth, 1, 3, kMon, 0},
    {H::PresidentsDay, US, "Presidents' Day", Rule::Nth, 2, 3, kMon, 0},
    {H::MemorialDay, US, "Memorial Day", Rule::Nth, 5, -1, kMon, 0},
    {H::Juneteenth, US, "Juneteenth", Rule::Fixed, 6, 19, 0, 0},
    {H::IndependenceDay, US, "Independence Day", Rule::Fixed, 7, 4, 0, 0},
    {H::LabourDay, US | CA, "Labor Day", Rule::Nth, 9, 1, kMon, 0},
    {H::LabourDay, NZ, "Labour Day", Rule::Nth, 10, 4, kMon, 0},
    {H::LabourDay, AU, "Labour Day", Rule::Varies, 0, 0, 0, 0},
    {H::ColumbusDay, US, "Columbus Day", Rule::Nth, 10, 2, kMon, 0},
    {H::VeteransDay, US, "Veterans Day", Rule::Fixed, 11, 11, 0, 0},
    {H::ElectionDay, US, "Election Day", Rule::OnOrAfter, 11, 2, kTue, 0},
    {H::Thanksgiving, US, "Thanksgiving", Rule::Nth, 11, 4, kThu, 0},
    {H::Thanksgiving, CA, "Thanksgiving", Rule::Nth, 10, 2, kMon, 0},
    {H::BlackFriday, US, "Black Friday", Rule::Nth, 11, 4, kThu, 1},
    {H::CyberMonday, US, "Cyber Monday", Rule::Nth, 11, 4, kThu, 4},
    {H::MothersDay, US | CA | AU | NZ, "Mother's Day", Rule::Nth, 5, 2, kSun, 0},
    {H::MothersDay, GB | IE, "Mothering Sunday", Rule::Easter, 0, 0, 0, -21},
    {H::FathersDay, US | CA | GB | IE, "Father's Day", Rule::Nth, 6, 3, kSun, 0},
    {H::FathersDay, AU | NZ, "Father's Day", Rule::Nth, 9, 1, kSun, 0},
    {H::BoxingDay, GB | CA | AU | IE | NZ, "Boxing Day", Rule::Fixed, 12, 26, 0, 0},
    {H::StStephens, IE, "St Stephen's Day", Rule::Fixed, 12, 26, 0, 0},
    {H::EarlyMay, GB, "Early May bank holiday", Rule::Nth, 5, 1, kMon, 0},
    {H::EarlyMay, IE, "May bank holiday", Rule::Nth, 5, 1, kMon, 0},
    {H::SpringBank, GB, "Spring bank holiday", Rule::Nth, 5, -1, kMon, 0},
    {H::SummerBank, GB, "Summer bank holiday", Rule::Nth, 8, -1, kMon, 0},
    {H::SummerBank, IE, "August bank holiday", Rule::Nth, 8, 1, kMon, 0},
    {H::JuneBank, IE, "June bank holiday", Rule::Nth, 6, 1, kMon, 0},
    {H::OctoberBank, IE, "October bank holiday", Rule::Nth, 10, -1, kMon, 0},
    {H::RemembranceDay, GB | CA | AU | NZ, "Remembrance Day", Rule::Fixed, 11, 11, 0, 0},
    {H::RemembranceSunday, GB, "Remembrance Sunday", Rule::Nth, 11, 2, kSun, 0},
    {H::BonfireNight, GB | NZ, "Bonfire Night", Rule::Fixed, 11, 5, 0, 0},
    {H::StGeorges, GB, "St George's Day", Rule::Fixed, 4, 23, 0, 0},
    {H::StAndrews, GB, "St Andrew's Day", Rule::Fixed, 11, 30, 0, 0},
    {H::StDavids, GB, "St David's Day", Rule::Fixed, 3, 1, 0, 0},
    {H::VictoriaDay, CA, "Victoria Day", Rule::OnOrBefore, 5, 24, kMon, 0},
    {H::CanadaDay, CA, "Canada Day", Rule::Fixed, 7, 1, 0, 0},
    {H::CivicHoliday, CA, "Civic Holiday", Rule::Nth, 8, 1, kMon, 0},
    {H::FamilyDay, CA, "Family Day", Rule::Nth, 2, 3, kMon, 0},
    {H::TruthAndReconciliation, CA, "National Day for Truth and Reconciliation", Rule::Fixed, 9, 30,
     0, 0},
    {H::AustraliaDay, AU, "Australia Day", Rule::Fixed, 1, 26, 0, 0},
    {H::AnzacDay, AU | NZ, "Anzac Day", Rule::Fixed, 4, 25, 0, 0},
    {H::KingsBirthday, AU, "King's Birthday", Rule::Nth, 6, 2, kMon, 0},
    {H::KingsBirthday, NZ, "King's Birthday", Rule::Nth, 6, 1, kMon, 0},
    {H::MelbourneCup, AU, "Melbourne Cup Day", Rule::Nth, 11, 1, kTue, 0},
    {H::WaitangiDay, NZ, "Waitangi Day", Rule::Fixed, 2, 6, 0, 0},
};

// One way people write a holiday: its words as keys (lower case, without
// apostrophes or full stops), and whether the words are also a plain date
// that other regions read as one ("july 4th").
struct Alias {
  std::string_view words;
  H key;
  bool date_like = false;
};

constexpr Alias kAliases[] = {
    {"new years day", H::NewYearsDay},
    {"new year day", H::NewYearsDay},
    {"new years", H::NewYearsDay},
    {"new year", H::NewYearsDay},
    {"nyd", H::NewYearsDay},
    {"new years eve", H::NewYearsEve},
    {"new year eve", H::NewYearsEve},
    {"nye", H::NewYearsEve},
    {"christmas", H::ChristmasDay},
    {"christmas day", H::ChristmasDay},
    {"xmas", H::ChristmasDay},
    {"xmas day", H::ChristmasDay},
    {"x mas", H::ChristmasDay},
    {"christmas eve", H::ChristmasEve},
    {"xmas eve", H::ChristmasEve},
    {"easter", H::Easter},
    {"easter sunday", H::Easter},
    {"easter day", H::Easter},
    {"good friday", H::GoodFriday},
    {"holy saturday", H::HolySaturday},
    {"easter saturday", H::HolySaturday},
    {"easter monday", H::EasterMonday},
    {"palm sunday", H::PalmSunday},
    {"ash wednesday", H::AshWednesday},
    {"shrove tuesday", H::ShroveTuesday},
    {"pancake day", H::ShroveTuesday},
    {"mardi gras", H::ShroveTuesday},
    {"pentecost", H::Pentecost},
    {"whit sunday", H::Pentecost},
    {"whitsunday", H::Pentecost},
    {"halloween", H::Halloween},
    {"valentines day", H::Valentines},
    {"valentine day", H::Valentines},
    {"valentines", H::Valentines},
    {"st valentines day", H::Valentines},
    {"saint valentines day", H::Valentines},
    {"st patricks day", H::StPatricks},
    {"saint patricks day", H::StPatricks},
    {"st patricks", H::StPatricks},
    {"st paddys day", H::StPatricks},
    {"st paddys", H::StPatricks},
    {"st pattys day", H::StPatricks},
    {"paddys day", H::StPatricks},
    {"patricks day", H::StPatricks},
    {"mlk day", H::MlkDay},
    {"mlk jr day", H::MlkDay},
    {"martin luther king day", H::MlkDay},
    {"martin luther king jr day", H::MlkDay},
    {"martin luther king junior day", H::MlkDay},
    {"presidents day", H::PresidentsDay},
    {"president day", H::PresidentsDay},
    {"washingtons birthday", H::PresidentsDay},
    {"memorial day", H::MemorialDay},
    {"juneteenth", H::Juneteenth},
    {"independence day", H::IndependenceDay},
    {"july 4th", H::IndependenceDay, true},
    {"july fourth", H::IndependenceDay, true},
    {"4th of july", H::IndependenceDay, true},
    {"fourth of july", H::IndependenceDay, true},
    {"labor day", H::LabourDay},
    {"labour day", H::LabourDay},
    {"columbus day", H::ColumbusDay},
    {"indigenous peoples day", H::ColumbusDay},
    {"veterans day", H::VeteransDay},
    {"election day", H::ElectionDay},
    {"thanksgiving", H::Thanksgiving},
    {"thanksgiving day", H::Thanksgiving},
    {"turkey day", H::Thanksgiving},
    {"black friday", H::BlackFriday},
    {"cyber monday", H::CyberMonday},
    {"mothers day", H::MothersDay},
    {"mother day", H::MothersDay},
    {"mothering sunday", H::MothersDay},
    {"moms day", H::MothersDay},
    {"mums day", H::MothersDay},
    {"fathers day", H::FathersDay},
    {"father day", H::FathersDay},
    {"dads day", H::FathersDay},
    {"boxing day", H::BoxingDay},
    {"st stephens day", H::StStephens},
    {"saint stephens day", H::StStephens},
    {"early may bank holiday", H::EarlyMay},
    {"may bank holiday", H::EarlyMay},
    {"may day bank holiday", H::EarlyMay},
    {"may day", H::EarlyMay},
    {"spring bank holiday", H::SpringBank},
    {"summer bank holiday", H::SummerBank},
    {"august bank holiday", H::SummerBank},
    {"june bank holiday", H::JuneBank},
    {"october bank holiday", H::OctoberBank},
    {"remembrance day", H::RemembranceDay},
    {"armistice day", H::RemembranceDay},
    {"remembrance sunday", H::RemembranceSunday},
    {"bonfire night", H::BonfireNight},
    {"guy fawkes night", H::BonfireNight},
    {"guy fawkes day", H::BonfireNight},
    {"st georges day", H::StGeorges},
    {"st andrews day", H::StAndrews},
    {"st davids day", H::StDavids},
    {"victoria day", H::VictoriaDay},
    {"canada day", H::CanadaDay},
    {"civic holiday", H::CivicHoliday},
    {"family day", H::FamilyDay},
    {"truth and reconciliation day", H::TruthAndReconciliation},
    {"australia day", H::AustraliaDay},
    {"anzac day", H::AnzacDay},
    {"kings birthday", H::KingsBirthday},
    {"queens birthday", H::KingsBirthday},
    {"melbourne cup day", H::MelbourneCup},
    {"melbourne cup", H::MelbourneCup},
    {"waitangi day", H::WaitangiDay},
};

// The aliases grouped by their first byte, each group in table order, so
// that a word is compared only with the aliases that start like it.
struct AliasIndex {
  std::array<uint8_t, std::size(kAliases)> order{};
  // The length of each alias's first word, in the order above: a word is
  // compared only with the aliases whose first word is as long.
  std::array<uint8_t, std::size(kAliases)> first_len{};
  std::array<uint8_t, 257> start{};  // the group of byte b: order[start[b], start[b + 1])
};
static_assert(std::size(kAliases) < 256);
constexpr AliasIndex index_aliases() {
  AliasIndex x;
  uint8_t n = 0;
  for (unsigned b = 0; b < 256; ++b) {
    x.start[b] = n;
    for (std::size_t i = 0; i < std::size(kAliases); ++i) {
      if (static_cast<unsigned char>(kAliases[i].words[0]) == b) {
        const std::string_view w = kAliases[i].words;
        x.first_len[n] =
            static_cast<uint8_t>(w.find(' ') == std::string_view::npos ? w.size() : w.find(' '));
        x.order[n++] = static_cast<uint8_t>(i);
      }
    }
  }
  x.start[256] = n;
  return x;
}
constexpr AliasIndex kAliasIndex = index_aliases();

// Words before a holiday that choose its occurrence: the coming one (today
// included) or the most recent one before today.
constexpr WordEntry<bool> kWhich[7] = {
    {"next", true},  {"this", true},      {"coming", true}, {"upcoming", true},
    {"last", false}, {"previous", false}, {"past", false},
};

// Words between a holiday and its year: "christmas of 2025".
constexpr std::string_view kYearLinks[2] = {"of", "in"};

// The years away that "christmas next year" and its kin name.
constexpr std::string_view kYearWord = "year";
constexpr WordEntry<int64_t> kYearsAway[4] = {
    {"next", 1}, {"this", 0}, {"last", -1}, {"previous", -1}};

constexpr std::string_view kWeekendWords[2] = {"weekend", "weekends"};

// The private-use character that begins the anchor names written in place
// of holiday names: no word a person types holds it.
constexpr std::string_view kMarkLead = "\xEE\x80\x80";

// At most this many holiday names are read in one text.
constexpr std::size_t kMaxFound = 8;  // their anchor names end in a..h

constexpr float kNamed = 0.9f;
constexpr float kRolled = 0.85f;

// Returns Easter Sunday of year y by the Gregorian computus, for the years
// the Gregorian calendar has had it (from 1583).
std::optional<Date> easter_sunday(int64_t y) {
  if (y < 1583) return std::nullopt;
  const int64_t a = y % 19;                            // [0, 18]
  const int64_t b = y / 100, c = y % 100;              // c in [0, 99]
  const int64_t d = b / 4, e = b % 4;                  // e in [0, 3]
  const int64_t f = (b + 8) / 25;                      //
  const int64_t g = (b - f + 1) / 3;                   //
  const int64_t h = (19 * a + b - d - g + 15) % 30;    // [0, 29]
  const int64_t i = c / 4, k = c % 4;                  // i in [0, 24], k in [0, 3]
  const int64_t l = (32 + 2 * e + 2 * i - h - k) % 7;  // [0, 6]
  const int64_t m = (a + 11 * h + 22 * l) / 451;       // [0, 1]
  const int64_t month = (h + l - 7 * m + 114) / 31;    // [3, 4]
  const int64_t day = (h + l - 7 * m + 114) % 31 + 1;  // [1, 31]
  return Date::from_ymd(y, static_cast<uint32_t>(month), static_cast<uint32_t>(day));
}

// Returns the day of a rule in year y, or none outside the supported years.
std::optional<Date> day_in(const HolidayRule& r, int64_t y) {
  std::optional<Date> d;
  switch (r.rule) {
    case Rule::Fixed:
      d = Date::from_ymd(y, r.month, static_cast<uint32_t>(r.n));
      break;
    case Rule::Nth:
      d = r.n < 0 ? last_weekday_of_month(y, r.month, r.weekday)
                  : nth_weekday_of_month(y, r.month, static_cast<uint32_t>(r.n), r.weekday);
      break;
    case Rule::Easter:
      d = easter_sunday(y);
      break;
    case Rule::OnOrBefore:
      d = Date::from_ymd(y, r.month, static_cast<uint32_t>(r.n));
      if (d) d = add_days(*d, -floor_mod(static_cast<int64_t>(d->weekday()) - r.weekday, 7));
      break;
    case Rule::OnOrAfter:
      d = Date::from_ymd(y, r.month, static_cast<uint32_t>(r.n));
      if (d) d = next_weekday(*d, r.weekday, false);
      break;
    case Rule::Varies:
      return std::nullopt;
  }
  if (!d || r.offset == 0) return d;
  return add_days(*d, r.offset);
}

uint8_t region_bit(Region r) {
  return static_cast<uint8_t>(1u << static_cast<unsigned>(r));
}

// Where each holiday's first rule stands in kRules: the rules of a key are
// looked for from there, not from the top of the table.
constexpr std::size_t kKeys = static_cast<std::size_t>(H::WaitangiDay) + 1;
constexpr std::array<uint8_t, kKeys> first_rules() {
  std::array<uint8_t, kKeys> first{};
  first.fill(static_cast<uint8_t>(std::size(kRules)));
  for (std::size_t i = std::size(kRules); i-- > 0;)
    first[static_cast<std::size_t>(kRules[i].key)] = static_cast<uint8_t>(i);
  return first;
}
static_assert(std::size(kRules) < 255);
constexpr std::array<uint8_t, kKeys> kFirstRule = first_rules();

const HolidayRule* rule_for(H key, Region region) {
  for (std::size_t i = kFirstRule[static_cast<std::size_t>(key)]; i < std::size(kRules); ++i) {
    const HolidayRule& r = kRules[i];
    if (r.key == key && (r.regions & region_bit(region)) != 0) return &r;
  }
  return nullptr;
}

// One word: its bytes as written in the text (or, read from tokens, its
// token's index and the next), and its key.
struct Word {
  std::size_t begin, end;
  std::string key;
};

bool is_word_byte(unsigned char c) {
  return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '\'' || c == '.';
}

// Splits the text into words at white space and every other byte that
// cannot be part of one; keys are lower case, without apostrophes (' and
// \u2019) or full stops.
std::vector<Word> words_of(std::string_view text) {
  // ASCII white space is no word byte: only other characters need the
  // Unicode table.
  const auto in_word = [text](std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    return is_word_byte(c) && (c < 0x80 || uni::white_space_len(text, i) == 0);
  };
  std::vector<Word> out;
  out.reserve(8);
  std::size_t i = 0;
  while (i < text.size()) {
    if (!in_word(i)) {
      i += std::max<std::size_t>(1, uni::white_space_len(text, i));
      continue;
    }
    Word w{i, i, {}};
    while (i < text.size() && in_word(i)) {
      if (text.substr(i).starts_with("\u2019")) {
        i += 3;
        continue;
      }
      const char c = text[i++];
      if (c == '\'' || c == '.') continue;
      w.key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    w.end = i;
    if (!w.key.empty()) out.push_back(std::move(w));
  }
  return out;
}

// The bytes that a key drops or folds: an apostrophe, a full stop, and the
// lead byte of a curly apostrophe.
constexpr std::array<bool, 256> kKeyMarks = [] {
  std::array<bool, 256> marks{};
  marks['\''] = marks['.'] = marks[0xE2] = true;
  return marks;
}();

// The aliases are written as keys: a word that holds one of these bytes
// is no alias word as it stands.
static_assert([] {
  for (const Alias& a : kAliases) {
    for (const char c : a.words) {
      if (kKeyMarks[static_cast<unsigned char>(c)]) return false;
    }
  }
  return true;
}());

// Returns whether a word holds a byte that its key drops or folds. Words
// are short: one lookup a byte beats a search for any of three bytes.
bool has_key_marks(std::string_view w) {
  for (const char c : w) {
    if (kKeyMarks[static_cast<unsigned char>(c)]) return true;
  }
  return false;
}

// Returns the key a token's word had: the tokens keep a word's value, not
// its spelling, so a day, month or keyword comes back by its usual name
// ("new year" and "new years" both read their second word as the unit).
std::string key_of(const Tok& t) {
  // The names as the aliases write them.
  static constexpr std::string_view kWeekdayKeys[7] = {
      "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday",
  };
  static constexpr std::string_view kMonthKeys[12] = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december",
  };
  switch (t.kind) {
    case Kind::Word: {
      // Most words are their own key: only apostrophes and full stops go.
      if (!has_key_marks(t.text)) return t.text;
      // A byte at a time: the curly apostrophe is its three bytes.
      const std::string_view w = t.text;
      std::string key;
      key.reserve(w.size());
      for (std::size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        if (c == '\xE2' && i + 2 < w.size() && w[i + 1] == '\x80' && w[i + 2] == '\x99') {
          i += 2;
        } else if (c != '\'' && c != '.') {
          key += c;
        }
      }
      return key;
    }
    case Kind::Num:
      return std::to_string(t.value);
    case Kind::Weekday:
      return t.value >= 0 && t.value < 7 ? std::string(kWeekdayKeys[t.value]) : std::string();
    case Kind::Month:
      return t.value >= 1 && t.value <= 12 ? std::string(kMonthKeys[t.value - 1]) : std::string();
    case Kind::Unit:
      if (t.is_unit(Unit::Day)) return "day";
      if (t.is_unit(Unit::Year)) return "year";
      return {};
    case Kind::Kw:
      switch (t.keyword()) {
        case Keyword::Next:
          return "next";
        case Keyword::Last:
          return "last";
        case Keyword::This:
          return "this";
        case Keyword::Of:
          return "of";
        case Keyword::In:
          return "in";
        default:
          return {};
      }
    default:
      return {};
  }
}

// The first words of the aliases, sorted and each once: a token that is
// none of them begins no holiday's name.
struct LeadWords {
  std::array<std::string_view, std::size(kAliases)> words{};
  std::size_t count = 0;
};
constexpr LeadWords lead_words() {
  LeadWords x;
  for (std::size_t i = 0; i < x.words.size(); ++i)
    x.words[i] = kAliases[i].words.substr(0, kAliases[i].words.find(' '));
  std::sort(x.words.begin(), x.words.end());
  x.count = static_cast<std::size_t>(std::unique(x.words.begin(), x.words.end()) - x.words.begin());
  return x;
}
constexpr LeadWords kLeadWords = lead_words();

constexpr bool is_lower(char c) {
  return c >= 'a' && c <= 'z';
}

// The first three letters of the first words of three letters or more, one
// bit each: most words are ruled out by one lookup.
constexpr std::size_t kTriples = 26 * 26 * 26;
constexpr std::size_t triple(std::string_view w) {
  return (static_cast<std::size_t>(w[0] - 'a') * 26 + static_cast<std::size_t>(w[1] - 'a')) * 26 +
         static_cast<std::size_t>(w[2] - 'a');
}
constexpr bool lower3(std::string_view w) {
  return w.size() >= 3 && is_lower(w[0]) && is_lower(w[1]) && is_lower(w[2]);
}
constexpr std::array<uint64_t, kTriples / 64 + 1> lead_triples() {
  std::array<uint64_t, kTriples / 64 + 1> bits{};
  for (std::size_t i = 0; i < kLeadWords.count; ++i) {
    const std::string_view w = kLeadWords.words[i];
    if (lower3(w)) bits[triple(w) / 64] |= uint64_t{1} << (triple(w) % 64);
  }
  return bits;
}
constexpr std::array<uint64_t, kTriples / 64 + 1> kLeadTriples = lead_triples();

// Where the first words that begin with each byte start: the words of byte
// b are kLeadWords.words[kLeadStart[b], kLeadStart[b + 1]).
constexpr std::array<uint8_t, 257> lead_starts() {
  std::array<uint8_t, 257> start{};
  std::size_t k = 0;
  for (unsigned b = 0; b < 256; ++b) {
    start[b] = static_cast<uint8_t>(k);
    while (k < kLeadWords.count && static_cast<unsigned char>(kLeadWords.words[k][0]) == b)
      ++k;
  }
  start[256] = static_cast<uint8_t>(k);
  return start;
}
constexpr std::array<uint8_t, 257> kLeadStart = lead_starts();

// The lengths of the first words that begin with each byte, one bit each
// (the words of 31 bytes or more share the last): a short word ("to",
// "at") that no first word of its letter is as long as is ruled out
// without a comparison, unless its key may be shorter than the word; a
// byte that begins none has none.
constexpr uint32_t length_bit(std::size_t n) {
  return 1u << (n < 31 ? n : 31);
}
constexpr std::array<uint32_t, 256> lead_lengths() {
  std::array<uint32_t, 256> lengths{};
  for (std::size_t i = 0; i < kLeadWords.count; ++i) {
    const std::string_view w = kLeadWords.words[i];
    lengths[static_cast<unsigned char>(w[0])] |= length_bit(w.size());
  }
  return lengths;
}
constexpr std::array<uint32_t, 256> kLeadLengths = lead_lengths();

// Returns whether a key is the first word of an alias.
bool is_lead_word(std::string_view key) {
  if (key.empty()) return false;
  const auto b = static_cast<unsigned char>(key[0]);
  for (std::size_t k = kLeadStart[b]; k < kLeadStart[b + 1]; ++k) {
    if (kLeadWords.words[k] == key) return true;
  }
  return false;
}

// Returns whether a token may begin a holiday's name: a word that begins
// one, or a month before "day" or "bank" ("may day", "august bank
// holiday"); `next` is the token after it, if any.
bool may_begin_name(const Tok& t, const Tok* next) {
  if (t.is(Kind::Month)) {
    return next != nullptr &&
           (next->is_unit(Unit::Day) || (next->is(Kind::Word) && next->text == "bank"));
  }
  if (!t.is(Kind::Word) || t.text.empty()) return false;
  const std::string_view w = t.text;
  if (lower3(w)) {
    if ((kLeadTriples[triple(w) / 64] >> (triple(w) % 64) & 1u) == 0) return false;
  } else if (const uint32_t lengths = kLeadLengths[static_cast<unsigned char>(w[0])];
             lengths == 0 || ((lengths & length_bit(w.size())) == 0 && !has_key_marks(w))) {
    return false;
  }
  // A word without apostrophes or full stops is its own key; one with them
  // is no first word as it stands, as the first words hold none.
  if (is_lead_word(w)) return true;
  return has_key_marks(w) && is_lead_word(key_of(t));
}

// Returns whether a token may begin a holiday's name in a whole text,
// where the dates that are names count too ("july 4th", "4th of july").
bool may_begin_any(const Tok& t, const Tok* next) {
  return may_begin_name(t, next) || (t.is(Kind::Month) && t.value == 7) ||
         (t.is(Kind::Ordinal) && t.value == 4);
}

// Returns whether `rest` begins with `key`: both are a few bytes, compared
// in place, eight and four at a time, then one at a time.
bool begins_with(std::string_view rest, std::string_view key) {
  if (rest.size() < key.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    uint64_t x = 0, y = 0;
    std::memcpy(&x, rest.data() + i, 8);
    std::memcpy(&y, key.data() + i, 8);
    if (x != y) return false;
  }
  if (i + 4 <= key.size()) {
    uint32_t x = 0, y = 0;
    std::memcpy(&x, rest.data() + i, 4);
    std::memcpy(&y, key.data() + i, 4);
    if (x != y) return false;
    i += 4;
  }
  for (; i < key.size(); ++i) {
    if (rest[i] != key[i]) return false;
  }
  return true;
}

// Returns how many words from `at` the alias covers, or 0.
std::size_t alias_length(const Alias& a, std::span<const Word> words, std::size_t at) {
  // Compares the alias word by word with the words' keys: most aliases
  // differ in length or bytes at their first word.
  std::string_view rest = a.words;
  for (std::size_t k = at; k < words.size(); ++k) {
    // The key must be the alias's next word whole: its bytes, then a
    // space or the alias's end.
    const std::string_view key = words[k].key;
    if (key.empty() || !begins_with(rest, key)) return 0;
    if (rest.size() == key.size()) return k + 1 - at;
    if (rest[key.size()] != ' ') return 0;
    rest.remove_prefix(key.size() + 1);
  }
  return 0;
}

// A holiday name found in the text, with the words around it that choose
// its occurrence, and the day they name.
struct Found {
  std::size_t begin, end;  // bytes of the text replaced by the anchor
  const HolidayRule* rule;
  Date day;
  std::string note;  // what the reading assumed, or ""
  float confidence;
};

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Returns the four-digit year of a word, or none.
std::optional<int64_t> year_of(const Word& w) {
  if (w.key.size() != 4 || !all_digits(w.key)) return std::nullopt;
  return (w.key[0] - '0') * 1000 + (w.key[1] - '0') * 100 + (w.key[2] - '0') * 10 +
         (w.key[3] - '0');
}

// Chooses the occurrence: a year the text gives, the coming one, or the
// most recent one before today; widens the found bytes over those words.
// Looking back, a holiday named alone is its most recent one, today's
// included ("since christmas").
std::optional<Found> occurrence(const HolidayRule& r, std::span<const Word> words, std::size_t at,
                                std::size_t len, Date today, bool back) {
  Found f{words[at].begin, words[at + len - 1].end, &r, today, {}, kNamed};
  std::optional<bool> coming;
  if (at > 0) {
    coming = find_word<bool>(kWhich, words[at - 1].key);
    if (coming) f.begin = words[at - 1].begin;
  }
  std::size_t k = at + len;
  if (k + 1 < words.size() && contains_word(std::span(kYearLinks), words[k].key) &&
      year_of(words[k + 1]))
    ++k;
  const int64_t this_year = today.year();
  // <holiday> next|this|last year: that calendar year's, passed or not.
  if (k + 1 < words.size() && words[k + 1].key == kYearWord) {
    const auto which = find_word<int64_t>(kYearsAway, words[k].key);
    if (which) {
      f.end = words[k + 1].end;
      const auto d = day_in(r, this_year + *which);
      if (!d) return std::nullopt;
      f.day = *d;
      return f;
    }
  }
  if (k < words.size()) {
    if (const auto y = year_of(words[k])) {
      f.end = words[k].end;
      const auto d = day_in(r, *y);
      if (!d) return std::nullopt;
      f.day = *d;
      return f;
    }
  }
  if (back && !coming) {
    auto d = day_in(r, this_year);
    if (d && *d > today) d = day_in(r, this_year - 1);
    if (!d) return std::nullopt;
    f.day = *d;
    return f;
  }
  if (coming && !*coming) {
    auto d = day_in(r, this_year);
    if (d && *d >= today) d = day_in(r, this_year - 1);
    if (!d) return std::nullopt;
    f.day = *d;
    return f;
  }
  auto d = day_in(r, this_year);
  if (d && *d < today) {
    d = day_in(r, this_year + 1);
    if (!coming) {
      char year[24];
      const auto end = std::to_chars(year, year + sizeof year, this_year + 1).ptr;
      f.note.reserve(48);
      f.note = " (this year's has passed; assuming ";
      f.note.append(year, end);
      f.note += ')';
      f.confidence = kRolled;
    }
  }
  if (!d) return std::nullopt;
  f.day = *d;
  return f;
}

// Whether the caller's anchors use the words as a name of their own.
bool caller_names(const AnchorMap& anchors, std::string_view alias) {
  for (const auto& [name, date] : anchors) {
    std::string key;
    for (char c : name) {
      if (c != '\'' && c != '.') key += c;
    }
    if (key == alias) return true;
  }
  return false;
}

std::string regions_keeping(H key) {
  uint8_t bits = 0;
  for (const HolidayRule& r : kRules) {
    if (r.key == key) bits |= r.regions;
  }
  std::string out;
  for (std::size_t i = 0; i < std::size(kRegionNames); ++i) {
    if ((bits & (1u << i)) == 0) continue;
    if (!out.empty()) out += ", ";
    out += kRegionNames[i];
  }
  return out;
}

const HolidayRule* any_rule(H key) {
  for (const HolidayRule& r : kRules) {
    if (r.key == key) return &r;
  }
  return nullptr;
}

// <holiday> weekend: the weekend the holiday falls in or next to, with the
// holiday itself; Easter's is Good Friday to Easter Monday.
std::optional<DateRange> weekend_of(const Found& f) {
  const Date d = f.day;
  if (f.rule->key == H::Easter) {
    const auto first = add_days(d, -2), last = add_days(d, 1);
    if (!first || !last) return std::nullopt;
    return DateRange{*first, *last};
  }
  const uint32_t w = d.weekday();
  std::optional<Date> first = d, last = d;
  if (w <= 1) first = prev_weekday(d, 5);  // Monday, Tuesday: from the Saturday before
  if (w >= 2 && w <= 4) last = next_weekday(d, 6, true);  // to the Sunday after
  if (w == 5) last = add_days(d, 1);
  if (w == 6) first = add_days(d, -1);
  if (!first || !last) return std::nullopt;
  return DateRange{*first, *last};
}

// Takes a clock time at either end of the tokens, as the core does at the
// end: "christmas eve at 5pm", "5pm on christmas eve".
TokenSpan take_clock(TokenSpan toks, Ctx& ctx) {
  if (toks.size() < 2) return toks;
  const auto clock = [](const Tok& t) { return t.is(Kind::Time) && t.value < 24 && t.minute < 60; };
  if (clock(toks.back())) {
    ctx.tod = TimeOfDay::hms(toks.back().u32(), toks.back().minute, 0);
    ctx.tod_explicit = true;
    return toks.first(toks.size() - 1);
  }
  if (clock(toks.front())) {
    ctx.tod = TimeOfDay::hms(toks.front().u32(), toks.front().minute, 0);
    ctx.tod_explicit = true;
    return toks.subspan(1);
  }
  return toks;
}

// The holiday an anchor token stands for, when it is one of ours.
const Found* found_of(const Tok& t, std::span<const Found> found) {
  if (!t.is(Kind::Anchor) || !t.text.starts_with(kMarkLead)) return nullptr;
  const std::size_t k = static_cast<std::size_t>(t.text.back() - 'a');
  return k < found.size() ? &found[k] : nullptr;
}

// <holiday> [<time>]: the holiday's day at the time of day.
Outcome day_reading(const Found& f, const Ctx& ctx) {
  // "<name> YYYY-MM-DD, default|at HH:MM<note>", written in one buffer.
  std::string label;
  label.reserve(f.rule->name.size() + 32 + f.note.size());
  label += f.rule->name;
  label += ' ';
  append_date(label, f.day);
  label += ctx.tod_explicit ? ", at " : ", default ";
  append_hh_mm(label, ctx.tod);
  label += f.note;
  return Outcome::resolved(
      Resolution{std::move(label), Value::instant(DateTime{f.day, ctx.tod}), f.confidence});
}

// How the names are read: in a whole text, or as the day words of another
// family's form ("until christmas"), where a date that is also a holiday's
// name ("july 4th") stays the dates' to read; looking back, for "since".
enum class Reading : uint8_t { Text, Day, DayBack };

// The holiday names of some words, or the no-parse of a name the region
// does not keep.
struct Names {
  // The names found, at most kMaxFound, kept in place: most texts name one.
  class List {
   public:
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    void clear() { n_ = 0; }
    void push_back(Found&& f) { items_[n_++] = std::move(f); }
    Found& back() { return items_[n_ - 1]; }
    const Found& operator[](std::size_t k) const { return items_[k]; }
    operator std::span<const Found>() const { return std::span(items_).first(n_); }

   private:
    std::array<Found, kMaxFound> items_{};
    std::size_t n_ = 0;
  };
  List found;
  std::optional<Outcome> reject;
};

// Finds the holiday names, longest first at each word, left to right.
Names find_names(std::span<const Word> words, const AnchorMap& anchors, Region region, Date today,
                 Reading reading) {
  Names out;
  Names::List& found = out.found;
  for (std::size_t i = 0; i < words.size() && found.size() < kMaxFound;) {
    const Alias* best = nullptr;
    std::size_t best_len = 0;
    const auto lead = static_cast<unsigned char>(words[i].key[0]);
    const std::size_t key_len = words[i].key.size();
    for (std::size_t n = kAliasIndex.start[lead]; n < kAliasIndex.start[lead + 1]; ++n) {
      if (kAliasIndex.first_len[n] != key_len) continue;
      const Alias& a = kAliases[kAliasIndex.order[n]];
      const std::size_t len = alias_length(a, words, i);
      if (len > best_len) {
        best = &a;
        best_len = len;
      }
    }
    if (best == nullptr || caller_names(anchors, best->words)) {
      ++i;
      continue;
    }
    const HolidayRule* rule = rule_for(best->key, region);
    if (best->date_like && (rule == nullptr || reading != Reading::Text)) {
      i += best_len;
      continue;
    }
    if (rule == nullptr) {
      const HolidayRule* any = any_rule(best->key);
      out.reject = Outcome::no_parse(cat(any->name, " is not a holiday of region ",
                                         kRegionNames[static_cast<int>(region)], " (it is one in ",
                                         regions_keeping(best->key), ")"));
      return out;
    }
    if (rule->rule == Rule::Varies) {
      out.reject = Outcome::no_parse(cat(rule->name, " falls on different days across region ",
                                         kRegionNames[static_cast<int>(region)],
                                         "; pass its date via anchors"));
      return out;
    }
    auto f = occurrence(*rule, words, i, best_len, today, reading == Reading::DayBack);
    if (!f) {
      found.clear();
      return out;
    }
    if (!found.empty() && f->begin < found.back().end) f->begin = words[i].begin;
    found.push_back(std::move(*f));
    i += best_len;
  }
  return out;
}

// The anchor names written in place of the holidays: the marks' lead and
// a letter, a..h, one for each name a text may hold.
constexpr std::array<std::array<char, 4>, kMaxFound> kMarks = [] {
  static_assert(kMarkLead.size() == 3);
  std::array<std::array<char, 4>, kMaxFound> marks{};
  for (std::size_t k = 0; k < kMaxFound; ++k)
    marks[k] = {kMarkLead[0], kMarkLead[1], kMarkLead[2], static_cast<char>('a' + k)};
  return marks;
}();

// The anchor name written in place of the k-th holiday.
std::string_view mark(std::size_t k) {
  return std::string_view(kMarks[k].data(), kMarks[k].size());
}

// Reads tokens in which each found holiday stands as its anchor token:
// <holiday> [<time>], <holiday> weekend, and every anchored form of the
// core with the holidays as its anchors. A holiday's weekend is a form of
// whole texts only.
std::optional<Outcome> read_named(std::span<const Tok> toks, std::span<const Found> found, Ctx ctx,
                                  bool weekends) {
  const TokenSpan rest = take_clock(toks, ctx);

  // <holiday> [<time>]
  if (rest.size() == 1) {
    if (const Found* f = found_of(rest[0], found)) return day_reading(*f, ctx);
  }
  // <holiday> weekend | weekend of <holiday>
  if (weekends && rest.size() == 2 && !ctx.tod_explicit) {
    const Found* f = found_of(rest[0], found);
    const Tok& other = rest[1];
    if (f == nullptr) f = found_of(rest[1], found);
    const bool weekend =
        rest[0].is_unit(Unit::Weekend) || other.is_unit(Unit::Weekend) ||
        (other.is(Kind::Word) && contains_word(std::span(kWeekendWords), other.text));
    if (f != nullptr && weekend) {
      if (const auto days = weekend_of(*f)) {
        return Outcome::resolved(
            Resolution{cat(f->rule->key == H::Easter ? "Easter" : f->rule->name, " weekend, ",
                           format_date(days->first), " to ", format_date(days->last)),
                       Value::days(days->first, days->last), kNamed});
      }
    }
  }
  // <holiday> week | week of <holiday>: the calendar week that holds it.
  if (!ctx.tod_explicit && (rest.size() == 2 || rest.size() == 3)) {
    const Found* f = nullptr;
    if (rest.size() == 2 && rest[1].is_unit(Unit::Week)) f = found_of(rest[0], found);
    if (rest.size() == 3 && rest[0].is_unit(Unit::Week) && rest[1].is_kw(Keyword::Of))
      f = found_of(rest[2], found);
    if (f != nullptr) {
      const auto first = first_day_of_week(f->day, ctx.opts.week_start);
      const auto last = first ? add_days(*first, 6) : std::nullopt;
      if (first && last) {
        return Outcome::resolved(
            Resolution{cat("the week of ", f->rule->name, " ", format_date(f->day), ", ",
                           format_date(*first), " to ", format_date(*last), f->note),
                       Value::days(*first, *last), f->confidence});
      }
    }
  }
  // Every anchored form of the core, with the holidays as its anchors.
  AnchorMap merged;
  merged.reserve(ctx.anchors.size() + found.size());
  merged = ctx.anchors;
  for (std::size_t k = 0; k < found.size(); ++k)
    merged.emplace_back(mark(k), found[k].day);
  const Ctx anchored{ctx.opts, merged, ctx.holidays, ctx.tod, ctx.now, ctx.tod_explicit};
  Outcome core = resolve_inner({}, rest, anchored);  // a failure's reason is not shown
  if (core.kind == Outcome::Kind::Resolved ||
      (core.kind == Outcome::Kind::Ambiguous && !core.candidates.empty())) {
    return core;
  }
  return std::nullopt;
}

// Reads tokens that name holidays, each found name written as an anchor
// token of its own.
std::optional<Outcome> read_tokens(std::span<const Tok> toks, const EverydayCtx& ctx,
                                   Reading reading, bool weekends) {
  // The words of a few tokens stay on the stack, only as many as there are.
  InPlace<Word> token_words;
  const std::span<const Word> words = token_words.build(toks.size(), [toks](std::size_t k) {
    return Word{k, k + 1, key_of(toks[k])};
  });
  Names names = find_names(words, ctx.core.anchors, ctx.opts.region, ctx.today(), reading);
  if (names.reject) return std::move(names.reject);
  if (names.found.empty()) return std::nullopt;
  // <holiday> [<time>], the most common text, needs no anchor tokens.
  if (names.found.size() == 1) {
    Ctx day_ctx = ctx.core;
    const TokenSpan rest = take_clock(toks, day_ctx);
    const auto at = static_cast<std::size_t>(rest.data() - toks.data());
    if (names.found[0].begin == at && names.found[0].end == at + rest.size())
      return day_reading(names.found[0], day_ctx);
  }
  // A word that holds the marks' own lead could pass for one of them.
  for (const Tok& t : toks) {
    if (t.text.find(kMarkLead) != std::string::npos) return std::nullopt;
  }
  Tokens marked;
  marked.reserve(toks.size());
  std::size_t from = 0;
  for (std::size_t k = 0; k < names.found.size(); ++k) {
    for (; from < names.found[k].begin; ++from)
      marked.push_back(toks[from]);
    marked.push_back(Tok::anchor(mark(k)));
    from = names.found[k].end;
  }
  for (; from < toks.size(); ++from)
    marked.push_back(toks[from]);
  return read_named(marked, names.found, ctx.core, weekends);
}

// The signs between a holiday and an amount, the dash's kin included; a
// sign word stands apart from the amount ("plus 2"), a mark may touch it.
constexpr struct {
  std::string_view text;
  Keyword direction;
  bool word;
} kSigns[] = {
    {"+", Keyword::After, false},       {"plus", Keyword::After, true},
    {"-", Keyword::Before, false},      {"\u2212", Keyword::Before, false},
    {"\u2013", Keyword::Before, false}, {"minus", Keyword::Before, true},
};

// Reads "+ 2 days" or "minus 1 week" after a holiday as the core's "2 days
// after <holiday>" and "1 week before <holiday>"; none when `after` begins
// with no sign or the core reads no amount in the rest.
std::optional<Outcome> read_signed(std::string_view after, std::span<const Found> found,
                                   DateTime now, const AnchorMap& anchors, const FullOptions& opts,
                                   HolidayFn holidays) {
  after = uni::trim_white_space(after);
  for (const auto& sign : kSigns) {
    if (!same_word_any_case(after.substr(0, sign.text.size()), sign.text)) continue;
    std::string_view amount = after.substr(sign.text.size());
    if (sign.word && (amount.empty() || amount.front() != ' ')) return std::nullopt;
    amount = uni::trim_white_space(amount);
    if (amount.empty()) return std::nullopt;
    Tokens toks = tokenize_text(amount, anchors, opts.core);
    // A clock time stays at the end, where the core takes it.
    const bool clock = !toks.empty() && toks.back().is(Kind::Time);
    Tokens shifted;
    shifted.reserve(toks.size() + 2);
    for (std::size_t k = 0; k + (clock ? 1 : 0) < toks.size(); ++k)
      shifted.push_back(toks[k]);
    if (shifted.empty() || !shifted.back().is(Kind::Unit)) return std::nullopt;
    shifted.push_back(Tok::kw(sign.direction));
    shifted.push_back(Tok::anchor(mark(0)));
    if (clock) shifted.push_back(toks.back());
    return read_named(shifted, found,
                      Ctx{opts.core, anchors, holidays, opts.core.default_time, now, false}, false);
  }
  return std::nullopt;
}

}  // namespace

std::optional<Region> region_named(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kRegionNames); ++i) {
    if (kRegionNames[i] == name) return static_cast<Region>(i);
  }
  return std::nullopt;
}

std::optional<Outcome> resolve(std::string_view text, DateTime now, const AnchorMap& anchors,
                               const FullOptions& opts, HolidayFn holidays, bool* named) {
  if (text.find(kMarkLead) != std::string_view::npos) return std::nullopt;
  const std::vector<Word> words = words_of(text);
  Names names = find_names(words, anchors, opts.region, now.date, Reading::Text);
  if (names.reject) return std::move(names.reject);
  const Names::List& found = names.found;
  if (found.empty()) return std::nullopt;
  if (named != nullptr) *named = true;

  // <holiday> +|-|plus|minus <amount>: the amount after or before the
  // holiday, as the core's anchored form reads it ("2 days after
  // christmas"). The core's tokens drop a dash, so the sign is read here.
  if (found.size() == 1 && uni::trim_white_space(text.substr(0, found[0].begin)).empty()) {
    if (auto shifted = read_signed(text.substr(found[0].end), found, now, anchors, opts, holidays))
      return shifted;
  }

  // The tokens of the text with each holiday as an anchor token of its
  // own: only the words around the holidays are tokenized, as the core
  // tokenizes them (with the caller's anchors), so a text that is a holiday
  // name and a few words costs a fraction of a second tokenization.
  Tokens toks;
  toks.reserve(found.size() + 4);
  const auto add_words = [&](std::string_view part) {
    part = uni::trim_white_space(part);
    if (part.empty()) return;
    for (Tok& t : tokenize_text(part, anchors, opts.core))
      toks.push_back(std::move(t));
  };
  std::size_t from = 0;
  for (std::size_t k = 0; k < found.size(); ++k) {
    add_words(text.substr(from, found[k].begin - from));
    toks.push_back(Tok::anchor(mark(k)));
    from = found[k].end;
  }
  add_words(text.substr(from));
  return read_named(toks, found,
                    Ctx{opts.core, anchors, holidays, opts.core.default_time, now, false}, true);
}

std::optional<Outcome> read_day(std::span<const Tok> toks, const EverydayCtx& ctx, bool back) {
  bool named = false;
  for (std::size_t i = 0; i < toks.size() && !named; ++i)
    named = may_begin_name(toks[i], i + 1 < toks.size() ? &toks[i + 1] : nullptr);
  if (!named) return std::nullopt;
  return read_tokens(toks, ctx, back ? Reading::DayBack : Reading::Day, false);
}

namespace {

// The holiday forms' reading of a whole text of tokens that may name a
// holiday, built in place in the caller's answer (one object returned),
// apart from the light loop that refuses most texts, and compiled with
// every call in place.
[[gnu::noinline, gnu::flatten]] std::optional<Outcome> read_named_text(std::span<const Tok> toks,
                                                                       const EverydayCtx& ctx) {
  std::optional<Outcome> o = read_tokens(toks, ctx, Reading::Day, true);
  if (o && o->kind == Outcome::Kind::NoParse) o.reset();
  return o;
}

}  // namespace

// Compiled with every call in place but the reading: most texts of words
// meet it only to be refused by the first words' looks.
[[gnu::flatten]] std::optional<Outcome> read_text(std::span<const Tok> toks, const EverydayCtx& ctx,
                                                  bool* begins) {
  bool named = false;
  for (std::size_t i = 0; i < toks.size() && !named; ++i)
    named = may_begin_name(toks[i], i + 1 < toks.size() ? &toks[i + 1] : nullptr);
  if (begins != nullptr) *begins = named;
  if (!named) return std::nullopt;
  return read_named_text(toks, ctx);
}

// Compiled with every call in place: a call a token showed.
[[gnu::flatten]] bool may_name(std::span<const Tok> toks) {
  for (std::size_t i = 0; i < toks.size(); ++i) {
    if (may_begin_any(toks[i], i + 1 < toks.size() ? &toks[i + 1] : nullptr)) return true;
  }
  return false;
}

bool names_by_date(std::span<const Piece> pieces) {
  for (const Piece& p : pieces) {
    if (!p.is_shape && ((p.tok.is(Kind::Month) && p.tok.value == 7) ||
                        (p.tok.is(Kind::Ordinal) && p.tok.value == 4)))
      return true;
  }
  return false;
}

// Compiled with every call in place: a call a token showed.
[[gnu::flatten]] bool may_name(std::span<const Piece> pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].is_shape) continue;
    const Piece* next = i + 1 < pieces.size() ? &pieces[i + 1] : nullptr;
    if (may_begin_any(pieces[i].tok, next != nullptr && !next->is_shape ? &next->tok : nullptr))
      return true;
  }
  return false;
}

std::optional<Outcome> read_text(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  for (const Piece& p : pieces) {
    if (p.is_shape) return std::nullopt;
  }
  Tokens toks;
  toks.reserve(pieces.size());
  for (const Piece& p : pieces)
    toks.push_back(p.tok);
  return read_text(toks, ctx);
}

}  // namespace kalendo::everyday::holidays
