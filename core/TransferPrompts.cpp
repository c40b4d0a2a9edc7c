#include "TransferPrompts.h"

#include "FileAccessError.h"
#include "RollbackJournal.h"

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

void ShowNotice(MessagePrompt& prompt, const std::string& text) {
  prompt.Show(text, PromptButtons::Ok, PromptIcon::None, {});
}

void RollBackCutShortTransfers(const TransferSettings& settings, MessagePrompt& prompt) {
  for (const std::string& path : {settings.CopyFromFile, settings.PasteToFile}) {
    if (RollBackCutShortTransfer(path)) {
      ShowNotice(prompt, "The last transfer into '" + path +
                             "' was cut short. The file has been put back as it was before it.");
    }
  }
}

void RunReportingFileErrors(MessagePrompt& prompt, const std::function<void()>& steps) {
  try {
    steps();
  } catch (const FileAccessError& error) {
    ShowError(prompt, error.PromptText());
  }
}

}  // namespace zarvello
