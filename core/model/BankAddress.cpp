#include "model/BankAddress.h"

namespace zarvello {

std::int32_t BankAddressToOffset(BankAddress address) {
  const std::int32_t bankIndex =
      address.Bank >= kFirstBankNumber ? address.Bank - kFirstBankNumber : address.Bank;
  const std::int32_t withinBank = ((address.High << 8) | address.Low) & (kBankStep - 1);
  return bankIndex * kBankStep + withinBank;
}

std::optional<BankAddress> OffsetToBankAddress(std::int64_t offsetWithHeader,
                                               std::int16_t headerLength, std::int32_t bankSize) {
  const std::int64_t offset = offsetWithHeader - headerLength;
  if (offset < 0) return std::nullopt;
  const auto o24 = static_cast<std::uint32_t>(offset & 0xFFFFFF);
  const std::uint32_t middle = (o24 >> 8) & 0xFF;
  const std::uint32_t top = o24 >> 16;
  // With 0x4000 banks the top byte counts four banks while the 0x4000 bit
  // stays in High, so bank $80 + n still begins at n * 0x8000.
  const std::uint32_t banksPerTopStep = 0x10000 / BankLength(bankSize);
  std::uint32_t bank = top * banksPerTopStep + (middle >= 0x80 ? 1 : 0);
  if ((bank & 0xFF) < kFirstBankNumber) bank += kFirstBankNumber;
  if (bank > 0xFF) return std::nullopt;
  return BankAddress{.Low = static_cast<std::uint8_t>(o24 & 0xFF),
                     .High = static_cast<std::uint8_t>(middle & 0x7F),
                     .Bank = static_cast<std::uint8_t>(bank)};
}

}  // namespace zarvello
