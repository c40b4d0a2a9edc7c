#pragma once
// The bytes of a rollback journal. It names the file it guards and the write
// it guards (offset, length, the file's old and new lengths), holds the bytes
// the write covers as they were, and a checksum of each block of the new
// bytes, so that a later look can tell whether the file still holds nothing
// but old or new bytes there. A write may also cut the file shorter; the
// bytes it cuts off count as covered. One checksum over the header and one
// over the whole tell a complete journal from one cut short while it was
// written. Once the write is done, a mark over the journal's start says so.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "files/Platform.h"
#include "files/ZeroedBuffer.h"

namespace zarvello {

struct JournalRecord {
  FileIdentity file;
  std::int64_t offset = 0;
  std::int64_t oldLength = 0;
  std::int64_t length = 0;  // of the new bytes
  // The file's, once written: the old length or the new bytes' end, whichever
  // lies further, or a length short of the old one, no shorter than that end.
  std::int64_t newLength = 0;
  bool operator==(const JournalRecord&) const = default;

  std::int64_t End() const { return offset + length; }
  bool Shortens() const { return newLength < oldLength; }
  // Where the old bytes the write changes or cuts off end.
  std::int64_t CoveredEnd() const { return Shortens() ? oldLength : End(); }
  // The old bytes the write covers: from its offset up to the old end.
  std::size_t SavedCount() const;
};

class JournalImage {
 public:
  static constexpr std::size_t kHeaderSize = 64;
  enum class Flaw { Torn, Spent, Foreign };

  // What the first kHeaderSize bytes of a journal of `length` bytes promise.
  // Torn: cut short while it was written. Spent: its write was done.
  // Foreign: no transfer of this program wrote it.
  static std::variant<JournalRecord, Flaw> ReadHeader(std::span<const std::byte> header,
                                                      std::int64_t length);
  using Header = std::array<std::byte, kHeaderSize>;
  static Header WriteHeader(const JournalRecord& record);
  // Written over a journal's start once its write is done.
  static std::span<const std::byte> SpentMark();

  // For a write about to happen: the new bytes' checksums go in at once; the
  // caller reads the old bytes into OldBytes(), then seals the image.
  JournalImage(const JournalRecord& record, std::span<const std::byte> newBytes);
  // Room for a journal with this header, to be read into Front() and OldBytes().
  explicit JournalImage(const JournalRecord& record);

  const JournalRecord& Record() const { return record_; }
  // A journal is these two, one after the other: the header with the
  // checksums, then the old bytes, kept apart so that the old bytes can
  // outlive the journal.
  std::span<std::byte> Front() const { return front_.Bytes(); }
  std::span<std::byte> OldBytes() const { return old_.Bytes(); }
  // Of the journal for a write, both together.
  static std::int64_t Size(const JournalRecord& record);
  void Seal();
  // False when a journal read back was cut short while it was written.
  bool Sealed() const;
  // For whoever keeps the old bytes once the write is done.
  ZeroedBuffer TakeOldBytes() { return std::move(old_); }

  // Whether the file's bytes from `at` on (at and their end on block
  // boundaries, or at the write's end) are all as the write found them or as
  // it left them. Bytes past the old end count as zero before the write, and
  // so do those of the gap between the old end and a write past it; those a
  // write that shortens the file cuts off count as zero after it.
  bool HoldsOldOrNew(std::int64_t at, std::span<const std::byte> fileBytes) const;
  static constexpr std::int64_t kBlockSize = 512;

 private:
  std::span<std::byte> BlockChecksums() const;
  std::uint64_t ChecksumOfAll() const;

  JournalRecord record_;
  ZeroedBuffer front_;
  ZeroedBuffer old_;
};

}  // namespace zarvello
