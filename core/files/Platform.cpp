// What both platforms share: which file system is in use.

#include "files/Platform.h"

namespace zarvello {
namespace {

FileSystem* inUse = nullptr;

}  // namespace

FileSystem& CurrentFileSystem() { return inUse != nullptr ? *inUse : PlatformFileSystem(); }

void UseFileSystem(FileSystem& files) { inUse = &files; }

std::unique_ptr<PlatformFile> PlatformFile::Open(const std::string& path, Access access,
                                                 Opening opening) {
  return CurrentFileSystem().Open(path, access, opening);
}

}  // namespace zarvello
