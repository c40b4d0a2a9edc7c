#pragma once

#include "prompts/MessagePrompt.h"
#include "transfers/TransferHistory.h"

namespace zarvello {

// Puts back the file the newest transfer of the history found, or writes
// again what the newest one undone wrote, as safely as a transfer writes,
// but only into the file as the other way left it. A change that finds its
// file gone or changed since leaves the history.
void UndoTransfer(TransferHistory& history, MessagePrompt& prompt);
void RedoTransfer(TransferHistory& history, MessagePrompt& prompt);

}  // namespace zarvello
