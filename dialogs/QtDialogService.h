#pragma once
// The dialog service on Qt's own file dialog, the same on every platform.
// It shows what a Flags value of 0 asks for: one file, which need not exist
// yet, and no question before an existing file is chosen for saving; other
// flags come back as they went in. The owner handle is not used: the dialog
// is modal to the whole application. A path that does not fit the record is
// refused with a message rather than cut, since a cut path names another file.

#include "DialogService.h"
#include "MessagePrompt.h"
#include "OpenFileName.h"

namespace zarvello {

class QtDialogService : public DialogService {
 public:
  explicit QtDialogService(MessagePrompt& prompt);

  int ShowOpen(OpenFileName& record) override;
  int ShowSave(OpenFileName& record) override;

 private:
  MessagePrompt& prompt_;
};

}  // namespace zarvello
