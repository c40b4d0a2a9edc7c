#include "transfers/TransferPrompts.h"

#include "model/HexText.h"

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
    case FileError::Cause::Changed:
      return "The file has been changed since.";
    case FileError::Cause::System:
    case FileError::Cause::Denied:
    case FileError::Cause::NameTooLong:
    case FileError::Cause::Exists:
      break;
  }
  return error.systemReason;
}

// "Can't <doing> '<path>'." and the reason.
std::string CantText(const std::string& doing, const FileError& error) {
  return JoinPromptLines({"Can't " + doing + " '" + error.path + "'.", Reason(error)});
}

std::string FileErrorText(const FileError& error) {
  return CantText(kVerbs[static_cast<int>(error.action)], error);
}

std::string OutcomeText(const InPlaceWriteError& error) {
  switch (error.outcome) {
    case InPlaceWriteError::Outcome::PutBack:
      return "It has been put back as it was.";
    case InPlaceWriteError::Outcome::PutBackLater:
      return "It could not be put back yet: the next transfer into it will put it back.";
    case InPlaceWriteError::Outcome::NotPutBack:
      return "It could not be put back: " + error.putBackReason + ".";
    case InPlaceWriteError::Outcome::NewBytesWritten:
      break;
  }
  return "The transfer itself is complete: the new bytes were written.";
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

void ShowCutShortTransfer(MessagePrompt& prompt, const std::string& path, RollBack outcome) {
  const std::string cutShort = "The last transfer into '" + path + "' was cut short";
  switch (outcome) {
    case RollBack::PutBack:
    case RollBack::Untouched:
      ShowNotice(prompt, cutShort + ". The file has been put back as it was before it.");
      break;
    case RollBack::LeftAsItIs:
      ShowNotice(prompt, cutShort + ", but the file has been changed since. It was left as it is.");
      break;
    case RollBack::NoJournal:
      break;
  }
}

void ShowCopyFromTooShort(MessagePrompt& prompt, const std::string& lastBank) {
  ShowError(prompt,
            JoinPromptLines({
                "'Copy From' File is only " + lastBank + " banks long.",
                "You're grabbing at data that's not there.",
                "",
                "Can't do that.  Sorry.",
            }),
            "Oh, no you didn't!");
}

bool ConfirmExpansion(MessagePrompt& prompt, const std::string& lastBank) {
  const std::string text = JoinPromptLines({
      "'Paste To' File is currently only " + lastBank + " banks long.",
      "Doing this transfer will expand the ROM.",
      "Unless this was what you were planning on doing, you shouldn't do it.",
      "",
      "Do you wish to expand this ROM?",
  });
  return prompt.Show(text, PromptButtons::YesNo, PromptIcon::None,
                     "Do you know what you're doing?") == PromptAnswer::Yes;
}

void ShowRangeReversed(MessagePrompt& prompt, std::int32_t first, std::int32_t last) {
  ShowError(prompt, "The last offset " + HexText(last) + " lies before the first offset " +
                        HexText(first) + ".");
}

void ShowFileError(MessagePrompt& prompt, const FileError& error) {
  ShowError(prompt, FileErrorText(error));
}

void ShowFileError(MessagePrompt& prompt, const InPlaceWriteError& error) {
  ShowError(prompt, JoinPromptLines({FileErrorText(error.failure), OutcomeText(error)}));
}

void ShowChangeRefused(MessagePrompt& prompt, Direction direction, const FileError& why) {
  ShowError(prompt, CantText(direction == Direction::Undo ? "undo the transfer into"
                                                          : "redo the transfer into",
                             why));
}

void ShowOutOfMemory(MessagePrompt& prompt) {
  ShowError(prompt, "There is not enough memory for this transfer.");
}

void ShowTransferFailed(MessagePrompt& prompt, const std::exception& error) {
  ShowError(prompt, "The transfer failed: " + std::string(error.what()));
}

}  // namespace zarvello
