#pragma once
// Opens a ROM file as transfers need it: only a regular file, or a link to
// one. The path is looked at first, so that no pipe or device is ever opened
// (some act on being opened), and the file opened is checked to be the one
// looked at.

#include <memory>
#include <string>

#include "files/Platform.h"

namespace zarvello {

// Never makes the file.
std::unique_ptr<PlatformFile> OpenRomFile(const std::string& path, PlatformFile::Access access);
// To read and write; a path that names nothing gets an empty file.
std::unique_ptr<PlatformFile> OpenOrCreateRomFile(const std::string& path);

}  // namespace zarvello
