#pragma once
// A file dialog behind properties: a caller sets what it needs, calls
// ShowOpen or ShowSave, and reads the outcome back from the properties. A
// fresh object offers SNES ROM images, then NES ones, and opens in the
// program's own folder. The dialog itself is the DialogService's.

#include <cstdint>
#include <string>

#include "dialogs/DialogService.h"
#include "dialogs/OpenFileName.h"

namespace zarvello {

class OpenSave {
 public:
  explicit OpenSave(DialogService& service);

  void SetFileExt(std::int16_t value);
  std::int16_t FileExt() const;
  void SethWnd(std::int32_t value);
  std::int32_t hWnd() const;
  // Both throw OpenSaveError: InvalidArgument when FileName does not fit in
  // MaxFileSize + 1 characters or MaxFileSize is below 1, CancelSelected
  // when the user cancels while CancelError is set.
  void ShowSave();
  void ShowOpen();
  void SetMaxFileSize(std::int16_t value);
  std::int16_t MaxFileSize() const;
  void SetInitDir(std::u16string value);
  const std::u16string& InitDir() const;
  void SetFlags(std::int32_t value);
  std::int32_t Flags() const;
  // Items separated by "|": description, patterns, description, patterns...
  void SetFilter(std::u16string value);
  std::u16string Filter() const;
  void SetFilterIndex(std::int16_t value);
  std::int16_t FilterIndex() const;
  void SetFileTitle(std::u16string value);
  const std::u16string& FileTitle() const;
  // After a confirmed dialog: the path, a NUL, and the rest of the space.
  void SetFileName(std::u16string value);
  const std::u16string& FileName() const;
  void SetDialogTitle(std::u16string value);
  const std::u16string& DialogTitle() const;
  void SetDefaultExt(std::u16string value);
  const std::u16string& DefaultExt() const;
  // Any nonzero value counts as set.
  void SetCancelError(std::int16_t value);
  std::int16_t CancelError() const;

 private:
  void Show(int (DialogService::*show)(OpenFileName&));
  OpenFileName MakeRecord() const;
  void TakeConfirmed(const OpenFileName& record);

  DialogService& service_;
  std::int16_t cancelError_ = 0;
  std::u16string defaultExt_;
  std::u16string dialogTitle_;
  std::u16string fileName_;
  std::u16string fileTitle_;
  std::int16_t filterIndex_ = 1;
  std::u16string filter_;  // every "|" a NUL, ending in two NULs
  std::int32_t flags_ = 0;
  std::u16string initDir_;
  std::int16_t maxFileSize_ = 260;
  std::int32_t hWnd_ = 0;
  std::int16_t fileExt_ = 0;
};

}  // namespace zarvello
