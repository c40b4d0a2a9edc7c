#include "dialogs/QtDialogService.h"

#include <algorithm>
#include <string>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "dialogs/DialogPrompts.h"

namespace zarvello {
namespace {

// The record's texts end at their first NUL, whatever room follows.
QString TextOf(const std::u16string& field) {
  return QString::fromStdU16String(field.substr(0, field.find(u'\0')));
}

// The patterns a dialog matches names with: each as written (Qt's save
// dialog gives a typed name the first one's extension when the user picks a
// filter), then with every letter in both cases, as the desktop's dialog
// (GTK's) minds case. "*.*" becomes "*": "All Files" lists names without a
// dot too.
QString MatchedPatterns(const QString& patterns) {
  QStringList matched;
  for (const QString& pattern : patterns.split(u';')) {
    if (pattern == u"*.*") {
      matched << QStringLiteral("*");
      continue;
    }
    matched << pattern;
    QString anyCase;
    for (const QChar c : pattern) {
      anyCase += c.toLower() == c.toUpper() ? QString(c) : u'[' + c.toLower() + c.toUpper() + u']';
    }
    if (anyCase != pattern) matched << anyCase;
  }
  return matched.join(u' ');
}

// Each pair becomes "shown (matched)", and the dialog is told to hide the
// last parentheses. Shown is "description (patterns)", or the description
// alone when it ends in its patterns already, as "All Files (*.*)" does; the
// desktop's dialog shows only what comes before the first "(".
QStringList NameFilters(const std::u16string& filter) {
  const QStringList items = QString::fromStdU16String(filter).split(QChar(u'\0'));
  QStringList nameFilters;
  for (qsizetype i = 0; i + 1 < items.size() && !items[i].isEmpty() && !items[i + 1].isEmpty();
       i += 2) {
    const QString patterns = u'(' + QString(items[i + 1]).replace(u';', u' ') + u')';
    const QString shown = items[i].endsWith(patterns) ? items[i] : items[i] + u' ' + patterns;
    nameFilters.append(shown + QStringLiteral(" (") + MatchedPatterns(items[i + 1]) + u')');
  }
  return nameFilters;
}

// Room for a text and its NUL: what the record declares, but never more
// than the space it actually brings.
std::size_t Capacity(const std::u16string& space, std::int32_t declared) {
  return std::min(space.size(), static_cast<std::size_t>(std::max(declared, 0)));
}

// Writes text and its NUL at the start of space; what lies behind stays.
void WriteTerminated(std::u16string& space, const std::u16string& text) {
  std::copy(text.begin(), text.end(), space.begin());
  space[text.size()] = u'\0';
}

// The position after the last dot of the file's name, or the path's end
// when the name has none.
std::int16_t ExtensionPosition(const std::u16string& path) {
  const std::size_t nameStart = path.rfind(u'/') + 1;
  const std::size_t dot = path.rfind(u'.');
  const std::size_t position =
      dot == std::u16string::npos || dot < nameStart ? path.size() : dot + 1;
  return static_cast<std::int16_t>(position);
}

bool IsWritableFolder(const QString& folder) {
  const QFileInfo info(folder);
  return info.isDir() && info.isWritable();
}

void SetUp(QFileDialog& dialog, QFileDialog::AcceptMode mode, const OpenFileName& record,
           const QStringList& nameFilters, const QString& folder) {
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(nameFilters);
  if (record.nFilterIndex >= 1 && record.nFilterIndex <= nameFilters.size()) {
    dialog.selectNameFilter(nameFilters[record.nFilterIndex - 1]);
  }
  dialog.setDirectory(folder);
  // The desktop's dialog has no title of its own to fall back on.
  const QString title = TextOf(record.lpstrTitle);
  dialog.setWindowTitle(!title.isEmpty()                  ? title
                        : mode == QFileDialog::AcceptOpen ? QStringLiteral("Open")
                                                          : QStringLiteral("Save As"));
  dialog.setDefaultSuffix(TextOf(record.lpstrDefExt));
  if (const QString initialName = TextOf(record.lpstrFile); !initialName.isEmpty()) {
    dialog.selectFile(initialName);
  }
}

}  // namespace

QtDialogService::QtDialogService(MessagePrompt& prompt)
    : prompt_(prompt), startFolder_(QDir::currentPath()) {}

int QtDialogService::ShowOpen(OpenFileName& record) {
  return Show(record, QFileDialog::AcceptOpen);
}

int QtDialogService::ShowSave(OpenFileName& record) {
  return Show(record, QFileDialog::AcceptSave);
}

void QtDialogService::NoteFileChosen(const std::u16string& path) {
  lastFolder_ = QFileInfo(QString::fromStdU16String(path)).absolutePath();
}

QString QtDialogService::FolderToOpen(const OpenFileName& record) const {
  if (!lastFolder_.isEmpty()) return lastFolder_;
  // An installed copy's folder is a system folder, where no user keeps ROMs.
  const QString initialFolder = TextOf(record.lpstrInitialDir);
  return IsWritableFolder(initialFolder) ? initialFolder : startFolder_;
}

int QtDialogService::Show(OpenFileName& record, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(window_);
  const QStringList nameFilters = NameFilters(record.lpstrFilter);
  SetUp(dialog, mode, record, nameFilters, FolderToOpen(record));
  if (dialog.exec() != QDialog::Accepted) return 0;

  const QString chosen = dialog.selectedFiles().value(0);
  const std::u16string path = chosen.toStdU16String();
  const std::size_t pathRoom = Capacity(record.lpstrFile, record.nMaxFile);
  if (path.size() + 1 > pathRoom) {
    ShowPathTooLong(prompt_, std::max<std::size_t>(pathRoom, 1) - 1);
    return 0;
  }
  WriteTerminated(record.lpstrFile, path);
  NoteFileChosen(path);
  // The name only informs; unlike the path it may be cut to fit.
  if (const std::size_t titleRoom = Capacity(record.lpstrFileTitle, record.nMaxFileTitle);
      titleRoom > 0) {
    WriteTerminated(record.lpstrFileTitle,
                    QFileInfo(chosen).fileName().toStdU16String().substr(0, titleRoom - 1));
  }
  record.nFileExtension = ExtensionPosition(path);
  // The desktop's dialog names the filter whole, Qt's own by the part it
  // shows; the whole begins with either.
  const QString selected = dialog.selectedNameFilter() + u' ';
  for (qsizetype i = 0; i < nameFilters.size(); ++i) {
    if ((nameFilters[i] + u' ').startsWith(selected)) {
      record.nFilterIndex = static_cast<std::int32_t>(i) + 1;
      break;
    }
  }
  return 1;
}

}  // namespace zarvello
