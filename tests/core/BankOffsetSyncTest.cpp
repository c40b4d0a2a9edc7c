#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "BankOffsetSync.h"
#include "TransferSettings.h"

namespace zarvello {
namespace {

TransferSettings Settings(std::int16_t copyFromHeader, std::int16_t pasteToHeader,
                          std::int32_t bankSize = 0x8000) {
  TransferSettings settings;
  settings.CopyFromHeader = copyFromHeader;
  settings.PasteToHeader = pasteToHeader;
  settings.BankSize = bankSize;
  return settings;
}

TEST(BankOffsetSyncTest, OffsetFromBankWritesSixDigitsWithTheHeaderAndTouchesNothingElse) {
  const struct {
    std::int16_t header;
    int position;
    std::string text;
  } cases[] = {
      {0x200, 0, "000200"},   {0x200, 1, "008200"}, {0x200, 31, "0F8200"},
      {0x200, 127, "3F8200"}, {0, 1, "008000"},     {0x10, 1, "008010"},
  };
  for (const auto& c : cases) {
    for (const int side : {0, 1}) {
      BankOffsetControls controls{{"other", "other"}, {5, 5}};
      controls.bankPositions[side] = c.position;
      const auto result = OffsetFromBank(
          side, controls, side == 0 ? Settings(c.header, 0x10) : Settings(0x10, c.header));
      BankOffsetControls expected = controls;
      expected.offsetTexts[side] = c.text;
      EXPECT_EQ(result.offsetTexts, expected.offsetTexts) << c.text << " side " << side;
      EXPECT_EQ(result.bankPositions, expected.bankPositions);
    }
  }
}

TEST(BankOffsetSyncTest, BankFromOffsetClampsTheBoxThenSelectsTheBankHoldingIt) {
  const struct {
    std::int16_t header;
    std::string text;
    std::string clamped;
    int position;
  } cases[] = {
      {0x200, "8200", "8200", 1},
      {0x200, "8000", "8000", 0},
      {0x200, "81FF", "81FF", 0},
      {0x200, "0", "200", 0},
      {0x200, "", "200", 0},
      {0x200, "FFFFFF", "3F8200", 127},
      {0x200, "3F8201", "3F8200", 127},
      {0x200, "12G4", "200", 0},
      {0x10, "F", "10", 0},
      {0x10, "3F8011", "3F8010", 127},
      {0, "", "", 0},
      {0, "8000", "8000", 1},
      {0, "FFFFFF", "3F8000", 127},
      {0, "12G4", "12G4", 0},
  };
  for (const auto& c : cases) {
    for (const int side : {0, 1}) {
      BankOffsetControls controls{{"8000", "8000"}, {9, 9}};
      controls.offsetTexts[side] = c.text;
      const auto result =
          BankFromOffset(side, controls, side == 0 ? Settings(c.header, 0) : Settings(0, c.header));
      BankOffsetControls expected = controls;
      expected.offsetTexts[side] = c.clamped;
      expected.bankPositions[side] = c.position;
      EXPECT_EQ(result.offsetTexts, expected.offsetTexts) << '"' << c.text << "\" side " << side;
      EXPECT_EQ(result.bankPositions, expected.bankPositions) << '"' << c.text << '"';
    }
  }
}

TEST(BankOffsetSyncTest, OffsetFromBankThenBankFromOffsetFindsTheSameBank) {
  for (const std::int16_t header : {0, 0x10, 0x200}) {
    const TransferSettings settings = Settings(header, header);
    for (int position = 0; position < kBankCount; ++position) {
      for (const int side : {0, 1}) {
        BankOffsetControls controls{{"", ""}, {0, 0}};
        controls.bankPositions[side] = position;
        controls = OffsetFromBank(side, controls, settings);
        controls.bankPositions[side] = 0;
        EXPECT_EQ(BankFromOffset(side, controls, settings).bankPositions[side], position)
            << "header " << header << " position " << position;
      }
    }
  }
}

TEST(BankOffsetSyncTest, SixteenKibBanksCountFourBanksPerTopByte) {
  const auto result = BankFromOffset(0, {{"10000", ""}, {0, 0}}, Settings(0, 0, 0x4000));
  EXPECT_EQ(result.bankPositions[0], 4);  // $84, while ">" on $84 writes 020000
}

}  // namespace
}  // namespace zarvello
