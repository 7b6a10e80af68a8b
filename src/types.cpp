#include "types.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "unicode.h"

namespace kalendo {

Outcome Outcome::resolved(Resolution r) {
  Outcome o;
  o.kind = Kind::Resolved;
  o.reading = std::move(r);
  return o;
}

Outcome Outcome::ambiguous(std::vector<Resolution> candidates, std::string reason) {
  Outcome o;
  o.kind = Kind::Ambiguous;
  o.candidates = std::move(candidates);
  o.reason = std::move(reason);
  return o;
}

Outcome Outcome::no_parse(std::string reason) {
  Outcome o;
  o.reason = std::move(reason);
  return o;
}

WireResolution wire_res(Resolution r) {
  WireResolution w;
  if (r.value.is_range()) {
    w.kind = WireResolution::Kind::Range;
    if (!r.value.open_start) w.start = DateTimeText(r.value.start);
    if (!r.value.open_end) w.end = DateTimeText(r.value.end);
  } else {
    w.kind = WireResolution::Kind::Instant;
    w.when = DateTimeText(r.value.start);
  }
  w.confidence = r.confidence;
  w.interpretation = std::move(r.interpretation);
  return w;
}

WireOutcome to_wire(Outcome o) {
  WireOutcome w;
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      w.single = wire_res(std::move(o.reading));
      w.kind = w.single.kind == WireResolution::Kind::Range ? WireOutcome::Kind::Range
                                                            : WireOutcome::Kind::Instant;
      break;
    case Outcome::Kind::Ambiguous:
      w.kind = WireOutcome::Kind::Ambiguous;
      w.candidates.reserve(o.candidates.size());
      for (Resolution& r : o.candidates)
        w.candidates.push_back(wire_res(std::move(r)));
      w.reason = std::move(o.reason);
      break;
    case Outcome::Kind::NoParse:
      w.kind = WireOutcome::Kind::NoParse;
      w.reason = std::move(o.reason);
      break;
  }
  w.zone = std::move(o.zone);
  return w;
}

namespace {

// Writes the wire form of one character that is not plain ASCII, at most
// six bytes, and returns the end of what it wrote.
char* put_escaped(char* p, uni::Decoded d, std::string_view bytes) {
  if (d.cp >= 0x80) {
    // A stray byte becomes U+FFFD, so the text stays valid UTF-8 whatever
    // bytes reached the core.
    const std::string_view kept = bytes.size() == 1 ? std::string_view("\xEF\xBF\xBD") : bytes;
    std::memcpy(p, kept.data(), kept.size());
    return p + kept.size();
  }
  const auto two = [p](char c) {
    p[0] = '\\';
    p[1] = c;
    return p + 2;
  };
  switch (d.cp) {
    case '"':
      return two('"');
    case '\\':
      return two('\\');
    case '\b':
      return two('b');
    case '\t':
      return two('t');
    case '\n':
      return two('n');
    case '\f':
      return two('f');
    case '\r':
      return two('r');
    case 0x7F:
      // JSON lets DEL stand as it is.
      *p = '\x7F';
      return p + 1;
    default:
      p[0] = '\\';
      p[1] = 'u';
      p[2] = '0';
      p[3] = '0';
      p[4] = uni::kHexDigits[d.cp >> 4];
      p[5] = uni::kHexDigits[d.cp & 0xF];
      return p + 6;
  }
}

// Texts up to this many bytes are written whole into a stack buffer, which
// holds them even if every byte needs a six-byte escape: readings, reasons
// and zones are short, and the quotes and dashes of reasons then cost no
// more than a copy.
constexpr std::size_t kShortString = 160;

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  if (s.size() <= kShortString) {
    char buf[2 + 6 * kShortString];
    char* p = buf;
    *p++ = '"';
    std::size_t i = 0;
    while (true) {
      const std::size_t run = uni::plain_ascii_end(s, i);
      std::memcpy(p, s.data() + i, run - i);
      p += run - i;
      i = run;
      if (i == s.size()) break;
      const uni::Decoded d = uni::decode_utf8(s, i);
      p = put_escaped(p, d, s.substr(i, d.len));
      i += d.len;
    }
    *p++ = '"';
    out.append(buf, static_cast<std::size_t>(p - buf));
    return;
  }
  out.push_back('"');
  uni::append_escaped(out, s, [](std::string& o, uni::Decoded d, std::string_view bytes) {
    char buf[6];
    o.append(buf, static_cast<std::size_t>(put_escaped(buf, d, bytes) - buf));
  });
  out.push_back('"');
}

namespace {

// The confidences the grammar gives are mostly hundredths (0.95, 0.7), so
// their texts are kept ready: the shortest round-trip text of the float
// nearest k / 100 for k in 0..100.
struct Hundredths {
  char text[101][5];
  uint8_t size[101];
};

Hundredths make_hundredths() {
  Hundredths h{};
  for (int k = 0; k <= 100; ++k) {
    const float f = static_cast<float>(k) / 100.0f;
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, f);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    std::string full(text);
    if (text.find_first_of(".e") == std::string_view::npos) full += ".0";
    std::copy(full.begin(), full.end(), h.text[k]);
    h.size[k] = static_cast<uint8_t>(full.size());
  }
  return h;
}

const Hundredths kHundredths = make_hundredths();

}  // namespace

void append_json_float(std::string& out, float f) {
  if (!std::isfinite(f)) {
    out += "null";
    return;
  }
  if (const int k = hundredths_of(f); k >= 0) {
    out.append(kHundredths.text[k], kHundredths.size[k]);
    return;
  }
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, f);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

