#include "BenchFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <system_error>
#include <vector>

namespace zarvello::bench {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

void WritePatternFile(const std::string& path, std::int64_t length, unsigned seed) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) ThrowErrno("open " + path);
  std::vector<std::byte> chunk(std::size_t{1} << 16);
  for (std::int64_t done = 0; done < length;) {
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(length - done, static_cast<std::int64_t>(chunk.size())));
    for (std::size_t i = 0; i < count; ++i) {
      chunk[i] = static_cast<std::byte>((done + static_cast<std::int64_t>(i)) * 7 + seed);
    }
    if (::write(descriptor, chunk.data(), count) != static_cast<ssize_t>(count)) {
      ::close(descriptor);
      ThrowErrno("write " + path);
    }
    done += static_cast<std::int64_t>(count);
  }
  if (::fsync(descriptor) != 0 || ::close(descriptor) != 0) ThrowErrno("fsync " + path);
}

}  // namespace zarvello::bench
