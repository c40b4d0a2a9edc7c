#pragma once
// The operating system's file and memory calls, and nothing else of the
// system: the rest of the program reaches files only through these. Each
// platform is one source file that implements this header: PlatformPosix.cpp
// and PlatformWindows.cpp.
// Every failure throws FileError with the system's reason; nothing here
// decides what a failure means for a transfer.

#include <cstddef>
#include <cstdint>
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

// What a path names, without opening it; a link itself unless followLinks.
// A path that names nothing, or that no file can have, is Missing.
FileFacts LookAt(const std::string& path, bool followLinks);

// The path with every link and "." or ".." resolved; the path as given when
// it names nothing.
std::string ResolvedPath(const std::string& path);

// A file that is already gone counts as removed.
void RemoveFile(const std::string& path);
// Makes the creation or removal of the file's folder entry durable.
void FlushFolderOf(const std::string& path);

// Zero-filled memory straight from the system, in whole pages.
std::byte* AllocatePages(std::size_t size);  // throws std::bad_alloc
void ReleasePages(std::byte* pages, std::size_t size);

// Once, before any file is written: a write that meets a file-size limit
// must fail and be reported, not end the program.
void PrepareProcessForFileErrors();

class PlatformFile {
 public:
  enum class Access { Read, ReadWrite };
  enum class Opening {
    Existing,          // follows links; never creates
    ExistingNoLinks,   // refuses a link
    CreateIfMissing,   // follows links
    CreateNewPrivate,  // refuses anything already there; only its owner may read it
  };
  enum class Lock { Shared, Exclusive };

  // Never waits: a named pipe opens at once, and no terminal becomes the
  // program's. Callers look at a path before they open it.
  static PlatformFile Open(const std::string& path, Access access, Opening opening);

  PlatformFile(PlatformFile&& other) noexcept;
  PlatformFile& operator=(PlatformFile&&) = delete;
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;
  ~PlatformFile();

  const std::string& Path() const { return path_; }
  FileFacts Facts() const;
  std::int64_t Length() const;
  // Stops at the end of the file; returns how many bytes arrived.
  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const;
  // A write past the end grows the file; skipped bytes read as zero.
  void WriteAt(std::int64_t offset, std::span<const std::byte> data);
  void Truncate(std::int64_t length);
  // Returns only once the data is on disk.
  void Flush();
  // Covers every name of the file and lasts until it is closed or its
  // process ends. False at once while another open of the file, in this
  // process or another, holds a lock that excludes it.
  bool TryLock(Lock lock);

 private:
  PlatformFile(std::intptr_t handle, std::string path);

  std::intptr_t handle_;
  std::string path_;
};

}  // namespace zarvello
