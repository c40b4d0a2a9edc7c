#include <sys/stat.h>

#include <deque>

#include <gtest/gtest.h>
#include <QtTest>
#include <QtWidgets>

#include "Files.h"
#include "RecordingPrompt.h"
#include "dialogs/DialogService.h"
#include "ui/Form1.h"
#include "ui/QtMessagePrompt.h"

// Failures show the text, not the address.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace zarvello::testing {

// Each control: its place and size in pixels at 96 dots per inch within its
// container, and the text it shows at start.
// clang-format off
const std::map<QString, std::pair<QRect, QString>> kDesign{
    {"Frame1(0)", {{0, 0, 441, 81}, "File To Copy From"}}, {"Frame1(1)", {{0, 81, 441, 81}, "File To Paste To"}}, {"BankSizeCombo1", {{0, 162, 129, 24}, "$8000 (SNES)"}}, {"Command3", {{152, 162, 289, 25}, "Transfer Bank"}},
    {"Command6", {{448, 0, 25, 185}, ""}}, {"Command1", {{8, 24, 41, 25}, "File"}}, {"Command2", {{8, 24, 41, 25}, "File"}}, {"Text1", {{49, 24, 381, 25}, ""}},
    {"Text2", {{49, 24, 381, 25}, ""}}, {"Label1(0)", {{8, 51, 41, 21}, "Header"}}, {"Label1(1)", {{8, 51, 41, 21}, "Header"}}, {"HeaderCombo1(0)", {{49, 49, 112, 24}, "$200 (SNES)"}},
    {"HeaderCombo1(1)", {{49, 49, 112, 24}, "$200 (SNES)"}}, {"BankCombo1(0)", {{208, 49, 57, 24}, "$80"}}, {"BankCombo1(1)", {{208, 49, 57, 24}, "$80"}}, {"Command4(0)", {{265, 49, 25, 13}, "<"}},
    {"Command4(1)", {{265, 49, 25, 13}, "<"}}, {"Command5(0)", {{265, 62, 25, 13}, ">"}}, {"Command5(1)", {{265, 62, 25, 13}, ">"}}, {"KnownOffsetText1(0)", {{290, 48, 140, 25}, ""}},
    {"KnownOffsetText1(1)", {{290, 49, 140, 25}, ""}}};
// clang-format on

// Stands in for the person at the file dialog: each show takes the next
// path (written over the file-name space with a NUL behind), or cancels.
struct ChoosingDialogService : DialogService {
  int ShowOpen(OpenFileName& record) override { return ShowSave(record); }
  int ShowSave(OpenFileName& record) override {
    if (++shows, choices.empty()) return 0;
    record.lpstrFile.replace(0, choices.front().size() + 1, choices.front() + u'\0');
    choices.pop_front();
    return 1;
  }
  void NoteFileChosen(const std::u16string& path) override { dropped = path; }
  std::deque<std::u16string> choices;
  int shows = 0;
  std::u16string dropped;
};

