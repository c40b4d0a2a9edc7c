#pragma once
// The files of a change, open and locked until it ends: the file written
// exclusively, so that no other transfer reads it, writes it or puts it
// back, and a transfer's Copy From file shared, so that no other transfer
// writes into it meanwhile. A file named on both sides, under one name or
// two, is opened once. A file another transfer holds is refused at once,
// never waited for.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "files/Platform.h"

namespace zarvello {

class LockedFiles {
 public:
  // A transfer's two files; a Paste To path that names nothing gets an empty file.
  LockedFiles(const std::string& copyFromPath, const std::string& pasteToPath);
  // One file to write, which must exist.
  explicit LockedFiles(const std::string& path);

  // A journal beside either file, from a transfer cut short since the last
  // look: while one lies there, neither file may be used.
  bool CutShortTransferFound() const;
  // From the Copy From file; bytes past its end keep their values.
  std::size_t Read(std::int64_t offset, std::span<std::byte> buffer) const;
  // The file written, for an InPlaceWrite.
  PlatformFile& Written() { return *pasteTo_; }

 private:
  std::string copyFromPath_;  // empty for one file
  std::string pasteToPath_;
  std::unique_ptr<PlatformFile> copyFrom_;  // empty when it is the Paste To file
  std::unique_ptr<PlatformFile> pasteTo_;
};

}  // namespace zarvello
