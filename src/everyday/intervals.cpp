// Matches intervals with both ends: days (july 13-15, 13-15 july, from 13th
// to 15th july, april 9th through 17th, mon-wed, monday to friday, between
// monday and wednesday, from today until friday, aug 10 - nov 12, from march
// to may, 8/10/2012 - 8/15/2012, 2024-06-10..2024-06-14, july 1-7 2025),
// clock times alone or on a day (3-4pm, 3:30-4:30pm, between 4pm and 5pm,
// from 9 to 5, 9 till 5, 10pm-2am, thursday from 9:30 to 11:00, 9am-5pm
// friday, tomorrow 9-5), a day and a clock time on each end (monday 9am to
// friday 5pm, june 3 at 9am to june 5 at 5pm), now as the first end (now to
// 5pm, from now until friday), and a start with a length (4pm for 30 mins,
// from 2pm for 2 hours, for 3 days starting monday).
//
// The tokenizer drops the dash and "for", so the ends are found on the text
// as typed, then taken from the pieces the driver already has wherever they
// match, and each end is read by the families that read a single day or
// clock time.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "everyday/mod.h"
#include "grammar/units.h"
#include "locale.h"
#include "tokenize.h"

namespace kalendo::everyday::intervals {
namespace {

using Kind = Tok::Kind;

// Every text that joins two ends is split, and its ends found among the
// pieces and read, by many small looks that mostly answer at once: the
// small helpers are inlined into their callers ([[gnu::always_inline]]),
// and the readers that call them most are compiled with every call in
// place ([[gnu::flatten]]), as a call costs more than most of the looks.

// Words that join the two ends: "monday to friday". "until" and "till"
// join only after a first end ("from today until friday", "3pm until
// 5pm"); leading the text they open an interval that starts now.
constexpr std::string_view kJoinWords[3] = {"to", "through", "thru"};
constexpr std::string_view kUntilWords[5] = {"until", "till", "til", "'til", "\u2019til"};
// Words that lead the ends: "between 4pm and 5pm", "4pm for 30 mins".
constexpr std::string_view kBetween[1] = {"between"};
constexpr std::string_view kFor[1] = {"for"};
// Marks that join two ends inside a word or standing alone: "13-15",
// "mon–wed", "2024-06-10..2024-06-14".
constexpr std::array<std::string_view, 3> kDashes = {"..", "\u2013", "\u2014"};
// Words that put the length of an interval after its start: "starting
// monday for 3 days", "for 3 days starting monday".
constexpr std::string_view kStartWords[2] = {"starting", "beginning"};

// A day interval, and a clock interval, as read; lower where a rule chose
// (a bare hour's half of the day, an end moved a week or a year on).
constexpr float kInterval = 0.9f;
constexpr float kGuessed = 0.85f;

// Texts of more words are not one interval.
constexpr std::size_t kMaxWords = 16;

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool one_of(std::string_view w, std::span<const std::string_view> words) {
  for (std::string_view x : words) {
    if (same_word_any_case(w, x)) return true;
  }
  return false;
}

// What a word does between the ends, one bit per word list above; most
// words do nothing.
enum Role : uint8_t {
  kJoin = 1,
  kUntil = 2,
  kBetweenRole = 4,
  kForRole = 8,
  kStart = 16,
  kFromRole = 32,
  kAndRole = 64,
  kDash = 128,
};

[[gnu::always_inline]] inline uint8_t role_of(std::string_view w) {
  if (w.empty()) return 0;
  // Compared only with the words of the word's own length and first
  // letter: every word of the lists begins with a byte that has the 0x20
  // bit, so a word that lower-cases to one of them begins with it too.
  const auto c = static_cast<char>(w[0] | 0x20);
  const auto is = [w, c](std::string_view word) {
    return c == word[0] && same_word_any_case(w, word);
  };
  switch (w.size()) {
    case 1:
      return w[0] == '-' ? kDash : 0;
    case 2:
      return is(kJoinWords[0]) ? kJoin : 0;
    case 3:
      if (is(kFor[0])) return kForRole;
      if (is("and")) return kAndRole;
      if (is(kUntilWords[2])) return kUntil;
      return w == "\u2013" || w == "\u2014" ? kDash : 0;
    case 4:
      if (is(kJoinWords[2])) return kJoin;
      if (is(kUntilWords[1]) || is(kUntilWords[3])) return kUntil;
      return is("from") ? kFromRole : 0;
    case 5:
      return is(kUntilWords[0]) ? kUntil : 0;
    case 6:
      return is(kUntilWords[4]) ? kUntil : 0;
    case 7:
      if (is(kJoinWords[1])) return kJoin;
      return is(kBetween[0]) ? kBetweenRole : 0;
    case 8:
    case 9:
      return is(kStartWords[0]) || is(kStartWords[1]) ? kStart : 0;
    default:
      return 0;
  }
}

// One bit per byte: white space, the first bytes of the words that may
// have a role (every word of the lists above begins with one of them, in
// either case, and most words with none), one bit for each byte that
// begins a mark joining two ends inside a word (the hyphen, the dot of
// "..", the first byte of an en or em dash, and the slash of an ISO
// interval), and one for the bytes that part words to the tokenizer
// besides white space (punctuation, the hyphen) or that it reads as more
// than ASCII, with one more for those but the hyphen and the dot.
constexpr uint8_t kByteSpace = 1, kByteRole = 2, kByteHyphen = 4, kByteDot = 8, kByteE2 = 16,
                  kByteSlash = 32, kByteBreak = 64, kByteOtherBreak = 128;
constexpr uint8_t kByteMark = kByteHyphen | kByteDot | kByteE2 | kByteSlash;
constexpr std::array<uint8_t, 256> kByteKinds = [] {
  std::array<uint8_t, 256> t{};
  for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
    t[static_cast<unsigned char>(c)] = kByteSpace;
  for (const char c : {'-', '\'', '\xE2', 'a', 'b', 'f', 's', 't', 'u'}) {
    t[static_cast<unsigned char>(c)] = kByteRole;
    if (c >= 'a' && c <= 'z') t[static_cast<unsigned char>(c - 0x20)] = kByteRole;
  }
  t['-'] |= kByteHyphen;
  t['.'] |= kByteDot;
  t[0xE2] |= kByteE2;
  t['/'] |= kByteSlash;
  for (const char c : {'!', '"', '(', ')', ',', '-', '.', ';', '?'})
    t[static_cast<unsigned char>(c)] |= kByteBreak | (c == '-' || c == '.' ? 0 : kByteOtherBreak);
  for (std::size_t c = 0x80; c < 256; ++c)
    t[c] |= kByteBreak | kByteOtherBreak;
  return t;
}();

[[gnu::always_inline]] inline uint8_t byte_kind(char c) {
  return kByteKinds[static_cast<unsigned char>(c)];
}

// The words of a text as views into it, each with its role. Only the first
// n entries are written.
struct Words {
  std::array<const char*, kMaxWords> begin;
  std::array<std::size_t, kMaxWords> size;
  std::array<uint8_t, kMaxWords> role;
  std::array<uint8_t, kMaxWords> kinds;  // the byte kinds the word holds
  std::size_t n = 0;
  uint8_t roles = 0;  // every role some word has

  std::string_view w(std::size_t i) const { return {begin[i], size[i]}; }

  // Returns the index of the first word at or after `from` that has one of
  // the roles, or n.
  std::size_t find(uint8_t wanted, std::size_t from = 0) const {
    if ((roles & wanted) == 0) return n;
    for (std::size_t i = from; i < n; ++i) {
      if (role[i] & wanted) return i;
    }
    return n;
  }
};

// Splits the text at white space; false when it has too many words. Each
// word's bytes are read once, for its end and the kinds of bytes it holds.
bool words_of(std::string_view text, Words& out) {
  const char* at = text.data();
  const char* const end = at + text.size();
  for (;;) {
    while (at != end && (byte_kind(*at) & kByteSpace))
      ++at;
    if (at == end) return true;
    const char* const start = at;
    const uint8_t first = byte_kind(*at);
    uint8_t kinds = first;
    for (++at; at != end; ++at) {
      const uint8_t kind = byte_kind(*at);
      if (kind & kByteSpace) break;
      kinds |= kind;
    }
    if (out.n == kMaxWords) return false;
    const std::string_view word(start, static_cast<std::size_t>(at - start));
    const uint8_t role = (first & kByteRole) ? role_of(word) : 0;
    out.begin[out.n] = word.data();
    out.size[out.n] = word.size();
    out.role[out.n] = role;
    out.kinds[out.n] = kinds;
    out.roles |= role;
    ++out.n;
  }
}

// How the two parts of an interval are joined.
enum class Join : uint8_t { Ends, Length };

// The parts of an interval as written: the day words in front of "from" or
// "between", and the two ends (or the start and the length), each with any
// day words beside them ("tomorrow 3" in "tomorrow 3-4pm").
struct Split {
  Join join = Join::Ends;
  std::string_view day, first, second;
  // What joins the ends as written, when the second follows the first: the
  // join word ("to", "and", "for") or the mark ("-", "..").
  std::string_view gap;
  bool introduced = false;  // "from" or "between" came before the first end
  bool until = false;       // "until" or "till" joins the ends: "9 till 5"
  // Where the parts' tokens stand among the tokens of the whole text, when
  // the tokenizer reads it word for word (see lay_out): the day words'
  // count, the first end's first token and count, the second end's first
  // token, and the tokens in all. The part of a word that the first end
  // ends with, cut at a mark inside it ("13" of "13-15"), is `cut`.
  bool laid_out = false;
  uint8_t day_tokens = 0, first_at = 0, first_tokens = 0, second_at = 0, tokens = 0;
  std::string_view cut;
};

// The tokenizer reads a text of up to this many ASCII bytes a word at a
// time, between white space and the bytes of kByteBreak.
constexpr std::size_t kWordForWord = 256;

// Words the tokenizer drops ("the", "at", "for"), each counted for the
// tokens it makes of the word alone. Any other word of letters and digits
// makes one token, or none (a word it drops that is not listed here), or
// three (a word that ends a period: "eom", whose first token is the End
// keyword).
constexpr std::string_view kDroppable[4] = {"the", "on", "at", "for"};

// Returns the tokens the tokenizer makes of a word without white space or
// the bytes of kByteBreak, alone, as far as the table above tells: one
// for any word it does not list. The listed words are lower-case letters,
// which a byte matches in either case exactly when it matches with its
// 0x20 bit set.
using DroppedCounts = std::array<uint8_t, std::size(kDroppable)>;

// The tokens the tokenizer makes of each word of kDroppable alone.
const DroppedCounts& dropped_counts() {
  static const DroppedCounts kCounts = [] {
    DroppedCounts out{};
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<uint8_t>(tokenize(kDroppable[i], {}, EN).size());
    return out;
  }();
  return kCounts;
}

// `kCounts` is dropped_counts(), asked once by the caller.
std::size_t tokens_of_word(std::string_view w, const DroppedCounts& kCounts) {
  const auto is = [w](std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
      if ((w[i] | 0x20) != word[i]) return false;
    }
    return true;
  };
  if (w.size() == 2) {
    if (is(kDroppable[1])) return kCounts[1];
    if (is(kDroppable[2])) return kCounts[2];
  } else if (w.size() == 3) {
    if (is(kDroppable[0])) return kCounts[0];
    if (is(kDroppable[3])) return kCounts[3];
  }
  return 1;
}

// Lays out the parts of a split text over the tokens the tokenizer makes of
// it, when it makes them word for word: an ASCII text of white space and
// words, whose only byte the tokenizer reads as space is the join's ("-",
// alone: no token) or the mark's inside a word ("13-15": two words). Each
// word then makes the tokens it makes alone, as counted by tokens_of_word,
// or fewer (a word dropped that is not listed, or two words joined: "5
// pm"), or three ("eom"); the caller finds the counts exact when they add
// up to the tokens there are and no token is the End keyword. The parts
// are by word: the day words before `lead` (the lead word, or npos), the
// first end's words from `first_begin` to `first_end` and the part of the
// word `mark_word` before `mark`, the join word `join` (or npos), and the
// second end's part of the mark's word and its words from `second_begin`.
void lay_out(Split& s, std::string_view text, const Words& ws, std::size_t lead,
             std::size_t first_begin, std::size_t first_end, std::size_t join,
             std::size_t second_begin, std::string_view mark = {}) {
  constexpr std::size_t kNone = std::string_view::npos;
  if (text.size() > kWordForWord) return;
  // The join alone ("-") or the mark, and no other such byte: the words
  // around them hold none, and the mark's word none but the mark's. A mark
  // the tokenizer reads as part of a word (a dash beyond ASCII, a slash)
  // parts no words.
  if (!mark.empty() && mark[0] != '-' && mark[0] != '.') return;
  const bool dash = join != kNone && ws.size[join] == 1 && ws.begin[join][0] == '-';
  for (std::size_t k = 0; k < ws.n; ++k) {
    if ((ws.kinds[k] & kByteBreak) && !(dash && k == join) && !(!mark.empty() && k == first_end))
      return;
  }
  // The one hyphen of its word (inner_mark takes no other), in a word
  // without a dot or the other bytes of kByteBreak.
  if (mark == "-") {
    if (ws.kinds[first_end] & (kByteDot | kByteOtherBreak)) return;
  } else if (!mark.empty()) {
    const std::string_view w = ws.w(first_end);
    const auto at = static_cast<std::size_t>(mark.data() - w.data());
    for (std::size_t k = 0; k < w.size(); ++k) {
      if ((k < at || k >= at + mark.size()) && (byte_kind(w[k]) & kByteBreak)) return;
    }
  }
  const DroppedCounts& counts = dropped_counts();
  std::size_t count = 0;
  const auto words = [&ws, &count, &counts](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k)
      count += tokens_of_word(ws.w(k), counts);
  };
  if (lead != kNone) {
    words(0, lead);
    s.day_tokens = static_cast<uint8_t>(count);
    words(lead, lead + 1);
  }
  s.first_at = static_cast<uint8_t>(count);
  words(first_begin, first_end);
  std::string_view cut;
  if (!mark.empty()) {
    const std::string_view w = ws.w(first_end);
    cut = w.substr(0, static_cast<std::size_t>(mark.data() - w.data()));
    count += tokens_of_word(cut, counts);
  }
  s.first_tokens = static_cast<uint8_t>(count - s.first_at);
  if (join != kNone && !dash) words(join, join + 1);
  s.second_at = static_cast<uint8_t>(count);
  if (!mark.empty()) {
    const std::string_view w = ws.w(first_end);
    count += tokens_of_word(
        w.substr(static_cast<std::size_t>(mark.data() + mark.size() - w.data())), counts);
  }
  words(second_begin, ws.n);
  s.tokens = static_cast<uint8_t>(count);
  s.cut = cut;
  s.laid_out = true;
}

