#include <gtest/gtest.h>

#include "TransferSettings.h"

namespace zarvello {
namespace {

TEST(TransferSettingsTest, BankListHoldsBanks80ToFFInUppercase) {
  EXPECT_EQ(BankListEntry(0), "$80");
  EXPECT_EQ(BankListEntry(31), "$9F");
  EXPECT_EQ(BankListEntry(32), "$A0");
  EXPECT_EQ(BankListEntry(kBankCount - 1), "$FF");
}

TEST(TransferSettingsTest, EachHeaderFollowsItsOwnListAndNoSelectionKeepsIt) {
  TransferSettings settings;
  ApplyHeaderChoices(settings, 2, kNoSelection);
  EXPECT_EQ(settings.CopyFromHeader, 0x200);
  EXPECT_EQ(settings.PasteToHeader, 0);

  ApplyHeaderChoices(settings, 2, 1);
  EXPECT_EQ(settings.CopyFromHeader, 0x200);
  EXPECT_EQ(settings.PasteToHeader, 0x10);  // sixteen, not ten

  ApplyHeaderChoices(settings, 2, 0);
  EXPECT_EQ(settings.CopyFromHeader, 0x200);
  EXPECT_EQ(settings.PasteToHeader, 0);
}

TEST(TransferSettingsTest, BankSizeFollowsItsListAndNoSelectionKeepsIt) {
  TransferSettings settings;
  ApplyBankSizeChoice(settings, 1);
  EXPECT_EQ(settings.BankSize, 0x8000);
  ApplyBankSizeChoice(settings, 0);
  EXPECT_EQ(settings.BankSize, 0x4000);
  ApplyBankSizeChoice(settings, kNoSelection);
  EXPECT_EQ(settings.BankSize, 0x4000);
}

TEST(TransferSettingsTest, BankOffsetsStepByEightKibWhateverTheBankSize) {
  for (const std::int32_t bankSize : {0x4000, 0x8000}) {
    TransferSettings settings;
    settings.BankSize = bankSize;
    DeriveBankOffsets(settings, 1, 31);
    EXPECT_EQ(settings.CopyFromBankOffset, 0x8000);
    EXPECT_EQ(settings.PasteToBankOffset, 0xF8000);
    DeriveBankOffsets(settings, kBankCount - 1, 0);
    EXPECT_EQ(settings.CopyFromBankOffset, 0x3F8000);
    EXPECT_EQ(settings.PasteToBankOffset, 0);
  }
}

}  // namespace
}  // namespace zarvello
