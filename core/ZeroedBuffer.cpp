#include "ZeroedBuffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace zarvello {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

ZeroedBuffer::ZeroedBuffer(std::size_t size) : size_(size) {
  if (size < kHugePage) {
    data_ = new std::byte[size]();
    return;
  }
  // One huge page more, so the buffer can start on a huge-page boundary.
  mappedSize_ = size + kHugePage;
  mapping_ =
      ::mmap(nullptr, mappedSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping_ == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapping_);
  data_ = static_cast<std::byte*>(mapping_) + (kHugePage - start % kHugePage) % kHugePage;
  // Only advice: without transparent huge pages the buffer still works.
  ::madvise(data_, size, MADV_HUGEPAGE);
}

ZeroedBuffer::~ZeroedBuffer() {
  if (mappedSize_ == 0) {
    delete[] data_;
  } else {
    ::munmap(mapping_, mappedSize_);
  }
}

}  // namespace zarvello
