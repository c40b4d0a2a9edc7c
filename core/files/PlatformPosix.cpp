// The file calls of Linux and other POSIX systems.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

#include "files/Platform.h"

namespace zarvello {
namespace {

using Action = FileError::Action;
using Cause = FileError::Cause;

FileError SystemError(Action action, const std::string& path, int error) {
  Cause cause = Cause::System;
  if (error == EACCES || error == EPERM || error == EROFS) cause = Cause::Denied;
  if (error == ENAMETOOLONG) cause = Cause::NameTooLong;
  if (error == EEXIST) cause = Cause::Exists;
  return {action, path, cause, std::strerror(error)};
}

// Neither times nor size: asking for the times would make the next write
// stamp finer times, which costs an extra inode write at every flush.
constexpr unsigned kFactsMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO;

FileFacts FactsOf(const struct statx& status) {
  FileFacts facts;
  const mode_t mode = status.stx_mode;
  facts.kind = S_ISREG(mode)   ? FileKind::Regular
               : S_ISDIR(mode) ? FileKind::Directory
               : S_ISLNK(mode) ? FileKind::Link
                               : FileKind::Other;
  facts.identity = {makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino};
  facts.ownedByUserAlone = status.stx_uid == ::geteuid() && (mode & (S_IWGRP | S_IWOTH)) == 0;
  return facts;
}

int OpenFlags(PlatformFile::Access access, PlatformFile::Opening opening) {
  // O_NONBLOCK: a named pipe would wait for a writer otherwise. It changes
  // nothing for regular files.
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  flags |= access == PlatformFile::Access::Read ? O_RDONLY : O_RDWR;
  switch (opening) {
    case PlatformFile::Opening::Existing:
      break;
    case PlatformFile::Opening::ExistingNoLinks:
      flags |= O_NOFOLLOW;
      break;
    case PlatformFile::Opening::CreateIfMissing:
      flags |= O_CREAT;
      break;
    case PlatformFile::Opening::CreateNewPrivate:
      flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
      break;
  }
  return flags;
}

// Repeats a pread or pwrite, given as the call for the bytes done so far,
// until all `size` bytes are done or a call moves none.
template <typename Call>
std::size_t Repeat(std::size_t size, Action action, const std::string& path, Call call) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t count = call(done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw SystemError(action, path, errno);
    if (count == 0) break;
    done += static_cast<std::size_t>(count);
  }
  return done;
}

class PosixFile final : public PlatformFile {
 public:
  PosixFile(int descriptor, const std::string& path)
      : PlatformFile(path), descriptor_(descriptor) {}
  ~PosixFile() override { ::close(descriptor_); }

  FileFacts Facts() const override {
    struct statx status {};
    if (::statx(descriptor_, "", AT_EMPTY_PATH, kFactsMask, &status) != 0) {
      throw SystemError(Action::Open, Path(), errno);
    }
    return FactsOf(status);
  }

  std::int64_t Length() const override {
    const off_t end = ::lseek(descriptor_, 0, SEEK_END);
    if (end < 0) throw SystemError(Action::Read, Path(), errno);
    return end;
  }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const override {
    return Repeat(buffer.size(), Action::Read, Path(), [&](std::size_t done) {
      return ::pread(descriptor_, buffer.data() + done, buffer.size() - done,
                     static_cast<off_t>(offset + done));
    });
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    const std::size_t written = Repeat(data.size(), Action::Write, Path(), [&](std::size_t done) {
      return ::pwrite(descriptor_, data.data() + done, data.size() - done,
                      static_cast<off_t>(offset + done));
    });
    // A write that moves nothing has no room left.
    if (written < data.size()) throw SystemError(Action::Write, Path(), ENOSPC);
  }

  void Truncate(std::int64_t length) override {
    if (::ftruncate(descriptor_, static_cast<off_t>(length)) != 0) {
      throw SystemError(Action::Write, Path(), errno);
    }
  }

  void Flush() override {
    if (::fsync(descriptor_) != 0) throw SystemError(Action::Write, Path(), errno);
  }

  bool TryLock(Lock lock) override {
    const int operation = (lock == Lock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int result;
    do {
      result = ::flock(descriptor_, operation);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return true;
    if (errno == EWOULDBLOCK) return false;
    throw SystemError(Action::Open, Path(), errno);
  }

 private:
  int descriptor_;
};

class PosixFileSystem final : public FileSystem {
 public:
  FileFacts LookAt(const std::string& path, bool followLinks) override {
    struct statx status {};
    if (::statx(AT_FDCWD, path.c_str(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, kFactsMask,
                &status) == 0) {
      return FactsOf(status);
    }
    if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return {};
    throw SystemError(Action::Open, path, errno);
  }

  std::string ResolvedPath(const std::string& path) override {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : path;
  }

  void RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      throw SystemError(Action::Write, path, errno);
    }
  }

  // A file's own flush leaves its folder entry behind.
  void FlushFolderOf(const std::string& path) override {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string folder = parent.empty() ? std::string(".") : parent.string();
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) throw SystemError(Action::Write, folder, errno);
    const int result = ::fsync(descriptor);
    const int error = errno;
    ::close(descriptor);
    if (result != 0) throw SystemError(Action::Write, folder, error);
  }

  std::unique_ptr<PlatformFile> Open(const std::string& path, PlatformFile::Access access,
                                     PlatformFile::Opening opening) override {
    const mode_t mode = opening == PlatformFile::Opening::CreateNewPrivate ? 0600 : 0666;
    int descriptor;
    do {
      descriptor = ::open(path.c_str(), OpenFlags(access, opening), mode);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) throw SystemError(Action::Open, path, errno);
    return std::make_unique<PosixFile>(descriptor, path);
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem files;
  return files;
}

void PrepareProcessForFileErrors() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace zarvello
