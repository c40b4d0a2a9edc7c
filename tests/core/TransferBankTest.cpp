#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "RecordingPrompt.h"
#include "TempFolder.h"
#include "TransferBank.h"

namespace zarvello {
namespace {

// The files, prompts and dialogs a person would use.
using namespace testing;

constexpr std::size_t kHeader = 0x200;
constexpr std::size_t kBank = 0x8000;

ShownPrompt CopyFromTooShort(const std::string& lastBank) {
  return ErrorPrompt("'Copy From' File is only " + lastBank +
                         " banks long.\r\nYou're grabbing at data that's not there.\r\n\r\n"
                         "Can't do that.  Sorry.",
                     "Oh, no you didn't!");
}

ShownPrompt ExpandQuestion(const std::string& lastBank) {
  return {"'Paste To' File is currently only " + lastBank +
              " banks long.\r\nDoing this transfer will expand the ROM.\r\n"
              "Unless this was what you were planning on doing, you shouldn't do it.\r\n\r\n"
              "Do you wish to expand this ROM?",
          PromptButtons::YesNo, PromptIcon::None, "Do you know what you're doing?"};
}

const ShownPrompt kTransferred = DonePrompt("Bank transferred.");

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  return {bytes.begin() + from, bytes.begin() + from + count};
}

// Both headers 0x200 and 32 KiB banks, as the window starts.
class TransferBankTest : public ::testing::Test {
 protected:
  TransferBankTest() {
    settings.CopyFromFile = folder.File("from.smc");
    settings.PasteToFile = folder.File("to.smc");
    settings.CopyFromHeader = settings.PasteToHeader = kHeader;
    settings.BankSize = kBank;
  }

