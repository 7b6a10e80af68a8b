#include "config.h"

#include <algorithm>
#include <numeric>

namespace kalendo {

void put_anchor(AnchorMap& anchors, std::string name, Date date) {
  for (auto& entry : anchors) {
    if (entry.first == name) {
      entry.second = date;
      return;
    }
  }
  anchors.emplace_back(std::move(name), date);
}

AnchorMap make_anchor_map(std::vector<std::pair<std::string, Date>> entries) {
  // A handful of entries compares pairwise, without the index below.
  constexpr std::size_t kPairwise = 16;
  if (entries.size() <= kPairwise) {
    AnchorMap anchors;
    anchors.reserve(entries.size());
    for (auto& [name, date] : entries)
      put_anchor(anchors, std::move(name), date);
    return anchors;
  }
  // Sorts positions by name; equal names stay in the caller's order, so each
  // run of equals starts at the kept entry and ends at the date it takes.
  std::vector<std::size_t> order(entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return entries[a].first < entries[b].first;
  });
  std::vector<bool> dropped(entries.size(), false);
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i + 1;
    while (j < order.size() && entries[order[j]].first == entries[order[i]].first) {
      dropped[order[j]] = true;
      ++j;
    }
    entries[order[i]].second = entries[order[j - 1]].second;
    i = j;
  }
  AnchorMap anchors;
  anchors.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!dropped[i]) anchors.push_back(std::move(entries[i]));
  }
  return anchors;
}

std::optional<Date> anchor_date(const AnchorMap& anchors, std::string_view name) {
  for (const auto& entry : anchors) {
    if (entry.first == name) return entry.second;
  }
  return std::nullopt;
}

std::string tod_label(const Ctx& ctx) {
  std::string label = ctx.tod_explicit ? "at " : "default ";
  append_hh_mm(label, ctx.tod);
  return label;
}

}  // namespace kalendo
