#include "transfers/FileHeader.h"

#include <array>
#include <cstddef>
#include <span>

#include "files/RomFile.h"
#include "model/ShownHeader.h"

namespace zarvello {

std::optional<int> FileHeader(const std::string& path) {
  try {
    const auto file = OpenRomFile(path, PlatformFile::Access::Read);
    std::array<std::byte, kShownHeaderBytes> start{};
    const std::size_t read = file->ReadAt(0, start);
    return ShownHeader(std::span(start).first(read), file->Length());
  } catch (const FileError&) {
    // A file that cannot be looked at shows nothing; the transfer will say why.
    return std::nullopt;
  }
}

}  // namespace zarvello
