// Drives the real file dialog as a person would: types into its file-name
// box and presses its buttons.

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "OpenSave.h"
#include "OpenSaveError.h"
#include "QtDialogService.h"
#include "RecordingPrompt.h"
#include "TempFolder.h"

namespace zarvello {
namespace {

using namespace std::string_literals;

// Acts at the next file dialog once it is the active modal widget and the
// active window, as it is for a person who types into it. Anything that
// stays open or asks a question afterwards fails the test and is closed.
class DialogUser {
 public:
  explicit DialogUser(std::function<void(QFileDialog&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      if (!dialog->isActiveWindow()) {
        dialog->activateWindow();
        return;
      }
      timer_.stop();
      QTimer question;
      QObject::connect(&question, &QTimer::timeout, [dialog] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == dialog) return;
        ADD_FAILURE() << "unexpected " << modal->metaObject()->className();
        modal->close();
      });
      question.start(0);
      act_(*dialog);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the dialog stayed open";
        dialog->reject();
      }
    });
    timer_.start(0);
  }

 private:
  std::function<void(QFileDialog&)> act_;
  QTimer timer_;
};

// Key by key with the text each key gives: QTest::keyClicks knows only Latin-1.
void Type(QFileDialog& dialog, const QString& text) {
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  edit->setFocus();
  edit->clear();
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void Press(QFileDialog& dialog, QDialogButtonBox::StandardButton button) {
  dialog.findChild<QDialogButtonBox*>()->button(button)->click();
}

void TypeAndAccept(QFileDialog& dialog, const QString& text) {
  Type(dialog, text);
  Press(dialog, dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                               : QDialogButtonBox::Save);
}

QString TextBeforeNul(const std::u16string& text) {
  return QString::fromStdU16String(text.substr(0, text.find(u'\0')));
}

class QtDialogServiceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }

  testing::TempFolder folder;
  const QString folderPath = QFile::decodeName(folder.Path().c_str());
  testing::RecordingPrompt prompt;
  QtDialogService service{prompt};
};

TEST_F(QtDialogServiceTest, ReturnsTheTypedFileInTheShapeTheWindowReads) {
  struct Case {
    bool save;
    QString subfolder;
    std::int16_t filterIndex;
    std::u16string dialogTitle, defaultExt;
    bool pickNextFilter;
    QString typed, returned;
    std::size_t extensionLength;
    std::int16_t returnedFilterIndex;
  };
  const QString existing = QString::fromUtf8("Früh ロム.smc");
  const Case cases[] = {
      {false, "", 1, u"", u"", false, existing, existing, 3, 1},
      {false, "", 1, u"", u"", false, "new.swc", "new.swc", 3, 1},  // need not exist
      {true, "", 2, u"Back up", u"smc", false, "backup", "backup.smc", 3, 2},
      {true, "", 1, u"", u"", false, existing, existing, 3, 1},  // no question to overwrite
      {false, "/v1.2", 1, u"", u"", true, "noext", "noext", 0, 2},
  };
  const testing::Bytes contents = testing::PatternBytes(64, 1);
  testing::WriteBytes(folder.File(existing.toStdString()), contents);
  std::filesystem::create_directory(folder.Path() / "v1.2");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    OpenSave dialog(service);
    dialog.SetInitDir((folderPath + c.subfolder).toStdU16String());
    dialog.SetFilterIndex(c.filterIndex);
    dialog.SetDialogTitle(c.dialogTitle);
    dialog.SetDefaultExt(c.defaultExt);
    DialogUser user([&](QFileDialog& shown) {
      EXPECT_EQ(shown.acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      EXPECT_EQ(shown.nameFilters(), QStringList({"SNES (*.smc *.swc *.fig)", "All Files (*.*)"}));
      EXPECT_EQ(shown.selectedNameFilter(), shown.nameFilters().value(c.filterIndex - 1));
      EXPECT_EQ(shown.directory().absolutePath(), folderPath + c.subfolder);
      EXPECT_EQ(shown.findChild<QLineEdit*>("fileNameEdit")->text(), "");  // not 261 NULs
      if (!c.dialogTitle.empty()) {
        EXPECT_EQ(shown.windowTitle().toStdU16String(), c.dialogTitle);
      }
      if (c.pickNextFilter) {
        QTest::keyClick(shown.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
      }
      TypeAndAccept(shown, c.typed);
    });
    c.save ? dialog.ShowSave() : dialog.ShowOpen();

    const QString path = folderPath + c.subfolder + u'/' + c.returned;
    EXPECT_EQ(TextBeforeNul(dialog.FileName()), path);
    EXPECT_EQ(dialog.FileName().size(), 261u);
    EXPECT_EQ(dialog.FileTitle(), c.returned.toStdU16String() + u'\0');
    EXPECT_EQ(dialog.FileExt(), path.size() - c.extensionLength);
    EXPECT_EQ(dialog.FilterIndex(), c.returnedFilterIndex);
    if (c.returned == existing) {
      EXPECT_EQ(testing::ReadBytes(QFile::encodeName(path).toStdString()), contents);
    }
  }
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(QtDialogServiceTest, PathIsRefusedRatherThanCutWhenItsSpaceOrDeclaredRoomIsShort) {
  const std::u16string path = (folderPath + "/new.smc").toStdU16String();
  struct Case {
    std::size_t fileSpace;
    std::size_t nMaxFile;
    bool fits;
  };
  const Case cases[] = {{path.size() + 2, path.size() + 1, true},
                        {path.size() + 2, path.size(), false},
                        {path.size(), 260, false},
                        {path.size() + 1, 260, true}};
  for (const Case& c : cases) {
    prompt.shown.clear();
    OpenFileName record;
    record.lpstrInitialDir = folderPath.toStdU16String();
    record.lpstrFile = std::u16string(c.fileSpace, u'-');
    record.nMaxFile = static_cast<std::int32_t>(c.nMaxFile);
    record.lpstrFileTitle = u"abcd";  // shorter than its declared room
    record.nMaxFileTitle = 260;
    DialogUser user([](QFileDialog& shown) { TypeAndAccept(shown, "new.smc"); });
    const int result = service.ShowOpen(record);

    EXPECT_EQ(result != 0, c.fits) << c.fileSpace << " " << c.nMaxFile;
    if (c.fits) {
      EXPECT_EQ(record.lpstrFile,
                path + u'\0' + std::u16string(c.fileSpace - path.size() - 1, u'-'));
      EXPECT_EQ(record.lpstrFileTitle, u"new\0"s);
      EXPECT_TRUE(prompt.shown.empty());
    } else {
      EXPECT_EQ(record.lpstrFile, std::u16string(c.fileSpace, u'-'));
      EXPECT_EQ(
          prompt.shown,
          std::vector{testing::ErrorPrompt("The path of the chosen file is too long: at most " +
                                           std::to_string(path.size() - 1) + " characters fit.")});
    }
  }
}

TEST_F(QtDialogServiceTest, CancelButtonIsACancel) {
  OpenSave dialog(service);
  dialog.SetCancelError(1);
  DialogUser user([](QFileDialog& shown) {
    Type(shown, "typed.smc");
    Press(shown, QDialogButtonBox::Cancel);
  });
  EXPECT_THROW(dialog.ShowOpen(), OpenSaveError);
  EXPECT_EQ(dialog.FileName(), u"");
}

}  // namespace
}  // namespace zarvello
