#include "batch/arrow.h"

#include <nanoarrow/nanoarrow.h>

#include <array>
#include <stdexcept>
#include <string_view>

namespace kalendo::batch {
namespace {

// The struct's fields, in order.
enum Field {
  kKind,
  kStart,
  kEnd,
  kConfidence,
  kInterpretation,
  kReason,
  kCandidates,
  kZone,
  kFields
};
constexpr const char* kFieldNames[kFields] = {
    "kind", "start", "end", "confidence", "interpretation", "reason", "candidates", "zone",
};

// Frees one buffer's share of the held column.
void release_share(ArrowBufferAllocator* allocator, uint8_t* /*ptr*/, int64_t /*size*/) {
  delete static_cast<std::shared_ptr<const Held>*>(allocator->private_data);
}

// Points buffer `i` of `array` at `data` without copying; the buffer keeps
// a share of `held`.
bool wrap(ArrowArray* array, int64_t i, const void* data, std::size_t size,
          const std::shared_ptr<const Held>& held) {
  ArrowBuffer* buffer = ArrowArrayBuffer(array, i);
  auto* share = new std::shared_ptr<const Held>(held);
  if (ArrowBufferSetAllocator(buffer, ArrowBufferDeallocator(release_share, share)) !=
      NANOARROW_OK) {
    delete share;
    return false;
  }
  // The consumer only reads: the library's types are not const-qualified.
  buffer->data = static_cast<uint8_t*>(const_cast<void*>(data));
  buffer->size_bytes = static_cast<int64_t>(size);
  buffer->capacity_bytes = static_cast<int64_t>(size);
  return true;
}

template <typename T>
bool wrap(ArrowArray* array, int64_t i, const std::vector<T>& v,
          const std::shared_ptr<const Held>& held) {
  return wrap(array, i, v.data(), v.size() * sizeof(T), held);
}

template <typename T>
bool wrap(ArrowArray* array, int64_t i, const Buffer<T>& b,
          const std::shared_ptr<const Held>& held) {
  return wrap(array, i, b.data(), b.size() * sizeof(T), held);
}

bool wrap(ArrowArray* array, int64_t i, const std::string& s,
          const std::shared_ptr<const Held>& held) {
  return wrap(array, i, s.data(), s.size(), held);
}

}  // namespace

std::shared_ptr<const Held> hold(Column column, std::string zone, std::vector<int32_t> start_offset,
                                 std::vector<int32_t> end_offset) {
  auto held = std::make_shared<Held>();
  held->zone = std::move(zone);
  const int64_t n = column.size();
  const bool instants = start_offset.size() == static_cast<std::size_t>(n) &&
                        end_offset.size() == static_cast<std::size_t>(n);
  held->zone_valid.assign(static_cast<std::size_t>(n + 7) / 8, 0);
  // Most columns name no zone: their zone offsets are all 0.
  held->zone_offsets.assign(static_cast<std::size_t>(n) + 1, 0);
  if (!column.zones.empty()) {
    auto zoned = column.zones.begin();
    for (int64_t i = 0; i < n; ++i) {
      if (zoned != column.zones.end() && zoned->first == i) {
        held->zone_valid[static_cast<std::size_t>(i) / 8] |= static_cast<uint8_t>(1u << (i % 8));
        if (held->zone_text.size() + zoned->second.size() > 0x7FFFFFFFu) {
          throw std::length_error("the zones' texts exceed 2 GiB in one column");
        }
        held->zone_text.append(zoned->second);
        ++zoned;
      }
      held->zone_offsets[static_cast<std::size_t>(i) + 1] =
          static_cast<int32_t>(held->zone_text.size());
    }
  }
  if (instants) {
    for (int64_t i = 0; i < n; ++i) {
      column.start[static_cast<std::size_t>(i)] -= start_offset[static_cast<std::size_t>(i)];
      column.end[static_cast<std::size_t>(i)] -= end_offset[static_cast<std::size_t>(i)];
    }
  }
  if (instants) {
    held->start_offset = std::move(start_offset);
    held->end_offset = std::move(end_offset);
  }
  held->column = std::move(column);
  return held;
}

bool export_schema(const Held& held, ArrowSchema* out, std::string& error) {
  ArrowSchemaInit(out);
  ArrowErrorCode rc = ArrowSchemaSetTypeStruct(out, kFields);
  const char* zone = held.zone.empty() ? nullptr : held.zone.c_str();
  for (int64_t f = 0; rc == NANOARROW_OK && f < kFields; ++f) {
    ArrowSchema* child = out->children[f];
    switch (f) {
      case kStart:
      case kEnd:
        rc = ArrowSchemaSetTypeDateTime(child, NANOARROW_TYPE_TIMESTAMP, NANOARROW_TIME_UNIT_SECOND,
                                        zone);
        break;
      case kConfidence:
        rc = ArrowSchemaSetType(child, NANOARROW_TYPE_FLOAT);
        break;
      case kCandidates:
        rc = ArrowSchemaSetType(child, NANOARROW_TYPE_INT32);
        break;
      default:
        rc = ArrowSchemaSetType(child, NANOARROW_TYPE_STRING);
        break;
    }
    if (rc == NANOARROW_OK) rc = ArrowSchemaSetName(child, kFieldNames[f]);
    // Only the kind and the count are there on every row that is.
    if (rc == NANOARROW_OK && f != kKind && f != kCandidates) child->flags |= ARROW_FLAG_NULLABLE;
  }
  if (rc != NANOARROW_OK) {
    if (out->release != nullptr) out->release(out);
    error = "the column's Arrow type could not be built";
    return false;
  }
  return true;
}

bool export_array(const std::shared_ptr<const Held>& held, ArrowArray* out, std::string& error) {
  const Column& c = held->column;
  ArrowSchema schema;
  if (!export_schema(*held, &schema, error)) return false;
  ArrowError nano_error{};
  ArrowErrorCode rc = ArrowArrayInitFromSchema(out, &schema, &nano_error);
  schema.release(&schema);
  if (rc != NANOARROW_OK) {
    error = nano_error.message;
    return false;
  }
  const int64_t n = c.size();
  bool ok = wrap(out, 0, c.row_valid, held);
  out->length = n;
  out->null_count = c.null_rows;
  for (int64_t f = 0; ok && f < kFields; ++f) {
    ArrowArray* child = out->children[f];
    child->length = n;
    switch (f) {
      case kKind:
        ok = wrap(child, 1, c.kind_offsets, held) && wrap(child, 2, c.kind_text, held);
        break;
      case kStart:
      case kEnd:
        ok = wrap(child, 0, f == kStart ? c.start_valid : c.end_valid, held) &&
             wrap(child, 1, f == kStart ? c.start : c.end, held);
        child->null_count = f == kStart ? c.rows_without_start : c.rows_without_end;
        break;
      case kConfidence:
        ok = wrap(child, 0, c.reading_valid, held) && wrap(child, 1, c.confidence, held);
        child->null_count = c.rows_without_reading;
        break;
      case kInterpretation:
        ok = wrap(child, 0, c.reading_valid, held) &&
             wrap(child, 1, c.interpretation_offsets, held) &&
             wrap(child, 2, c.interpretation, held);
        child->null_count = c.rows_without_reading;
        break;
      case kReason:
        ok = wrap(child, 0, c.reason_valid, held) && wrap(child, 1, c.reason_offsets, held) &&
             wrap(child, 2, c.reason, held);
        child->null_count = c.rows_without_reason;
        break;
      case kCandidates:
        ok = wrap(child, 1, c.candidates, held);
        break;
      case kZone:
        ok = wrap(child, 0, held->zone_valid, held) && wrap(child, 1, held->zone_offsets, held) &&
             wrap(child, 2, held->zone_text, held);
        child->null_count = n - static_cast<int64_t>(c.zones.size());
        break;
    }
  }
  if (ok) rc = ArrowArrayFinishBuilding(out, NANOARROW_VALIDATION_LEVEL_MINIMAL, &nano_error);
  if (!ok || rc != NANOARROW_OK) {
    out->release(out);
    error = ok ? nano_error.message : "the column's Arrow buffers could not be set up";
    return false;
  }
  return true;
}

bool append_texts(const ArrowSchema* schema, const ArrowArray* array,
                  std::vector<std::string_view>& texts, std::string& error) {
  ArrowError nano_error{};
  ArrowArrayView view;
  if (ArrowArrayViewInitFromSchema(&view, schema, &nano_error) != NANOARROW_OK) {
    error = nano_error.message;
    return false;
  }
  switch (view.storage_type) {
    case NANOARROW_TYPE_NA:  // a column with no value at all
      ArrowArrayViewReset(&view);
      texts.resize(texts.size() + static_cast<std::size_t>(array->length));
      return true;
    case NANOARROW_TYPE_STRING:
    case NANOARROW_TYPE_LARGE_STRING:
    case NANOARROW_TYPE_STRING_VIEW:
    case NANOARROW_TYPE_BINARY:
    case NANOARROW_TYPE_LARGE_BINARY:
    case NANOARROW_TYPE_BINARY_VIEW:
      break;
    default:
      ArrowArrayViewReset(&view);
      error = "texts must be an Arrow array of strings (utf8, large_utf8 or utf8_view), not type ";
      error += schema->format != nullptr ? schema->format : "?";
      return false;
  }
  // Full validation: the offsets come from outside and are read unchecked.
  if (ArrowArrayViewSetArray(&view, array, &nano_error) != NANOARROW_OK ||
      ArrowArrayViewValidate(&view, NANOARROW_VALIDATION_LEVEL_FULL, &nano_error) != NANOARROW_OK) {
    ArrowArrayViewReset(&view);
    error = nano_error.message;
    return false;
  }
  texts.reserve(texts.size() + static_cast<std::size_t>(array->length));
  for (int64_t i = 0; i < array->length; ++i) {
    if (ArrowArrayViewIsNull(&view, i)) {
      texts.emplace_back();
      continue;
    }
    const ArrowStringView s = ArrowArrayViewGetStringUnsafe(&view, i);
    texts.emplace_back(s.data, static_cast<std::size_t>(s.size_bytes));
  }
  ArrowArrayViewReset(&view);
  return true;
}

}  // namespace kalendo::batch
