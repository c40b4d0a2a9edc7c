#include "transfers/TransferBank.h"

#include <cstdint>

#include "files/RomFile.h"
#include "model/BankAddress.h"
#include "model/HexText.h"
#include "transfers/TransferPrompts.h"
#include "transfers/TransferRun.h"

namespace zarvello {
namespace {

struct FileLengths {
  std::int64_t copyFrom;
  std::int64_t pasteTo;
};

FileLengths MeasureFiles(const TransferSettings& settings) {
  const auto copyFrom = OpenRomFile(settings.CopyFromFile, PlatformFile::Access::Read);
  const auto pasteTo = OpenRomFile(settings.PasteToFile, PlatformFile::Access::ReadWrite);
  return {copyFrom->Length(), pasteTo->Length()};
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

std::optional<CopyStep> CheckBothLengths(const TransferSettings& settings, MessagePrompt& prompt) {
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
    return std::nullopt;
  }
  if (TooShort(lengths.pasteTo, settings.PasteToHeader, settings.PasteToBankOffset,
               settings.BankSize) &&
      !ConfirmExpansion(settings, lengths.pasteTo, prompt)) {
    return std::nullopt;
  }
  // The Copy From file may shrink while the question waits: half a bank is no bank.
  return CopyStep{.readAt = BankStart(settings.CopyFromHeader, settings.CopyFromBankOffset),
                  .length = static_cast<std::size_t>(BankLength(settings.BankSize)),
                  .writeAt = BankStart(settings.PasteToHeader, settings.PasteToBankOffset),
                  .wholeBank = true};
}

}  // namespace

void TransferBank(TransferSettings& settings, int copyFromBankPosition, int pasteToBankPosition,
                  MessagePrompt& prompt) {
  DeriveBankOffsets(settings, copyFromBankPosition, pasteToBankPosition);
  RunTransfer(
      settings, prompt, [&] { return CheckBothLengths(settings, prompt); }, "Bank transferred.");
}

}  // namespace zarvello
