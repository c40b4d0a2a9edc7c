#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "BankAddress.h"
#include "HexText.h"

namespace zarvello {
namespace {

TEST(HexTextTest, ReadHexTakesLeadingDigitsAndIgnoresSpaces) {
  const struct {
    std::string text;
    std::int32_t value;
  } cases[] = {
      {"", 0},
      {"8000", 0x8000},
      {"1f", 0x1F},
      {"12G4", 0x12},
      {"XYZ", 0},
      {"3F8200", 0x3F8200},
      {" 3 F ", 0x3F},
      {"FFFFFF", 0xFFFFFF},
      {"FFFFFFFF", -1},  // a full 32-bit pattern
      {"123456789ABCDEF",
       static_cast<std::int32_t>(0x89ABCDEF)},  // a long run keeps its low 32 bits
  };
  for (const auto& c : cases) EXPECT_EQ(ReadHex(c.text), c.value) << '"' << c.text << '"';
}

TEST(BankAddressTest, ToOffsetCountsBanksEitherWayAndWithinBankModulo8000) {
  const struct {
    BankAddress address;
    std::int32_t offset;
  } cases[] = {
      {{0x00, 0x00, 0x80}, 0},       {{0x00, 0x00, 0x81}, 0x8000},   {{0x00, 0x00, 0xFF}, 0x3F8000},
      {{0x34, 0x12, 0x80}, 0x1234},  {{0x34, 0x92, 0x80}, 0x1234},   {{0x34, 0x92, 0x83}, 0x19234},
      {{0x00, 0x00, 0x05}, 0x28000}, {{0xFF, 0xFF, 0xFF}, 0x3FFFFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BankAddressToOffset(c.address), c.offset) << std::hex << c.offset;
  }
}

struct ConversionCase {
  std::int64_t offset;
  std::int16_t header;
  std::int32_t bankSize;
  std::optional<std::uint32_t> expected;  // 0xBBHHLL
};

std::optional<std::uint32_t> Packed(std::optional<BankAddress> address) {
  if (!address) return std::nullopt;
  return address->Bank << 16 | address->High << 8 | address->Low;
}

TEST(BankAddressTest, OffsetToBankAddressForBothBankSizes) {
  const ConversionCase cases[] = {
      {0x8200, 0x200, 0x8000, 0x810000},
      {0x12345, 0x10, 0x8000, 0x822335},
      {0x3F8200, 0x200, 0x8000, 0xFF0000},
      {0x1001FF, 0x200, 0x8000, 0x9F7FFF},
      {0x200, 0x200, 0x8000, 0x800000},
      {0x7FFF, 0, 0x8000, 0x807FFF},
      {0x400000, 0, 0x8000, 0x800000},
      {0x7FFFFF, 0, 0x8000, 0xFF7FFF},
      {0x1000000, 0, 0x8000, 0x800000},
      {0x800000, 0, 0x8000, std::nullopt},
      {0x4000, 0, 0x4000, 0x804000},
      {0x8000, 0, 0x4000, 0x810000},
      {0xC000, 0, 0x4000, 0x814000},
      {0x10000, 0, 0x4000, 0x840000},
      {0x200000, 0, 0x4000, 0x800000},
      {0x3F8000, 0, 0x4000, 0xFD0000},
      {0x400000, 0, 0x4000, std::nullopt},
      // A file no longer than its header has no last bank, however far below.
      {-1, 0, 0x8000, std::nullopt},
      {0x1FF, 0x200, 0x8000, std::nullopt},
      {-0x900000, 0, 0x8000, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Packed(OffsetToBankAddress(c.offset, c.header, c.bankSize)), c.expected)
        << std::hex << "offset " << c.offset << " header " << c.header << " bank size "
        << c.bankSize;
  }
}

TEST(BankAddressTest, EveryOffsetOfTheFirst128BanksConvertsBack) {
  for (const std::int16_t header : {0, 0x10, 0x200}) {
    for (std::int32_t offset = 0; offset <= 0x3FFFFF; ++offset) {
      const auto address = OffsetToBankAddress(offset + header, header, 0x8000);
      ASSERT_TRUE(address && BankAddressToOffset(*address) == offset)
          << std::hex << "offset " << offset << " header " << header;
    }
  }
}

}  // namespace
}  // namespace zarvello
