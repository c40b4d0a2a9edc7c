#pragma once
// Shows the platform's open and save dialogs for files.

#include <string>

#include "dialogs/OpenFileName.h"

namespace zarvello {

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Nonzero when the user confirmed a file; zero when the user cancelled or
  // the dialog failed.
  virtual int ShowOpen(OpenFileName& record) = 0;
  virtual int ShowSave(OpenFileName& record) = 0;
  // A file the user chose without a dialog, by dropping it: later dialogs
  // open in its folder, as after a file chosen in one.
  virtual void NoteFileChosen(const std::u16string& path) = 0;
};

}  // namespace zarvello
