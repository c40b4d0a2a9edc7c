#include "TransferFiles.h"

#include <algorithm>
#include <vector>

#include "FileAccessError.h"
#include "RomFile.h"

namespace zarvello {
namespace {

// Best effort: the caller reports the original failure either way.
void Restore(RomFile& file, std::int64_t offset, std::span<const std::byte> previous,
             std::int64_t oldLength) noexcept {
  try {
    file.Truncate(oldLength);
    file.WriteAt(offset, previous);
    file.Flush();
  } catch (const FileAccessError&) {
  }
}

}  // namespace

std::size_t ReadFromFile(const std::string& path, std::int64_t offset,
                         std::span<std::byte> buffer) {
  return RomFile::OpenForReading(path).ReadAt(offset, buffer);
}

void WriteInPlace(const std::string& path, std::int64_t offset, std::span<const std::byte> data) {
  RomFile file = RomFile::OpenForWriting(path);
  const std::int64_t oldLength = file.Length();
  std::vector<std::byte> previous(static_cast<std::size_t>(
      std::clamp<std::int64_t>(oldLength - offset, 0, static_cast<std::int64_t>(data.size()))));
  previous.resize(file.ReadAt(offset, previous));
  try {
    file.WriteAt(offset, data);
    file.Flush();
  } catch (const FileAccessError&) {
    Restore(file, offset, previous, oldLength);
    throw;
  }
}

}  // namespace zarvello
