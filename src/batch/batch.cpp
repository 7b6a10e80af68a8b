#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "parse.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::batch {
namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
// Rows a worker takes at a time: large enough that the shared counter is
// touched rarely, small enough that slow texts spread evenly.
constexpr uint32_t kChunk = 512;
// The texts and the table of claims lie wherever they fall in memory:
// a worker fetches the text of the row kAhead rows on, and hashes the text
// of the row kAhead / 2 rows on and fetches its slot, so that neither wait
// stalls the row being read.
constexpr uint32_t kAhead = 16;
constexpr uint32_t kHashed = kAhead / 2;
// How long a worker waits for rows still being read before it looks again:
// the reader reads a chunk of rows in about this time.
constexpr std::chrono::microseconds kFeedWait{20};
// Bytes of answer texts a worker makes room for per row at the start: an
// interpretation is about 30 ("2025-03-14, default 09:00").
constexpr std::size_t kArenaBytes = 32;
// Rows a worker makes room for at most at the start (64 MiB of answers).
constexpr std::size_t kReservedRows = std::size_t{1} << 20;

// Hashes a text for the table of claims: eight bytes at a time.
uint64_t hash_text(std::string_view s) {
  if (s.empty()) return 0;
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h = s.size() * kMul;
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, s.data() + i, s.size() - i);
  h = (h ^ tail) * kMul;
  return h ^ (h >> 32);
}

// Which row resolves each text. The workers claim the rows as they read
// them: the first row to claim a text's slot resolves the text, and every
// other row with that text shares its answer. Claiming on every thread, just
// before the text is read, keeps this off the serial path and reads each
// text's bytes once while they are in the cache. One open-addressing table;
// a free slot is taken by compare-and-swap. A slot holds the high half of
// the text's hash beside the row, so that a probe past another text rarely
// has to read that text. The table is fresh zeroed memory, so that its pages
// are first touched by the workers rather than cleared by the caller.
class Claims {
 public:
  explicit Claims(std::size_t rows)
      : size_(std::bit_ceil(std::max<std::size_t>(16, rows * 2))),
        slots_(static_cast<uint64_t*>(take_memory(size_ * sizeof(uint64_t), true)),
               Give{size_ * sizeof(uint64_t)}) {}

  // Fetches the slot where a text of hash `h` starts its probe into the cache.
  void prefetch(uint64_t h) const { __builtin_prefetch(&slots_[h & (size_ - 1)]); }

  // Returns the row that resolves `texts[row]`, whose hash is `h`: `row`
  // itself when it is the first to claim its text.
  uint32_t claim(std::span<const std::string_view> texts, uint32_t row, uint64_t h) {
    const std::string_view t = texts[row];
    const uint64_t tag = h & 0xFFFFFFFF00000000ull;
    const uint64_t mine = tag | (uint64_t{row} + 1);  // never 0: rows are fewer than kNone
    std::size_t slot = h & (size_ - 1);
    while (true) {
      // Acquire and release: a text read from a feed is seen by a worker that
      // sees its row's claim, as the claimer saw it (free on x86).
      std::atomic_ref<uint64_t> at(slots_[slot]);
      uint64_t held = at.load(std::memory_order_acquire);  // tag | row + 1; 0: free
      if (held == 0 && at.compare_exchange_strong(held, mine, std::memory_order_acq_rel,
                                                  std::memory_order_acquire)) {
        return row;
      }
      // Taken, before or meanwhile: `held` names the row that took it.
      const auto by = static_cast<uint32_t>(held - 1);
      if ((held & 0xFFFFFFFF00000000ull) == tag && texts[by] == t) return by;
      slot = (slot + 1) & (size_ - 1);
    }
  }

 private:
  struct Give {
    std::size_t bytes;
    void operator()(uint64_t* p) const { give_memory(p, bytes); }
  };
  std::size_t size_;
  std::unique_ptr<uint64_t[], Give> slots_;
};

// Rows from which a column's repeats are first looked for in a sample:
// below, the table of claims stays in the caches and costs little.
constexpr std::size_t kSampledFrom = std::size_t{1} << 16;
// Texts seen twice in the sample from which the table of claims is kept.
constexpr int kRepeatsSeen = 2;

