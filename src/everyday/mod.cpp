#include "everyday/mod.h"

#include "locale.h"
#include "parse.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::everyday {
namespace {

// The reason the core gives when none of its rules recognised the text: the
// only core answer the everyday grammar may take over.
constexpr std::string_view kUnmatched = "no grammar rule matched ";

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
  Tokens toks = tokenize_text(trimmed, anchors, opts.core);
  Outcome core = resolve_tokens(trimmed, toks, now, anchors, opts.core, holidays);
  // The core answer stands whenever a rule of the core read the text: one
  // comparison on the common path.
  if (core.kind != Outcome::Kind::NoParse || !core.reason.starts_with(kUnmatched)) return core;

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
  if (auto everyday = resolve_everyday(pieces, everyday_ctx)) return std::move(*everyday);
  return core;
}

}  // namespace kalendo::everyday
