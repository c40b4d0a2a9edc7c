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

}  // namespace

std::unique_ptr<PlatformFile> OpenRomFile(const std::string& path, PlatformFile::Access access) {
  const FileFacts looked = LookAt(path, true);
  if (looked.kind == FileKind::Missing) {
    // A missing source is no empty source: its open fails, with the system's reason.
    auto file = PlatformFile::Open(
        path, access,
        access == PlatformFile::Access::Read ? Opening::Existing : Opening::CreateIfMissing);
    // Something else may have taken the name since.
    RefuseAllButRegular(file->Facts(), path);
    return file;
  }
  RefuseAllButRegular(looked, path);
  auto file = PlatformFile::Open(path, access, Opening::Existing);
  if (file->Facts() != looked) throw FileError(Action::Open, path, Cause::Replaced);
  return file;
}

}  // namespace zarvello