// Returns the text from the start of word i to the end of word j - 1;
// empty when i >= j.
[[gnu::always_inline]] inline std::string_view span_of(std::string_view text, const Words& ws,
                                                       std::size_t i, std::size_t j) {
  if (i >= j) return {};
  const auto begin = static_cast<std::size_t>(ws.w(i).data() - text.data());
  const auto end = static_cast<std::size_t>(ws.w(j - 1).data() + ws.w(j - 1).size() - text.data());
  return text.substr(begin, end - begin);
}

std::string_view after(std::string_view text, std::string_view part) {
  return text.substr(static_cast<std::size_t>(part.data() + part.size() - text.data()));
}

std::string_view before(std::string_view text, std::string_view part) {
  return text.substr(0, static_cast<std::size_t>(part.data() - text.data()));
}

[[gnu::always_inline]] inline std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (byte_kind(s.front()) & kByteSpace))
    s.remove_prefix(1);
  while (!s.empty() && (byte_kind(s.back()) & kByteSpace))
    s.remove_suffix(1);
  return s;
}

// Returns whether a text begins as an ISO date does: four digits and a
// hyphen, "2025-".
bool iso_start(std::string_view w) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return w.size() >= 10 && digit(w[0]) && digit(w[1]) && digit(w[2]) && digit(w[3]) && w[4] == '-';
}

// Returns the first place of `mark` in `w` at or after `from`, or npos; the
// word is short, and the loop cheaper than a library call.
[[gnu::always_inline]] inline std::size_t byte_at(std::string_view w, char mark,
                                                  std::size_t from = 0) {
  for (std::size_t k = from; k < w.size(); ++k) {
    if (w[k] == mark) return k;
  }
  return std::string_view::npos;
}

// Finds the mark that joins two ends inside a word: "..", an en or em
// dash, one hyphen between two characters ("13-15", "10pm-2am"; not the
// hyphens of "2024-06-10"), or the slash between two ISO dates. Returns
// the word's index and the mark.
std::optional<std::pair<std::size_t, std::string_view>> inner_mark(const Words& ws,
                                                                   std::size_t from) {
  constexpr std::size_t kNone = std::string_view::npos;
  for (std::size_t i = from; i < ws.n; ++i) {
    // Most words hold no byte of a mark: words_of has said which do.
    const uint8_t marks = ws.kinds[i] & kByteMark;
    if (marks == 0) continue;
    const std::string_view w = ws.w(i);
    // The first of each mark, in the order they are asked: "..", an en
    // dash, an em dash, then one hyphen alone in the word.
    const auto inside = [&w](std::size_t at, std::size_t len) {
      return at != kNone && at > 0 && at + len < w.size();
    };
    if (marks & kByteDot) {
      if (const std::size_t at = w.find(kDashes[0]); inside(at, kDashes[0].size()))
        return std::pair{i, w.substr(at, kDashes[0].size())};
    }
    if (marks & kByteE2) {
      for (std::size_t d = 1; d < kDashes.size(); ++d) {
        if (const std::size_t at = w.find(kDashes[d]); inside(at, kDashes[d].size()))
          return std::pair{i, w.substr(at, kDashes[d].size())};
      }
    }
    if (marks & kByteHyphen) {
      const std::size_t hyphen = byte_at(w, '-');
      if (hyphen > 0 && hyphen + 1 < w.size() && byte_at(w, '-', hyphen + 1) == kNone)
        return std::pair{i, w.substr(hyphen, 1)};
    }
    // An ISO interval: two dates or date-times joined by a slash,
    // "2025-01-01/2025-01-05" (a slash between other words is a date's).
    if (marks & kByteSlash) {
      if (const std::size_t slash = byte_at(w, '/');
          iso_start(w.substr(0, slash)) && iso_start(w.substr(slash + 1))) {
        return std::pair{i, w.substr(slash, 1)};
      }
    }
  }
  return std::nullopt;
}

// <first> for <length> | from <first> for <length> | for <length>
// starting <first> | starting <first> for <length>: into `s`, as split.
bool length_split(std::string_view text, const Words& ws, std::size_t k, Split& s) {
  s.join = Join::Length;
  std::size_t begin = 0;
  if (begin < k && (ws.role[0] & (kFromRole | kStart))) {
    s.introduced = true;
    ++begin;
  }
  s.first = span_of(text, ws, begin, k);
  s.second = span_of(text, ws, k + 1, ws.n);
  s.gap = ws.w(k);
  if (!s.first.empty() && !s.second.empty()) {
    lay_out(s, text, ws, begin == 1 ? 0 : std::string_view::npos, begin, k, k, k + 1);
    return true;
  }
  if (s.first.empty()) {
    // for <length> starting <first>
    const std::size_t st = ws.find(kStart, k + 1);
    if (st == ws.n) return false;
    s.first = span_of(text, ws, st + 1, ws.n);
    s.second = span_of(text, ws, k + 1, st);
    s.gap = {};
    s.introduced = true;
  }
  if (s.first.empty() || s.second.empty()) return false;
  return true;
}

// Finds the ends of an interval in the text, into `s` as made by default;
// false when it has none.
[[gnu::flatten]] bool split(std::string_view text, Split& s) {
  // Only the words written are read: the arrays are left unset.
  Words ws;
  if (!words_of(text, ws) || ws.n == 0) return false;
  if (const std::size_t k = ws.find(kForRole); k < ws.n) return length_split(text, ws, k, s);

  // [<day>] between <first> and <second>
  if (const std::size_t b = ws.find(kBetweenRole); b < ws.n) {
    const std::size_t a = ws.find(kAndRole, b + 1);
    if (a == ws.n) return false;
    s.day = span_of(text, ws, 0, b);
    s.first = span_of(text, ws, b + 1, a);
    s.second = span_of(text, ws, a + 1, ws.n);
    s.gap = ws.w(a);
    s.introduced = true;
    if (s.first.empty() || s.second.empty()) return false;
    lay_out(s, text, ws, b, b + 1, a, a, a + 1);
    return true;
  }
  // [<day>] from <first> to|through|thru|until|till|- <second>
  const std::size_t f = ws.find(kFromRole);
  const std::size_t start = f < ws.n ? f + 1 : 0;
  s.introduced = f < ws.n;
  std::size_t j = ws.find(kJoin | kDash, start);
  // "until 5pm" alone is an open end; after a first end it joins two.
  if (const std::size_t u = ws.find(kUntil, start); u < j && (s.introduced || u > 0)) {
    j = u;
    s.until = true;
  }
  if (s.introduced) s.day = span_of(text, ws, 0, f);
  const std::size_t lead = s.introduced ? f : std::string_view::npos;
  if (j < ws.n) {
    s.first = span_of(text, ws, start, j);
    s.second = span_of(text, ws, j + 1, ws.n);
    s.gap = ws.w(j);
    if (s.first.empty() || s.second.empty()) return false;
    lay_out(s, text, ws, lead, start, j, j, j + 1);
    return true;
  }
  if (const auto mark = inner_mark(ws, start)) {
    // <first>-<second>, the mark inside a word
    const std::string_view from_start = span_of(text, ws, start, ws.n);
    s.first = trimmed(before(from_start, mark->second));
    s.second = trimmed(after(from_start, mark->second));
    s.gap = mark->second;
    if (s.first.empty() || s.second.empty()) return false;
    lay_out(s, text, ws, lead, start, mark->first, std::string_view::npos, mark->first + 1,
            mark->second);
    return true;
  }
  return false;
}

// A few records kept in place, and only more of them on the heap: an end
// has one reading, or two when it is ambiguous, and an interval as many.
template <typename T, std::size_t N>
class Few {
 public:
  void push_back(T x) {
    if (n_ < N) {
      inline_[n_] = std::move(x);
    } else {
      spill_.push_back(std::move(x));
    }
    ++n_;
  }
  std::size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  T& operator[](std::size_t i) { return i < N ? inline_[i] : spill_[i - N]; }
  const T& operator[](std::size_t i) const { return i < N ? inline_[i] : spill_[i - N]; }

 private:
  std::array<T, N> inline_{};
  std::vector<T> spill_;
  std::size_t n_ = 0;
};

// One reading of an end: an interval writes its own label.
struct EndReading {
  Value value;
  float confidence = 0.0f;
};

// The readings of one end, ranked, and the reason when nothing reads it.
struct Ends {
  Few<EndReading, 2> readings;
  std::string reason;
  std::string reject;  // a reading that says the end is impossible

  void add(const Resolution& r) { readings.push_back(EndReading{r.value, r.confidence}); }
  void add_all(const std::vector<Resolution>& rs) {
    for (const Resolution& r : rs)
      add(r);
  }
};

// Returns whether the pieces are a month name with day or year numbers
// ("july 13", "13th july 2025"): the core grammar reads none of these, so
// its failed reading is not worth asking for.
bool month_with_number(std::span<const Piece> pieces) {
  bool month = false, number = false;
  for (const Piece& p : pieces) {
    if (p.is_shape) return false;
    const Tok& t = p.tok;
    if (t.is(Kind::Month)) {
      month = true;
    } else if (t.is(Kind::Num) || t.is(Kind::Ordinal)) {
      number = true;
    } else {
      return false;
    }
  }
  return month && number;
}

// The confidence of the core's readings of a lone weekday ("friday", the
// upcoming one) and of today, tomorrow or yesterday.
constexpr float kBareWeekday = 0.7f;
constexpr float kDayWord = 0.95f;

// A day as a lone day word names it.
struct LoneDay {
  Date day;
  float confidence = 0.0f;
};

// Reads a lone weekday that is not today's, or today, tomorrow or
// yesterday, as the core's rules do: the rules' labels are of no use to an
// interval, which writes its own. None for anything else (a weekday said
// on that very weekday is ambiguous, and its reason is the rule's to give).
std::optional<LoneDay> lone_day(std::span<const Piece> pieces, Date today) {
  if (pieces.size() != 1 || pieces[0].is_shape) return std::nullopt;
  const Tok& t = pieces[0].tok;
  std::optional<Date> day;
  float confidence = kDayWord;
  if (t.is(Kind::Weekday)) {
    // The next one after today, 1 to 6 days on.
    const uint32_t weekday = today.weekday();
    if (weekday == t.u32()) return std::nullopt;
    day = add_days(today, (t.u32() + 7 - weekday) % 7);
    confidence = kBareWeekday;
  } else if (t.is_kw(Keyword::Today)) {
    day = today;
  } else if (t.is_kw(Keyword::Tomorrow)) {
    day = add_days(today, 1);
  } else if (t.is_kw(Keyword::Yesterday)) {
    day = add_days(today, -1);
  }
  if (!day) return std::nullopt;
  return LoneDay{*day, confidence};
}

[[gnu::always_inline]] inline bool is_tok(const Piece& p, Kind k) {
  return !p.is_shape && p.tok.is(k);
}

// Returns whether the pieces are a number alone below 100 ("9" in "from 9
// to 5"): no day to the core grammar, the dates or the days; a clock hour,
// maybe.
[[gnu::always_inline]] inline bool small_number(std::span<const Piece> pieces) {
  return pieces.size() == 1 && is_tok(pieces[0], Kind::Num) && pieces[0].tok.value >= 0 &&
         pieces[0].tok.value <= 99;
}

// Reads pieces that day_readings() reads as one day without asking the
// core grammar or the families: a lone day word, a numeric date with its
// year ("2024-06-10"; "8/10/2012" in a set order of day and month), or a
// month and a day number ("july 13"), each the date without the label the
// dates would write for it, at the time of day `tod`. None for anything
// else.
std::optional<EndReading> single_day(std::span<const Piece> pieces, Date today, TimeOfDay tod,
                                     DateOrder order) {
  if (pieces.empty() || small_number(pieces)) return std::nullopt;
  if (const std::optional<LoneDay> r = lone_day(pieces, today))
    return EndReading{Value::instant(DateTime{r->day, tod}), r->confidence};
  if (pieces.size() == 1 && pieces[0].is_shape) {
    if (const auto d = dates::numeric_day(pieces[0].shape, order))
      return EndReading{Value::instant(DateTime{d->date, tod}), d->confidence};
    return std::nullopt;
  }
  if (!month_with_number(pieces)) return std::nullopt;
  if (const auto d = dates::plain_day(pieces, today))
    return EndReading{Value::instant(DateTime{d->date, tod}), d->confidence};
  return std::nullopt;
}

// The confidence of the core's reading of a month named alone: "may" and
// "march" are ordinary words too.
constexpr float kBareMonth = 0.7f;

