#pragma once
// A zero-filled byte buffer for one operation. From calloc, which takes large
// ones straight from the system's pages, zeroed without a pass over them.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <span>

namespace zarvello {

class ZeroedBuffer {
 public:
  explicit ZeroedBuffer(std::size_t size);  // throws std::bad_alloc

  std::span<std::byte> Bytes() const { return {data_.get(), size_}; }

 private:
  struct Free {
    void operator()(std::byte* bytes) const { std::free(bytes); }
  };
  std::size_t size_;
  std::unique_ptr<std::byte[], Free> data_;
};

}  // namespace zarvello
