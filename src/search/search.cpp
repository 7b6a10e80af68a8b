// Finds date expressions in running text. One pass cuts the text into words
// and gives each a kind by a cheap lookup (no allocation); a second pass
// opens a window only at a word that can begin an expression, resolves its
// spans from the longest down through the whole-text resolver, and keeps
// the first span whose words let it count as a date in context.
#include "search/search.h"

#include <algorithm>
#include <array>

#include "locale.h"
#include "parse.h"
#include "unicode.h"

namespace kalendo::search {
namespace {

// What a word can do in a window. The whole-text resolver decides whether a
// span means a date; the kinds decide where spans start and end, and which
// resolved spans count in running text.
enum class Kind : uint8_t {
  None,      // not a word of date expressions: ends every window
  Filler,    // the, on, at, for: leads to a date, adds nothing to it
  Lead,      // next, in, by, until, early, end: begins a window before a date
  Deictic,   // this, next, last, past: places a unit or a part of the day
  Between,   // between: the one word whose window may hold "and"
  Link,      // of, to, through, year's: only inside a window
  And,       // and: two expressions, unless "between" began the window
  Digits,    // 5, 2025: a plain number, a date only with other words
  Count,     // a, an, one..twelve, couple, few, half: counts a unit
  Unit,      // day, weeks, month, weekend
  DayPart,   // morning, evening, night: a time of a day named elsewhere
  Ordinal,   // first..fifth: a rank, a date only with what it ranks
  Second,    // second: a rank only before a unit or a weekday
  CtxMonth,  // may, march, mar, jan: months that are also ordinary words
  CtxDay,    // sun, wed, sat: weekdays that are also ordinary words
  Suffix,    // ago, later, pm, o'clock, utc: ends a window, never begins one
  Strong,    // friday, june, today, now, 5pm, 3/14, 14th, q3, christmas
};

struct WordKind {
  std::string_view word;
  Kind kind;
};

// The words the everyday grammar reads beyond the core word tables, sorted
// by word for a binary search: parts of the day, clock and zone words,
// holiday names, and the words that lead to or join a date.
constexpr WordKind kExtraWords[] = {
    {"a.m", Kind::Suffix},
    {"a.m.", Kind::Suffix},
    {"about", Kind::Lead},
    {"aest", Kind::Suffix},
    {"afternoon", Kind::DayPart},
    {"am", Kind::Suffix},
    {"and", Kind::And},
    {"anzac", Kind::Lead},
    {"approximately", Kind::Lead},
    {"australia", Kind::Lead},
    {"between", Kind::Between},
    {"boxing", Kind::Lead},
    {"bst", Kind::Suffix},
    {"by", Kind::Lead},
    {"canada", Kind::Lead},
    {"cdt", Kind::Suffix},
    {"cest", Kind::Suffix},
    {"cet", Kind::Suffix},
    {"christmas", Kind::Strong},
    {"cob", Kind::Strong},
    {"columbus", Kind::Lead},
    {"coming", Kind::Deictic},
    {"cst", Kind::Suffix},
    {"ct", Kind::Suffix},
    {"dated", Kind::Lead},
    {"due", Kind::Lead},
    {"during", Kind::Lead},
    {"earlier", Kind::Suffix},
    {"easter", Kind::Strong},
    {"edt", Kind::Suffix},
    {"effective", Kind::Lead},
    {"eighth", Kind::Ordinal},
    {"eod", Kind::Strong},
    {"est", Kind::Suffix},
    {"et", Kind::Suffix},
    {"eve", Kind::Suffix},
    {"evening", Kind::DayPart},
    {"father's", Kind::Lead},
    {"fathers", Kind::Lead},
    {"gmt", Kind::Suffix},
    {"halloween", Kind::Strong},
    {"hence", Kind::Suffix},
    {"independence", Kind::Lead},
    {"ish", Kind::Suffix},
    {"ist", Kind::Suffix},
    {"juneteenth", Kind::Strong},
    {"labor", Kind::Lead},
    {"labour", Kind::Lead},
    {"later", Kind::Suffix},
    {"lunch", Kind::DayPart},
    {"lunchtime", Kind::DayPart},
    {"mdt", Kind::Suffix},
    {"memorial", Kind::Lead},
    {"midday", Kind::Strong},
    {"morning", Kind::DayPart},
    {"mother's", Kind::Lead},
    {"mothers", Kind::Lead},
    {"mst", Kind::Suffix},
    {"mt", Kind::Suffix},
    {"new", Kind::Lead},
    {"night", Kind::DayPart},
    {"ninth", Kind::Ordinal},
    {"o'clock", Kind::Suffix},
    {"oclock", Kind::Suffix},
    {"onward", Kind::Suffix},
    {"onwards", Kind::Suffix},
    {"p.m", Kind::Suffix},
    {"p.m.", Kind::Suffix},
    {"patrick's", Kind::Link},
    {"pdt", Kind::Suffix},
    {"pm", Kind::Suffix},
    {"presidents", Kind::Lead},
    {"pst", Kind::Suffix},
    {"pt", Kind::Suffix},
    {"remembrance", Kind::Lead},
    {"seventh", Kind::Ordinal},
    {"since", Kind::Lead},
    {"sixth", Kind::Ordinal},
    {"st", Kind::Lead},
    {"starting", Kind::Lead},
    {"tenth", Kind::Ordinal},
    {"thanksgiving", Kind::Strong},
    {"through", Kind::Link},
    {"thru", Kind::Link},
    {"til", Kind::Lead},
    {"till", Kind::Lead},
    {"to", Kind::Link},
    {"tonight", Kind::Strong},
    {"tonite", Kind::Strong},
    {"until", Kind::Lead},
    {"utc", Kind::Suffix},
    {"valentine's", Kind::Lead},
    {"valentines", Kind::Lead},
    {"veterans", Kind::Lead},
    {"victoria", Kind::Lead},
    {"waitangi", Kind::Lead},
    {"xmas", Kind::Strong},
    {"year's", Kind::Link},
};

constexpr bool sorted_words() {
  for (std::size_t i = 1; i < std::size(kExtraWords); ++i) {
    if (!(kExtraWords[i - 1].word < kExtraWords[i].word)) return false;
  }
  return true;
}
static_assert(sorted_words(), "kExtraWords must stay sorted for the binary search");

// Weekdays and months the core tables know that are also ordinary English
// words, and the deictic keywords (the core's this|next|last and their
// synonyms), by spelling.
constexpr std::string_view kContextMonths[] = {"may", "march", "mar", "jan"};
constexpr std::string_view kContextDays[] = {"sun", "wed", "sat"};
// Words in front of a date that add nothing to its meaning; an item leaves
// them out when the date reads the same without them ("on friday").
constexpr std::string_view kIdleWords[] = {"on", "at", "for", "due", "dated"};
// Slash shapes that running text uses for something else than a date:
// "open 24/7", "24/7/365" (all day, every day).
constexpr std::string_view kNoDateShapes[] = {"24/7", "24/7/365"};

// Words longer than this are no words of a date expression.
constexpr std::size_t kMaxWordBytes = 32;

struct Word {
  std::size_t begin = 0;  // bytes of the word without edge punctuation
  std::size_t end = 0;
  Kind kind = Kind::None;
  bool month = false;        // a month name: may follow a comma ("Monday, March 14")
  bool digit = false;        // holds a digit: may follow a comma ("March 14, 2025")
  bool rank = false;         // an ordinal: "14th", "first"; an adjective before a noun
  bool idle = false;         // adds nothing in front of a date: "on", "due"
  bool from = false;         // "from": its window may end with "on" ("from monday on")
  bool on = false;           // "on"
  bool break_after = false;  // a sentence mark, bracket, quote or dash follows
  bool comma_after = false;
};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool contains(std::span<const std::string_view> table, std::string_view w) {
  return std::find(table.begin(), table.end(), w) != table.end();
}

Kind kind_of_keyword(Keyword k) {
  switch (k) {
    case Keyword::Now:
    case Keyword::Today:
    case Keyword::Tomorrow:
    case Keyword::Yesterday:
      return Kind::Strong;
    case Keyword::Next:
    case Keyword::Last:
    case Keyword::This:
      return Kind::Deictic;
    case Keyword::Ago:
      return Kind::Suffix;
    case Keyword::Of:
    case Keyword::Business:
      return Kind::Link;
    default:
      return Kind::Lead;
  }
}

// Gives a lower-case word without digits its kind: the core word tables
// first, then the everyday words, then the caller's anchor names.
Kind kind_of_letters(std::string_view w, std::span<const std::string_view> anchor_words) {
  if (const Lexeme* e = find_lexeme(EN, w)) {
    using Rule = Lexeme::Rule;
    switch (e->rule) {
      case Rule::Filler:
        return Kind::Filler;
      case Rule::EndOf:
      case Rule::NamedTime:
        return Kind::Strong;
      case Rule::Ordinal:
        return e->value == 2 ? Kind::Second : Kind::Ordinal;
      case Rule::Weekday:
        return contains(kContextDays, w) ? Kind::CtxDay : Kind::Strong;
      case Rule::Month:
        return contains(kContextMonths, w) ? Kind::CtxMonth : Kind::Strong;
      case Rule::Unit:
        return Kind::Unit;
      case Rule::Keyword:
        return kind_of_keyword(static_cast<Keyword>(e->value));
      case Rule::Number:
      case Rule::Quantity:
      case Rule::Half:
        return Kind::Count;
    }
  }
  const auto* it =
      std::lower_bound(std::begin(kExtraWords), std::end(kExtraWords), w,
                       [](const WordKind& e, std::string_view v) { return e.word < v; });
  if (it != std::end(kExtraWords) && it->word == w) return it->kind;
  if (contains(anchor_words, w)) return Kind::Strong;
  return Kind::None;
}

// Gives a word its kind from its lower-case ASCII form (a typographic
// apostrophe read as "'"); any other character outside ASCII makes it no
// word of a date expression.
void classify(std::string_view raw, std::span<const std::string_view> anchor_words, Word& out) {
  if (raw.empty() || raw.size() > kMaxWordBytes) return;
  char buf[kMaxWordBytes];
  std::size_t n = 0;
  bool digit = false, letter = false, other = false;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    auto c = static_cast<unsigned char>(raw[i]);
    if (c >= 0x80) {
      // U+2019, the typographic apostrophe: "o’clock", "father’s"
      if (raw.substr(i, 3) != "\xE2\x80\x99") return;
      buf[n++] = '\'';
      i += 2;
      continue;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    digit = digit || is_digit(static_cast<char>(c));
    letter = letter || (c >= 'a' && c <= 'z');
    other = other || !((c >= 'a' && c <= 'z') || is_digit(static_cast<char>(c)) || c == ':' ||
                       c == '/' || c == '.' || c == '-' || c == '+' || c == '\'');
    buf[n++] = static_cast<char>(c);
  }
  const std::string_view w(buf, n);
  if (digit) {
    // 5pm, 3/14, 2025-03-14, 14th, 17:30, q3: shapes the resolver reads;
    // "$5" and "10%" are amounts.
    if (other || contains(kNoDateShapes, w)) return;
    out.digit = true;
    out.kind = (letter || w.find_first_not_of("0123456789") != std::string_view::npos)
                   ? Kind::Strong
                   : Kind::Digits;
    const std::size_t lead = w.find_first_not_of("0123456789");
    out.rank = lead != 0 && lead != std::string_view::npos && lead + 2 == w.size() &&
               contains(EN.ordinal_suffixes, w.substr(lead));
    return;
  }
  out.kind = kind_of_letters(w, anchor_words);
  // mon-wed, june-august: two day or month names joined make one interval
  if (const std::size_t dash = w.find('-');
      out.kind == Kind::None && dash != std::string_view::npos) {
    const Kind a = kind_of_letters(w.substr(0, dash), {});
    const Kind b = kind_of_letters(w.substr(dash + 1), {});
    const auto named = [](Kind k) {
      return k == Kind::Strong || k == Kind::CtxDay || k == Kind::CtxMonth;
    };
    if (named(a) && named(b)) out.kind = Kind::Strong;
  }
  out.month = out.kind == Kind::CtxMonth || (out.kind == Kind::Strong && month(EN, w));
  out.rank = out.kind == Kind::Ordinal || out.kind == Kind::Second;
  out.idle = contains(kIdleWords, w);
  out.from = w == "from";
  out.on = w == "on";
}

// Characters that end a word and every window through them: sentence marks,
// brackets, quotes, dashes and the ellipsis. The comma is apart: it ends a
// window unless a date's own next part follows it.
bool is_break_ascii(char c) {
  switch (c) {
    case ';':
    case '!':
    case '?':
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case '"':
    case '|':
      return true;
    default:
      return false;
  }
}

// Returns the byte length of a mark beyond ASCII that separates words like
// a break ("–", "—", "“", "”", "«", "»", "…"), or 0.
std::size_t break_mark_len(std::string_view s, std::size_t i) {
  constexpr std::string_view kMarks[] = {
      "\xE2\x80\x93", "\xE2\x80\x94", "\xE2\x80\x9C", "\xE2\x80\x9D",
      "\xC2\xAB",     "\xC2\xBB",     "\xE2\x80\xA6",
  };
  for (std::string_view m : kMarks) {
    if (s.substr(i, m.size()) == m) return m.size();
  }
  return 0;
}

// Marks that a word may carry at its edges without them being part of it:
// quotes, a trailing full stop or colon, emphasis.
bool is_edge_mark(std::string_view s, std::size_t i, std::size_t* len) {
  const char c = s[i];
  if (c == '\'' || c == '.' || c == ':' || c == '*' || c == '_') {
    *len = 1;
    return true;
  }
  // U+2018 and U+2019, typographic single quotes
  if (s.substr(i, 2) == "\xE2\x80" && i + 2 < s.size() &&
      (s[i + 2] == '\x98' || s[i + 2] == '\x99')) {
    *len = 3;
    return true;
  }
  return false;
}

// Cuts the text into words, each with its kind and what separates it from
// the next one.
std::vector<Word> words_of(std::string_view text, std::span<const std::string_view> anchor_words) {
  std::vector<Word> words;
  words.reserve(text.size() / 6 + 1);
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    // The separators before the next word.
    bool hard = false, comma = false;
    std::size_t newlines = 0;
    while (i < n) {
      if (const std::size_t ws = uni::white_space_len(text, i)) {
        newlines += text[i] == '\n' ? 1 : 0;
        i += ws;
      } else if (text[i] == ',') {
        comma = true;
        ++i;
      } else if (is_break_ascii(text[i])) {
        hard = true;
        ++i;
      } else if (const std::size_t m = break_mark_len(text, i)) {
        hard = true;
        i += m;
      } else {
        break;
      }
    }
    if (!words.empty()) {
      words.back().break_after |= hard || newlines >= 2;
      words.back().comma_after |= comma;
    }
    if (i >= n) break;
    std::size_t j = i;
    while (j < n && uni::white_space_len(text, j) == 0 && text[j] != ',' &&
           !is_break_ascii(text[j]) && break_mark_len(text, j) == 0) {
      ++j;
    }
    // The word without the marks at its edges; a full stop or a colon that
    // ends it ends the sentence or the clause, unless the word is an
    // abbreviation with a stop inside ("p.m.").
    std::size_t b = i, e = j, len = 0;
    while (b < e && is_edge_mark(text, b, &len))
      b += len;
    bool stop = false;
    while (e > b) {
      std::size_t k = e - 1;
      while (k > b && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
        --k;
      if (!is_edge_mark(text, k, &len) || k + len != e) break;
      if (text[k] == '.' && text.substr(b, k - b).find('.') != std::string_view::npos) break;
      stop = stop || text[k] == '.' || text[k] == ':';
      e = k;
    }
    if (b < e) {
      Word w;
      w.begin = b;
      w.end = e;
      classify(text.substr(b, e - b), anchor_words, w);
      // A lone hyphen joins the ends of an interval ("Aug 10 - Nov 12")
      // inside a window; a window that reads nothing through it is cut
      // shorter.
      if (text.substr(b, e - b) == "-") w.kind = Kind::Link;
      w.break_after = stop;
      words.push_back(w);
    } else if (!words.empty()) {
      words.back().break_after = true;  // a lone mark: "...", "'"
    }
    i = j;
  }
  return words;
}

bool can_end(Kind k) {
  switch (k) {
    case Kind::Strong:
    case Kind::Digits:
    case Kind::CtxMonth:
    case Kind::CtxDay:
    case Kind::Unit:
    case Kind::DayPart:
    case Kind::Ordinal:
    case Kind::Second:
    case Kind::Count:
    case Kind::Suffix:
      return true;
    default:
      return false;
  }
}

// The words that give a leading word something to lead to.
bool is_core(Kind k) {
  switch (k) {
    case Kind::Strong:
    case Kind::Digits:
    case Kind::CtxMonth:
    case Kind::CtxDay:
    case Kind::Unit:
    case Kind::DayPart:
      return true;
    default:
      return false;
  }
}

bool leads(Kind k) {
  switch (k) {
    case Kind::Filler:
    case Kind::Lead:
    case Kind::Deictic:
    case Kind::Between:
    case Kind::Count:
    case Kind::Ordinal:
    case Kind::Second:
      return true;
    default:
      return false;
  }
}

// The last word a window that starts at `first` may reach: the run of date
// words up to a break, a comma that no date part follows, or an "and" that
// joins two expressions.
std::size_t run_end(std::span<const Word> words, std::size_t first) {
  const std::size_t limit = std::min(words.size(), first + kMaxWindowWords);
  std::size_t last = first;
  for (std::size_t k = first + 1; k < limit; ++k) {
    const Word& prev = words[k - 1];
    const Word& w = words[k];
    if (prev.break_after || w.kind == Kind::None) break;
    if (prev.comma_after && !w.digit && !w.month) break;
    if (w.kind == Kind::And && words[first].kind != Kind::Between) break;
    last = k;
  }
  return last;
}

bool starts_window(std::span<const Word> words, std::size_t first, std::size_t last) {
  const Kind k = words[first].kind;
  if (is_core(k)) return true;
  if (!leads(k)) return false;
  for (std::size_t i = first + 1; i <= last; ++i) {
    if (is_core(words[i].kind)) return true;
  }
  return false;
}

bool usable(const Outcome& o) {
  const Resolution* r = nullptr;
  if (o.kind == Outcome::Kind::Resolved) r = &o.reading;
  if (o.kind == Outcome::Kind::Ambiguous && !o.candidates.empty()) r = &o.candidates.front();
  // A reading that skipped words read a shorter span: that span is tried
  // on its own.
  return r != nullptr && r->interpretation.find(" (ignoring ") == std::string::npos;
}

// Returns whether the resolved span words[first..last] counts as a date in
// running text. The resolver reads a span as if it were all the text; prose
// uses some of the same words otherwise ("I may", "sat down", "a second
// time", "for two weeks", "the 2nd floor", "in the morning").
bool counts_in_context(std::span<const Word> words, std::size_t first, std::size_t last,
                       std::string_view text) {
  // The word just before the span, when nothing separates them: "in may".
  const Word* before = first > 0 && !words[first - 1].break_after && !words[first - 1].comma_after
                           ? &words[first - 1]
                           : nullptr;
  // "to" is also the mark of a verb: "used to march".
  const bool led =
      before != nullptr && (before->kind == Kind::Lead || before->kind == Kind::Deictic ||
                            before->kind == Kind::Between ||
                            (before->kind == Kind::Link &&
                             text.substr(before->begin, before->end - before->begin) != "to"));
  std::size_t content = 0, strong = 0, units = 0, counts = 0, day_parts = 0, deictic = 0;
  std::size_t leads_or_links = 0, links = 0;
  bool at = false;
  for (std::size_t i = first; i <= last; ++i) {
    const Word& w = words[i];
    switch (w.kind) {
      case Kind::Filler:
        at = at || (w.end - w.begin == 2 && (text[w.begin] | 0x20) == 'a');
        continue;
      case Kind::Strong:
        ++strong;
        break;
      case Kind::Unit:
        ++units;
        break;
      case Kind::Count:
      case Kind::Digits:
        ++counts;
        break;
      case Kind::DayPart:
        ++day_parts;
        break;
      case Kind::Deictic:
        ++deictic;
        ++leads_or_links;
        break;
      case Kind::Link:
        ++links;
        ++leads_or_links;
        break;
      case Kind::Lead:
      case Kind::Between:
      case Kind::Suffix:
        ++leads_or_links;
        break;
      case Kind::Second:
        // second <unit>|<weekday>
        if (i == last || (words[i + 1].kind != Kind::Unit && words[i + 1].kind != Kind::Strong &&
                          words[i + 1].kind != Kind::CtxDay)) {
          return false;
        }
        break;
      default:
        break;
    }
    ++content;
  }
  if (content == 0) return false;
  if (content == 1) {
    const Word& w = [&]() -> const Word& {
      for (std::size_t i = first;; ++i) {
        if (words[i].kind != Kind::Filler) return words[i];
      }
    }();
    // A plain number is a date alone only as a clock hour: "at 5".
    if (w.kind == Kind::Digits) return at;
    if (w.kind == Kind::CtxMonth) return led;
    if (w.kind != Kind::Strong) return false;
  }
  const bool has_digits = std::any_of(words.begin() + static_cast<std::ptrdiff_t>(first),
                                      words.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                                      [](const Word& w) { return w.digit; });
  for (std::size_t i = first; i <= last; ++i) {
    // sun|wed|sat need a time or a date beside them
    if (words[i].kind == Kind::CtxDay && strong == 0 && !has_digits) return false;
    // may|march need a day, a year, or a word such as in, of, next
    if (words[i].kind == Kind::CtxMonth && strong == 0 && !has_digits && leads_or_links == 0 &&
        !led) {
      return false;
    }
  }
  // A count of units alone is a length of time, not a date: "for two
  // weeks", "a couple of days" (also when "ago" follows it: that longer
  // span did not resolve, and the shorter one would turn its direction).
  if (units > 0 && strong == 0 && content == units + counts + links) return false;
  // A part of the day needs its day: "this morning", not "in the morning".
  if (day_parts > 0 && strong == 0 && !has_digits && deictic == 0) return false;
  // A rank right before an ordinary word qualifies that word: "the 2nd floor";
  // so does a number of an hour's two digits, unless "at" or a date makes it
  // an hour: "about 3 people" ("in 2025 or" stays a year).
  const Word& end = words[last];
  const bool before_word = last + 1 < words.size() && !end.break_after && !end.comma_after &&
                           words[last + 1].kind == Kind::None;
  const bool count = end.kind == Kind::Digits && end.end - end.begin <= 2 && !at && strong == 0;
  if (before_word && (end.rank || count)) return false;
  return true;
}

// Turns byte offsets into code point offsets, moving forward only.
class CodePoints {
 public:
  explicit CodePoints(std::string_view text) : text_(text) {}
  std::size_t at(std::size_t byte) {
    for (; byte_ < byte; ++byte_) {
      if ((static_cast<unsigned char>(text_[byte_]) & 0xC0) != 0x80) ++count_;
    }
    return count_;
  }

