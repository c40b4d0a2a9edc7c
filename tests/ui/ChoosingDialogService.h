#pragma once
// Stands in for the person at the file dialog: each show takes the next
// choice, a file name to put into the file-name space, or a cancel.

#include <deque>
#include <optional>
#include <string>

#include "DialogService.h"

namespace zarvello::testing {

class ChoosingDialogService : public DialogService {
 public:
  // What the dialog hands back, written over the start of the file-name space
  // as far as it reaches, with a NUL behind it when there is room.
  std::deque<std::optional<std::u16string>> choices;
  int shows = 0;

  int ShowOpen(OpenFileName& record) override { return Choose(record); }
  int ShowSave(OpenFileName& record) override { return Choose(record); }

 private:
  int Choose(OpenFileName& record) {
    ++shows;
    const std::optional<std::u16string> choice = choices.front();
    choices.pop_front();
    if (!choice) return 0;
    std::u16string& space = record.lpstrFile;
    const std::size_t written = std::min(choice->size(), space.size());
    space.replace(0, written, *choice, 0, written);
    if (written < space.size()) space[written] = u'\0';
    return 1;
  }
};

}  // namespace zarvello::testing
