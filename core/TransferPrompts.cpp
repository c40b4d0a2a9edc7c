#include "TransferPrompts.h"

#include "FileAccessError.h"

namespace zarvello {

bool PromptIfNoFileChosen(const TransferSettings& settings, MessagePrompt& prompt) {
  if (settings.CopyFromFile.empty()) {
    ShowError(prompt, "No File to Copy From selected!");
    return true;
  }
  if (settings.PasteToFile.empty()) {
    ShowError(prompt, "No File to Paste To selected!");
    return true;
  }
  return false;
}

void ShowError(MessagePrompt& prompt, const std::string& text, const std::string& title) {
  prompt.Show(text, PromptButtons::Ok, PromptIcon::Critical, title);
}

void ShowDone(MessagePrompt& prompt, const std::string& text) {
  prompt.Show(text, PromptButtons::Ok, PromptIcon::None, {});
}

void RunReportingFileErrors(MessagePrompt& prompt, const std::function<void()>& steps) {
  try {
    steps();
  } catch (const FileAccessError& error) {
    ShowError(prompt, error.PromptText());
  }
}

}  // namespace zarvello
