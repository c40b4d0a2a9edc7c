#include <gtest/gtest.h>
#include <deque>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "DialogService.h"
#include "Files.h"
#include "Form1.h"
#include "QtMessagePrompt.h"
#include "RecordingPrompt.h"

// Failures show the text, not the address.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace zarvello::testing {

// Each control: its place and size in pixels at 96 dots per inch within its
// container, and the text it shows at start.
// clang-format off
const std::map<QString, std::pair<QRect, QString>> kDesign{
    {"Frame1(0)", {{0, 0, 441, 81}, "File To Copy From"}}, {"Frame1(1)", {{0, 81, 441, 81}, "File To Paste To"}},
    {"BankSizeCombo1", {{0, 162, 129, 24}, "$8000 (SNES)"}}, {"Command3", {{152, 162, 289, 25}, "Transfer Bank"}},
    {"Command6", {{448, 0, 25, 185}, ""}}, {"Command1", {{8, 24, 41, 25}, "File"}}, {"Command2", {{8, 24, 41, 25}, "File"}},
    {"Text1", {{49, 24, 381, 25}, ""}}, {"Text2", {{49, 24, 381, 25}, ""}}, {"Label1(0)", {{8, 51, 41, 21}, "Header"}},
    {"Label1(1)", {{8, 51, 41, 21}, "Header"}}, {"HeaderCombo1(0)", {{49, 49, 112, 24}, "$200 (SNES)"}},
    {"HeaderCombo1(1)", {{49, 49, 112, 24}, "$200 (SNES)"}}, {"BankCombo1(0)", {{208, 49, 57, 24}, "$80"}},
    {"BankCombo1(1)", {{208, 49, 57, 24}, "$80"}}, {"Command4(0)", {{265, 49, 25, 13}, "<"}},
    {"Command4(1)", {{265, 49, 25, 13}, "<"}}, {"Command5(0)", {{265, 62, 25, 13}, ">"}},
    {"Command5(1)", {{265, 62, 25, 13}, ">"}}, {"KnownOffsetText1(0)", {{290, 48, 140, 25}, ""}},
    {"KnownOffsetText1(1)", {{290, 49, 140, 25}, ""}}};
// clang-format on

// Stands in for the person at the file dialog: each show takes the next
// path (written over the file-name space with a NUL behind), or cancels.
struct ChoosingDialogService : DialogService {
  int ShowOpen(OpenFileName& record) override { return ShowSave(record); }
  int ShowSave(OpenFileName& record) override {
    ++shows;
    if (choices.empty()) return 0;
    record.lpstrFile.replace(0, choices.front().size() + 1, choices.front() + u'\0');
    choices.pop_front();
    return 1;
  }
  std::deque<std::u16string> choices;
  int shows = 0;
};

// A window with stand-ins for the person at its prompts and file dialogs.
class Form1Test : public ::testing::Test {
 protected:
  template <typename Control = QWidget>
  Control* Find(const QString& name) {
    return form.findChild<Control*>(name);
  }
  // A frame's title, a list's selected entry, or a box's or button's text.
  QString Shown(const QString& name) {
    const char* property = Find(name)->inherits("QGroupBox") ? "title" : "text";
    return Find(name)
        ->property(Find(name)->inherits("QComboBox") ? "currentText" : property)
        .toString();
  }
  void Click(const QString& button) { QTest::mouseClick(Find(button), Qt::LeftButton); }
  // With the keyboard, as a person picks an entry.
  void Pick(const QString& list, int position) {
    for (auto* combo = Find<QComboBox>(list); combo->currentIndex() != position;) {
      QTest::keyClick(combo, combo->currentIndex() < position ? Qt::Key_Down : Qt::Key_Up);
    }
  }
  void Type(const QString& box, const QString& text) {
    Find<QLineEdit>(box)->clear();
    QTest::keyClicks(Find(box), text);
  }

  TempFolder folder;
  RecordingPrompt prompt;
  ChoosingDialogService dialogs;
  Form1 form{prompt, dialogs};
};