namespace {

// A reading's entries, from "kind" to the key of the interpretation (and
// the interpretation itself when it is short and needs no escapes), written
// into one stack buffer and appended at once: the pieces are a few bytes
// each, and appending them one by one costs more than writing them. The
// fixed part is at most a range with two date-times of 22 bytes, a
// confidence of a few and the key: 116 bytes with the object's opening
// brace.
class FieldBuffer {
 public:
  template <std::size_t N>
  void put(const char (&literal)[N]) {
    std::memcpy(p_, literal, N - 1);
    p_ += N - 1;
  }
  // Date-time texts hold digits, signs, "-", "T" and ":" only: no escapes.
  // An open end of a range is null.
  void put_date_time(const DateTimeText& t) {
    if (t.size == 0) {
      put("null");
      return;
    }
    *p_++ = '"';
    std::memcpy(p_, t.bytes, t.size);
    p_ += t.size;
    *p_++ = '"';
  }
  void put_date_time(DateTime t) {
    *p_++ = '"';
    p_ += write_date_time(p_, t);
    *p_++ = '"';
  }
  // Writes a confidence that is a hundredth, as append_json_float would;
  // returns false, writing nothing, for any other.
  bool put_hundredths(float f) {
    const int k = hundredths_of(f);
    if (k < 0) return false;
    std::memcpy(p_, kHundredths.text[k], kHundredths.size[k]);
    p_ += kHundredths.size[k];
    return true;
  }
  // Writes `text` as a JSON string when it fits and needs no escapes;
  // returns false, writing nothing, otherwise.
  bool put_plain_string(std::string_view text) {
    if (text.size() + 2 > static_cast<std::size_t>(bytes_ + sizeof bytes_ - p_) ||
        uni::plain_ascii_end(text, 0) != text.size()) {
      return false;
    }
    *p_++ = '"';
    std::memcpy(p_, text.data(), text.size());
    p_ += text.size();
    *p_++ = '"';
    return true;
  }
  void append_to(std::string& out) const {
    out.append(bytes_, static_cast<std::size_t>(p_ - bytes_));
  }

 private:
  char bytes_[192];
  char* p_ = bytes_;
};

// Writes the confidence and the interpretation after the entries in `b`.
void finish_fields(FieldBuffer& b, float confidence, std::string_view interpretation,
                   std::string& out) {
  b.put(",\"confidence\":");
  if (b.put_hundredths(confidence)) {
    b.put(",\"interpretation\":");
    if (b.put_plain_string(interpretation)) {
      b.append_to(out);
      return;
    }
    b.append_to(out);
  } else {
    b.append_to(out);
    append_json_float(out, confidence);
    out += ",\"interpretation\":";
  }
  append_json_string(out, interpretation);
}

// Opens a reading's object and writes its entries.
void write_resolution_fields(const WireResolution& r, std::string& out) {
  FieldBuffer b;
  if (r.kind == WireResolution::Kind::Range) {
    b.put("{\"kind\":\"range\",\"start\":");
    b.put_date_time(r.start);
    b.put(",\"end\":");
    b.put_date_time(r.end);
  } else {
    b.put("{\"kind\":\"instant\",\"when\":");
    b.put_date_time(r.when);
  }
  finish_fields(b, r.confidence, r.interpretation, out);
}

// Writes the same entries straight from a reading of the core.
void write_resolution_fields(const Resolution& r, std::string& out) {
  const Value& v = r.value;
  FieldBuffer b;
  if (v.is_range()) {
    b.put("{\"kind\":\"range\",\"start\":");
    if (v.open_start) {
      b.put("null");
    } else {
      b.put_date_time(v.start);
    }
    b.put(",\"end\":");
    if (v.open_end) {
      b.put("null");
    } else {
      b.put_date_time(v.end);
    }
  } else {
    b.put("{\"kind\":\"instant\",\"when\":");
    b.put_date_time(v.start);
  }
  finish_fields(b, r.confidence, r.interpretation, out);
}

// Writes the JSON object of either form: the readings of a WireOutcome are
// WireResolutions, those of an Outcome Resolutions.
template <typename Outcomes>
void write_object(const Outcomes& w, bool resolved, bool ambiguous, std::string& out) {
  if (resolved) {
    if constexpr (std::is_same_v<Outcomes, Outcome>) {
      write_resolution_fields(w.reading, out);
    } else {
      write_resolution_fields(w.single, out);
    }
  } else if (ambiguous) {
    out += "{\"kind\":\"ambiguous\",\"candidates\":[";
    for (std::size_t i = 0; i < w.candidates.size(); ++i) {
      if (i != 0) out.push_back(',');
      write_resolution_fields(w.candidates[i], out);
      out.push_back('}');
    }
    out += "],\"reason\":";
    append_json_string(out, w.reason);
  } else {
    out += "{\"kind\":\"no_parse\",\"reason\":";
    append_json_string(out, w.reason);
  }
  if (!w.zone.empty()) {
    out += ",\"zone\":";
    append_json_string(out, w.zone);
  }
  out.push_back('}');
}

}  // namespace

void write_json(const Outcome& o, std::string& out) {
  write_object(o, o.kind == Outcome::Kind::Resolved, o.kind == Outcome::Kind::Ambiguous, out);
}

void write_json(const WireOutcome& w, std::string& out) {
  write_object(w, w.kind == WireOutcome::Kind::Instant || w.kind == WireOutcome::Kind::Range,
               w.kind == WireOutcome::Kind::Ambiguous, out);
}

}  // namespace kalendo
