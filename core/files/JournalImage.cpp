#include "files/JournalImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

// Header-only, so that the Windows build needs no xxHash library of its own.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zarvello {
namespace {

// Format 4. A journal of an older format, from an older version, is not
// taken for one of this version's: format 3 had no new length, so it could
// not cut a file shorter, and older ones had checksums of another kind.
// Header: magic, file volume and index, offset, old length, length, new
// length, and the header's checksum. Then one checksum per block of the new
// bytes, the checksum of all the journal, and the old bytes. Numbers are
// little-endian.
constexpr std::string_view kMagic = "ZRVJRNL4";
constexpr std::string_view kSpentMagic = "ZRVJDONE";
constexpr std::size_t kFieldSize = 8;
constexpr std::size_t kVolumeAt = 8, kIndexAt = 16, kOffsetAt = 24, kOldLengthAt = 32,
                      kLengthAt = 40, kNewLengthAt = 48, kHeaderChecksumAt = 56;

// This program never writes more than 16 MiB at a time, nor at a 32-bit
// offset or beyond; a header that claims more is not one of its own.
constexpr std::int64_t kLargestOffset = std::int64_t{1} << 32;
constexpr std::int64_t kLargestLength = std::int64_t{1} << 32;
constexpr std::int64_t kLargestFile = std::int64_t{1} << 62;

void Put(std::span<std::byte> to, std::uint64_t value) {
  for (std::byte& byte : to.first(kFieldSize)) {
    byte = static_cast<std::byte>(value & 0xFF);
    value >>= 8;
  }
}

std::uint64_t Get(std::span<const std::byte> from) {
  std::uint64_t value = 0;
  for (int i = kFieldSize - 1; i >= 0; --i) {
    value = value << 8 | std::to_integer<std::uint64_t>(from[i]);
  }
  return value;
}

std::int64_t BlockNumber(std::int64_t offset) { return offset / JournalImage::kBlockSize; }

// Blocks end on multiples of the block size, and at the old end too, where a
// put-back cut short stops.
bool OldEndSplitsABlock(const JournalRecord& record) {
  return record.offset < record.oldLength && record.oldLength < record.End() &&
         record.oldLength % JournalImage::kBlockSize != 0;
}

std::size_t BlockCount(const JournalRecord& record) {
  if (record.length == 0) return 0;
  return static_cast<std::size_t>(BlockNumber(record.End() - 1) - BlockNumber(record.offset) + 1 +
                                  OldEndSplitsABlock(record));
}

struct Block {
  std::size_t index;
  std::int64_t end;
};

// The block that starts at `at`.
Block BlockAt(const JournalRecord& record, std::int64_t at) {
  const bool afterOldEnd = OldEndSplitsABlock(record) && at >= record.oldLength;
  std::int64_t end = std::min(record.End(), (BlockNumber(at) + 1) * JournalImage::kBlockSize);
  if (at < record.oldLength) end = std::min(end, record.oldLength);
  return {static_cast<std::size_t>(BlockNumber(at) - BlockNumber(record.offset) + afterOldEnd),
          end};
}

std::size_t FrontSize(const JournalRecord& record) {
  return JournalImage::kHeaderSize + kFieldSize * BlockCount(record) + kFieldSize;
}

// A write that changes something, and leaves the file's length past its new
// bytes, or cut short, by no more than the largest write, no shorter than
// their end.
bool Possible(const JournalRecord& record) {
  const bool writes =
      record.length > 0 && record.newLength == std::max(record.oldLength, record.End());
  const bool shortens = record.Shortens() && record.End() <= record.newLength &&
                        record.oldLength - record.newLength <= kLargestLength;
  return writes || shortens;
}

// XXH3: tells a torn journal from a whole one, not a forged one.
std::uint64_t Checksum(std::span<const std::byte> bytes) {
  return XXH3_64bits(bytes.data(), bytes.size());
}

bool AllZero(std::span<const std::byte> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

}  // namespace

std::size_t JournalRecord::SavedCount() const {
  return static_cast<std::size_t>(
      std::clamp<std::int64_t>(oldLength - offset, 0, CoveredEnd() - offset));
}

std::variant<JournalRecord, JournalImage::Flaw> JournalImage::ReadHeader(
    std::span<const std::byte> header, std::int64_t length) {
  // A page that never reached the disk reads as zeros; but no journal is
  // longer than one of the largest write.
  if (AllZero(header.first(kHeaderSize))) {
    const JournalRecord largest{{}, 0, 2 * kLargestLength, kLargestLength, kLargestLength};
    return length <= Size(largest) ? Flaw::Torn : Flaw::Foreign;
  }
  if (std::memcmp(header.data(), kSpentMagic.data(), kSpentMagic.size()) == 0) return Flaw::Spent;
  if (std::memcmp(header.data(), kMagic.data(), kMagic.size()) != 0) return Flaw::Foreign;
  if (Get(header.subspan(kHeaderChecksumAt)) != Checksum(header.first(kHeaderChecksumAt))) {
    return Flaw::Torn;
  }
  const auto number = [&](std::size_t at) {
    return static_cast<std::int64_t>(Get(header.subspan(at)));
  };
  const JournalRecord record{{Get(header.subspan(kVolumeAt)), Get(header.subspan(kIndexAt))},
                             number(kOffsetAt),
                             number(kOldLengthAt),
                             number(kLengthAt),
                             number(kNewLengthAt)};
  if (record.offset < 0 || record.offset >= kLargestOffset || record.length < 0 ||
      record.length > kLargestLength || record.oldLength < 0 || record.oldLength > kLargestFile ||
      !Possible(record)) {
    return Flaw::Foreign;
  }
  return record;
}

std::span<const std::byte> JournalImage::SpentMark() {
  return std::as_bytes(std::span(kSpentMagic));
}

JournalImage::JournalImage(const JournalRecord& record)
    : record_(record), front_(FrontSize(record)), old_(record.SavedCount()) {}

JournalImage::Header JournalImage::WriteHeader(const JournalRecord& record) {
  Header header{};
  const std::span<std::byte> to(header);
  std::memcpy(to.data(), kMagic.data(), kMagic.size());
  Put(to.subspan(kVolumeAt), record.file.volume);
  Put(to.subspan(kIndexAt), record.file.index);
  Put(to.subspan(kOffsetAt), static_cast<std::uint64_t>(record.offset));
  Put(to.subspan(kOldLengthAt), static_cast<std::uint64_t>(record.oldLength));
  Put(to.subspan(kLengthAt), static_cast<std::uint64_t>(record.length));
  Put(to.subspan(kNewLengthAt), static_cast<std::uint64_t>(record.newLength));
  Put(to.subspan(kHeaderChecksumAt), Checksum(to.first(kHeaderChecksumAt)));
  return header;
}

JournalImage::JournalImage(const JournalRecord& record, std::span<const std::byte> newBytes)
    : JournalImage(record) {
  const Header header = WriteHeader(record);
  std::copy(header.begin(), header.end(), Front().begin());

  for (std::int64_t at = record.offset; at < record.End();) {
    const Block block = BlockAt(record, at);
    Put(BlockChecksums().subspan(kFieldSize * block.index),
        Checksum(newBytes.subspan(static_cast<std::size_t>(at - record.offset),
                                  static_cast<std::size_t>(block.end - at))));
    at = block.end;
  }
}

std::int64_t JournalImage::Size(const JournalRecord& record) {
  return static_cast<std::int64_t>(FrontSize(record) + record.SavedCount());
}

std::span<std::byte> JournalImage::BlockChecksums() const {
  return Front().subspan(kHeaderSize, kFieldSize * BlockCount(record_));
}

std::uint64_t JournalImage::ChecksumOfAll() const {
  XXH3_state_t state;
  XXH3_64bits_reset(&state);
  const std::span<const std::byte> front = Front().first(Front().size() - kFieldSize);
  XXH3_64bits_update(&state, front.data(), front.size());
  XXH3_64bits_update(&state, OldBytes().data(), OldBytes().size());
  return XXH3_64bits_digest(&state);
}

void JournalImage::Seal() { Put(Front().last(kFieldSize), ChecksumOfAll()); }

bool JournalImage::Sealed() const { return Get(Front().last(kFieldSize)) == ChecksumOfAll(); }

bool JournalImage::HoldsOldOrNew(std::int64_t at, std::span<const std::byte> fileBytes) const {
  // Before the write lies the gap that a write past the old end fills with zeros.
  const auto gap = fileBytes.first(static_cast<std::size_t>(std::clamp<std::int64_t>(
      record_.offset - at, 0, static_cast<std::int64_t>(fileBytes.size()))));
  if (!AllZero(gap)) return false;
  fileBytes = fileBytes.subspan(gap.size());
  at += static_cast<std::int64_t>(gap.size());
  const std::span<const std::byte> old = OldBytes();
  const std::int64_t savedEnd = record_.offset + static_cast<std::int64_t>(old.size());
  while (!fileBytes.empty()) {
    // Past the new bytes lie only those a write that shortens the file cuts
    // off: old, or zeros where a put-back that grew the file again was cut short.
    const bool cutOff = at >= record_.End();
    const Block block =
        cutOff ? Block{0, std::min(record_.CoveredEnd(), (BlockNumber(at) + 1) * kBlockSize)}
               : BlockAt(record_, at);
    const auto bytes =
        fileBytes.first(std::min(fileBytes.size(), static_cast<std::size_t>(block.end - at)));
    const auto saved =
        static_cast<std::size_t>(std::clamp<std::int64_t>(savedEnd - at, 0, bytes.size()));
    const bool isOld =
        (saved == 0 || std::memcmp(bytes.data(), &old[at - record_.offset], saved) == 0) &&
        AllZero(bytes.subspan(saved));
    if (!isOld &&
        (cutOff ? !AllZero(bytes)
                : Checksum(bytes) != Get(BlockChecksums().subspan(kFieldSize * block.index)))) {
      return false;
    }
    fileBytes = fileBytes.subspan(bytes.size());
    at = block.end;
  }
  return true;
}

}  // namespace zarvello
