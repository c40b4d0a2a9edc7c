#include "RollbackJournal.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "Checksum.h"
#include "FileAccessError.h"
#include "ZeroedBuffer.h"

namespace zarvello {
namespace {

// The journal: a header (magic, offset, old length, byte count), the saved
// bytes, and a checksum over both. Numbers are little-endian.
constexpr std::string_view kMagic = "ZRVJRNL1";
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kChecksumSize = 8;

using Header = std::array<std::byte, kHeaderSize>;

void Put(std::span<std::byte> to, std::uint64_t value) {
  for (std::byte& byte : to.first(8)) {
    byte = static_cast<std::byte>(value & 0xFF);
    value >>= 8;
  }
}

std::uint64_t Get(std::span<const std::byte> from) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | std::to_integer<std::uint64_t>(from[i]);
  return value;
}

Header MakeHeader(const SavedBytes& saved) {
  Header header{};
  std::memcpy(header.data(), kMagic.data(), kMagic.size());
  Put(std::span(header).subspan(8), static_cast<std::uint64_t>(saved.offset));
  Put(std::span(header).subspan(16), static_cast<std::uint64_t>(saved.oldLength));
  Put(std::span(header).subspan(24), saved.bytes.size());
  return header;
}

std::uint64_t ChecksumOf(std::span<const std::byte> header, std::span<const std::byte> bytes) {
  return Checksum(bytes, Checksum(header));
}

// What a journal holds, if it is complete.
std::optional<SavedBytes> ReadBack(std::span<const std::byte> journal) {
  if (journal.size() < kHeaderSize + kChecksumSize) return std::nullopt;
  const auto header = journal.first(kHeaderSize);
  const auto bytes = journal.subspan(kHeaderSize, journal.size() - kHeaderSize - kChecksumSize);
  if (std::memcmp(header.data(), kMagic.data(), kMagic.size()) != 0 ||
      Get(header.subspan(24)) != bytes.size() ||
      Get(journal.last(kChecksumSize)) != ChecksumOf(header, bytes)) {
    return std::nullopt;
  }
  return SavedBytes{static_cast<std::int64_t>(Get(header.subspan(8))),
                    static_cast<std::int64_t>(Get(header.subspan(16))), bytes};
}

// A write-protected folder, or a ROM name too long for a longer one beside it.
bool LeavesNoRoomForAJournal(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG;
}

// For good: the removal of its folder entry reaches the disk too.
void DeleteJournal(const std::string& path) {
  RomFile::Remove(path);
  RomFile::FlushFolderOf(path);
}

FileAccessError AnotherTransferRuns(const std::string& romPath) {
  return {FileAccessError::Action::Write, romPath, "Another transfer into it is running"};
}

}  // namespace

std::string JournalPath(const std::string& romPath) {
  std::error_code missing;
  const std::filesystem::path file = std::filesystem::canonical(romPath, missing);
  return (missing ? romPath : file.string()) + ".zarvello-journal";
}

void PutBack(RomFile& file, const SavedBytes& saved) {
  file.WriteAt(saved.offset, saved.bytes);
  file.Truncate(saved.oldLength);
  file.Flush();
}

RollbackJournal RollbackJournal::Begin(const std::string& romPath, const SavedBytes& saved) {
  const std::string path = JournalPath(romPath);
  std::optional<RomFile> journal;
  try {
    journal.emplace(RomFile::CreateNew(path));
  } catch (const FileAccessError& error) {
    if (LeavesNoRoomForAJournal(error.SystemError())) return RollbackJournal(path, std::nullopt);
    throw;
  }
  const Header header = MakeHeader(saved);
  std::array<std::byte, kChecksumSize> checksum;
  Put(checksum, ChecksumOf(header, saved.bytes));
  try {
    if (!journal->TryLock()) throw AnotherTransferRuns(romPath);
    journal->WriteAt(0, header);
    journal->WriteAt(kHeaderSize, saved.bytes);
    journal->WriteAt(kHeaderSize + saved.bytes.size(), checksum);
    journal->Flush();
    RomFile::FlushFolderOf(path);
  } catch (const FileAccessError&) {
    // The file is untouched, so a journal left behind would only put back
    // what it already holds: its removal may fail without harm.
    try {
      RomFile::Remove(path);
    } catch (const FileAccessError&) {
    }
    throw;
  }
  return RollbackJournal(path, std::move(journal));
}

void RollbackJournal::Close() {
  if (!OnDisk()) return;
  DeleteJournal(path_);
  file_.reset();
}

bool RollBackCutShortTransfer(const std::string& romPath) {
  const std::string path = JournalPath(romPath);
  std::optional<RomFile> journal = RomFile::OpenIfPresent(path);
  if (!journal) return false;
  if (!journal->TryLock()) throw AnotherTransferRuns(romPath);
  const ZeroedBuffer contents(static_cast<std::size_t>(journal->Length()));
  const auto read = contents.Bytes().first(journal->ReadAt(0, contents.Bytes()));
  if (const std::optional<SavedBytes> saved = ReadBack(read)) {
    RomFile file = RomFile::OpenForWriting(romPath);
    PutBack(file, *saved);
  }
  DeleteJournal(path);
  return true;
}

}  // namespace zarvello
