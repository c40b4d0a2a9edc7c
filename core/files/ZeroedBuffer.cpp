#include "files/ZeroedBuffer.h"

#include <utility>

#include "files/Platform.h"

namespace zarvello {
namespace {

// Below this, the heap is cheaper than a mapping of its own.
constexpr std::size_t kPagesFrom = std::size_t{2} << 20;

}  // namespace

ZeroedBuffer::ZeroedBuffer(std::size_t size)
    : size_(size),
      fromPages_(size >= kPagesFrom),
      data_(fromPages_ ? AllocatePages(size) : new std::byte[size]()) {}

ZeroedBuffer::ZeroedBuffer(ZeroedBuffer&& other) noexcept
    : size_(std::exchange(other.size_, 0)),
      fromPages_(std::exchange(other.fromPages_, false)),
      data_(std::exchange(other.data_, nullptr)) {}

ZeroedBuffer::~ZeroedBuffer() {
  if (fromPages_) {
    ReleasePages(data_, size_);
  } else {
    delete[] data_;
  }
}

}  // namespace zarvello
