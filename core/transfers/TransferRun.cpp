#include "transfers/TransferRun.h"

#include <exception>
#include <new>

#include "files/InPlaceWriteError.h"
#include "files/LockedFiles.h"
#include "files/RollbackJournal.h"
#include "files/ZeroedBuffer.h"
#include "transfers/TransferPrompts.h"

namespace zarvello {
namespace {

// True when a transfer into any of the files was cut short, and the user told so.
bool PutBackCutShortTransfers(const NamedFiles& files, MessagePrompt& prompt) {
  bool told = false;
  for (const auto& [path, action] : files) {
    const RollBack outcome = RollBackCutShortTransfer(path, action);
    ShowCutShortTransfer(prompt, path, outcome);
    told = told || outcome != RollBack::NoJournal;
  }
  return told;
}

// Nothing, with nothing read or written, when a transfer into either file was
// cut short since it was last looked for.
std::optional<TransferChange> Copy(const TransferSettings& settings, const CopyStep& step) {
  LockedFiles files(settings.CopyFromFile, settings.PasteToFile);
  if (files.CutShortTransferFound()) return std::nullopt;
  ZeroedBuffer buffer(step.length);
  if (files.Read(step.readAt, buffer.Bytes()) < step.length && step.wholeBank) {
    throw FileError(FileError::Action::Read, settings.CopyFromFile, FileError::Cause::EndedEarly);
  }
  WrittenChange written = InPlaceWrite(files.Written(), step.writeAt, buffer.Bytes()).Run();
  return TransferChange(settings.PasteToFile, written.record, std::move(written.oldBytes),
                        std::move(buffer));
}

}  // namespace

ChangeEnd RunChange(const NamedFiles& files, MessagePrompt& prompt,
                    const std::function<bool()>& checks, const std::function<bool()>& change,
                    std::string_view doneText) {
  try {
    PutBackCutShortTransfers(files, prompt);
    if (!checks()) return ChangeEnd::Stopped;
    // What a put-back changes, the checks have not seen: the change stops.
    // A journal left only to be deleted changes nothing.
    while (!change()) {
      if (PutBackCutShortTransfers(files, prompt)) return ChangeEnd::Stopped;
    }
    ShowNotice(prompt, std::string(doneText));
    return ChangeEnd::Done;
  } catch (const ChangeRefused& refused) {
    ShowChangeRefused(prompt, refused.direction, refused.why);
    return ChangeEnd::Refused;
  } catch (const InPlaceWriteError& error) {
    ShowFileError(prompt, error);
  } catch (const FileError& error) {
    ShowFileError(prompt, error);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory(prompt);
  } catch (const std::exception& error) {
    ShowTransferFailed(prompt, error);
  }
  return ChangeEnd::Stopped;
}

std::optional<TransferChange> RunTransfer(const TransferSettings& settings, MessagePrompt& prompt,
                                          const std::function<std::optional<CopyStep>()>& checks,
                                          std::string_view doneText) {
  if (PromptIfNoFileChosen(settings, prompt)) return std::nullopt;
  std::optional<CopyStep> step;
  std::optional<TransferChange> made;
  const ChangeEnd end = RunChange(
      {{settings.CopyFromFile, FileError::Action::Read},
       {settings.PasteToFile, FileError::Action::Write}},
      prompt, [&] { return (step = checks()).has_value(); },
      [&] { return (made = Copy(settings, *step)).has_value(); }, doneText);
  return end == ChangeEnd::Done ? std::move(made) : std::nullopt;
}

}  // namespace zarvello
