#include "MinimalCopy.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

namespace zarvello::bench {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int value) : value_(value) {}
  ~Descriptor() {
    if (value_ >= 0) ::close(value_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return value_; }
  bool Open() const { return value_ >= 0; }

 private:
  int value_;
};

// Straight from the kernel, on huge pages where it gives them, as Zarvello's
// large buffers are: from the heap, 32 MiB of fresh 4 KiB pages take 8192 page
// faults, which cost more than the copy itself.
class Mapping {
 public:
  explicit Mapping(std::size_t size)
      : size_(size == 0 ? 1 : size),
        start_(::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) {
    if (Mapped()) ::madvise(start_, size_, MADV_HUGEPAGE);
  }
  ~Mapping() {
    if (Mapped()) ::munmap(start_, size_);
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  bool Mapped() const { return start_ != MAP_FAILED; }
  std::byte* Bytes() const { return static_cast<std::byte*>(start_); }

 private:
  std::size_t size_;
  void* start_;
};

}  // namespace

bool MinimalCopy(const std::string& fromPath, std::int64_t readAt, const std::string& toPath,
                 std::int64_t writeAt, std::size_t length) {
  const int from = ::open(fromPath.c_str(), O_RDONLY | O_CLOEXEC);
  const int to = ::open(toPath.c_str(), O_RDWR | O_CLOEXEC);
  // Left uninitialised: the read fills it, so zeroing it first would be extra work.
  const auto buffer = std::make_unique_for_overwrite<std::byte[]>(length);
  const auto expected = static_cast<ssize_t>(length);
  const bool copied = from >= 0 && to >= 0 &&
                      ::pread(from, buffer.get(), length, readAt) == expected &&
                      ::pwrite(to, buffer.get(), length, writeAt) == expected && ::fsync(to) == 0;
  if (from >= 0) ::close(from);
  if (to >= 0) ::close(to);
  return copied;
}

bool MinimalCrashSafeCopy(const std::string& fromPath, std::int64_t readAt,
                          const std::string& toPath, std::int64_t writeAt, std::size_t length) {
  const Mapping data(length);
  const Descriptor from(::open(fromPath.c_str(), O_RDONLY | O_CLOEXEC));
  return data.Mapped() && from.Open() &&
         ::pread(from.Get(), data.Bytes(), length, readAt) == static_cast<ssize_t>(length) &&
         MinimalCrashSafeWrite(toPath, writeAt, {data.Bytes(), length});
}

bool MinimalCrashSafeWrite(const std::string& toPath, std::int64_t writeAt,
                           std::span<const std::byte> data, std::optional<std::int64_t> shortenTo) {
  const std::string journalPath = toPath + ".zarvello-journal";
  const std::filesystem::path parent = std::filesystem::path(toPath).parent_path();
  const Descriptor to(::open(toPath.c_str(), O_RDWR | O_CLOEXEC));
  // Opened once for both folder flushes.
  const Descriptor folder(
      ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!to.Open() || !folder.Open()) return false;
  const off_t oldLength = ::lseek(to.Get(), 0, SEEK_END);
  const bool shortens = shortenTo.has_value();
  const auto end = static_cast<std::int64_t>(writeAt + data.size());
  const auto covered = static_cast<std::size_t>(
      std::min<std::int64_t>(shortens ? oldLength : end, oldLength) - writeAt);

  const Mapping old(covered);
  if (!old.Mapped() ||
      ::pread(to.Get(), old.Bytes(), covered, writeAt) != static_cast<ssize_t>(covered)) {
    return false;
  }
  // As long as Zarvello's header; where the old bytes go back, how many, and the old length.
  const std::int64_t header[8] = {writeAt, static_cast<std::int64_t>(covered), oldLength};
  const Descriptor journal(
      ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!journal.Open()) return false;
  if (::pwrite(journal.Get(), header, sizeof header, 0) != sizeof header ||
      ::pwrite(journal.Get(), old.Bytes(), covered, sizeof header) !=
          static_cast<ssize_t>(covered) ||
      ::fsync(journal.Get()) != 0 || ::fsync(folder.Get()) != 0) {
    // toPath is untouched, so the journal has nothing to undo.
    ::unlink(journalPath.c_str());
    return false;
  }
  // A failure from here on leaves the journal behind to undo the write.
  return ::pwrite(to.Get(), data.data(), data.size(), writeAt) ==
             static_cast<ssize_t>(data.size()) &&
         (!shortens || ::ftruncate(to.Get(), *shortenTo) == 0) && ::fsync(to.Get()) == 0 &&
         ::unlink(journalPath.c_str()) == 0 && ::fsync(folder.Get()) == 0;
}

}  // namespace zarvello::bench
