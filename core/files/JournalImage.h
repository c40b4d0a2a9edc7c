#pragma once
// The bytes of a rollback journal. It names the file it guards and the write
// it guards (offset, length, the file's old length), holds the bytes the
// write covers as they were, and a checksum of each block of the new bytes,
// so that a later look can tell whether the file still holds nothing but old
// or new bytes there. One checksum over the header and one over the whole
// tell a complete journal from one cut short while it was written. Once the
// write is done, a mark over the journal's start says so.

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
  bool operator==(const JournalRecord&) const = default;

  std::int64_t End() const { return offset + length; }
  std::int64_t NewLength() const { return oldLength > End() ? oldLength : End(); }
  // The old bytes the write covers: from its offset up to the old end.
  std::size_t SavedCount() const;
};

class JournalImage {
 public:
  static constexpr std::size_t kHeaderSize = 56;
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
  // Room for a journal with this header, to be read into Bytes().
  explicit JournalImage(const JournalRecord& record);

  const JournalRecord& Record() const { return record_; }
  std::span<std::byte> Bytes() const { return buffer_.Bytes(); }
  std::span<std::byte> OldBytes() const;
  void Seal();
  // False when a journal read back was cut short while it was written.
  bool Sealed() const;

  // Whether the file's bytes from `at` on (at and their end on block
  // boundaries, or at the write's end) are all as the write found them or as
  // it left them. Bytes past the old end count as zero before the write, and
  // so do those of the gap between the old end and a write past it.
  bool HoldsOldOrNew(std::int64_t at, std::span<const std::byte> fileBytes) const;
  static constexpr std::int64_t kBlockSize = 512;

 private:
  std::span<std::byte> BlockChecksums() const;

  JournalRecord record_;
  ZeroedBuffer buffer_;
};

}  // namespace zarvello
