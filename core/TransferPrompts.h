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
void ShowDone(MessagePrompt& prompt, const std::string& text);

// Runs steps that open files; a failing file access ends them with its prompt.
void RunReportingFileErrors(MessagePrompt& prompt, const std::function<void()>& steps);

}  // namespace zarvello