// Reads a month named alone, other than the current one, as the core's rule
// of named periods reads it: this year's, or next year's once it has
// passed, as whole days. None for any other pieces, and for the current
// month, which the rule finds ambiguous and explains.
std::optional<EndReading> lone_month(std::span<const Piece> pieces, Date today) {
  if (pieces.size() != 1 || !is_tok(pieces[0], Kind::Month)) return std::nullopt;
  const uint32_t month = pieces[0].tok.u32();
  const Civil now = today.civil();
  if (month == now.month) return std::nullopt;
  auto days = month_range(now.year, month);
  if (days && days->last < today) days = month_range(static_cast<int64_t>(now.year) + 1, month);
  if (!days) return std::nullopt;
  return EndReading{Value::days(days->first, days->last), kBareMonth};
}

// Reads a lone weekday said on that very weekday as the core's weekday rule
// does: today or a week from today, the later a little less likely, and
// the rule's reason. False for any other pieces, and for a week from today
// outside the supported years, which the rule's own path answers.
bool todays_weekday(std::span<const Piece> pieces, const Ctx& ctx, Ends& out) {
  if (pieces.size() != 1 || !is_tok(pieces[0], Kind::Weekday)) return false;
  const Date today = ctx.today();
  const uint32_t w = pieces[0].tok.u32();
  if (today.weekday() != w) return false;
  const auto week_later = add_days(today, 7);
  if (!week_later) return false;
  out.readings.push_back(EndReading{Value::instant(DateTime{today, ctx.tod}), kBareWeekday});
  out.readings.push_back(
      EndReading{Value::instant(DateTime{*week_later, ctx.tod}), kBareWeekday - 0.1f});
  const std::string_view name = kWeekdayNames[w];
  out.reason =
      cat("today is ", name, "; bare \"", lower_name(name), "\" could mean today or next week");
  return true;
}

// Reads pieces that name one day (or a month): the core grammar's readings,
// its ambiguity included, else the dates' and days' families.
Ends day_readings(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  Ends out;
  if (pieces.empty()) return out;
  if (small_number(pieces)) return out;
  if (todays_weekday(pieces, ctx.core, out)) return out;
  // At the context's time of day, as the core reads it.
  if (const std::optional<EndReading> r =
          single_day(pieces, ctx.today(), ctx.core.tod, ctx.opts.date_order)) {
    out.readings.push_back(*r);
    return out;
  }
  const bool dated = month_with_number(pieces);
  if (std::optional<Outcome> o = dated ? std::nullopt : core_reading(pieces, ctx)) {
    if (o->kind == Outcome::Kind::Resolved) {
      out.add(o->reading);
      return out;
    }
    if (o->kind == Outcome::Kind::Ambiguous && !o->candidates.empty()) {
      out.add_all(o->candidates);
      out.reason = std::move(o->reason);
      return out;
    }
  }
  for (Matcher matcher : {dates::try_match, days::try_match}) {
    MatchResult m = matcher(pieces, ctx);
    if (m.kind == MatchResult::Kind::Single) {
      out.add(m.reading);
      return out;
    }
    if (m.kind == MatchResult::Kind::Ambiguous) {
      out.add_all(m.candidates);
      out.reason = std::move(m.reason);
      return out;
    }
    if (m.kind == MatchResult::Kind::Reject) {
      out.reject = std::move(m.reason);
      return out;
    }
  }
  return out;
}

// <1..31> | <ordinal 1..31>: a day of the month that takes its month from
// the other end ("15" in "july 13-15").
bool is_day_number(const Piece& p) {
  return (is_tok(p, Kind::Num) || is_tok(p, Kind::Ordinal)) && p.tok.value >= 1 &&
         p.tok.value <= 31;
}

// Returns whether the pieces write a clock time: a day end has none.
[[gnu::always_inline]] inline bool has_clock(std::span<const Piece> pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Piece& p = pieces[i];
    if (p.is_shape ? p.shape.kind == Shape::Kind::Clock || p.shape.kind == Shape::Kind::DateTime
                   : p.tok.is(Kind::Time)) {
      return true;
    }
    // Months, weekdays, ordinals, keywords and date shapes begin no clock
    // time.
    if (p.is_shape ? p.shape.kind != Shape::Kind::Amount
                   : p.tok.is(Kind::Month) || p.tok.is(Kind::Weekday) || p.tok.is(Kind::Ordinal) ||
                         p.tok.is(Kind::Kw) || p.tok.is(Kind::Anchor)) {
      continue;
    }
    // Nor does a number before a date word, a number or the end: it is a
    // plain hour at most ("1" may open "1 quarter past").
    if (!p.is_shape && p.tok.is(Kind::Num) && p.tok.value != 1) {
      const Piece* next = i + 1 < pieces.size() ? &pieces[i + 1] : nullptr;
      if (next == nullptr || next->is_shape || next->tok.is(Kind::Month) ||
          next->tok.is(Kind::Weekday) || next->tok.is(Kind::Ordinal) || next->tok.is(Kind::Num)) {
        continue;
      }
    }
    std::size_t len = 0;
    // "3 pm", "5 o'clock", "half past 3"; a plain number is a day here.
    if (const auto c = times::clock_end(pieces, i, &len); c && !c->plain) return true;
  }
  return false;
}

// How far an end that falls before its start moves: a weekday a week, a
// date without its year a year; nothing else moves.
enum class Step : uint8_t { None, Week, Month, Year };

Step step_of(std::span<const Piece> pieces) {
  bool weekday = false, month = false;
  for (const Piece& p : pieces) {
    if (p.is_shape) {
      const Shape& s = p.shape;
      if (s.kind != Shape::Kind::Numeric || s.count != 2 || s.widths[0] > 2 || s.widths[1] > 2)
        return Step::None;
      month = true;
      continue;
    }
    const Tok& t = p.tok;
    if (t.is(Kind::Weekday)) weekday = true;
    // A quarter comes back every year, as a month does.
    if (t.is(Kind::Month) || t.is(Kind::Quarter)) month = true;
    if ((t.is(Kind::Num) && t.value >= 100) || t.is(Kind::Kw) || t.is(Kind::Anchor) ||
        (t.is(Kind::Word) && (t.text.starts_with('\'') || t.text.starts_with("\u2019")))) {
      return Step::None;
    }
  }
  if (month) return Step::Year;
  if (weekday) return Step::Week;
  // A bare day number ("the 5th" of "from the 3rd to the 5th") comes back
  // every month.
  return pieces.size() == 1 && is_day_number(pieces[0]) ? Step::Month : Step::None;
}

// Moves whole days on by n weeks, months or years; none when the move leaves the
// supported range or would change the day (February 29 in a common year).
std::optional<Value> moved_on(const Value& v, Step step, int64_t n) {
  const Date first = v.start.date;
  const Date last = v.end.date;
  if (step == Step::Week) {
    const auto f = add_days(first, 7 * n);
    const auto l = add_days(last, 7 * n);
    if (!f || !l) return std::nullopt;
    return Value::days(*f, *l);
  }
  if (step == Step::Month) {
    // A day number names one day: it moves as it is, or not at all.
    const auto f = add_months_checked(first, n);
    const auto l = add_months_checked(last, n);
    if (!f || !l || f->civil().day != first.civil().day || l->civil().day != last.civil().day)
      return std::nullopt;
    return Value::days(*f, *l);
  }
  const auto f = add_months_checked(first, 12 * n);
  const auto after_last = add_days(last, 1);
  if (!f || !after_last || f->civil().day != first.civil().day) return std::nullopt;
  const auto l_next = add_months_checked(*after_last, 12 * n);
  if (!l_next) return std::nullopt;
  const auto l = add_days(*l_next, -1);
  if (!l) return std::nullopt;
  return Value::days(*f, *l);
}

// February 29 comes back within 8 years.
constexpr int64_t kLeapCycle = 8;

// How many steps an end may move on to come after its start: the 31st
// skips a month of 30 days, February 29 waits for a leap year.
int64_t moves_allowed(Step step) {
  switch (step) {
    case Step::None:
      return 0;
    case Step::Week:
      return 1;
    case Step::Month:
      return 2;
    case Step::Year:
      return kLeapCycle;
  }
  return 0;
}

// The label's note for an end that moved on.
std::string_view moved_note(Step step) {
  switch (step) {
    case Step::Week:
      return " (the end moves to the next week: it would come before the start)";
    case Step::Month:
      return " (the end moves to the next month: it would come before the start)";
    default:
      return " (the end moves to the next year: it would come before the start)";
  }
}

// Returns whether the pieces write a year: "2025", "'25", "8/15/2012".
bool writes_year(std::span<const Piece> pieces) {
  for (const Piece& p : pieces) {
    if (p.is_shape ? p.shape.kind != Shape::Kind::Numeric || p.shape.count == 3 ||
                         p.shape.widths[0] == 4 || p.shape.widths[1] == 4
                   : p.tok.is(Kind::Num) && p.tok.value >= 100) {
      return true;
    }
  }
  return false;
}

// Returns whether the pieces are a year alone: "2025".
bool lone_year(std::span<const Piece> pieces) {
  return pieces.size() == 1 && is_tok(pieces[0], Kind::Num) && pieces[0].tok.value >= 1000;
}

// The whole days of one reading: the day of an instant, or a range.
Value whole_days(const Value& v) {
  return Value::days(v.start.date, v.end.date);
}

// The label of one reading of an interval, written in place and made a
// string once, at its full length. The longest label (two dates of six-digit
// years, two clock times with seconds, a length of 19 digits and every
// note) is well under the room; what would not fit is dropped rather than
// written past the end.
class Label {
 public:
  Label() = default;
  Label(const Label& other) : n_(other.n_) { std::memcpy(buf_, other.buf_, n_); }
  Label& operator=(const Label& other) {
    n_ = other.n_;
    std::memcpy(buf_, other.buf_, n_);
    return *this;
  }

  void add(std::string_view s) {
    const std::size_t k = std::min(s.size(), kRoom - n_);
    copy_short(buf_ + n_, s.data(), k);
    n_ += k;
  }
  // A literal: its length is known here, and so is the copy.
  template <std::size_t N>
  void add(const char (&s)[N]) {
    if (kRoom - n_ < N - 1) return;
    std::memcpy(buf_ + n_, s, N - 1);
    n_ += N - 1;
  }

  void add_date(Date d) { add_date(d.civil()); }
  // "YYYY-MM-DD", as dates are written everywhere: a year of four digits,
  // nearly every one, here in place.
  void add_date(Civil c) {
    if (kRoom - n_ < kDateRoom) return;
    if (c.year < 1000 || c.year > 9999) {
      n_ += write_civil_date(buf_ + n_, c);
      return;
    }
    const auto year = static_cast<uint32_t>(c.year);
    char* p = write_digit_pair(write_digit_pair(buf_ + n_, year / 100), year % 100);
    *p++ = '-';
    p = write_digit_pair(p, c.month);
    *p++ = '-';
    p = write_digit_pair(p, c.day);
    n_ = static_cast<std::size_t>(p - buf_);
  }

  // "HH:MM", and ":SS" when the seconds are not zero.
  void add_clock(TimeOfDay t) {
    if (kRoom - n_ < 8) return;
    char* p = buf_ + n_;
    p = write_digit_pair(p, t.hour() % 100);
    *p++ = ':';
    p = write_digit_pair(p, t.minute());
    if (t.secs % 60 != 0) {
      *p++ = ':';
      p = write_digit_pair(p, t.secs % 60);
    }
    n_ = static_cast<std::size_t>(p - buf_);
  }

  // "<n> <unit>", and an "s" for more than one.
  void add_length(int64_t count, Unit unit) {
    char digits[24];
    add(std::string_view(
        digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, count).ptr -
                                         digits)));
    add(" ");
    add(unit_facts(unit).word);
    if (count != 1) add("s");
  }

  std::string str() const { return std::string(buf_, n_); }

 private:
  static constexpr std::size_t kRoom = 320;
  static constexpr std::size_t kDateRoom = 32;

  // Copies k bytes, mostly a few dozen, sixteen (or eight) at a time, the
  // last ones overlapping the ones before: a library call or a string
  // instruction costs more than such a copy.
  static void copy_short(char* to, const char* from, std::size_t k) {
#if defined(__SSE2__)
    if (k >= 16) {
      for (std::size_t i = 0; i + 16 < k; i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k - 16),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k - 16)));
      return;
    }
#endif
    if (k >= 8) {
      for (std::size_t i = 0; i + 8 < k; i += 8)
        std::memcpy(to + i, from + i, 8);
      std::memcpy(to + k - 8, from + k - 8, 8);
    } else if (k >= 4) {
      std::memcpy(to, from, 4);
      std::memcpy(to + k - 4, from + k - 4, 4);
    } else if (k > 0) {
      to[0] = from[0];
      to[k / 2] = from[k / 2];
      to[k - 1] = from[k - 1];
    }
  }

  char buf_[kRoom];  // only the first n_ are written
  std::size_t n_ = 0;
};

// One reading of an interval, its label not yet a string.
struct Reading {
  Label label;
  Value value;
  float confidence = 0.0f;
};

// The readings of an interval: mostly one, a few when an end is ambiguous.
class Found {
 public:
  Found() = default;
  Found(const Found&) = delete;
  Found& operator=(const Found&) = delete;

  std::size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  Reading& operator[](std::size_t i) { return i < kInline ? inline_[i] : spill_[i - kInline]; }

  // Returns the label to write of a new reading, or null when an earlier
  // reading has the same value (the first one stays).
  Label* add(const Value& value, float confidence) {
    for (std::size_t i = 0; i < n_; ++i) {
      if ((*this)[i].value == value) return nullptr;
    }
    Reading& r = n_ < kInline ? inline_[n_] : spill_.emplace_back();
    ++n_;
    r.value = value;
    r.confidence = confidence;
    return &r.label;
  }