// Whether the rows repeat their texts enough that resolving each text once
// pays for the table of claims (see sample_rows and repeats_in).
bool repeats(std::span<const std::string_view> texts) {
  const std::vector<std::size_t> at = sample_rows(texts.size());
  if (at.empty()) return true;
  std::vector<std::string_view> sampled(at.size());
  for (std::size_t i = 0; i < at.size(); ++i)
    sampled[i] = texts[at[i]];
  return repeats_in(sampled);
}

// Where each row's answer is, written by the worker that takes the row.
// resolver[r] is the row whose answer row r shares: r itself when r
// resolved its text, kNone for a null row. answer[r], where resolver[r] is
// r, is the place of the answer: its worker << 32 | its index there.
struct Rows {
  explicit Rows(std::size_t n) : resolver(n), answer(n), size(n) {}
  Buffer<uint32_t> resolver;
  Buffer<uint64_t> answer;
  std::size_t size;
};

// The answer to one text, its texts held in its worker's arena.
struct Answer {
  int64_t start = 0;
  int64_t end = 0;
  float confidence = 0.0f;
  int32_t candidates = 0;
  uint32_t interpretation_at = 0;
  uint32_t interpretation_size = 0;
  uint32_t reason_at = 0;
  uint32_t reason_size = 0;
  uint32_t zone_at = 0;
  uint32_t zone_size = 0;     // 0: the text names no zone
  uint32_t ambiguous_at = 0;  // index of the candidates in the worker's `ambiguous`
  RowKind kind = RowKind::Null;
  bool unfit = false;
  bool open_start = false;  // the range has no start ("before friday")
  bool open_end = false;    // the range has no end ("since august")
};

struct Worker {
  std::vector<Answer, LongAllocator<Answer>> answers;
  std::basic_string<char, std::char_traits<char>, LongAllocator<char>> arena;
  std::vector<std::vector<Resolution>> ambiguous;
  // Where `ambiguous` starts in the column's candidate_sets, once moved there.
  uint32_t ambiguous_base = 0;
  Failure failure = Failure::None;
  std::string failure_text;
};

bool holiday_in(void* context, Date d) {
  const auto* days = static_cast<const std::vector<Date>*>(context);
  return std::binary_search(days->begin(), days->end(), d);
}

// Keeps a text in the worker's arena; the arena stays below 4 GiB.
std::pair<uint32_t, uint32_t> keep(Worker& w, std::string_view s) {
  if (w.arena.size() + s.size() > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("answer texts beyond 4 GiB in one thread");
  }
  const auto at = static_cast<uint32_t>(w.arena.size());
  w.arena.append(s);
  return {at, static_cast<uint32_t>(s.size())};
}

void fill_reading(Answer& a, Worker& w, const Resolution& r) {
  a.start = epoch_seconds(r.value.start);
  a.end = epoch_seconds(r.value.end);
  a.open_start = r.value.open_start;
  a.open_end = r.value.open_end;
  a.confidence = r.confidence;
  std::tie(a.interpretation_at, a.interpretation_size) = keep(w, r.interpretation);
}