 private:
  std::string_view text_;
  std::size_t byte_ = 0;
  std::size_t count_ = 0;
};

Outcome resolve(std::string_view span, const Request& request) {
  if (request.strict) {
    return parse_str(span, request.now, request.anchors, request.opts.core, request.holidays);
  }
  return everyday::parse_full(span, request.now, request.anchors, request.opts, request.holidays);
}

// Returns whether two outcomes give the same readings with the same
// confidences (their wording may differ).
bool same_readings(const Outcome& a, const Outcome& b) {
  const auto same = [](const Resolution& x, const Resolution& y) {
    return x.value == y.value && x.confidence == y.confidence;
  };
  if (a.kind != b.kind || a.candidates.size() != b.candidates.size()) return false;
  if (a.kind == Outcome::Kind::Resolved) return same(a.reading, b.reading);
  return std::equal(a.candidates.begin(), a.candidates.end(), b.candidates.begin(), same);
}

}  // namespace

std::vector<Found> find_dates(std::string_view text, const Request& request) {
  // The words of the anchor names, lower-case: any of them may begin or
  // end a window. A handful of names is scanned linearly.
  std::vector<std::string_view> anchor_words;
  for (const auto& [name, date] : request.anchors) {
    std::string_view rest = name;
    while (!rest.empty()) {
      const std::size_t space = rest.find(' ');
      const std::string_view w = rest.substr(0, space);
      if (!w.empty()) anchor_words.push_back(w);
      if (space == std::string_view::npos) break;
      rest.remove_prefix(space + 1);
    }
  }
  const std::vector<Word> words = words_of(text, anchor_words);

  std::vector<Found> found;
  CodePoints code_points(text);
  std::size_t i = 0;
  while (i < words.size()) {
    if (words[i].kind == Kind::None) {
      ++i;
      continue;
    }
    const std::size_t last = run_end(words, i);
    if (!starts_window(words, i, last)) {
      ++i;
      continue;
    }
    std::size_t taken = 0;
    for (std::size_t e = last + 1; e-- > i;) {
      // from <day> on: the open interval's own last word
      const bool open_on = words[e].on && words[i].from && e >= i + 2;
      if (!can_end(words[e].kind) && !open_on) continue;
      std::size_t b0 = words[i].begin;
      const std::size_t b1 = words[e].end;
      Outcome outcome = resolve(text.substr(b0, b1 - b0), request);
      if (request.holidays.stop_requested()) return found;
      if (!usable(outcome) || !counts_in_context(words, i, e, text)) continue;
      // on|at|for|due|dated <date>: the date alone, when it reads the same
      if (words[i].idle && e > i) {
        const std::size_t b = words[i + 1].begin;
        Outcome bare = resolve(text.substr(b, b1 - b), request);
        if (request.holidays.stop_requested()) return found;
        if (same_readings(bare, outcome)) {
          b0 = b;
          outcome = std::move(bare);
        }
      }
      Found f;
      f.byte_start = b0;
      f.byte_end = b1;
      f.start = code_points.at(b0);
      f.end = code_points.at(b1);
      f.outcome = std::move(outcome);
      found.push_back(std::move(f));
      taken = e + 1 - i;
      break;
    }
    i += taken != 0 ? taken : 1;
  }
  return found;
}

}  // namespace kalendo::search