 private:
  static constexpr std::size_t kInline = 2;
  Reading inline_[kInline];
  std::vector<Reading> spill_;
  std::size_t n_ = 0;
};

// `reason` is taken only when the readings are several.
// Every path returns the one record, which is built in the caller's place.
MatchResult decided(Found& found, std::string& reason) {
  MatchResult m;
  if (found.empty()) return m;
  if (found.size() == 1) {
    m.kind = MatchResult::Kind::Single;
    m.reading.interpretation = found[0].label.str();
    m.reading.value = found[0].value;
    m.reading.confidence = found[0].confidence;
    return m;
  }
  m.kind = MatchResult::Kind::Ambiguous;
  m.candidates.reserve(found.size());
  for (std::size_t i = 0; i < found.size(); ++i)
    m.candidates.push_back(Resolution{found[i].label.str(), found[i].value, found[i].confidence});
  m.reason = std::move(reason);
  return m;
}

// "<first day> to <last day>".
void add_days(Label& out, const Value& v) {
  const Civil first = v.start.date.civil();
  out.add_date(first);
  out.add(" to ");
  // A last day in the first's month follows from the first's fields.
  const int64_t ahead = v.end.date.days - v.start.date.days;
  if (ahead >= 0 && ahead <= 31) {
    const auto day = static_cast<uint32_t>(first.day + ahead);
    if (day <= 28 || day <= days_in_month(first.year, first.month)) {
      out.add_date(Civil{first.year, first.month, day});
      return;
    }
  }
  out.add_date(v.end.date);
}

// Returns the one order of day and month a numeric date without a
// four-digit year first can be read in, or none when it has both or none.
std::optional<DateOrder> only_order(std::span<const Piece> p) {
  if (p.size() != 1 || !p[0].is_shape) return std::nullopt;
  const Shape& s = p[0].shape;
  if (s.kind != Shape::Kind::Numeric || s.widths[0] > 2 || s.widths[1] > 2) return std::nullopt;
  const auto valid = [](uint32_t m, uint32_t d) { return m >= 1 && m <= 12 && d >= 1 && d <= 31; };
  const bool month_first = valid(s.parts[0], s.parts[1]);
  const bool day_first = valid(s.parts[1], s.parts[0]);
  if (month_first == day_first) return std::nullopt;
  return month_first ? DateOrder::MDY : DateOrder::DMY;
}

// The whole days from the day `a` names to the day `b` names, read in the
// order of day and month of `opts`: day_interval's work once it has
// completed the ends and chosen that order.
MatchResult days_between(std::span<const Piece> a, std::span<const Piece> b, const EverydayCtx& ctx,
                         const FullOptions& opts) {
  EverydayCtx day_ctx{ctx.core, opts, ctx.text};
  day_ctx.core.tod = ctx.opts.core.default_time;
  day_ctx.core.tod_explicit = false;
  // The ends' readings paired into intervals; `reason` is the ambiguity's.
  const auto pair_up = [&](const auto& firsts, const auto& lasts,
                           std::string& reason) -> MatchResult {
    const Step step = step_of(b);
    const bool start_takes_year = step_of(a) == Step::Year && writes_year(b);
    Found found;
    std::string backwards;
    // Two ends read in the same orders ("3/4 - 3/6") pair reading by reading:
    // one interval does not mix month-first and day-first.
    const std::size_t n_first = firsts.size(), n_last = lasts.size();
    const bool paired = n_first > 1 && n_first == n_last;
    for (std::size_t i = 0; i < n_first; ++i) {
      for (std::size_t j = paired ? i : 0; j < (paired ? i + 1 : n_last); ++j) {
        const EndReading& s = firsts[i];
        const EndReading& e = lasts[j];
        // A clock time the core read as a moment ("in 3 days") is no day.
        for (const EndReading* r : {&s, &e}) {
          if (!r->value.is_range() && r->value.start.time != day_ctx.core.tod)
            return MatchResult::no_match();
        }
        Value start = whole_days(s.value);
        Value end = whole_days(e.value);
        if (start_takes_year) {
          // The latest start on or before an end that writes its year.
          const int64_t years = end.start.date.year() - start.start.date.year();
          for (int64_t k = years; k >= years - kLeapCycle; --k) {
            const auto on = moved_on(start, Step::Year, k);
            if (on && on->start.date <= end.start.date) {
              start = *on;
              break;
            }
          }
        }
        float confidence = std::min({s.confidence, e.confidence, kInterval});
        std::string_view note;
        if (end.start.date < start.start.date) {
          std::optional<Value> on;
          for (int64_t k = 1; k <= moves_allowed(step); ++k) {
            on = moved_on(end, step, k);
            if (on && on->start.date >= start.start.date) break;
            on.reset();
          }
          if (!on) {
            backwards.clear();
            backwards += "the interval would end on ";
            append_date(backwards, end.start.date);
            backwards += ", before its start on ";
            append_date(backwards, start.start.date);
            continue;
          }
          end = *on;
          confidence = std::min(confidence, kGuessed);
          note = moved_note(step);
        }
        const Value whole = Value::range(start.start, end.end);
        if (Label* label = found.add(whole, confidence)) {
          add_days(*label, whole);
          label->add(", whole days");
          if (!note.empty()) label->add(note);
        }
      }
    }
    if (found.empty() && !backwards.empty()) return MatchResult::reject(std::move(backwards));
    return decided(found, reason);
  };
  // Ends of one reading each, the most common ("monday to friday", "july
  // 13-15"), read as day_readings() reads them, without its records of
  // other readings.
  // A month alone ("from march to may") is read here too: it is a whole
  // month to the core, and no end of a clock interval.
  const auto one_end = [&](std::span<const Piece> end) {
    std::optional<EndReading> r =
        single_day(end, day_ctx.today(), day_ctx.core.tod, day_ctx.opts.date_order);
    return r ? r : lone_month(end, day_ctx.today());
  };
  const std::optional<EndReading> one_a = one_end(a);
  const std::optional<EndReading> one_b = one_a ? one_end(b) : std::nullopt;
  if (one_a && one_b) {
    std::string no_reason;
    return pair_up(std::span<const EndReading>(&*one_a, 1), std::span<const EndReading>(&*one_b, 1),
                   no_reason);
  }
  Ends first = one_a ? Ends() : day_readings(a, day_ctx);
  if (one_a) first.readings.push_back(*one_a);
  Ends last = day_readings(b, day_ctx);
  if (!first.reject.empty()) return MatchResult::reject(std::move(first.reject));
  if (!last.reject.empty()) return MatchResult::reject(std::move(last.reject));
  if (first.readings.empty() || last.readings.empty()) return MatchResult::no_match();

  return pair_up(first.readings, last.readings, !first.reason.empty() ? first.reason : last.reason);
}

// <day> to|-|through <day>, with "13-15 july" and "july 13-15" taking the
// month of the other end. Days run from 00:00:00 of the first to 23:59:59
// of the last. The caller has found that `b` writes no clock time.
MatchResult day_interval(std::span<const Piece> a, std::span<const Piece> b,
                         const EverydayCtx& ctx) {
  // Two numbers alone ("from 9 to 5") are read as no day, and neither is
  // completed: neither names a month.
  if (a.empty() || b.empty() || (small_number(a) && small_number(b)) || has_clock(a)) {
    return MatchResult::no_match();
  }
  // A day joined to a year alone ("3/14-2025") is a date mistyped, not a
  // span of two years' days.
  if (lone_year(a) != lone_year(b)) return MatchResult::no_match();
  // The end that writes only its day number takes the other end's month;
  // a year after the second day number is the whole interval's ("july 1-7
  // 2025").
  PieceBuffer completed_buffer;
  const bool a_bare = a.size() == 1 && is_day_number(a[0]);
  const bool b_bare =
      (b.size() == 1 || (b.size() == 2 && lone_year(b.subspan(1)) && !writes_year(a))) &&
      is_day_number(b[0]);
  if (a_bare && b_bare && b.size() == 2) return MatchResult::no_match();
  if (a_bare != b_bare) {
    const std::span<const Piece> full = a_bare ? b : a;
    std::size_t day = full.size();
    bool month = false;
    for (std::size_t i = 0; i < full.size(); ++i) {
      month = month || is_tok(full[i], Kind::Month);
      if (day == full.size() && is_day_number(full[i])) day = i;
    }
    if (!month || day == full.size()) return MatchResult::no_match();
    // Both ends of "july 1-7 2025" take the year: the first is not the
    // next july 1 moved back to it.
    const bool with_year = b_bare && b.size() == 2;
    // The bare end is the full end with its day number; with the year, the
    // first end is the full end and the year, made before it.
    const std::size_t n = full.size() + (with_year ? 1 : 0);
    const std::span<Piece> completed = completed_buffer.make(with_year ? 2 * n : n);
    std::copy(full.begin(), full.end(), completed.begin());
    if (with_year) {
      completed[n - 1] = b[1];
      std::copy(completed.begin(), completed.begin() + static_cast<std::ptrdiff_t>(n),
                completed.begin() + static_cast<std::ptrdiff_t>(n));
    }
    const std::span<Piece> bare = completed.last(n);
    bare[day] = a_bare ? a[0] : b[0];
    if (with_year) a = std::span<const Piece>(completed).first(n);
    (a_bare ? a : b) = std::span<const Piece>(bare);
  }
  // Numeric ends share one order of day and month: an end valid in only
  // one order ("8/15/2012") sets it for the other ("8/10/2012"). The
  // settings are copied only then.
  if (ctx.opts.date_order == DateOrder::Unset) {
    const auto order_a = only_order(a);
    const auto order_b = only_order(b);
    if (order_a.has_value() != order_b.has_value()) {
      FullOptions fixed = ctx.opts;
      fixed.date_order = order_a ? *order_a : *order_b;
      return days_between(a, b, ctx, fixed);
    }
  }
  return days_between(a, b, ctx, ctx.opts);
}

// Reads a clock time that ends the pieces ("tomorrow 3"): returns it and
// the index where it starts.
// Returns whether a clock time may begin at the piece: a number, a time, a
// word ("noon", "ten past six"), "half" or "quarter", or a shape. The day
// words ("tomorrow 3", "thursday 9:30", "june 15 at 5pm") begin none.
bool may_begin_clock(const Piece& p) {
  return p.is_shape || p.tok.is(Kind::Num) || p.tok.is(Kind::Time) || p.tok.is(Kind::Word) ||
         p.tok.is(Kind::Half) || p.tok.is(Kind::Unit);
}

std::optional<times::EndClock> clock_at_end(std::span<const Piece> p, std::size_t* at) {
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!may_begin_clock(p[i])) continue;
    std::size_t len = 0;
    if (auto c = times::clock_end(p, i, &len); c && i + len == p.size()) {
      *at = i;
      return c;
    }
  }
  return std::nullopt;
}

// The day a clock interval falls on: the one the pieces name, or today
// (tomorrow when the start has passed).
struct OnDay {
  Date day;
  float confidence = kInterval;
  bool named = true;  // the text names the day; else today or tomorrow
  bool passed = false;
};

using Days = Few<OnDay, 2>;

// Writes the label of the day: "today", "tomorrow", "2024-06-07".
void add_day(Label& out, const OnDay& d) {
  if (d.named) {
    out.add_date(d.day);
  } else if (d.passed) {
    out.add("tomorrow");
  } else {
    out.add("today");
  }
}

Days days_of(std::span<const Piece> day, TimeOfDay start, const EverydayCtx& ctx,
             std::string* reason) {
  Days out;
  if (day.empty()) {
    const bool passed = ctx.core.now.time.secs >= start.secs;
    const auto d = add_days(ctx.today(), passed ? 1 : 0);
    if (d) out.push_back(OnDay{*d, kInterval, false, passed});
    return out;
  }
  // A day of one reading is read as day_readings() would at the start's
  // time, which it keeps.
  if (const std::optional<EndReading> r =
          single_day(day, ctx.today(), start, ctx.opts.date_order)) {
    out.push_back(OnDay{r->value.start.date, r->confidence, true, false});
    return out;
  }
  EverydayCtx day_ctx{ctx.core, ctx.opts, ctx.text};
  day_ctx.core.tod = start;
  day_ctx.core.tod_explicit = true;
  Ends ends = day_readings(day, day_ctx);
  for (std::size_t i = 0; i < ends.readings.size(); ++i) {
    const EndReading& r = ends.readings[i];
    // A reading that kept the moment's own clock ("in 3 days") took no time.
    if (r.value.is_range() || r.value.start.time != start) {
      out = Days();  // the same record throughout: it is built in place
      return out;
    }
    out.push_back(OnDay{r.value.start.date, r.confidence, true, false});
  }
  *reason = std::move(ends.reason);
  return out;
}

// Returns whether a clock end is written as one: a plain number ("9" in
// "from 9 to 5") is a clock hour only after "from" or "between".
bool explicit_clock(const times::EndClock& c) {
  return !c.plain;
}

// Returns whether the last word of an end's text begins with a digit: "8"
// and "8:30" of "tonight 8-10", not "noon".
bool numeral_ends(std::string_view end_text) {
  const std::size_t space = end_text.rfind(' ');
  const std::string_view word =
      space == std::string_view::npos ? end_text : end_text.substr(space + 1);
  return !word.empty() && word.front() >= '0' && word.front() <= '9';
}

