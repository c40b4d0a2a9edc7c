// Drives OpenSave and the real file dialog behind it as a person would:
// types into the dialog's file-name box and presses its buttons.

#include <unistd.h>

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Files.h"
#include "OpenSave.h"
#include "QtDialogService.h"
#include "RecordingPrompt.h"

// Failures show the text, not the address.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace zarvello::testing {

namespace fs = std::filesystem;

QString Decoded(const fs::path& path) { return QFile::decodeName(path.c_str()); }

TEST(OpenSaveTest, OpensWhereTheUserWorksAndReturnsTheChosenPath) {
  TempFolder folder;
  const auto start = folder.path / "start", roms = folder.path / "roms";
  const auto locked = folder.path / "locked";
  for (const auto& made : {start, roms, locked}) fs::create_directory(made);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const auto cwd = fs::current_path();
  fs::current_path(start);
  RecordingPrompt prompt;
  QtDialogService startedHere(prompt);
  fs::current_path(cwd);
  // The file-name space holds 259 characters and a NUL.
  const QString tooLong(259 - Decoded(start).size(), u'x');
  const struct {
    QString initialFolder, opensIn;  // no initial folder: OpenSave's own, the program's folder
    QString typed;                   // nothing typed: cancel
  } rows[] = {
      // clang-format off
      {"", ZARVELLO_TEST_PROGRAM_FOLDER},
      // Root may write anywhere; another user finds the locked folder closed.
      {Decoded(locked), Decoded(::geteuid() == 0 ? locked : start)},
      {Decoded(folder.path / "missing"), Decoded(start), "Früh ロム.smc"},  // need not exist
      {"", Decoded(start), tooLong}, {Decoded(roms), Decoded(start), ""}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed.toStdString());
    OpenSave dialog(startedHere);
    if (!row.initialFolder.isEmpty()) dialog.SetInitDir(row.initialFolder.toStdU16String());
    QTimer::singleShot(0, [&] {
      auto& shown = *qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      EXPECT_FALSE(shown.testOption(QFileDialog::DontUseNativeDialog));
      EXPECT_EQ(shown.directory().absolutePath(), row.opensIn);
      EXPECT_EQ(shown.nameFilters(), QStringList({"SNES (*.smc *.swc *.fig)", "All Files (*.*)"}));
      auto* edit = shown.findChild<QLineEdit*>("fileNameEdit");
      EXPECT_EQ(edit->text(), "");  // not 261 NULs
      // Key by key with the text each key gives: QTest::keyClicks knows only Latin-1.
      for (const QChar c : row.typed)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c, Qt::NoModifier);
      auto* buttons = shown.findChild<QDialogButtonBox*>();
      buttons->button(row.typed.isEmpty() ? buttons->Cancel : buttons->Open)->click();
    });
    dialog.ShowOpen();
    const QString chosen = row.typed == tooLong ? "" : row.typed;
    const QString path = chosen.isEmpty() ? "" : row.opensIn + '/' + chosen;
    EXPECT_EQ(dialog.FileName(),
              path.leftJustified(path.isEmpty() ? 0 : 261, u'\0').toStdU16String());
  }
  EXPECT_EQ(prompt.shown,
            Failed("The path of the chosen file is too long: at most 259 characters fit."));
  fs::permissions(locked, fs::perms::all);
}

}  // namespace zarvello::testing
