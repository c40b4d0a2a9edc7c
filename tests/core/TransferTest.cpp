#include <gtest/gtest.h>

#include "TransferFixture.h"
#include "model/HexText.h"

namespace zarvello::testing {

TEST_F(TransferTest, BankTransferChecksBothLengthsThenCopiesOneBankInPlace) {
  // clang-format off
  const struct {
    std::int32_t bankSize; std::int16_t copyFromHeader, pasteToHeader; int copyFromBank, pasteToBank;
    long sourceLength, targetLength;  // -1: no file
    std::string shown;
    bool answerNo = false, shrinks = false;  // shrinks: the Copy From file, while the question waits: half a bank is no bank
  } rows[] = {
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank, 0x200 + 64 * kBank, kBankDone},
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank - 1, 0x200, CopyFromTooShort("9F")},
      {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000, 0x20000, kBankDone},  // 16 KiB at 32 KiB steps
      {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000 - 1, 0x20000, CopyFromTooShort("81")},
      {0x8000, 0x200, 0x200, 0, 0, -1, 0x8200, Refused("open", from, kNoSuchFile)},
      {0x8000, 0x200, 0x200, 0, 0, 0x8200, -1, ExpandQuestion("00"), true},
      {0x8000, 0x200, 0x200, 1, 0, 0x200 + 2 * kBank, -1, ExpandQuestion("00") + Refused("read", from, "The file ended before the bank did"), false, true},
      {0x8000, 0x200, 0x200, 3, 2, 0x200 + 4 * kBank, 0x300, ExpandQuestion("80") + kBankDone}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    WriteFiles(row.sourceLength, row.targetLength);
    settings = {from, to, row.copyFromHeader, row.pasteToHeader, row.bankSize};
    prompt.shown.clear();
    prompt.answerNo = row.answerNo;
    prompt.whileShown = [&, shrinks = row.shrinks] {
      if (shrinks) fs::resize_file(Utf8Path(from), 0x9000);
    };
    TransferBank(settings, row.copyFromBank, row.pasteToBank, prompt);
    EXPECT_EQ(prompt.shown, row.shown);
    EXPECT_EQ(fs::exists(Utf8Path(from)), row.sourceLength >= 0);  // never made
    const std::size_t at = row.pasteToHeader + row.pasteToBank * kBank;
    const std::size_t bankStart = row.copyFromHeader + row.copyFromBank * kBank;
    const bool done = row.shown.ends_with(kBankDone);
    EXPECT_PRED_FORMAT2(
        SameBytes, Read(to),
        done ? Overwritten(target, at, source.substr(bankStart, row.bankSize)) : target);
  }
  // One file on both sides, under one name or two: the bank moves within it.
  WriteFiles(0x200 + 2 * kBank, -1);
  fs::create_hard_link(Utf8Path(from), Utf8Path(folder.File("same.smc")));
  prompt.shown.clear();
  for (const std::string& pasteTo : {from, folder.File("same.smc")})
    settings.PasteToFile = pasteTo, TransferBank(settings, 1, 0, prompt);
  EXPECT_EQ(prompt.shown, kBankDone + kBankDone);
  EXPECT_PRED_FORMAT2(SameBytes, Read(from),
                      Overwritten(source, 0x200, source.substr(0x8200, kBank)));
}

TEST_F(TransferTest, RangeTransferCopiesFromTheFirstToTheLastOffsetAtTheSameOffsets) {
  // clang-format off
  const struct { std::string first, last; long sourceLength, targetLength; std::string shown = kRangeDone; } rows[] = {  // lengths -1: no file
      {"8200", "8200", 0x10000, 0x10000}, {"", "", 0x10000, 0x10000}, {"008200", "9fff", 0x10000, 0x10000},
      {"F00", "17FF", 0x1000, 0x800}, {"10", "1F", -1, 0x100, Refused("open", from, kNoSuchFile)},
      {"200", "100", 0x1000, 0x1000, Failed("The last offset 100 lies before the first offset 200.")}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first + ".." + row.last);
    WriteFiles(row.sourceLength, row.targetLength);
    prompt.shown.clear();
    TransferRange(settings, row.first, row.last, prompt);  // the headers play no part
    const std::size_t first = ReadHex(row.first), last = ReadHex(row.last);
    // Bytes past the end of the Copy From file arrive as zeros.
    const std::string range =
        (source + std::string(last + 1, '\0')).substr(first, last + 1 - first);
    EXPECT_EQ(prompt.shown, row.shown);
    EXPECT_EQ(fs::exists(Utf8Path(from)), row.sourceLength >= 0);  // never made
    EXPECT_PRED_FORMAT2(SameBytes, Read(to),
                        row.shown == kRangeDone ? Overwritten(target, first, range) : target);
  }
}

}  // namespace zarvello::testing
