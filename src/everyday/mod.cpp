#include "everyday/mod.h"

#include "locale.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::everyday {
namespace {

// The reason the core gives when none of its rules recognised the text: the
// only core answer the everyday grammar may take over.
constexpr std::string_view kUnmatched = "no grammar rule matched ";
// The reason the core gives for an anchor the caller did not pass.
constexpr std::string_view kUnknownAnchor = "unknown anchor ";

// Offers the pieces to every everyday matcher in table order: the first
// reading or ambiguity stands; else the last rejection's reason; else none.
std::optional<Outcome> resolve_everyday(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  std::optional<std::string> reason;
  for (Matcher matcher : kMatchers) {
    MatchResult m = matcher(pieces, ctx);
    switch (m.kind) {
      case MatchResult::Kind::NoMatch:
        break;
      case MatchResult::Kind::Single:
        return Outcome::resolved(std::move(m.reading));
      case MatchResult::Kind::Ambiguous:
        return Outcome::ambiguous(std::move(m.candidates), std::move(m.reason));
      case MatchResult::Kind::Reject:
        reason = std::move(m.reason);
        break;
    }
  }
  if (reason) return Outcome::no_parse(std::move(*reason));
  return std::nullopt;
}

}  // namespace

Outcome parse_full(std::string_view text, DateTime now, const AnchorMap& anchors,
                   const FullOptions& opts, HolidayFn holidays) {
  const std::string_view trimmed = uni::trim_white_space(text);
  if (trimmed.empty()) return Outcome::no_parse("empty input");

  // The core grammar, as strict mode runs it, keeping its tokens: a text
  // without numeric shapes needs no second tokenization.
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
  const Locale& locale = opts.core.locale != nullptr ? *opts.core.locale : EN;
  Tokens toks = tokenize(trimmed, names, locale);

  Ctx ctx{opts.core, anchors, holidays, opts.core.default_time, now, false};
  TokenSpan to_resolve = toks;
  if (toks.size() >= 2) {
    const Tok& last = toks.back();
    if (last.is(Tok::Kind::Time) && last.value < 24 && last.minute < 60) {
      ctx.tod = TimeOfDay::hms(last.u32(), last.minute, 0);
      ctx.tod_explicit = true;
      to_resolve = to_resolve.first(toks.size() - 1);
    }
  }
  Outcome core = resolve_inner(trimmed, to_resolve, ctx);
  // The core answer stands whenever a rule of the core read the text: one
  // comparison on the common path. An anchor the core does not know may be
  // a holiday's name, which completes the answer.
  const bool unmatched = core.kind == Outcome::Kind::NoParse && core.reason.starts_with(kUnmatched);
  const bool lacks_anchor = core.kind == Outcome::Kind::Ambiguous && core.candidates.empty() &&
                            core.reason.starts_with(kUnknownAnchor);
  if (!unmatched && !lacks_anchor) return core;
  if (lacks_anchor) {
    if (auto named = holidays::resolve(trimmed, now, anchors, opts, holidays)) {
      return std::move(*named);
    }
    return core;
  }

  Pieces pieces;
  if (has_shape(trimmed)) {
    pieces = scan(trimmed);
  } else {
    pieces.reserve(toks.size());
    for (Tok& t : toks)
      pieces.push_back(Piece{false, std::move(t), {}});
  }
  if (pieces.empty()) return core;
  const EverydayCtx everyday_ctx{
      Ctx{opts.core, anchors, holidays, opts.core.default_time, now, false}, opts};
  // Holiday names after the matchers, so that calendar dates pay nothing
  // for them; a rejection of the matchers yields to a holiday's reading.
  std::optional<Outcome> everyday = resolve_everyday(pieces, everyday_ctx);
  if (everyday && everyday->kind != Outcome::Kind::NoParse) return std::move(*everyday);
  if (auto named = holidays::resolve(trimmed, now, anchors, opts, holidays)) {
    return std::move(*named);
  }
  if (everyday) return std::move(*everyday);
  return core;
}

}  // namespace kalendo::everyday