  TempFolder folder;
  TransferSettings settings;
  RecordingPrompt prompt;
};

TEST_F(TransferBankTest, MissingPathsAreReportedCopyFromFirstAfterTheOffsetsAreSet) {
  settings.CopyFromFile.clear();
  settings.PasteToFile.clear();
  TransferBank(settings, 3, 5, prompt);
  EXPECT_EQ(prompt.shown, std::vector{ErrorPrompt("No File to Copy From selected!")});
  EXPECT_EQ(settings.CopyFromBankOffset, 3 * 0x8000);
  EXPECT_EQ(settings.PasteToBankOffset, 5 * 0x8000);

  settings.CopyFromFile = folder.File("from.smc");
  prompt.shown.clear();
  TransferBank(settings, 0, 0, prompt);
  EXPECT_EQ(prompt.shown, std::vector{ErrorPrompt("No File to Paste To selected!")});
  EXPECT_FALSE(std::filesystem::exists(settings.CopyFromFile));
}

TEST_F(TransferBankTest, CopyFromOfExactlyTheRequiredLengthIsReadOneByteLessIsRefused) {
  const Bytes source = PatternBytes(kHeader + 32 * kBank, 1);  // banks $80..$9F
  const Bytes target = PatternBytes(kHeader + 64 * kBank, 2);
  WriteBytes(settings.CopyFromFile, source);
  WriteBytes(settings.PasteToFile, target);

  TransferBank(settings, 31, 40, prompt);
  EXPECT_EQ(prompt.shown, std::vector{kTransferred});
  Bytes expected = target;
  std::copy_n(source.begin() + kHeader + 31 * kBank, kBank,
              expected.begin() + kHeader + 40 * kBank);
  EXPECT_EQ(ReadBytes(settings.PasteToFile), expected);

  // Shorter by one byte, with a Paste To file too short as well: only the
  // Copy From side is reported, and nothing is written.
  WriteBytes(settings.CopyFromFile, Slice(source, 0, source.size() - 1));
  WriteBytes(settings.PasteToFile, Slice(target, 0, kHeader));
  prompt.shown.clear();
  TransferBank(settings, 31, 40, prompt);
  EXPECT_EQ(prompt.shown, std::vector{CopyFromTooShort("9F")});
  EXPECT_EQ(ReadBytes(settings.PasteToFile), Slice(target, 0, kHeader));
}

TEST_F(TransferBankTest, NoToTheQuestionLeavesTheMissingPasteToFileEmpty) {
  WriteBytes(settings.CopyFromFile, PatternBytes(kHeader + kBank, 1));
  TransferBank(settings, 0, 0, prompt = RecordingPrompt({PromptAnswer::No}));
  // An empty file has no last bank to name.
  EXPECT_EQ(prompt.shown, std::vector{ExpandQuestion("00")});
  EXPECT_TRUE(std::filesystem::exists(settings.PasteToFile));
  EXPECT_EQ(std::filesystem::file_size(settings.PasteToFile), 0u);
}

TEST_F(TransferBankTest, YesToTheQuestionGrowsThePasteToFileWithZerosUpToTheBank) {
  const Bytes source = PatternBytes(kHeader + 4 * kBank, 1);
  const Bytes target = PatternBytes(kHeader + 0x100, 2);
  WriteBytes(settings.CopyFromFile, source);
  WriteBytes(settings.PasteToFile, target);

  TransferBank(settings, 3, 2, prompt);
  EXPECT_EQ(prompt.shown, (std::vector{ExpandQuestion("80"), kTransferred}));
  Bytes expected = target;
  expected.resize(kHeader + 2 * kBank);
  const Bytes bank = Slice(source, kHeader + 3 * kBank, kBank);
  expected.insert(expected.end(), bank.begin(), bank.end());
  EXPECT_EQ(ReadBytes(settings.PasteToFile), expected);
}

TEST_F(TransferBankTest, SamePathOnBothSidesCopiesWithinTheFile) {
  settings.PasteToFile = settings.CopyFromFile;
  const Bytes rom = PatternBytes(kHeader + 4 * kBank, 1);
  WriteBytes(settings.CopyFromFile, rom);
  TransferBank(settings, 1, 3, prompt);
  EXPECT_EQ(prompt.shown, std::vector{kTransferred});
  Bytes expected = rom;
  std::copy_n(rom.begin() + kHeader + kBank, kBank, expected.begin() + kHeader + 3 * kBank);
  EXPECT_EQ(ReadBytes(settings.PasteToFile), expected);
}

TEST_F(TransferBankTest, SixteenKibBanksCopySixteenKibAtEightKibBankSteps) {
  settings.BankSize = 0x4000;
  settings.CopyFromHeader = 0x10;
  settings.PasteToHeader = 0;
  // Bank $81 of a 16 KiB-bank setting still starts 0x8000 after the header,
  // and only its first 0x4000 bytes need to exist.
  const Bytes source = PatternBytes(0x10 + 0x8000 + 0x4000, 1);
  const Bytes target = PatternBytes(0x20000, 2);
  WriteBytes(settings.CopyFromFile, source);
  WriteBytes(settings.PasteToFile, target);
  TransferBank(settings, 1, 2, prompt);
  EXPECT_EQ(prompt.shown, std::vector{kTransferred});
  Bytes expected = target;
  std::copy_n(source.begin() + 0x10 + 0x8000, 0x4000, expected.begin() + 0x10000);
  EXPECT_EQ(ReadBytes(settings.PasteToFile), expected);
}

TEST_F(TransferBankTest, MissingCopyFromFileIsCreatedEmptyAndRefused) {
  TransferBank(settings, 0, 0, prompt);
  EXPECT_EQ(prompt.shown, std::vector{CopyFromTooShort("00")});
  EXPECT_EQ(std::filesystem::file_size(settings.CopyFromFile), 0u);
  EXPECT_EQ(std::filesystem::file_size(settings.PasteToFile), 0u);
}

TEST_F(TransferBankTest, CopyFromLargerThanFourGibiBytesIsMeasuredInFull) {
  // A 32-bit length would wrap to 0x200 and call the file too short.
  const Bytes bank = PatternBytes(kBank, 1);
  {
    WriteBytes(settings.CopyFromFile, {});
    std::filesystem::resize_file(settings.CopyFromFile, (std::uintmax_t{4} << 30) + kHeader);
    std::FILE* file = std::fopen(settings.CopyFromFile.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    std::fseek(file, kHeader + 127 * kBank, SEEK_SET);
    std::fwrite(bank.data(), 1, bank.size(), file);
    std::fclose(file);
  }
  WriteBytes(settings.PasteToFile, PatternBytes(kHeader + kBank, 2));
  TransferBank(settings, 127, 0, prompt);
  EXPECT_EQ(prompt.shown, std::vector{kTransferred});
  EXPECT_EQ(Slice(ReadBytes(settings.PasteToFile), kHeader, kBank), bank);
}

TEST_F(TransferBankTest, FoldersAsPathsAreReported) {
  WriteBytes(settings.PasteToFile, PatternBytes(kHeader + kBank, 2));
  settings.CopyFromFile = folder.Path().string();
  TransferBank(settings, 0, 0, prompt);
  EXPECT_EQ(prompt.shown, std::vector{ErrorPrompt("Can't open '" + settings.CopyFromFile +
                                                  "'.\r\nIs a directory")});

  settings.CopyFromFile = settings.PasteToFile;
  settings.PasteToFile = folder.Path().string();
  prompt.shown.clear();
  TransferBank(settings, 0, 0, prompt);
  EXPECT_EQ(prompt.shown, std::vector{ErrorPrompt("Can't open '" + settings.PasteToFile +
                                                  "'.\r\nIs a directory")});
}

TEST_F(TransferBankTest, PermissionsDecideWhatOpensAndAWriteProtectedSourceStillCopies) {
  const Bytes source = PatternBytes(kHeader + kBank, 1);
  const Bytes target = PatternBytes(kHeader + kBank, 2);
  WriteBytes(settings.CopyFromFile, source);
  WriteBytes(settings.PasteToFile, target);
  const auto transferAsNobody = [&] {
    return testing::RunInChild([&] {
      testing::DropToUnprivilegedUser();
      RecordingPrompt childPrompt;
      TransferBank(settings, 0, 0, childPrompt);
      return childPrompt.ShownTexts();
    });
  };
  const std::string from = settings.CopyFromFile;
  const std::string to = settings.PasteToFile;

  ::chmod(from.c_str(), 0444);
  ::chmod(to.c_str(), 0666);
  EXPECT_EQ(transferAsNobody(), "Bank transferred.\n");
  Bytes expected = target;
  std::copy(source.begin() + kHeader, source.end(), expected.begin() + kHeader);
  EXPECT_EQ(ReadBytes(to), expected);

  WriteBytes(to, target);
  ::chmod(from.c_str(), 0);
  EXPECT_EQ(transferAsNobody(), "Can't open '" + from + "'.\r\nPermission denied\n");

  ::chmod(from.c_str(), 0444);
  ::chmod(to.c_str(), 0444);
  EXPECT_EQ(transferAsNobody(), "Can't open '" + to + "'.\r\nPermission denied\n");
  EXPECT_EQ(ReadBytes(to), target);
}

TEST_F(TransferBankTest, FailingWriteLeavesThePasteToFileAsItWas) {
  WriteBytes(settings.CopyFromFile, PatternBytes(kHeader + 3 * kBank, 1));
  // The bank at 0x10200..0x18200 overwrites the old end, then grows the file
  // until the size limit stops it at 0x14000.
  const Bytes target = PatternBytes(0x12000, 2);
  WriteBytes(settings.PasteToFile, target);
  const std::string shown = testing::RunInChild([&] {
    testing::LimitFileSize(0x14000);
    RecordingPrompt childPrompt;
    TransferBank(settings, 2, 2, childPrompt);
    return childPrompt.ShownTexts();
  });
  EXPECT_EQ(shown, ExpandQuestion("82").text + "\n" + "Can't write '" + settings.PasteToFile +
                       "'.\r\nFile too large\n");
  EXPECT_EQ(ReadBytes(settings.PasteToFile), target);
}

TEST_F(TransferBankTest, CopyFromShrinkingWhileTheQuestionWaitsWritesNothing) {
  WriteBytes(settings.CopyFromFile, PatternBytes(kHeader + 2 * kBank, 1));
  prompt.whileShown = [&] { std::filesystem::resize_file(settings.CopyFromFile, 0x9000); };
  TransferBank(settings, 1, 0, prompt);
  EXPECT_EQ(prompt.shown, (std::vector{ExpandQuestion("00"),
                                       ErrorPrompt("Can't read '" + settings.CopyFromFile +
                                                   "'.\r\nThe file ended before the bank did")}));
  EXPECT_EQ(std::filesystem::file_size(settings.PasteToFile), 0u);
}

}  // namespace
}  // namespace zarvello
