#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <thread>

#include "parse.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::batch {
namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
// Unique texts a worker takes at a time: large enough that the shared
// counter is touched rarely, small enough that slow texts spread evenly.
constexpr uint32_t kChunk = 512;

// Hashes a text for the repeat table: eight bytes at a time.
uint64_t hash_text(std::string_view s) {
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

// The rows' texts numbered by first appearance: row_unique[i] is the number
// of row i's text (kNone for a null row); first_row[u] is a row that has
// text u. One open-addressing table, no allocation per row.
struct Repeats {
  std::vector<uint32_t> row_unique;
  std::vector<uint32_t> first_row;
  bool cancelled = false;  // `cancel` was set before every row was numbered
};

// Rows numbered between two looks at the cancel flag.
constexpr std::size_t kCancelRows = 1 << 14;

Repeats number_texts(std::span<const std::string_view> texts, const std::atomic<bool>* cancel,
                     HolidayFn callable) {
  Repeats r;
  r.row_unique.resize(texts.size(), kNone);
  const std::size_t slots = std::bit_ceil(std::max<std::size_t>(16, texts.size() * 2));
  std::vector<uint32_t> table(slots, kNone);  // unique numbers
  const std::size_t mask = slots - 1;
  for (std::size_t row = 0; row < texts.size(); ++row) {
    if (row % kCancelRows == 0 && ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) ||
                                   callable.stop_requested())) {
      r.cancelled = true;
      return r;
    }
    const std::string_view t = texts[row];
    if (t.empty()) continue;
    std::size_t slot = hash_text(t) & mask;
    while (true) {
      const uint32_t u = table[slot];
      if (u == kNone) {
        table[slot] = static_cast<uint32_t>(r.first_row.size());
        r.row_unique[row] = table[slot];
        r.first_row.push_back(static_cast<uint32_t>(row));
        break;
      }
      if (texts[r.first_row[u]] == t) {
        r.row_unique[row] = u;
        break;
      }
      slot = (slot + 1) & mask;
    }
  }
  return r;
}

// The answer to one unique text, its texts held in its worker's arena.
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
  uint32_t zone_size = 0;  // 0: the text names no zone
  uint16_t worker = 0;
  RowKind kind = RowKind::Null;
  bool unfit = false;
  bool open_start = false;  // the range has no start ("before friday")
  bool open_end = false;    // the range has no end ("since august")
};

struct Worker {
  std::string arena;
  std::vector<std::pair<uint32_t, std::vector<Resolution>>> ambiguous;  // by unique number
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

Answer resolve(std::string_view text, const Settings& s, HolidayFn holidays, Worker& w,
               uint32_t unique) {
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
      w.ambiguous.emplace_back(unique, std::move(o.candidates));
      break;
    case Outcome::Kind::NoParse:
      a.kind = RowKind::NoParse;
      std::tie(a.reason_at, a.reason_size) = keep(w, o.reason);
      break;
  }
  if (!o.zone.empty()) std::tie(a.zone_at, a.zone_size) = keep(w, o.zone);
  return a;
}

