#include "RomFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "FileAccessError.h"

namespace zarvello {
namespace {

using Action = FileAccessError::Action;

// O_NONBLOCK: opening a named pipe waits for a writer otherwise. It changes
// nothing for the regular files that get past RefuseAllButRegularFiles.
int OpenRetrying(const std::string& path, int flags) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

// Only the type is asked for: asking for the times would make the next write
// stamp finer times, which costs an extra inode write at every flush.
int RefuseAllButRegularFiles(int descriptor, const std::string& path) {
  struct statx status {};
  if (::statx(descriptor, "", AT_EMPTY_PATH, STATX_TYPE, &status) != 0) {
    const int error = errno;
    ::close(descriptor);
    throw FileAccessError::FromErrno(Action::Open, path, error);
  }
  if (S_ISREG(status.stx_mode)) return descriptor;
  ::close(descriptor);
  if (S_ISDIR(status.stx_mode)) throw FileAccessError::FromErrno(Action::Open, path, EISDIR);
  throw FileAccessError(Action::Open, path, "Not a regular file");
}

int OpenRegular(const std::string& path, int flags) {
  const int descriptor = OpenRetrying(path, flags);
  if (descriptor < 0) throw FileAccessError::FromErrno(Action::Open, path, errno);
  return RefuseAllButRegularFiles(descriptor, path);
}

}  // namespace

RomFile RomFile::OpenForReading(const std::string& path) {
  // A missing file is created, without asking for write access to an existing one.
  if (auto file = OpenIfPresent(path)) return std::move(*file);
  return {OpenRegular(path, O_RDONLY | O_CREAT), path};
}

RomFile RomFile::OpenForWriting(const std::string& path) {
  return {OpenRegular(path, O_RDWR | O_CREAT), path};
}

std::optional<RomFile> RomFile::OpenIfPresent(const std::string& path) {
  const int descriptor = OpenRetrying(path, O_RDONLY);
  // No file can have a name too long for the file system.
  if (descriptor < 0 && (errno == ENOENT || errno == ENAMETOOLONG)) return std::nullopt;
  if (descriptor < 0) throw FileAccessError::FromErrno(Action::Open, path, errno);
  return RomFile(RefuseAllButRegularFiles(descriptor, path), path);
}

RomFile RomFile::CreateNew(const std::string& path) {
  return {OpenRegular(path, O_WRONLY | O_CREAT | O_EXCL), path};
}

void RomFile::Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    throw FileAccessError::FromErrno(Action::Write, path, errno);
  }
}

void RomFile::FlushFolderOf(const std::string& path) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  const int descriptor = OpenRetrying(folder, O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) throw FileAccessError::FromErrno(Action::Write, folder, errno);
  const int result = ::fsync(descriptor);
  const int error = errno;
  ::close(descriptor);
  if (result != 0) throw FileAccessError::FromErrno(Action::Write, folder, error);
}

RomFile::RomFile(int descriptor, std::string path)
    : descriptor_(descriptor), path_(std::move(path)) {}

RomFile::RomFile(RomFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

RomFile::~RomFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

std::int64_t RomFile::Length() const {
  // Not fstat, for the same reason as in RefuseAllButRegularFiles.
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

bool RomFile::TryLock() { return ::flock(descriptor_, LOCK_EX | LOCK_NB) == 0; }

}  // namespace zarvello
