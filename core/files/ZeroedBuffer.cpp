#include "files/ZeroedBuffer.h"

#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zarvello {
namespace {

// Advice only, and only where the kernel gives huge pages on request: a fresh
// 16 MiB buffer on 4 KiB pages costs thousands of page faults, more than the
// copy it holds.
void AdviseHugePages([[maybe_unused]] std::byte* bytes, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size < kHugePage) return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = (reinterpret_cast<std::uintptr_t>(bytes) + page - 1) / page * page;
  const auto end = reinterpret_cast<std::uintptr_t>(bytes) + size;
  ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

ZeroedAllocation allocation = [](std::size_t count, std::size_t size) {
  return std::calloc(count, size);
};

}  // namespace

void UseZeroedAllocation(ZeroedAllocation allocate) { allocation = allocate; }

ZeroedBuffer::ZeroedBuffer(std::size_t size)
    // calloc(0) may give no memory at all, which is no failure.
    : size_(size), data_(static_cast<std::byte*>(allocation(size == 0 ? 1 : size, 1))) {
  if (!data_) throw std::bad_alloc();
  AdviseHugePages(data_.get(), size);
}

}  // namespace zarvello