Answer resolve(std::string_view text, const Settings& s, HolidayFn holidays, Worker& w) {
  Answer a;
  if (!s.anchors.empty()) {
    // Names that grow the text inside one another's markers: refused.
    constexpr std::size_t kInline = 16;
    std::string_view inline_names[kInline];
    std::vector<std::string_view> heap;
    std::span<std::string_view> names(inline_names, std::min(kInline, s.anchors.size()));
    if (s.anchors.size() > kInline) {
      heap.resize(s.anchors.size());
      names = heap;
    }
    for (std::size_t i = 0; i < s.anchors.size(); ++i)
      names[i] = s.anchors[i].first;
    if (!anchor_markers_fit(uni::trim_white_space(text), names)) {
      a.unfit = true;
      a.kind = RowKind::NoParse;
      return a;
    }
  }
  const auto ask = [&](DateTime now) {
    return s.strict ? parse_str(text, now, s.anchors, s.opts.core, holidays)
                    : everyday::parse_full(text, now, s.anchors, s.opts, holidays);
  };
  Outcome o = ask(s.now);
  // A text naming a zone is read again on that zone's clock at this moment.
  if (!o.zone.empty() && !s.zone_clocks.empty()) {
    const std::optional<DateTime> there = clock_in(s, o.zone);
    if (there && *there != s.now) o = ask(*there);
  }
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      a.kind = o.reading.value.is_range() ? RowKind::Range : RowKind::Instant;
      a.candidates = 1;
      fill_reading(a, w, o.reading);
      break;
    case Outcome::Kind::Ambiguous:
      a.kind = RowKind::Ambiguous;
      a.candidates = static_cast<int32_t>(o.candidates.size());
      if (!o.candidates.empty()) fill_reading(a, w, o.candidates.front());
      std::tie(a.reason_at, a.reason_size) = keep(w, o.reason);
      a.ambiguous_at = static_cast<uint32_t>(w.ambiguous.size());
      w.ambiguous.push_back(std::move(o.candidates));
      break;
    case Outcome::Kind::NoParse:
      a.kind = RowKind::NoParse;
      std::tie(a.reason_at, a.reason_size) = keep(w, o.reason);
      break;
  }
  if (!o.zone.empty()) std::tie(a.zone_at, a.zone_size) = keep(w, o.zone);
  return a;
}

// Claims and resolves rows taken chunk by chunk from `next` until none is
// left or another worker failed; without `claims` every row resolves its
// own text. Catches everything: a thread must not end with an exception.
void run_worker(std::span<const std::string_view> texts, Claims* claims, const Settings& s,
                HolidayFn holidays, uint16_t id, Rows& rows, Worker& w, std::atomic<uint64_t>& next,
                std::atomic<bool>& failed, const std::atomic<bool>* cancel,
                const Feed* feed) noexcept {
  try {
    const uint64_t total = texts.size();
    while (!failed.load(std::memory_order_relaxed)) {
      if ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) ||
          holidays.stop_requested()) {
        w.failure = Failure::Stopped;
        failed = true;
        return;
      }
      const uint64_t begin = next.fetch_add(kChunk, std::memory_order_relaxed);
      if (begin >= total) break;
      const auto stop = static_cast<uint32_t>(std::min(total, begin + kChunk));
      // Rows still being read. The reader is several times faster than the
      // workers on texts to parse, but slower on repeats: a waiting worker
      // sleeps rather than spins, so that the reader keeps a core.
      while (feed != nullptr && feed->ready->load(std::memory_order_acquire) < stop) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
          w.failure = Failure::Stopped;
          failed = true;
          return;
        }
        std::this_thread::sleep_for(kFeedWait);
      }
      uint64_t hashes[kHashed] = {};  // of rows row .. row + kHashed - 1, by row % kHashed
      const auto first = static_cast<uint32_t>(begin);
      for (uint32_t r = first; claims != nullptr && r < std::min(stop, first + kHashed); ++r) {
        hashes[r % kHashed] = hash_text(texts[r]);
        claims->prefetch(hashes[r % kHashed]);
      }
      for (uint32_t row = first; row < stop; ++row) {
        const uint64_t h = hashes[row % kHashed];
        if (stop - row > kAhead) __builtin_prefetch(texts[row + kAhead].data());
        if (claims != nullptr && stop - row > kHashed) {
          hashes[row % kHashed] = hash_text(texts[row + kHashed]);
          claims->prefetch(hashes[row % kHashed]);
        }
        if (texts[row].empty()) {
          rows.resolver[row] = kNone;
          continue;
        }
        const uint32_t by = claims != nullptr ? claims->claim(texts, row, h) : row;
        rows.resolver[row] = by;
        if (by != row) continue;
        rows.answer[row] = uint64_t{id} << 32 | w.answers.size();
        w.answers.push_back(resolve(texts[row], s, holidays, w));
        if (holidays.stop_requested()) {
          w.failure = Failure::Stopped;
          failed = true;
          return;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    w.failure = Failure::NoMemory;
    failed = true;
  } catch (const std::length_error& e) {
    w.failure = Failure::TooLarge;
    w.failure_text = e.what();
    failed = true;
  } catch (const std::exception& e) {
    w.failure = Failure::Internal;
    w.failure_text = e.what();
    failed = true;
  } catch (...) {
    w.failure = Failure::Internal;
    w.failure_text = "unknown internal failure";
    failed = true;
  }
}

