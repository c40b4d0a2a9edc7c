#include "files/RomFile.h"

namespace zarvello {
namespace {

using Action = FileError::Action;
using Cause = FileError::Cause;
using Opening = PlatformFile::Opening;

void RefuseAllButRegular(const FileFacts& facts, const std::string& path) {
  if (facts.kind == FileKind::Directory) throw FileError(Action::Open, path, Cause::Directory);
  if (facts.kind != FileKind::Regular) throw FileError(Action::Open, path, Cause::NotRegularFile);
}

std::unique_ptr<PlatformFile> Open(const std::string& path, PlatformFile::Access access,
                                   Opening ifMissing) {
  const FileFacts looked = LookAt(path, true);
  if (looked.kind == FileKind::Missing) {
    // Without creating, the open fails with the system's reason.
    auto file = PlatformFile::Open(path, access, ifMissing);
    // Something else may have taken the name since.
    RefuseAllButRegular(file->Facts(), path);
    return file;
  }
  RefuseAllButRegular(looked, path);
  auto file = PlatformFile::Open(path, access, Opening::Existing);
  if (file->Facts() != looked) throw FileError(Action::Open, path, Cause::Replaced);
  return file;
}

}  // namespace

std::unique_ptr<PlatformFile> OpenRomFile(const std::string& path, PlatformFile::Access access) {
  return Open(path, access, Opening::Existing);
}

std::unique_ptr<PlatformFile> OpenOrCreateRomFile(const std::string& path) {
  return Open(path, PlatformFile::Access::ReadWrite, Opening::CreateIfMissing);
}

}  // namespace zarvello
