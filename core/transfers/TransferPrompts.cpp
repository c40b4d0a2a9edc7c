#include "transfers/TransferPrompts.h"

namespace zarvello {
namespace {

// In the order of FileError::Action.
constexpr const char* kVerbs[] = {"open", "read", "write", "use"};

std::string Reason(const FileError& error) {
  switch (error.cause) {
    case FileError::Cause::NotRegularFile:
      return "Not a regular file";
    case FileError::Cause::Directory:
      return "Is a directory";
    case FileError::Cause::Replaced:
      return "Another file took its name while it was being opened";
    case FileError::Cause::Busy:
      return "Another transfer into it is running";
    case FileError::Cause::NotOurJournal:
      return "This is not a journal that Zarvello wrote for you: its owner's next transfer into "
             "the file puts the file back, and removing it gives up that put-back.";
    case FileError::Cause::EndedEarly:
      return "The file ended before the bank did";
    case FileError::Cause::NotPrivate:
      return "It could not be made readable by you alone: " + error.systemReason;
    case FileError::Cause::System:
    case FileError::Cause::Denied:
    case FileError::Cause::NameTooLong:
    case FileError::Cause::Exists:
      break;
  }
  return error.systemReason;
}

std::string Aftermath(const FileError& error) {
  switch (error.aftermath) {
    case FileError::Aftermath::PutBack:
      return "It has been put back as it was.";
    case FileError::Aftermath::PutBackLater:
      return "It could not be put back yet: the next transfer into it will put it back.";
    case FileError::Aftermath::NotPutBack:
      return "It could not be put back: " + error.aftermathReason + ".";
    case FileError::Aftermath::NewBytesWritten:
      return "The transfer itself is complete: the new bytes were written.";
    case FileError::Aftermath::None:
      break;
  }
  return {};
}

}  // namespace

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

std::string FileErrorText(const FileError& error) {
  const std::string text = JoinPromptLines(
      {"Can't " + std::string(kVerbs[static_cast<int>(error.action)]) + " '" + error.path + "'.",
       Reason(error)});
  const std::string aftermath = Aftermath(error);
  return aftermath.empty() ? text : JoinPromptLines({text, aftermath});
}

}  // namespace zarvello
