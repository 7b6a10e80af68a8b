// A few records of one text kept in place: the pieces of a text, the words
// of its tokens.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace kalendo::everyday {

// Records of one text, the first N kept in place, so that a text of a few
// words, as nearly every text is, allocates nothing; a longer one moves
// them all to the heap once.
template <typename T, std::size_t N = 8>
class InPlace {
 public:
  static constexpr std::size_t kInline = N;

  InPlace() = default;
  ~InPlace() {
    if (size_ != 0) std::destroy_n(first(), size_);
  }
  InPlace(const InPlace&) = delete;
  InPlace& operator=(const InPlace&) = delete;

  // Builds a record in place from its fields, as T{...} would.
  template <typename... Args>
  void emplace(Args&&... args) {
    if (size_ < N && heap_.empty()) {
      new (storage_ + size_ * sizeof(T)) T{std::forward<Args>(args)...};
      ++size_;
      return;
    }
    if (heap_.empty()) spill(2 * N);
    heap_.push_back(T{std::forward<Args>(args)...});
  }

  // Makes n records, default-made, in an empty buffer, and returns them to
  // be written.
  std::span<T> make(std::size_t n) {
    if (n > N) {
      heap_.resize(n);
      return heap_;
    }
    for (; size_ < n; ++size_)
      new (storage_ + size_ * sizeof(T)) T;
    return {first(), n};
  }

  // Builds n records in an empty buffer, the i-th as make(i) returns it
  // (made in its place, not moved there), and returns them.
  template <typename Make>
  std::span<const T> build(std::size_t n, Make make) {
    if (n > N) {
      heap_.reserve(n);
      for (std::size_t i = 0; i < n; ++i)
        heap_.push_back(make(i));
      return heap_;
    }
    for (; size_ < n; ++size_)
      new (storage_ + size_ * sizeof(T)) T(make(size_));
    return {first(), n};
  }

  bool empty() const { return size_ == 0 && heap_.empty(); }
  std::span<const T> items() const {
    return heap_.empty() ? std::span<const T>(first(), size_) : std::span<const T>(heap_);
  }
  // Moves the records out, into a vector of their own.
  std::vector<T> take() {
    if (heap_.empty()) spill(size_);
    return std::move(heap_);
  }

 private:
  T* first() { return std::launder(reinterpret_cast<T*>(storage_)); }
  const T* first() const { return std::launder(reinterpret_cast<const T*>(storage_)); }
  // Moves the records kept in place to the heap, with room for `room`: the
  // rare way, out of line of the loops that build records.
  [[gnu::noinline]] void spill(std::size_t room) {
    heap_.reserve(room);
    for (T& x : std::span<T>(first(), size_))
      heap_.push_back(std::move(x));
    std::destroy_n(first(), size_);
    size_ = 0;
  }

  alignas(T) unsigned char storage_[N * sizeof(T)];
  std::size_t size_ = 0;  // the records built in `storage_`
  std::vector<T> heap_;
};

}  // namespace kalendo::everyday