// <clock> to|-|and <clock> [<day>] | <day> [from|between] <clock> ...:
// clock times as given, on the day the text names or today.
[[gnu::flatten]] MatchResult clock_interval(const Split& s, std::span<const Piece> a,
                                            std::span<const Piece> b, std::span<const Piece> day,
                                            const EverydayCtx& ctx) {
  // The second clock begins the second end: one that opens with a day word
  // ("june 15 at 5pm") is a moment's.
  if (b.empty() || !may_begin_clock(b[0])) return MatchResult::no_match();
  std::size_t at = 0, len = 0;
  auto first = clock_at_end(a, &at);
  auto last = b.empty() ? std::nullopt : times::clock_end(b, 0, &len);
  // 0900-1700: four-digit clock times, told from numbers by a leading zero.
  if ((!first || !last) && a.size() == 1 && b.size() == 1 &&
      (s.first.starts_with('0') || s.second.starts_with('0'))) {
    first = times::four_digit_end(s.first);
    last = times::four_digit_end(s.second);
    at = 0;
    len = 1;
  }
  if (!first || !last) return MatchResult::no_match();
  // The day words: before "from", before the first clock or after the last.
  const std::span<const Piece> before_first = a.first(at);
  const std::span<const Piece> after_last = b.subspan(len);
  const int days_named = !day.empty() + !before_first.empty() + !after_last.empty();
  if (days_named > 1) return MatchResult::no_match();
  if (!before_first.empty()) day = before_first;
  if (!after_last.empty()) day = after_last;
  // A part of the day among the day words ("tonight 8-10", "tomorrow
  // morning 9-11") puts a start written without am/pm in its half, below.
  const std::optional<times::PartWords> part = times::part_words(day);
  if (part) day = part->at == 0 ? day.subspan(part->len) : day.first(part->at);
  // Two plain numbers are clock hours after "from" or "between", joined by
  // "until" or "till", on a named day ("tomorrow 9-5"), or when they run
  // from a morning hour to an afternoon one by the clock-hour rule: "9-5"
  // is the working day; "3-4" and "10-12" alone are not.
  if (!s.introduced && !s.until && day.empty() && !part && !explicit_clock(*first) &&
      !explicit_clock(*last) && !times::working_hours(*first, *last)) {
    return MatchResult::no_match();
  }

  float confidence = kInterval;
  TimeOfDay start = first->tod;
  TimeOfDay end = last->tod;
  // An end is fixed in its half of the day when it writes am/pm or a
  // 24-hour clock; a clock token ("8am") has taken its am/pm in.
  bool first_fixed = !first->free || times::meridiem_written(s.first);
  const bool last_fixed = !last->free || times::meridiem_written(s.second);
  // An am/pm written only on the end applies to the start when that keeps
  // the interval forward and shorter than 12 hours: "3-4pm", "5-8am",
  // "12-12:30pm"; "11-1pm" keeps 11 in the morning by the clock-hour rule.
  bool shared = false;
  if (!first_fixed && last_fixed) {
    const TimeOfDay same_half = TimeOfDay::hms(first->hour % 12 + (end.hour() >= 12 ? 12 : 0),
                                               start.minute(), start.secs % 60);
    if (same_half < end && end.secs - same_half.secs < 12 * 3600) {
      start = same_half;
      shared = true;
    }
  }
  // A part of the day puts a start written in numerals that no am/pm
  // reached in its half ("noon" keeps its hour); a free end then follows it
  // as it follows any fixed start ("tonight 11-1" runs to 01:00).
  if (part && !first_fixed && !shared && numeral_ends(s.first)) {
    start = TimeOfDay::hms(times::hour_in_part(first->hour, part->part), start.minute(),
                           start.secs % 60);
    first_fixed = true;
  }
  // A night's start in the small hours ("tonight 1-3") is on the next day.
  const bool small_hours = part &&
                           (part->part == DayPart::Tonight || part->part == DayPart::Night) &&
                           start.secs < times::kSmallHoursEnd * 3600;
  // A free end after a fixed start is its next occurrence: "11:30pm-12:30"
  // ends at 00:30, "7pm-9" at 21:00.
  if (first_fixed && !last_fixed) {
    const TimeOfDay early = TimeOfDay::hms(last->hour % 12, end.minute(), end.secs % 60);
    const int64_t ahead =
        (static_cast<int64_t>(early.secs) - start.secs + kSecondsPerDay) % kSecondsPerDay;
    if (ahead == 0 || ahead > kSecondsPerDay / 2) {
      end = TimeOfDay::hms(early.hour() + 12, early.minute(), early.secs % 60);
    } else {
      end = early;
    }
  }
  // Two clock times without am/pm, the second earlier on the clock ("from
  // 9:00 to 5:00"): the second is in the afternoon when that keeps the
  // interval forward and shorter than 12 hours, as a bare "5" would be.
  bool afternoon = false;
  if (!first_fixed && !last_fixed && end < start && end.hour() < 12) {
    const TimeOfDay later = TimeOfDay::hms(end.hour() + 12, end.minute(), end.secs % 60);
    if (start < later && later.secs - start.secs < 12 * 3600) {
      end = later;
      afternoon = true;
    }
  }
  if ((first->bare && !shared && !part) || last->bare || afternoon) confidence = kGuessed;
  // An end earlier on the clock falls on the next day. A night of up to 12
  // hours ("10pm-2am", "22:00-06:00") is plausible; a longer span over
  // midnight ("5pm-3pm") is more likely a slip than 22 hours.
  const bool next_day = end < start;
  const bool long_night = next_day && end.secs + kSecondsPerDay - start.secs > 12 * 3600;
  if (long_night) confidence = std::min(confidence, kGuessed);

  std::string reason;
  Days on;
  // The small hours of a night the text names ("tonight 1-3", "friday
  // night 12-2") are the next day's, and the label names that day's date.
  const bool into_next_day = small_hours && (part->today || part->yesterday || !day.empty());
  if (part && (part->today || part->yesterday) && day.empty()) {
    // "tonight", "this evening", "last night": today or yesterday, even once
    // the start has passed.
    const auto d = add_days(ctx.today(), part->yesterday ? -1 : 0);
    if (d) on.push_back(OnDay{*d, kInterval, part->yesterday, false});
  } else {
    on = days_of(day, start, ctx, &reason);
  }
  Found found;
  for (std::size_t i = 0; i < on.size(); ++i) {
    OnDay d = on[i];
    if (into_next_day) {
      const auto next = add_days(d.day, 1);
      if (!next) continue;
      d = OnDay{*next, d.confidence};
    }
    const auto end_day = add_days(d.day, next_day ? 1 : 0);
    if (!end_day) continue;
    Label* label = found.add(Value::range(DateTime{d.day, start}, DateTime{*end_day, end}),
                             std::min(confidence, d.confidence));
    if (label == nullptr) continue;
    add_day(*label, d);
    label->add(", ");
    label->add_clock(start);
    label->add(" to ");
    label->add_clock(end);
    if (next_day) label->add(" the next day");
    if (long_night) label->add(" (the end moves to the next day: it would come before the start)");
    if (part) {
      label->add(" (");
      label->add(part->yesterday ? "last night" : kDayPartNames[static_cast<int>(part->part)]);
      label->add(into_next_day ? ", into the next day)" : ")");
    }
    if (d.passed) label->add(" (that time has already passed today)");
  }
  return decided(found, reason);
}

// One end that names a day and a clock time on it: "monday 9am", "9am
// monday", "june 3 at 9am", "jun 5 17:00".
struct Moment {
  std::span<const Piece> day;
  times::EndClock clock;
};

std::optional<Moment> moment_of(std::span<const Piece> p) {
  std::size_t at = 0, len = 0;
  if (auto c = clock_at_end(p, &at); c && at > 0 && explicit_clock(*c)) {
    return Moment{p.first(at), *c};
  }
  if (auto c = times::clock_end(p, 0, &len); c && len < p.size() && explicit_clock(*c)) {
    return Moment{p.subspan(len), *c};
  }
  return std::nullopt;
}

void append_moment(std::string& out, DateTime t) {
  append_date(out, t.date);
  out += ' ';
  times::append_clock(out, t.time);
}

// Returns whether the pieces are one ISO date-time without a zone:
// "2025-01-01T09:00".
bool lone_date_time(std::span<const Piece> p) {
  return p.size() == 1 && p[0].is_shape && p[0].shape.kind == Shape::Kind::DateTime &&
         p[0].shape.zone.empty();
}

// The moment an ISO date-time shape writes, or none for a day or time that
// does not exist.
std::optional<DateTime> moment_written(const Shape& s) {
  const auto day = Date::from_ymd(s.parts[0], s.parts[1], s.parts[2]);
  if (!day || s.hour > 23 || s.minute > 59 || s.second > 59) return std::nullopt;
  return DateTime{*day, TimeOfDay::hms(s.hour, s.minute, s.second)};
}

// <date-time> to|-|..|/ <date-time> | <date-time> to|- <clock>: ISO
// date-times as given ("2025-01-01T09:00 to 2025-01-02T17:00"); a clock
// time alone ends on the start's day, or the next when it comes earlier on
// the clock, with the note of a long night past 12 hours.
MatchResult date_time_interval(std::span<const Piece> a, std::span<const Piece> b) {
  const std::optional<DateTime> start = moment_written(a[0].shape);
  if (!start) return MatchResult::no_match();
  DateTime end;
  float confidence = kInterval;
  std::string_view note;
  if (lone_date_time(b)) {
    const std::optional<DateTime> last = moment_written(b[0].shape);
    if (!last) return MatchResult::no_match();
    end = *last;
    if (end < *start) {
      std::string backwards = "the interval would end at ";
      append_moment(backwards, end);
      backwards += ", before its start at ";
      append_moment(backwards, *start);
      return MatchResult::reject(std::move(backwards));
    }
  } else {
    std::size_t len = 0;
    const auto clock = times::clock_end(b, 0, &len);
    if (!clock || len != b.size() || !explicit_clock(*clock)) return MatchResult::no_match();
    end = DateTime{start->date, clock->tod};
    if (end < *start) {
      const auto after = add_days(start->date, 1);
      if (!after) return MatchResult::no_match();
      end.date = *after;
      if (end.time.secs + kSecondsPerDay - start->time.secs > 12 * 3600) {
        confidence = kGuessed;
        note = " (the end moves to the next day: it would come before the start)";
      }
    }
  }
  std::string label;
  append_moment(label, *start);
  label += " to ";
  append_moment(label, end);
  label += note;
  return MatchResult::single(std::move(label), Value::range(*start, end), confidence);
}

// <day> <clock> to|-|until <day> <clock>, either end's clock before or
// after its day: from the first moment to the second. An end before its
// start moves on as a day end does (a weekday a week, a day number a
// month, a date a year).
MatchResult moment_interval(std::span<const Piece> a, std::span<const Piece> b,
                            const EverydayCtx& ctx) {
  if (lone_date_time(a)) return date_time_interval(a, b);
  const auto first = moment_of(a);
  const auto last = first ? moment_of(b) : std::nullopt;
  if (!last || has_clock(first->day) || has_clock(last->day)) return MatchResult::no_match();
  std::string reason, last_reason;
  const Days starts = days_of(first->day, first->clock.tod, ctx, &reason);
  const Days ends = days_of(last->day, last->clock.tod, ctx, &last_reason);
  if (reason.empty()) reason = std::move(last_reason);
  const Step step = step_of(last->day);
  const float clock_confidence = first->clock.bare || last->clock.bare ? kGuessed : kInterval;
  Found found;
  std::string backwards;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    for (std::size_t j = 0; j < ends.size(); ++j) {
      const OnDay& s = starts[i];
      const OnDay& e = ends[j];
      const DateTime start{s.day, first->clock.tod};
      DateTime end{e.day, last->clock.tod};
      float confidence = std::min({s.confidence, e.confidence, clock_confidence});
      std::string_view note;
      if (end < start) {
        std::optional<Value> on;
        for (int64_t k = 1; k <= moves_allowed(step); ++k) {
          on = moved_on(Value::days(e.day, e.day), step, k);
          if (on && DateTime{on->start.date, end.time} >= start) break;
          on.reset();
        }
        if (!on) {
          backwards = "the interval would end at ";
          append_moment(backwards, end);
          backwards += ", before its start at ";
          append_moment(backwards, start);
          continue;
        }
        end.date = on->start.date;
        confidence = std::min(confidence, kGuessed);
        note = moved_note(step);
      }
      if (Label* label = found.add(Value::range(start, end), confidence)) {
        label->add_date(start.date);
        label->add(" ");
        label->add_clock(start.time);
        label->add(" to ");
        label->add_date(end.date);
        label->add(" ");
        label->add_clock(end.time);
        if (!note.empty()) label->add(note);
      }
    }
  }
  if (found.empty() && !backwards.empty()) return MatchResult::reject(std::move(backwards));
  return decided(found, reason);
}

// Returns whether the pieces are the word "now".
bool is_now(std::span<const Piece> p) {
  return p.size() == 1 && !p[0].is_shape && p[0].tok.is_kw(Keyword::Now);
}

// now to|-|until <end>: the open end "until <end>", which starts now.
MatchResult from_now(std::span<const Piece> b, const EverydayCtx& ctx) {
  // A few pieces, on the stack.
  PieceBuffer buffer;
  const std::span<Piece> until = buffer.make(b.size() + 1);
  until[0] = Piece{false, Tok::word(kUntilWords[0]), {}};
  std::copy(b.begin(), b.end(), until.begin() + 1);
  return open_ends::try_match(until, ctx);
}

// <n> <unit> | a|an <unit> | <n><unit letters> | half an hour: the length
// of an interval, in seconds or in months.
struct Length {
  int64_t count = 0;
  Unit unit = Unit::Day;
};

// The letters glued to a length's count ("30min", "2h"), and their unit.
constexpr WordEntry<Unit> kGluedUnits[8] = {
    {"m", Unit::Minute}, {"min", Unit::Minute}, {"mins", Unit::Minute}, {"h", Unit::Hour},
    {"hr", Unit::Hour},  {"hrs", Unit::Hour},   {"d", Unit::Day},       {"w", Unit::Week},
};

