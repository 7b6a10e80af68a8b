// Readings and outcomes of a parse, and their wire form: the compact JSON
// text that the binding returns to Python.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dates.h"

namespace kalendo {

// What an expression denotes: an instant, or an inclusive range. A range
// may lack one end ("until 5pm", "since August"): that end is open, and its
// date-time is meaningless; only the everyday grammar makes such ranges.
struct Value {
  enum class Kind : uint8_t { Instant, Range };
  Kind kind = Kind::Instant;
  DateTime start;           // the instant itself, or the start of the range
  DateTime end;             // the end of the range; equal to start for an instant
  bool open_start = false;  // the range has no start
  bool open_end = false;    // the range has no end

  static Value instant(DateTime t) { return Value{Kind::Instant, t, t}; }
  static Value range(DateTime s, DateTime e) { return Value{Kind::Range, s, e}; }
  // Returns the range from `s` on, without an end.
  static Value from(DateTime s) { return Value{Kind::Range, s, s, false, true}; }
  // Returns the range up to `e`, without a start.
  static Value until(DateTime e) { return Value{Kind::Range, e, e, true, false}; }
  // Returns the range from 00:00:00 of `first` to 23:59:59 of `last`.
  static Value days(Date first, Date last) {
    return range(DateTime{first, TimeOfDay{}}, DateTime{last, TimeOfDay::hms(23, 59, 59)});
  }

  bool is_range() const { return kind == Kind::Range; }
  // Two instants are equal to the nanosecond; two ranges when both ends are;
  // an instant never equals a range.
  friend bool operator==(const Value&, const Value&) = default;
};

struct Resolution {
  std::string interpretation;
  Value value;
  float confidence = 0.0f;
};

struct Outcome {
  enum class Kind : uint8_t { Resolved, Ambiguous, NoParse };
  Kind kind = Kind::NoParse;
  Resolution reading;                  // Resolved: the one reading
  std::vector<Resolution> candidates;  // Ambiguous: most likely first
  std::string reason;                  // Ambiguous and NoParse
  std::string zone;                    // full mode: the zone the text names, if any

  static Outcome resolved(Resolution r);
  static Outcome ambiguous(std::vector<Resolution> candidates, std::string reason);
  static Outcome no_parse(std::string reason);
};

// A date-time text, held in place: the longest is "-262143-01-01T00:00:00".
// An empty text stands for an open end.
struct DateTimeText {
  char bytes[24];  // only the first `size` are written
  uint8_t size = 0;

  DateTimeText() = default;
  explicit DateTimeText(DateTime t) : size(static_cast<uint8_t>(write_date_time(bytes, t))) {}
  std::string_view view() const { return {bytes, size}; }
};

// The serialisable records. Field order is the order of the JSON keys.
struct WireResolution {
  enum class Kind : uint8_t { Instant, Range };
  Kind kind = Kind::Instant;
  DateTimeText when;   // instant
  DateTimeText start;  // range; empty when open
  DateTimeText end;    // range; empty when open
  float confidence = 0.0f;
  std::string interpretation;
};

struct WireOutcome {
  enum class Kind : uint8_t { Instant, Range, Ambiguous, NoParse };
  Kind kind = Kind::NoParse;
  WireResolution single;                   // Instant and Range
  std::vector<WireResolution> candidates;  // Ambiguous
  std::string reason;                      // Ambiguous and NoParse
  std::string zone;                        // written only when not empty
};

// The conversions take their input by value: the texts move across.
WireResolution wire_res(Resolution r);
WireOutcome to_wire(Outcome o);

// Appends the compact JSON text of `w`: "kind" first, the other keys in
// declared order, confidences as the shortest text that reads back as the
// same 32-bit float.
void write_json(const WireOutcome& w, std::string& out);
// Appends the same text straight from an outcome, without the wire records.
void write_json(const Outcome& o, std::string& out);

// Appends a JSON string literal with the escapes of the wire format.
void append_json_string(std::string& out, std::string_view s);
// Appends the shortest decimal text of a 32-bit float, keeping ".0" for
// whole numbers; "null" for a value that is not finite.
void append_json_float(std::string& out, float f);
// Returns k when f is the float nearest k / 100 (0 <= k <= 100), as most
// confidences are, else -1.
inline int hundredths_of(float f) {
  if (!(f >= 0.0f && f <= 1.0f)) return -1;
  const int k = static_cast<int>(f * 100.0f + 0.5f);
  return static_cast<float>(k) / 100.0f == f ? k : -1;
}

}  // namespace kalendo