TEST_F(Form1Test, StartsWithTheDesignAndTheStartUpDefaults) {
  EXPECT_TRUE(form.windowTitle() == "Form1" && form.size() == QSize(472, 188));
  EXPECT_EQ(form.windowIcon().availableSizes(), QList{QSize(32, 32)});
  QString entries;
  for (const QString list : {"BankSizeCombo1", "HeaderCombo1(0)", "HeaderCombo1(1)"}) {
    for (int i = 0; i < Find<QComboBox>(list)->count(); ++i)
      entries += Find<QComboBox>(list)->itemText(i) + ',';
  }
  EXPECT_EQ(entries,
            "$4000 (NES),$8000 (SNES),No Header,$010 (NES),$200 (SNES),No Header,$010 (NES),$200 "
            "(SNES),");
  const TransferSettings& settings = form.Settings();
  EXPECT_TRUE(settings.BankSize == 0x8000 && settings.CopyFromHeader == 0x200 &&
              settings.PasteToHeader == 0x200);
  // Resizing moves no control; each has a name of its own for screen readers.
  form.show();
  for (const QSize size : {QSize(472, 188), QSize(900, 700), QSize(200, 100)}) {
    form.resize(size);
    QStringList names;
    for (const auto& [name, design] : kDesign) {
      QWidget* control = Find(name);
      EXPECT_TRUE(control->geometry() == design.first && Shown(name) == design.second)
          << name.toStdString();
      EXPECT_FALSE(control->accessibleName().isEmpty() ||
                   names.contains(control->accessibleName()));
      names << control->accessibleName();
      // Boxes and lists in Courier New; only the offset boxes limit their length.
      const bool box = control->inherits("QLineEdit"), list = control->inherits("QComboBox");
      EXPECT_EQ(control->font().family() + control->font().toString().section(',', 1, 1),
                box || list ? "Courier New9.75" : QApplication::font().family() + "8.25");
      EXPECT_EQ(control->property("maxLength"), !box                       ? QVariant()
                                                : name.startsWith("Known") ? 6
                                                                           : 32767);
    }
  }
}

TEST_F(Form1Test, BankSizeListKeepsDarkTextOnItsGreyUnderADarkTheme) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
    dark.setColor(role, QColor(45, 45, 45));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(role, Qt::white);
  QApplication::setPalette(dark);
  QApplication::processEvents();  // a theme reaches the widgets through events
  const QPalette list = Find("BankSizeCombo1")->palette();
  EXPECT_TRUE(list.color(QPalette::Button) == QColor(192, 192, 192) &&
              list.color(QPalette::Base) == QColor(192, 192, 192));
  EXPECT_LT(std::max(qGray(list.color(QPalette::ButtonText).rgb()),
                     qGray(list.color(QPalette::Text).rgb())),
            64);
  EXPECT_EQ(Find("HeaderCombo1(0)")->palette().color(QPalette::ButtonText),
            Qt::white);  // the rest follows the theme
  QApplication::setPalette(light);
}

TEST_F(Form1Test, FocusStartsOnTransferBankAndTabFollowsTheDesignOrder) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QStringList visited;
  for (int i = 0; i < 18; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab)) {
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited.join(' '),
            "Command3 Command1 Text1 BankCombo1(0) KnownOffsetText1(0) Command4(0) "
            "BankSizeCombo1 HeaderCombo1(0) HeaderCombo1(1) Command4(1) KnownOffsetText1(1) "
            "BankCombo1(1) Text2 Command2 Command5(0) Command5(1) Command6 Command3");
}

