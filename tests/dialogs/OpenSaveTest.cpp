// Drives OpenSave and the real file dialog behind it as a person would:
// types into the dialog's file-name box and presses its buttons.

#include <unistd.h>

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Files.h"
#include "OpenSave.h"
#include "OpenSaveError.h"
#include "QtDialogService.h"
#include "RecordingPrompt.h"

// Failures show the text, not the address.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace zarvello::testing {

// Once the dialog is open: looks at it, types key by key (QTest::keyClicks
// knows only Latin-1) and presses Open or Save; nothing typed cancels. A
// question on the way (whether to overwrite, say) fails the test.
void TypeWhenShown(const QString& typed, const std::function<void(QFileDialog&)>& look) {
  QTimer::singleShot(0, [=] {
    auto& dialog = *qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    look(dialog);
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    edit->setFocus();
    for (const QChar c : typed)
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c, Qt::NoModifier);
    QTimer::singleShot(0, [] {
      if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << question->text().toStdString();
        question->close();
      }
    });
    const bool open = dialog.acceptMode() == QFileDialog::AcceptOpen;
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    buttons->button(typed.isEmpty() ? buttons->Cancel
                    : open          ? buttons->Open
                                    : buttons->Save)
        ->click();
    if (dialog.isVisible()) {
      ADD_FAILURE() << "the dialog stayed open";
      dialog.reject();
    }
  });
}

QString Decoded(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

TEST(OpenSaveTest, OpensWhereTheUserWorksAndReturnsTheChosenFileInTheShapeTheWindowReads) {
  TempFolder folder;
  const auto start = folder.Path() / "v1.2", roms = folder.Path() / "roms",
             locked = folder.Path() / "locked";
  for (const auto& made : {start, roms, locked}) std::filesystem::create_directory(made);
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  Write((start / "Früh ロム.smc").string(), "rom");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(start);
  RecordingPrompt prompt;
  QtDialogService startedHere(prompt);
  std::filesystem::current_path(cwd);
  // The file-name space holds at most 259 characters and a NUL.
  const QString tooLong(259 - Decoded(start).size(), u'x');
  const struct {
    bool save, nextFilter;
    QString initialFolder, opensIn;  // no initial folder: OpenSave's own, the program's folder
    QString typed;                   // nothing typed: cancel
  } rows[] = {
      // clang-format off
      {false, false, "", ZARVELLO_TEST_PROGRAM_FOLDER},
      // Root may write anywhere; another user finds the locked folder closed.
      {false, false, Decoded(locked), Decoded(::geteuid() == 0 ? locked : start)},
      // No question before an existing file is chosen for saving.
      {true, false, Decoded(folder.Path() / "missing"), Decoded(start), "Früh ロム.smc"},
      {false, true, "", Decoded(start), "new"},  // need not exist; the folder's dot is no extension
      {false, false, Decoded(roms), Decoded(start), tooLong}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed.toStdString());
    OpenSave dialog(startedHere);
    if (!row.initialFolder.isEmpty()) dialog.SetInitDir(row.initialFolder.toStdU16String());
    dialog.SetCancelError(row.typed.isEmpty());
    TypeWhenShown(row.typed, [&](QFileDialog& shown) {
      EXPECT_FALSE(shown.testOption(QFileDialog::DontUseNativeDialog));
      EXPECT_EQ(shown.directory().absolutePath(), row.opensIn);
      EXPECT_EQ(shown.nameFilters(), QStringList({"SNES (*.smc *.swc *.fig)", "All Files (*.*)"}));
      EXPECT_EQ(shown.findChild<QLineEdit*>("fileNameEdit")->text(), "");  // not 261 NULs
      if (row.nextFilter)
        QTest::keyClick(shown.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
    });
    std::string error;
    try {
      row.save ? dialog.ShowSave() : dialog.ShowOpen();
    } catch (const OpenSaveError& raised) {
      error = std::to_string(raised.Number()) + " " + raised.Source() + ": " + raised.Description();
    }
    EXPECT_EQ(error, row.typed.isEmpty() ? "32755 Run-time error: Cancel was selected" : "");
    // The path and NULs to the end of its space; the name and one NUL.
    const QString chosen = row.typed.isEmpty() || row.typed == tooLong ? "" : row.typed;
    const std::u16string path =
        chosen.isEmpty() ? u"" : (row.opensIn + '/' + chosen).toStdU16String();
    EXPECT_EQ(dialog.FileName(),
              path + std::u16string(path.empty() ? 0 : 261 - path.size(), u'\0'));
    EXPECT_EQ(dialog.FileTitle(), path.empty() ? u"" : chosen.toStdU16String() + u'\0');
    EXPECT_EQ(dialog.FileExt(), chosen.contains('.') ? path.size() - 3 : path.size());
    EXPECT_EQ(dialog.FilterIndex(), row.nextFilter ? 2 : 1);
  }
  EXPECT_EQ(prompt.shown,
            Failed("The path of the chosen file is too long: at most 259 characters fit."));
  EXPECT_EQ(Read((start / "Früh ロム.smc").string()), "rom");
  OpenSave unfitting(startedHere);  // a name longer than its space is refused before any dialog
  unfitting.SetFileName(std::u16string(262, u'x'));
  EXPECT_THROW(unfitting.ShowOpen(), OpenSaveError);
  EXPECT_EQ(unfitting.Filter(), u"SNES|*.smc;*.swc;*.fig|All Files (*.*)|*.*");
  std::filesystem::permissions(locked, std::filesystem::perms::all);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
}

}  // namespace zarvello::testing