// <digits><unit letters> as one word: "30min", "2h".
std::optional<Length> glued_length(std::string_view w) {
  std::size_t i = 0;
  int64_t n = 0;
  while (i < w.size() && i < 6 && w[i] >= '0' && w[i] <= '9')
    n = n * 10 + (w[i++] - '0');
  if (i == 0 || i == w.size() || n < 1) return std::nullopt;
  char letters[4] = {};
  const std::string_view rest = w.substr(i);
  if (rest.size() > sizeof letters) return std::nullopt;
  for (std::size_t k = 0; k < rest.size(); ++k)
    letters[k] = static_cast<char>(rest[k] | 0x20);
  const auto u = find_word<Unit>(kGluedUnits, std::string_view(letters, rest.size()));
  if (!u) return std::nullopt;
  return Length{n, *u};
}

std::optional<Length> length_of(std::span<const Piece> p) {
  // 30min | 2h
  if (p.size() == 1) {
    const std::string_view w = p[0].is_shape             ? p[0].shape.text
                               : p[0].tok.is(Kind::Word) ? std::string_view(p[0].tok.text)
                                                         : std::string_view{};
    return glued_length(w);
  }
  // half a|an hour | half a day: counted in the next smaller unit
  if (p.size() >= 2 && p.size() <= 3 && !p[0].is_shape && p[0].tok.is(Kind::Half) &&
      !p.back().is_shape &&
      (p.size() == 2 || (!p[1].is_shape && p[1].tok.is(Kind::Num) && p[1].tok.value == 1))) {
    if (p.back().tok.is_unit(Unit::Hour)) return Length{30, Unit::Minute};
    if (p.back().tok.is_unit(Unit::Day)) return Length{12, Unit::Hour};
    return std::nullopt;
  }
  if (p.size() != 2 || p[0].is_shape || p[1].is_shape || !p[0].tok.is(Kind::Num) ||
      p[0].tok.value < 1 || !p[1].tok.is(Kind::Unit)) {
    return std::nullopt;
  }
  const Unit u = p[1].tok.unit_code();
  const UnitFacts& f = unit_facts(u);
  if (f.word.empty() || (f.seconds == 0 && f.months == 0)) return std::nullopt;
  return Length{p[0].tok.value, u};
}

// Appends "<n> <unit>", and an "s" for more than one.
void append_length(std::string& out, const Length& n) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n.count).ptr);
  out += ' ';
  out += unit_facts(n.unit).word;
  if (n.count != 1) out += 's';
}

// <clock> for <length> | <day> for <length> | now for <length>: a clock start runs for the
// exact length; a day start for whole days.
MatchResult with_length(std::span<const Piece> a, std::span<const Piece> len_pieces,
                        std::span<const Piece> day, const EverydayCtx& ctx) {
  const auto n = length_of(len_pieces);
  if (!n) return MatchResult::no_match();
  const UnitFacts& f = unit_facts(n->unit);
  // now for <length>: from this second on, for an exact length; a length
  // in months or years has no exact count of seconds and is no such end.
  if (day.empty() && is_now(a)) {
    int64_t secs = 0;
    if (f.seconds == 0 || __builtin_mul_overflow(n->count, f.seconds, &secs))
      return MatchResult::no_match();
    const auto end = add_seconds(ctx.core.now, secs);
    if (!end) return MatchResult::no_match();
    std::string text = "from now for ";
    append_length(text, *n);
    return MatchResult::single(std::move(text), Value::range(ctx.core.now, *end), kInterval);
  }
  std::size_t at = 0;
  if (auto c = clock_at_end(a, &at); c && explicit_clock(*c)) {
    if (f.seconds == 0) return MatchResult::no_match();
    if (!day.empty() && at != 0) return MatchResult::no_match();
    if (at != 0) day = a.first(at);
    int64_t secs = 0;
    if (__builtin_mul_overflow(n->count, f.seconds, &secs)) return MatchResult::no_match();
    std::string reason;
    Found found;
    const Days on = days_of(day, c->tod, ctx, &reason);
    for (std::size_t i = 0; i < on.size(); ++i) {
      const OnDay& d = on[i];
      const DateTime start{d.day, c->tod};
      const auto end = add_seconds(start, secs);
      if (!end) continue;
      const float confidence = std::min(d.confidence, c->bare ? kGuessed : kInterval);
      Label* label = found.add(Value::range(start, *end), confidence);
      if (label == nullptr) continue;
      add_day(*label, d);
      label->add(", ");
      label->add_clock(c->tod);
      label->add(" for ");
      label->add_length(n->count, n->unit);
      if (d.passed) label->add(" (that time has already passed today)");
    }
    return decided(found, reason);
  }
  // Whole days: "for 3 days starting monday", "monday for 2 weeks".
  if (!day.empty() || has_clock(a) || (f.months == 0 && f.seconds % kSecondsPerDay != 0))
    return MatchResult::no_match();
  EverydayCtx day_ctx{ctx.core, ctx.opts, ctx.text};
  day_ctx.core.tod = ctx.opts.core.default_time;
  day_ctx.core.tod_explicit = false;
  // The whole days from each reading of the start; `reason` is the
  // ambiguity's.
  const auto from_start = [&](const auto& readings, std::string& reason) -> MatchResult {
    Found found;
    for (std::size_t i = 0; i < readings.size(); ++i) {
      const EndReading& s = readings[i];
      if (s.value.is_range() || s.value.start.time != day_ctx.core.tod)
        return MatchResult::no_match();
      const Date d = s.value.start.date;
      const auto after_end = f.months != 0 ? add_months_checked(d, n->count * f.months)
                                           : add_days(d, n->count * (f.seconds / kSecondsPerDay));
      const auto last = after_end ? add_days(*after_end, -1) : std::nullopt;
      if (!last) continue;
      const Value whole = Value::days(d, *last);
      if (Label* label = found.add(whole, std::min(s.confidence, kInterval))) {
        label->add_length(n->count, n->unit);
        label->add(" from ");
        add_days(*label, whole);
        label->add(", whole days");
      }
    }
    return decided(found, reason);
  };
  // A start of one reading, the most common, without the records of others.
  if (const std::optional<EndReading> one =
          single_day(a, day_ctx.today(), day_ctx.core.tod, day_ctx.opts.date_order)) {
    std::string no_reason;
    return from_start(std::span<const EndReading>(&*one, 1), no_reason);
  }
  Ends first = day_readings(a, day_ctx);
  if (!first.reject.empty()) return MatchResult::reject(std::move(first.reject));
  return from_start(first.readings, first.reason);
}

}  // namespace

bool may_join(std::string_view text) {
  // A hyphen after the first character, an en or em dash (E2 80 93, E2 80
  // 94) or the word "for": byte searches, as every text the core reads
  // pays for them.
  if (text.find('-', 1) != std::string_view::npos) return true;
  for (std::size_t i = text.find('\xE2'); i != std::string_view::npos;
       i = text.find('\xE2', i + 1)) {
    if (text.substr(i, 3) == kDashes[1] || text.substr(i, 3) == kDashes[2]) return true;
  }
  return text.find(" for ") != std::string_view::npos;
}

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Returns whether one hyphen inside a word joins two clock times or day
// numbers: a digit after it, and before it a number of one or two digits
// or am/pm ("13-15", "3:30-4:30pm", "10pm-2am"; not "2014-10", "GMT-5",
// "3-14-2025").
bool hyphen_joins(std::string_view w) {
  const std::size_t at = byte_at(w, '-');
  if (at == 0 || at == std::string_view::npos || at + 1 == w.size()) return false;
  if (!is_digit(w[at + 1]) || byte_at(w, '-', at + 1) != std::string_view::npos) return false;
  if (is_digit(w[at - 1])) return at < 3 || !is_digit(w[at - 3]);
  return at >= 3 && (w[at - 1] | 0x20) == 'm' &&
         ((w[at - 2] | 0x20) == 'a' || (w[at - 2] | 0x20) == 'p') && is_digit(w[at - 3]);
}

// Returns whether one hyphen inside a word joins two words: "mon-wed",
// "aug-nov".
bool letters_join(std::string_view w) {
  const std::size_t at = byte_at(w, '-');
  if (at == 0 || at == std::string_view::npos || at + 1 == w.size()) return false;
  const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
  return letter(w[at - 1]) && letter(w[at + 1]) &&
         byte_at(w, '-', at + 1) == std::string_view::npos;
}

}  // namespace

// The bytes that start a mark or "for", one bit each: a hyphen, a dot, the
// first byte of an en or em dash, and f.
constexpr uint8_t kBitHyphen = 1, kBitDot = 2, kBitE2 = 4, kBitF = 8;
constexpr std::array<uint8_t, 256> kMarkBits = [] {
  std::array<uint8_t, 256> t{};
  t['-'] = kBitHyphen;
  t['.'] = kBitDot;
  t[0xE2] = kBitE2;
  t['f'] = kBitF;
  return t;
}();

namespace {

// Returns whether the text joins two ends by a mark, a dash between
// numbers or clock times (or, with `letters`, between words: "mon-wed"),
// or names a length with "for"; the tokens drop all of these.
// Returns the bits of kMarkBits that the text's bytes hold: one branchless
// pass, as most texts have none of them.
uint8_t mark_bits(std::string_view text) {
  uint8_t seen = 0;
  for (const char c : text)
    seen |= kMarkBits[static_cast<unsigned char>(c)];
  return seen;
}

// `seen` holds the text's mark_bits.
bool marks_join(std::string_view text, bool letters, uint8_t seen) {
  // The marks, and "for", which the tokens drop.
  if (seen == 0) return false;
  if (seen & kBitE2) {
    for (std::size_t at = text.find('\xE2'); at != std::string_view::npos;
         at = text.find('\xE2', at + 1)) {
      const std::string_view three = text.substr(at, 3);
      if (three == kDashes[1] || three == kDashes[2]) return true;
    }
  }
  if ((seen & kBitDot) && text.find(kDashes[0]) != std::string_view::npos) return true;
  const auto word_at = [text](std::size_t at) {
    std::size_t i = at, j = at;
    while (i > 0 && !is_space(text[i - 1]))
      --i;
    while (j < text.size() && !is_space(text[j]))
      ++j;
    return text.substr(i, j - i);
  };
  for (std::size_t at = seen & kBitHyphen ? byte_at(text, '-') : std::string_view::npos;
       at != std::string_view::npos; at = byte_at(text, '-', at + 1)) {
    const std::string_view w = word_at(at);
    if (w == "-" || hyphen_joins(w) || (letters && letters_join(w))) return true;
  }
  // "for" as bytes, the "f" first: a short text costs less so than by a
  // library search.
  const auto for_from = [text](std::size_t from) {
    for (std::size_t at = byte_at(text, 'f', from); at != std::string_view::npos;
         at = byte_at(text, 'f', at + 1)) {
      if (text.size() - at >= 3 && text[at + 1] == 'o' && text[at + 2] == 'r') return at;
    }
    return std::string_view::npos;
  };
  for (std::size_t at = seen & kBitF ? for_from(0) : std::string_view::npos;
       at != std::string_view::npos; at = for_from(at + 1)) {
    if (word_at(at).size() == 3) return true;
  }
  return false;
}

}  // namespace

bool joins_ends(std::span<const Piece> pieces, std::string_view text) {
  // "from" and "between" among the tokens; else two ends are two numbers,
  // clock times, months, weekdays or shapes ("july 13-15", "3-4pm"), or a
  // length names its unit ("4pm for 30 mins"). Most texts that reach here
  // name one clock time and stop at this.
  std::size_t ends = 0;
  bool unit = false;
  for (const Piece& p : pieces) {
    if (p.is_shape) {
      ++ends;
      continue;
    }
    const Tok& t = p.tok;
    if (t.is_kw(Keyword::From) || (t.is(Kind::Word) && one_of(t.text, kBetween))) return true;
    ends += t.is(Kind::Num) || t.is(Kind::Ordinal) || t.is(Kind::Time) || t.is(Kind::Month) ||
            t.is(Kind::Weekday);
    unit = unit || t.is(Kind::Unit);
  }
  if (ends < 2 && !unit) return false;
  return marks_join(text, false, mark_bits(text));
}

bool joins_by_word(std::span<const Piece> pieces) {
  const std::size_t n = pieces.size();
  if (n < 2) return false;
  // The open ends read "<day> to now", "2020 to present", "june to date"
  // (a text that ends with now or a plain word) whole.
  const Piece& last = pieces[n - 1];
  if (!last.is_shape && (last.tok.is_kw(Keyword::Now) || last.tok.is(Kind::Word))) return false;
  const Piece& first = pieces[0];
  for (std::size_t i = 1; i < n; ++i) {
    const Piece& p = pieces[i];
    if (!p.is_shape && p.tok.is(Kind::Word) &&
        (role_of(p.tok.text) & (kJoin | kUntil | kAndRole))) {
      // A spelled count or a quarter before an hour ("ten to six", "twenty
      // five til noon", "a quarter to five") may be the times family's
      // clock time: it keeps its turn.
      const auto count = [](const Piece& q) {
        return !q.is_shape &&
               (q.tok.is(Kind::Num) || q.tok.is(Kind::Word) || q.tok.is_unit(Unit::Quarter));
      };
      if (i + 2 == n && i <= 2 && count(pieces[i - 1]) && count(first)) return false;
      // "starting <day> until <day>" is an open end's.
      return first.is_shape || !first.tok.is(Kind::Word) || !(role_of(first.tok.text) & kStart);
    }
  }
  return false;
}

