#include "RomFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "FileAccessError.h"

namespace zarvello {
namespace {

using Action = FileAccessError::Action;

int OpenRetrying(const std::string& path, int flags) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

// A folder opens for reading on Linux; it is still no ROM file. Only the type
// is asked for: asking for the times would make the next write stamp finer
// times, which costs an extra inode write at every flush.
int RefuseFolder(int descriptor, const std::string& path) {
  struct statx status {};
  const bool known = ::statx(descriptor, "", AT_EMPTY_PATH, STATX_TYPE, &status) == 0;
  if (!known || S_ISDIR(status.stx_mode)) {
    const int error = known ? EISDIR : errno;
    ::close(descriptor);
    throw FileAccessError::FromErrno(Action::Open, path, error);
  }
  return descriptor;
}

}  // namespace

RomFile RomFile::OpenForReading(const std::string& path) {
  int descriptor = OpenRetrying(path, O_RDONLY);
  // A missing file is created, without asking for write access to an existing one.
  if (descriptor < 0 && errno == ENOENT) descriptor = OpenRetrying(path, O_RDONLY | O_CREAT);
  if (descriptor < 0) throw FileAccessError::FromErrno(Action::Open, path, errno);
  return {RefuseFolder(descriptor, path), path};
}

RomFile RomFile::OpenForWriting(const std::string& path) {
  // A folder fails here already, with EISDIR.
  const int descriptor = OpenRetrying(path, O_RDWR | O_CREAT);
  if (descriptor < 0) throw FileAccessError::FromErrno(Action::Open, path, errno);
  return {descriptor, path};
}

RomFile::RomFile(int descriptor, std::string path)
    : descriptor_(descriptor), path_(std::move(path)) {}

RomFile::RomFile(RomFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

RomFile::~RomFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

std::int64_t RomFile::Length() const {
  // Not fstat, for the same reason as in RefuseFolder.
  const off_t end = ::lseek(descriptor_, 0, SEEK_END);
  if (end < 0) throw FileAccessError::FromErrno(Action::Read, path_, errno);
  return end;
}

std::size_t RomFile::ReadAt(std::int64_t offset, std::span<std::byte> buffer) const {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t count = ::pread(descriptor_, buffer.data() + done, buffer.size() - done,
                                  static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw FileAccessError::FromErrno(Action::Read, path_, errno);
    if (count == 0) break;
    done += static_cast<std::size_t>(count);
  }
  return done;
}

void RomFile::WriteAt(std::int64_t offset, std::span<const std::byte> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t count = ::pwrite(descriptor_, data.data() + done, data.size() - done,
                                   static_cast<off_t>(offset + done));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw FileAccessError::FromErrno(Action::Write, path_, errno);
    if (count == 0) throw FileAccessError::FromErrno(Action::Write, path_, ENOSPC);
    done += static_cast<std::size_t>(count);
  }
}

void RomFile::Truncate(std::int64_t length) {
  if (::ftruncate(descriptor_, static_cast<off_t>(length)) != 0) {
    throw FileAccessError::FromErrno(Action::Write, path_, errno);
  }
}

void RomFile::Flush() {
  if (::fsync(descriptor_) != 0) throw FileAccessError::FromErrno(Action::Write, path_, errno);
}

}  // namespace zarvello
