#pragma once
// Positions as SNES LoROM bank addresses Bank:High:Low: banks 0x8000 bytes
// apart, bank numbers from $80.

#include <cstdint>
#include <optional>

namespace zarvello {

// Bank n of an image, bank number kFirstBankNumber + n, begins n bank steps
// after its header, whatever the bank size.
inline constexpr int kBankCount = 128;
inline constexpr std::uint8_t kFirstBankNumber = 0x80;
inline constexpr std::int32_t kBankStep = 0x8000;
inline constexpr std::int32_t kNesBankSize = 0x4000;
inline constexpr std::int32_t kSnesBankSize = 0x8000;

// The bytes one bank holds: the NES size, or the SNES size for any other value.
constexpr std::int32_t BankLength(std::int32_t bankSize) {
  return bankSize == kNesBankSize ? kNesBankSize : kSnesBankSize;
}

struct BankAddress {
  std::uint8_t Low = 0;
  std::uint8_t High = 0;
  std::uint8_t Bank = 0;
};

// Offset without header. A Bank below 0x80 counts as a bank index, and the
// address within the bank counts modulo 0x8000.
std::int32_t BankAddressToOffset(BankAddress address);

// Only the low 24 bits of the offset without header take part. Empty when that
// offset is negative (a file no longer than its header) or past the last bank
// number $FF.
std::optional<BankAddress> OffsetToBankAddress(std::int64_t offsetWithHeader,
                                               std::int16_t headerLength, std::int32_t bankSize);

}  // namespace zarvello
