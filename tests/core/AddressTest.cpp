#include <gtest/gtest.h>

#include "model/BankAddress.h"
#include "model/BankOffsetSync.h"

namespace zarvello {

// The bank numbers the bank transfer names for a file's last byte, for both bank sizes.
TEST(AddressTest, OffsetToBankAddressForBothBankSizes) {
  // clang-format off
  const struct { std::int64_t offset; std::int16_t header; std::int32_t bankSize; std::uint32_t bankHighLow; } rows[] = {  // 0: no bank number
      {0x12345, 0x10, 0x8000, 0x822335}, {0x1001FF, 0x200, 0x8000, 0x9F7FFF}, {0x400000, 0, 0x8000, 0x800000}, {0x7FFFFF, 0, 0x8000, 0xFF7FFF},
      {0x1000000, 0, 0x8000, 0x800000}, {0x800000, 0, 0x8000, 0}, {0x4000, 0, 0x4000, 0x804000}, {0xC000, 0, 0x4000, 0x814000},
      {0x3F8000, 0, 0x4000, 0xFD0000}, {0x400000, 0, 0x4000, 0}, {0x1FF, 0x200, 0x8000, 0}, {-0x900000, 0, 0x8000, 0}};
  // clang-format on
  for (const auto& row : rows) {
    const auto a =
        OffsetToBankAddress(row.offset, row.header, row.bankSize).value_or(BankAddress{});
    EXPECT_EQ(std::uint32_t(a.Bank << 16 | a.High << 8 | a.Low), row.bankHighLow) << row.offset;
  }
}

// "<" and ">" on either side; the other side's box and list stay as they are.
TEST(AddressTest, BankAndOffsetButtons) {
  // clang-format off
  const struct { char button; std::int16_t header; std::string text, textAfter; int position, positionAfter; std::int32_t bankSize = 0x8000; } rows[] = {
      {'>', 0x200, "", "000200", 0, 0}, {'>', 0x200, "x", "008200", 1, 1}, {'>', 0x200, "", "0F8200", 31, 31},
      {'>', 0x200, "", "3F8200", 127, 127}, {'>', 0, "", "008000", 1, 1}, {'>', 0x10, "", "008010", 1, 1},
      {'<', 0x200, "8200", "8200", 9, 1}, {'<', 0x200, "81FF", "81FF", 9, 0}, {'<', 0x200, "0", "200", 9, 0},
      {'<', 0x200, "", "200", 9, 0}, {'<', 0x200, "FFFFFF", "3F8200", 9, 127}, {'<', 0x200, "12G4", "200", 9, 0},
      {'<', 0x200, "3F8201", "3F8200", 9, 127}, {'<', 0x10, "F", "10", 9, 0}, {'<', 0x10, "3F8011", "3F8010", 9, 127},
      {'<', 0, "", "", 9, 0}, {'<', 0, " 8 0 00", " 8 0 00", 9, 1}, {'<', 0, "FFFFFF", "3F8000", 9, 127},
      {'<', 0, "12G4", "12G4", 9, 0}, {'<', 0, "C0000", "C0000", 9, 24}, {'<', 0, "10000", "10000", 9, 4, 0x4000}};
  // clang-format on
  for (const auto& row : rows) {
    for (const int side : {0, 1}) {
      TransferSettings settings{.BankSize = row.bankSize};
      (side == 0 ? settings.CopyFromHeader : settings.PasteToHeader) = row.header;
      BankOffsetControls controls{{"8000", "8000"}, {5, 5}}, expected = controls;
      controls.offsetTexts[side] = row.text, controls.bankPositions[side] = row.position;
      expected.offsetTexts[side] = row.textAfter, expected.bankPositions[side] = row.positionAfter;
      const auto result = row.button == '<' ? BankFromOffset(side, controls, settings)
                                            : OffsetFromBank(side, controls, settings);
      EXPECT_EQ(std::pair(result.offsetTexts, result.bankPositions),
                std::pair(expected.offsetTexts, expected.bankPositions))
          << row.button << row.text << side;
    }
  }
}

}  // namespace zarvello
