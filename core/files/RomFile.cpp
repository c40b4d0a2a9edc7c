#include "files/RomFile.h"

namespace zarvello {
namespace {

using Action = FileError::Action;
using Cause = FileError::Cause;

void RefuseAllButRegular(const FileFacts& facts, const std::string& path) {
  if (facts.kind == FileKind::Directory) throw FileError(Action::Open, path, Cause::Directory);
  if (facts.kind != FileKind::Regular) throw FileError(Action::Open, path, Cause::NotRegularFile);
}

}  // namespace

std::unique_ptr<PlatformFile> OpenRomFile(const std::string& path, PlatformFile::Access access) {
  const FileFacts looked = LookAt(path, true);
  if (looked.kind == FileKind::Missing) {
    auto created = PlatformFile::Open(path, access, PlatformFile::Opening::CreateIfMissing);
    // Something else may have taken the name since.
    RefuseAllButRegular(created->Facts(), path);
    return created;
  }
  RefuseAllButRegular(looked, path);
  auto file = PlatformFile::Open(path, access, PlatformFile::Opening::Existing);
  if (file->Facts() != looked) throw FileError(Action::Open, path, Cause::Replaced);
  return file;
}

}  // namespace zarvello
