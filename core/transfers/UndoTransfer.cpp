#include "transfers/UndoTransfer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "files/LockedFiles.h"
#include "files/RollbackJournal.h"
#include "transfers/TransferPrompts.h"
#include "transfers/TransferRun.h"

namespace zarvello {
namespace {

bool Holds(std::span<const std::byte> found, const TransferChange::Step& step) {
  return found.size() == step.zeros + step.bytes.size() &&
         std::all_of(found.begin(), found.begin() + step.zeros,
                     [](std::byte b) { return b == std::byte{0}; }) &&
         std::memcmp(found.data() + step.zeros, step.bytes.data(), step.bytes.size()) == 0;
}

// False, with nothing done, when a transfer into the file was cut short since
// it was last looked for.
bool GoOver(const TransferChange& change, Direction direction) {
  const auto refused = [&](FileError why) { return ChangeRefused(direction, std::move(why)); };
  std::unique_ptr<LockedFiles> files;
  try {
    files = std::make_unique<LockedFiles>(change.Path());
  } catch (const FileError& error) {
    // Another transfer holding it changes nothing yet.
    if (error.cause == FileError::Cause::Busy) throw;
    throw refused(error);
  }
  if (files->CutShortTransferFound()) return false;
  PlatformFile& file = files->Written();
  const FileError changed(FileError::Action::Write, change.Path(), FileError::Cause::Changed);
  const TransferChange::Step step = change.StepFor(direction);
  if (file.Facts().identity != change.File() || file.Length() != step.length)
    throw refused(changed);
  InPlaceWrite write(file, step.offset, step.data, step.shortenTo);
  if (!Holds(write.OldBytes(), step)) throw refused(changed);
  std::move(write).Run();
  return true;
}

void Run(TransferHistory& history, Direction direction, MessagePrompt& prompt) {
  const TransferChange* change = history.Next(direction);
  if (change == nullptr) return;
  const ChangeEnd end = RunChange(
      {{change->Path(), FileError::Action::Write}}, prompt, [] { return true; },
      [&] { return GoOver(*change, direction); },
      direction == Direction::Undo ? kTransferUndone : kTransferRedone);
  if (end == ChangeEnd::Done) history.Moved(direction);
  if (end == ChangeEnd::Refused) history.Drop(direction);
}

}  // namespace

void UndoTransfer(TransferHistory& history, MessagePrompt& prompt) {
  Run(history, Direction::Undo, prompt);
}

void RedoTransfer(TransferHistory& history, MessagePrompt& prompt) {
  Run(history, Direction::Redo, prompt);
}

}  // namespace zarvello
