// How one call flows, from text to outcome:
//  1. The binding (py_binding.cpp) converts the arguments: the `now` text
//     and the anchor dates are read by iso_parse, anchor names are trimmed
//     and lower-cased (config.h), and a holiday callable is wrapped in a
//     HolidayFn.
//  2. parse_str (here) trims the text. tokenize lower-cases it, turns
//     punctuation into spaces, replaces anchor names by markers, splits it
//     at white space, classifies each word by the word tables (locale.h) and
//     joins the fixed pairs ("business days", "5 pm").
//  3. A clock time that ends a longer text is set apart as the time of day
//     of the answer.
//  4. resolve_inner (grammar/mod.h) offers the tokens to every matcher of
//     kMatchers, each recognising the whole sequence or nothing, and
//     arbitrates between their answers. Matchers share period_of, the unit
//     facts (grammar/units.h) and the business-day walk
//     (grammar/business_days.h); calendar arithmetic is dates.h.
//  5. The binding writes the outcome as JSON (types.h) and returns it.
#include "parse.h"

#include "grammar/mod.h"
#include "locale.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo {

namespace {

// tokenize_text for a text with anchors, apart so that the common call
// without them passes straight on to the tokenizer.
[[gnu::noinline]] Tokens tokenize_anchored(std::string_view trimmed, const AnchorMap& anchors,
                                           const Locale& locale) {
  // The anchor names, in the mapping's order; a few fit on the stack.
  constexpr std::size_t kInline = 16;
  std::string_view inline_names[kInline];
  std::vector<std::string_view> heap_names;
  std::span<std::string_view> names;
  if (anchors.size() <= kInline) {
    names = std::span<std::string_view>(inline_names, anchors.size());
  } else {
    heap_names.resize(anchors.size());
    names = heap_names;
  }
  for (std::size_t i = 0; i < anchors.size(); ++i)
    names[i] = anchors[i].first;
  return tokenize(trimmed, names, locale);
}

// tokenize_text, in line in parse_str as resolve_whole is: a call spends
// less on the way in than on any one step.
[[gnu::always_inline]] inline Tokens tokenize_with(std::string_view trimmed,
                                                   const AnchorMap& anchors, const Options& opts) {
  const Locale& locale = opts.locale != nullptr ? *opts.locale : EN;
  if (anchors.empty()) return tokenize(trimmed, {}, locale);
  return tokenize_anchored(trimmed, anchors, locale);
}

}  // namespace

Tokens tokenize_text(std::string_view trimmed, const AnchorMap& anchors, const Options& opts) {
  return tokenize_with(trimmed, anchors, opts);
}

Outcome resolve_tokens(std::string_view trimmed, TokenSpan toks, DateTime now,
                       const AnchorMap& anchors, const Options& opts, HolidayFn holidays) {
  return resolve_whole(trimmed, toks, now, anchors, opts, holidays);
}

Outcome parse_str(std::string_view text, DateTime now, const AnchorMap& anchors,
                  const Options& opts, HolidayFn holidays) {
  const std::string_view trimmed = uni::trim_white_space(text);
  if (trimmed.empty()) return Outcome::no_parse("empty input");
  const Tokens toks = tokenize_with(trimmed, anchors, opts);
  return resolve_whole(trimmed, toks, now, anchors, opts, holidays);
}

}  // namespace kalendo
