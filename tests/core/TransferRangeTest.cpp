#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "RecordingPrompt.h"
#include "TempFolder.h"
#include "TransferRange.h"

namespace zarvello {
namespace {

// The files, prompts and dialogs a person would use.
using namespace testing;

const auto kTransferred = DonePrompt("Data transferred.");

class TransferRangeTest : public ::testing::Test {
 protected:
  TransferRangeTest() {
    settings.CopyFromFile = folder.File("from.smc");
    settings.PasteToFile = folder.File("to.smc");
    // Headers and bank offsets must not shift the range.
    settings.CopyFromHeader = 0x200;
    settings.PasteToHeader = 0x10;
    settings.BankSize = 0x8000;
    settings.CopyFromBankOffset = 0x8000;
  }

  // Copies [first, last] of source over target and returns the file's bytes.
  Bytes Transfer(const Bytes& source, const Bytes& target, const std::string& first,
                 const std::string& last) {
    WriteBytes(settings.CopyFromFile, source);
    WriteBytes(settings.PasteToFile, target);
    prompt.shown.clear();
    TransferRange(settings, first, last, prompt);
    EXPECT_EQ(prompt.shown, std::vector{kTransferred}) << first << ".." << last;
    return ReadBytes(settings.PasteToFile);
  }

  TempFolder folder;
  TransferSettings settings;
  RecordingPrompt prompt;
};

Bytes WithRange(Bytes target, const Bytes& source, std::size_t first, std::size_t count) {
  if (target.size() < first + count) target.resize(first + count);
  std::copy_n(source.begin() + first, count, target.begin() + first);
  return target;
}

TEST_F(TransferRangeTest, CopiesBothEndsIncludedAtTheSameOffsets) {
  const Bytes source = PatternBytes(0x10000, 1);
  const Bytes target = PatternBytes(0x10000, 2);
  EXPECT_EQ(Transfer(source, target, "8200", "8200"), WithRange(target, source, 0x8200, 1));
  EXPECT_EQ(Transfer(source, target, "", ""), WithRange(target, source, 0, 1));
  EXPECT_EQ(Transfer(source, target, "008200", "9fff"),
            WithRange(target, source, 0x8200, 0x9FFF - 0x8200 + 1));
}

TEST_F(TransferRangeTest, RangePastEitherEndArrivesAsZerosAndGrowsThePasteToFile) {
  const Bytes source = PatternBytes(0x1000, 1);
  const Bytes target = PatternBytes(0x800, 2);
  Bytes expected = target;
  expected.resize(0xF00);  // zeros between the old end and the range
  expected.insert(expected.end(), source.begin() + 0xF00, source.end());
  expected.resize(0x1800);  // past the end of the Copy From file
  EXPECT_EQ(Transfer(source, target, "F00", "17FF"), expected);
}

TEST_F(TransferRangeTest, SamePathOnBothSidesKeepsTheFileOrExtendsItWithZeros) {
  settings.PasteToFile = settings.CopyFromFile;
  const Bytes rom = PatternBytes(0x1000, 1);
  WriteBytes(settings.CopyFromFile, rom);
  TransferRange(settings, "100", "FFF", prompt);
  EXPECT_EQ(ReadBytes(settings.CopyFromFile), rom);

  TransferRange(settings, "F00", "1FFF", prompt);
  Bytes expected = rom;
  expected.resize(0x2000);
  EXPECT_EQ(ReadBytes(settings.CopyFromFile), expected);
  EXPECT_EQ(prompt.shown, (std::vector{kTransferred, kTransferred}));
}

TEST_F(TransferRangeTest, MissingCopyFromFileIsCreatedAndGivesZeros) {
  WriteBytes(settings.PasteToFile, PatternBytes(0x100, 2));
  TransferRange(settings, "10", "1F", prompt);
  EXPECT_EQ(prompt.shown, std::vector{kTransferred});
  EXPECT_EQ(std::filesystem::file_size(settings.CopyFromFile), 0u);
  EXPECT_EQ(ReadBytes(settings.PasteToFile),
            WithRange(PatternBytes(0x100, 2), Bytes(0x100), 0x10, 0x10));
}

TEST_F(TransferRangeTest, EmptyPathsAndAReversedRangeTouchNoFile) {
  const std::string from = settings.CopyFromFile;
  settings.CopyFromFile.clear();
  TransferRange(settings, "0", "10", prompt);
  settings.CopyFromFile = from;
  settings.PasteToFile.clear();
  TransferRange(settings, "0", "10", prompt);
  settings.PasteToFile = folder.File("to.smc");
  TransferRange(settings, "200", "100", prompt);
  EXPECT_EQ(prompt.shown,
            (std::vector{ErrorPrompt("No File to Copy From selected!"),
                         ErrorPrompt("No File to Paste To selected!"),
                         ErrorPrompt("The last offset 100 lies before the first offset 200.")}));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace zarvello
