// Columns: every row answers as one parse_full call does, whatever the
// threads and repeats; the Arrow export reads back as the texts went in.
#include "batch/batch.h"
#include "batch/arrow.h"

#include <gtest/gtest.h>
#include <nanoarrow/nanoarrow.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "locale.h"

namespace kalendo::batch {
namespace {

const char* const kTexts[] = {
    "next friday",
    "",
    "3/4/2025",
    "gibberish",
    "in 3 business days",
    "next week",
    "next friday",
    "14.03.2025",
    "   ",
    "tomorrow at 5pm",
    "end of q3",
    "in 3 business days",
};

Settings settings(unsigned threads) {
  Settings s;
  s.now = DateTime{*Date::from_ymd(2024, 6, 5), TimeOfDay::hms(14, 20, 10)};
  s.opts.core.default_time = TimeOfDay::hms(9, 0, 0);
  s.opts.core.locale = &EN;
  s.holidays = {*Date::from_ymd(2024, 6, 6)};
  s.threads = threads;
  return s;
}

bool holiday(void*, Date d) {
  return d == *Date::from_ymd(2024, 6, 6);
}

std::string json_of(Outcome o) {
  std::string json;
  write_json(to_wire(std::move(o)), json);
  return json;
}

// Checks every `step`-th row of a column against one call of full mode on
// its text: a null row for an empty text, else the same answer.
void expect_rows_as_single_calls(const Column& c, std::span<const std::string_view> texts,
                                 const Settings& s, std::size_t step) {
  for (std::size_t i = 0; i < texts.size(); i += step) {
    if (texts[i].empty()) {
      EXPECT_EQ(c.kind[i], RowKind::Null);
      continue;
    }
    const Outcome want =
        everyday::parse_full(texts[i], s.now, s.anchors, s.opts, HolidayFn(holiday, nullptr));
    ASSERT_EQ(json_of(c.outcome(static_cast<int64_t>(i))), json_of(want)) << texts[i];
  }
}

TEST(Batch, RowsAnswerAsSingleCallsWhateverTheThreads) {
  // Many rows, so that several chunks go to several threads.
  std::vector<std::string_view> texts;
  for (int round = 0; round < 400; ++round)
    texts.insert(texts.end(), std::begin(kTexts), std::end(kTexts));
  for (unsigned threads : {1u, 3u, 0u}) {
    const Settings s = settings(threads);
    const Column c = parse_column(texts, s);
    ASSERT_EQ(c.failure, Failure::None);
    ASSERT_EQ(c.size(), static_cast<int64_t>(texts.size()));
    EXPECT_EQ(c.null_rows, 400);
    expect_rows_as_single_calls(c, texts, s, 1);
  }
}

TEST(Batch, ExportReadsBackThroughAnArrayView) {
  // Laid out in runs on three threads: each run's texts land on its rows.
  constexpr std::size_t kRounds = 200;  // enough rows for three workers
  std::vector<std::string_view> texts;
  for (std::size_t round = 0; round < kRounds; ++round)
    texts.insert(texts.end(), std::begin(kTexts), std::end(kTexts));
  Settings s = settings(3);
  s.layout_rows = 16;
  auto held = hold(parse_column(texts, s), "", {}, {});
  ArrowSchema schema;
  ArrowArray array;
  std::string error;
  ASSERT_TRUE(export_schema(*held, &schema, error)) << error;
  ASSERT_TRUE(export_array(held, &array, error)) << error;
  held.reset();  // the export keeps the column alive
  // The kind field is a string array: read it back as texts are read.
  std::vector<std::string_view> kinds;
  ASSERT_TRUE(append_texts(schema.children[0], array.children[0], kinds, error)) << error;
  EXPECT_EQ(kinds[0], "instant");
  EXPECT_EQ(kinds[1], "");
  EXPECT_EQ(kinds[2], "ambiguous");
  EXPECT_EQ(kinds[3], "no_parse");
  EXPECT_EQ(kinds[5], "range");
  std::vector<std::string_view> interpretations;
  ASSERT_TRUE(append_texts(schema.children[4], array.children[4], interpretations, error)) << error;
  const auto* candidates = static_cast<const int32_t*>(array.children[6]->buffers[1]);
  const std::size_t n = std::size(kTexts);
  for (std::size_t i = n; i < texts.size(); ++i) {
    EXPECT_EQ(kinds[i], kinds[i % n]) << i;
    EXPECT_EQ(interpretations[i], interpretations[i % n]) << i;
    EXPECT_EQ(candidates[i], candidates[i % n]) << i;
  }
  EXPECT_EQ(candidates[1], 0);  // a null row's count is 0, not leftover bytes
  EXPECT_EQ(array.null_count, static_cast<int64_t>(kRounds));
  std::vector<std::string_view> numbers;
  EXPECT_FALSE(append_texts(schema.children[6], array.children[6], numbers, error));
  array.release(&array);
  schema.release(&schema);
}

TEST(Batch, LongColumnsAnswerAsSingleCallsWithOrWithoutRepeats) {
  // Long enough that the rows are first sampled for repeats: distinct texts
  // (no table of claims), the same with every tenth row null, and texts
  // repeated side by side, as in a sorted column.
  constexpr std::size_t kRows = 70'000;
  std::vector<std::string> distinct;
  for (std::size_t i = 0; i < kRows; ++i)
    distinct.push_back("in " + std::to_string(i + 1) + " days");
  std::vector<std::string> with_nulls = distinct;
  for (std::size_t i = 0; i < kRows; i += 10)
    with_nulls[i].clear();
  std::vector<std::string> side_by_side;
  for (std::size_t i = 0; i < kRows; ++i)
    side_by_side.push_back(distinct[i / 2]);
  for (const auto* rows : {&distinct, &with_nulls, &side_by_side}) {
    const std::vector<std::string_view> texts(rows->begin(), rows->end());
    for (unsigned threads : {1u, 2u}) {
      const Settings s = settings(threads);
      const Column c = parse_column(texts, s);
      ASSERT_EQ(c.failure, Failure::None);
      ASSERT_EQ(c.size(), static_cast<int64_t>(kRows));
      expect_rows_as_single_calls(c, texts, s, 997);
    }
  }
}

TEST(Batch, RowsFedAsTheyAreReadAnswerAsRowsGivenAtOnce) {
  // The caller writes each row's view, then how far it got; the workers
  // start meanwhile and wait for rows not yet written.
  std::vector<std::string> source;
  for (int round = 0; round < 300; ++round) {
    source.insert(source.end(), std::begin(kTexts), std::end(kTexts));
    source.push_back("in " + std::to_string(round) + " days");
  }
  const std::vector<std::string_view> given(source.begin(), source.end());
  for (bool repeats : {true, false}) {
    const Settings s = settings(2);
    std::vector<std::string_view> fed(given.size());
    std::atomic<std::size_t> ready{0};
    const Feed feed{&ready, repeats};
    std::jthread reader([&] {
      for (std::size_t i = 0; i < fed.size(); ++i) {
        fed[i] = given[i];
        if (i % 100 == 99) ready.store(i + 1, std::memory_order_release);
      }
      ready.store(fed.size(), std::memory_order_release);
    });
    const Column c = parse_column(fed, s, {}, nullptr, &feed);
    ASSERT_EQ(c.failure, Failure::None);
    const Column want = parse_column(given, s);
    for (std::size_t i = 0; i < given.size(); ++i) {
      if (given[i].empty()) {
        EXPECT_EQ(c.kind[i], RowKind::Null);
        continue;
      }
      ASSERT_EQ(json_of(c.outcome(static_cast<int64_t>(i))),
                json_of(want.outcome(static_cast<int64_t>(i))))
          << given[i];
    }
  }
  // A feed that stops short: the call ends once it is cancelled.
  std::vector<std::string_view> fed(given.begin(), given.end());
  std::atomic<std::size_t> ready{1000};
  std::atomic<bool> cancel{false};
  const Feed feed{&ready, true};
  std::jthread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cancel = true;
  });
  EXPECT_EQ(parse_column(fed, settings(2), {}, &cancel, &feed).failure, Failure::Stopped);
}

TEST(Batch, MemoryOfEverySizeIsWholeAndGivenBack) {
  // Below, at and above the size from which blocks are asked of the system:
  // zeroed when asked, writable from the first byte to the last.
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  for (std::size_t bytes :
       {std::size_t{0}, std::size_t{1}, 4 * kMiB - 1, 4 * kMiB, 4 * kMiB + 1, 9 * kMiB + 123}) {
    auto* p = static_cast<unsigned char*>(take_memory(bytes, true));
    ASSERT_NE(p, nullptr);
    for (std::size_t i = 0; i < bytes; i += 4093)
      ASSERT_EQ(p[i], 0) << bytes << " at " << i;
    if (bytes > 0) {
      ASSERT_EQ(p[bytes - 1], 0) << bytes;
      p[0] = 1;
      p[bytes - 1] = 2;
    }
    give_memory(p, bytes);
  }
  Buffer<int64_t> long_one(std::size_t{3} << 20);  // 24 MiB, from the system
  long_one[0] = 1;
  long_one[long_one.size() - 1] = 2;
  EXPECT_EQ(long_one[0] + long_one[long_one.size() - 1], 3);
}

}  // namespace
}  // namespace kalendo::batch
