// Tokens and the tokenizer: one input text becomes the sequence of
// classified words that every grammar matcher reads.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "words.h"

namespace kalendo {

struct Locale;

// One classified word. The tag decides which payload field is meaningful;
// the others stay zero or empty, so equality can compare every field.
struct Tok {
  enum class Kind : uint8_t {
    Num,      // value: signed whole number
    Fuzzy,    // value: vague quantity ("couple" 2, "few" 3)
    Half,     // no payload
    Ordinal,  // value: unsigned 32-bit rank
    Weekday,  // value: 0 Monday .. 6 Sunday
    Month,    // value: 1 .. 12
    Quarter,  // value: 1 .. 4
    Time,     // value: hour, minute: minute
    Unit,     // value: Unit code
    Kw,       // value: Keyword code
    Anchor,   // text: the anchor's name as the key of the anchors mapping
    Word,     // text: any other word, lower-case
  };

  Kind kind = Kind::Word;
  int64_t value = 0;
  uint32_t minute = 0;
  std::string text;

  static Tok num(int64_t v) { return Tok{Kind::Num, v, 0, {}}; }
  static Tok fuzzy(int64_t v) { return Tok{Kind::Fuzzy, v, 0, {}}; }
  static Tok half() { return Tok{Kind::Half, 0, 0, {}}; }
  static Tok ordinal(uint32_t n) { return Tok{Kind::Ordinal, n, 0, {}}; }
  static Tok weekday(uint8_t w) { return Tok{Kind::Weekday, w, 0, {}}; }
  static Tok month(uint32_t m) { return Tok{Kind::Month, m, 0, {}}; }
  static Tok quarter(uint32_t q) { return Tok{Kind::Quarter, q, 0, {}}; }
  static Tok time(uint32_t h, uint32_t m) { return Tok{Kind::Time, h, m, {}}; }
  static Tok unit(Unit u) { return Tok{Kind::Unit, static_cast<int64_t>(u), 0, {}}; }
  static Tok kw(Keyword k) { return Tok{Kind::Kw, static_cast<int64_t>(k), 0, {}}; }
  static Tok anchor(std::string_view name) { return Tok{Kind::Anchor, 0, 0, std::string(name)}; }
  static Tok word(std::string_view w) { return Tok{Kind::Word, 0, 0, std::string(w)}; }

  bool is(Kind k) const { return kind == k; }
  bool is_kw(Keyword k) const { return kind == Kind::Kw && value == static_cast<int64_t>(k); }
  bool is_unit(Unit u) const { return kind == Kind::Unit && value == static_cast<int64_t>(u); }
  Keyword keyword() const { return static_cast<Keyword>(value); }
  Unit unit_code() const { return static_cast<Unit>(value); }
  uint32_t u32() const { return static_cast<uint32_t>(value); }

  friend bool operator==(const Tok&, const Tok&) = default;
};

// The tokens of one text, in order. The first kInline tokens are kept
// inside the object, so that tokenizing a text of a few words, nearly every
// text, allocates nothing; a longer one moves them all to the heap once.
class Tokens {
 public:
  using value_type = Tok;
  using size_type = std::size_t;
  using reference = Tok&;
  using const_reference = const Tok&;
  using iterator = Tok*;
  using const_iterator = const Tok*;

  static constexpr std::size_t kInline = 12;

  Tokens() = default;
  Tokens(std::initializer_list<Tok> toks);
  Tokens(const Tokens& other);
  Tokens(Tokens&& other) noexcept;
  Tokens& operator=(const Tokens& other);
  Tokens& operator=(Tokens&& other) noexcept;
  ~Tokens() { destroy_inline(); }

