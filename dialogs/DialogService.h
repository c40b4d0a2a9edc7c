#pragma once
// Shows the platform's open and save dialogs for files.

#include "OpenFileName.h"

namespace zarvello {

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Nonzero when the user confirmed a file; zero when the user cancelled or
  // the dialog failed.
  virtual int ShowOpen(OpenFileName& record) = 0;
  virtual int ShowSave(OpenFileName& record) = 0;
};

}  // namespace zarvello