void set_bit(std::vector<uint8_t>& bits, std::size_t i) {
  bits[i / 8] = static_cast<uint8_t>(bits[i / 8] | (1u << (i % 8)));
}

// A run of rows laid out by one thread, and what it found on the way; the
// runs are joined in order once every run is laid out. A run starts at a
// multiple of eight rows, so that each byte of a validity bitmap has one
// writer.
struct Run : Tally {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t kind_bytes = 0;
  std::size_t interpretation_bytes = 0;
  std::size_t reason_bytes = 0;
  std::exception_ptr failure;
};

// The answer of a non-null row and the worker that holds its texts.
struct Found {
  const Worker& worker;
  const Answer& answer;
};
Found found(const Rows& rows, const std::vector<Worker>& workers, uint32_t by) {
  const Worker& w = workers[rows.answer[by] >> 32];
  return {w, w.answers[rows.answer[by] & 0xFFFFFFFFu]};
}

bool has_reading(const Answer& a) {
  return a.kind == RowKind::Instant || a.kind == RowKind::Range ||
         (a.kind == RowKind::Ambiguous && a.candidates > 0);
}
bool has_reason(const Answer& a) {
  return a.kind == RowKind::Ambiguous || a.kind == RowKind::NoParse;
}

// Adds a run's tally, of rows after those already in `to`, to the column's.
void join(Tally& to, Tally& from) {
  to.null_rows += from.null_rows;
  to.rows_without_reading += from.rows_without_reading;
  to.rows_without_start += from.rows_without_start;
  to.rows_without_end += from.rows_without_end;
  to.rows_without_reason += from.rows_without_reason;
  const auto append = [](auto& into, auto& rows) {
    into.insert(into.end(), std::make_move_iterator(rows.begin()),
                std::make_move_iterator(rows.end()));
  };
  append(to.open_start, from.open_start);
  append(to.open_end, from.open_end);
  append(to.ambiguous, from.ambiguous);
  append(to.zones, from.zones);
  append(to.unfit_rows, from.unfit_rows);
}

// Fills the fixed-width fields and bitmaps of a run's rows, every field of
// every row, and sums the bytes of its texts.
void lay_out(const Rows& rows, const std::vector<Worker>& workers, Column& c, Run& run) {
  for (std::size_t row = run.begin; row < run.end; ++row) {
    const uint32_t by = rows.resolver[row];
    if (by == kNone) {
      c.kind[row] = RowKind::Null;
      c.candidates[row] = 0;
      c.start[row] = 0;
      c.end[row] = 0;
      c.confidence[row] = 0.0f;
      ++run.null_rows;
      ++run.rows_without_reading;
      ++run.rows_without_start;
      ++run.rows_without_end;
      ++run.rows_without_reason;
      continue;
    }
    const auto [w, a] = found(rows, workers, by);
    set_bit(c.row_valid, row);
    c.kind[row] = a.kind;
    run.kind_bytes += kKindText[static_cast<std::size_t>(a.kind)].size();
    if (a.unfit) run.unfit_rows.push_back(static_cast<int64_t>(row));
    c.candidates[row] = a.candidates;
    if (has_reading(a)) {
      set_bit(c.reading_valid, row);
      // An open end is a null field; its stored time is never read.
      if (a.open_start) {
        ++run.rows_without_start;
        run.open_start.emplace_back(static_cast<int64_t>(row));
      } else {
        set_bit(c.start_valid, row);
      }
      if (a.open_end) {
        ++run.rows_without_end;
        run.open_end.emplace_back(static_cast<int64_t>(row));
      } else {
        set_bit(c.end_valid, row);
      }
      c.start[row] = a.start;
      c.end[row] = a.end;
      c.confidence[row] = a.confidence;
      run.interpretation_bytes += a.interpretation_size;
    } else {
      c.start[row] = 0;
      c.end[row] = 0;
      c.confidence[row] = 0.0f;
      ++run.rows_without_reading;
      ++run.rows_without_start;
      ++run.rows_without_end;
    }
    if (has_reason(a)) {
      set_bit(c.reason_valid, row);
      run.reason_bytes += a.reason_size;
    } else {
      ++run.rows_without_reason;
    }
    if (a.zone_size != 0) {
      run.zones.emplace_back(static_cast<int64_t>(row),
                             std::string_view(w.arena).substr(a.zone_at, a.zone_size));
    }
    if (a.kind == RowKind::Ambiguous) {
      run.ambiguous.emplace_back(static_cast<int64_t>(row), w.ambiguous_base + a.ambiguous_at);
    }
  }
}

