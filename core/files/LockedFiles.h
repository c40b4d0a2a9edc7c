#pragma once
// The two files of a transfer's copy step, open and locked until it ends:
// the Copy From file shared, so that no other transfer writes into it
// meanwhile, and the Paste To file exclusively, so that no other transfer
// reads it, writes it or puts it back. A file named on both sides, under one
// name or two, is opened once. A file another transfer holds is refused at
// once, never waited for.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "files/Platform.h"

namespace zarvello {

class LockedFiles {
 public:
  LockedFiles(const std::string& copyFromPath, const std::string& pasteToPath);

  // A journal beside either file, from a transfer cut short since the last
  // look: while one lies there, neither file may be used.
  bool CutShortTransferFound() const;
  // From the Copy From file; bytes past its end keep their values.
  std::size_t Read(std::int64_t offset, std::span<std::byte> buffer) const;
  // Into the Paste To file, all or nothing (see WriteInPlace).
  void Write(std::int64_t offset, std::span<const std::byte> data);

 private:
  std::string copyFromPath_;
  std::string pasteToPath_;
  std::unique_ptr<PlatformFile> copyFrom_;  // empty when it is the Paste To file
  std::unique_ptr<PlatformFile> pasteTo_;
};

}  // namespace zarvello
