#include <gtest/gtest.h>

#include "TransferFixture.h"
#include "model/HexText.h"

namespace zarvello::testing {

TEST_F(TransferTest, BankTransferChecksBothLengthsThenCopiesOneBankInPlace) {
  // clang-format off
  // Lengths -1: no file. Shrinks: the Copy From file, while the question waits: half a bank is no bank.
  const struct { std::int32_t bankSize; std::int16_t copyFromHeader, pasteToHeader; int copyFromBank, pasteToBank; std::int64_t sourceLength, targetLength;
                 std::string shown; bool answerNo = false, shrinks = false; } rows[] = {
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank, 0x200 + 64 * kBank, kBankDone},
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank - 1, 0x200, CopyFromTooShort("9F")},
      // 16 KiB at 32 KiB steps.
      {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000, 0x20000, kBankDone}, {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000 - 1, 0x20000, CopyFromTooShort("81")},
      {0x8000, 0x200, 0x200, 0, 0, -1, 0x8200, Refused("open", from, kNoSuchFile)}, {0x8000, 0x200, 0x200, 0, 0, 0x8200, -1, ExpandQuestion("00"), true},
      {0x8000, 0x200, 0x200, 1, 0, 0x200 + 2 * kBank, -1, ExpandQuestion("00") + Refused("read", from, "The file ended before the bank did"), false, true},
      {0x8000, 0x200, 0x200, 3, 2, 0x200 + 4 * kBank, 0x300, ExpandQuestion("80") + kBankDone},
      {0x8000, 0x200, 0x200, 127, 0, (std::int64_t{4} << 30) + 0x200, 0x8200, kBankDone}};  // a 32-bit length would wrap
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    WriteFiles(row.sourceLength, row.targetLength);
    settings = {from, to, row.copyFromHeader, row.pasteToHeader, row.bankSize};
    prompt.answerNo = row.answerNo;
    prompt.whileShown = [&, shrinks = row.shrinks] {
      if (shrinks) fs::resize_file(Utf8Path(from), 0x9000);
    };
    TransferBank(settings, row.copyFromBank, row.pasteToBank, prompt);
    EXPECT_EQ(prompt.Taken(), row.shown);
    EXPECT_EQ(fs::exists(Utf8Path(from)), row.sourceLength >= 0);  // never made
    const std::size_t at = row.pasteToHeader + row.pasteToBank * kBank;
    const std::size_t bankStart = row.copyFromHeader + row.copyFromBank * kBank;
    const bool done = row.shown.ends_with(kBankDone);
    EXPECT_BYTES(Read(to),
                 done ? Overwritten(target, at, source.substr(bankStart, row.bankSize)) : target);
  }
  // One file on both sides, under one name or two: the bank moves within it.
  WriteFiles(0x200 + 2 * kBank, -1);
  fs::create_hard_link(Utf8Path(from), Utf8Path(folder.File("same.smc")));
  for (const std::string& pasteTo : {from, folder.File("same.smc")})
    settings.PasteToFile = pasteTo, TransferBank(settings, 1, 0, prompt);
  EXPECT_EQ(prompt.Taken(), kBankDone + kBankDone);
  EXPECT_BYTES(Read(from), Overwritten(source, 0x200, source.substr(0x8200, kBank)));
}

TEST_F(TransferTest, RangeTransferCopiesFromTheFirstToTheLastOffsetAtTheSameOffsets) {
  // clang-format off
  const struct { std::string first, last; std::int64_t sourceLength, targetLength; std::string shown = kRangeDone; } rows[] = {  // lengths -1: no file
      {"8200", "8200", 0x10000, 0x10000}, {"", "", 0x10000, 0x10000}, {"008200", "9fff", 0x10000, 0x10000}, {"F00", "17FF", 0x1000, 0x800},
      {"10", "1F", -1, 0x100, Refused("open", from, kNoSuchFile)},
      {"200", "100", 0x1000, 0x1000, Failed("The last offset 100 lies before the first offset 200.")}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first + ".." + row.last);
    WriteFiles(row.sourceLength, row.targetLength);
    TransferRange(settings, row.first, row.last, prompt);  // the headers play no part
    // Bytes past the end of the Copy From file arrive as zeros.
    const std::size_t first = ReadHex(row.first), last = ReadHex(row.last);
    const std::string range = (source + std::string(last, '\0')).substr(first, last + 1 - first);
    EXPECT_EQ(prompt.Taken(), row.shown);
    EXPECT_EQ(fs::exists(Utf8Path(from)), row.sourceLength >= 0);  // never made
    EXPECT_BYTES(Read(to), row.shown == kRangeDone ? Overwritten(target, first, range) : target);
  }
}

// Three transfers into two files, undone newest first and redone, each step
// checked by both files' bytes and lengths.
TEST_F(TransferTest, UndoAndRedoGoBackAndForthOnlyOverTheFileTheTransferLeft) {
  const std::string other = folder.File("other.smc");
  TransferHistory history;
  const auto now = [&] { return std::pair(Read(to), Read(other)); };
  std::vector<std::pair<std::string, std::string>> states;
  const auto keep = [&](auto change) {
    history.Add(std::move(change).value()), states.push_back(now());
  };
  WriteFiles(0x200 + 4 * kBank, 0x200 + kBank), Write(other, Pattern(0x6000, 3)), states = {now()};
  // A bank in place, one past the end after a gap, and a range that grows the other file.
  keep(TransferBank(settings, 1, 0, prompt)), keep(TransferBank(settings, 2, 3, prompt));
  keep(TransferRange({from, other}, "5000", "7FFF", prompt)), prompt.Taken();
  EXPECT_EQ(history.Size(), 3 * kBank + 0x4000);  // the old and the new bytes alone
  for (int step = 1; step <= 8; ++step) {         // the fourth of each way finds nothing to go over
    (step <= 4 ? UndoTransfer : RedoTransfer)(history, prompt);
    EXPECT_TRUE(now() == states[step <= 4 ? std::max(3 - step, 0) : std::min(step - 4, 3)]) << step;
  }
  // Out of memory, a transfer and an undo each say so, write nothing and keep the history.
  UseZeroedAllocation([](std::size_t count, std::size_t size) {
    return count * size > 0x1000 ? nullptr : std::calloc(count, size);
  });
  TransferRange(settings, "0", "FFFF", prompt), UndoTransfer(history, prompt);
  UseZeroedAllocation([](std::size_t count, std::size_t size) { return std::calloc(count, size); });
  EXPECT_TRUE(now() == states[3]);
  UndoTransfer(history, prompt);  // the newest still
  const std::string noMemory = Failed("There is not enough memory for this transfer.");
  EXPECT_EQ(prompt.Taken(), kUndone + kUndone + kUndone + kRedone + kRedone + kRedone + noMemory +
                                noMemory + kUndone);
  EXPECT_TRUE(now() == states[2]);
}

}  // namespace zarvello::testing
