#pragma once

#include <optional>

#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferChange.h"

namespace zarvello {

// Copies one bank from the Copy From file into the Paste To file in place.
// Refuses a source bank past the end of its file and asks before the
// destination grows. Sets both bank offsets from the bank list positions first.
// What it changed, once done.
std::optional<TransferChange> TransferBank(TransferSettings& settings, int copyFromBankPosition,
                                           int pasteToBankPosition, MessagePrompt& prompt);

}  // namespace zarvello
