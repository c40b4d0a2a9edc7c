#include "dialogs/OpenSave.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "dialogs/OpenSaveError.h"
#include "dialogs/ProgramFolder.h"

namespace zarvello {
namespace {

constexpr std::u16string_view kDefaultFilter =
    u"SNES|*.smc;*.swc;*.fig;*.sfc|NES|*.nes|All Files (*.*)|*.*";
// The title space is FileTitle plus this many spaces, though the dialog is
// told it holds kTitleCapacity.
constexpr std::size_t kTitleSpaces = 256;
constexpr std::int32_t kTitleCapacity = 260;

bool EndsInTwoNuls(const std::u16string& text) {
  return text.size() >= 2 && text.ends_with(std::u16string_view(u"\0\0", 2));
}

std::u16string TrimSpaces(const std::u16string& text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

OpenSave::OpenSave(DialogService& service) : service_(service) {
  SetFilter(std::u16string(kDefaultFilter));
  SetInitDir(ProgramFolder());
}

void OpenSave::SetFileExt(std::int16_t value) { fileExt_ = value; }
std::int16_t OpenSave::FileExt() const { return fileExt_; }
void OpenSave::SethWnd(std::int32_t value) { hWnd_ = value; }
std::int32_t OpenSave::hWnd() const { return hWnd_; }
void OpenSave::ShowSave() { Show(&DialogService::ShowSave); }
void OpenSave::ShowOpen() { Show(&DialogService::ShowOpen); }
void OpenSave::SetMaxFileSize(std::int16_t value) { maxFileSize_ = value; }
std::int16_t OpenSave::MaxFileSize() const { return maxFileSize_; }
void OpenSave::SetInitDir(std::u16string value) { initDir_ = std::move(value); }
const std::u16string& OpenSave::InitDir() const { return initDir_; }
void OpenSave::SetFlags(std::int32_t value) { flags_ = value; }
std::int32_t OpenSave::Flags() const { return flags_; }

void OpenSave::SetFilter(std::u16string value) {
  std::replace(value.begin(), value.end(), u'|', u'\0');
  // At most two NULs go on, so a text that already ends in NULs keeps them.
  for (int appended = 0; appended < 2 && !EndsInTwoNuls(value); ++appended) value += u'\0';
  filter_ = std::move(value);
}

std::u16string OpenSave::Filter() const {
  std::u16string text = filter_;
  std::replace(text.begin(), text.end(), u'\0', u'|');
  for (int removed = 0; removed < 2 && text.ends_with(u'|'); ++removed) text.pop_back();
  return text;
}

void OpenSave::SetFilterIndex(std::int16_t value) { filterIndex_ = value; }
std::int16_t OpenSave::FilterIndex() const { return filterIndex_; }
void OpenSave::SetFileTitle(std::u16string value) { fileTitle_ = std::move(value); }
const std::u16string& OpenSave::FileTitle() const { return fileTitle_; }
void OpenSave::SetFileName(std::u16string value) { fileName_ = std::move(value); }
const std::u16string& OpenSave::FileName() const { return fileName_; }
void OpenSave::SetDialogTitle(std::u16string value) { dialogTitle_ = std::move(value); }
const std::u16string& OpenSave::DialogTitle() const { return dialogTitle_; }
void OpenSave::SetDefaultExt(std::u16string value) { defaultExt_ = std::move(value); }
const std::u16string& OpenSave::DefaultExt() const { return defaultExt_; }
void OpenSave::SetCancelError(std::int16_t value) { cancelError_ = value; }
std::int16_t OpenSave::CancelError() const { return cancelError_; }

void OpenSave::Show(int (DialogService::*show)(OpenFileName&)) {
  OpenFileName record = MakeRecord();
  if ((service_.*show)(record) <= 0) {
    if (CancelError() != 0) throw OpenSaveError::CancelSelected();
    return;
  }
  TakeConfirmed(record);
}

OpenFileName OpenSave::MakeRecord() const {
  // Below a capacity of 1 not even the NUL that ends a path would fit.
  if (MaxFileSize() < 1) throw OpenSaveError::InvalidArgument();
  const std::size_t fileSpace = static_cast<std::size_t>(MaxFileSize()) + 1;
  if (FileName().size() > fileSpace) throw OpenSaveError::InvalidArgument();

  OpenFileName record;
  record.lStructSize = kOpenFileNameSize;
  record.hwndOwner = hWnd();
  record.lpstrFilter = filter_;
  record.nFilterIndex = FilterIndex();
  record.lpstrFile = FileName();
  record.lpstrFile.resize(fileSpace, u'\0');
  record.nMaxFile = MaxFileSize();
  record.lpstrFileTitle = FileTitle() + std::u16string(kTitleSpaces, u' ');
  record.nMaxFileTitle = kTitleCapacity;
  record.lpstrInitialDir = InitDir();
  record.lpstrTitle = DialogTitle();
  record.Flags = Flags();
  record.lpstrDefExt = DefaultExt();
  return record;
}

void OpenSave::TakeConfirmed(const OpenFileName& record) {
  SetFlags(record.Flags);
  SetDefaultExt(record.lpstrDefExt);
  SetFileName(TrimSpaces(record.lpstrFile));
  SetFileTitle(TrimSpaces(record.lpstrFileTitle));
  SetFileExt(record.nFileExtension);
  // Stored as it comes back: the setter would add NULs to it.
  filter_ = TrimSpaces(record.lpstrFilter);
  SetInitDir(TrimSpaces(record.lpstrInitialDir));
  SetFilterIndex(static_cast<std::int16_t>(record.nFilterIndex));
}

}  // namespace zarvello
