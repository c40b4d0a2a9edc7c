#pragma once
// A zero-filled byte buffer for one operation. Large ones come straight from
// the system's pages, which arrive zeroed without a pass over them.

#include <cstddef>
#include <span>

namespace zarvello {

class ZeroedBuffer {
 public:
  explicit ZeroedBuffer(std::size_t size);  // throws std::bad_alloc
  ZeroedBuffer(ZeroedBuffer&& other) noexcept;
  ~ZeroedBuffer();
  ZeroedBuffer& operator=(ZeroedBuffer&&) = delete;
  ZeroedBuffer(const ZeroedBuffer&) = delete;
  ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

  std::span<std::byte> Bytes() const { return {data_, size_}; }

 private:
  std::size_t size_;
  bool fromPages_;
  std::byte* data_;
};

}  // namespace zarvello
