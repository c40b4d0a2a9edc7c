#pragma once
// A zero-filled byte buffer for one operation, or for whoever it is handed
// on to. From calloc, which takes large ones straight from the system's
// pages, zeroed without a pass over them.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <span>
#include <utility>

namespace zarvello {

class ZeroedBuffer {
 public:
  explicit ZeroedBuffer(std::size_t size);  // throws std::bad_alloc
  ZeroedBuffer(ZeroedBuffer&& other) noexcept
      : size_(std::exchange(other.size_, 0)), data_(std::move(other.data_)) {}
  ZeroedBuffer& operator=(ZeroedBuffer&& other) noexcept {
    size_ = std::exchange(other.size_, 0);
    data_ = std::move(other.data_);
    return *this;
  }

  std::span<std::byte> Bytes() const { return {data_.get(), size_}; }

 private:
  struct Free {
    void operator()(std::byte* bytes) const { std::free(bytes); }
  };
  std::size_t size_;
  std::unique_ptr<std::byte[], Free> data_;
};

// How zeroed memory is had: calloc's way, unless a test put another in its
// place to make it fail, as it may when memory runs out.
using ZeroedAllocation = void* (*)(std::size_t count, std::size_t size);
void UseZeroedAllocation(ZeroedAllocation allocate);

}  // namespace zarvello
