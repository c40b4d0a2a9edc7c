#include "files/LockedFiles.h"

#include "files/RollbackJournal.h"
#include "files/RomFile.h"

namespace zarvello {
namespace {

using Access = PlatformFile::Access;
using Lock = PlatformFile::Lock;

void LockOrRefuse(PlatformFile& file, Lock lock, FileError::Action action) {
  if (!file.TryLock(lock)) throw FileError(action, file.Path(), FileError::Cause::Busy);
}

}  // namespace

LockedFiles::LockedFiles(const std::string& copyFromPath, const std::string& pasteToPath)
    : copyFromPath_(copyFromPath),
      pasteToPath_(pasteToPath),
      copyFrom_(OpenRomFile(copyFromPath, Access::Read)),
      pasteTo_(OpenOrCreateRomFile(pasteToPath)) {
  // Two locks on one file would exclude each other.
  if (copyFrom_->Facts().identity == pasteTo_->Facts().identity) copyFrom_.reset();
  LockOrRefuse(*pasteTo_, Lock::Exclusive, FileError::Action::Write);
  if (copyFrom_) LockOrRefuse(*copyFrom_, Lock::Shared, FileError::Action::Read);
}

LockedFiles::LockedFiles(const std::string& path)
    : pasteToPath_(path), pasteTo_(OpenRomFile(path, Access::ReadWrite)) {
  LockOrRefuse(*pasteTo_, Lock::Exclusive, FileError::Action::Write);
}

bool LockedFiles::CutShortTransferFound() const {
  return (!copyFromPath_.empty() && JournalLiesBeside(copyFromPath_)) ||
         JournalLiesBeside(pasteToPath_);
}

std::size_t LockedFiles::Read(std::int64_t offset, std::span<std::byte> buffer) const {
  return (copyFrom_ ? *copyFrom_ : *pasteTo_).ReadAt(offset, buffer);
}

}  // namespace zarvello
