#include "TransferBank.h"

#include <cstddef>
#include <cstdint>

#include "BankAddress.h"
#include "FileAccessError.h"
#include "HexText.h"
#include "RomFile.h"
#include "TransferFiles.h"
#include "TransferPrompts.h"
#include "ZeroedBuffer.h"

namespace zarvello {
namespace {

struct FileLengths {
  std::int64_t copyFrom;
  std::int64_t pasteTo;
};

FileLengths MeasureFiles(const TransferSettings& settings) {
  const RomFile copyFrom = RomFile::OpenForReading(settings.CopyFromFile);
  const RomFile pasteTo = RomFile::OpenForWriting(settings.PasteToFile);
  return {copyFrom.Length(), pasteTo.Length()};
}

std::int64_t BankStart(std::int16_t header, std::int32_t bankOffset) {
  return std::int64_t{header} + bankOffset;
}

bool TooShort(std::int64_t length, std::int16_t header, std::int32_t bankOffset,
              std::int32_t bankSize) {
  return length < BankStart(header, bankOffset) + bankSize;
}

// The bank number of the file's last byte; "00" when there is none.
std::string LastBankText(std::int64_t length, std::int16_t header, std::int32_t bankSize) {
  const auto address = OffsetToBankAddress(length - 1, header, bankSize);
  return address ? HexText(address->Bank) : "00";
}

bool ConfirmExpansion(const TransferSettings& settings, std::int64_t pasteToLength,
                      MessagePrompt& prompt) {
  const std::string text = JoinPromptLines({
      "'Paste To' File is currently only " +
          LastBankText(pasteToLength, settings.PasteToHeader, settings.BankSize) + " banks long.",
      "Doing this transfer will expand the ROM.",
      "Unless this was what you were planning on doing, you shouldn't do it.",
      "",
      "Do you wish to expand this ROM?",
  });
  return prompt.Show(text, PromptButtons::YesNo, PromptIcon::None,
                     "Do you know what you're doing?") == PromptAnswer::Yes;
}

void CopyBank(const TransferSettings& settings, MessagePrompt& prompt) {
  const FileLengths lengths = MeasureFiles(settings);
  if (TooShort(lengths.copyFrom, settings.CopyFromHeader, settings.CopyFromBankOffset,
               settings.BankSize)) {
    const std::string text = JoinPromptLines({
        "'Copy From' File is only " +
            LastBankText(lengths.copyFrom, settings.CopyFromHeader, settings.BankSize) +
            " banks long.",
        "You're grabbing at data that's not there.",
        "",
        "Can't do that.  Sorry.",
    });
    ShowError(prompt, text, "Oh, no you didn't!");
    return;
  }
  if (TooShort(lengths.pasteTo, settings.PasteToHeader, settings.PasteToBankOffset,
               settings.BankSize) &&
      !ConfirmExpansion(settings, lengths.pasteTo, prompt)) {
    return;
  }

  const ZeroedBuffer bank(settings.BankSize == 0x4000 ? 0x4000 : 0x8000);
  const std::int64_t readFrom = BankStart(settings.CopyFromHeader, settings.CopyFromBankOffset);
  // The file may have shrunk since it was measured; half a bank is no bank.
  if (ReadFromFile(settings.CopyFromFile, readFrom, bank.Bytes()) < bank.Bytes().size()) {
    throw FileAccessError(FileAccessError::Action::Read, settings.CopyFromFile,
                          "The file ended before the bank did");
  }
  WriteInPlace(settings.PasteToFile, BankStart(settings.PasteToHeader, settings.PasteToBankOffset),
               bank.Bytes());
  ShowNotice(prompt, "Bank transferred.");
}

}  // namespace

void TransferBank(TransferSettings& settings, int copyFromBankPosition, int pasteToBankPosition,
                  MessagePrompt& prompt) {
  DeriveBankOffsets(settings, copyFromBankPosition, pasteToBankPosition);
  if (PromptIfNoFileChosen(settings, prompt)) return;
  RunReportingFileErrors(prompt, [&] {
    RollBackCutShortTransfers(settings, prompt);
    CopyBank(settings, prompt);
  });
}

}  // namespace zarvello
