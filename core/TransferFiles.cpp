#include "TransferFiles.h"

#include <algorithm>

#include "FileAccessError.h"
#include "RomFile.h"
#include "ZeroedBuffer.h"

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
  const auto covered = static_cast<std::size_t>(
      std::clamp<std::int64_t>(oldLength - offset, 0, static_cast<std::int64_t>(data.size())));
  const ZeroedBuffer buffer(covered);
  const auto previous = buffer.Bytes().first(file.ReadAt(offset, buffer.Bytes()));
  try {
    file.WriteAt(offset, data);
    file.Flush();
  } catch (const FileAccessError&) {
    Restore(file, offset, previous, oldLength);
    throw;
  }
}

}  // namespace zarvello
