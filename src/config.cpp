#include "config.h"

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