// A window with stand-ins for the person at its prompts and file dialogs.
class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  QWidget* Find(const QString& name) { return form.findChild<QWidget*>(name); }
  // Of each named control: a frame's title, a list's entry, a box's or button's text.
  QString Shown(const QString& names) {
    QStringList shown;
    for (const QString& name : names.split(' ')) {
      QWidget* control = Find(name);
      const char* text = control->inherits("QGroupBox") ? "title" : "text";
      shown << control->property(control->inherits("QComboBox") ? "currentText" : text).toString();
    }
    return shown.join(' ');
  }
  // As a person works the controls: "Command3" clicks a button, "BankCombo1(0)=3"
  // picks entry 3 with the keyboard, "KnownOffsetText1(0)=200" types into a box,
  // "Text1^Z" presses the system's Undo keys there (^Y: Redo).
  void Do(const QString& steps) {
    for (const QString& step : steps.split(' ')) {
      QWidget* control = Find(step.section('=', 0, 0).section('^', 0, 0));
      const QString value = step.section('=', 1);
      if (step.contains('^')) {
        control->setFocus();
        QTest::keySequence(control, step.endsWith('Z') ? QKeySequence::Undo : QKeySequence::Redo);
      } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        const int to = value.toInt();
        while (list->currentIndex() != to)
          QTest::keyClick(list, list->currentIndex() < to ? Qt::Key_Down : Qt::Key_Up);
      } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        box->clear();
        QTest::keyClicks(box, value);
      } else {
        QTest::mouseClick(control, Qt::LeftButton);
      }
    }
  }
  // As the desktop drags over a control, through the window, and drops there
  // if the window takes it: files, whose addresses file managers give as text
  // too, or, with none, text alone. Whether the window took it, as a copy.
  bool Drop(const QString& onto, const QList<QUrl>& urls,
            Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.isEmpty() ? "typed.sfc" : QUrl::toStringList(urls).join('\n'));
    const QPoint at = Find(onto)->mapTo(&form, Find(onto)->rect().center());
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
    QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(form.windowHandle(), &enter);
    if (enter.isAccepted()) QApplication::sendEvent(form.windowHandle(), &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
  }
  // As a right click on a control opens the context menu: its entries as the
  // user reads them, "-" before one that is off, and the one picked, if any.
  QString Menu(const QString& on, int pick = -1) {
    QString entries;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      for (QAction* entry : menu->actions())
        entries += (entry->isEnabled() ? "" : "-") + entry->iconText() + ' ' +
                   (entry->isShortcutVisibleInContextMenu() ? entry->shortcut().toString() : "") +
                   ';';
      menu->close();
      if (pick >= 0) menu->actions()[pick]->trigger();
    });
    const QPoint at = Find(on)->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, Find(on)->mapToGlobal(at));
    QApplication::sendEvent(Find(on), &click);
    // The desktop gives the window back its focus; the offscreen platform does not.
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    return entries;
  }

  TempFolder folder;
  RecordingPrompt prompt;
  ChoosingDialogService dialogs;
  Form1 form{prompt, dialogs};
};

