#pragma once
// The "<" and ">" buttons of each side: carry a position between the side's
// bank list and its offset box (an offset with header, as hex text).

#include <array>
#include <string>

#include "model/TransferSettings.h"

namespace zarvello {

// What the two operations read and write: index 0 is Copy From, 1 Paste To.
struct BankOffsetControls {
  std::array<std::string, 2> offsetTexts;
  std::array<int, 2> bankPositions;
};

// "<": brings both offset boxes within bank $80..$FF of their files, then
// selects the bank that holds the clicked side's offset.
BankOffsetControls BankFromOffset(int side, BankOffsetControls controls,
                                  const TransferSettings& settings);

// ">": writes the six-digit offset at which the selected bank begins.
BankOffsetControls OffsetFromBank(int side, BankOffsetControls controls,
                                  const TransferSettings& settings);

}  // namespace zarvello
