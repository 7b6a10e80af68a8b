// Columns of texts: resolves many texts in one call, spread over threads,
// into columnar answers that an Arrow export can wrap without copying.
//
// Workers read plain C++ data only: the texts as views into buffers that
// outlive the call, the settings by reference to a const record, holidays as
// a sorted vector of days. A text the column repeats is resolved once per
// call; a long column whose sampled rows hardly repeat skips the table that
// tells repeats apart.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "config.h"
#include "everyday/mod.h"
#include "types.h"

namespace kalendo::batch {

// What every row of one call is resolved against.
struct Settings {
  DateTime now;
  AnchorMap anchors;
  everyday::FullOptions opts;
  bool strict = false;          // the core grammar alone, as parse_str answers
  std::vector<Date> holidays;   // sorted, no repeats; used when `callable` is empty
  unsigned threads = 1;         // 0 means one per core
  std::string_view zone_label;  // kept with the column for its Arrow type
  // With a `now` that has a zone: its wall clock in each zone a text may
  // name ("UTC", "America/Los_Angeles", a caller's "IST"). A row naming one
  // is read on that clock, as a single parse reads it; an offset ("+05:30")
  // is read on the UTC clock moved by the offset. Empty: every row is read
  // on `now` as given.
  std::vector<std::pair<std::string, DateTime>> zone_clocks;
  // Rows of a run of the column's layout at least, each run taken by one
  // thread: below that, starting a thread costs more than the copying it
  // shares. Tests lower it to split small columns.
  std::size_t layout_rows = std::size_t{1} << 16;
};

// Returns the seconds east of UTC of a fixed zone ("UTC", "+05:30"), or none.
std::optional<int32_t> fixed_offset(std::string_view zone);

// Returns the wall clock of the moment in `zone` by `s.zone_clocks`, or none.
std::optional<DateTime> clock_in(const Settings& s, std::string_view zone);

// The kind of a row; Null for a missing or empty text.
enum class RowKind : uint8_t { Null, Instant, Range, Ambiguous, NoParse };

// The text of each RowKind, in enum order, as the column's kind field
// holds it; Null rows have none.
inline constexpr std::string_view kKindText[5] = {"", "instant", "range", "ambiguous", "no_parse"};

// Memory for the long arrays of a column and of the workers that fill it:
// many megabytes, written once row after row. A large block is asked of the
// system directly, aligned and marked for 2 MiB pages where the system
// offers them, so that first touching it costs a fault per 2 MiB rather
// than per 4 KiB page; its pages come zeroed. A small one comes from the
// heap, cleared only when `zeroed`. take_memory throws std::bad_alloc;
// give_memory takes back the same size.
void* take_memory(std::size_t bytes, bool zeroed = false);
void give_memory(void* p, std::size_t bytes) noexcept;

// The allocator of growing arrays (std::vector, std::basic_string) that
// may reach megabytes: take_memory's.
template <typename T>
struct LongAllocator {
  using value_type = T;
  LongAllocator() = default;
  template <typename U>
  LongAllocator(const LongAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(take_memory(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { give_memory(p, n * sizeof(T)); }
  template <typename U>
  friend bool operator==(const LongAllocator&, const LongAllocator<U>&) {
    return true;
  }
};

// An array of T that is not initialised when made: the threads that lay a
// column out write every element, each thread its own rows, so that the
// pages are first touched on those threads rather than cleared on one
// beforehand. Never empty in memory, so that its data is never null.
template <typename T>
class Buffer {
  static_assert(std::is_trivially_default_constructible_v<T> &&
                std::is_trivially_destructible_v<T>);

 public:
  Buffer() = default;
  explicit Buffer(std::size_t n)
      : data_(static_cast<T*>(take_memory(std::max<std::size_t>(n, 1) * sizeof(T))),
              Give{std::max<std::size_t>(n, 1) * sizeof(T)}),
        size_(n) {}

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T& operator[](std::size_t i) { return data_.get()[i]; }
  const T& operator[](std::size_t i) const { return data_.get()[i]; }

  friend bool operator==(const Buffer& a, const Buffer& b) {
    return a.size_ == b.size_ && std::equal(a.data(), a.data() + a.size_, b.data());
  }

 private:
  struct Give {
    std::size_t bytes = 0;
    void operator()(T* p) const { give_memory(p, bytes); }
  };
  std::unique_ptr<T, Give> data_;
  std::size_t size_ = 0;
};

// Why a call gave no column.
enum class Failure : uint8_t { None, NoMemory, TooLarge, Internal, Stopped };

// What a column counts and lists of its rows besides one entry a row. A
// column laid out in runs joins the runs' tallies in row order.
struct Tally {
  int64_t null_rows = 0;
  int64_t rows_without_reading = 0;
  int64_t rows_without_start = 0;
  int64_t rows_without_end = 0;
  int64_t rows_without_reason = 0;
  // The rows whose range has no start, or no end, in ascending order.
  std::vector<int64_t> open_start;
  std::vector<int64_t> open_end;
  // The ambiguous rows, by row in ascending order, each with the index of
  // its candidates in the column's `candidate_sets`.
  std::vector<std::pair<int64_t, uint32_t>> ambiguous;
  // The zone of the rows whose text names one ("5pm UTC"), by row in
  // ascending order; their times are on that zone's wall clock.
  std::vector<std::pair<int64_t, std::string>> zones;
  // Rows whose text would make the anchor names grow it without bound: the
  // caller refuses the call, as it refuses one such text.
  std::vector<int64_t> unfit_rows;
};

// The answers, one entry per row in every buffer. Times are seconds since
// 1970-01-01T00:00:00 on the wall clock of `now` (a leap second counts as
// second 59). A text field of row i is bytes [off[i], off[i+1]) of its text.
// A field a row has no value in (a null row's start, a no-parse's
// confidence) holds 0.
struct Column : Tally {
  Buffer<RowKind> kind;
  Buffer<int64_t> start;       // the instant, or the range's start
  Buffer<int64_t> end;         // the range's end; the instant again
  Buffer<float> confidence;    // of the reading, or the first candidate
  Buffer<int32_t> candidates;  // 1 for a reading, 0 for a no-parse
  Buffer<int32_t> interpretation_offsets;
  Buffer<char> interpretation;
  Buffer<int32_t> reason_offsets;
  Buffer<char> reason;
  // The text of each row's kind (kKindText), "" for a null row.
  Buffer<int32_t> kind_offsets;
  Buffer<char> kind_text;
  // Validity bitmaps in Arrow's layout (bit i of byte i / 8): the row, its
  // reading (confidence, interpretation), the reading's start and end (each
  // null also at an open end of a range) and its reason.
  std::vector<uint8_t> row_valid;
  std::vector<uint8_t> reading_valid;
  std::vector<uint8_t> start_valid;
  std::vector<uint8_t> end_valid;
  std::vector<uint8_t> reason_valid;

  // The candidates of each ambiguous text, once however many rows repeat it.
  std::vector<std::vector<Resolution>> candidate_sets;

  Failure failure = Failure::None;
  std::string failure_text;

  int64_t size() const { return static_cast<int64_t>(kind.size()); }
  // Returns the candidates of ambiguous row `row`, or none.
  const std::vector<Resolution>* candidates_of(int64_t row) const;
  // Returns the outcome of a non-null row, as a single parse would give it;
  // `shift` and `end_shift` seconds are added to the stored start and end.
  Outcome outcome(int64_t row, int64_t shift = 0, int64_t end_shift = 0) const;

 private:
  Outcome unzoned_outcome(int64_t row, int64_t shift, int64_t end_shift) const;
};

// Returns the number of threads a call with `threads` uses for `rows` rows.
unsigned thread_count(unsigned threads, std::size_t rows);

// Returns the rows at which a long column is looked at for repeats, in
// ascending order; none for a column short enough that it is not (its
// repeats are resolved once whatever they are).
std::vector<std::size_t> sample_rows(std::size_t rows);
// Whether the texts at a column's sample_rows (an empty view for a null
// row) repeat enough that resolving each text once pays for the table of
// claims.
bool repeats_in(std::span<const std::string_view> sampled);

// The texts of a column that the caller is still reading as the workers
// start: a row below `ready` (stored with release order as rows are read)
// may be read, and the workers wait for the others. A caller that cannot
// finish sets the call's `cancel`. Whether the rows repeat is decided by
// the caller beforehand (sample_rows, repeats_in).
struct Feed {
  const std::atomic<std::size_t>* ready = nullptr;
  bool repeats = true;
};

// Resolves every text; an empty view is a null row. With a non-empty
// `callable` the rows run on the calling thread, in order, and a stop it
// requests (asked after every text it resolves, and between chunks of
// rows) ends the call (Failure::Stopped). The workers read `cancel` (when
// given) between chunks of rows and while they wait for a `feed`: once it
// is set they stop, and the call ends with Failure::Stopped. No exception
// leaves a worker: a failure is reported in the column's `failure`.
Column parse_column(std::span<const std::string_view> texts, const Settings& s,
                    HolidayFn callable = {}, const std::atomic<bool>* cancel = nullptr,
                    const Feed* feed = nullptr);

// Seconds since 1970-01-01T00:00:00 of a wall-clock date-time.
inline int64_t epoch_seconds(DateTime t) {
  return t.date.days * kSecondsPerDay + static_cast<int64_t>(t.time.secs);
}

}  // namespace kalendo::batch
