#pragma once
// What both transfers tell the user the same way.

#include <functional>
#include <string>

#include "MessagePrompt.h"
#include "TransferSettings.h"

namespace zarvello {

// Shows the error for the first side without a chosen file; true when it did.
bool PromptIfNoFileChosen(const TransferSettings& settings, MessagePrompt& prompt);

void ShowError(MessagePrompt& prompt, const std::string& text, const std::string& title = {});
// OK, no icon, the application title.
void ShowNotice(MessagePrompt& prompt, const std::string& text);

// Puts back either file where a transfer was cut short, and tells the user.
void RollBackCutShortTransfers(const TransferSettings& settings, MessagePrompt& prompt);

// Runs steps that open files; a failing file access ends them with its prompt.
void RunReportingFileErrors(MessagePrompt& prompt, const std::function<void()>& steps);

}  // namespace zarvello
