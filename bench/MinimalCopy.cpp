#include "MinimalCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace zarvello::bench {

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

}  // namespace zarvello::bench
