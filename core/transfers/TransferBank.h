#pragma once

#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"

namespace zarvello {

// Copies one bank from the Copy From file into the Paste To file in place.
// Refuses a source bank past the end of its file and asks before the
// destination grows. Sets both bank offsets from the bank list positions first.
void TransferBank(TransferSettings& settings, int copyFromBankPosition, int pasteToBankPosition,
                  MessagePrompt& prompt);

}  // namespace zarvello
