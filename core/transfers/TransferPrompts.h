#pragma once
// What the transfers tell the user the same way, and the words for what
// went wrong with a file.

#include <string>

#include "files/FileError.h"
#include "model/TransferSettings.h"
#include "transfers/MessagePrompt.h"

namespace zarvello {

// Shows the error for the first side without a chosen file; true when it did.
bool PromptIfNoFileChosen(const TransferSettings& settings, MessagePrompt& prompt);

void ShowError(MessagePrompt& prompt, const std::string& text, const std::string& title = {});
// OK, no icon, the application title.
void ShowNotice(MessagePrompt& prompt, const std::string& text);

// "Can't <action> '<path>'.", the reason, and what became of the file.
std::string FileErrorText(const FileError& error);

}  // namespace zarvello
