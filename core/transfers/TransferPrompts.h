#pragma once
// Every word the transfers say to the user, and how each is shown.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/InPlaceWriteError.h"
#include "files/RollbackJournal.h"
#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferChange.h"

namespace zarvello {

inline constexpr std::string_view kBankTransferred = "Bank transferred.";
inline constexpr std::string_view kDataTransferred = "Data transferred.";
inline constexpr std::string_view kTransferUndone = "Transfer undone.";
inline constexpr std::string_view kTransferRedone = "Transfer redone.";

// Shows the error for the first side without a chosen file; true when it did.
bool PromptIfNoFileChosen(const TransferSettings& settings, MessagePrompt& prompt);

// What became of the file a transfer into it was cut short on; nothing for NoJournal.
void ShowCutShortTransfer(MessagePrompt& prompt, const std::string& path, RollBack outcome);

// The bank transfer's checks. `lastBank` is the file's last bank number, as hex.
void ShowCopyFromTooShort(MessagePrompt& prompt, const std::string& lastBank);
bool ConfirmExpansion(MessagePrompt& prompt, const std::string& lastBank);

void ShowRangeReversed(MessagePrompt& prompt, std::int32_t first, std::int32_t last);

// "Can't <action> '<path>'." and the reason; for a write, what became of the file.
void ShowFileError(MessagePrompt& prompt, const FileError& error);
void ShowFileError(MessagePrompt& prompt, const InPlaceWriteError& error);
// "Can't undo the transfer into '<path>'." (or redo) and why.
void ShowChangeRefused(MessagePrompt& prompt, Direction direction, const FileError& why);
void ShowOutOfMemory(MessagePrompt& prompt);
void ShowTransferFailed(MessagePrompt& prompt, const std::exception& error);

}  // namespace zarvello
