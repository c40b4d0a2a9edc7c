#include "TransferFiles.h"

#include <algorithm>

#include "FileAccessError.h"
#include "RollbackJournal.h"
#include "RomFile.h"
#include "ZeroedBuffer.h"

namespace zarvello {
namespace {

// What the user is told about the file after a failed write; empty when it
// is as it was before.
std::string PutBackAfterFailure(RomFile& file, const SavedBytes& saved, RollbackJournal& journal) {
  try {
    PutBack(file, saved);
  } catch (const FileAccessError& error) {
    if (journal.OnDisk()) {
      return "It could not be put back yet: the next transfer into it will put it back.";
    }
    return "It could not be put back: " + std::string(error.what()) + ".";
  }
  // The file is as it was, so a journal left behind would only put the same
  // bytes back once more.
  try {
    journal.Close();
  } catch (const FileAccessError&) {
  }
  return {};
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
  const SavedBytes saved{offset, oldLength,
                         buffer.Bytes().first(file.ReadAt(offset, buffer.Bytes()))};
  RollbackJournal journal = RollbackJournal::Begin(path, saved);
  try {
    file.WriteAt(offset, data);
    file.Flush();
    journal.Close();
  } catch (FileAccessError& error) {
    if (const std::string line = PutBackAfterFailure(file, saved, journal); !line.empty()) {
      error.AddLine(line);
    }
    throw;
  }
}

}  // namespace zarvello
