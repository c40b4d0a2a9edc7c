#pragma once
// The operating system's file calls, and nothing else of the system: the
// rest of the program reaches files only through these. Each platform is one
// source file that implements this header: PlatformPosix.cpp and
// PlatformWindows.cpp.
// The file calls go through one table, FileSystem, with the platform's own
// beneath; a test may put a table of its own in front of it that passes the
// calls on, and stops, pauses or breaks one of them, as SQLite's crash tests
// do with its VFS.
// Every failure throws FileError with the system's reason; nothing here
// decides what a failure means for a transfer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "files/FileError.h"

namespace zarvello {

enum class FileKind { Missing, Regular, Directory, Link, Other };

// Which file a name leads to, whatever the name: the same for every hard
// link and every mount of the file.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct FileFacts {
  FileKind kind = FileKind::Missing;
  FileIdentity identity;
  // Owned by the user running the program, and no one else may change it.
  bool ownedByUserAlone = false;
  // Told apart by all of these: a file may take the name, and even the
  // index, of one just removed.
  bool operator==(const FileFacts&) const = default;
};

// An open file.
class PlatformFile {
 public:
  enum class Access { Read, ReadWrite };
  enum class Opening {
    Existing,          // follows links; never creates
    ExistingNoLinks,   // refuses a link
    CreateIfMissing,   // follows links
    CreateNewPrivate,  // refuses anything already there; only its owner may read or write it
  };
  enum class Lock { Shared, Exclusive };

  // Through the file system in use. Never waits: a named pipe opens at once,
  // and no terminal becomes the program's. Callers look at a path before
  // they open it.
  static std::unique_ptr<PlatformFile> Open(const std::string& path, Access access,
                                            Opening opening);

  explicit PlatformFile(std::string path) : path_(std::move(path)) {}
  virtual ~PlatformFile() = default;
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;

  const std::string& Path() const { return path_; }
  virtual FileFacts Facts() const = 0;
  virtual std::int64_t Length() const = 0;
  // Stops at the end of the file; returns how many bytes arrived.
  virtual std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const = 0;
  // A write past the end grows the file; skipped bytes read as zero.
  virtual void WriteAt(std::int64_t offset, std::span<const std::byte> data) = 0;
  virtual void Truncate(std::int64_t length) = 0;
  // Returns only once the data is on disk.
  virtual void Flush() = 0;
  // Covers every name of the file and lasts until it is closed or its
  // process ends. False at once while another open of the file, in this
  // process or another, holds a lock that excludes it.
  virtual bool TryLock(Lock lock) = 0;

 private:
  std::string path_;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // What a path names, without opening it; a link itself unless followLinks.
  // A path that names nothing, or that no file can have, is Missing.
  virtual FileFacts LookAt(const std::string& path, bool followLinks) = 0;
  // The path with every link and "." or ".." resolved; the path as given
  // when it names nothing.
  virtual std::string ResolvedPath(const std::string& path) = 0;
  // A file that is already gone counts as removed.
  virtual void RemoveFile(const std::string& path) = 0;
  // Makes the creation or removal of the file's folder entry durable where
  // the system keeps folder entries apart from the file's own flush.
  virtual void FlushFolderOf(const std::string& path) = 0;
  virtual std::unique_ptr<PlatformFile> Open(const std::string& path, PlatformFile::Access access,
                                             PlatformFile::Opening opening) = 0;
};

// The platform's own calls.
FileSystem& PlatformFileSystem();
// The calls in use: the platform's own unless a test put others in front.
FileSystem& CurrentFileSystem();
void UseFileSystem(FileSystem& files);

// Shorthands for the file system in use.
inline FileFacts LookAt(const std::string& path, bool followLinks) {
  return CurrentFileSystem().LookAt(path, followLinks);
}
inline std::string ResolvedPath(const std::string& path) {
  return CurrentFileSystem().ResolvedPath(path);
}
inline void RemoveFile(const std::string& path) { CurrentFileSystem().RemoveFile(path); }
inline void FlushFolderOf(const std::string& path) { CurrentFileSystem().FlushFolderOf(path); }

// Once, before any file is written: a write that meets a file-size limit
// must fail and be reported, not end the program.
void PrepareProcessForFileErrors();

}  // namespace zarvello
