#pragma once
// Byte-level access to ROM files (and their journals) over POSIX calls. Only
// regular files are opened, and never in a way that can block: a named pipe
// would hang the window, a device reads and writes as no ROM file does.
// 64-bit lengths and positions; whole-buffer reads and writes that survive
// partial transfers. Every failure throws FileAccessError naming the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zarvello {

class RomFile {
 public:
  // Both create a missing file empty and never truncate.
  static RomFile OpenForReading(const std::string& path);
  static RomFile OpenForWriting(const std::string& path);
  // For reading; empty when the path names nothing, or nothing can have its name.
  static std::optional<RomFile> OpenIfPresent(const std::string& path);
  // For writing; fails when the path names anything already.
  static RomFile CreateNew(const std::string& path);
  // A file that is already gone counts as removed.
  static void Remove(const std::string& path);
  // Makes the creation or removal of the file's folder entry durable.
  static void FlushFolderOf(const std::string& path);

  RomFile(RomFile&& other) noexcept;
  RomFile& operator=(RomFile&&) = delete;
  RomFile(const RomFile&) = delete;
  RomFile& operator=(const RomFile&) = delete;
  ~RomFile();

  std::int64_t Length() const;
  // Stops at the end of the file; returns how many bytes arrived.
  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const;
  // A write past the end grows the file; skipped bytes read as zero.
  void WriteAt(std::int64_t offset, std::span<const std::byte> data);
  void Truncate(std::int64_t length);
  // Returns only once the data is on disk.
  void Flush();
  // Held until the file is closed, or its process ends; false while another
  // open of the file, in any process, holds it.
  bool TryLock();

 private:
  RomFile(int descriptor, std::string path);

  int descriptor_;
  std::string path_;
};

}  // namespace zarvello
