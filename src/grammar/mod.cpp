#include "grammar/mod.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>

#include "quote.h"

namespace kalendo {

MatchResult MatchResult::single(Resolution r) {
  MatchResult m;
  m.kind = Kind::Single;
  m.candidates.push_back(std::move(r));
  return m;
}

MatchResult MatchResult::single(std::string interpretation, Value value, float confidence) {
  return single(Resolution{std::move(interpretation), value, confidence});
}

MatchResult MatchResult::ambiguous(std::vector<Resolution> candidates, std::string reason) {
  return MatchResult{Kind::Ambiguous, std::move(candidates), std::move(reason)};
}

MatchResult MatchResult::reject(std::string reason) {
  return MatchResult{Kind::Reject, {}, std::move(reason)};
}

namespace {

constexpr float kDecisiveGap = 0.15f;
constexpr float kAmbiguityStep = 0.1f;
constexpr float kMinConfidence = 0.05f;

// Maps a float to an integer whose order is the IEEE total order, so that
// ranking never depends on NaN quirks.
int32_t total_order_key(float f) {
  const auto bits = std::bit_cast<int32_t>(f);
  return bits ^ static_cast<int32_t>(static_cast<uint32_t>(bits >> 31) >> 1);
}

std::string comparable_reason(std::size_t n) {
  return std::to_string(n) + " grammar rules matched with comparable confidence";
}

}  // namespace

Outcome resolve_inner(std::string_view text, TokenSpan toks, const Ctx& ctx,
                      std::span<const Matcher> matchers) {
  std::vector<Resolution> candidates;
  std::optional<MatchResult> first_ambiguity;
  std::optional<std::string> last_reason;

  for (Matcher matcher : matchers) {
    MatchResult m = matcher(toks, ctx);
    switch (m.kind) {
      case MatchResult::Kind::NoMatch:
        break;
      case MatchResult::Kind::Single: {
        Resolution& r = m.candidates.front();
        const bool duplicate = std::any_of(candidates.begin(), candidates.end(),
                                           [&](const Resolution& c) { return c.value == r.value; });
        if (!duplicate) candidates.push_back(std::move(r));
        break;
      }
      case MatchResult::Kind::Ambiguous:
        // Only the first matcher ambiguity can ever be reported.
        if (!first_ambiguity) first_ambiguity = std::move(m);
        break;
      case MatchResult::Kind::Reject:
        last_reason = std::move(m.reason);
        break;
    }
  }

  const std::size_t n = candidates.size();
  if (n == 1) return Outcome::resolved(std::move(candidates.front()));
  if (n == 0) {
    if (first_ambiguity) {
      return Outcome::ambiguous(std::move(first_ambiguity->candidates),
                                std::move(first_ambiguity->reason));
    }
    if (last_reason) return Outcome::no_parse(std::move(*last_reason));
    std::string reason = "no grammar rule matched ";
    append_quoted(reason, text);
    return Outcome::no_parse(std::move(reason));
  }

  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Resolution& a, const Resolution& b) {
                     return total_order_key(a.confidence) > total_order_key(b.confidence);
                   });
  const float gap = candidates[0].confidence - candidates[1].confidence;
  if (gap >= kDecisiveGap) return Outcome::resolved(std::move(candidates.front()));

  const float penalty = kAmbiguityStep * static_cast<float>(n - 1);
  for (Resolution& r : candidates) {
    r.confidence = std::max(kMinConfidence, std::min(1.0f, r.confidence - penalty));
  }
  return Outcome::ambiguous(std::move(candidates), comparable_reason(n));
}

}  // namespace kalendo
