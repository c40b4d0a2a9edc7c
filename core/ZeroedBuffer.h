#pragma once
// A zero-filled byte buffer for one operation. Large ones come straight from
// the kernel on huge pages where it can: a fresh 16 MiB buffer on 4 KiB pages
// costs thousands of page faults, more than the copy it holds.

#include <cstddef>
#include <span>

namespace zarvello {

class ZeroedBuffer {
 public:
  explicit ZeroedBuffer(std::size_t size);  // throws std::bad_alloc
  ~ZeroedBuffer();
  ZeroedBuffer(const ZeroedBuffer&) = delete;
  ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

  std::span<std::byte> Bytes() const { return {data_, size_}; }

 private:
  std::size_t size_;
  std::size_t mappedSize_ = 0;  // 0: from the heap
  void* mapping_ = nullptr;
  std::byte* data_;
};

}  // namespace zarvello