// Where a run's texts begin in the column's text buffers.
struct TextsAt {
  std::size_t kind = 0;
  std::size_t interpretation = 0;
  std::size_t reason = 0;
};

// Writes the text of a row's kind at byte `at` of `out`; returns the byte
// after it. Each length a constant: a move or two, not a call.
std::size_t write_kind(RowKind kind, char* out, std::size_t at) {
  const auto put = [&]<std::size_t k>(std::integral_constant<std::size_t, k>) {
    std::memcpy(out + at, kKindText[k].data(), kKindText[k].size());
    return at + kKindText[k].size();
  };
  switch (kind) {
    case RowKind::Instant:
      return put(std::integral_constant<std::size_t, 1>{});
    case RowKind::Range:
      return put(std::integral_constant<std::size_t, 2>{});
    case RowKind::Ambiguous:
      return put(std::integral_constant<std::size_t, 3>{});
    case RowKind::NoParse:
      return put(std::integral_constant<std::size_t, 4>{});
    case RowKind::Null:
      break;
  }
  return at;
}

// Copies a run's texts to the column from the bytes `at` on, and writes
// their offsets.
void place_texts(const Rows& rows, const std::vector<Worker>& workers, Column& c, const Run& run,
                 TextsAt at) {
  for (std::size_t row = run.begin; row < run.end; ++row) {
    const uint32_t by = rows.resolver[row];
    if (by != kNone) {
      const auto [w, a] = found(rows, workers, by);
      at.kind = write_kind(a.kind, c.kind_text.data(), at.kind);
      if (has_reading(a)) {
        std::memcpy(c.interpretation.data() + at.interpretation,
                    w.arena.data() + a.interpretation_at, a.interpretation_size);
        at.interpretation += a.interpretation_size;
      }
      if (has_reason(a)) {
        std::memcpy(c.reason.data() + at.reason, w.arena.data() + a.reason_at, a.reason_size);
        at.reason += a.reason_size;
      }
    }
    c.kind_offsets[row + 1] = static_cast<int32_t>(at.kind);
    c.interpretation_offsets[row + 1] = static_cast<int32_t>(at.interpretation);
    c.reason_offsets[row + 1] = static_cast<int32_t>(at.reason);
  }
}

// Runs `work(run)` for every run on up to `threads` threads, each taking
// the next run left until none is, and rethrows the first failure once all
// have ended. Taken in turn rather than shared out beforehand, so that a
// thread that gets less of a shared machine's time takes fewer runs.
template <typename Work>
void on_threads(std::vector<Run>& runs, unsigned threads, const Work& work) {
  std::atomic<std::size_t> next{0};
  const auto take = [&] {
    for (std::size_t i = next++; i < runs.size(); i = next++) {
      try {
        work(runs[i]);
      } catch (...) {
        runs[i].failure = std::current_exception();
      }
    }
  };
  {
    const std::size_t n_threads = std::min<std::size_t>(threads, runs.size());
    std::vector<std::jthread> pool;
    pool.reserve(n_threads - 1);
    for (std::size_t i = 1; i < n_threads; ++i)
      pool.emplace_back(take);
    take();
  }  // joins
  for (const Run& run : runs)
    if (run.failure) std::rethrow_exception(run.failure);
}

// Runs of the layout a thread has to take, at most: enough that threads
// slowed by other work on the machine do not hold the others up long.
constexpr std::size_t kRunsPerThread = 8;

