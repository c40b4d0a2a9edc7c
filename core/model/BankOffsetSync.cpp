#include "model/BankOffsetSync.h"

#include <cstdint>

#include "model/BankAddress.h"
#include "model/HexText.h"

namespace zarvello {
namespace {

std::int16_t HeaderOf(int side, const TransferSettings& settings) {
  return side == 0 ? settings.CopyFromHeader : settings.PasteToHeader;
}

// The first byte of bank $FF.
std::int32_t UpperLimit(std::int16_t header) { return header + (kBankCount - 1) * kBankStep; }

void ClampUpper(std::string& text, std::int16_t header) {
  if (ReadHex(text) > UpperLimit(header)) text = HexText(UpperLimit(header));
}

void ClampLower(std::string& text, std::int16_t header) {
  if (ReadHex(text) < header) text = HexText(header);
}

}  // namespace

BankOffsetControls BankFromOffset(int side, BankOffsetControls controls,
                                  const TransferSettings& settings) {
  auto& texts = controls.offsetTexts;
  ClampUpper(texts[0], settings.CopyFromHeader);
  ClampUpper(texts[1], settings.PasteToHeader);
  ClampLower(texts[0], settings.CopyFromHeader);
  ClampLower(texts[1], settings.PasteToHeader);

  // Within the limits a bank always exists.
  const auto address =
      OffsetToBankAddress(ReadHex(texts[side]), HeaderOf(side, settings), settings.BankSize);
  controls.bankPositions[side] = address.value().Bank - kFirstBankNumber;
  return controls;
}

BankOffsetControls OffsetFromBank(int side, BankOffsetControls controls,
                                  const TransferSettings& settings) {
  const auto bank = static_cast<std::uint8_t>(kFirstBankNumber + controls.bankPositions[side]);
  const std::int32_t offset = BankAddressToOffset({.Low = 0, .High = 0, .Bank = bank});
  controls.offsetTexts[side] = PadHex(offset + HeaderOf(side, settings), 6);
  return controls;
}

}  // namespace zarvello