bool joins_by_mark(std::span<const Piece> pieces, std::string_view text) {
  const std::size_t n = pieces.size();
  if (n < 2) return false;
  const Piece& first = pieces[0];
  const Piece& last = pieces[n - 1];
  if (!last.is_shape && (last.tok.is_kw(Keyword::Now) || last.tok.is(Kind::Word))) return false;
  // Only ends, "from" before them, and today, tomorrow or yesterday: the
  // other families read a text without its marks ("next week - friday", "a
  // week from christmas for 2 days"), and a keyword or a leading word may
  // begin one of their forms ("by 15th - june"). The pieces tell most
  // texts apart before their bytes are read.
  bool dated = false;       // a month or a shape after the first piece
  bool named_pair = false;  // a weekday or month right after another
  for (std::size_t i = 0; i < n; ++i) {
    const Piece& p = pieces[i];
    if (p.is_shape) {
      dated = dated || i > 0;
      continue;
    }
    const Tok& t = p.tok;
    if (t.is(Kind::Word) && i == 0) return false;
    if (t.is(Kind::Kw) && !(i == 0 && t.is_kw(Keyword::From)) && !t.is_kw(Keyword::Today) &&
        !t.is_kw(Keyword::Tomorrow) && !t.is_kw(Keyword::Yesterday)) {
      return false;
    }
    dated = dated || (i > 0 && t.is(Kind::Month));
    named_pair = named_pair ||
                 (i > 0 && (t.is(Kind::Weekday) || t.is(Kind::Month)) &&
                  (is_tok(pieces[i - 1], Kind::Weekday) || is_tok(pieces[i - 1], Kind::Month)));
  }
  // A weekday before a date across a mark is the date's ("friday - july
  // 13"), which the dates read before.
  if (is_tok(first, Kind::Weekday) && dated) return false;
  // Most texts have none of the bytes of a mark or of "for".
  const uint8_t seen = mark_bits(text);
  if (seen == 0) return false;
  // A hyphen between words joins two names ("mon-wed", "aug-nov"); else it
  // makes one word of two ("twenty-first").
  return marks_join(text, named_pair, seen);
}

namespace {

// The words that lead or join the ends, and the tokens each stands for
// among the pieces: "from" a keyword, "to" a word, "for" and a dash none.
constexpr std::string_view kLinkWords[] = {
    "from", "between", "starting", "beginning", "to",     "through", "thru", "until", "till",
    "and",  "for",     "-",        "..",        "\u2013", "\u2014",  "til",  "'til",  "\u2019til",
};
static_assert(kLinkWords[4] == "to" && kLinkWords[11] == "-" && kLinkWords[12] == "..");

// The indexes in kLinkWords of the words of each length, in order, and
// kNoLink after them.
constexpr uint8_t kNoLink = 0xFF;
constexpr auto kLinksBySize = [] {
  std::array<std::array<uint8_t, 6>, 10> out{};
  for (auto& row : out)
    row.fill(kNoLink);
  for (std::size_t i = 0; i < std::size(kLinkWords); ++i) {
    auto& row = out[kLinkWords[i].size()];
    std::size_t k = 0;
    while (row[k] != kNoLink)
      ++k;
    row[k] = static_cast<uint8_t>(i);
  }
  return out;
}();

[[gnu::always_inline]] inline std::optional<std::span<const Tok>> link_tokens(
    std::string_view word) {
  static const std::array<Tokens, std::size(kLinkWords)> kTokens = [] {
    std::array<Tokens, std::size(kLinkWords)> out;
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = tokenize(kLinkWords[i], {}, EN);
    return out;
  }();
  // A hyphen, "to" and two dots, the most common, at once; else only the
  // words of the same length are compared.
  if (word.size() == 1) {
    if (word[0] == '-') return std::span<const Tok>(kTokens[11]);
    return std::nullopt;
  }
  if (word.size() == 2) {
    if (word == kLinkWords[12]) return std::span<const Tok>(kTokens[12]);
    if (same_word_any_case(word, kLinkWords[4])) return std::span<const Tok>(kTokens[4]);
    return std::nullopt;
  }
  // Else only the words of the same length and first letter (every link
  // word begins with a byte that has the 0x20 bit, as lower case does).
  if (word.empty() || word.size() >= kLinksBySize.size()) return std::nullopt;
  const auto c = static_cast<char>(word[0] | 0x20);
  for (const uint8_t i : kLinksBySize[word.size()]) {
    if (i == kNoLink) break;
    if (kLinkWords[i][0] == c && same_word_any_case(word, kLinkWords[i]))
      return std::span<const Tok>(kTokens[i]);
  }
  return std::nullopt;
}

[[gnu::always_inline]] inline bool same_piece(const Piece& x, const Piece& y) {
  if (x.is_shape != y.is_shape) return false;
  if (!x.is_shape) return x.tok == y.tok;
  return x.shape.kind == y.shape.kind && x.shape.text == y.shape.text;
}

// Takes the pieces that stand for `want` from the front of `from`; false
// when they are not there.
[[gnu::always_inline]] inline bool take(std::span<const Piece>& from, std::span<const Piece> want) {
  if (from.size() < want.size()) return false;
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (!same_piece(from[i], want[i])) return false;
  }
  from = from.subspan(want.size());
  return true;
}

[[gnu::always_inline]] inline bool take(std::span<const Piece>& from, std::span<const Tok> want) {
  if (from.size() < want.size()) return false;
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (from[i].is_shape || !(from[i].tok == want[i])) return false;
  }
  from = from.subspan(want.size());
  return true;
}

// Takes the tokens of the link word between two parts of the text (none,
// "from", "to", a dash) from the front of `from`.
[[gnu::always_inline]] inline bool take_link(std::span<const Piece>& from, std::string_view text,
                                             std::string_view left, std::string_view right) {
  const auto gap_begin = left.empty()
                             ? std::size_t{0}
                             : static_cast<std::size_t>(left.data() + left.size() - text.data());
  const auto gap_end = static_cast<std::size_t>(right.data() - text.data());
  const std::string_view gap = trimmed(text.substr(gap_begin, gap_end - gap_begin));
  if (gap.empty()) return true;
  const auto toks = link_tokens(gap);
  return toks && take(from, *toks);
}

// What joins the two ends as written ("-", " to ", " - "), trimmed, and
// the tokens it stands for among the pieces; read once for the ways of
// finding the ends that ask for it. None when the second end comes first.
struct Joint {
  std::string_view raw, gap;
  std::optional<std::span<const Tok>> link;
};

[[gnu::flatten]] std::optional<Joint> joint_of(const Split& s, std::string_view text) {
  if (s.second.data() < s.first.data()) return std::nullopt;
  const auto gap_begin = static_cast<std::size_t>(s.first.data() + s.first.size() - text.data());
  const auto gap_end = static_cast<std::size_t>(s.second.data() - text.data());
  Joint j;
  j.raw = text.substr(gap_begin, gap_end - gap_begin);
  // The words around the join end at white space, and a mark lies inside
  // a word: what split found is the joint without its white space.
  j.gap = s.gap;
  j.link = link_tokens(j.gap);
  return j;
}

// Returns the pieces of the second end as the driver read the whole text,
// or none when they may differ from a reading of the end alone: the pieces
// in front of it must be the day words', the lead word's, the first end's
// and the join's, as read alone, and the end must hold no anchor (the
// driver's tokens name the caller's anchors; an end read alone does not).
// A length that comes first ("for 3 days starting monday") is read alone.
std::optional<std::span<const Piece>> second_end(std::span<const Piece> pieces, const Split& s,
                                                 std::span<const Piece> day,
                                                 std::span<const Piece> a, std::string_view text) {
  if (s.second.data() < s.first.data()) return std::nullopt;
  std::span<const Piece> rest = pieces;
  if (!take(rest, day) || !take_link(rest, text, s.day, s.first) || !take(rest, a) ||
      !take_link(rest, text, s.first, s.second) || rest.empty()) {
    return std::nullopt;
  }
  for (const Piece& p : rest) {
    if (!p.is_shape && p.tok.is(Kind::Anchor)) return std::nullopt;
  }
  return rest;
}

// Returns whether `word` (lower case) occurs in the text exactly once, in
// any case and inside other words too; false for a text with bytes beyond
// ASCII, whose lower case the tokenizer works out differently.
bool occurs_once(std::string_view text, std::string_view word) {
  std::size_t n = 0;
  // Whether the word begins at `at`, where its first letter stands.
  const auto begins_at = [&](std::size_t at) {
    return at + word.size() <= text.size() &&
           same_word_any_case(std::string_view(text.data() + at, word.size()), word);
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: a byte beyond ASCII ends the question, and only
  // the places of the first letter, in either case, are compared.
  const __m128i lower = _mm_set1_epi8(0x20);
  const __m128i first = _mm_set1_epi8(word[0]);
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    if (_mm_movemask_epi8(x) != 0) return false;
    auto hits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(x, lower), first)));
    for (; hits != 0; hits &= hits - 1) {
      if (begins_at(i + static_cast<std::size_t>(__builtin_ctz(hits))) && ++n > 1) return false;
    }
  }
#endif
  unsigned char bytes = 0;  // every byte's bits: 0x80 when one is beyond ASCII
  for (; i < text.size(); ++i) {
    const char c = text[i];
    bytes |= static_cast<unsigned char>(c);
    // The first letter in either case, before the whole word.
    if ((c | 0x20) == word[0] && begins_at(i) && ++n > 1) return false;
  }
  return n == 1 && bytes < 0x80;
}
// The two ends as the driver's pieces hold them.
struct EndPieces {
  std::span<const Piece> first, second;
  std::span<const Piece> day = {};  // the day words before "from" or "between"
};

// Finds both ends among the driver's pieces when a word joins them
// ("monday to friday", "from 9 to 5", "3pm until 5pm"), without reading
// either again: the join word is one word token, and when the text holds
// it only once, the pieces before its token are the first end's (after
// the lead word's) and those after it the second's. None when the text
// has day words before the lead, or a join that is no word token.
[[gnu::flatten]] std::optional<EndPieces> ends_at_word(std::span<const Piece> pieces,
                                                       const Split& s, const Joint& joint,
                                                       std::string_view text) {
  if (!s.day.empty() || s.join != Join::Ends) return std::nullopt;
  const auto& join = joint.link;
  if (!join || join->size() != 1 || !(*join)[0].is(Kind::Word)) return std::nullopt;
  if (!occurs_once(text, (*join)[0].text)) return std::nullopt;
  std::span<const Piece> rest = pieces;
  if (!take_link(rest, text, {}, s.first)) return std::nullopt;
  std::size_t at = rest.size();
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const Piece& p = rest[i];
    if (p.is_shape) continue;
    if (p.tok.is(Kind::Anchor)) return std::nullopt;
    if (p.tok == (*join)[0]) at = i;
  }
  if (at == 0 || at + 1 >= rest.size()) return std::nullopt;
  return EndPieces{rest.first(at), rest.subspan(at + 1)};
}

// Returns whether a token is the number token `v` (Tok::num(v)), without
// making one.
[[gnu::always_inline]] inline bool is_number(const Tok& t, int64_t v) {
  return t.is(Kind::Num) && t.value == v && t.minute == 0 && t.text.empty();
}

// Returns the number a word of one to nine digits names: the tokenizer
// reads such a word as that number, and it opens no shape.
[[gnu::always_inline]] inline std::optional<int64_t> digits_only(std::string_view w) {
  if (w.empty() || w.size() > 9) return std::nullopt;
  int64_t v = 0;
  for (const char c : w) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

// What the tokenizer makes of one word of letters, digits and colons,
// which it does not split: a word with a digit that is not a number
// ("10pm", "4:30pm", "15th") is exactly one token, which never joins a
// token beside it; a word of letters is none, one or three.
enum class Plain : uint8_t { None, Letters, OneToken };

// The bytes of such words, one bit each: a digit, a letter, and any byte
// but these and the colon, which counts as both a digit and a letter.
constexpr uint8_t kPlainDigit = 1, kPlainLetter = 2, kPlainOther = 4;
constexpr std::array<uint8_t, 256> kPlainBits = [] {
  std::array<uint8_t, 256> bits{};
  bits.fill(kPlainOther);
  for (int c = '0'; c <= '9'; ++c)
    bits[c] = kPlainDigit;
  for (int c = 'a'; c <= 'z'; ++c)
    bits[c] = bits[c - 'a' + 'A'] = kPlainLetter;
  bits[':'] = kPlainDigit | kPlainLetter;
  return bits;
}();

[[gnu::always_inline]] inline Plain plain_word(std::string_view w) {
  if (w.empty()) return Plain::None;
  uint8_t seen = 0;
  for (const char c : w)
    seen |= kPlainBits[static_cast<unsigned char>(c)];
  if (seen & kPlainOther) return Plain::None;
  if (!(seen & kPlainDigit)) return Plain::Letters;
  return seen & kPlainLetter ? Plain::OneToken : Plain::None;
}

// Returns whether a part of the text holds a numeric shape: none without a
// digit, and of the parts of digits only ("3", "2025") only a compact date
// of eight.
bool shaped(std::string_view part) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (std::all_of(part.begin(), part.end(), digit)) return part.size() == 8;
  return std::any_of(part.begin(), part.end(), digit) && has_shape(part);
}

// Returns whether a part of the text holds a numeric shape, as `shaped`
// does, for a part that plain_word() found to be `kind`: a word of letters
// has no digit, and of the words of digits, letters and colons only a
// clock with seconds or a zone ("17:00:30", "17:00Z") is a shape, which
// writes more after the two digits of its minutes. "3:30", "10pm" and
// "15th" are none, and need not be read as shapes to tell.
bool shaped_as(std::string_view part, Plain kind) {
  if (kind == Plain::Letters) return false;
  if (kind == Plain::OneToken) {
    std::size_t lead = 0;
    while (lead < part.size() && lead < 3 && part[lead] >= '0' && part[lead] <= '9')
      ++lead;
    if (lead == 0 || lead > 2 || part[lead] != ':' || part.size() <= lead + 3) return false;
  }
  return shaped(part);
}

