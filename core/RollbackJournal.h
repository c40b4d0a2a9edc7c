#pragma once
// Makes an in-place write all or nothing. Before a ROM file is changed, the
// bytes the change will cover, their offset and the file's old length go into
// a journal beside it, with a checksum, and reach the disk before the file is
// touched. A transfer cut short (a kill, a power cut) leaves the journal
// behind, and the next transfer that names the file puts the file back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "RomFile.h"

namespace zarvello {

struct SavedBytes {
  std::int64_t offset;
  std::int64_t oldLength;
  std::span<const std::byte> bytes;  // what the file held from offset on, up to its old end
};

// "<file>.zarvello-journal", beside the file a symbolic link points to, so
// that the journal is found under every name of the file.
std::string JournalPath(const std::string& romPath);

// Writes the saved bytes back, cuts the file to its old length and flushes.
void PutBack(RomFile& file, const SavedBytes& saved);

class RollbackJournal {
 public:
  // Writes the journal and flushes it and its folder. In a write-protected
  // folder no journal can exist; it is then kept in memory only.
  static RollbackJournal Begin(const std::string& romPath, const SavedBytes& saved);

  bool OnDisk() const { return file_.has_value(); }
  // The write it guards is done or undone: deletes the journal for good.
  void Close();

 private:
  RollbackJournal(std::string path, std::optional<RomFile> file)
      : path_(std::move(path)), file_(std::move(file)) {}

  std::string path_;
  // Open and locked while the write it guards runs, so that no other
  // transfer takes it for one that was cut short.
  std::optional<RomFile> file_;
};

// Puts back a file that a cut-short transfer left half-written, and deletes
// its journal; false when there was none. A journal that is not complete was
// cut short before the file was touched, and is only deleted. Throws while
// another transfer into the file runs.
bool RollBackCutShortTransfer(const std::string& romPath);

}  // namespace zarvello
