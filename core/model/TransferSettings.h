#pragma once
// The state the main window edits and the transfers read. Numeric settings
// come from list positions only, never from the entry texts.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/BankAddress.h"

namespace zarvello {

struct TransferSettings {
  std::string CopyFromFile;
  std::string PasteToFile;
  std::int16_t CopyFromHeader = 0;
  std::int16_t PasteToHeader = 0;
  std::int32_t BankSize = 0;
  std::int32_t CopyFromBankOffset = 0;
  std::int32_t PasteToBankOffset = 0;
};

// Qt-style "no entry selected" position.
inline constexpr int kNoSelection = -1;

struct HeaderChoice {
  std::string_view text;
  std::int16_t length;
};
inline constexpr std::array<HeaderChoice, 3> kHeaderChoices{{
    {"No Header", 0},
    {"$010 (NES)", 0x10},
    {"$200 (SNES)", 0x200},
}};

struct BankSizeChoice {
  std::string_view text;
  std::int32_t size;
};
inline constexpr std::array<BankSizeChoice, 2> kBankSizeChoices{{
    {"$4000 (NES)", kNesBankSize},
    {"$8000 (SNES)", kSnesBankSize},
}};

// "$80" ... "$FF": the bank list entry at a position.
std::string BankListEntry(int position);

// Each header setting follows its own list; a list without a selection leaves
// its setting as it is.
void ApplyHeaderChoices(TransferSettings& settings, int copyFromPosition, int pasteToPosition);
void ApplyBankSizeChoice(TransferSettings& settings, int position);

// A bank list position stands for a step of 0x8000 bytes whatever the bank size.
void DeriveBankOffsets(TransferSettings& settings, int copyFromBankPosition,
                       int pasteToBankPosition);

}  // namespace zarvello