// Resolves unique texts taken chunk by chunk from `next` until none is
// left or another worker failed. Catches everything: a thread must not end
// with an exception.
void run_worker(std::span<const std::string_view> texts, const Repeats& rep, const Settings& s,
                HolidayFn holidays, uint16_t id, std::vector<Answer>& answers, Worker& w,
                std::atomic<uint32_t>& next, std::atomic<bool>& failed,
                const std::atomic<bool>* cancel) noexcept {
  try {
    const auto total = static_cast<uint32_t>(rep.first_row.size());
    while (!failed.load(std::memory_order_relaxed)) {
      if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
        w.failure = Failure::Stopped;
        failed = true;
        return;
      }
      const uint32_t begin = next.fetch_add(kChunk, std::memory_order_relaxed);
      if (begin >= total) break;
      const uint32_t stop = std::min(total, begin + kChunk);
      for (uint32_t u = begin; u < stop; ++u) {
        answers[u] = resolve(texts[rep.first_row[u]], s, holidays, w, u);
        answers[u].worker = id;
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

// Appends a text field of one row; Arrow's 32-bit offsets bound the total.
void append_text(std::vector<int32_t>& offsets, std::string& data, std::string_view s) {
  if (data.size() + s.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error(
        "the answers' texts exceed 2 GiB in one column; parse fewer rows a call");
  }
  data.append(s);
  offsets.push_back(static_cast<int32_t>(data.size()));
}

// Lays the answers out by row.
void assemble(const Repeats& rep, const std::vector<Answer>& answers, std::vector<Worker>& workers,
              Column& c) {
  const std::size_t n = rep.row_unique.size();
  c.kind.resize(n);
  c.start.resize(n);
  c.end.resize(n);
  c.confidence.resize(n);
  c.candidates.resize(n);
  c.row_valid.assign((n + 7) / 8, 0);
  c.reading_valid.assign((n + 7) / 8, 0);
  c.start_valid.assign((n + 7) / 8, 0);
  c.end_valid.assign((n + 7) / 8, 0);
  c.reason_valid.assign((n + 7) / 8, 0);
  c.interpretation_offsets.reserve(n + 1);
  c.reason_offsets.reserve(n + 1);
  c.interpretation_offsets.push_back(0);
  c.reason_offsets.push_back(0);

  // Unique number -> index into its worker's ambiguous list.
  std::vector<std::pair<uint32_t, std::size_t>> ambiguous_of;  // (unique, worker << 32 | index)
  for (std::size_t wi = 0; wi < workers.size(); ++wi) {
    for (std::size_t k = 0; k < workers[wi].ambiguous.size(); ++k)
      ambiguous_of.emplace_back(workers[wi].ambiguous[k].first, wi << 32 | k);
  }
  std::sort(ambiguous_of.begin(), ambiguous_of.end());

  for (std::size_t row = 0; row < n; ++row) {
    const uint32_t u = rep.row_unique[row];
    if (u == kNone) {
      ++c.null_rows;
      ++c.rows_without_reading;
      ++c.rows_without_start;
      ++c.rows_without_end;
      ++c.rows_without_reason;
      c.interpretation_offsets.push_back(static_cast<int32_t>(c.interpretation.size()));
      c.reason_offsets.push_back(static_cast<int32_t>(c.reason.size()));
      continue;
    }
    const Answer& a = answers[u];
    const std::string& arena = workers[a.worker].arena;
    set_bit(c.row_valid, row);
    c.kind[row] = a.kind;
    if (a.unfit) c.unfit_rows.push_back(static_cast<int64_t>(row));
    c.candidates[row] = a.candidates;
    const bool reading = a.kind == RowKind::Instant || a.kind == RowKind::Range ||
                         (a.kind == RowKind::Ambiguous && a.candidates > 0);
    if (reading) {
      set_bit(c.reading_valid, row);
      // An open end is a null field; its stored time is never read.
      if (a.open_start) {
        ++c.rows_without_start;
        c.open_start.emplace_back(static_cast<int64_t>(row));
      } else {
        set_bit(c.start_valid, row);
      }
      if (a.open_end) {
        ++c.rows_without_end;
        c.open_end.emplace_back(static_cast<int64_t>(row));
      } else {
        set_bit(c.end_valid, row);
      }
      c.start[row] = a.start;
      c.end[row] = a.end;
      c.confidence[row] = a.confidence;
      append_text(c.interpretation_offsets, c.interpretation,
                  std::string_view(arena).substr(a.interpretation_at, a.interpretation_size));
    } else {
      ++c.rows_without_reading;
      ++c.rows_without_start;
      ++c.rows_without_end;
      c.interpretation_offsets.push_back(static_cast<int32_t>(c.interpretation.size()));
    }
    if (a.kind == RowKind::Ambiguous || a.kind == RowKind::NoParse) {
      set_bit(c.reason_valid, row);
      append_text(c.reason_offsets, c.reason,
                  std::string_view(arena).substr(a.reason_at, a.reason_size));
    } else {
      ++c.rows_without_reason;
      c.reason_offsets.push_back(static_cast<int32_t>(c.reason.size()));
    }
    if (a.zone_size != 0) {
      c.zones.emplace_back(static_cast<int64_t>(row),
                           std::string_view(arena).substr(a.zone_at, a.zone_size));
    }
    if (a.kind == RowKind::Ambiguous) {
      const auto it = std::lower_bound(ambiguous_of.begin(), ambiguous_of.end(),
                                       std::pair<uint32_t, std::size_t>{u, 0});
      const Worker& w = workers[it->second >> 32];
      c.ambiguous.emplace_back(static_cast<int64_t>(row),
                               w.ambiguous[it->second & 0xFFFFFFFFu].second);
    }
  }
}

DateTime date_time_of(int64_t seconds) {
  return DateTime{Date{floor_div(seconds, kSecondsPerDay)},
                  TimeOfDay{static_cast<uint32_t>(floor_mod(seconds, kSecondsPerDay)), 0}};
}

}  // namespace

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

unsigned thread_count(unsigned threads, std::size_t rows) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  // A thread for fewer rows than a chunk costs more than it saves.
  const std::size_t useful = std::max<std::size_t>(1, (rows + kChunk - 1) / kChunk);
  return static_cast<unsigned>(std::min<std::size_t>({threads, useful, 256}));
}

Column parse_column(std::span<const std::string_view> texts, const Settings& s, HolidayFn callable,
                    const std::atomic<bool>* cancel) {
  Column c;
  try {
    if (texts.size() >= kNone) throw std::length_error("more than 4,294,967,294 rows in one call");
    const Repeats rep = number_texts(texts, cancel, callable);
    if (rep.cancelled) {
      c.failure = Failure::Stopped;
      return c;
    }
    const HolidayFn holidays =
        callable.present()   ? callable
        : s.holidays.empty() ? HolidayFn()
                             : HolidayFn(holiday_in, const_cast<std::vector<Date>*>(&s.holidays));
    const unsigned n_threads =
        callable.present() ? 1u : thread_count(s.threads, rep.first_row.size());

    std::vector<Answer> answers(rep.first_row.size());
    std::vector<Worker> workers(n_threads);
    std::atomic<uint32_t> next{0};
    std::atomic<bool> failed{false};
    {
      std::vector<std::jthread> pool;
      pool.reserve(n_threads - 1);
      for (unsigned i = 1; i < n_threads; ++i) {
        pool.emplace_back([&, i] {
          run_worker(texts, rep, s, holidays, static_cast<uint16_t>(i), answers, workers[i], next,
                     failed, cancel);
        });
      }
      run_worker(texts, rep, s, holidays, 0, answers, workers[0], next, failed, cancel);
    }  // joins
    for (Worker& w : workers) {
      if (w.failure != Failure::None) {
        c.failure = w.failure;
        c.failure_text = std::move(w.failure_text);
        return c;
      }
    }
    assemble(rep, answers, workers, c);
  } catch (const std::bad_alloc&) {
    c = Column{};
    c.failure = Failure::NoMemory;
  } catch (const std::length_error& e) {
    c = Column{};
    c.failure = Failure::TooLarge;
    c.failure_text = e.what();
  } catch (const std::system_error& e) {
    c = Column{};
    c.failure = Failure::Internal;
    c.failure_text = e.what();
  }
  return c;
}

const std::vector<Resolution>* Column::candidates_of(int64_t row) const {
  const auto it = std::lower_bound(ambiguous.begin(), ambiguous.end(), row,
                                   [](const auto& entry, int64_t r) { return entry.first < r; });
  return it != ambiguous.end() && it->first == row ? &it->second : nullptr;
}

Outcome Column::outcome(int64_t row, int64_t shift, int64_t end_shift) const {
  Outcome o = unzoned_outcome(row, shift, end_shift);
  const auto it = std::lower_bound(zones.begin(), zones.end(), row,
                                   [](const auto& z, int64_t r) { return z.first < r; });
  if (it != zones.end() && it->first == row) o.zone = it->second;
  return o;
}

Outcome Column::unzoned_outcome(int64_t row, int64_t shift, int64_t end_shift) const {
  const auto text = [](const std::vector<int32_t>& off, const std::string& data, int64_t i) {
    return data.substr(static_cast<std::size_t>(off[i]),
                       static_cast<std::size_t>(off[i + 1] - off[i]));
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