// Lays the answers out by row, in runs on up to `threads` threads: the
// fixed-width fields first, then the texts once each run's place in the
// text buffers is known. Only the bitmaps are cleared beforehand: each run
// writes every other element of its rows itself.
void assemble(const Rows& rows, const std::vector<Worker>& workers, unsigned threads,
              std::size_t rows_per_run, Column& c) {
  const std::size_t n = rows.size;
  c.kind = Buffer<RowKind>(n);
  c.start = Buffer<int64_t>(n);
  c.end = Buffer<int64_t>(n);
  c.confidence = Buffer<float>(n);
  c.candidates = Buffer<int32_t>(n);
  c.row_valid.assign((n + 7) / 8, 0);
  c.reading_valid.assign((n + 7) / 8, 0);
  c.start_valid.assign((n + 7) / 8, 0);
  c.end_valid.assign((n + 7) / 8, 0);
  c.reason_valid.assign((n + 7) / 8, 0);
  c.kind_offsets = Buffer<int32_t>(n + 1);
  c.interpretation_offsets = Buffer<int32_t>(n + 1);
  c.reason_offsets = Buffer<int32_t>(n + 1);
  c.kind_offsets[0] = c.interpretation_offsets[0] = c.reason_offsets[0] = 0;

  const std::size_t n_runs = std::clamp<std::size_t>(n / std::max<std::size_t>(1, rows_per_run), 1,
                                                     std::size_t{threads} * kRunsPerThread);
  std::vector<Run> runs(n_runs);
  for (std::size_t i = 0; i < n_runs; ++i) {
    runs[i].begin = n / n_runs * i & ~std::size_t{7};
    runs[i].end = i + 1 == n_runs ? n : n / n_runs * (i + 1) & ~std::size_t{7};
  }
  on_threads(runs, threads, [&](Run& run) { lay_out(rows, workers, c, run); });

  std::vector<TextsAt> starts(n_runs + 1);
  for (std::size_t i = 0; i < n_runs; ++i) {
    starts[i + 1] = {starts[i].kind + runs[i].kind_bytes,
                     starts[i].interpretation + runs[i].interpretation_bytes,
                     starts[i].reason + runs[i].reason_bytes};
  }
  // Arrow's 32-bit offsets bound each text buffer.
  const TextsAt& total = starts[n_runs];
  if (std::max({total.kind, total.interpretation, total.reason}) >
      static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error(
        "the answers' texts exceed 2 GiB in one column; parse fewer rows a call");
  }
  c.kind_text = Buffer<char>(total.kind);
  c.interpretation = Buffer<char>(total.interpretation);
  c.reason = Buffer<char>(total.reason);
  on_threads(runs, threads, [&](Run& run) {
    place_texts(rows, workers, c, run, starts[static_cast<std::size_t>(&run - runs.data())]);
  });

  for (Run& run : runs)
    join(c, run);
}

DateTime date_time_of(int64_t seconds) {
  return DateTime{Date{floor_div(seconds, kSecondsPerDay)},
                  TimeOfDay{static_cast<uint32_t>(floor_mod(seconds, kSecondsPerDay)), 0}};
}

}  // namespace

namespace {
// Blocks from this size up are asked of the system, aligned to a large page.
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t whole_pages(std::size_t bytes) {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}
}  // namespace

void* take_memory(std::size_t bytes, bool zeroed) {
  if (bytes < kLargeBlock) {
    void* p = zeroed ? std::calloc(std::max<std::size_t>(bytes, 1), 1)
                     : std::malloc(std::max<std::size_t>(bytes, 1));
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  const std::size_t size = whole_pages(bytes);
  const std::size_t span = size + kLargePage;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  // Only the aligned range is kept: a large page needs an aligned 2 MiB range.
  const auto first = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t at = (first + kLargePage - 1) & ~uintptr_t{kLargePage - 1};
  if (at != first) munmap(raw, at - first);
  if (const std::size_t tail = first + span - (at + size); tail != 0) {
    munmap(reinterpret_cast<void*>(at + size), tail);
  }
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(at), size, MADV_HUGEPAGE);  // advice only: may be refused
#endif
  return reinterpret_cast<void*>(at);
}

void give_memory(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kLargeBlock) {
    std::free(p);
  } else {
    munmap(p, whole_pages(bytes));
  }
}