TEST_F(Form1Test, OperationsReadTheListsBoxesAndChosenFilesOfTheirOwnSide) {
  Type("KnownOffsetText1(0)", "200");
  Type("KnownOffsetText1(1)", "100");
  Pick("HeaderCombo1(0)", 0);
  Pick("HeaderCombo1(1)", 1);
  Pick("BankSizeCombo1", 0);
  Pick("BankCombo1(0)", 3);
  Pick("BankCombo1(1)", 2);
  EXPECT_EQ(form.Settings().CopyFromBankOffset, 0);  // until a transfer reads the lists
  Click("Command3");
  Click("Command6");
  const TransferSettings& set = form.Settings();
  EXPECT_TRUE(set.CopyFromHeader == 0 && set.PasteToHeader == 0x10 && set.BankSize == 0x4000);
  EXPECT_TRUE(set.CopyFromBankOffset == 3 * 0x8000 && set.PasteToBankOffset == 2 * 0x8000);
  Click("Command1");  // cancelled: the path, its box and tooltip stay empty
  EXPECT_TRUE(set.CopyFromFile.empty() && Shown("Text1").isEmpty() &&
              Find("Command1")->toolTip().isEmpty());
  const std::string from = folder.File("Fürst – 1.smc"), to = folder.File("to.smc");
  dialogs.choices = {QString::fromStdString(from).toStdU16String(),
                     QString::fromStdString(to).toStdU16String()};
  Click("Command1");
  Click("Command3");
  Click("Command6");
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));  // no file is touched without both
  Click("Command2");
  Click("Command6");
  Type("KnownOffsetText1(0)", "0");
  Type("Text2", QString::fromStdString(folder.File("typed.smc")));
  Click("Command6");
  Click("Command2");  // cancelled: what was typed gives way to the path in use
  EXPECT_TRUE(set.CopyFromFile == from && set.PasteToFile == to && dialogs.shows == 4);
  EXPECT_TRUE(Shown("Text2") == QString::fromStdString(to) &&
              Find("Command2")->toolTip() == Shown("Text2"));
  EXPECT_TRUE(Shown("Text1") == QString::fromStdString(from) &&
              Find("Command1")->toolTip() == Shown("Text1"));
  const std::string noCopyFrom = Failed("No File to Copy From selected!");
  const std::string noPasteTo = Failed("No File to Paste To selected!");
  EXPECT_EQ(prompt.shown, noCopyFrom + noCopyFrom + noPasteTo + noPasteTo +
                              Failed("The last offset 100 lies before the first offset 200.") +
                              Done("Data transferred."));
  EXPECT_TRUE(Read(to) == std::string(0x101, '\0') &&
              !std::filesystem::exists(folder.File("typed.smc")));

  Type("KnownOffsetText1(0)", "FFFFFF");
  Click("Command4(1)");  // brings both boxes within their limits, selects on its own side only
  EXPECT_EQ(Shown("KnownOffsetText1(0)") + Shown("KnownOffsetText1(1)") + Shown("BankCombo1(0)"),
            "3F8000100$83");
  Click("Command4(0)");
  Pick("BankCombo1(1)", 1);
  Click("Command5(1)");
  EXPECT_EQ(Shown("BankCombo1(0)") + Shown("KnownOffsetText1(0)") + Shown("KnownOffsetText1(1)"),
            "$FD3F8000008010");
}

TEST(QtMessagePromptTest, ShowsTheTextAsItIsWithItsButtonsIconAndTitle) {
  const struct {
    std::string text, title;
    PromptButtons buttons;
    PromptIcon icon;
    Qt::Key key;
    QString shown;
    PromptAnswer expected;
  } rows[] = {
      // clang-format off
      {"Lines\r\n\r\nLast", "Expand?", PromptButtons::YesNo, PromptIcon::None, Qt::Key_Return,
       "Lines\n\nLast [Expand? Yes|No]", PromptAnswer::Yes},  // Yes is the default
      {"Again?", "", PromptButtons::YesNo, PromptIcon::None, Qt::Key_Escape, "Again? [Zarvello Yes|No]", PromptAnswer::No},
      {"'/roms/<i>gone/b&amp;c.smc'", "", PromptButtons::Ok, PromptIcon::Critical, Qt::Key_Escape,
       "'/roms/<i>gone/b&amp;c.smc' [Zarvello OK critical]", PromptAnswer::Ok}};
  // clang-format on
  QWidget window;
  QtMessagePrompt prompt(&window);
  for (const auto& row : rows) {
    QTimer::singleShot(0, [&] {
      auto& box = *qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      const QString icon = box.icon() == QMessageBox::NoIcon     ? ""
                           : box.icon() == QMessageBox::Critical ? " critical"
                                                                 : " ?";
      const QString buttons = box.standardButtons() == QMessageBox::Ok ? " OK" : " Yes|No";
      EXPECT_EQ(box.text() + " [" + box.windowTitle() + buttons + icon + "]", row.shown);
      EXPECT_TRUE(box.textFormat() == Qt::PlainText &&
                  box.parentWidget() == &window);  // a path is no markup
      QTest::keyClick(&box, row.key);
    });
    EXPECT_EQ(prompt.Show(row.text, row.buttons, row.icon, row.title), row.expected);
  }
}

}  // namespace zarvello::testing
