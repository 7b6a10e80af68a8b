// The Arrow C data interface for columns: reading string arrays that callers
// hand over, and exporting answers without copying them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"

struct ArrowSchema;
struct ArrowArray;

namespace kalendo::batch {

// A column of answers as exported: the answers, the text of the zone each
// row's text names, and the zone label of its timestamps ("" for wall-clock
// times).
struct Held {
  Column column;
  std::string zone;
  // Per row, seconds east of UTC already taken from the stored start and
  // end, so that they count from 1970-01-01T00:00:00Z; empty for wall times.
  std::vector<int32_t> start_offset;
  std::vector<int32_t> end_offset;
  std::vector<uint8_t> zone_valid;
  std::vector<int32_t> zone_offsets;
  std::string zone_text;
};

// Returns the held column: when `start_offset` and `end_offset` have a
// value per row, takes them from the stored times, which then count from
// 1970-01-01T00:00:00Z.
std::shared_ptr<const Held> hold(Column column, std::string zone, std::vector<int32_t> start_offset,
                                 std::vector<int32_t> end_offset);

// Fills `out` with the struct type of the column (kind, start, end,
// confidence, interpretation, reason, candidates, zone). False, with `error`, when
// nanoarrow fails.
bool export_schema(const Held& held, ArrowSchema* out, std::string& error);
// Fills `out` with an array whose buffers are the held column's own: each
// keeps `held` alive until the consumer releases it, from any thread.
bool export_array(const std::shared_ptr<const Held>& held, ArrowArray* out, std::string& error);

// Appends a view of every row of a string array (utf8, large_utf8 or
// utf8_view, or binary of the same layouts, or the null type), an empty
// view for a null row.
// The views point into the array's buffers. False, with `error`, for
// another type or an array whose buffers do not hold together.
bool append_texts(const ArrowSchema* schema, const ArrowArray* array,
                  std::vector<std::string_view>& texts, std::string& error);

}  // namespace kalendo::batch