std::optional<int32_t> fixed_offset(std::string_view zone) {
  if (zone == "UTC") return 0;
  // +HH:MM | -HH:MM
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') return std::nullopt;
  const auto digit = [&](std::size_t i) { return static_cast<int32_t>(zone[i] - '0'); };
  const int32_t minutes = (digit(1) * 10 + digit(2)) * 60 + digit(4) * 10 + digit(5);
  return (zone[0] == '-' ? -minutes : minutes) * 60;
}

std::optional<DateTime> clock_in(const Settings& s, std::string_view zone) {
  const auto named = [&](std::string_view name) -> const DateTime* {
    for (const auto& [z, clock] : s.zone_clocks)
      if (z == name) return &clock;
    return nullptr;
  };
  if (const DateTime* clock = named(zone)) return *clock;
  const std::optional<int32_t> offset = fixed_offset(zone);
  const DateTime* utc = named("UTC");
  if (!offset || utc == nullptr) return std::nullopt;
  DateTime t = date_time_of(epoch_seconds(*utc) + *offset);
  t.time.nanos = utc->time.nanos;
  return t;
}

// On a long column of distinct texts the table of claims is a hash and a
// cache miss a row in a table too large for the caches, for nothing. A
// column is looked at in about 4 * sqrt(rows) places spread over it, each
// with the row after it, so that both repeats spread out and repeats side
// by side (a sorted column) are seen: a column whose rows are second copies
// in a fraction f is expected to show about 64 * f repeats. A column that
// repeats less than that does resolve its few repeats more than once, with
// the same answers.
std::vector<std::size_t> sample_rows(std::size_t rows) {
  if (rows < kSampledFrom) return {};
  const std::size_t places =
      std::bit_ceil(static_cast<std::size_t>(4 * std::sqrt(static_cast<double>(rows))));
  const std::size_t stride = rows / places;
  std::vector<std::size_t> at;
  at.reserve(2 * places);
  for (std::size_t place = 0; place < places; ++place) {
    at.push_back(place * stride);
    at.push_back(place * stride + 1);
  }
  return at;
}

bool repeats_in(std::span<const std::string_view> sampled) {
  if (sampled.empty()) return true;
  std::vector<uint64_t> seen(std::bit_ceil(2 * sampled.size()), 0);  // hashes; 0: free
  const std::size_t mask = seen.size() - 1;
  int repeated = 0;
  for (std::string_view text : sampled) {
    if (text.empty()) continue;  // a null row is no text
    const uint64_t h = hash_text(text) | 1;
    std::size_t slot = h & mask;
    while (seen[slot] != 0 && seen[slot] != h)
      slot = (slot + 1) & mask;
    if (seen[slot] == h && ++repeated >= kRepeatsSeen) return true;
    seen[slot] = h;
  }
  return false;
}

unsigned thread_count(unsigned threads, std::size_t rows) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  // A thread for fewer rows than a chunk costs more than it saves.
  const std::size_t useful = std::max<std::size_t>(1, (rows + kChunk - 1) / kChunk);
  return static_cast<unsigned>(std::min<std::size_t>({threads, useful, 256}));
}

