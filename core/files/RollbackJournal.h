#pragma once
// Makes an in-place write all or nothing. Before a ROM file is changed, the
// bytes the change will cover go into a journal beside it, readable by its
// owner only, and reach the disk before the file is touched; the write is
// done once a mark that says so is written over the journal's start and
// flushed, and the journal is then deleted. A transfer cut short (a kill, a power
// cut) leaves the journal behind, and the next transfer that names the file
// puts the file back from it, but only when the journal is the user's own
// and the file is the very one it was made for, holding nothing but the old
// or the new bytes where the write went.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "files/FileError.h"
#include "files/JournalImage.h"
#include "files/Platform.h"
#include "files/ZeroedBuffer.h"

namespace zarvello {

// "<file>.zarvello-journal", beside the file a link points to, so that the
// journal is found under every symbolic link to the file. A hard link is a
// name of its own, with a journal of its own.
std::string JournalPath(const std::string& romPath);

// True when anything at all lies at the file's journal path.
bool JournalLiesBeside(const std::string& romPath);

// What an in-place write changed: where, and the bytes it wrote over or cut off.
struct WrittenChange {
  JournalRecord record;
  ZeroedBuffer oldBytes;
};

// Writes data at offset into rom, which the caller holds locked exclusively,
// and then, where it is given, cuts the file short at shortenTo, no shorter
// than the data's end.
class InPlaceWrite {
 public:
  // Reads what the write will cover, as the file holds it now.
  InPlaceWrite(PlatformFile& rom, std::int64_t offset, std::span<const std::byte> data,
               std::optional<std::int64_t> shortenTo = std::nullopt);

  std::span<const std::byte> OldBytes() const { return image_.OldBytes(); }

  // Throws FileError when it fails before the file is touched. Once the file
  // is being written, a failure is thrown as an InPlaceWriteError that says
  // what became of the file: it is put back first where it can be. In a
  // folder where no journal can be written, the old bytes are kept in memory
  // only.
  WrittenChange Run() &&;

 private:
  PlatformFile& rom_;
  std::span<const std::byte> data_;
  JournalImage image_;
};

enum class RollBack {
  NoJournal,   // none, or one marked done
  PutBack,     // the file is as it was before the transfer cut short
  Untouched,   // the journal was cut short while written, before the file was touched
  LeftAsItIs,  // the file has been changed since
};

// Looks for a journal beside the file and, holding the file's exclusive
// lock, puts the file back from it or leaves it, and deletes the journal.
// Throws a Busy error with `action` while another transfer holds the file,
// and NotOurJournal for anything at the journal's path that is not this
// user's journal, which then stays where it is. Never makes the file.
RollBack RollBackCutShortTransfer(const std::string& romPath, FileError::Action action);

}  // namespace zarvello
