#pragma once
// The dialog service on QFileDialog: the desktop's own file chooser where the
// desktop offers one, Qt's own dialog elsewhere. Like the system dialog it
// stands in for, it keeps the folder the user works in: the first dialog of a
// run opens in the given initial folder when the user can write it (an
// unpacked copy's own folder), otherwise in the folder the program was
// started from; every later one in the folder of the last file chosen, in a
// dialog or by a drop.
// It shows what a Flags value of 0 asks for: one file, which need not exist
// yet, and no question before an existing file is chosen for saving; other
// flags come back as they went in. Names match the filters whatever their
// case, in the desktop's dialog too. The owner handle is not used: the dialog
// belongs to the window given, modal to it and centred over it. A path that
// does not fit the record is refused with a message rather than cut, since a
// cut path names another file.

#include <QFileDialog>
#include <QString>

#include "dialogs/DialogService.h"
#include "dialogs/OpenFileName.h"
#include "prompts/MessagePrompt.h"

namespace zarvello {

class QtDialogService : public DialogService {
 public:
  explicit QtDialogService(MessagePrompt& prompt);
  // The window the dialogs belong to, once it exists.
  void SetWindow(QWidget* window) { window_ = window; }

  int ShowOpen(OpenFileName& record) override;
  int ShowSave(OpenFileName& record) override;
  void NoteFileChosen(const std::u16string& path) override;

 private:
  QString FolderToOpen(const OpenFileName& record) const;
  int Show(OpenFileName& record, QFileDialog::AcceptMode mode);

  MessagePrompt& prompt_;
  QWidget* window_ = nullptr;
  const QString startFolder_;
  QString lastFolder_;  // empty until a file is chosen
};

}  // namespace zarvello
