// Reads the fuzzer's bytes as the arguments of one parse: a fixed header
// chooses the context, the rest is the text. Short inputs read as zeros, so
// every byte string is a valid input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kalendo::fuzz {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  uint64_t u(int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(byte()) << (8 * i);
    return v;
  }
  std::string_view take(std::size_t n) {
    n = std::min(n, size_ - pos_);
    const std::string_view s(reinterpret_cast<const char*>(data_) + pos_, n);
    pos_ += n;
    return s;
  }
  std::string_view rest() { return take(size_ - pos_); }

 private:
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace kalendo::fuzz
