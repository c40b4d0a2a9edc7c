// The journal's format on its own: what a header promises, and which bytes a
// file may hold where a write that was cut short went.

#include <cstring>
#include <variant>

#include <gtest/gtest.h>

#include "Files.h"
#include "files/JournalImage.h"

namespace zarvello::testing {

using Flaw = JournalImage::Flaw;
constexpr std::int64_t k4G = std::int64_t{1} << 32;

TEST(JournalImageTest, AHeaderIsTakenOnlyForWhatThisVersionWritesAndTornIsToldFromForeign) {
  // A write past the end, the undo that shortens the file again, and the largest of each.
  // clang-format off
  const JournalRecord written{{7, 9}, 0x100, 0x80, 0x4000, 0x4100}, cut{{7, 9}, 0x80, 0x4100, 0, 0x80},
      largest{{}, k4G - 1, k4G << 30, k4G, k4G << 30}, largestCut{{}, 0, 2 * k4G, k4G, k4G};
  // clang-format on
  const auto header = [](const JournalRecord& record) { return JournalImage::WriteHeader(record); };
  const auto with = [&](std::size_t at, const std::string& bytes) {
    JournalImage::Header changed = header(written);
    std::memcpy(&changed[at], bytes.data(), bytes.size());
    return changed;
  };
  // clang-format off
  const struct { JournalImage::Header header; std::variant<JournalRecord, Flaw> read; std::int64_t length = 0x4200; } rows[] = {
      {header(written), written}, {header(largest), largest}, {header(cut), cut}, {header(largestCut), largestCut}, {with(24, "\1"), Flaw::Torn},
      // A first page that never reached the disk, in a file that a journal could fill, or not.
      {{}, Flaw::Torn}, {{}, Flaw::Foreign, k4G * 3}, {with(0, "ZRVJDONE"), Flaw::Spent}, {with(0, "ZRVJRNL3"), Flaw::Foreign}, {with(0, "ZRVJRNL1"), Flaw::Foreign},
      {header({{}, -1, 0, 1, 0}), Flaw::Foreign}, {header({{}, k4G, 0, 1, k4G + 1}), Flaw::Foreign}, {header({{}, 0, 0, k4G + 1, k4G + 1}), Flaw::Foreign},
      {header({{}, 0, -1, 1, 1}), Flaw::Foreign}, {header({{}, 0, (k4G << 30) + 1, 1, (k4G << 30) + 1}), Flaw::Foreign},
      // Lengths no write leaves: none changed, grown past the new bytes, cut into them or by more than 4 GiB.
      {header({{}, 0x10, 0x100, 0, 0x100}), Flaw::Foreign}, {header({{}, 0, 0x100, 0x10, 0x200}), Flaw::Foreign},
      {header({{}, 0, 0x100, 0x80, 0x40}), Flaw::Foreign}, {header({{}, 0, 2 * k4G + 1, k4G, k4G}), Flaw::Foreign}};
  // clang-format on
  for (const auto& row : rows) {
    EXPECT_EQ(JournalImage::ReadHeader(row.header, row.length), row.read) << &row - rows;
  }
}

TEST(JournalImageTest, AFileHoldsOldOrNewBytesWholeBlocksAtATimeAndZerosInAGapBeforeTheWrite) {
  const std::string old = Pattern(0x300, 1), fresh = Pattern(0x400, 100), zeros(0x200, '\0');
  // In place, with the old end splitting a block; past the end, after a gap; cutting the file
  // short.
  const JournalRecord inPlace{{}, 0x100, 0x300, 0x400, 0x500},
      pastEnd{{}, 0x300, 0x180, 0x100, 0x400}, cut{{}, 0x100, 0x300, 0x80, 0x180};
  const std::string wasInPlace = old.substr(0x100) + zeros, gap(0x180, '\0');
  const auto x = [](std::string bytes) { return bytes[0x100] = 'x', bytes; };  // one byte changed
  // clang-format off
  const struct { const JournalRecord& record; std::string bytes; bool holds; } rows[] = {  // bytes: from the write's start, or from the old end before it
      {inPlace, wasInPlace, true}, {inPlace, fresh, true}, {inPlace, fresh.substr(0, 0x100) + wasInPlace.substr(0x100), true},
      {inPlace, fresh.substr(0, 0x200) + wasInPlace.substr(0x200), true}, {inPlace, fresh.substr(0, 0x80) + wasInPlace.substr(0x80), false},
      {inPlace, x(fresh), false}, {inPlace, x(wasInPlace), false}, {pastEnd, gap + fresh.substr(0, 0x100), true}, {pastEnd, gap + zeros.substr(0, 0x100), true},
      {pastEnd, x(gap + fresh.substr(0, 0x100)), false}, {cut, old.substr(0x100), true}, {cut, fresh.substr(0, 0x80) + old.substr(0x180), true},
      {cut, fresh.substr(0, 0x80), true}, {cut, fresh.substr(0, 0x80) + zeros.substr(0, 0x80) + old.substr(0x200), true}, {cut, x(fresh.substr(0, 0x80) + old.substr(0x180)), false}};
  // clang-format on
  for (const auto& [record, bytes, holds] : rows) {
    JournalImage image(record, std::as_bytes(std::span(fresh)).first(record.length));
    std::memcpy(image.OldBytes().data(), &old[record.offset], image.OldBytes().size());
    image.Seal();
    const auto from = std::min(record.offset, record.oldLength);
    EXPECT_EQ(image.HoldsOldOrNew(from, std::as_bytes(std::span(bytes))), holds) << bytes.size();
    // A journal cut short while it was written shows in any byte, checksums or old bytes.
    EXPECT_TRUE(image.Sealed());
    for (const auto bytes : {image.Front().subspan(JournalImage::kHeaderSize), image.OldBytes()}) {
      if (bytes.empty()) continue;
      bytes.back() ^= std::byte{1};
      EXPECT_FALSE(image.Sealed());
      bytes.back() ^= std::byte{1};
    }
  }
}

}  // namespace zarvello::testing
