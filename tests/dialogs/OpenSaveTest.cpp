// Drives OpenSave and the real file dialog behind it as a person would:
// types into the dialog's file-name box and presses its buttons.

#include <unistd.h>

#include <gtest/gtest.h>
#include <QtTest>
#include <QtWidgets>

#include "Files.h"
#include "RecordingPrompt.h"
#include "dialogs/OpenSave.h"
#include "dialogs/QtDialogService.h"

// Failures show the text, not the address.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace zarvello::testing {

namespace fs = std::filesystem;

QString Decoded(const fs::path& path) { return QFile::decodeName(path.c_str()); }

TEST(OpenSaveTest, OpensWhereTheUserWorksListsTheFilesAndReturnsTheChosenPath) {
  TempFolder folder;
  const auto start = folder.path / "st", roms = folder.path / "roms", locked = folder.path / "lk";
  for (const auto& made : {start, roms, locked}) fs::create_directory(made);
  for (const char* name : {"UPPER.SMC", "Mixed.Fig", "nodot", "n.txt", "G.SFC", "h.sfc", "n.nes"})
    Write(start / name, "");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const auto cwd = fs::current_path();
  fs::current_path(start);
  RecordingPrompt prompt;
  QtDialogService startedHere(prompt);
  QWidget window;
  startedHere.SetWindow(&window);
  fs::current_path(cwd);
  // The file-name space holds 259 characters and a NUL.
  const QString tooLong(259 - Decoded(start).size(), u'x');
  const QString typeNames[] = {"SNES (*.smc *.swc *.fig *.sfc)", "NES (*.nes)", "All Files (*.*)"};
  // clang-format off
  // No initial folder: OpenSave's own, the program's folder. Nothing typed: cancel; no title:
  // the dialog's own; nothing listed: not looked at. Dropped: a file chosen by a drop before.
  const struct { QString initialFolder, opensIn, typed, title, listed; std::int16_t filter = 1; bool save = false; QString dropped; } rows[] = {
      // Root may write anywhere; another user finds the locked folder closed.
      {"", ZARVELLO_TEST_PROGRAM_FOLDER}, {Decoded(locked), Decoded(::geteuid() == 0 ? locked : start)},
      // The file chosen need not exist.
      {Decoded(folder.path / "missing"), Decoded(start), "Früh ロム.smc", "", "G.SFC h.sfc Mixed.Fig UPPER.SMC"},
      {"", Decoded(start), tooLong, "Pick a ROM", "n.nes", 2},
      {Decoded(roms), Decoded(start), "", "", "G.SFC h.sfc Mixed.Fig n.nes n.txt nodot UPPER.SMC", 3, true},
      {Decoded(start), Decoded(roms), "", "", "", 1, false, Decoded(roms / "dropped.sfc")}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed.toStdString());
    OpenSave dialog(startedHere);
    if (!row.initialFolder.isEmpty()) dialog.SetInitDir(row.initialFolder.toStdU16String());
    dialog.SetDialogTitle(row.title.toStdU16String());
    if (row.filter != 1) dialog.SetFilterIndex(row.filter);
    if (!row.dropped.isEmpty()) startedHere.NoteFileChosen(row.dropped.toStdU16String());
    QTimer::singleShot(0, [&] {
      auto& shown = *qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      EXPECT_EQ(shown.directory().absolutePath(), row.opensIn);
      EXPECT_EQ(shown.windowTitle(),
                row.title.isEmpty() ? row.save ? "Save As" : "Open" : row.title);
      auto* types = shown.findChild<QComboBox*>("fileTypeCombo");
      EXPECT_EQ(types->currentText(), typeNames[row.filter - 1]);
      // Matched with case, as the desktop's dialog matches: the patterns must take both.
      shown.setFilter(shown.filter() | QDir::CaseSensitive);
      const auto listed = [&, files = shown.findChild<QListView*>("listView")] {
        QStringList names;
        for (int i = 0; i < files->model()->rowCount(files->rootIndex()); ++i)
          names << files->model()->index(i, 0, files->rootIndex()).data().toString();
        return names.join(' ');
      };
      EXPECT_TRUE(row.listed.isEmpty() || QTest::qWaitFor([&] { return listed() == row.listed; }))
          << listed().toStdString();
      QTest::keyClick(types, Qt::Key_Down);  // picks the next filter
      auto* edit = shown.findChild<QLineEdit*>("fileNameEdit");
      EXPECT_EQ(edit->text(), "");  // not 261 NULs
      // Key by key with the text each key gives: QTest::keyClicks knows only Latin-1.
      for (const QChar c : row.typed)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c, Qt::NoModifier);
      auto* buttons = shown.findChild<QDialogButtonBox*>();
      buttons->button(row.typed.isEmpty() ? buttons->Cancel : buttons->Open)->click();
    });
    row.save ? dialog.ShowSave() : dialog.ShowOpen();
    const QString path =
        row.typed.isEmpty() || row.typed == tooLong ? "" : row.opensIn + '/' + row.typed;
    EXPECT_EQ(dialog.FileName(),
              path.leftJustified(path.isEmpty() ? 0 : 261, u'\0').toStdU16String());
    EXPECT_EQ(dialog.FilterIndex(), path.isEmpty() ? row.filter : 2);
  }
  EXPECT_EQ(prompt.shown,
            Failed("The path of the chosen file is too long: at most 259 characters fit."));
}

}  // namespace zarvello::testing