TEST_F(Form1Test, StartsWithTheDesignTheStartUpDefaultsAndTheTabOrder) {
  EXPECT_EQ(form.windowTitle() + QString(" %1x%2").arg(form.width()).arg(form.height()),
            "Form1 472x188");
  QString entries;
  for (const QString list : {"BankSizeCombo1", "HeaderCombo1(0)", "HeaderCombo1(1)"}) {
    auto* combo = qobject_cast<QComboBox*>(Find(list));
    for (int i = 0; i < combo->count(); ++i) entries += combo->itemText(i) + ',';
  }
  const QString headers = "No Header,$010 (NES),$200 (SNES),";
  EXPECT_EQ(entries, "$4000 (NES),$8000 (SNES)," + headers + headers);
  const TransferSettings& s = form.Settings();
  EXPECT_EQ(std::tuple(s.BankSize, s.CopyFromHeader, s.PasteToHeader),
            std::tuple(0x8000, 0x200, 0x200));
  // Resizing moves no control.
  for (const QSize size : {QSize(472, 188), QSize(900, 700), QSize(200, 100)}) {
    form.resize(size);
    for (const auto& [name, design] : kDesign) {
      QWidget* control = Find(name);
      EXPECT_EQ(control->geometry(), design.first) << name.toStdString();
      EXPECT_EQ(Shown(name), design.second);
      // Boxes and lists in Courier New, else fixed-pitch; only the offset boxes limit their length.
      const bool box = control->inherits("QLineEdit"), list = control->inherits("QComboBox");
      const QFont font = control->font();
      EXPECT_EQ(std::tuple(font.family(), font.pointSizeF(), font.styleHint()),
                box || list ? std::tuple(QString("Courier New"), 9.75, QFont::Monospace)
                            : std::tuple(QApplication::font().family(), 8.25, QFont::AnyStyle));
      const QVariant maxLength = name.startsWith("Known") ? 6 : 32767;
      EXPECT_EQ(control->property("maxLength"), box ? maxLength : QVariant());
    }
  }
  QStringList names;  // for screen readers, each control a name of its own
  for (const auto& [name, design] : kDesign) names << Find(name)->accessibleName();
  EXPECT_EQ(names.removeDuplicates() + names.removeAll(""), 0);
  // The pixels of the installed 32-pixel icon.
  const QString png = QString(__FILE__).section('/', 0, -4) + "/ui/icons/zarvello.png";
  EXPECT_EQ(form.windowIcon().pixmap(32).toImage(), QIcon(png).pixmap(32).toImage());
  // Focus starts on Transfer Bank, and Tab follows the design's order.
  QStringList visited;
  for (int i = 0; i < 18; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
    visited << QApplication::focusWidget()->objectName();
  EXPECT_EQ(visited.join(' '),
            "Command3 Command1 Text1 BankCombo1(0) KnownOffsetText1(0) Command4(0) "
            "BankSizeCombo1 HeaderCombo1(0) HeaderCombo1(1) Command4(1) KnownOffsetText1(1) "
            "BankCombo1(1) Text2 Command2 Command5(0) Command5(1) Command6 Command3");
}

TEST_F(Form1Test, OperationsReadTheListsBoxesAndChosenFilesOfTheirOwnSide) {
  Do("KnownOffsetText1(0)=200 KnownOffsetText1(1)=100 HeaderCombo1(0)=0 HeaderCombo1(1)=1");
  Do("BankSizeCombo1=0 BankCombo1(0)=3 BankCombo1(1)=2");
  const TransferSettings& s = form.Settings();
  EXPECT_EQ(s.CopyFromBankOffset, 0);  // until a transfer reads the lists
  Do("Command3 Command6 Command1");    // the cancelled dialog leaves the path empty
  EXPECT_EQ(std::tuple(s.CopyFromHeader, s.PasteToHeader, s.BankSize), std::tuple(0, 0x10, 0x4000));
  EXPECT_EQ(std::tuple(s.CopyFromBankOffset, s.PasteToBankOffset), std::tuple(0x18000, 0x10000));
  EXPECT_EQ(Shown("Text1") + Find("Command1")->toolTip() + s.CopyFromFile.c_str(), "");
  const std::string from = folder.File("Fürst – 1.smc"), to = folder.File("to.smc");
  dialogs.choices = {QString::fromStdString(from).toStdU16String(),
                     QString::fromStdString(to).toStdU16String()};
  Do("Command1 Command3 Command6");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path));  // no file is touched without both
  Write(from, std::string(0x200, 'f'));
  Do("Command2 Command6 KnownOffsetText1(0)=0 Text2=typed.smc Command6");
  Do("Command2");  // cancelled: what was typed gives way to the path in use
  EXPECT_EQ(std::tuple(s.CopyFromFile, s.PasteToFile, dialogs.shows), std::tuple(from, to, 4));
  EXPECT_EQ(Shown("Text1 Text2"), QString::fromStdString(from + " " + to));
  const std::string noCopyFrom = Failed("No File to Copy From selected!"),
                    noPasteTo = Failed("No File to Paste To selected!"),
                    reversed = Failed("The last offset 100 lies before the first offset 200.");
  EXPECT_EQ(prompt.shown,
            noCopyFrom + noCopyFrom + noPasteTo + noPasteTo + reversed + Done("Data transferred."));
  EXPECT_EQ(Read(to), std::string(0x101, 'f'));
  // "<" brings both boxes within their limits and selects on its own side only.
  Do("KnownOffsetText1(0)=FFFFFF Command4(1)");
  EXPECT_EQ(Shown("KnownOffsetText1(0) KnownOffsetText1(1) BankCombo1(0)"), "3F8000 100 $83");
  Do("Command4(0) BankCombo1(1)=1 Command5(1)");
  EXPECT_EQ(Shown("BankCombo1(0) KnownOffsetText1(0) KnownOffsetText1(1)"), "$FD 3F8000 008010");
}

