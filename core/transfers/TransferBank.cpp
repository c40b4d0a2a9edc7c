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
  const auto pasteTo = OpenOrCreateRomFile(settings.PasteToFile);
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

std::optional<CopyStep> CheckBothLengths(const TransferSettings& settings, MessagePrompt& prompt) {
  const FileLengths lengths = MeasureFiles(settings);
  if (TooShort(lengths.copyFrom, settings.CopyFromHeader, settings.CopyFromBankOffset,
               settings.BankSize)) {
    ShowCopyFromTooShort(
        prompt, LastBankText(lengths.copyFrom, settings.CopyFromHeader, settings.BankSize));
    return std::nullopt;
  }
  if (TooShort(lengths.pasteTo, settings.PasteToHeader, settings.PasteToBankOffset,
               settings.BankSize) &&
      !ConfirmExpansion(prompt,
                        LastBankText(lengths.pasteTo, settings.PasteToHeader, settings.BankSize))) {
    return std::nullopt;
  }
  // The Copy From file may shrink while the question waits: half a bank is no bank.
  return CopyStep{.readAt = BankStart(settings.CopyFromHeader, settings.CopyFromBankOffset),
                  .length = static_cast<std::size_t>(BankLength(settings.BankSize)),
                  .writeAt = BankStart(settings.PasteToHeader, settings.PasteToBankOffset),
                  .wholeBank = true};
}

}  // namespace

std::optional<TransferChange> TransferBank(TransferSettings& settings, int copyFromBankPosition,
                                           int pasteToBankPosition, MessagePrompt& prompt) {
  DeriveBankOffsets(settings, copyFromBankPosition, pasteToBankPosition);
  return RunTransfer(
      settings, prompt, [&] { return CheckBothLengths(settings, prompt); }, kBankTransferred);
}

}  // namespace zarvello
