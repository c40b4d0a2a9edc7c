#include "model/TransferSettings.h"

#include "model/BankAddress.h"
#include "model/HexText.h"

namespace zarvello {
namespace {

std::int32_t BankOffsetAt(int position) {
  return BankAddressToOffset({.Low = 0, .High = 0, .Bank = static_cast<std::uint8_t>(position)});
}

}  // namespace

std::string BankListEntry(int position) {
  std::string entry = PadHex(kFirstBankNumber + position, 2);
  entry.insert(entry.begin(), '$');
  return entry;
}

void ApplyHeaderChoices(TransferSettings& settings, int copyFromPosition, int pasteToPosition) {
  if (copyFromPosition != kNoSelection) {
    settings.CopyFromHeader = kHeaderChoices.at(copyFromPosition).length;
  }
  if (pasteToPosition != kNoSelection) {
    settings.PasteToHeader = kHeaderChoices.at(pasteToPosition).length;
  }
}

void ApplyBankSizeChoice(TransferSettings& settings, int position) {
  if (position != kNoSelection) {
    settings.BankSize = kBankSizeChoices.at(position).size;
  }
}

void DeriveBankOffsets(TransferSettings& settings, int copyFromBankPosition,
                       int pasteToBankPosition) {
  settings.CopyFromBankOffset = BankOffsetAt(copyFromBankPosition);
  settings.PasteToBankOffset = BankOffsetAt(pasteToBankPosition);
}

}  // namespace zarvello