// A file chosen with its side's File button or dropped onto its side's frame
// sets the path, its box and the tooltip, and selects the header the file's
// bytes show as a person would; the other side keeps its own. Drops of
// anything but one file, or off the frames, change nothing.
TEST_F(Form1Test, AChosenOrDroppedFileSelectsTheHeaderItsBytesShow) {
  // clang-format off
  // Length -1: no file. Shows: the header list position; -1: the list stays as it is.
  const struct { std::string name, start; long length; int shows = -1; } rows[] = {{"a.nes", "NES\x1A", 0x8200, 1}, {"b.smc", "", 0x8200, 2},
      {"c.sfc", "", 0x6000, 0}, {"d.sfc", "", 0}, {"e.sfc", "", -1}, {"f.sfc", "", 0x7200}, {"pipe", "", -1}};
  // clang-format on
  ::mkfifo(folder.File("pipe").c_str(), 0600);
  int at[] = {2, 2};  // each side's header list position
  for (const auto& row : rows)
    for (const auto& [drop, side] : {std::pair{false, 0}, {false, 1}, {true, 0}, {true, 1}}) {
      const std::string path = folder.File(row.name);
      const QString file = QString::fromStdString(path);
      const QUrl url = QUrl::fromLocalFile(file);
      SCOPED_TRACE(row.name + (drop ? " dropped on " : " chosen for ") + char('0' + side));
      if (row.length >= 0) Write(path, row.start + std::string(row.length - row.start.size(), 'x'));
      // From a position the file does not show, so that any change shows.
      Do(QString("HeaderCombo1(%1)=%2").arg(side).arg(at[side] = row.shows == 1 ? 2 : 1));
      dialogs.choices = {file.toStdU16String()};
      EXPECT_TRUE(drop ? Drop(side == 0 ? "Text1" : "Label1(1)", {url})
                       : (Do(side == 0 ? "Command1" : "Command2"), true));
      // Two files, text, a file off the frames, a folder, a web address, a file only to be moved.
      EXPECT_FALSE(Drop("Text1", {url, url}) || Drop("Text2", {}) || Drop("Command3", {url}) ||
                   Drop("Frame1(1)", {QUrl::fromLocalFile(folder.path.c_str())}) ||
                   Drop("KnownOffsetText1(0)", {QUrl("https://example.com/a.sfc")}) ||
                   Drop("Text2", {url}, Qt::MoveAction));
      at[side] = row.shows < 0 ? at[side] : row.shows;
      // The side's list, path box and tooltip, both header settings; a drop tells
      // the dialogs its folder. The file is never made.
      EXPECT_EQ(std::tuple(Shown(QString("HeaderCombo1(%1) Text%2").arg(side).arg(side + 1)),
                           Find(side == 0 ? "Command1" : "Command2")->toolTip(),
                           form.Settings().CopyFromHeader, form.Settings().PasteToHeader,
                           !drop || dialogs.dropped == file.toStdU16String()),
                std::tuple(QString::fromUtf8(kHeaderChoices[at[side]].text) + ' ' + file, file,
                           kHeaderChoices[at[0]].length, kHeaderChoices[at[1]].length, true));
      EXPECT_EQ(std::filesystem::exists(path), row.name != "e.sfc");
    }
}

