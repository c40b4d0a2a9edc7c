#include "files/RollbackJournal.h"

#include <algorithm>
#include <array>
#include <memory>
#include <variant>

#include "files/InPlaceWriteError.h"
#include "files/JournalImage.h"
#include "files/RomFile.h"
#include "files/ZeroedBuffer.h"

namespace zarvello {
namespace {

using Action = FileError::Action;
using Cause = FileError::Cause;

FileError NotOurJournal(const std::string& path) {
  return {Action::Use, path, Cause::NotOurJournal};
}

// Empty where no journal can be: a write-protected folder, or a file name
// too long for a longer one beside it.
std::unique_ptr<PlatformFile> WriteJournal(const std::string& path, const JournalImage& image) {
  std::unique_ptr<PlatformFile> journal;
  try {
    journal = PlatformFile::Open(path, PlatformFile::Access::ReadWrite,
                                 PlatformFile::Opening::CreateNewPrivate);
  } catch (const FileError& error) {
    if (error.cause == Cause::Denied || error.cause == Cause::NameTooLong) return nullptr;
    // Nothing lay there when the file was locked: no transfer put it there.
    if (error.cause == Cause::Exists) throw NotOurJournal(path);
    throw;
  }
  try {
    journal->WriteAt(0, image.Front());
    journal->WriteAt(static_cast<std::int64_t>(image.Front().size()), image.OldBytes());
    journal->Flush();
    FlushFolderOf(path);
  } catch (const FileError&) {
    // The file is untouched, so a journal left behind would only put back
    // what it already holds: its removal may fail without harm.
    journal.reset();
    try {
      RemoveFile(path);
    } catch (const FileError&) {
    }
    throw;
  }
  return journal;
}

// On disk before the journal goes, whose removal may reach the disk first.
void PutBack(PlatformFile& rom, const JournalImage& image) {
  rom.WriteAt(image.Record().offset, image.OldBytes());
  rom.Truncate(image.Record().oldLength);
  rom.Flush();
}

JournalRecord RecordOfWrite(const PlatformFile& rom, std::int64_t offset, std::size_t size,
                            std::optional<std::int64_t> shortenTo) {
  const std::int64_t length = rom.Length(), end = offset + static_cast<std::int64_t>(size);
  return {rom.Facts().identity, offset, length, static_cast<std::int64_t>(size),
          shortenTo.value_or(std::max(length, end))};
}

// Puts the file back after a write failed; says what became of it.
InPlaceWriteError PutBackAfterFailure(PlatformFile& rom, const JournalImage& image, bool journaled,
                                      const std::string& journalPath, const FileError& failure) {
  using Outcome = InPlaceWriteError::Outcome;
  try {
    PutBack(rom, image);
  } catch (const FileError& failed) {
    return {failure, journaled ? Outcome::PutBackLater : Outcome::NotPutBack, failed.systemReason};
  }
  // The file is as it was, so a journal left behind would only put the same
  // bytes back once more.
  if (journaled) {
    try {
      RemoveFile(journalPath);
    } catch (const FileError&) {
    }
  }
  return {failure, Outcome::PutBack};
}

using JournalRead = std::variant<JournalImage, JournalImage::Flaw>;

// The journal at path, which `looked` describes, or what is wrong with it.
// Nothing is read before its owner, its type and the size its header
// promises have been checked.
JournalRead ReadJournal(const std::string& path, const FileFacts& looked) {
  if (looked.kind != FileKind::Regular || !looked.ownedByUserAlone) throw NotOurJournal(path);
  const auto file =
      PlatformFile::Open(path, PlatformFile::Access::Read, PlatformFile::Opening::ExistingNoLinks);
  if (file->Facts() != looked) throw NotOurJournal(path);
  std::array<std::byte, JournalImage::kHeaderSize> header{};
  if (file->ReadAt(0, header) < header.size()) return JournalImage::Flaw::Torn;
  const std::int64_t length = file->Length();
  const auto read = JournalImage::ReadHeader(header, length);
  if (const auto* flaw = std::get_if<JournalImage::Flaw>(&read)) {
    if (*flaw == JournalImage::Flaw::Foreign) throw NotOurJournal(path);
    return *flaw;
  }
  const JournalRecord& record = std::get<JournalRecord>(read);
  const std::int64_t promised = JournalImage::Size(record);
  if (length > promised) throw NotOurJournal(path);
  if (length < promised) return JournalImage::Flaw::Torn;
  JournalImage image(record);
  const std::size_t front = image.Front().size();
  if (file->ReadAt(0, image.Front()) < front ||
      file->ReadAt(static_cast<std::int64_t>(front), image.OldBytes()) < image.OldBytes().size() ||
      !image.Sealed()) {
    return JournalImage::Flaw::Torn;
  }
  return image;
}

// Whether the file is the one the journal was made for, as the cut-short
// write may have left it: a length between the old and the new, and nothing
// but old or new bytes where the write went. Read in pieces that end on
// multiples of the piece size, and so on block boundaries.
bool LeftAsTheWriteLeftIt(const PlatformFile& rom, const JournalImage& image) {
  const JournalRecord& record = image.Record();
  if (rom.Facts().identity != record.file) return false;
  const std::int64_t length = rom.Length();
  if (length < std::min(record.oldLength, record.newLength) ||
      length > std::max(record.oldLength, record.newLength)) {
    return false;
  }
  constexpr std::int64_t kPiece = 64 * 1024;  // a multiple of the journal's block size
  const ZeroedBuffer piece(kPiece);
  const std::int64_t end = std::min(record.CoveredEnd(), length);
  for (std::int64_t at = std::min(record.oldLength, record.offset); at < end;) {
    const auto bytes = piece.Bytes().first(
        static_cast<std::size_t>(std::min((at / kPiece + 1) * kPiece, end) - at));
    if (rom.ReadAt(at, bytes) < bytes.size() || !image.HoldsOldOrNew(at, bytes)) return false;
    at += static_cast<std::int64_t>(bytes.size());
  }
  return true;
}

// Puts the file back from a whole journal, where the file holds what the
// cut-short write left; a torn or spent one leaves nothing to put back.
RollBack PutBackFrom(PlatformFile& rom, const JournalRead& journal) {
  if (const auto* flaw = std::get_if<JournalImage::Flaw>(&journal)) {
    return *flaw == JournalImage::Flaw::Spent ? RollBack::NoJournal : RollBack::Untouched;
  }
  const auto& image = std::get<JournalImage>(journal);
  if (!LeftAsTheWriteLeftIt(rom, image)) return RollBack::LeftAsItIs;
  PutBack(rom, image);
  return RollBack::PutBack;
}

}  // namespace

std::string JournalPath(const std::string& romPath) {
  return ResolvedPath(romPath) + ".zarvello-journal";
}

bool JournalLiesBeside(const std::string& romPath) {
  return LookAt(JournalPath(romPath), false).kind != FileKind::Missing;
}

InPlaceWrite::InPlaceWrite(PlatformFile& rom, std::int64_t offset, std::span<const std::byte> data,
                           std::optional<std::int64_t> shortenTo)
    : rom_(rom), data_(data), image_(RecordOfWrite(rom, offset, data.size(), shortenTo), data) {
  rom.ReadAt(offset, image_.OldBytes());
  image_.Seal();
}

WrittenChange InPlaceWrite::Run() && {
  const JournalRecord& record = image_.Record();
  const std::string journalPath = JournalPath(rom_.Path());
  std::unique_ptr<PlatformFile> journal = WriteJournal(journalPath, image_);
  try {
    rom_.WriteAt(record.offset, data_);
    if (record.Shortens()) rom_.Truncate(record.newLength);
    rom_.Flush();
    // The one moment the write becomes done: a flushed write into the
    // journal, which every system keeps, unlike a folder entry's removal.
    if (journal) {
      journal->WriteAt(0, JournalImage::SpentMark());
      journal->Flush();
    }
  } catch (const FileError& failure) {
    const bool journaled = journal != nullptr;
    // Closed first: Windows removes an open file only once it is closed.
    journal.reset();
    throw PutBackAfterFailure(rom_, image_, journaled, journalPath, failure);
  }
  if (journal) {
    journal.reset();
    try {
      RemoveFile(journalPath);
    } catch (const FileError& failure) {
      throw InPlaceWriteError(failure, InPlaceWriteError::Outcome::NewBytesWritten);
    }
  }
  return {record, image_.TakeOldBytes()};
}

RollBack RollBackCutShortTransfer(const std::string& romPath, FileError::Action action) {
  const std::string journalPath = JournalPath(romPath);
  if (LookAt(journalPath, false).kind == FileKind::Missing) return RollBack::NoJournal;
  // A file gone since is not made again: the open fails, and the journal stays.
  const auto rom = OpenRomFile(romPath, PlatformFile::Access::ReadWrite);
  if (!rom->TryLock(PlatformFile::Lock::Exclusive)) throw FileError(action, romPath, Cause::Busy);
  // Looked at again under the lock: the transfer that held the file may have
  // finished, and deleted its journal, in between.
  const FileFacts facts = LookAt(journalPath, false);
  if (facts.kind == FileKind::Missing) return RollBack::NoJournal;
  const RollBack outcome = PutBackFrom(*rom, ReadJournal(journalPath, facts));
  // Unflushed: a journal that a power cut brings back finds the file put
  // back already, or changed since, and is deleted once more.
  RemoveFile(journalPath);
  return outcome;
}

}  // namespace zarvello