Column parse_column(std::span<const std::string_view> texts, const Settings& s, HolidayFn callable,
                    const std::atomic<bool>* cancel, const Feed* feed) {
  Column c;
  try {
    if (texts.size() >= kNone) throw std::length_error("more than 4,294,967,294 rows in one call");
    const HolidayFn holidays =
        callable.present()   ? callable
        : s.holidays.empty() ? HolidayFn()
                             : HolidayFn(holiday_in, const_cast<std::vector<Date>*>(&s.holidays));
    const unsigned n_threads = callable.present() ? 1u : thread_count(s.threads, texts.size());

    Rows rows(texts.size());
    std::vector<Worker> workers(n_threads);
    // Room for an even share of the rows and their texts, so that a long
    // column is not copied as it grows; only what is written is touched.
    // Capped, as a column of few distinct texts needs far less.
    for (Worker& w : workers) {
      const std::size_t share =
          std::min({texts.size(), texts.size() / n_threads + kChunk, kReservedRows});
      w.answers.reserve(share);
      w.arena.reserve(share * kArenaBytes);
    }
    std::atomic<uint64_t> next{0};
    std::atomic<bool> failed{false};
    {
      // Freed before the column is laid out.
      std::optional<Claims> claims;
      if (callable.present() || (feed != nullptr ? feed->repeats : repeats(texts))) {
        claims.emplace(texts.size());
      }
      std::vector<std::jthread> pool;
      pool.reserve(n_threads - 1);
      for (unsigned i = 1; i < n_threads; ++i) {
        pool.emplace_back([&, i] {
          run_worker(texts, claims ? &*claims : nullptr, s, holidays, static_cast<uint16_t>(i),
                     rows, workers[i], next, failed, cancel, feed);
        });
      }
      run_worker(texts, claims ? &*claims : nullptr, s, holidays, 0, rows, workers[0], next, failed,
                 cancel, feed);
    }  // joins
    for (Worker& w : workers) {
      if (w.failure != Failure::None) {
        c.failure = w.failure;
        c.failure_text = std::move(w.failure_text);
        return c;
      }
    }
    // The candidates of the ambiguous texts, moved once: rows refer to them.
    for (Worker& w : workers) {
      if (c.candidate_sets.size() + w.ambiguous.size() >= kNone) {
        throw std::length_error("more than 4,294,967,294 ambiguous texts in one call");
      }
      w.ambiguous_base = static_cast<uint32_t>(c.candidate_sets.size());
      c.candidate_sets.insert(c.candidate_sets.end(), std::make_move_iterator(w.ambiguous.begin()),
                              std::make_move_iterator(w.ambiguous.end()));
    }
    assemble(rows, workers, n_threads, s.layout_rows, c);
  } catch (const std::bad_alloc&) {
    c = Column{};
    c.failure = Failure::NoMemory;
  } catch (const std::length_error& e) {
    c = Column{};
    c.failure = Failure::TooLarge;
    c.failure_text = e.what();
  } catch (const std::exception& e) {
    c = Column{};
    c.failure = Failure::Internal;
    c.failure_text = e.what();
  }
  return c;
}

const std::vector<Resolution>* Column::candidates_of(int64_t row) const {
  const auto it = std::lower_bound(ambiguous.begin(), ambiguous.end(), row,
                                   [](const auto& entry, int64_t r) { return entry.first < r; });
  return it != ambiguous.end() && it->first == row ? &candidate_sets[it->second] : nullptr;
}

Outcome Column::outcome(int64_t row, int64_t shift, int64_t end_shift) const {
  Outcome o = unzoned_outcome(row, shift, end_shift);
  const auto it = std::lower_bound(zones.begin(), zones.end(), row,
                                   [](const auto& z, int64_t r) { return z.first < r; });
  if (it != zones.end() && it->first == row) o.zone = it->second;
  return o;
}

Outcome Column::unzoned_outcome(int64_t row, int64_t shift, int64_t end_shift) const {
  const auto text = [](const Buffer<int32_t>& off, const Buffer<char>& data, int64_t i) {
    const auto at = static_cast<std::size_t>(i);
    return std::string(data.data() + off[at], static_cast<std::size_t>(off[at + 1] - off[at]));
  };
  switch (kind[row]) {
    case RowKind::Instant:
    case RowKind::Range: {
      const DateTime s = date_time_of(start[row] + shift), e = date_time_of(end[row] + end_shift);
      Value v = kind[row] == RowKind::Range ? Value::range(s, e) : Value::instant(s);
      v.open_start = std::binary_search(open_start.begin(), open_start.end(), row);
      v.open_end = std::binary_search(open_end.begin(), open_end.end(), row);
      Resolution r{text(interpretation_offsets, interpretation, row), v, confidence[row]};
      return Outcome::resolved(std::move(r));
    }
    case RowKind::Ambiguous: {
      const std::vector<Resolution>* all = candidates_of(row);
      return Outcome::ambiguous(all ? *all : std::vector<Resolution>{},
                                text(reason_offsets, reason, row));
    }
    case RowKind::NoParse:
    case RowKind::Null:
      break;
  }
  return Outcome::no_parse(text(reason_offsets, reason, row));
}

}  // namespace kalendo::batch
