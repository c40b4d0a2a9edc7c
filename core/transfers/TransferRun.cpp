#include "transfers/TransferRun.h"

#include <exception>
#include <new>

#include "files/LockedFiles.h"
#include "files/RollbackJournal.h"
#include "files/ZeroedBuffer.h"
#include "transfers/TransferPrompts.h"

namespace zarvello {
namespace {

// True when a transfer into either file was cut short, and the user told so.
bool PutBackCutShortTransfers(const TransferSettings& settings, MessagePrompt& prompt) {
  bool told = false;
  for (const auto& [path, action] : {std::pair{settings.CopyFromFile, FileError::Action::Read},
                                     {settings.PasteToFile, FileError::Action::Write}}) {
    const RollBack outcome = RollBackCutShortTransfer(path, action);
    ShowCutShortTransfer(prompt, path, outcome);
    told = told || outcome != RollBack::NoJournal;
  }
  return told;
}

// False, with nothing read or written, when a transfer into either file was
// cut short since it was last looked for.
bool Copy(const TransferSettings& settings, const CopyStep& step) {
  LockedFiles files(settings.CopyFromFile, settings.PasteToFile);
  if (files.CutShortTransferFound()) return false;
  const ZeroedBuffer buffer(step.length);
  if (files.Read(step.readAt, buffer.Bytes()) < step.length && step.wholeBank) {
    throw FileError(FileError::Action::Read, settings.CopyFromFile, FileError::Cause::EndedEarly);
  }
  files.Write(step.writeAt, buffer.Bytes());
  return true;
}

}  // namespace

void RunTransfer(const TransferSettings& settings, MessagePrompt& prompt,
                 const std::function<std::optional<CopyStep>()>& checks,
                 std::string_view doneText) {
  if (PromptIfNoFileChosen(settings, prompt)) return;
  try {
    PutBackCutShortTransfers(settings, prompt);
    const std::optional<CopyStep> step = checks();
    if (!step) return;
    // What a put-back changes, the checks have not seen: the transfer stops.
    // A journal left only to be deleted changes nothing.
    while (!Copy(settings, *step)) {
      if (PutBackCutShortTransfers(settings, prompt)) return;
    }
    ShowNotice(prompt, std::string(doneText));
  } catch (const InPlaceWriteError& error) {
    ShowFileError(prompt, error);
  } catch (const FileError& error) {
    ShowFileError(prompt, error);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory(prompt);
  } catch (const std::exception& error) {
    ShowTransferFailed(prompt, error);
  }
}

}  // namespace zarvello