  std::size_t size() const { return on_heap_ ? heap_.size() : inline_size_; }
  bool empty() const { return size() == 0; }
  // Writable tokens may be given a text: the ones kept inside are then all
  // destroyed one by one.
  Tok* data() {
    if (on_heap_) return heap_.data();
    texts_ = true;
    return inline_data();
  }
  const Tok* data() const { return on_heap_ ? heap_.data() : inline_data(); }
  Tok* begin() { return data(); }
  Tok* end() { return data() + size(); }
  const Tok* begin() const { return data(); }
  const Tok* end() const { return data() + size(); }
  Tok& operator[](std::size_t i) { return data()[i]; }
  const Tok& operator[](std::size_t i) const { return data()[i]; }
  Tok& front() { return data()[0]; }
  const Tok& front() const { return data()[0]; }
  Tok& back() { return data()[size() - 1]; }
  const Tok& back() const { return data()[size() - 1]; }

  void push_back(Tok t) {
    if (!on_heap_ && inline_size_ < kInline) {
      new (inline_data() + inline_size_) Tok(std::move(t));
      ++inline_size_;
      texts_ = true;
      return;
    }
    push_back_slow(std::move(t));
  }
  // Adds a token without text, built in place: most tokens are of a word
  // table, and this spares moving and destroying a temporary.
  void add(Tok::Kind kind, int64_t value, uint32_t minute = 0) {
    if (!on_heap_ && inline_size_ < kInline) {
      new (inline_data() + inline_size_) Tok{kind, value, minute, {}};
      ++inline_size_;
      return;
    }
    add_slow(kind, value, minute);
  }
  // Adds a plain word, built in place.
  void add_word(std::string_view w) {
    if (!on_heap_ && inline_size_ < kInline) {
      new (inline_data() + inline_size_) Tok{Tok::Kind::Word, 0, 0, std::string(w)};
      ++inline_size_;
      texts_ = true;
      return;
    }
    push_back_slow(Tok::word(w));
  }
  // Makes room for n tokens in all.
  void reserve(std::size_t n);
  // Drops tokens from the end, or adds default (empty word) tokens.
  void resize(std::size_t n);
  void clear() { resize(0); }

  friend bool operator==(const Tokens& a, const Tokens& b);

 private:
  Tok* inline_data() { return std::launder(reinterpret_cast<Tok*>(inline_)); }
  const Tok* inline_data() const { return std::launder(reinterpret_cast<const Tok*>(inline_)); }
  // Tokens that never held a text own nothing, and most texts are all
  // table words and numbers: their tokens are dropped without a pass.
  void destroy_inline() {
    if (texts_) {
      Tok* toks = inline_data();
      for (std::size_t i = 0; i < inline_size_; ++i)
        toks[i].~Tok();
    }
    inline_size_ = 0;
    texts_ = false;
  }
  // Adds a token past the inline ones, moving them to the heap first.
  void push_back_slow(Tok t);
  // The same for a token without text, kept out of line so that add stays
  // small where it is inlined.
  [[gnu::noinline]] void add_slow(Tok::Kind kind, int64_t value, uint32_t minute);
  // Moves the tokens kept inside to the heap, with room for n in all.
  void spill(std::size_t n);

  alignas(Tok) unsigned char inline_[kInline * sizeof(Tok)];
  std::size_t inline_size_ = 0;
  bool on_heap_ = false;
  bool texts_ = false;  // a token kept inside may own a text
  std::vector<Tok> heap_;
};
using TokenSpan = std::span<const Tok>;

// Anchor markers may grow the text to kMarkerGrowth times its size plus
// kMarkerSlack bytes. Names that match only the caller's text never reach
// that (a marker is at most 16 bytes); names that match inside the markers
// of earlier names can multiply the text name after name, and substitution
// stops at the bound rather than allocate without one.
inline constexpr std::size_t kMarkerGrowth = 16;
inline constexpr std::size_t kMarkerSlack = 256;

// Returns whether replacing the anchor names in `text` stays within that
// bound. Costs nothing unless a name could match inside a marker.
bool anchor_markers_fit(std::string_view text, std::span<const std::string_view> anchor_names);

// Turns trimmed, non-empty text into tokens: lower-cases it, replaces anchor
// names by markers, splits it at white space, classifies each word by the
// locale's tables and joins the fixed token pairs. Never fails.
Tokens tokenize(std::string_view text, std::span<const std::string_view> anchor_names,
                const Locale& locale);

}  // namespace kalendo
