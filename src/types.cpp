#include "types.h"

#include <charconv>
#include <cmath>

#include "unicode.h"

namespace kalendo {

Outcome Outcome::resolved(Resolution r) {
  Outcome o;
  o.kind = Kind::Resolved;
  o.candidates.push_back(std::move(r));
  return o;
}

Outcome Outcome::ambiguous(std::vector<Resolution> candidates, std::string reason) {
  return Outcome{Kind::Ambiguous, std::move(candidates), std::move(reason)};
}

Outcome Outcome::no_parse(std::string reason) {
  return Outcome{Kind::NoParse, {}, std::move(reason)};
}

WireResolution wire_res(const Resolution& r) {
  WireResolution w;
  if (r.value.is_range()) {
    w.kind = WireResolution::Kind::Range;
    append_date_time(w.start, r.value.start);
    append_date_time(w.end, r.value.end);
  } else {
    w.kind = WireResolution::Kind::Instant;
    append_date_time(w.when, r.value.start);
  }
  w.confidence = r.confidence;
  w.interpretation = r.interpretation;
  return w;
}

WireOutcome to_wire(const Outcome& o) {
  WireOutcome w;
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      w.single = wire_res(o.candidates.front());
      w.kind = w.single.kind == WireResolution::Kind::Range ? WireOutcome::Kind::Range
                                                            : WireOutcome::Kind::Instant;
      break;
    case Outcome::Kind::Ambiguous:
      w.kind = WireOutcome::Kind::Ambiguous;
      w.candidates.reserve(o.candidates.size());
      for (const Resolution& r : o.candidates)
        w.candidates.push_back(wire_res(r));
      w.reason = o.reason;
      break;
    case Outcome::Kind::NoParse:
      w.kind = WireOutcome::Kind::NoParse;
      w.reason = o.reason;
      break;
  }
  return w;
}

void append_json_string(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char ch = s[i];
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) {
      // Copies a UTF-8 sequence whole; a stray byte becomes U+FFFD, so the
      // text stays valid UTF-8 whatever bytes reached the core.
      const uni::Decoded d = uni::decode_utf8(s, i);
      if (d.len == 1) {
        out += "\xEF\xBF\xBD";
      } else {
        out.append(s, i, d.len);
        i += d.len - 1;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 0xF]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

void append_json_float(std::string& out, float f) {
  if (!std::isfinite(f)) {
    out += "null";
    return;
  }
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, f);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

namespace {

void append_key(std::string& out, std::string_view key) {
  out.push_back('"');
  out += key;
  out += "\":";
}

// Writes the entries of a reading after its "kind"; `out` is inside an object.
void write_resolution_fields(const WireResolution& r, std::string& out) {
  if (r.kind == WireResolution::Kind::Range) {
    out += "\"kind\":\"range\",";
    append_key(out, "start");
    append_json_string(out, r.start);
    out.push_back(',');
    append_key(out, "end");
    append_json_string(out, r.end);
  } else {
    out += "\"kind\":\"instant\",";
    append_key(out, "when");
    append_json_string(out, r.when);
  }
  out.push_back(',');
  append_key(out, "confidence");
  append_json_float(out, r.confidence);
  out.push_back(',');
  append_key(out, "interpretation");
  append_json_string(out, r.interpretation);
}

}  // namespace

void write_json(const WireOutcome& w, std::string& out) {
  out.push_back('{');
  switch (w.kind) {
    case WireOutcome::Kind::Instant:
    case WireOutcome::Kind::Range:
      write_resolution_fields(w.single, out);
      break;
    case WireOutcome::Kind::Ambiguous:
      out += "\"kind\":\"ambiguous\",";
      append_key(out, "candidates");
      out.push_back('[');
      for (std::size_t i = 0; i < w.candidates.size(); ++i) {
        if (i != 0) out.push_back(',');
        out.push_back('{');
        write_resolution_fields(w.candidates[i], out);
        out.push_back('}');
      }
      out += "],";
      append_key(out, "reason");
      append_json_string(out, w.reason);
      break;
    case WireOutcome::Kind::NoParse:
      out += "\"kind\":\"no_parse\",";
      append_key(out, "reason");
      append_json_string(out, w.reason);
      break;
  }
  out.push_back('}');
}

}  // namespace kalendo