// Returns the one token the tokenizer makes of a word of letters that
// names a weekday, a month or a keyword other than "business": such a
// token never joins the tokens beside it. None for any other word.
std::optional<Tok> lone_token(std::string_view word) {
  char lower[16];
  if (word.empty() || word.size() > sizeof lower) return std::nullopt;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = static_cast<char>(word[i] | 0x20);
    if (c < 'a' || c > 'z') return std::nullopt;
    lower[i] = c;
  }
  const Lexeme* e = find_lexeme(EN, std::string_view(lower, word.size()));
  if (e == nullptr) return std::nullopt;
  switch (e->rule) {
    case Lexeme::Rule::Weekday:
      return Tok::weekday(static_cast<uint8_t>(e->value));
    case Lexeme::Rule::Month:
      return Tok::month(static_cast<uint32_t>(e->value));
    case Lexeme::Rule::Keyword:
      if (static_cast<Keyword>(e->value) == Keyword::Business) return std::nullopt;
      return Tok::kw(static_cast<Keyword>(e->value));
    default:
      return std::nullopt;
  }
}

// Returns whether the piece is the token.
[[gnu::always_inline]] inline bool is_token(const Piece& p, const std::optional<Tok>& t) {
  return t && !p.is_shape && p.tok == *t;
}

// Reads a part of the text alone as the driver's pieces would hold it, and
// takes those pieces from the front of `from`: a shape alone ("8/10/2012")
// is the same shape in the whole text, a number alone its own token, and
// other words without shapes are what the tokenizer makes of them alone.
bool take_part(std::span<const Piece>& from, std::string_view part) {
  if (!from.empty() && from[0].is_shape && from[0].shape.text == part) {
    from = from.subspan(1);
    return true;
  }
  if (const auto n = digits_only(part)) {
    const std::array<Tok, 1> num = {Tok::num(*n)};
    return take(from, std::span<const Tok>(num));
  }
  if (const auto t = lone_token(part)) {
    if (from.empty() || !is_token(from[0], t)) return false;
    from = from.subspan(1);
    return true;
  }
  return !shaped(part) && take(from, std::span<const Tok>(tokenize(part, {}, EN)));
}

// Returns whether `from` holds the tokens `want` at `at`.
[[gnu::always_inline]] inline bool holds(std::span<const Piece> from, std::size_t at,
                                         std::span<const Tok> want) {
  if (at > from.size()) return false;
  std::span<const Piece> rest = from.subspan(at);
  return take(rest, want);
}

// Finds both ends, and the day words before "from" or "between", among the
// driver's pieces when `ends_at_word` does not ("july 13-15", "4pm for 30
// mins", "tomorrow from 7:00 to 8:00pm"), as `second_end` would after
// reading the day words and the first end alone: the pieces of the day
// words, the lead word, the first end and the join, each read alone, must
// begin the driver's pieces, and the rest is the second end. The first end
// is read alone only where the driver's pieces do not tell: where the
// tokenizer parts the ends (at a hyphen, two dots or a space), an end that
// is one word of one token, or a number alone, is that piece of the whole
// text. None for any other text, and for a text read with the caller's
// anchors, whose names may span the ends.
[[gnu::flatten]] std::optional<EndPieces> ends_at_join(std::span<const Piece> pieces,
                                                       const Split& s, const Joint& joint,
                                                       const EverydayCtx& ctx) {
  const std::string_view text = ctx.text;
  if (!ctx.core.anchors.empty() ||
      (ctx.core.opts.locale != nullptr && ctx.core.opts.locale != &EN)) {
    return std::nullopt;
  }
  std::span<const Piece> ends = pieces;
  if (!s.day.empty() && !take_part(ends, s.day)) return std::nullopt;
  const std::span<const Piece> day = pieces.first(pieces.size() - ends.size());
  if (!take_link(ends, text, s.day, s.first) || ends.size() < 2) return std::nullopt;
  const std::string_view raw_gap = joint.raw;
  const std::string_view gap = joint.gap;
  const auto& link = joint.link;
  if (!link) return std::nullopt;
  const std::size_t m = link->size();
  const bool parted =
      gap == "-" || gap == kDashes[0] ||
      (raw_gap.size() > gap.size() + 1 && is_space(raw_gap.front()) && is_space(raw_gap.back()));
  const std::size_t n = ends.size();
  const Piece& back = ends[n - 1];
  const Piece& front = ends[0];
  if (parted && !back.is_shape && n >= m + 2) {
    const auto last = digits_only(s.second);
    const Plain first_word = plain_word(s.first);
    const Plain second_word = plain_word(s.second);
    // Whether the first end alone holds a shape, read once when asked.
    int first_shaped = -1;
    const auto shaped_first = [&] {
      if (first_shaped < 0) first_shaped = shaped_as(s.first, first_word) ? 1 : 0;
      return first_shaped == 1;
    };
    // "mon-wed": two words, two tokens, one each.
    if (n == m + 2 && !front.is_shape && first_word != Plain::None && second_word != Plain::None &&
        !shaped_first() && holds(ends, 1, *link)) {
      return EndPieces{ends.first(1), ends.last(1), day};
    }
    // "july 13-15", "tomorrow 3-4pm", "monday 9am to friday": the last
    // word's token is the last.
    if (((last && *last != 1 && is_number(back.tok, *last)) || second_word == Plain::OneToken ||
         (second_word == Plain::Letters && is_token(back, lone_token(s.second)))) &&
        !shaped_first() && holds(ends, n - 1 - m, *link)) {
      return EndPieces{ends.first(n - 1 - m), ends.last(1), day};
    }
    // "aug 10 - nov 12", "july 1-7 2025": a month and a day number, or a
    // day number and a year, are the last two tokens.
    if (const std::size_t space = s.second.find(' ');
        second_word == Plain::None && n >= m + 3 && space != std::string_view::npos) {
      const auto number = digits_only(s.second.substr(space + 1));
      const auto head_token = [&] {
        const std::string_view head = s.second.substr(0, space);
        if (const auto head_number = digits_only(head))
          return *head_number != 1 && is_number(ends[n - 2].tok, *head_number);
        return is_token(ends[n - 2], lone_token(head));
      };
      if (number && *number != 1 && is_number(back.tok, *number) && head_token() &&
          !shaped_first() && holds(ends, n - 2 - m, *link)) {
        return EndPieces{ends.first(n - 2 - m), ends.last(2), day};
      }
    }
    // "10pm-2am", "4pm for 30 mins", "monday for 2 weeks": the first
    // word's token is the first.
    if (((first_word == Plain::OneToken && !front.is_shape && !shaped_first()) ||
         (first_word == Plain::Letters && is_token(front, lone_token(s.first)))) &&
        holds(ends, 1, *link)) {
      return EndPieces{ends.first(1), ends.subspan(1 + m), day};
    }
  }
  std::span<const Piece> rest = ends;
  if (!take_part(rest, s.first) || !take(rest, *link) || rest.empty()) return std::nullopt;
  return EndPieces{ends.first(n - rest.size() - m), rest, day};
}

// Finds both ends, and the day words, among the driver's pieces where split
// laid the parts out over the tokens of the text: the driver's pieces are
// those tokens (no shape, no anchor, the tokenizer's own words) and as many
// as the parts' words make, and none is the End keyword, so that each word
// made the tokens it makes alone and no two joined. The day words and the
// first end then hold the tokens they hold read alone, unless the part of
// a word the first end ends with is a shape alone ("2024-06-10" of
// "2024-06-10..2024-06-14" read as words), and the second end the tokens
// after the join's, as the pieces after the first end's always give it.
std::optional<EndPieces> ends_laid_out(std::span<const Piece> pieces, const Split& s,
                                       const EverydayCtx& ctx) {
  if (!s.laid_out || pieces.size() != s.tokens || !ctx.core.anchors.empty() ||
      (ctx.core.opts.locale != nullptr && ctx.core.opts.locale != &EN)) {
    return std::nullopt;
  }
  for (const Piece& p : pieces) {
    if (p.is_shape || p.tok.is_kw(Keyword::End)) return std::nullopt;
  }
  if (!s.cut.empty() && shaped_as(s.cut, plain_word(s.cut))) return std::nullopt;
  return EndPieces{pieces.subspan(s.first_at, s.first_tokens), pieces.subspan(s.second_at),
                   pieces.first(s.day_tokens)};
}

// Reads two ends joined as days, clock times, or a day and a clock time
// each. The answer is one record throughout, built in the caller's place:
// the first reading that is not no match.
MatchResult read_ends(const Split& s, std::span<const Piece> a, std::span<const Piece> b,
                      std::span<const Piece> day, const EverydayCtx& ctx) {
  // An end that writes a clock time is no day's: most clock ranges skip
  // the day interval's answer at once.
  const bool days = day.empty() && !has_clock(b);
  MatchResult m = days ? day_interval(a, b, ctx) : clock_interval(s, a, b, day, ctx);
  if (days && m.kind == MatchResult::Kind::NoMatch) m = clock_interval(s, a, b, day, ctx);
  if (day.empty() && m.kind == MatchResult::Kind::NoMatch) m = moment_interval(a, b, ctx);
  return m;
}

// Reads the interval whose ends (and day words) are the pieces given.
MatchResult read_interval(const Split& s, std::span<const Piece> a, std::span<const Piece> b,
                          std::span<const Piece> day, const EverydayCtx& ctx) {
  if (a.empty() || b.empty()) return MatchResult::no_match();
  if (s.join == Join::Length) return with_length(a, b, day, ctx);
  if (day.empty() && is_now(a)) return from_now(b, ctx);
  return read_ends(s, a, b, day, ctx);
}

// Reads the interval with the ends the driver's pieces do not tell apart:
// the first end and the day words read alone, and the second taken from
// the pieces after them when it can be, else read alone too.
MatchResult read_alone(std::span<const Piece> pieces, const Split& s, const EverydayCtx& ctx) {
  const Pieces a = scan(s.first);
  const Pieces day = s.day.empty() ? Pieces() : scan(s.day);
  if (const auto in_text = second_end(pieces, s, day, a, ctx.text))
    return read_interval(s, a, *in_text, day, ctx);
  return read_interval(s, a, scan(s.second), day, ctx);
}

// Finds both ends among the driver's pieces when the length comes first
// ("for 3 days starting monday"), as ends_at_join does when it comes last:
// the lead word's pieces begin the driver's pieces; the first end, when it
// is one word of one token, is the last piece, after the start word's;
// else the length, read alone, and the start word's pieces follow the lead
// word's, and the rest is the first end. None for any other text, and for
// a text read with the caller's anchors.
[[gnu::flatten]] std::optional<EndPieces> ends_after_length(std::span<const Piece> pieces,
                                                            const Split& s,
                                                            const EverydayCtx& ctx) {
  const std::string_view text = ctx.text;
  if (s.join != Join::Length || s.first.data() < s.second.data() || !ctx.core.anchors.empty() ||
      (ctx.core.opts.locale != nullptr && ctx.core.opts.locale != &EN)) {
    return std::nullopt;
  }
  std::span<const Piece> rest = pieces;
  if (!take_link(rest, text, {}, s.second)) return std::nullopt;
  const auto gap_begin = static_cast<std::size_t>(s.second.data() + s.second.size() - text.data());
  const auto gap_end = static_cast<std::size_t>(s.first.data() - text.data());
  const auto link = link_tokens(trimmed(text.substr(gap_begin, gap_end - gap_begin)));
  if (!link) return std::nullopt;
  const std::size_t m = link->size();
  const std::size_t n = rest.size();
  if (n >= m + 2 && !rest[n - 1].is_shape) {
    const Piece& back = rest[n - 1];
    const auto number = digits_only(s.first);
    const Plain word = plain_word(s.first);
    if (((number && *number != 1 && is_number(back.tok, *number)) || word == Plain::OneToken ||
         (word == Plain::Letters && is_token(back, lone_token(s.first)))) &&
        holds(rest, n - 1 - m, *link)) {
      return EndPieces{rest.last(1), rest.first(n - 1 - m)};
    }
  }
  std::span<const Piece> after = rest;
  if (!take_part(after, s.second) || !take(after, *link) || after.empty()) return std::nullopt;
  return EndPieces{after, rest.first(n - after.size() - m)};
}

}  // namespace

MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  // A text of one piece may still be two ends in one word (two clock times
  // joined by an en dash), but a word of letters alone ("payday", "next")
  // holds no join and no mark.
  if (pieces.size() == 1 && std::all_of(ctx.text.begin(), ctx.text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      })) {
    return MatchResult::no_match();
  }
  Split s;
  if (!split(ctx.text, s)) return MatchResult::no_match();
  if (const auto laid = ends_laid_out(pieces, s, ctx))
    return read_interval(s, laid->first, laid->second, laid->day, ctx);
  // The ends are mostly read already: the driver's pieces hold them.
  if (const auto joint = joint_of(s, ctx.text)) {
    if (const auto both = ends_at_word(pieces, s, *joint, ctx.text))
      return read_interval(s, both->first, both->second, {}, ctx);
    if (const auto joined = ends_at_join(pieces, s, *joint, ctx))
      return read_interval(s, joined->first, joined->second, joined->day, ctx);
  }
  if (const auto reversed = ends_after_length(pieces, s, ctx))
    return read_interval(s, reversed->first, reversed->second, {}, ctx);
  return read_alone(pieces, s, ctx);
}

}  // namespace kalendo::everyday::intervals