// The transfers of the run undone newest first and redone, by the system's
// keys and by the context menu of the window and its buttons, which names the
// file; a text box with the focus keeps the keys for its own text. A new
// transfer leaves nothing to redo, and past 64 MiB the oldest transfer goes.
TEST_F(Form1Test, TheKeysAndTheContextMenuUndoAndRedoTheTransfersOfTheRun) {
  const std::string from = folder.File("from.smc"), to = folder.File("a&b.smc"),
                    fresh(0x1000000, 'f'), moved = Done("Data transferred."),
                    undone = Done("Transfer undone."), redone = Done("Transfer redone.");
  Write(from, fresh), Write(to, Pattern(0x1000000, 1));
  dialogs.choices = {QString::fromStdString(from).toStdU16String(),
                     QString::fromStdString(to).toStdU16String()};
  // clang-format off
  const QString undo = ' ' + QKeySequence(QKeySequence::Undo).toString() + ';', redo = ' ' + QKeySequence(QKeySequence::Redo).toString() + ';',
      undoFile = "Undo the transfer into 'a&b.smc'" + undo, redoFile = "Redo the transfer into 'a&b.smc'" + redo,
      noUndo = "-Undo the transfer" + undo, noRedo = "-Redo the transfer" + redo;
  // clang-format on
  EXPECT_EQ(Menu("Command3"), noUndo + noRedo);
  // Three transfers of 32 MiB each, the old bytes and the new: the first goes.
  Do("Command1 Command2 KnownOffsetText1(0)=0 KnownOffsetText1(1)=FFFFFF Command6 Command6");
  Do("Command6 KnownOffsetText1(0)^Z");  // the box's own text goes, no transfer
  EXPECT_EQ(std::pair(form.History().Size(), Shown("KnownOffsetText1(0)")),
            std::pair(TransferHistory::kLimit, QString()));
  Do("Command3^Z BankCombo1(0)^Z");
  EXPECT_EQ(Menu("Command6"), noUndo + redoFile);
  EXPECT_EQ(Read(to), fresh);                          // as the first transfer left it
  EXPECT_EQ(Menu("Frame1(0)", 1), noUndo + redoFile);  // redone from the menu
  Do("Text2^Z KnownOffsetText1(0)=FFFF00 Command6");
  EXPECT_EQ(Menu("Label1(1)"), undoFile + noRedo);
  Menu("Command3", 0), Menu("Command3", 0);
  Do("Command3^Y");
  EXPECT_EQ(prompt.shown,
            moved + moved + moved + undone + undone + redone + moved + undone + undone + redone);
  EXPECT_EQ(Read(to), fresh);
}

// A path is shown as it is, never as markup, with the buttons, icon and title asked for.
TEST(QtMessagePromptTest, ShowsTheTextAsItIsWithItsButtonsIconAndTitle) {
  // clang-format off
  const struct { std::string text, title; PromptButtons buttons; PromptIcon icon; Qt::Key key; QString shown; PromptAnswer answer; } rows[] = {
      {"Lines\r\n\r\nLast", "Expand?", PromptButtons::YesNo, PromptIcon::None, Qt::Key_Return, "Lines\n\nLast [Expand? Yes|No]", PromptAnswer::Yes},  // Yes is the default
      {"Again?", "", PromptButtons::YesNo, PromptIcon::None, Qt::Key_Escape, "Again? [Zarvello Yes|No]", PromptAnswer::No},
      {"'/roms/<b>x</b>&amp;.smc'", "", PromptButtons::Ok, PromptIcon::Critical, Qt::Key_Escape, "'/roms/<b>x</b>&amp;.smc' [Zarvello OK critical]", PromptAnswer::Ok}};
  // clang-format on
  QWidget window;
  QtMessagePrompt prompt(&window);
  for (const auto& row : rows) {
    QTimer::singleShot(0, [&] {
      auto& box = *qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      EXPECT_EQ(box.text() + " [" + box.windowTitle() +
                    (box.standardButtons() == QMessageBox::Ok ? " OK" : " Yes|No") +
                    (box.icon() == QMessageBox::Critical ? " critical]" : "]"),
                row.shown);
      EXPECT_EQ(std::pair(box.textFormat(), box.parentWidget()), std::pair(Qt::PlainText, &window));
      QTest::keyClick(&box, row.key);
    });
    EXPECT_EQ(prompt.Show(row.text, row.buttons, row.icon, row.title), row.answer);
  }
}

}  // namespace zarvello::testing
